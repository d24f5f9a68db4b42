// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The .cll reader. Design notes:
//  1. The reader is strict: every line has one meaning, sections come in one order (sheet, widths,
//     style*, merge*, print?, pageline?, page?, rows, row lines*, end), and anything else stops the
//     load with the line, column, cell and a message that names the fault. A template that loads at
//     all therefore loads exactly as it was saved.
//  2. Nothing is trusted before it is checked: sizes are checked against the sheet limits before
//     anything is allocated, cells against the declared column count, style numbers against the
//     styles already read. Memory is bounded by the limits and by the length of the file itself.
//  3. A file ends with the line "end" and its newline. Without them the file was cut short, however
//     plausible the rows before look; this is what turns every truncation into a clean failure.
//  4. The document being filled is a fresh one; the caller's document is replaced only at the end,
//     so a failed load leaves it as it was.
#include "controls/sheet/CllReader_p.h"
#include "controls/sheet/CllText_p.h"
#include "controls/sheet/FileBytes_p.h"
#include "controls/sheet/MergeIndex_p.h"
#include "controls/sheet/StylePool_p.h"
#include "vb/Strings.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>

namespace sheet {

namespace {
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 31;
} // namespace

using namespace cll;

bool CllReader::Fail(std::string code, std::string message, std::size_t column, std::string cell) {
    m_error = {m_file,          m_lineNo,        static_cast<int>(column),
               std::move(cell), std::move(code), std::move(message)};
    return false;
}

bool CllReader::NextLine() {
    if (m_pos >= m_data.size()) {
        ++m_lineNo;
        m_line = {};
        return Fail("truncated", "文件不完整：在“end”行之前就结束了");
    }
    const std::size_t end = m_data.find('\n', m_pos);
    ++m_lineNo;
    if (end == std::string_view::npos) {
        m_line = m_data.substr(m_pos);
        m_pos = m_data.size();
        return Fail("truncated", "文件不完整：最后一行没有换行符，文件可能被截断", m_line.size() + 1);
    }
    m_line = m_data.substr(m_pos, end - m_pos);
    m_rest = m_line;
    m_pos = end + 1;
    return true;
}

std::string_view CllReader::Word() {
    while (!m_rest.empty() && m_rest.front() == ' ') {
        m_rest.remove_prefix(1);
    }
    std::size_t len = 0;
    bool inQuote = false;
    while (len < m_rest.size() && (inQuote || m_rest[len] != ' ')) {
        if (m_rest[len] == '"') {
            inQuote = !inQuote;
        } else if (m_rest[len] == '\\' && inQuote) {
            ++len;
        }
        ++len;
    }
    len = std::min(len, m_rest.size());
    const std::string_view word = m_rest.substr(0, len);
    m_rest.remove_prefix(len);
    return word;
}

bool CllReader::Quoted(std::string_view token, std::string& out) {
    out.clear();
    if (token.size() < 2 || token.front() != '"' || token.back() != '"') {
        return Fail("bad-text", "文本应写在一对双引号之间", Col(token));
    }
    // The file is UTF-8 text; bytes that are not arrive escaped, so the check is on the raw token.
    if (!vb::IsValidUtf8(token)) {
        return Fail("bad-utf8", "文本不是有效的 UTF-8 编码", Col(token));
    }
    for (std::size_t at = 1; at + 1 < token.size(); ++at) {
        char ch = token[at];
        if (ch == '"') {
            return Fail("bad-text", "文本中的双引号应写作 \\\"", Col(token.substr(at)));
        }
        if (ch == '\\') {
            if (at + 2 >= token.size()) {
                return Fail("bad-escape", "文本末尾的反斜杠后缺少字符", Col(token.substr(at)));
            }
            const char esc = token[++at];
            switch (esc) {
            case '\\':
                ch = '\\';
                break;
            case '"':
                ch = '"';
                break;
            case 't':
                ch = '\t';
                break;
            case 'n':
                ch = '\n';
                break;
            case 'r':
                ch = '\r';
                break;
            case 'x': {
                const auto hex = at + 3 < token.size() ? token.substr(at + 1, 2) : std::string_view{};
                unsigned value = 0;
                const auto [ptr, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
                if (hex.size() != 2 || ec != std::errc() || ptr != hex.data() + 2) {
                    return Fail("bad-escape", "\\x 后应为两位十六进制数字", Col(token.substr(at - 1)));
                }
                ch = static_cast<char>(value);
                at += 2;
                break;
            }
            default:
                return Fail("bad-escape", std::string("未知的转义符 \\") + esc, Col(token.substr(at - 1)));
            }
        }
        out += ch;
    }
    return true;
}

bool CllReader::Range(std::string_view token, const SheetDocument& doc, MergeRange& out) {
    const std::size_t colon = token.find(':');
    const auto a = ParseCellName(token.substr(0, colon));
    const auto b = colon == std::string_view::npos ? std::nullopt : ParseCellName(token.substr(colon + 1));
    if (!a || !b) {
        return Fail("bad-range", "区域应写作“左上单元格:右下单元格”，如 A1:C2", Col(token));
    }
    out = {a->first, a->second, b->first, b->second};
    if (out.c1 > out.c2 || out.r1 > out.r2 || out.c2 >= doc.SheetColCount() ||
        out.r2 >= doc.SheetRowCount()) {
        return Fail("bad-range", std::string("区域 ") + std::string(token) + " 超出表格范围或左上、右下颠倒",
                    Col(token));
    }
    return true;
}

bool CllReader::Header(SheetDocument& doc) {
    if (!NextLine()) {
        return m_data.empty() ? Fail("not-cll", "文件是空的") : false;
    }
    const std::string_view magic = Word();
    if (magic != cll::kMagic) {
        return Fail("not-cll", "不是 .cll 表格文件：第一行应为“vondrel-cll 1”", 1);
    }
    const std::string_view version = Word();
    const auto v = ParseInt<int>(version);
    if (!v || !m_rest.empty()) {
        return Fail("not-cll", "第一行应为“vondrel-cll 1”", Col(version));
    }
    if (*v != cll::kVersion) {
        return Fail("unsupported-version",
                    std::string("不支持的 .cll 版本 ") + std::string(version) + "（本程序读取版本 1）",
                    Col(version));
    }
    if (!NextLine()) {
        return false;
    }
    const auto cols = (Word() == "sheet") ? ParseInt<long>(Word()) : std::nullopt;
    const std::string_view rowsWord = Word();
    const auto rows = ParseInt<long>(rowsWord);
    if (!cols || !rows || !m_rest.empty()) {
        return Fail("bad-line", "第二行应为“sheet 列数 行数”", 1);
    }
    if (*cols < 0 || *cols > kMaxCols || *rows < 0 || *rows > kMaxRows) {
        return Fail("bad-size",
                    "表格尺寸超出范围：" + std::to_string(*cols) + " 列 " + std::to_string(*rows) +
                        " 行（最多 16384 列、1048576 行）",
                    7);
    }
    doc.Resize(static_cast<int>(*cols), static_cast<int>(*rows));
    if (!NextLine()) {
        return false;
    }
    if (Word() != "widths") {
        return Fail("bad-line", "第三行应为“widths”及每列的宽度", 1);
    }
    for (int col = 0; col < doc.SheetColCount(); ++col) {
        const std::string_view w = Word();
        const auto px = ParseInt<int>(w);
        if (w.empty()) {
            return Fail("bad-widths", std::string("列宽个数少于列数 ") + std::to_string(doc.SheetColCount()),
                        Col(m_rest));
        }
        if (!px || *px < 0 || *px > kMaxColWidthPx) {
            return Fail("bad-width",
                        std::string("第 ") + ColumnName(col) + " 列的宽度“" + std::string(w) +
                            "”不是 0 到 4000 的整数",
                        Col(w));
        }
        doc.m_colWidths[static_cast<std::size_t>(col)] = *px;
    }
    if (!Word().empty()) {
        return Fail("bad-widths", std::string("列宽个数多于列数 ") + std::to_string(doc.SheetColCount()), 1);
    }
    return true;
}

bool CllReader::MergeLine(SheetDocument& doc) {
    const std::string_view token = Word();
    MergeRange m;
    if (!Range(token, doc, m)) {
        return false;
    }
    if (!m_rest.empty()) {
        return Fail("bad-line", "merge 行只能有一个区域", Col(m_rest));
    }
    if (m.c1 == m.c2 && m.r1 == m.r2) {
        return Fail("bad-merge", std::string("合并区域 ") + std::string(token) + " 只有一个单元格",
                    Col(token));
    }
    m_merges.push_back(m);
    m_mergeLines.push_back({m_lineNo, Col(token), token});
    return true;
}

// Ends the merge section: names the first line whose block overlaps an earlier one (the error then
// replaces any later one, as a line-by-line reader would have stopped there), or hands the blocks to
// the document at once.
bool CllReader::FlushMerges(SheetDocument& doc) {
    if (m_merges.empty()) {
        return true;
    }
    if (const auto overlap = FirstOverlap(m_merges)) {
        const PendingMerge& later = m_mergeLines[overlap->first];
        const MergeRange& other = m_merges[overlap->second];
        m_lineNo = later.line;
        return Fail("merge-overlap",
                    "合并区域 " + std::string(later.token) + " 与 " + CellName(other.c1, other.r1) + ":" +
                        CellName(other.c2, other.r2) + " 重叠",
                    later.column);
    }
    doc.m_merges->AssignDisjoint(std::move(m_merges));
    m_merges.clear();
    m_mergeLines.clear();
    return true;
}

bool CllReader::PrintLine(SheetDocument& doc) {
    const std::string_view area = Word();
    MergeRange r{-1, -1, -1, -1};
    if (area != "-" && !Range(area, doc, r)) {
        return false;
    }
    const std::string_view titles = Word();
    const std::size_t comma = titles.find(',');
    const auto rows = titles.starts_with("titles=") && comma != std::string_view::npos
                          ? ParseInt<int>(titles.substr(7, comma - 7))
                          : std::nullopt;
    const auto cols = rows ? ParseInt<int>(titles.substr(comma + 1)) : std::nullopt;
    if (!rows || !cols || *rows < 0 || *cols < 0 || *rows > doc.SheetRowCount() ||
        *cols > doc.SheetColCount() || !m_rest.empty()) {
        return Fail("bad-print", "print 行应为“print 区域 titles=行数,列数”，行数、列数不超过表格大小",
                    Col(titles));
    }
    doc.m_printArea = {r.c1, r.r1, r.c2, r.r2, *rows, *cols};
    return true;
}

bool CllReader::RowLine(SheetDocument& doc, int& lastRow) {
    std::string_view rest = m_line;
    const std::size_t tab = rest.find('\t');
    std::string_view head = rest.substr(0, tab);
    rest = tab == std::string_view::npos ? std::string_view{} : rest.substr(tab);
    const std::size_t space = head.find(' ');
    const auto rowNo = ParseInt<int>(head.substr(0, space));
    if (!rowNo || *rowNo < 1) {
        return Fail("bad-row", "行首应为行号（从 1 起）", 1);
    }
    const int row = *rowNo - 1;
    if (row >= doc.SheetRowCount()) {
        return Fail("bad-row",
                    std::string("行号 ") + std::to_string(*rowNo) + " 超出表格的行数 " +
                        std::to_string(doc.SheetRowCount()),
                    1);
    }
    if (row <= lastRow) {
        return Fail("bad-row",
                    std::string("行号应递增：第 ") + std::to_string(*rowNo) + " 行不在第 " +
                        std::to_string(lastRow + 1) + " 行之后",
                    1);
    }
    lastRow = row;
    SheetDocument::Row& target = doc.m_rows[static_cast<std::size_t>(row)];
    if (space != std::string_view::npos) {
        const std::string_view h = head.substr(space + 1);
        const auto px = h.starts_with("h=") ? ParseInt<int>(h.substr(2)) : std::nullopt;
        if (!px || *px < 0 || *px > kMaxRowHeightPx) {
            return Fail("bad-height", "行高应写作 h=像素，0 到 2000", Col(h));
        }
        target.heightPx = static_cast<std::uint16_t>(*px);
    }
    std::string text;
    int col = 0;
    while (!rest.empty()) {
        rest.remove_prefix(1); // the tab
        const std::size_t cellTab = rest.find('\t');
        // A quoted text may hold no raw tab (the writer escapes it), so the next tab ends the cell.
        std::string_view token = rest.substr(0, cellTab);
        rest = cellTab == std::string_view::npos ? std::string_view{} : rest.substr(cellTab);
        if (col >= doc.SheetColCount()) {
            return Fail("too-many-cells",
                        std::string("该行的单元格多于表格的列数 ") + std::to_string(doc.SheetColCount()),
                        Col(token), CellName(col, row));
        }
        SheetDocument::Cell cell;
        if (!token.empty() && token.front() == '~') {
            std::size_t len = 1;
            while (len < token.size() && token[len] >= '0' && token[len] <= '9') {
                ++len;
            }
            const auto fileStyle = ParseInt<std::uint32_t>(token.substr(1, len - 1));
            if (!fileStyle || *fileStyle == 0 || *fileStyle >= m_styleMap.size()) {
                return Fail("unknown-style",
                            std::string("单元格引用了未定义的样式“") + std::string(token.substr(0, len)) +
                                "”",
                            Col(token), CellName(col, row));
            }
            cell.style = m_styleMap[*fileStyle];
            token.remove_prefix(len);
        }
        if (!token.empty() && token.front() == '=') {
            const auto number = ParseDouble(token.substr(1));
            if (!number) {
                return Fail("bad-number", std::string("“") + std::string(token.substr(1)) + "”不是有效的数值",
                            Col(token), CellName(col, row));
            }
            cell.length = SheetDocument::kNumber;
            cell.payload = std::bit_cast<std::uint64_t>(*number);
        } else if (!token.empty() && token.front() == '"') {
            if (!Quoted(token, text)) {
                m_error.cell = CellName(col, row);
                return false;
            }
            if (text.size() > kMaxCellTextBytes) {
                return Fail("bad-text", "单元格文本过长", Col(token), CellName(col, row));
            }
            if (!text.empty()) {
                cell.payload = doc.m_texts.size();
                cell.length = static_cast<std::uint32_t>(text.size());
                doc.m_texts += text;
            }
        } else if (!token.empty()) {
            return Fail("bad-cell",
                        std::string("无法识别的单元格内容“") + std::string(token.substr(0, 20)) + "”",
                        Col(token), CellName(col, row));
        }
        target.PushBack(cell);
        ++col;
    }
    return true;
}

bool CllReader::Run(SheetDocument& out) {
    SheetDocument doc;
    if (!Header(doc)) {
        return false;
    }
    // Sections in their one order; `stage` is the index of the last section seen.
    static constexpr std::string_view kSections[] = {"style", "merge", "print", "pageline",
                                                     "page",  "name",  "rows"};
    int stage = -1;
    while (true) {
        if (!NextLine()) {
            FlushMerges(doc); // an overlap on an earlier line is the first fault
            return false;
        }
        const std::string_view word = Word();
        int section = -1;
        for (int k = 0; k < 7; ++k) {
            if (word == kSections[k]) {
                section = k;
            }
        }
        if (stage == 1 && section != 1 && !FlushMerges(doc)) {
            return false;
        }
        if (section < 0) {
            return Fail("bad-line", std::string("无法识别的行“") + std::string(m_line.substr(0, 40)) + "”",
                        1);
        }
        const bool repeatable = section <= 1;
        if (section < stage || (section == stage && !repeatable)) {
            return Fail("out-of-order",
                        std::string("“") + std::string(word) +
                            "”行的位置不对（顺序应为 style、merge、print、"
                            "pageline、page、name、rows）",
                        1);
        }
        stage = section;
        const bool ok = section == 0   ? StyleLine(doc)
                        : section == 1 ? MergeLine(doc)
                        : section == 2 ? PrintLine(doc)
                        : section == 3 ? PageLineLine(doc)
                        : section == 4 ? PageLine(doc)
                        : section == 5
                            ? NameLine(doc)
                            : m_rest.empty() || Fail("bad-line", "rows 行后不应有其他内容", Col(m_rest));
        if (!ok) {
            if (section == 1) {
                FlushMerges(doc); // an overlap on an earlier line is the first fault
            }
            return false;
        }
        if (section == 6) {
            break;
        }
    }
    int lastRow = -1;
    while (true) {
        if (!NextLine()) {
            return false;
        }
        if (m_line == "end") {
            break;
        }
        if (!RowLine(doc, lastRow)) {
            return false;
        }
    }
    if (m_pos != m_data.size()) {
        ++m_lineNo;
        return Fail("trailing-data", "“end”行之后还有内容", 1);
    }
    if (!doc.CheckConsistency()) {
        return Fail("inconsistent", "文件内容前后矛盾");
    }
    out = std::move(doc);
    return true;
}

bool ReadCll(std::string_view data, const std::string& fileName, SheetDocument& out, LoadError& error) {
    error = {};
    return CllReader(data, fileName, error).Run(out);
}

bool ReadCllFile(const std::string& path, SheetDocument& out, LoadError& error) {
    error = {};
    std::string data;
    return detail::ReadFileBytes(path, kMaxFileBytes, data, error) && ReadCll(data, path, out, error);
}

long SheetDocument::OpenFile(const std::string& path) {
    return ReadCllFile(path, *this, m_lastError) ? 1 : 0;
}

bool SheetDocument::SaveFile(const std::string& path) {
    m_lastError = {};
    return WriteCllFile(*this, path, m_lastError);
}

} // namespace sheet
