// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Template files made to hurt: missing, empty, cut short, of another kind, declaring sizes and counts
// far beyond what they hold, or nesting and indexing out of range. Each load runs in a child process
// whose peak memory is measured from its own start, so a loader that allocates by a declared count
// shows up even when it finally refuses the file. The report window shows any refusal with its one
// template message; here the loaders must refuse with a code and a Chinese message naming the fault.
#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetSamples.h"
#include "controls/sheet/SheetXlsx.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sheet {
namespace {

using test::ReadFile;
using test::RunPython;
using test::TempDir;

// What a load in a child reported: accepted or the error code, and the peak memory it added.
struct ChildLoad {
    bool loaded = false;
    std::string code;
    std::string message;
    long peakKb = -1;
};

long PeakKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

ChildLoad LoadInChild(const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        // The peak is counted from here: what the parent had mapped is not the loader's doing.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = PeakKb();
        SheetDocument doc;
        LoadError error;
        const bool loaded =
            path.ends_with(".xlsx") ? ImportXlsx(path, doc, error) : ReadCllFile(path, doc, error);
        const std::string report = std::string(loaded ? "1" : "0") + "\n" + error.code + "\n" +
                                   std::to_string(PeakKb() - before) + "\n" + error.message;
        [[maybe_unused]] const ssize_t written = ::write(fds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ChildLoad result;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result.code = "child died with status " + std::to_string(status);
        return result;
    }
    std::istringstream lines(report);
    std::string loaded, peak;
    std::getline(lines, loaded);
    std::getline(lines, result.code);
    std::getline(lines, peak);
    result.loaded = loaded == "1";
    result.peakKb = std::stol("0" + peak);
    std::getline(lines, result.message, '\0'); // the rest: a message may span lines
    return result;
}

std::string CllHead(int cols, int rows) {
    std::string text =
        "vondrel-cll 1\nsheet " + std::to_string(cols) + " " + std::to_string(rows) + "\nwidths";
    for (int col = 0; col < cols; ++col) {
        text += " 72";
    }
    return text + "\n";
}

// The python lines that start every package below: a workbook whose one sheet is xl/sheet1.xml.
constexpr const char* kPackage = R"py(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)
z.writestr('xl/workbook.xml', '<workbook><sheets><sheet r:id="s1" xmlns:r="r"/></sheets></workbook>')
z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship Id="s1" Type="x/worksheet" '
           'Target="sheet1.xml"/><Relationship Id="s2" Type="x/sharedStrings" Target="strings.xml"/>'
           '<Relationship Id="s3" Type="x/styles" Target="styles.xml"/></Relationships>')
)py";

struct HostileCase {
    const char* name;
    const char* file;   // written in the test's folder
    std::string bytes;  // the file's content, or
    std::string python; // a script that writes it (argv[1]); kPackage is put before scripts that use z
    bool isLoaded;      // a few shapes are legitimate, only large: they must load within the bound
    const char* code;   // expected code when refused
    const char* message = "";
};

