// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/CllFile.h"

#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetSamples.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace sheet {
namespace {

class StringSink : public ByteSink {
public:
    bool Write(std::string_view bytes) override {
        text.append(bytes);
        return true;
    }
    std::string text;
};

// Fails once `limit` bytes have gone through, as a full disk would.
class FailingSink : public ByteSink {
public:
    explicit FailingSink(std::size_t limit) : m_limit(limit) {}
    bool Write(std::string_view bytes) override {
        if (m_written + bytes.size() > m_limit) {
            return false;
        }
        m_written += bytes.size();
        return true;
    }

private:
    std::size_t m_limit;
    std::size_t m_written = 0;
};

using test::Rich;

std::string Write(const SheetDocument& doc) {
    StringSink sink;
    LoadError error;
    EXPECT_TRUE(WriteCll(doc, sink, error)) << error.ToString();
    return sink.text;
}

TEST(CllFileTest, RoundTripKeepsEverything) {
    const SheetDocument doc = Rich();
    const std::string text = Write(doc);
    SheetDocument back;
    LoadError error;
    ASSERT_TRUE(ReadCll(text, "rich.cll", back, error)) << error.ToString();
    EXPECT_TRUE(back.CheckConsistency());
    EXPECT_EQ(DumpSheet(back), DumpSheet(doc));
    // Written again, the file is byte for byte the same: templates diff clean.
    EXPECT_EQ(Write(back), text);
}

TEST(CllFileTest, BytesThatAreNotUtf8SurviveAsEscapes) {
    // Found by fuzzing the .xlsx import: a cell held bytes that are not UTF-8, the save wrote them raw
    // and the open refused its own file. Without the fix this failed with: bad-utf8 at 4:3.
    SheetDocument doc;
    doc.Resize(1, 1);
    doc.SetCellText(0, 0,
                    std::string("a\xff\xe6\x97"
                                "b\xe6\x97\xa5",
                                8));
    const std::string text = Write(doc);
    EXPECT_NE(text.find("\"a\\xff\\xe6\\x97b日\""), std::string::npos) << text;
    SheetDocument back;
    LoadError error;
    ASSERT_TRUE(ReadCll(text, "bytes.cll", back, error)) << error.ToString();
    EXPECT_EQ(back.CellValue(0, 0).AsString(), doc.CellValue(0, 0).AsString());
}

TEST(CllFileTest, FileLooksAsDocumented) {
    SheetDocument doc;
    doc.Resize(3, 4);
    doc.SetCellText(0, 0, "日期");
    doc.SetCellFont(0, 0, 12, 5, "宋体");
    doc.SetCellValue(2, 1, vb::Variant(1234.5));
    doc.MergeCells(0, 0, 1, 0);
    doc.SetRowHeight(3, 25);
    doc.SetSheetName("日报");
    EXPECT_EQ(Write(doc),
              "vondrel-cll 1\n"
              "sheet 3 4\n"
              "widths 72 72 72\n"
              "style 1 face=\"宋体\" size=12 font=bu align=0 num=0,0,0,0,0,0,0 option=0\n"
              "merge A1:B1\n"
              "page paper=A4 orientation=portrait margins=19,25,19,25 scale=100 fit=0x0 centre=-\n"
              "name \"日报\"\n"
              "rows\n"
              "1\t~1\"日期\"\n"
              "2\t\t\t=1234.5\n"
              "4 h=25\n"
              "end\n");
}

TEST(CllFileTest, SaveAndOpenThroughFiles) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("cll-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "报表.cll").string();
    SheetDocument doc = Rich();
    ASSERT_TRUE(doc.SaveFile(path)) << doc.LastError().ToString();
    SheetDocument back;
    EXPECT_EQ(back.OpenFile(path), 1);
    EXPECT_EQ(DumpSheet(back), DumpSheet(doc));

    // A save into a folder that does not exist fails cleanly and names the file.
    EXPECT_FALSE(doc.SaveFile((dir / "missing" / "x.cll").string()));
    EXPECT_EQ(doc.LastError().code, "cannot-create");
    EXPECT_EQ(doc.LastError().file, (dir / "missing" / "x.cll").string());

    // A failed open leaves the document as it was.
    EXPECT_EQ(back.OpenFile((dir / "none.cll").string()), 0);
    EXPECT_EQ(back.LastError().code, "cannot-open");
    EXPECT_EQ(DumpSheet(back), DumpSheet(doc));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1); // no temporary left behind
    std::filesystem::remove_all(dir);
}

TEST(CllFileTest, WriterStopsCleanlyAtEveryFailingByte) {
    SheetDocument doc = Rich();
    const std::size_t size = Write(doc).size();
    for (std::size_t limit = 0; limit < size; ++limit) {
        FailingSink sink(limit);
        LoadError error;
        ASSERT_FALSE(WriteCll(doc, sink, error)) << limit;
        ASSERT_EQ(error.code, "write-failed");
    }
}

TEST(CllFileTest, EveryTruncationIsRefused) {
    const std::string text = Write(Rich());
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        SheetDocument doc;
        LoadError error;
        ASSERT_FALSE(ReadCll(text.substr(0, cut), "cut.cll", doc, error)) << "cut at " << cut;
        ASSERT_FALSE(error.code.empty());
        EXPECT_EQ(doc.SheetColCount(), 0);
    }
}

