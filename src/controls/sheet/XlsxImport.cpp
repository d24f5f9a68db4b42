// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// .xlsx import. Notes:
//  1. Only the parts a template uses are read: the first worksheet, its shared strings and styles,
//     the workbook's print names. Everything else in the package is ignored, never rejected: files
//     come from many programs, each writing a little more or less.
//  2. Element names are compared without their namespace prefix, because some writers prefix the
//     main namespace ("x:c") and the meaning does not change.
//  3. Every part is read with a size cap and every index and cell reference is checked against the
//     sheet limits before use, so a hostile package ends in a clean error with bounded memory.
//  4. Sizes: a column width in characters becomes pixels by the 7-pixel digit rule spreadsheet
//     programs use for their default font; heights go from points to pixels at 96 dpi. The export
//     writes widths that this rule maps back to the same pixels.
#include "controls/sheet/FileBytes_p.h"
#include "controls/sheet/MergeIndex_p.h"
#include "controls/sheet/NumFormatCode.h"
#include "controls/sheet/SheetXlsx.h"
#include "controls/sheet/XlsxCommon_p.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <tuple>
#include <zip.h>

namespace sheet {

namespace {

constexpr zip_uint64_t kMaxPartBytes = 256u << 20;
constexpr std::size_t kMaxPackageBytes = std::size_t{512} << 20;

class ImportFailure {
public:
    std::string code, message, cell;
};

[[noreturn]] void Throw(std::string code, std::string message, std::string cell = {}) {
    throw ImportFailure{std::move(code), std::move(message), std::move(cell)};
}

std::string_view Local(const char* name) {
    const std::string_view n(name);
    const std::size_t colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && Local(c.name()) == name) {
            return c;
        }
    }
    return {};
}

template <typename Fn> void EachChild(pugi::xml_node node, std::string_view name, Fn&& fn) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && Local(c.name()) == name) {
            fn(c);
        }
    }
}

pugi::xml_attribute Attr(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (Local(a.name()) == name) {
            return a;
        }
    }
    return {};
}

double AttrDouble(pugi::xml_node node, std::string_view name, double fallback) {
    const pugi::xml_attribute a = Attr(node, name);
    if (!a) {
        return fallback;
    }
    const std::string_view text = a.value();
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value) ? value : fallback;
}

bool AttrBool(pugi::xml_node node, std::string_view name, bool fallback) {
    const pugi::xml_attribute a = Attr(node, name);
    if (!a) {
        return fallback;
    }
    const std::string_view v = a.value();
    return v == "1" || v == "true";
}

// A flag element: present and not val="0"/"false".
bool Flag(pugi::xml_node parent, std::string_view name) {
    const pugi::xml_node n = Child(parent, name);
    return n && AttrBool(n, "val", true);
}

class Package {
public:
    explicit Package(std::string_view bytes) {
        zip_error_t err;
        zip_error_init(&err);
        zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
        m_zip = src != nullptr ? zip_open_from_source(src, ZIP_RDONLY, &err) : nullptr;
        if (m_zip == nullptr) {
            if (src != nullptr) {
                zip_source_free(src);
            }
            zip_error_fini(&err);
            Throw("not-xlsx", "不是 .xlsx 工作簿（不是有效的 zip 压缩包）");
        }
        zip_error_fini(&err);
    }
    ~Package() { zip_discard(m_zip); }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // The part's bytes; nullopt-like empty string with found=false when the part is missing.
    bool Read(const std::string& name, std::string& out) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(m_zip, name.c_str(), 0, &st) != 0) {
            return false;
        }
        if ((st.valid & ZIP_STAT_SIZE) == 0 || st.size > kMaxPartBytes) {
            Throw("too-large", std::string("工作簿中的“") + name + "”过大");
        }
        zip_file_t* file = zip_fopen(m_zip, name.c_str(), 0);
        if (file == nullptr) {
            Throw("bad-zip", std::string("无法解压工作簿中的“") + name + "”");
        }
        out.resize(st.size);
        const zip_int64_t n = st.size == 0 ? 0 : zip_fread(file, out.data(), st.size);
        zip_fclose(file);
        if (n < 0 || static_cast<zip_uint64_t>(n) != st.size) {
            Throw("bad-zip", std::string("工作簿中的“") + name + "”已损坏");
        }
        return true;
    }

    void Xml(const std::string& name, pugi::xml_document& doc, bool required) {
        std::string bytes;
        if (!Read(name, bytes)) {
            if (required) {
                Throw("missing-part", std::string("工作簿缺少“") + name + "”");
            }
            return;
        }
        const pugi::xml_parse_result r = doc.load_buffer(bytes.data(), bytes.size());
        if (!r) {
            Throw("bad-xml", std::string("工作簿中的“") + name + "”不是有效的 XML（偏移 " +
                                 std::to_string(r.offset) + "）：" + r.description());
        }
    }

