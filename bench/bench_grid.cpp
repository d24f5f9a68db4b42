// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The grid against the database layer that feeds it: filling a million fetched rows must cost a
// fraction of fetching them and add a fraction of their memory (the grid is never the slow or the
// fat part), and a screen of cells must paint as fast a million rows down as at the top.
//
//   bench_grid [--rows N] [--json FILE]
#include "BenchSupport.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "controls/grid/qt/GridView.h"
#include "vb/Array.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

#include <QApplication>
#include <QImage>

namespace {

using vondrel::bench::Measure;
using vondrel::bench::Report;
using Clock = std::chrono::steady_clock;

volatile std::size_t g_sink = 0; // keeps the measured reads from being optimised away

// Formats as the report window gives a template's columns.
constexpr const char* kFormats[] = {
    "", "#,##;; ", "", "", "", "#,###0.00", "#,###0.00;; ", "#,###0.00;; ", "yyyy-mm-dd", "yyyy-mm-dd"};

struct Fetched {
    std::shared_ptr<ado::Recordset> rs;
    vb::Variant rows;
};

Fetched Fetch(const std::string& path) {
    auto cnn = ado::Connection::Create();
    cnn->Open(path);
    Fetched fetched;
    fetched.rs = ado::Recordset::Create();
    fetched.rs->Open("SELECT * FROM bench_rows", cnn);
    fetched.rows = fetched.rs->GetRows();
    return fetched;
}

// Bytes the program holds from malloc: small blocks in the arena plus the big ones that got their
// own mappings (a vector of a hundred thousand runs is one of those).
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void SetUpHeader(grid::GridModel& grid) {
    grid.SetGridRowCount(1);
    grid.SetGridColCount(10);
    grid.SetHeaderRowCount(1);
    const char* captions[] = {"编号", "数量", "门店", "客户", "产品", "单价", "金额", "税额", "日期", "到期"};
    for (int col = 0; col < 10; ++col) {
        grid.SetRangeProp(grid::CellSetting::Text, 0, col, captions[col]);
        grid.SetColFormatText(col, kFormats[col]);
        grid.SetColWidthTwips(col, col == 3 ? 3000 : 1400);
    }
}

// What the window does after the fill: totals, fonts per column over all rows, row heights one row
// at a time, and a colour on every tenth row (flagged records).
void SetUpReport(grid::GridModel& grid) {
    grid.AddTotalRow(2, -1, 6, "#,###0.00;; ", 0xC0FFFF);
    grid.AddTotalRow(2, -1, 7, "#,###0.00;; ", 0xC0FFFF);
    const int last = grid.GridRowCount() - 1;
    for (int col = 0; col < 10; ++col) {
        grid.SetRangeProp(grid::CellSetting::FaceName, 1, col, last, col, "宋体");
        grid.SetRangeProp(grid::CellSetting::FontSize, 1, col, last, col, 9.0);
    }
    for (int row = 1; row <= last; ++row) {
        grid.SetRowHeightTwips(row, 300);
        if (row % 10 == 0) {
            grid.SetRangeProp(grid::CellSetting::BackColour, row, 0, row, 9, vb::Variant::Long(0xFFFFC0));
        }
    }
}

// Seconds per paint of one screen with each of the two rows at the top. Rounds alternate between the
// two and the best round of each counts, so load from other processes hits both alike.
std::pair<double, double> PaintSeconds(grid::GridView& view, QImage& image, int firstRow, int secondRow) {
    double best[2] = {1e300, 1e300};
    for (int round = 0; round < 80; ++round) {
        const int which = round % 2;
        view.ScrollToDataRow(which == 0 ? firstRow : secondRow);
        const auto start = Clock::now();
        for (int k = 0; k < 5; ++k) {
            view.viewport()->render(&image);
        }
        best[which] = std::min(best[which], std::chrono::duration<double>(Clock::now() - start).count() / 5);
    }
    return {best[0], best[1]};
}

// The model's share of a paint: which cells a screen shows, their texts and their looks, without
// drawing. Same alternating rounds.
std::pair<double, double> ModelSeconds(const grid::GridModel& grid, const grid::GridLayout& layout,
                                       grid::GridViewport viewport, int firstRow, int secondRow) {
    double best[2] = {1e300, 1e300};
    std::string text;
    for (int round = 0; round < 80; ++round) {
        const int which = round % 2;
        viewport.firstDataRow = which == 0 ? firstRow : secondRow;
        const auto start = Clock::now();
        for (int k = 0; k < 20; ++k) {
            for (const grid::PaintCell& cell : layout.VisibleCells(viewport)) {
                text.clear();
                grid.AppendCellText(cell.row, cell.col, text);
                g_sink = g_sink + text.size() + grid.CellLookAt(cell.row, cell.col).backBgr;
            }
        }
        best[which] = std::min(best[which], std::chrono::duration<double>(Clock::now() - start).count() / 20);
    }
    return {best[0], best[1]};
}

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string json;
    if (!vondrel::bench::ParseArguments(argc, argv, "bench_grid", rows, json)) {
        return 2;
    }
    try {
        Report report;
        const std::string path = vondrel::bench::EnsureSalesDatabase(rows).string();
        // Forked measurements first: a process that runs a QApplication should not fork.
        Measure([&] { Fetch(path); }, 1);
        const double fetchSeconds = Measure([&] { Fetch(path); }).seconds;

        const Fetched fetched = Fetch(path);
        const double dataBytes = static_cast<double>(fetched.rs->RowMemoryBytes());
        report.AddInfo("data: " + std::to_string(rows) + " rows x 10 columns held by the recordset",
                       vondrel::bench::HumanBytes(dataBytes));

        double fillSeconds = 1e300;
        for (int run = 0; run < 5; ++run) {
            grid::GridModel grid;
            SetUpHeader(grid);
            const auto start = Clock::now();
            grid.FillFromArray(fetched.rows);
            fillSeconds = std::min(fillSeconds, std::chrono::duration<double>(Clock::now() - start).count());
        }
        report.AddRatio("FillFromArray vs fetching the rows (open + GetRows)", fillSeconds, fetchSeconds, "s",
                        0.5);
        report.AddInfo("FillFromArray of " + std::to_string(rows) + " rows",
                       std::to_string(static_cast<long>(fillSeconds * 1e9)) + " ns");

        auto grid = std::make_unique<grid::GridModel>();
        SetUpHeader(*grid);
        const std::size_t heapBefore = HeapInUse();
        grid->FillFromArray(fetched.rows);
        // The heap can shrink a little when the fill releases what the header left behind.
        const double fillBytes =
            std::max(0.0, static_cast<double>(HeapInUse()) - static_cast<double>(heapBefore));
        report.AddRatio("memory added by FillFromArray vs the data", fillBytes, dataBytes, "bytes", 0.5);
        const auto setUpStart = Clock::now();
        SetUpReport(*grid);
        const double setUpSeconds = std::chrono::duration<double>(Clock::now() - setUpStart).count();
        const double reportBytes =
            std::max(0.0, static_cast<double>(HeapInUse()) - static_cast<double>(heapBefore));
        report.AddRatio("memory added by fill + totals, fonts, heights, colours vs the data", reportBytes,
                        dataBytes, "bytes", 0.5);
        report.AddRatio("totals, fonts, heights, colours of every row vs fetching", setUpSeconds,
                        fetchSeconds, "s", 0);

        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QApplication app(argc, argv);
        grid::GridView view(*grid);
        view.resize(1280, 800);
        view.show();
        QApplication::processEvents();
        QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        const int deep = static_cast<int>(std::min<long>(rows - 1000, 999000));
        PaintSeconds(view, image, 0, deep); // warm the font and glyph caches
        const auto [topSeconds, deepSeconds] = PaintSeconds(view, image, 0, deep);
        {
            // The same set-up while a view shows the grid: the view must not re-measure per call.
            grid::GridModel shown;
            SetUpHeader(shown);
            shown.FillFromArray(fetched.rows);
            grid::GridView shownView(shown);
            shownView.resize(1280, 800);
            shownView.show();
            QApplication::processEvents();
            const auto start = Clock::now();
            SetUpReport(shown);
            QApplication::processEvents();
            const double shownSeconds = std::chrono::duration<double>(Clock::now() - start).count();
            report.AddRatio("the same set-up with a view showing the grid vs without", shownSeconds,
                            setUpSeconds, "s", 0);
        }
        report.AddInfo("cells painted per screen",
                       std::to_string(view.Layout().VisibleCells(view.Viewport()).size()));
        report.AddRatio("paint one screen at data row " + std::to_string(deep) + " vs at row 0", deepSeconds,
                        topSeconds, "s", 1.2);
        const auto [topModel, deepModel] = ModelSeconds(*grid, view.Layout(), view.Viewport(), 0, deep);
        report.AddRatio("  of which the model (cells, texts, looks) at row " + std::to_string(deep) + " vs 0",
                        deepModel, topModel, "s", 1.2);

        const bool met =
            report.Print("Grid: fill, memory and painting (one run, ratios against its own baselines)");
        if (!json.empty()) {
            report.WriteJson(json);
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_grid: %s\n", error.what());
        return 2;
    }
}
