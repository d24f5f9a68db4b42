// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The sheet document's own file against the plainest file of the same values: a print sheet of
// 100,000 rows x 10 columns, filled as the print rebuild fills it (alignment, font, number format and
// option per cell, then the value), saved as .cll and opened again, must cost at most 3x (save) and
// 5x (open) the time of writing the same values as CSV with fwrite and reading them back with fread
// into numbers and one text buffer. Exporting the same sheet to .xls must cost at most 3x writing the
// CSV, and a tenth of what a spreadsheet program (LibreOffice headless, start-up included, as a user's
// conversion pays it) takes to turn that CSV into .xls. (That program keeps only the first 65,536 rows
// in its .xls; ours writes them all, the rest in a second worksheet, so the comparison favours it.)
// Exporting the sheet to .xlsx must cost at most 1.2x libxlsxwriter writing the same cells with the
// same row heights and formats directly in its constant-memory mode, and its peak memory must stay
// flat from N to 10 N rows (1,000,000 by default: within 1.3x); LibreOffice turning the CSV into .xlsx
// is shown beside it.
//
//   bench_sheet [--rows N] [--json FILE]
#include "BenchSupport.h"
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/SheetXlsx.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <xlsxwriter.h>

namespace {

using vondrel::bench::Measure;
using vondrel::bench::Report;
using vondrel::bench::Sample;

constexpr int kCols = 10;
// Column kinds as a daily sales print sheet has them: 't' text, 'n' number.
constexpr char kKinds[kCols + 1] = "nnttnnnntn";
volatile std::size_t g_sink = 0;

std::string TextOf(int row, int col) {
    return col == 2   ? "客户" + std::to_string(row % 997) + "号商贸有限公司"
           : col == 3 ? "产品" + std::to_string(row % 113) + "型号"
                      : "第" + std::to_string(row % 7) + "仓";
}

double NumberOf(int row, int col) {
    return col == 0 ? row + 1 : (row % 1000) / 100.0 + col * (row % 100);
}

void Fill(sheet::SheetDocument& doc, int rows) {
    doc.Resize(kCols, rows);
    for (int row = 0; row < rows; ++row) {
        doc.SetRowHeight(row, 18);
        for (int col = 0; col < kCols; ++col) {
            const bool text = kKinds[col] == 't';
            doc.SetCellAlign(col, row, text ? 33 : 34);
            doc.SetCellFont(col, row, 9, col == 0 ? 1 : 6, "宋体");
            doc.SetCellNumFormat(col, row, text ? 0 : 1, false, static_cast<std::int16_t>(text ? 0 : 2), -1,
                                 0.0, 0, false);
            doc.SetCellOption(col, row, col == 6 ? 1 : 0);
            if (text) {
                doc.SetCellText(col, row, TextOf(row, col));
            } else {
                doc.SetCellValue(col, row, vb::Variant(NumberOf(row, col)));
            }
        }
    }
}

void WriteCsv(const std::string& path, int rows) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::string line;
    char buf[32];
    for (int row = 0; row < rows; ++row) {
        line.clear();
        for (int col = 0; col < kCols; ++col) {
            if (col > 0) {
                line += ',';
            }
            if (kKinds[col] == 't') {
                line += TextOf(row, col);
            } else {
                line.append(buf, std::to_chars(buf, buf + sizeof buf, NumberOf(row, col)).ptr);
            }
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
}

// The plainest .xlsx of the same sheet: libxlsxwriter fed cell by cell in its constant-memory mode
// (rows straight to disk), one format per kind of column made once, the row heights the sheet has.
void WriteXlsxDirect(const std::string& path, int rows) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Sheet1");
    lxw_format* formats[3];
    for (int kind = 0; kind < 3; ++kind) {
        formats[kind] = workbook_add_format(wb);
        format_set_font_name(formats[kind], "宋体");
        format_set_font_size(formats[kind], 9);
        format_set_align(formats[kind], kind == 0 ? LXW_ALIGN_LEFT : LXW_ALIGN_RIGHT);
        format_set_align(formats[kind], LXW_ALIGN_VERTICAL_CENTER);
        if (kind > 0) {
            format_set_num_format(formats[kind], "#,##0.00");
        }
        if (kind == 1) {
            format_set_bold(formats[kind]);
        }
    }
    for (int row = 0; row < rows; ++row) {
        worksheet_set_row(ws, static_cast<lxw_row_t>(row), 13.5, nullptr);
        for (int col = 0; col < kCols; ++col) {
            const auto r = static_cast<lxw_row_t>(row);
            const auto c = static_cast<lxw_col_t>(col);
            if (kKinds[col] == 't') {
                worksheet_write_string(ws, r, c, TextOf(row, col).c_str(), formats[0]);
            } else {
                worksheet_write_number(ws, r, c, NumberOf(row, col), formats[col == 0 ? 1 : 2]);
            }
        }
    }
    if (workbook_close(wb) != LXW_NO_ERROR) {
        std::fprintf(stderr, "bench_sheet: libxlsxwriter failed\n");
        std::exit(1);
    }
}

void ReadCsv(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string data(std::filesystem::file_size(path), '\0');
    const std::size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    std::vector<double> numbers;
    std::string texts;
    std::vector<std::uint32_t> textEnds;
    const char* p = data.data();
    const char* end = p + got;
    int col = 0;
    while (p < end) {
        const char* stop = p;
        while (stop < end && *stop != ',' && *stop != '\n') {
            ++stop;
        }
        if (kKinds[col] == 't') {
            texts.append(p, stop);
            textEnds.push_back(static_cast<std::uint32_t>(texts.size()));
        } else {
            double value = 0;
            std::from_chars(p, stop, value);
            numbers.push_back(value);
        }
        col = (stop < end && *stop == '\n') ? 0 : col + 1;
        p = stop + 1;
    }
    g_sink = numbers.size() + texts.size() + textEnds.size();
}

} // namespace