private:
    zip_t* m_zip = nullptr;
};

// Resolves a relationship target against the folder of the part that names it.
std::string ResolveTarget(const std::string& base, std::string_view target) {
    if (!target.empty() && target.front() == '/') {
        return std::string(target.substr(1));
    }
    std::string folder = base.substr(0, base.rfind('/') + 1);
    while (target.starts_with("../")) {
        target.remove_prefix(3);
        folder = folder.substr(0, folder.size() > 1 ? folder.rfind('/', folder.size() - 2) + 1 : 0);
    }
    return folder + std::string(target);
}

std::map<std::string, std::pair<std::string, std::string>> Relationships(Package& pkg,
                                                                         const std::string& part) {
    const std::size_t slash = part.rfind('/');
    const std::string relsName = (slash == std::string::npos ? std::string() : part.substr(0, slash + 1)) +
                                 "_rels/" + part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
    pugi::xml_document rels;
    pkg.Xml(relsName, rels, false);
    std::map<std::string, std::pair<std::string, std::string>> out; // id -> (type, resolved target)
    EachChild(Child(rels, "Relationships"), "Relationship", [&](pugi::xml_node r) {
        out[Attr(r, "Id").value()] = {Attr(r, "Type").value(),
                                      ResolveTarget(part, Attr(r, "Target").value())};
    });
    return out;
}

// Undoes the "_xHHHH_" escapes writers use for characters XML cannot carry (control characters).
std::string Unescape(std::string text) {
    std::size_t at = text.find("_x");
    if (at == std::string::npos) {
        return text;
    }
    std::string out;
    std::size_t from = 0;
    for (; at != std::string::npos; at = text.find("_x", at)) {
        unsigned code = 0;
        const char* digits = text.data() + at + 2;
        const bool escape = at + 7 <= text.size() && text[at + 6] == '_' &&
                            std::from_chars(digits, digits + 4, code, 16).ptr == digits + 4;
        if (!escape) {
            ++at;
            continue;
        }
        out.append(text, from, at - from);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        at += 7;
        from = at;
    }
    out.append(text, from, std::string::npos);
    return out;
}

// Text of an <si> or <is>: its own <t> and the <t> of its runs, not the phonetic hints.
std::string RichText(pugi::xml_node node) {
    std::string out;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        const std::string_view name = Local(c.name());
        if (name == "t") {
            out += c.text().get();
        } else if (name == "r") {
            out += Child(c, "t").text().get();
        }
    }
    return Unescape(std::move(out));
}

BorderLine ReadBorderLine(pugi::xml_node edge) {
    BorderLine line;
    line.style = static_cast<std::uint8_t>(xlsx::BorderStyleFromName(Attr(edge, "style").value()));
    if (line.style != 0) {
        line.colour = xlsx::ColourFromXml(Child(edge, "color"));
    }
    return line;
}

struct Styles {
    std::vector<CellStyle> xfs; // by cellXfs index
    std::vector<bool> filled;   // by cellXfs index: the xf has a fill, which a template cannot hold
};

