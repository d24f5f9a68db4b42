// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Growth with the row count: the main paths of a report at N/100, N/10 and N rows (10,000, 100,000 and
// 1,000,000 by default), in time and in peak memory, each in a fresh process. A path that grows
// linearly costs the same per row at N as at N/10; the table holds that within 1.3x (time against the
// plain loop's own growth, which is what the machine's caches and load give), and the series
// (FILE with "-series" before ".json", or bench-data/growth-series.json) draw the chart.
//  - the plain sqlite3 loop over the report's statement, and the database layer's open + GetRows;
//  - opening the report through Vondrel.SqlReport until the grid is ready to paint;
//  - the toolbar's export: the print sheet rebuilt from the grid and written as .xls, and as .xlsx; at
//    N/10 also against LibreOffice headless turning a CSV of the same rows into .xls (start-up included);
//  - the grid written as JSON, as batch mode writes it;
//  - the print sheet rebuilt and printed to PDF (at N rows some 24,000 pages), and its first page as
//    PNG (batch mode's picture), and the toolbar's export as .cll;
//  - the peak memory each export adds at N rows against the report's data bytes: at most 0.5x (the
//    print sheet refers to the grid's rows, it holds no second copy of the data); at N/10 for the trend;
//  - with VONDREL_PG_CONNINFO set, the same report opened on PostgreSQL against the plainest libpq
//    loop in single-row mode (at N rows at most 1.5x), and at N rows through ODBC to the same server
//    (VONDREL_ODBC_PG): at most 1.3x the driver's own block-fetch loop, its ratio to the libpq loop
//    shown beside.
//
//   bench_growth [--rows N] [--json FILE]
#include "BenchSupport.h"
#include "ReportFixture.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "batch/GridJson_p.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "vb/Array.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <vector>

#include <QGuiApplication>

