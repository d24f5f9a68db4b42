// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report window's set-up of a big report through a plug-in over SQLite, with its template (header,
// column formats, blank zeros), against the database layer's own fetch of the same rows in the same
// run: the window must add little to what fetching costs, in time and in memory.
//
//   bench_viewer [--rows N] [--json FILE]
#include "BenchSupport.h"
#include "ReportFixture.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "controls/sheet/SheetDocument.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "ui/Services.h"
#include "viewer/frmGridPrint.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vondrel::bench::Measure;
using vondrel::bench::Report;
using vondrel::bench::Sample;

volatile std::size_t g_sink = 0;
std::vector<std::shared_ptr<void>> g_kept; // results stay alive until the measured child exits

// A plug-in whose rows are the whole table, as a month-end report's are.
class AllRowsReport final : public QV_GridPrint::IReport {
public:
    bool SetPara() override { return true; }
    vb::Variant GetPara() override {
        return vb::Variant(vb::Array::FromValues({vb::Variant("2024-01-01/开始日期:2024-01-01")}));
    }
    bool SetCellFormat(sheet::SheetDocument&) override { return true; }
    bool RPTCalc() override {
        auto rows = ado::Recordset::Create();
        rows->Open("SELECT * FROM bench_rows", pGPrint()->mCNN);
        set_rs(rows);
        return true;
    }
};

// The report's template: one caption row, the field row naming all ten fields, money with grouping
// and two decimals, totals flags on the money columns.
void WriteTemplate(const std::filesystem::path& file) {
    static const char* const kFields[] = {"fid",    "fqty",    "fstore", "fcustomer", "fproduct",
                                          "fprice", "famount", "ftax",   "fdate",     "fdue"};
    static const char* const kCaptions[] = {"单号", "数量", "门店", "客户", "产品",
                                            "单价", "金额", "税额", "日期", "到期日"};
    sheet::SheetDocument doc;
    bool ok = doc.Resize(10, 6) && doc.SetCellText(0, 0, "start") && doc.SetCellText(0, 4, "end");
    for (int col = 0; col < 10; ++col) {
        ok = ok && doc.SetCellText(col, 2, kCaptions[col]) && doc.SetCellText(col, 3, kFields[col]);
        if (col >= 5 && col <= 7) {
            ok = ok && doc.SetCellNumFormat(col, 3, 1, false, 2, -1, 0.0, 0, false) &&
                 doc.SetCellText(col, 5, "y");
        }
    }
    if (!ok || !doc.SaveFile(file.string())) {
        throw std::runtime_error("could not write the benchmark template");
    }
}

void DatabaseFetch(const std::string& path) {
    auto cnn = ado::Connection::Create();
    cnn->Open(path);
    auto rs = ado::Recordset::Create();
    rs->Open("SELECT * FROM bench_rows", cnn);
    const vb::Variant rows = rs->GetRows();
    g_sink = g_sink + rows.AsArray()->Count(2);
    g_kept.push_back(rs);
    g_kept.push_back(rows.AsArray());
}

void WindowSetData(const std::string& path, bool refetchAfterwards = false) {
    auto services = std::make_shared<vondrel::bench::BenchServices>();
    auto host = std::make_shared<QV_GridPrint::clsGridPrint>(services);
    auto cnn = ado::Connection::Create();
    cnn->Open(path);
    host->set_cnn(cnn);
    host->rptName = "月度销售明细";
    host->ClsName = "Bench.AllRows";
    host->FmtFileName = "bench.cll";
    host->HeadHeight = 1200;
    auto registry = std::make_shared<QV_GridPrint::PluginRegistry>();
    registry->Register("Bench.AllRows", [] { return std::make_unique<AllRowsReport>(); });
    auto output = vondrel::bench::NoPrinting();
    auto window = std::make_shared<QV_GridPrint::frmGridPrint>(*host, *services, *output, *registry);
    window->Load();
    if (!window->bOK) {
        std::_Exit(4);
    }
    if (refetchAfterwards) {
        // What a column edit ends with: the report rebuilt with its parameters, template reloaded.
        window->RefetchData();
    }
    g_sink = g_sink + static_cast<std::size_t>(window->Grid().GridRowCount());
    g_kept.push_back(window);
    g_kept.push_back(registry);
    g_kept.push_back(host);
    g_kept.push_back(services);
    g_kept.push_back(output);
}

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string json;
    if (!vondrel::bench::ParseArguments(argc, argv, "bench_viewer", rows, json)) {
        return 2;
    }
    try {
        const std::string path = vondrel::bench::EnsureSalesDatabase(rows).string();
        WriteTemplate(std::filesystem::path("bench-data") / "bench.cll");
        // The raw data bytes, counted as the database layer's benchmark counts them.
        double rawBytes = 0;
        {
            auto cnn = ado::Connection::Create();
            cnn->Open(path);
            auto rs =
                cnn->Execute("SELECT sum(length(CAST(fcustomer AS BLOB)) + length(CAST(fproduct AS BLOB))) + "
                             "count(*) * 64 AS raw FROM bench_rows");
            rawBytes = *rs->Fields("raw").Value().NumberValue();
        }
        Measure([&] { DatabaseFetch(path); }, 1); // warm the page cache for both sides
        const Sample fetch = Measure([&] { DatabaseFetch(path); });
        const Sample window = Measure([&] { WindowSetData(path); });
        const Sample openTwice = Measure([&] { WindowSetData(path, true); });
        Report report;
        report.AddInfo("raw data bytes (" + std::to_string(rows) + " rows x 10 columns)",
                       vondrel::bench::HumanBytes(rawBytes));
        report.AddRatio("SetData through a plug-in vs the database layer's fetch (time)", window.seconds,
                        fetch.seconds, "s", 2.0);
        report.AddRatio("SetData peak memory vs raw data bytes", static_cast<double>(window.peakBytes),
                        rawBytes, "bytes", 3.0);
        // open + reopen <= 2.2 x open means the reopen costs at most 1.2 x the first open.
        report.AddRatio("open, then reopen after a column edit, vs open alone (time)", openTwice.seconds,
                        window.seconds, "s", 2.2);
        const bool met =
            report.Print("Report window: setting up a big report (best of 3, each in a fresh process)");
        if (!json.empty()) {
            report.WriteJson(json);
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_viewer: %s\n", error.what());
        return 2;
    }
}
