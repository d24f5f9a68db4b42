// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The .cll reader's lines of settings: cell styles, the page line and the page set-up. Keys may come
// in any order but each only once, so a hand-edited template cannot say two things at a time.
#include "controls/sheet/CllReader_p.h"
#include "controls/sheet/CllText_p.h"
#include "controls/sheet/StylePool_p.h"

namespace sheet {

using namespace cll;

bool CllReader::StyleLine(SheetDocument& doc) {
    const std::string_view numberWord = Word();
    const auto number = ParseInt<std::uint32_t>(numberWord);
    if (!number || *number != m_styleMap.size()) {
        return Fail("bad-style-number",
                    std::string("样式编号应从 1 起连续递增，此处应为 ") + std::to_string(m_styleMap.size()),
                    Col(numberWord));
    }
    CellStyle s;
    std::string seen;
    for (std::string_view token = Word(); !token.empty(); token = Word()) {
        const std::size_t eq = token.find('=');
        const std::string_view key = token.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : token.substr(eq + 1);
        const std::string keyMark = std::string("|") + std::string(key) + "|";
        if (seen.find(keyMark) != std::string::npos) {
            return Fail("duplicate-key", std::string("样式属性“") + std::string(key) + "”出现了两次",
                        Col(token));
        }
        seen += keyMark;
        auto bad = [&](const char* what) {
            return Fail("bad-value",
                        std::string("样式属性 ") + std::string(key) + " 的值“" + std::string(value) +
                            "”无效：" + what,
                        Col(token));
        };
        if (key == "face") {
            if (!Quoted(value, s.face)) {
                return false;
            }
            if (s.face.empty() || s.face.size() > 255) {
                return bad("字体名不能为空或过长");
            }
        } else if (key == "size") {
            const auto size = ParseDouble(value);
            if (!size || *size < 1 || *size > 409) {
                return bad("字号应在 1 到 409 之间");
            }
            s.sizePt = static_cast<float>(*size);
        } else if (key == "font") {
            s.font = 0;
            if (value != "-") {
                for (const char ch : value) {
                    const int bit = ch == 'b' ? kBold : ch == 'i' ? kItalic : ch == 'u' ? kUnderline : 0;
                    if (bit == 0 || (s.font & bit) != 0) {
                        return bad("应为 b、i、u 的组合或 -");
                    }
                    s.font = static_cast<std::uint8_t>(s.font | bit);
                }
                if (value.empty()) {
                    return bad("应为 b、i、u 的组合或 -");
                }
            }
        } else if (key == "align") {
            const auto align = ParseInt<int>(value);
            if (!align || *align < 0 || *align > 0xFFFF) {
                return bad("应为 0 到 65535 的整数");
            }
            s.align = *align;
        } else if (key == "num") {
            std::string_view parts[7];
            std::string_view rest = value;
            for (int k = 0; k < 7; ++k) {
                const std::size_t comma = rest.find(',');
                parts[k] = rest.substr(0, comma);
                rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
                if (comma == std::string_view::npos && k < 6) {
                    return bad("应为逗号分隔的七个值");
                }
                if (k == 6 && comma != std::string_view::npos) {
                    return bad("应为逗号分隔的七个值");
                }
            }
            const auto v1 = ParseInt<std::int16_t>(parts[0]);
            const auto v2 = ParseInt<int>(parts[1]);
            const auto v3 = ParseInt<std::int16_t>(parts[2]);
            const auto v4 = ParseInt<std::int16_t>(parts[3]);
            const auto v5 = ParseDouble(parts[4]);
            const auto v6 = ParseInt<std::int16_t>(parts[5]);
            const auto v7 = ParseInt<int>(parts[6]);
            if (!v1 || !v2 || !v3 || !v4 || !v5 || !v6 || !v7 || *v2 < 0 || *v2 > 1 || *v7 < 0 || *v7 > 1) {
                return bad("七个值的类型不对");
            }
            s.num = NumFormat{*v1, *v2 == 1, *v3, *v4, *v5, *v6, *v7 == 1};
            if (!s.num.IsValid()) {
                return bad("超出各值的取值范围");
            }
        } else if (key == "option") {
            const auto option = ParseInt<std::int16_t>(value);
            if (!option) {
                return bad("应为 16 位整数");
            }
            s.option = *option;
        } else if (key == "left" || key == "top" || key == "right" || key == "bottom") {
            const std::size_t slash = value.find('/');
            const auto style = ParseInt<int>(value.substr(0, slash));
            const std::string_view hex =
                slash == std::string_view::npos ? std::string_view{} : value.substr(slash + 1);
            unsigned colour = 0;
            const auto [ptr, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), colour, 16);
            if (!style || *style < 1 || *style >= kBorderStyleCount || hex.size() != 6 || ec != std::errc() ||
                ptr != hex.data() + hex.size()) {
                return bad("应为“线型/六位十六进制颜色”，线型 1 到 13");
            }
            const int edge = key == "left" ? kLeft : key == "top" ? kTop : key == "right" ? kRight : kBottom;
            s.borders[static_cast<std::size_t>(edge)] = {static_cast<std::uint8_t>(*style), colour};
        } else {
            return Fail("unknown-key", std::string("未知的样式属性“") + std::string(key) + "”", Col(token));
        }
    }
    m_styleMap.push_back(doc.m_styles->Intern(s));
    return true;
}

