// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Printing a big report to PDF: 100,000 rows x 10 columns (about 2,500 A4 pages with a two-row
// repeated header, borders and a page line) through ExportPdf must take at most a fifteenth of the
// time LibreOffice headless needs to turn a CSV of the same values into a PDF, measured in the same run.
// And the pages are streamed: the peak memory of printing ten times the pages must stay within 1.5x
// of the smaller run (the document itself is built before measuring).
//
//   bench_print [--rows N] [--json FILE]
#include "BenchSupport.h"
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/qt/SheetPrinter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <QGuiApplication>

namespace {

using vondrel::bench::Measure;
using vondrel::bench::Report;
using vondrel::bench::Sample;

constexpr int kCols = 10;
constexpr int kHeaderRows = 2;
constexpr char kKinds[kCols + 1] = "nnttnnnntn"; // 't' text, 'n' number, as a sales print sheet

std::string TextOf(int row, int col) {
    return col == 2   ? "客户" + std::to_string(row % 997) + "号商贸有限公司"
           : col == 3 ? "产品" + std::to_string(row % 113) + "型号"
                      : "第" + std::to_string(row % 7) + "仓";
}

double NumberOf(int row, int col) {
    return col == 0 ? row + 1 : (row % 1000) / 100.0 + col * (row % 100);
}

// A print sheet as the report window rebuilds it: title and header rows repeated, data rows with
// their styles, thin lines inside a medium frame, the page line.
void Fill(sheet::SheetDocument& doc, int rows) {
    doc.Resize(kCols, kHeaderRows + rows);
    doc.SetCellText(0, 0, "销售明细月报表");
    doc.MergeCells(0, 0, kCols - 1, 0);
    doc.SetCellFont(0, 0, 16, 1, "黑体");
    doc.SetCellAlign(0, 0, 36);
    doc.SetRowHeight(0, 32);
    for (int col = 0; col < kCols; ++col) {
        doc.SetColWidth(col, kKinds[col] == 't' ? 95 : 50);
        doc.SetCellText(col, 1, "栏目" + std::to_string(col + 1));
        doc.SetCellFont(col, 1, 9, 1, "宋体");
        doc.SetCellAlign(col, 1, 36);
    }
    for (int at = 0; at < rows; ++at) {
        const int row = kHeaderRows + at;
        doc.SetRowHeight(row, 20);
        for (int col = 0; col < kCols; ++col) {
            const bool text = kKinds[col] == 't';
            doc.SetCellAlign(col, row, text ? 33 : 34);
            doc.SetCellFont(col, row, 9, 6, "宋体");
            doc.SetCellNumFormat(col, row, text ? 0 : 1, false, static_cast<std::int16_t>(text ? 0 : 2), -1,
                                 0.0, 0, false);
            if (text) {
                doc.SetCellText(col, row, TextOf(at, col));
            } else {
                doc.SetCellValue(col, row, vb::Variant(NumberOf(at, col)));
            }
        }
    }
    const int last = kHeaderRows + rows - 1;
    doc.SetRangeBorder(0, 1, kCols - 1, last, 0, 1, 0);
    doc.SetRangeBorder(0, 1, kCols - 1, last, 1, 10, 0);
    doc.SetPrintArea(0, 0, kCols - 1, last, kHeaderRows, 0);
    doc.SetPageLine("Qovira有限公司", "第&P页共&S页", "2026年12月6日");
}

void WriteCsv(const std::string& path, int rows) {
    std::ofstream out(path, std::ios::binary);
    out << "销售明细月报表\n";
    for (int col = 0; col < kCols; ++col) {
        out << (col > 0 ? "," : "") << "栏目" << col + 1;
    }
    out << '\n';
    char buffer[32];
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < kCols; ++col) {
            if (col > 0) {
                out << ',';
            }
            if (kKinds[col] == 't') {
                out << TextOf(row, col);
            } else {
                std::snprintf(buffer, sizeof buffer, "%.2f", NumberOf(row, col));
                out << buffer;
            }
        }
        out << '\n';
    }
}

// In the measured child only: the parent never starts Qt, so every run pays the same start-up.
void ExportInChild(const sheet::SheetDocument& doc, const std::string& path) {
    int argc = 1;
    char name[] = "bench_print";
    char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    std::string error;
    if (!sheet::qt::ExportPdf(doc, path, error)) {
        std::fprintf(stderr, "bench_print: %s\n", error.c_str());
        std::exit(1);
    }
}

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

int main(int argc, char** argv) {
    long rows = 100000;
    std::string json;
    if (!vondrel::bench::ParseArguments(argc, argv, "bench_print", rows, json)) {
        return 2;
    }
    const std::filesystem::path data = std::filesystem::absolute("bench-data");
    std::filesystem::create_directories(data);
    const long smallRows = std::max(1L, rows / 10);
    Report report;

    sheet::SheetDocument big, small;
    Fill(big, static_cast<int>(rows));
    Fill(small, static_cast<int>(smallRows));
    const std::string pdf = (data / "ours.pdf").string();
    const Sample ours = Measure([&] { ExportInChild(big, pdf); }, 1);
    const Sample oursSmall = Measure([&] { ExportInChild(small, (data / "ours-small.pdf").string()); }, 1);
    report.AddInfo("pages", std::to_string(sheet::qt::PageCount(big)) + " (" + std::to_string(rows) +
                                " rows) / " + std::to_string(sheet::qt::PageCount(small)) + " (" +
                                std::to_string(smallRows) + " rows)");
    report.AddInfo("PDF size",
                   vondrel::bench::HumanBytes(static_cast<double>(std::filesystem::file_size(pdf))));
    // Pagination alone, in this process: it runs before every print and preview.
    const auto paginateStart = std::chrono::steady_clock::now();
    const int pageCount = sheet::qt::PageCount(big);
    const double paginateMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - paginateStart).count();
    report.AddInfo("paginate " + std::to_string(rows) + " rows",
                   std::to_string(paginateMs) + " ms, " + std::to_string(pageCount) + " pages");

    // LibreOffice with a profile of its own (a user's running instance would take the job over),
    // warmed up once so that creating the profile is not counted.
    const std::string csv = (data / "print.csv").string();
    WriteCsv(csv, static_cast<int>(rows));
    WriteCsv((data / "warm.csv").string(), 10);
    const std::string profile = "file://" + (data / "soffice-profile").string();
    const auto convert = [&](const std::string& file) {
        const std::string command = "soffice -env:UserInstallation=" + profile +
                                    " --headless --infilter=CSV:44,34,76,1 --convert-to pdf --outdir " +
                                    Quote(data.string()) + " " + Quote(file) + " > /dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bench_print: LibreOffice failed: %s\n", command.c_str());
            std::exit(1);
        }
    };
    convert((data / "warm.csv").string());
    const Sample office = Measure([&] { convert(csv); }, 1);

    report.AddRatio("ExportPdf vs LibreOffice CSV to PDF, " + std::to_string(rows) + " rows", ours.seconds,
                    office.seconds, "s", 1.0 / 15);
    report.AddRatio(
        "peak memory printing " + std::to_string(rows) + " vs " + std::to_string(smallRows) + " rows",
        static_cast<double>(ours.peakBytes), static_cast<double>(oursSmall.peakBytes), "bytes", 1.5);
    const bool met =
        report.Print("Printing to PDF against LibreOffice headless (one run each, fresh process)");
    if (!json.empty()) {
        report.WriteJson(json);
    }
    return met ? 0 : 1;
}
