// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The template check finds the markers exactly as the report window does, so that what it says is
// what the report will do: a marker with a trailing space is no marker there either, and is reported
// as such rather than silently accepted. Row numbers and cell names in messages are the ones the
// author sees in a spreadsheet program (1-based, "B7").
#include "app/template/TemplateCheck.h"

#include "controls/sheet/CellAlign.h"
#include "vb/Conversion.h"
#include "vb/Strings.h"

#include <limits>

namespace tmpl {

namespace {

std::string Text(const sheet::SheetDocument& doc, int col, int row) {
    vb::Variant text;
    doc.GetCellText(col, row, text);
    return text.IsString() ? text.AsString() : std::string();
}

std::string RowName(int row) {
    return std::string("第 ") + std::to_string(row + 1) + " 行";
}

std::string JoinNames(const std::vector<std::string>& names) {
    return vb::Join(names, "、");
}

// A field cell as the page fields know it: "&P" after upper-casing its first two characters.
bool IsFieldCell(const std::string& text) {
    return text.size() >= 2 && text[0] == '&' && (text[1] == 'P' || text[1] == 'p');
}

bool IsKnownFieldKey(const std::string& key) {
    return key == "USER" || key == "ACCT" || key == "DATE" || vb::IsNumeric(vb::Variant(key));
}

// Width of a text in sheet pixels as print sets it, estimated without fonts: a hanzi or full-width
// character takes a whole em, anything else half of one. Report faces keep Latin narrower than that
// and hanzi at one em, so a text estimated too wide is too wide.
double TextWidthPx(std::string_view text, double sizePt) {
    double ems = 0;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = lead < 0x80   ? lead
                        : lead < 0xE0 ? lead & 0x1F
                        : lead < 0xF0 ? lead & 0x0F
                                      : lead & 0x07;
        for (std::size_t k = 1; k < length && at + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        }
        ems += code >= 0x2E80 && !(code >= 0xFF61 && code <= 0xFFDC) ? 1.0 : 0.5;
        at += length;
    }
    return ems * sizePt * 96 / 72;
}

// The room a cell's text has in print, as the painter gives it: its merged block, or the cell with the
// empty neighbours a left-aligned text runs on over to the right, a right-aligned one to the left.
int PrintRoomPx(const sheet::SheetDocument& doc, int col, int row) {
    int c1 = col, r1 = row, c2 = col, r2 = row;
    const auto width = [&doc](int at) {
        int px = 0;
        doc.GetColWidth(at, px);
        return px;
    };
    int room = 0;
    if (doc.GetMergeRange(col, row, c1, r1, c2, r2)) {
        for (int at = c1; at <= c2; ++at) {
            room += width(at);
        }
        return room;
    }
    room = width(col);
    const sheet::HAlign horizontal = sheet::CellAlign::FromFlags(doc.GetCellAlign(col, row)).horizontal;
    if (horizontal == sheet::HAlign::Centre) {
        return room;
    }
    const int step = horizontal == sheet::HAlign::Left ? 1 : -1;
    int at = col + step;
    for (; at >= 0 && at < doc.SheetColCount(); at += step) {
        vb::Variant text;
        int m1 = 0, m2 = 0, m3 = 0, m4 = 0;
        if ((doc.GetCellText(at, row, text) && !text.IsNull()) ||
            doc.GetMergeRange(at, row, m1, m2, m3, m4)) {
            break;
        }
        room += width(at);
    }
    // A right-aligned text free up to the first column runs on into the space a centred page leaves.
    if (at < 0 && doc.GetPageSetup().centreHorizontally) {
        return std::numeric_limits<int>::max() / 2;
    }
    return room;
}

} // namespace

int CheckResult::Errors() const {
    int n = 0;
    for (const Finding& f : findings) {
        n += f.isError ? 1 : 0;
    }
    return n;
}

int CheckResult::Warnings() const {
    return static_cast<int>(findings.size()) - Errors();
}