TEST(HostileTemplateTest, RefusedWithACodeInBoundedMemory) {
    const std::string demo = ReadFile(std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售日报.cll");
    static const char kPng[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0";
    const std::string png(kPng, sizeof kPng - 1);
    std::string manyCells = CllHead(4, 2) + "rows\n1";
    for (int cell = 0; cell < 2'000'000; ++cell) {
        manyCells += "\t=1";
    }
    manyCells += "\nend\n";
    std::string manyMerges = CllHead(2, 200'000);
    for (int row = 1; row <= 200'000; row += 2) {
        manyMerges += "merge A" + std::to_string(row) + ":B" + std::to_string(row + 1) + "\n";
    }
    // The same blocks and one more that overlaps the block of rows 7 and 8, on the last merge line.
    const std::string overlapAtEnd = manyMerges + "merge B8:B9\nrows\nend\n";
    manyMerges += "rows\nend\n";
    const std::vector<HostileCase> cases = {
        {"missing .cll", "none.cll", "", "", false, "cannot-open"},
        {"empty .cll", "empty.cll", "", "", false, "not-cll"},
        {"half a template", "half.cll", demo.substr(0, demo.size() / 2), "", false, "truncated"},
        {"a PNG named .cll", "picture.cll", png, "", false, "not-cll"},
        {"a size past the limits", "wide.cll", "vondrel-cll 1\nsheet 16385 1048577\n", "", false, "bad-size"},
        {"a size that overflows", "overflow.cll", "vondrel-cll 1\nsheet 99999999999999999999 1\n", "", false,
         "bad-line"},
        {"two million cells in a row of four", "cells.cll", manyCells, "", false, "too-many-cells"},
        {"a hundred thousand merges", "merges.cll", manyMerges, "", true, ""},
        {"a hundred thousand merges, the last one overlapping", "overlap.cll", overlapAtEnd, "", false,
         "merge-overlap", "合并区域 B8:B9 与 A7:B8 重叠"},
        {"missing .xlsx", "none.xlsx", "", "", false, "cannot-open"},
        {"a PNG named .xlsx", "picture.xlsx", png, "", false, "not-xlsx"},
        {"a zip of something else", "other.xlsx", "",
         "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\nz.writestr('mimetype', "
         "'application/vnd.oasis.opendocument.text')\nz.writestr('content.xml', '<office/>')\nz.close()\n",
         false, "missing-part"},
        {"a zip bomb part", "bomb.xlsx", "",
         "z.writestr('xl/sheet1.xml', '<worksheet><sheetData>' + ' ' * (300 << 20) + "
         "'</sheetData></worksheet>')",
         false, "too-large"},
        {"a style index out of range", "style.xlsx", "",
         "z.writestr('xl/styles.xml', '<styleSheet><cellXfs count=\"1\"><xf/></cellXfs></styleSheet>')\n"
         "z.writestr('xl/sheet1.xml', '<worksheet><sheetData><row r=\"1\"><c r=\"A1\" s=\"4000000000\">"
         "<v>1</v></c></row></sheetData></worksheet>')",
         false, "bad-style-index"},
        {"overlapping merges", "merges.xlsx", "",
         "z.writestr('xl/sheet1.xml', '<worksheet><sheetData/><mergeCells><mergeCell ref=\"A1:B2\"/>"
         "<mergeCell ref=\"B2:C3\"/></mergeCells></worksheet>')",
         false, "merge-overlap", "合并区域 B2:C3 与 A1:B2 重叠"},
        {"a hundred thousand merges and one overlap at the end", "many.xlsx", "",
         "z.writestr('xl/sheet1.xml', '<worksheet><sheetData/><mergeCells>' + ''.join('<mergeCell "
         "ref=\"A%d:B%d\"/>' "
         "% (r, r + 1) for r in range(1, 200000, 2)) + '<mergeCell "
         "ref=\"B7:C7\"/></mergeCells></worksheet>')",
         false, "merge-overlap", "合并区域 B7:C7 与 A7:B8 重叠"},
        {"a million nested elements", "deep.xlsx", "",
         "z.writestr('xl/sheet1.xml', '<worksheet><sheetData>' + '<x>' * 1000000 + '</x>' * 1000000 + "
         "'</sheetData></worksheet>')",
         true, ""},
        {"three hundred thousand shared strings", "strings.xlsx", "",
         "z.writestr('xl/strings.xml', '<sst>' + '<si><t>字</t></si>' * 300000 + '</sst>')\n"
         "z.writestr('xl/sheet1.xml', '<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>299999</v>"
         "</c></row></sheetData></worksheet>')",
         true, ""},
        {"one cell in the last row and column", "corner.xlsx", "",
         "z.writestr('xl/sheet1.xml', '<worksheet><dimension ref=\"A1:XFD1048576\"/><sheetData>"
         "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row></sheetData></worksheet>')",
         true, ""},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File(c.file);
        if (!c.python.empty()) {
            const bool usesPackage = c.python.rfind("z.", 0) == 0;
            bool ok = false;
            const std::string out =
                RunPython(dir, usesPackage ? kPackage + c.python + "\nz.close()\n" : c.python, path, ok);
            ASSERT_TRUE(ok) << out;
        } else if (std::string(c.name).rfind("missing", 0) != 0) {
            std::ofstream(path, std::ios::binary) << c.bytes;
        }
        const ChildLoad load = LoadInChild(path);
        EXPECT_EQ(load.loaded, c.isLoaded) << load.code << ": " << load.message;
        if (!c.isLoaded) {
            EXPECT_EQ(load.code, c.code) << load.message;
            EXPECT_FALSE(load.message.empty());
            if (*c.message != '\0') {
                EXPECT_EQ(load.message, c.message);
            }
        }
        // Twice what the largest legitimate case needs, well below what the declared counts would cost.
        EXPECT_LT(load.peakKb, 600 * 1024) << "peak memory of the load";
        EXPECT_GE(load.peakKb, 0);
    }
}

} // namespace
} // namespace sheet
