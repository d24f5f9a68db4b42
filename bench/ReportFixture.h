// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "hostobject/clsGridPrint.h"
#include "plugin/ParameterPrompt.h"
#include "plugin/PluginRegistry.h"
#include "ui/Services.h"
#include "viewer/SheetOutput.h"
#include "viewer/frmGridPrint.h"

#include <filesystem>
#include <memory>
#include <string>

// Reports of the benchmark database shown through the real window logic and Vondrel.SqlReport, as the
// component's host shows them.
namespace vondrel::bench {

// The whole table; a parent of 100,000 rows (the first 100,000) whose store column drills into the
// 100,000 rows of that store among the first 700,000, the child.
inline constexpr int kBigReport = 1;
inline constexpr int kParentReport = 2;
inline constexpr int kChildReport = 3;
inline constexpr const char* kBigName = "月度销售明细";
inline constexpr const char* kParentName = "销售明细前十万行";
inline constexpr const char* kChildName = "门店销售明细";
// The big report's statement, and the same for baselines with its one value bound or written in.
inline constexpr const char* kBigSql = "SELECT * FROM bench_rows WHERE fdate >= :fdatefrom";
inline constexpr const char* kBigSqlBound = "SELECT * FROM bench_rows WHERE fdate >= ?";
inline constexpr const char* kBigSqlLiteral = "SELECT * FROM bench_rows WHERE fdate >= '2024-01-01'";
inline constexpr const char* kFirstDay = "2024-01-01";
// The parent's data row a drill double-clicks (fid 3), and the store it opens.
inline constexpr int kClickedDataRow = 2;
inline constexpr const char* kClickedStore = "3";

// The demo's catalogue tables beside bench_rows in the SQLite file and the three reports in them,
// rewritten every run so that a changed definition always takes effect.
void WriteCatalogue(const std::string& path);
// The benchmark rows (`rows` of them, made once) and the catalogue with the three reports on the
// PostgreSQL server `conninfo`, in a schema of their own; returns the connection string that opens
// them (the server's with that schema as search path).
std::string WritePostgresReport(const std::string& conninfo, long rows);
// The plainest libpq loop over the big report's statement, in single-row mode (rows as they come, as
// a report of any size must read them): every cell read as the type it has.
void PostgresSingleRowLoop(const std::string& conninfo);
// The same query through ODBC at the driver's best: bound arrays of 512 rows, every cell touched once.
void OdbcBlockFetchLoop(const std::string& connectionString);
// The reports' template in bench-data/bench.cll: a caption row, the field row naming all ten fields,
// money with grouping, two decimals and blank zeros, totals on the money columns.
void WriteReportTemplate();
// The plainest loop over the big report's statement with SQLite's C API, the same value bound: every
// cell read as the type it has.
void SqliteLoop(const std::string& path);
// The raw bytes of the rows: texts as stored, every other value 8 bytes.
double RawDataBytes(const std::string& path);

// Window services nobody looks at: the export's file dialog answers exportPath in the file type its
// extension names (cancels while it is empty); any message but the export's success means the run
// failed and ends the process.
class BenchServices final : public ui::Services {
public:
    std::string exportPath;

    ui::Answer ShowMessage(const ui::Message& message) override;
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest&) override;
    void SetBusy(bool) override {}
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    std::filesystem::path ApplicationFolder() const override { return "bench-data"; }
};

// Print, preview and page set-up refused: benchmarks print nothing.
std::shared_ptr<QV_GridPrint::SheetOutput> NoPrinting();

// The parameter dialog takes the defaults; defaults it refuses end the process.
class BenchPrompt final : public QV_GridPrint::ParameterPrompt {
public:
    bool AskParameters(const std::string& title, QV_GridPrint::ParameterForm& form) override;
    void ShowRecord(const std::string&, const std::vector<std::pair<std::string, std::string>>&) override {}
};

// One report window with its host object, plug-ins and services. Open shows the report as the host's
// ShowReport does and ends the process if it does not open; Keep leaves everything alive until the
// process exits (freeing a report is not part of opening it).
struct ReportWindow {
    std::shared_ptr<BenchServices> services = std::make_shared<BenchServices>();
    std::shared_ptr<BenchPrompt> prompt = std::make_shared<BenchPrompt>();
    std::shared_ptr<QV_GridPrint::SheetOutput> output = NoPrinting();
    std::shared_ptr<QV_GridPrint::clsGridPrint> host;
    std::shared_ptr<QV_GridPrint::PluginRegistry> registry = std::make_shared<QV_GridPrint::PluginRegistry>();
    std::shared_ptr<QV_GridPrint::frmGridPrint> window;

    ReportWindow(const std::string& path, int reportId, const char* name);
    void Open();
    void Keep();
};

} // namespace vondrel::bench