bool CllReader::PageLineLine(SheetDocument& doc) {
    sheet::PageLine line;
    for (std::string* part : {&line.left, &line.centre, &line.right}) {
        const std::string_view token = Word();
        if (token.empty()) {
            return Fail("bad-pageline", "pageline 行应有左、中、右三段文本", Col(m_rest));
        }
        if (!Quoted(token, *part)) {
            return false;
        }
    }
    if (!m_rest.empty()) {
        return Fail("bad-pageline", "pageline 行应有左、中、右三段文本", Col(m_rest));
    }
    doc.m_pageLine = std::move(line);
    return true;
}

bool CllReader::NameLine(SheetDocument& doc) {
    const std::string_view token = Word();
    std::string name;
    if (token.empty() || !m_rest.empty()) {
        return Fail("bad-name", "name 行应有一段加引号的工作表名称", Col(m_rest));
    }
    if (!Quoted(token, name)) {
        return false;
    }
    if (name.empty() || !doc.SetSheetName(name)) {
        return Fail("bad-name", "工作表名称“" + name + "”无效（1 到 31 个字符，不含 []:*?/\\）", Col(token));
    }
    return true;
}

bool CllReader::PageLine(SheetDocument& doc) {
    PageSetup ps;
    for (std::string_view token = Word(); !token.empty(); token = Word()) {
        const std::size_t eq = token.find('=');
        const std::string_view key = token.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : token.substr(eq + 1);
        bool ok = true;
        if (key == "paper") {
            ok = false;
            for (int p = 0; p < kPaperCount; ++p) {
                if (value == PaperName(static_cast<Paper>(p))) {
                    ps.paper = static_cast<Paper>(p);
                    ok = true;
                }
            }
        } else if (key == "orientation") {
            ok = value == cll::kOrientation[0] || value == cll::kOrientation[1];
            ps.landscape = value == cll::kOrientation[1];
        } else if (key == "margins") {
            std::string_view rest = value;
            for (double* mm : {&ps.marginLeftMm, &ps.marginTopMm, &ps.marginRightMm, &ps.marginBottomMm}) {
                const std::size_t comma = rest.find(',');
                const auto v = ParseDouble(rest.substr(0, comma));
                ok = ok && v.has_value();
                *mm = v.value_or(-1);
                rest = comma == std::string_view::npos ? std::string_view{"\x01"} : rest.substr(comma + 1);
            }
            ok = ok && rest == "\x01";
        } else if (key == "scale") {
            const auto v = ParseInt<int>(value);
            ok = v.has_value();
            ps.scalePercent = v.value_or(0);
        } else if (key == "fit") {
            const std::size_t x = value.find('x');
            const auto w = ParseInt<int>(value.substr(0, x));
            const auto h = x == std::string_view::npos ? std::nullopt : ParseInt<int>(value.substr(x + 1));
            ok = w && h;
            ps.fitWide = w.value_or(-1);
            ps.fitTall = h.value_or(-1);
        } else if (key == "centre") {
            ok = value == "-" || value == "h" || value == "v" || value == "hv";
            ps.centreHorizontally = value.find('h') != std::string_view::npos;
            ps.centreVertically = value.find('v') != std::string_view::npos;
        } else {
            return Fail("unknown-key", std::string("未知的页面设置属性“") + std::string(key) + "”",
                        Col(token));
        }
        if (!ok) {
            return Fail("bad-value",
                        std::string("页面设置属性 ") + std::string(key) + " 的值“" + std::string(value) +
                            "”无效",
                        Col(token));
        }
    }
    if (!ps.IsValid()) {
        return Fail("bad-value",
                    "页面设置超出范围（边距 0 到 200 毫米且边距之间至少留出 20 毫米的打印区域，缩放 10% 到 "
                    "400%，适应页数 0 到 100）",
                    1);
    }
    doc.m_pageSetup = ps;
    return true;
}

} // namespace sheet