CheckResult CheckTemplate(const sheet::SheetDocument& doc) {
    CheckResult out;
    TemplateLayout& l = out.layout;
    auto error = [&out](std::string message) {
        out.findings.push_back({true, std::move(message)});
    };
    auto warn = [&out](std::string message) {
        out.findings.push_back({false, std::move(message)});
    };
    const int rows = doc.SheetRowCount();
    const int cols = doc.SheetColCount();

    for (int row = 0; row < rows && l.endRow < 0; ++row) {
        const std::string lower = vb::LCase(Text(doc, 0, row));
        if (lower == "start") {
            l.startRow = row;
        } else if (lower == "end") {
            l.endRow = row;
        } else if (vb::Trim(lower) == "start" || vb::Trim(lower) == "end") {
            warn(sheet::CellName(0, row) + " 的内容是“" + Text(doc, 0, row) + "”，含多余的空格，不会被当作“" +
                 vb::Trim(lower) + "”标记");
        }
    }
    for (int row = 0; row < rows; ++row) {
        for (int col = 1; col < doc.StoredColCount(row); ++col) {
            const std::string lower = vb::Trim(vb::LCase(Text(doc, col, row)));
            if (lower == "start" || lower == "end") {
                warn(std::string("“") + lower + "”写在了 " + sheet::CellName(col, row) +
                     "，标记必须写在 A 列，这里不起作用");
            }
        }
    }
    if (l.endRow < 0) {
        error("没有找到“end”标记：A 列中没有内容为“end”的单元格，报表无法确定表头、字段行和合计标志行");
        return out;
    }
    if (l.startRow < 0) {
        warn(std::string("没有找到“start”标记（") + RowName(l.endRow) + "的“end”之上）：表头将从第 1 行开始");
    }
    l.headerFirst = l.startRow < 0 ? 0 : l.startRow + 2;
    l.headerLast = l.endRow - 2;
    l.fieldRow = l.endRow - 1;
    l.totalsRow = l.endRow + 1 < rows ? l.endRow + 1 : -1;
    if (l.startRow >= 0) {
        out.facts.push_back(std::string("“start”标记：") + RowName(l.startRow));
    }
    const int headerRows = l.headerLast - l.headerFirst + 1;
    if (l.startRow >= 0 && l.endRow - l.startRow < 3) {
        error(std::string("“end”标记（") + RowName(l.endRow) + "）与“start”标记（" + RowName(l.startRow) +
              "）相距不足三行：两者之间应有“start”的下一行、表头行和字段行，报表无法建立表头");
        return out;
    }
    if (l.startRow >= 0) {
        // The row after "start" is not read: captions drawn there (right under the marker, where an
        // author starts the header) never show in the grid.
        std::vector<std::string> skipped;
        for (int col = 0; col < doc.StoredColCount(l.startRow + 1); ++col) {
            const std::string text = Text(doc, col, l.startRow + 1);
            if (!text.empty()) {
                skipped.push_back(sheet::CellName(col, l.startRow + 1) + " 的“" + text + "”");
            }
        }
        if (!skipped.empty()) {
            warn(std::string("“start”的下一行（") + RowName(l.startRow + 1) +
                 "）不属于表头，报表不读这一行：" + JoinNames(skipped) + "不会出现在网格的表头中（表头从" +
                 RowName(l.startRow + 2) + "开始）");
        }
    }
    if (headerRows <= 0) {
        warn("没有表头行：“end”紧挨在字段行之下，网格将不显示表头");
    } else {
        out.facts.push_back(std::string("表头行：") + RowName(l.headerFirst) + "至" + RowName(l.headerLast) +
                            "，共 " + std::to_string(headerRows) + " 行");
    }
    std::vector<std::string> fields, emptyFields;
    for (int col = 0; col < cols; ++col) {
        const std::string name = Text(doc, col, l.fieldRow);
        if (name.empty()) {
            emptyFields.push_back(sheet::ColumnName(col));
        } else {
            fields.push_back(name);
            if (vb::Trim(name) != name) {
                warn(std::string("字段行 ") + sheet::CellName(col, l.fieldRow) + " 的字段名“" + name +
                     "”前后有空格，按原样查找字段时将找不到，该列会被隐藏");
            }
        }
        if (doc.GetCellOption(col, l.fieldRow) == sheet::kOptionShowZeroExplicit) {
            warn(std::string("字段行 ") + sheet::CellName(col, l.fieldRow) +
                 " 的零值选项是 1：网格会把零值显示为空白，打印却会显示零；请用 0（显示零）或 "
                 "2（零显示为空白）");
        }
    }
    out.facts.push_back(std::string("字段行：") + RowName(l.fieldRow) + "，字段 " + JoinNames(fields));
    if (!emptyFields.empty()) {
        warn(std::string("字段行（") + RowName(l.fieldRow) + "）中 " + JoinNames(emptyFields) +
             " 列为空：这些列没有数据，在网格中将被隐藏");
    }
    out.facts.push_back(std::string("“end”标记：") + RowName(l.endRow));

    if (l.totalsRow < 0) {
        warn("没有合计标志行：“end”是表格的最后一行");
    } else {
        std::vector<std::string> flags;
        int captionCol = -1;
        bool hasTotals = false;
        for (int col = 0; col < cols; ++col) {
            const std::string raw = Text(doc, col, l.totalsRow);
            const std::string flag = vb::LCase(vb::Trim(raw));
            if (flag.empty()) {
                continue;
            }
            const std::string where = sheet::CellName(col, l.totalsRow);
            if (captionCol < 0 && flag != "y") {
                captionCol = col;
                flags.push_back(std::string("标题“") + raw + "”(" + where + ")");
                if (flag == "bal") {
                    warn(std::string("合计标志行 ") + where +
                         " 的“bal”出现在第一个标题文字之前：报表会把它当作合计行的标题，"
                         "而不是余额列；请在它左边先写标题文字");
                }
            } else if (flag == "y" || flag == "bal") {
                hasTotals = true;
                flags.push_back(flag + "(" + where + ")");
            } else {
                warn(std::string("合计标志行 ") + where + " 的“" + raw +
                     "”不是 y 或 bal：只有第一个标题文字（" + sheet::CellName(captionCol, l.totalsRow) +
                     "）会显示在合计行，这一格将被忽略");
            }
        }
        out.facts.push_back(std::string("合计标志行：") + RowName(l.totalsRow) +
                            (flags.empty() ? "，无标志" : std::string("，") + JoinNames(flags)));
        if (!hasTotals && captionCol >= 0) {
            warn("合计标志行只有标题文字，没有 y 或 bal 列：报表不会生成合计行");
        }
    }
    for (const sheet::MergeRange& m : doc.Merges()) {
        for (const int row : {l.fieldRow, l.endRow, l.totalsRow}) {
            if (row >= 0 && m.r1 <= row && m.r2 >= row && m.r1 != m.r2) {
                warn(std::string("合并区域 ") + sheet::CellName(m.c1, m.r1) + ":" +
                     sheet::CellName(m.c2, m.r2) + " 跨入" + RowName(row) +
                     "：字段行、标记行和合计标志行的每一格应各自独立");
                break;
            }
        }
    }
    // Fields in the title rows (above the header) and the footer rows (below the totals-flag row).
    int footerFields = 0;
    for (int row = 0; row < rows; ++row) {
        const bool title = row < l.headerFirst;
        const bool footer = row > l.endRow + 1;
        for (int col = 0; col < doc.StoredColCount(row) && (title || footer); ++col) {
            const std::string text = Text(doc, col, row);
            if (!IsFieldCell(text)) {
                continue;
            }
            footerFields += footer ? 1 : 0;
            const std::string key = vb::UCase(vb::Trim(text.substr(2)));
            if (!IsKnownFieldKey(key)) {
                warn(sheet::CellName(col, row) + " 的“" + text +
                     "”不是已知的字段（参数序号、USER、ACCT 或 DATE），打印时保持原文");
            }
        }
    }
    // Texts that print (title, header and footer rows; not the field, marker and flag rows, nor
    // the field cells, whose values come later) and do not fit their room.
    for (int row = 0; row < rows; ++row) {
        if (row == l.fieldRow || row == l.endRow || row == l.totalsRow || row == l.startRow + 1) {
            continue;
        }
        // A footer row prints only when it holds a field cell.
        bool prints = row < l.endRow;
        for (int col = 0; col < doc.StoredColCount(row) && !prints; ++col) {
            prints = IsFieldCell(Text(doc, col, row));
        }
        if (!prints) {
            continue;
        }
        for (int col = 0; col < doc.StoredColCount(row); ++col) {
            const std::string text = Text(doc, col, row);
            if (text.empty() || IsFieldCell(text) || (row == l.startRow && col == 0)) {
                continue;
            }
            int c1 = col, r1 = row, c2 = col, r2 = row;
            if (doc.GetMergeRange(col, row, c1, r1, c2, r2) && (c1 != col || r1 != row)) {
                continue;
            }
            const double needed = TextWidthPx(text, static_cast<double>(doc.StyleAt(col, row).sizePt));
            const int room = PrintRoomPx(doc, col, row) - 4; // the painter's padding, two pixels a side
            if (needed > room + 0.5) {
                warn(sheet::CellName(col, row) + " 的“" + text + "”打印时放不下：约需 " +
                     std::to_string(static_cast<int>(needed + 0.5)) + " 像素，只有 " +
                     std::to_string(std::max(room, 0)) +
                     " 像素，超出的字会被截掉；请加宽该列、合并单元格或改为左对齐");
            }
        }
    }
    if (l.endRow + 2 < rows) {
        out.facts.push_back(std::string("页脚行：") + RowName(l.endRow + 2) + "至" + RowName(rows - 1) +
                            "，字段格 " + std::to_string(footerFields) + " 个（只有含字段格的行会打印）");
    }
    return out;
}

std::string FormatCheck(const CheckResult& result) {
    std::string out;
    for (const std::string& fact : result.facts) {
        out += std::string("  ") + fact + "\n";
    }
    for (const Finding& f : result.findings) {
        out += std::string(f.isError ? "错误：" : "警告：") + f.message + "\n";
    }
    if (result.findings.empty()) {
        out += "检查通过，没有发现问题。\n";
    } else {
        out += std::string("发现 ") + std::to_string(result.Errors()) + " 个错误、" +
               std::to_string(result.Warnings()) + " 个警告。\n";
    }
    return out;
}

} // namespace tmpl