int main(int argc, char** argv) {
    long rows = 100000;
    std::string json;
    if (!vondrel::bench::ParseArguments(argc, argv, "bench_sheet", rows, json)) {
        return 2;
    }
    std::filesystem::create_directories("bench-data");
    const std::string cll = "bench-data/sheet.cll";
    const std::string csv = "bench-data/sheet.csv";

    Report report;
    sheet::SheetDocument doc;
    const auto fillStart = std::chrono::steady_clock::now();
    Fill(doc, rows);
    const double fillSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - fillStart).count();
    report.AddInfo("fill " + std::to_string(rows) + " rows x 10 columns (align, font, format, option, value)",
                   std::to_string(fillSeconds) + " s, " + std::to_string(doc.StyleCount()) +
                       " interned styles");

    const Sample csvWrite = Measure([&] { WriteCsv(csv, rows); });
    const Sample cllSave = Measure([&] {
        if (!doc.SaveFile(cll)) {
            std::fprintf(stderr, "bench_sheet: %s\n", doc.LastError().ToString().c_str());
            std::exit(1);
        }
    });
    doc.SaveFile(cll);
    WriteCsv(csv, rows);
    report.AddInfo(
        "file sizes",
        ".cll " + vondrel::bench::HumanBytes(static_cast<double>(std::filesystem::file_size(cll))) +
            ", CSV " + vondrel::bench::HumanBytes(static_cast<double>(std::filesystem::file_size(csv))));
    const Sample csvRead = Measure([&] { ReadCsv(csv); });
    const Sample cllOpen = Measure([&] {
        sheet::SheetDocument back;
        if (back.OpenFile(cll) != 1) {
            std::fprintf(stderr, "bench_sheet: %s\n", back.LastError().ToString().c_str());
            std::exit(1);
        }
        g_sink = static_cast<std::size_t>(back.SheetRowCount());
    });
    const std::string xls = "bench-data/sheet.xls";
    const Sample xlsExport = Measure([&] {
        if (!doc.ExportExcel(xls)) {
            std::fprintf(stderr, "bench_sheet: %s\n", doc.LastError().ToString().c_str());
            std::exit(1);
        }
    });
    doc.ExportExcel(xls);
    report.AddInfo(".xls size",
                   vondrel::bench::HumanBytes(static_cast<double>(std::filesystem::file_size(xls))));
    const std::string xlsx = "bench-data/sheet.xlsx";
    const Sample xlsxExport = Measure([&] {
        sheet::LoadError error;
        if (!sheet::ExportXlsx(doc, xlsx, error)) {
            std::fprintf(stderr, "bench_sheet: %s\n", error.ToString().c_str());
            std::exit(1);
        }
    });
    const Sample xlsxDirect = Measure([&] { WriteXlsxDirect("bench-data/direct.xlsx", rows); });
    // The same export of ten times the rows, once: memory does not depend on the machine's load.
    const long bigRows = rows * 10;
    Sample bigXlsxExport;
    {
        sheet::SheetDocument big;
        Fill(big, static_cast<int>(bigRows));
        bigXlsxExport = Measure(
            [&] {
                sheet::LoadError error;
                if (!sheet::ExportXlsx(big, xlsx, error)) {
                    std::fprintf(stderr, "bench_sheet: %s\n", error.ToString().c_str());
                    std::exit(1);
                }
            },
            1);
    }
    // A private profile, made by a first run outside the measurement: a user's conversion does not pay
    // for creating one either.
    const auto office = [&](const char* to, std::string& note) {
        if (std::system("command -v soffice > /dev/null 2>&1") != 0) {
            note = "soffice not installed";
            return 0.0;
        }
        const std::string profile = std::filesystem::absolute("bench-data/office-profile").string();
        const std::string convert = std::string("cd bench-data && HOME='")
                                        .append(profile)
                                        .append("' soffice --headless --infilter=CSV:44,34,76 --convert-to ")
                                        .append(to)
                                        .append(" --outdir office sheet.csv > /dev/null 2>&1");
        if (std::system(convert.c_str()) != 0 ||
            !std::filesystem::exists(std::string("bench-data/office/sheet.").append(to))) {
            note = "soffice failed to convert the CSV";
            return 0.0;
        }
        return Measure(
                   [&] {
                       if (std::system(convert.c_str()) != 0) {
                           std::exit(1);
                       }
                   },
                   2)
            .seconds;
    };
    std::string officeNote;
    const double officeSeconds = office("xls", officeNote);
    std::string officeXlsxNote;
    const double officeXlsxSeconds = office("xlsx", officeXlsxNote);
    report.AddRatio("save .cll vs write CSV (fwrite)", cllSave.seconds, csvWrite.seconds, "s", 3);
    report.AddRatio("open .cll vs read CSV (fread + parse)", cllOpen.seconds, csvRead.seconds, "s", 5);
    report.AddRatio("export .xls vs write CSV (fwrite)", xlsExport.seconds, csvWrite.seconds, "s", 3);
    if (officeSeconds > 0) {
        report.AddRatio("export .xls vs LibreOffice headless CSV -> .xls", xlsExport.seconds, officeSeconds,
                        "s", 0.1);
    } else {
        report.AddInfo("LibreOffice headless CSV -> .xls", officeNote + ": not measured");
    }
    report.AddRatio("export .xlsx vs libxlsxwriter constant-memory writing the same cells",
                    xlsxExport.seconds, xlsxDirect.seconds, "s", 1.2);
    // Flat: the rows added from N to 10 N add (almost) nothing to the peak. Judged per added row against
    // the bytes a row has as CSV, so that a fixed megabyte of the writer's own does not count as growth;
    // a writer holding the workbook until the close adds many times the data (16x before).
    const double addedRows = static_cast<double>(bigRows - rows);
    const double addedPerRow = std::max(0.0, static_cast<double>(bigXlsxExport.peakBytes) -
                                                 static_cast<double>(xlsxExport.peakBytes)) /
                               addedRows;
    report.AddRatio("export .xlsx: peak memory added per row " + std::to_string(rows) + " -> " +
                        std::to_string(bigRows) + " vs CSV bytes per row",
                    addedPerRow,
                    static_cast<double>(std::filesystem::file_size(csv)) / static_cast<double>(rows),
                    "bytes/row", 0.05);
    report.AddInfo("export .xlsx of " + std::to_string(bigRows) + " rows",
                   std::to_string(bigXlsxExport.seconds) + " s, " +
                       vondrel::bench::HumanBytes(static_cast<double>(bigXlsxExport.peakBytes)) + " peak (" +
                       vondrel::bench::HumanBytes(static_cast<double>(xlsxExport.peakBytes)) + " at " +
                       std::to_string(rows) + ")");
    if (officeXlsxSeconds > 0) {
        report.AddRatio("export .xlsx vs LibreOffice headless CSV -> .xlsx (information)", xlsxExport.seconds,
                        officeXlsxSeconds, "s", 0);
    } else {
        report.AddInfo("LibreOffice headless CSV -> .xlsx", officeXlsxNote + ": not measured");
    }
    report.AddInfo("peak memory of export .xls",
                   vondrel::bench::HumanBytes(static_cast<double>(xlsExport.peakBytes)));
    report.AddInfo("peak memory of open .cll / read CSV",
                   vondrel::bench::HumanBytes(static_cast<double>(cllOpen.peakBytes)) + " / " +
                       vondrel::bench::HumanBytes(static_cast<double>(csvRead.peakBytes)));
    const bool met = report.Print(
        "Sheet document: .cll save and open, .xls export, against CSV (best of 3, fresh process each)");
    if (!json.empty()) {
        report.WriteJson(json);
    }
    return met ? 0 : 1;
}