Styles ReadStyles(Package& pkg, const std::string& part) {
    Styles out;
    pugi::xml_document doc;
    if (!part.empty()) {
        pkg.Xml(part, doc, false);
    }
    const pugi::xml_node sheet = Child(doc, "styleSheet");
    std::map<int, std::string> codes;
    EachChild(Child(sheet, "numFmts"), "numFmt", [&](pugi::xml_node f) {
        codes[static_cast<int>(AttrDouble(f, "numFmtId", -1))] = Attr(f, "formatCode").value();
    });
    std::vector<CellStyle> fonts;
    EachChild(Child(sheet, "fonts"), "font", [&](pugi::xml_node f) {
        CellStyle s;
        const char* face = Attr(Child(f, "name"), "val").value();
        if (*face != '\0' && std::strlen(face) <= 255) {
            s.face = xlsx::CleanUtf8(face);
        }
        const double size = AttrDouble(Child(f, "sz"), "val", 11);
        s.sizePt = static_cast<float>(std::clamp(std::round(size * 10) / 10, 1.0, 409.0));
        const pugi::xml_node u = Child(f, "u");
        s.font = static_cast<std::uint8_t>(
            (Flag(f, "b") ? kBold : 0) | (Flag(f, "i") ? kItalic : 0) |
            (u && std::string_view(Attr(u, "val").value()) != "none" ? kUnderline : 0));
        fonts.push_back(s);
    });
    std::vector<bool> fills;
    EachChild(Child(sheet, "fills"), "fill", [&](pugi::xml_node f) {
        const std::string_view pattern = Attr(Child(f, "patternFill"), "patternType").value();
        fills.push_back((!pattern.empty() && pattern != "none") || Child(f, "gradientFill"));
    });
    std::vector<std::array<BorderLine, 4>> borders;
    EachChild(Child(sheet, "borders"), "border", [&](pugi::xml_node b) {
        std::array<BorderLine, 4> lines{};
        lines[kLeft] = ReadBorderLine(Child(b, "left") ? Child(b, "left") : Child(b, "start"));
        lines[kRight] = ReadBorderLine(Child(b, "right") ? Child(b, "right") : Child(b, "end"));
        lines[kTop] = ReadBorderLine(Child(b, "top"));
        lines[kBottom] = ReadBorderLine(Child(b, "bottom"));
        borders.push_back(lines);
    });
    EachChild(Child(sheet, "cellXfs"), "xf", [&](pugi::xml_node xf) {
        const auto fontId = static_cast<std::size_t>(AttrDouble(xf, "fontId", 0));
        CellStyle s = fontId < fonts.size() ? fonts[fontId] : CellStyle{};
        const auto borderId = static_cast<std::size_t>(AttrDouble(xf, "borderId", 0));
        if (borderId < borders.size()) {
            s.borders = borders[borderId];
        }
        const int numId = static_cast<int>(AttrDouble(xf, "numFmtId", 0));
        const auto code = codes.find(numId);
        const ParsedFormat parsed =
            FromFormatCode(code != codes.end() ? std::string_view(code->second) : BuiltinFormatCode(numId));
        s.num = parsed.num;
        s.option = static_cast<std::int16_t>(parsed.blankZero ? kOptionBlankZero : kOptionShowZero);
        const pugi::xml_node align = Child(xf, "alignment");
        s.align = xlsx::AlignFromNames(Attr(align, "horizontal").value(), Attr(align, "vertical").value());
        out.xfs.push_back(s);
        const auto fillId = static_cast<std::size_t>(AttrDouble(xf, "fillId", 0));
        out.filled.push_back(fillId < fills.size() && fills[fillId]);
    });
    return out;
}

// "$A$1:$J$40", "A1", "$1:$5", "$A:$B" parts of a defined name, sheet prefix removed.
struct NameRef {
    int c1 = -1, r1 = -1, c2 = -1, r2 = -1; // -1: the whole row or column range
};

