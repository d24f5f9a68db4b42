// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "app/template/TemplateCheck.h"

#include <gtest/gtest.h>

namespace tmpl {
namespace {

// A template from rows of tab-separated cell texts (row 1 first).
sheet::SheetDocument Template(const std::vector<std::string>& rows) {
    sheet::SheetDocument doc;
    doc.Resize(4, static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        std::size_t from = 0;
        for (int col = 0; col < 4 && from <= rows[static_cast<std::size_t>(row)].size(); ++col) {
            const std::string& line = rows[static_cast<std::size_t>(row)];
            const std::size_t tab = line.find('\t', from);
            doc.SetCellText(col, row,
                            line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            from = tab == std::string::npos ? line.size() + 1 : tab + 1;
        }
    }
    return doc;
}

TEST(TemplateCheckTest, ReportsWhatIsMissingOrOdd) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"complete template",
         {"日报", "start", "", "单号\t日期\t金额\t", "fid\tfdate\tfamount\tfpaid", "end", "合计\t\ty\t",
          "制表：\t&PUSER"},
         "  “start”标记：第 2 行\n  表头行：第 4 行至第 4 行，共 1 行\n"
         "  字段行：第 5 行，字段 fid、fdate、famount、fpaid\n  “end”标记：第 6 行\n"
         "  合计标志行：第 7 行，标题“合计”(A7)、y(C7)\n  页脚行：第 8 行至第 8 行，字段格 1 "
         "个（只有含字段格的行会打印）\n"
         "检查通过，没有发现问题。\n"},
        {"no end marker",
         {"start", "", "a", "f", "End "},
         "警告：A5 的内容是“End ”，含多余的空格，不会被当作“end”标记\n"
         "错误：没有找到“end”标记：A 列中没有内容为“end”的单元格，报表无法确定表头、字段行和合计标志行\n"
         "发现 1 个错误、1 个警告。\n"},
        {"end too close to start",
         {"start", "x", "END"},
         "  “start”标记：第 1 行\n"
         "错误：“end”标记（第 3 行）与“start”标记（第 1 "
         "行）相距不足三行：两者之间应有“start”的下一行、表头行和字段行，"
         "报表无法建立表头\n发现 1 个错误、0 个警告。\n"},
        {"empty field cells, odd flags, unknown field",
         {"&PFOO", "start", "", "h", "f1\t\tf3\t", "end", "bal\tY\t小计\ty", "&p 2"},
         "  “start”标记：第 2 行\n  表头行：第 4 行至第 4 行，共 1 行\n  字段行：第 5 行，字段 f1、f3\n"
         "  “end”标记：第 6 行\n  合计标志行：第 7 行，标题“bal”(A7)、y(B7)、y(D7)\n"
         "  页脚行：第 8 行至第 8 行，字段格 1 个（只有含字段格的行会打印）\n"
         "警告：字段行（第 5 行）中 B、D 列为空：这些列没有数据，在网格中将被隐藏\n"
         "警告：合计标志行 A7 的“bal”出现在第一个标题文字之前：报表会把它当作合计行的标题，而不是余额列；"
         "请在它左边先写标题文字\n"
         "警告：合计标志行 C7 的“小计”不是 y 或 bal：只有第一个标题文字（A7）会显示在合计行，这一格将被忽略\n"
         "警告：A1 的“&PFOO”不是已知的字段（参数序号、USER、ACCT 或 DATE），打印时保持原文\n"
         "发现 0 个错误、4 个警告。\n"},
        {"no start, no header rows, nothing after end",
         {"f1\tf2", "end"},
         "  字段行：第 1 行，字段 f1、f2\n  “end”标记：第 2 行\n"
         "警告：没有找到“start”标记（第 2 行的“end”之上）：表头将从第 1 行开始\n"
         "警告：没有表头行：“end”紧挨在字段行之下，网格将不显示表头\n"
         "警告：字段行（第 1 行）中 C、D 列为空：这些列没有数据，在网格中将被隐藏\n"
         "警告：没有合计标志行：“end”是表格的最后一行\n发现 0 个错误、4 个警告。\n"},
        // Without the check this passed, and the two captions never showed.
        {"header drawn right under start",
         {"start", "单号\t金额", "", "f1\tf2", "end"},
         "  “start”标记：第 1 行\n  表头行：第 3 行至第 3 行，共 1 行\n  字段行：第 4 行，字段 f1、f2\n"
         "  “end”标记：第 5 行\n"
         "警告：“start”的下一行（第 2 行）不属于表头，报表不读这一行：A2 的“单号”、B2 "
         "的“金额”不会出现在网格的"
         "表头中（表头从第 3 行开始）\n"
         "警告：字段行（第 4 行）中 C、D 列为空：这些列没有数据，在网格中将被隐藏\n"
         "警告：没有合计标志行：“end”是表格的最后一行\n发现 0 个错误、3 个警告。\n"},
        // Without the check this passed, and the note printed as its last characters only.
        {"a text too wide for its room in print",
         {"日报", "start", "", "单号", "f1", "end", "", "备注：本行没有字段的说明\t&PUSER"},
         "  “start”标记：第 2 行\n  表头行：第 4 行至第 4 行，共 1 行\n  字段行：第 5 行，字段 f1\n"
         "  “end”标记：第 6 行\n  合计标志行：第 7 行，无标志\n"
         "  页脚行：第 8 行至第 8 行，字段格 1 个（只有含字段格的行会打印）\n"
         "警告：字段行（第 5 行）中 B、C、D 列为空：这些列没有数据，在网格中将被隐藏\n"
         // 12 hanzi of 10 pt are 160 pixels; the 72-pixel column less its padding leaves 68.
         "警告：A8 的“备注：本行没有字段的说明”打印时放不下：约需 160 像素，只有 68 像素，超出的字会被截掉；"
         "请加宽该列、合并单元格或改为左对齐\n"
         "发现 0 个错误、2 个警告。\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatCheck(CheckTemplate(Template(c.rows))), c.expected);
    }
}

TEST(TemplateCheckTest, LayoutMatchesTheReportWindow) {
    // "start" in row 4 and "end" in row 9 (1-based): header rows 6-7, field row 8, totals-flag row 10.
    const CheckResult r = CheckTemplate(Template({"", "", "", "start", "", "a", "b", "f", "end", "y"}));
    EXPECT_EQ(std::to_string(r.layout.startRow) + " " + std::to_string(r.layout.headerFirst) + "-" +
                  std::to_string(r.layout.headerLast) + " " + std::to_string(r.layout.fieldRow) + " " +
                  std::to_string(r.layout.endRow) + " " + std::to_string(r.layout.totalsRow),
              "3 5-6 7 8 9");
}

} // namespace
} // namespace tmpl