namespace {

using namespace vondrel::bench;

volatile std::size_t g_sink = 0;
std::vector<vb::Variant> g_kept;

constexpr const char* kLoop = "sqlite3 loop";
constexpr const char* kFetch = "database fetch (open + GetRows)";
constexpr const char* kOpen = "open through SetData (SqlReport)";
constexpr const char* kXls = "export: print sheet + .xls";
constexpr const char* kXlsx = "export: print sheet + .xlsx";
constexpr const char* kJson = "export: grid as JSON";
constexpr const char* kPdf = "print sheet + PDF";
constexpr const char* kCll = "export: print sheet + .cll";
constexpr const char* kPng = "print sheet + PNG of page 1";
constexpr const char* kPgLoop = "PostgreSQL: libpq single-row loop";
constexpr const char* kPgOpen = "PostgreSQL: open through SetData (SqlReport)";

void Fetch(const std::string& path) {
    auto cnn = ado::Connection::Create();
    cnn->Open(path);
    auto rs = ado::Recordset::Create();
    rs->Open(kBigSqlLiteral, cnn);
    const vb::Variant rows = rs->GetRows();
    g_sink = g_sink + rows.AsArray()->Count(2);
    g_kept.push_back(rows);
}

void Open(const std::string& path) {
    ReportWindow w(path, kBigReport, kBigName);
    w.Open();
    g_sink = g_sink + static_cast<std::size_t>(w.window->Grid().GridRowCount());
    w.Keep();
}

// The report shown, then (measured) the toolbar's export as a user clicks it, to the file type the
// name's extension gives.
void ExportByToolbar(const std::string& path, const std::string& file) {
    ReportWindow w(path, kBigReport, kBigName);
    w.Open();
    w.services->exportPath = file;
    std::filesystem::remove(file);
    RestartMeasure();
    w.window->ToolbarClick("dc");
    if (!std::filesystem::exists(file) || std::filesystem::file_size(file) == 0) {
        std::fprintf(stderr, "bench_growth: the export wrote no file\n");
        std::_Exit(5);
    }
    w.Keep();
}

// The report shown, then (measured) the grid as JSON written to a file, as batch mode writes it.
void ExportJson(const std::string& path, const std::string& file) {
    ReportWindow w(path, kBigReport, kBigName);
    w.Open();
    RestartMeasure();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << vondrel::batch::GridJson(*w.window);
    out.close();
    if (!out) {
        std::fprintf(stderr, "bench_growth: the JSON was not written\n");
        std::_Exit(5);
    }
    w.Keep();
}

// The report shown, then (measured) the print sheet rebuilt and printed to a PDF file, or its first
// page to a PNG file.
void ExportPdf(const std::string& path, const std::string& file, bool firstPagePng = false) {
    int argc = 1;
    char name[] = "bench_growth";
    char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    ReportWindow w(path, kBigReport, kBigName);
    w.Open();
    RestartMeasure();
    w.window->SetCellDataFromVSF();
    std::string error;
    const bool written = firstPagePng ? sheet::qt::RenderPagePng(w.window->PrintSheet(), 1, 150, file, error)
                                      : sheet::qt::ExportPdf(w.window->PrintSheet(), file, error);
    if (!written) {
        std::fprintf(stderr, "bench_growth: %s\n", error.c_str());
        std::_Exit(5);
    }
    w.Keep();
}

// The report's rows as CSV, for the spreadsheet program to convert.
void WriteCsv(const std::string& path, const std::string& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM bench_rows", -1, &stmt, nullptr);
    std::ofstream out(file, std::ios::binary);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int col = 0; col < 10; ++col) {
            const unsigned char* text = sqlite3_column_text(stmt, col);
            out << (col > 0 ? "," : "") << (text ? reinterpret_cast<const char*>(text) : "");
        }
        out << '\n';
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// LibreOffice headless converting the CSV to .xls with a private profile made by a first run outside
// the measurement; nullopt when it is not installed or fails.
std::optional<double> OfficeToXls(const std::string& csv) {
    if (std::system("command -v soffice > /dev/null 2>&1") != 0) {
        return std::nullopt;
    }
    const std::filesystem::path data = std::filesystem::absolute("bench-data");
    const std::string command = std::string("soffice -env:UserInstallation=file://")
                                    .append((data / "growth-office-profile").string())
                                    .append(" --headless --infilter=CSV:44,34,76 --convert-to xls --outdir '")
                                    .append((data / "office").string())
                                    .append("' '")
                                    .append(csv)
                                    .append("' > /dev/null 2>&1");
    if (std::system(command.c_str()) != 0) {
        return std::nullopt;
    }
    return Measure(
               [&] {
                   if (std::system(command.c_str()) != 0) {
                       std::_Exit(1);
                   }
               },
               1)
        .seconds;
}

struct Series {
    std::string name;
    std::vector<std::optional<Sample>> samples; // one per row count
};

void WriteSeries(const std::string& file, const std::vector<long>& counts,
                 const std::vector<Series>& series) {
    std::ofstream out(file);
    out << "{\n  \"rows\": [";
    for (std::size_t k = 0; k < counts.size(); ++k) {
        out << (k ? ", " : "") << counts[k];
    }
    out << "],\n  \"series\": [\n";
    for (std::size_t s = 0; s < series.size(); ++s) {
        const auto list = [&](bool seconds) {
            std::string text;
            for (std::size_t k = 0; k < series[s].samples.size(); ++k) {
                const auto& sample = series[s].samples[k];
                text += k ? ", " : "";
                text += !sample   ? std::string("null")
                        : seconds ? std::to_string(sample->seconds)
                                  : std::to_string(sample->peakBytes);
            }
            return text;
        };
        out << "    {\"name\": \"" << series[s].name << "\", \"seconds\": [" << list(true)
            << "], \"peakBytes\": [" << list(false) << "]}" << (s + 1 < series.size() ? "," : "") << "\n";
    }
    out << "  ]\n}\n";
}

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string json;
    if (!ParseArguments(argc, argv, "bench_growth", rows, json)) {
        return 2;
    }
    if (rows < 1000) {
        std::fprintf(stderr, "bench_growth: at least 1000 rows\n");
        return 2;
    }
    try {
        std::filesystem::create_directories("bench-data");
        WriteReportTemplate();
        const std::vector<long> counts = {rows / 100, rows / 10, rows};
        std::vector<Series> series = {{kLoop, {}},   {kFetch, {}}, {kOpen, {}}, {kXls, {}},
                                      {kXlsx, {}},   {kJson, {}},  {kPdf, {}},  {kPgLoop, {}},
                                      {kPgOpen, {}}, {kCll, {}},   {kPng, {}}};
        const char* server = std::getenv("VONDREL_PG_CONNINFO");
        const char* odbcServer = std::getenv("VONDREL_ODBC_PG");
        for (Series& s : series) {
            s.samples.resize(counts.size());
        }
        Report report;
        std::optional<double> office;
        std::vector<double> dataBytes(counts.size());
        for (std::size_t k = 0; k < counts.size(); ++k) {
            const long n = counts[k];
            const std::string path = EnsureSalesDatabase(n).string();
            WriteCatalogue(path);
            dataBytes[k] = RawDataBytes(path);
            const int repeat = n >= rows ? 2 : 3;
            Measure([&] { SqliteLoop(path); }, 1); // warm the page cache
            series[0].samples[k] = Measure([&] { SqliteLoop(path); }, repeat);
            series[1].samples[k] = Measure([&] { Fetch(path); }, repeat);
            series[2].samples[k] = Measure([&] { Open(path); }, repeat);
            const std::string xls = std::filesystem::absolute("bench-data/growth.xls").string();
            series[3].samples[k] = Measure([&] { ExportByToolbar(path, xls); }, repeat);
            const std::string xlsx = std::filesystem::absolute("bench-data/growth.xlsx").string();
            series[4].samples[k] = Measure([&] { ExportByToolbar(path, xlsx); }, n < rows ? repeat : 1);
            const std::string jsonFile = std::filesystem::absolute("bench-data/growth.json").string();
            series[5].samples[k] = Measure([&] { ExportJson(path, jsonFile); }, repeat);
            // The longest runs (a minute at N rows) once: each is tens of thousands of pages.
            const std::string pdf = std::filesystem::absolute("bench-data/growth.pdf").string();
            series[6].samples[k] = Measure([&] { ExportPdf(path, pdf); }, n < rows / 10 ? 3 : 1);
            const std::string cll = std::filesystem::absolute("bench-data/growth.cll").string();
            series[9].samples[k] = Measure([&] { ExportByToolbar(path, cll); }, n < rows ? repeat : 1);
            const std::string png = std::filesystem::absolute("bench-data/growth.png").string();
            series[10].samples[k] = Measure([&] { ExportPdf(path, png, true); }, n < rows ? repeat : 1);
            if (server != nullptr && *server != '\0') {
                const std::string pg = WritePostgresReport(server, n);
                Measure([&] { PostgresSingleRowLoop(pg); }, 1); // warm the server's cache
                series[7].samples[k] = Measure([&] { PostgresSingleRowLoop(pg); }, repeat);
                series[8].samples[k] = Measure([&] { Open(pg); }, repeat);
                if (n == rows) {
                    report.AddRatio("PostgreSQL: open " + std::to_string(n) +
                                        " rows through SetData vs libpq single-row loop",
                                    series[8].samples[k]->seconds, series[7].samples[k]->seconds, "s", 1.5);
                }
                if (n == rows && odbcServer != nullptr && *odbcServer != '\0') {
                    std::string odbc = odbcServer;
                    while (!odbc.empty() && odbc.back() == ';') {
                        odbc.pop_back();
                    }
                    odbc += ";ConnSettings={set search_path to bench_" + std::to_string(n) + "}";
                    const Sample driverLoop = Measure([&] { OdbcBlockFetchLoop(odbc); }, repeat);
                    const Sample viaOdbc = Measure([&] { Open(odbc); }, repeat);
                    // psqlODBC alone, at its best, takes about three times the libpq loop (it reads
                    // the whole result into its own cache, then parses every cell from text), so
                    // what the ODBC path adds is judged against the driver's own loop.
                    report.AddRatio("ODBC to PostgreSQL: open " + std::to_string(n) +
                                        " rows through SetData vs the driver's block-fetch loop",
                                    viaOdbc.seconds, driverLoop.seconds, "s", 1.3);
                    report.AddRatio("ODBC to PostgreSQL: open " + std::to_string(n) +
                                        " rows through SetData vs libpq single-row loop",
                                    viaOdbc.seconds, series[7].samples[k]->seconds, "s", 0);
                    report.AddRatio(
                        "ODBC to PostgreSQL: the driver's block-fetch loop vs libpq single-row loop",
                        driverLoop.seconds, series[7].samples[k]->seconds, "s", 0);
                }
            }
            if (k == 1) {
                const std::string csv = std::filesystem::absolute("bench-data/growth.csv").string();
                WriteCsv(path, csv);
                office = OfficeToXls(csv);
                if (office) {
                    report.AddRatio("export (print sheet + .xls) of " + std::to_string(n) +
                                        " rows vs LibreOffice CSV -> .xls",
                                    series[3].samples[k]->seconds, *office, "s", 0.1);
                } else {
                    report.AddInfo("LibreOffice CSV -> .xls", "not measured (soffice missing or failed)");
                }
            }
            std::fprintf(stderr, "bench_growth: %ld rows measured\n", n);
        }
        // Growth per row from a count to ten times that count (1.0 is linear), the largest pair each
        // path has. Time is judged against the sqlite3 loop's own growth over the same counts where
        // that is worse than linear, which is what the machine gives (caches, other load); memory
        // needs no such reference.
        const auto growth = [&](const Series& s, std::size_t high, bool memory) {
            const Sample& big = *s.samples[high];
            const Sample& small = *s.samples[high - 1];
            const double scale = static_cast<double>(counts[high]) / static_cast<double>(counts[high - 1]);
            return memory ? static_cast<double>(big.peakBytes) / scale / static_cast<double>(small.peakBytes)
                          : big.seconds / scale / small.seconds;
        };
        for (const Series& s : series) {
            std::size_t high = counts.size() - 1;
            while (high > 0 && !s.samples[high]) {
                --high;
            }
            if (high == 0 || !s.samples[high - 1] || s.name == kLoop || s.name == kPgLoop) {
                continue;
            }
            const std::string at = std::to_string(counts[high - 1]) + " -> " + std::to_string(counts[high]);
            // Each database's open against its own plain loop.
            const Series& reference = s.name == kPgOpen ? series[7] : series[0];
            // A loop that grows less than linearly only shows its fixed start-up cost: linear is the bar.
            report.AddRatio(s.name + ": time per row growth " + at + " vs the loop's (at least 1)",
                            growth(s, high, false), std::max(1.0, growth(reference, high, false)), "x", 1.3);
            if (s.samples[high - 1]->peakBytes > 1000000) {
                report.AddRatio(s.name + ": peak memory per row growth " + at, growth(s, high, true), 1.0,
                                "x", 1.3);
            }
        }
        // The target holds at N rows; at N/10 the painters' fixed cost (fonts, a page image of 9 MB at
        // 150 dpi) outweighs a tenth of the data, and the figure is shown for the trend.
        for (std::size_t k = 1; k < counts.size(); ++k) {
            for (const char* name : {kXls, kXlsx, kCll, kPdf, kPng}) {
                const auto s = std::find_if(series.begin(), series.end(),
                                            [name](const Series& one) { return one.name == name; });
                const double peak = static_cast<double>(s->samples[k]->peakBytes);
                const std::string what =
                    std::string(name) + ": peak memory added at " + std::to_string(counts[k]) + " rows";
                if (k + 1 == counts.size()) {
                    report.AddRatio(what + " vs the data bytes", peak, dataBytes[k], "bytes", 0.5);
                } else {
                    char ratio[32];
                    std::snprintf(ratio, sizeof ratio, " (%.2fx the data bytes)", peak / dataBytes[k]);
                    report.AddInfo(what, HumanBytes(peak) + ratio);
                }
            }
        }
        std::string seriesFile = "bench-data/growth-series.json";
        if (!json.empty()) {
            seriesFile = json;
            const std::size_t dot = seriesFile.rfind(".json");
            seriesFile.insert(dot == std::string::npos ? seriesFile.size() : dot, "-series");
        }
        WriteSeries(seriesFile, counts, series);
        const bool met = report.Print("Growth with the row count (time and peak memory, fresh process each)");
        if (!json.empty()) {
            report.WriteJson(json);
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_growth: %s\n", error.what());
        return 2;
    }
}