std::vector<NameRef> ParseDefinedName(std::string_view text) {
    std::vector<NameRef> out;
    std::size_t at = 0;
    while (at < text.size()) {
        bool quoted = false;
        std::size_t end = at;
        while (end < text.size() && (quoted || text[end] != ',')) {
            quoted = text[end] == '\'' ? !quoted : quoted;
            ++end;
        }
        std::string_view part = text.substr(at, end - at);
        const std::size_t bang = part.rfind('!');
        part = bang == std::string_view::npos ? part : part.substr(bang + 1);
        std::string bare;
        for (const char ch : part) {
            if (ch != '$') {
                bare += ch;
            }
        }
        const std::size_t colon = bare.find(':');
        const auto a = xlsx::ParseRef(std::string_view(bare).substr(0, colon));
        const auto b = xlsx::ParseRef(colon == std::string::npos ? std::string_view(bare)
                                                                 : std::string_view(bare).substr(colon + 1));
        if (a && b) {
            out.push_back({a->col, a->row, b->col, b->row});
        }
        at = end + 1;
    }
    return out;
}

int ToPx(double widthChars) {
    // Stored width to pixels for a 7-pixel digit: the rule spreadsheet programs use.
    return static_cast<int>(std::trunc((256 * widthChars + std::trunc(128.0 / 7)) / 256 * 7));
}

} // namespace

