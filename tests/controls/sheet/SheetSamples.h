// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sheet::test {

// An empty sheet of `cols` 100 px columns and `rows` 20 px rows: sizes a page test can count with.
inline SheetDocument Blank(int cols, int rows) {
    SheetDocument doc;
    doc.Resize(cols, rows);
    for (int col = 0; col < cols; ++col) {
        doc.SetColWidth(col, 100);
    }
    for (int row = 0; row < rows; ++row) {
        doc.SetRowHeight(row, 20);
    }
    return doc;
}

// Everything a document holds, in one small sheet.
inline SheetDocument Rich() {
    SheetDocument doc;
    doc.Resize(5, 8);
    doc.SetCellText(0, 0, "销售日报");
    doc.MergeCells(0, 0, 4, 0);
    doc.SetCellFont(0, 0, 18, 1, "黑体");
    doc.SetCellAlign(0, 0, 36);
    doc.SetCellText(0, 1, "tab\there \"quoted\" back\\slash\nnew line \x01 end & more");
    doc.SetCellValue(1, 2, vb::Variant(0.1 + 0.2));
    doc.SetCellValue(2, 2, vb::Variant(-1e300));
    doc.SetCellNumFormat(2, 2, NumFormat{1, true, 2, 1, 1000, 1, true});
    doc.SetCellOption(2, 2, 2);
    doc.SetRangeBorder(0, 3, 4, 5, 0, 1, 0x00FF00);
    doc.SetRangeBorder(0, 3, 4, 5, 1, 10, 0);
    CellStyle roman;
    roman.sizePt = 10.5f;
    roman.face = "Times New Roman";
    roman.font = kItalic | kUnderline;
    doc.SetCellStyle(4, 7, roman);
    doc.SetCellValue(4, 7, vb::Variant(7.0));
    doc.SetColWidth(1, 0);
    doc.SetColWidth(4, 130);
    doc.SetRowHeight(6, 41);
    doc.SetPrintArea(0, 0, 4, 6, 2, 1);
    doc.SetPageLine("Qovira有限公司", "第&P页共&S页", "2024年3月5日");
    doc.SetSheetName("日报 2024");
    PageSetup ps;
    ps.paper = Paper::Letter;
    ps.landscape = true;
    ps.marginLeftMm = 12.5;
    ps.scalePercent = 85;
    ps.fitWide = 1;
    ps.centreHorizontally = true;
    doc.SetPageSetup(ps);
    return doc;
}

// A private folder for one test's files, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
        m_path = std::filesystem::temp_directory_path() /
                 ("vondrel-sheet-" + std::to_string(getpid()) + "-" + std::to_string(++Counter()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    std::filesystem::path m_path;
};

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::string data;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) {
            data.append(buf, n);
        }
        std::fclose(f);
    }
    return data;
}

// The names in a folder, sorted; none when it cannot be read.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs a Python script with the system interpreter (the one that has openpyxl; the first python3
// on PATH may be another) and returns its standard output; `ok` is false when it failed.
inline std::string RunPython(const TempDir& dir, const std::string& script, const std::string& args,
                             bool& ok) {
    const std::string scriptPath = dir.File("script.py");
    std::ofstream(scriptPath) << script;
    const std::string outPath = dir.File("python.out");
    const std::string command = "/usr/bin/python3 " + scriptPath + " " + args + " > " + outPath + " 2>&1";
    ok = std::system(command.c_str()) == 0;
    return ReadFile(outPath);
}

#ifdef VONDREL_TEMPLATE_TOOL
// What a run of vondrel-template gave: its exit status and its standard output and error together.
struct ToolRun {
    int status = -1;
    std::string output;
};

// Runs vondrel-template with `args`. "--timeout-guard ARGS": ended after 60 s (status 124), for runs
// that must not walk a sheet's extent.
inline ToolRun Tool(const TempDir& dir, const std::string& args) {
    const std::string out = dir.File("tool.out");
    const std::string guard = "--timeout-guard ";
    const bool guarded = args.rfind(guard, 0) == 0;
    const std::string command = (guarded ? "timeout 60 " : "") + std::string(VONDREL_TEMPLATE_TOOL) + " " +
                                (guarded ? args.substr(guard.size()) : args) + " > " + out + " 2>&1";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out)};
}
#endif

} // namespace sheet::test
