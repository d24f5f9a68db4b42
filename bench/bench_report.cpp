// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The big report end to end as a user meets it, through the generic plug-in Vondrel.SqlReport over
// SQLite with a template (captions, money formats, blank zeros, totals):
//  - opening 1,000,000 rows x 10 columns until the grid is ready to paint costs at most 1.5x the plain
//    sqlite3 step loop over the same statement, and holds at most 3x the raw data bytes at its peak;
//  - a double click that drills into a child report of 100,000 rows, and the return to the parent of
//    100,000 rows, each cost at most 1.2x opening that report directly;
//  - a screen of the report window's grid, with the template's formats and the window's fonts and
//    totals, paints as fast deep down as at the top.
//
//   bench_report [--rows N] [--json FILE]     (N at least 700000: the drill's child reads that far)
#include "BenchSupport.h"
#include "ReportFixture.h"
#include "controls/grid/qt/GridView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <QApplication>
#include <QImage>

namespace {

using namespace vondrel::bench;
using Clock = std::chrono::steady_clock;

volatile std::size_t g_sink = 0;

void OpenDirectly(const std::string& path, int reportId, const char* name) {
    ReportWindow w(path, reportId, name);
    w.Open();
    g_sink = g_sink + static_cast<std::size_t>(w.window->Grid().GridRowCount());
    w.Keep();
}

// The parent shown, then (measured from here) the double click on a row, and with `andBack` the
// return measured alone after it. Ends the process unless the drill showed the child with its 100,000
// rows and the return the parent with its own.
void DrillInto(const std::string& path, bool andBack) {
    ReportWindow w(path, kParentReport, kParentName);
    w.Open();
    QV_GridPrint::frmGridPrint& window = *w.window;
    const int parentRows = window.Grid().GridRowCount();
    const int row = window.iFixedRows + kClickedDataRow;
    if (!andBack) {
        RestartMeasure();
    }
    window.Grid().UserClick(row, 2);
    window.Grid().UserDoubleClick(row, 2);
    // The child's data rows, and one totals row.
    if (window.Caption() != kChildName || window.Grid().GridRowCount() != window.iFixedRows + 100000 + 1) {
        std::fprintf(stderr, "bench_report: the drill did not open the child's 100000 rows (%s, %d rows)\n",
                     window.Caption().c_str(), window.Grid().GridRowCount());
        std::_Exit(5);
    }
    if (andBack) {
        RestartMeasure();
        window.ToolbarClick("t_return");
        if (window.Caption() != kParentName || window.Grid().GridRowCount() != parentRows) {
            std::fprintf(stderr, "bench_report: the return did not show the parent again\n");
            std::_Exit(5);
        }
    }
    w.Keep();
}

// Seconds per paint of one screen with each of the two rows at the top; rounds alternate so that load
// from other processes hits both alike.
std::pair<double, double> PaintSeconds(grid::GridView& view, QImage& image, int firstRow, int secondRow) {
    double best[2] = {1e300, 1e300};
    for (int round = 0; round < 100; ++round) {
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

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string json;
    if (!ParseArguments(argc, argv, "bench_report", rows, json)) {
        return 2;
    }
    if (rows < 700000) {
        std::fprintf(stderr, "bench_report: the drill's child needs at least 700000 rows\n");
        return 2;
    }
    try {
        const std::string path = EnsureSalesDatabase(rows).string();
        WriteCatalogue(path);
        WriteReportTemplate();
        const double rawBytes = RawDataBytes(path);
        Report report;
        report.AddInfo("raw data bytes (" + std::to_string(rows) + " rows x 10 columns)",
                       HumanBytes(rawBytes));

        Measure([&] { SqliteLoop(path); }, 1); // warm the page cache for both sides
        const Sample loop = Measure([&] { SqliteLoop(path); });
        const Sample open = Measure([&] { OpenDirectly(path, kBigReport, kBigName); });
        report.AddRatio("SqlReport: open " + std::to_string(rows) + " rows, grid ready, vs sqlite3 loop",
                        open.seconds, loop.seconds, "s", 1.5);
        report.AddRatio("SqlReport: peak memory of that open vs raw data bytes",
                        static_cast<double>(open.peakBytes), rawBytes, "bytes", 3.0);

        // Fifths of a second, where other processes' load shows most: best of five each.
        const Sample child = Measure([&] { OpenDirectly(path, kChildReport, kChildName); }, 5);
        const Sample parent = Measure([&] { OpenDirectly(path, kParentReport, kParentName); }, 5);
        const Sample drill = Measure([&] { DrillInto(path, false); }, 5);
        const Sample back = Measure([&] { DrillInto(path, true); }, 5);
        report.AddRatio("drill-down into a child of 100,000 rows vs opening it", drill.seconds, child.seconds,
                        "s", 1.2);
        report.AddRatio("return to the parent of 100,000 rows vs opening it", back.seconds, parent.seconds,
                        "s", 1.2);

        // Painting last: a process that runs a QApplication should not fork.
        ReportWindow shown(path, kBigReport, kBigName);
        shown.Open();
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QApplication app(argc, argv);
        grid::GridView view(shown.window->Grid());
        view.resize(1280, 800);
        view.show();
        QApplication::processEvents();
        QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        const int deep = static_cast<int>(std::min<long>(rows - 100, 999000));
        PaintSeconds(view, image, 0, deep); // warm the font and glyph caches
        const auto [top, deepSeconds] = PaintSeconds(view, image, 0, deep);
        report.AddRatio("report window: paint a screen at data row " + std::to_string(deep) + " vs row 0",
                        deepSeconds, top, "s", 1.2);
        // The last screen with the totals row, for a look.
        view.ScrollToDataRow(static_cast<int>(rows) - 20);
        view.grab().save("bench-data/report-last-screen.png");

        const bool met = report.Print("The big report end to end through Vondrel.SqlReport over SQLite "
                                      "(best of 3 or 5, each in a fresh process)");
        if (!json.empty()) {
            report.WriteJson(json);
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_report: %s\n", error.what());
        return 2;
    }
}