bool ImportXlsxData(std::string_view bytes, const std::string& name, SheetDocument& out, LoadError& error,
                    std::vector<std::string>* dropped) {
    error = {};
    try {
        Package pkg(bytes);
        std::string workbookPart = "xl/workbook.xml";
        for (const auto& [id, rel] : Relationships(pkg, "")) {
            if (rel.first.ends_with("/officeDocument")) {
                workbookPart = rel.second;
            }
        }
        pugi::xml_document workbook;
        pkg.Xml(workbookPart, workbook, true);
        const pugi::xml_node firstSheet = Child(Child(Child(workbook, "workbook"), "sheets"), "sheet");
        if (!firstSheet) {
            Throw("no-sheet", "工作簿中没有工作表");
        }
        const auto rels = Relationships(pkg, workbookPart);
        const auto sheetRel = rels.find(Attr(firstSheet, "id").value());
        std::string stringsPart, stylesPart;
        for (const auto& [id, rel] : rels) {
            if (rel.first.ends_with("/sharedStrings")) {
                stringsPart = rel.second;
            } else if (rel.first.ends_with("/styles")) {
                stylesPart = rel.second;
            }
        }
        if (sheetRel == rels.end()) {
            Throw("missing-part", std::string("找不到第一个工作表“") +
                                      std::string(Attr(firstSheet, "name").value()) + "”的内容");
        }

        std::vector<std::string> strings;
        if (!stringsPart.empty()) {
            pugi::xml_document sst;
            pkg.Xml(stringsPart, sst, false);
            EachChild(Child(sst, "sst"), "si", [&](pugi::xml_node si) { strings.push_back(RichText(si)); });
        }
        const Styles styles = ReadStyles(pkg, stylesPart);
        pugi::xml_document sheetXml;
        pkg.Xml(sheetRel->second.second, sheetXml, true);
        const pugi::xml_node ws = Child(sheetXml, "worksheet");

        xlsx::SheetBuilder build(styles.xfs);
        build.SetFilled(styles.filled);
        build.SetSheetName(Attr(firstSheet, "name").value());
        const pugi::xml_node formatPr = Child(ws, "sheetFormatPr");
        build.SetDefaultRowHeightPx(
            static_cast<int>(std::lround(AttrDouble(formatPr, "defaultRowHeight", 15) * 4 / 3)));
        const double defaultWidth = AttrDouble(formatPr, "defaultColWidth", -1);
        build.SetDefaultColWidthPx(defaultWidth > 0 ? ToPx(defaultWidth) : 64);
        EachChild(Child(ws, "cols"), "col", [&](pugi::xml_node c) {
            const int first = static_cast<int>(AttrDouble(c, "min", 0)) - 1;
            const int last = static_cast<int>(AttrDouble(c, "max", 0)) - 1;
            const bool hidden = AttrBool(c, "hidden", false);
            const int px = hidden ? 0 : ToPx(AttrDouble(c, "width", defaultWidth > 0 ? defaultWidth : 8.43));
            build.SetColWidths(first, last, px, AttrBool(c, "customWidth", false) || hidden);
        });
        int rowIdx = -1;
        EachChild(Child(ws, "sheetData"), "row", [&](pugi::xml_node r) {
            rowIdx = Attr(r, "r") ? static_cast<int>(AttrDouble(r, "r", 0)) - 1 : rowIdx + 1;
            if (rowIdx < 0 || rowIdx >= kMaxRows) {
                Throw("bad-cell-ref", std::string("行号 ") + std::string(Attr(r, "r").value()) + " 超出范围");
            }
            if (AttrBool(r, "hidden", false)) {
                build.SetRowHeight(rowIdx, 0);
            } else if (Attr(r, "ht") && AttrBool(r, "customHeight", true)) {
                build.SetRowHeight(rowIdx, static_cast<int>(std::lround(AttrDouble(r, "ht", 15) * 4 / 3)));
            }
            int colIdx = -1;
            EachChild(r, "c", [&](pugi::xml_node c) {
                const pugi::xml_attribute ref = Attr(c, "r");
                if (ref) {
                    const auto pos = xlsx::ParseRef(ref.value());
                    if (!pos || pos->row != rowIdx) {
                        Throw("bad-cell-ref",
                              std::string("单元格引用“") + std::string(ref.value()) + "”无效或不在所在行");
                    }
                    colIdx = pos->col;
                } else {
                    ++colIdx;
                }
                if (colIdx >= kMaxCols) {
                    Throw("bad-cell-ref", "单元格超出 16384 列", CellName(kMaxCols - 1, rowIdx));
                }
                const std::string_view type = Attr(c, "t").value();
                const pugi::xml_node v = Child(c, "v");
                vb::Variant value = vb::Variant::Null();
                if (type == "s") {
                    const std::string_view text = v.text().get();
                    std::size_t index = 0;
                    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
                    if (!v || ec != std::errc() || ptr != text.data() + text.size() ||
                        index >= strings.size()) {
                        Throw("bad-string-index",
                              std::string("共享字符串编号“") + std::string(v.text().get()) + "”不存在",
                              CellName(colIdx, rowIdx));
                    }
                    value = vb::Variant(strings[index]);
                } else if (type == "inlineStr") {
                    value = vb::Variant(RichText(Child(c, "is")));
                } else if (type == "str" || type == "e" || type == "d") {
                    value = v ? vb::Variant(std::string(v.text().get())) : vb::Variant::Null();
                } else if (v) {
                    const std::string_view text = v.text().get();
                    double number = 0;
                    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
                    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(number)) {
                        Throw("bad-number",
                              std::string("“") + std::string(text.substr(0, 30)) + "”不是有效的数值",
                              CellName(colIdx, rowIdx));
                    }
                    value = vb::Variant(type == "b" ? (number != 0 ? 1.0 : 0.0) : number);
                }
                const double xf = AttrDouble(c, "s", 0);
                if (xf < 0 || xf >= static_cast<double>(std::max<std::size_t>(styles.xfs.size(), 1))) {
                    Throw("bad-style-index",
                          std::string("样式编号“") + std::string(Attr(c, "s").value()) + "”不存在",
                          CellName(colIdx, rowIdx));
                }
                build.SetCell(colIdx, rowIdx, static_cast<std::size_t>(xf), std::move(value));
            });
        });
        std::vector<MergeRange> merges;
        EachChild(Child(ws, "mergeCells"), "mergeCell", [&](pugi::xml_node m) {
            const std::string_view ref = Attr(m, "ref").value();
            const std::size_t colon = ref.find(':');
            const auto a = xlsx::ParseRef(ref.substr(0, colon));
            const auto b =
                colon == std::string_view::npos ? std::nullopt : xlsx::ParseRef(ref.substr(colon + 1));
            if (!a || !b || a->col > b->col || a->row > b->row) {
                Throw("bad-merge", std::string("合并区域“") + std::string(ref) + "”无效");
            }
            build.AddMerge({a->col, a->row, b->col, b->row});
            merges.push_back({a->col, a->row, b->col, b->row});
        });
        if (const auto overlap = FirstOverlap(merges)) {
            const auto rangeName = [](const MergeRange& m) {
                return CellName(m.c1, m.r1) + ":" + CellName(m.c2, m.r2);
            };
            // The sheet would keep only the later block: the header drawn is not the header loaded.
            Throw("merge-overlap", "合并区域 " + rangeName(merges[overlap->first]) + " 与 " +
                                       rangeName(merges[overlap->second]) + " 重叠");
        }

        EachChild(Child(Child(workbook, "workbook"), "definedNames"), "definedName", [&](pugi::xml_node n) {
            const std::string_view defined = Attr(n, "name").value();
            const pugi::xml_attribute local = Attr(n, "localSheetId");
            if (local && std::string_view(local.value()) != "0") {
                return;
            }
            const std::optional<int> option = xlsx::OptionOfName(defined);
            for (const NameRef& ref : ParseDefinedName(n.text().get())) {
                if (option) {
                    build.SetOption(ref.c1, ref.r1, ref.c2, ref.r2, *option);
                } else if (defined == "_xlnm.Print_Area" && ref.c1 >= 0 && ref.r1 >= 0) {
                    build.SetPrintArea(ref.c1, ref.r1, ref.c2, ref.r2);
                } else if (defined == "_xlnm.Print_Titles" && ref.c1 < 0 && ref.r2 >= 0) {
                    build.SetTitleRows(ref.r2 + 1);
                } else if (defined == "_xlnm.Print_Titles" && ref.r1 < 0 && ref.c2 >= 0) {
                    build.SetTitleCols(ref.c2 + 1);
                }
            }
        });

        PageSetup ps;
        const pugi::xml_node margins = Child(ws, "pageMargins");
        auto mm = [&](const char* key, double fallback) {
            return std::clamp(std::round(AttrDouble(margins, key, fallback) * 254) / 10, 0.0, 200.0);
        };
        ps.marginLeftMm = mm("left", 0.75);
        ps.marginRightMm = mm("right", 0.75);
        ps.marginTopMm = mm("top", 1);
        ps.marginBottomMm = mm("bottom", 1);
        const pugi::xml_node setup = Child(ws, "pageSetup");
        ps.paper = xlsx::PaperFromCode(static_cast<int>(AttrDouble(setup, "paperSize", 9)));
        ps.landscape = std::string_view(Attr(setup, "orientation").value()) == "landscape";
        ps.scalePercent = std::clamp(static_cast<int>(AttrDouble(setup, "scale", 100)), 10, 400);
        if (AttrBool(Child(Child(ws, "sheetPr"), "pageSetUpPr"), "fitToPage", false)) {
            ps.fitWide = std::clamp(static_cast<int>(AttrDouble(setup, "fitToWidth", 1)), 0, 100);
            ps.fitTall = std::clamp(static_cast<int>(AttrDouble(setup, "fitToHeight", 1)), 0, 100);
        }
        const pugi::xml_node options = Child(ws, "printOptions");
        ps.centreHorizontally = AttrBool(options, "horizontalCentered", false);
        ps.centreVertically = AttrBool(options, "verticalCentered", false);
        if (!ps.IsValid()) {
            Throw("bad-page-setup", "页边距太大，纸张上没有留出打印区域（边距之间至少需要 20 毫米）");
        }
        build.SetPageSetup(ps);
        build.SetPageLine(
            xlsx::PageLineFromFooter(Child(Child(ws, "headerFooter"), "oddFooter").text().get()));
        out = build.Finish();
        if (dropped != nullptr) {
            *dropped = build.Dropped();
        }
        return true;
    } catch (const ImportFailure& f) {
        error = {name, 0, 0, f.cell, f.code, f.message};
        return false;
    } catch (const std::bad_alloc&) {
        error = {name, 0, 0, "", "too-large", "工作簿过大，内存不足"};
        return false;
    }
}

bool ImportXlsx(const std::string& path, SheetDocument& out, LoadError& error,
                std::vector<std::string>* dropped) {
    std::string data;
    return detail::ReadFileBytes(path, kMaxPackageBytes, data, error) &&
           ImportXlsxData(data, path, out, error, dropped);
}

} // namespace sheet