struct BadCase {
    const char* name;
    std::string text;
    int line, column;
    const char* cell;
    const char* code;
    const char* message;
};

std::string Head(const std::string& rest) {
    return "vondrel-cll 1\nsheet 3 4\nwidths 72 72 72\n" + rest;
}

TEST(CllFileTest, MalformedFilesNameWhatAndWhere) {
    const std::vector<BadCase> cases = {
        {"an .xls file", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), 1, 9, "", "truncated",
         "文件不完整：最后一行没有换行符，文件可能被截断"},
        {"another program's text", "ID;PWXL;N;E\n", 1, 1, "", "not-cll",
         "不是 .cll 表格文件：第一行应为“vondrel-cll 1”"},
        {"empty file", "", 1, 0, "", "not-cll", "文件是空的"},
        {"newer version", "vondrel-cll 2\n", 1, 13, "", "unsupported-version",
         "不支持的 .cll 版本 2（本程序读取版本 1）"},
        {"impossible size", "vondrel-cll 1\nsheet 20000 5\n", 2, 7, "", "bad-size",
         "表格尺寸超出范围：20000 列 5 行（最多 16384 列、1048576 行）"},
        {"too few widths", "vondrel-cll 1\nsheet 3 4\nwidths 72 72\n", 3, 13, "", "bad-widths",
         "列宽个数少于列数 3"},
        {"bad width", "vondrel-cll 1\nsheet 3 4\nwidths 72 -1 72\n", 3, 11, "", "bad-width",
         "第 B 列的宽度“-1”不是 0 到 4000 的整数"},
        {"style out of sequence", Head("style 2 size=10\n"), 4, 7, "", "bad-style-number",
         "样式编号应从 1 起连续递增，此处应为 1"},
        {"unknown style key", Head("style 1 colour=red\n"), 4, 9, "", "unknown-key",
         "未知的样式属性“colour”"},
        {"bad number format", Head("style 1 num=1,0,2,-1,0,0\n"), 4, 9, "", "bad-value",
         "样式属性 num 的值“1,0,2,-1,0,0”无效：应为逗号分隔的七个值"},
        {"overlapping merges", Head("merge A1:B2\nmerge B2:C3\n"), 5, 7, "", "merge-overlap",
         "合并区域 B2:C3 与 A1:B2 重叠"},
        {"merge outside the sheet", Head("merge A1:D1\n"), 4, 7, "", "bad-range",
         "区域 A1:D1 超出表格范围或左上、右下颠倒"},
        {"sections out of order", Head("merge A1:B1\nstyle 1 size=9\n"), 5, 1, "", "out-of-order",
         "“style”行的位置不对（顺序应为 style、merge、print、pageline、page、name、rows）"},
        {"bad number cell", Head("rows\n2\t=12,5\n"), 5, 3, "A2", "bad-number", "“12,5”不是有效的数值"},
        {"undefined style", Head("rows\n1\t\t~3\"x\"\n"), 5, 4, "B1", "unknown-style",
         "单元格引用了未定义的样式“~3”"},
        {"too many cells", Head("rows\n1\t=1\t=2\t=3\t=4\n"), 5, 12, "D1", "too-many-cells",
         "该行的单元格多于表格的列数 3"},
        {"rows out of order", Head("rows\n3\t=1\n2\t=1\nend\n"), 6, 1, "", "bad-row",
         "行号应递增：第 2 行不在第 3 行之后"},
        {"row past the end", Head("rows\n5\t=1\nend\n"), 5, 1, "", "bad-row", "行号 5 超出表格的行数 4"},
        {"bad escape", Head("rows\n1\t\"a\\qb\"\nend\n"), 5, 5, "A1", "bad-escape", "未知的转义符 \\q"},
        {"invalid UTF-8", Head("rows\n1\t\"\xC3\x28\"\nend\n"), 5, 3, "A1", "bad-utf8",
         "文本不是有效的 UTF-8 编码"},
        {"no end line", Head("rows\n1\t=1\n"), 6, 0, "", "truncated", "文件不完整：在“end”行之前就结束了"},
        {"sheet name no workbook can carry", Head("name \"a/b\"\nrows\nend\n"), 4, 6, "", "bad-name",
         "工作表名称“a/b”无效（1 到 31 个字符，不含 []:*?/\\）"},
        // Without the check this loaded, and an A5 page held only the page line: 44 such pages.
        {"margins leaving no printable area",
         Head("page paper=A5 orientation=portrait margins=70,25,70,25 scale=100 fit=0x0 centre=-\n"), 4, 1,
         "", "bad-value",
         "页面设置超出范围（边距 0 到 200 毫米且边距之间至少留出 20 毫米的打印区域，缩放 10% 到 "
         "400%，适应页数 0 "
         "到 100）"},
        {"data after end", Head("rows\nend\nx\n"), 6, 1, "", "trailing-data", "“end”行之后还有内容"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc;
        LoadError error;
        ASSERT_FALSE(ReadCll(c.text, "t.cll", doc, error));
        EXPECT_EQ(error.file, "t.cll");
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_EQ(error.cell, c.cell);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.message, c.message);
    }
}

} // namespace
} // namespace sheet
