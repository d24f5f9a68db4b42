// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// .xlsx export for editing a template in a spreadsheet program. Every size, style and setting is
// written explicitly (widths of all columns, heights of all rows that differ from the default) so the
// import reads back the same template; a style is turned into one workbook format, shared by all
// cells that use it.
#include "controls/sheet/CellAlign.h"
#include "controls/sheet/NumFormatCode.h"
#include "controls/sheet/SheetXlsx.h"
#include "controls/sheet/TempFile_p.h"
#include "controls/sheet/XlsxCommon_p.h"
#include "vb/Colour.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <vector>
#include <xlsxwriter.h>

namespace sheet {

namespace {

constexpr std::array<lxw_format_borders, kBorderStyleCount> kLxwBorder = {LXW_BORDER_NONE,
                                                                          LXW_BORDER_THIN,
                                                                          LXW_BORDER_DOTTED,
                                                                          LXW_BORDER_DASHED,
                                                                          LXW_BORDER_DOUBLE,
                                                                          LXW_BORDER_HAIR,
                                                                          LXW_BORDER_DASH_DOT,
                                                                          LXW_BORDER_DASH_DOT_DOT,
                                                                          LXW_BORDER_MEDIUM_DASHED,
                                                                          LXW_BORDER_THICK,
                                                                          LXW_BORDER_MEDIUM,
                                                                          LXW_BORDER_MEDIUM_DASH_DOT,
                                                                          LXW_BORDER_MEDIUM_DASH_DOT_DOT,
                                                                          LXW_BORDER_SLANT_DASH_DOT};

lxw_color_t LxwColour(std::uint32_t bgr) {
    const lxw_color_t rgb = vb::BgrToRgb(bgr);
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb; // 0 means "no colour" to the library
}

lxw_format* MakeFormat(lxw_workbook* wb, const CellStyle& s) {
    lxw_format* f = workbook_add_format(wb);
    format_set_font_name(f, s.face.c_str());
    format_set_font_size(f, s.sizePt);
    if (s.font & kBold) {
        format_set_bold(f);
    }
    if (s.font & kItalic) {
        format_set_italic(f);
    }
    if (s.font & kUnderline) {
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
    }
    // Right is written as right, never left to "general": a general text opens left-aligned, while
    // the grid and the printout show it right-aligned. Bottom is every program's default.
    const CellAlign align = CellAlign::FromFlags(s.align);
    format_set_align(f, align.horizontal == HAlign::Left     ? LXW_ALIGN_LEFT
                        : align.horizontal == HAlign::Centre ? LXW_ALIGN_CENTER
                                                             : LXW_ALIGN_RIGHT);
    if (align.vertical == VAlign::Top) {
        format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
    } else if (align.vertical == VAlign::Middle) {
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    }
    const std::string code = ToFormatCode(s.num, OptionBlanksZero(s.option));
    if (code != "General") {
        format_set_num_format(f, code.c_str());
    }
    using Setter = void (*)(lxw_format*, uint8_t);
    using ColourSetter = void (*)(lxw_format*, lxw_color_t);
    static constexpr Setter kSet[] = {format_set_left, format_set_top, format_set_right, format_set_bottom};
    static constexpr ColourSetter kColour[] = {format_set_left_color, format_set_top_color,
                                               format_set_right_color, format_set_bottom_color};
    for (std::size_t edge = 0; edge < 4; ++edge) {
        const BorderLine& b = s.borders[edge];
        if (b.style != 0) {
            kSet[edge](f, static_cast<uint8_t>(kLxwBorder[b.style]));
            kColour[edge](f, LxwColour(b.colour));
        }
    }
    return f;
}

// The cell options the number format cannot carry, as names over rectangles of cells (see
// kOptionNamePrefix): runs of a row with one option, joined down while the rows below repeat them, so a
// print sheet's data rows make one rectangle per column run. The library keeps a name's formula to
// 127 bytes; more rectangles go to further names.
template <typename Check>
void WriteOptionNames(lxw_workbook* wb, const SheetDocument& doc, const std::string& sheetName,
                      Check&& check) {
    struct Rect {
        int option, c1, c2, r1, r2;
    };
    std::vector<Rect> done, open, next;
    for (int row = 0; row <= doc.SheetRowCount(); ++row) {
        next.clear();
        const int stored = row < doc.SheetRowCount() ? doc.StoredColCount(row) : 0;
        for (int col = 0; col < stored;) {
            const int option = doc.StyleAt(col, row).option;
            int last = col;
            while (last + 1 < stored && doc.StyleAt(last + 1, row).option == option) {
                ++last;
            }
            if (option != kOptionShowZero && option != kOptionBlankZero) {
                next.push_back({option, col, last, row, row});
            }
            col = last + 1;
        }
        // A run that continues an open rectangle of the row above extends it; the others close.
        for (Rect& run : next) {
            for (Rect& above : open) {
                if (above.r2 == row - 1 && above.option == run.option && above.c1 == run.c1 &&
                    above.c2 == run.c2) {
                    run.r1 = above.r1;
                    above.r2 = -1; // taken over
                }
            }
        }
        for (const Rect& above : open) {
            if (above.r2 >= 0) {
                done.push_back(above);
            }
        }
        open.swap(next);
    }
    constexpr std::size_t kMaxFormula = 127;
    const std::string sheetRef = "'" + sheetName + "'!";
    std::map<int, std::vector<std::string>> formulas; // option -> formulas, the last one being filled
    for (const Rect& rect : done) {
        std::string area(1, '$');
        area += ColumnName(rect.c1);
        area += '$';
        area += std::to_string(rect.r1 + 1);
        if (rect.c2 > rect.c1 || rect.r2 > rect.r1) {
            area += ":$";
            area += ColumnName(rect.c2);
            area += '$';
            area += std::to_string(rect.r2 + 1);
        }
        std::vector<std::string>& list = formulas[rect.option];
        if (list.empty() || list.back().size() + 1 + sheetRef.size() + area.size() > kMaxFormula) {
            list.emplace_back("=");
        } else {
            list.back() += ",";
        }
        list.back() += sheetRef;
        list.back() += area;
    }
    for (const auto& [option, list] : formulas) {
        std::string base(xlsx::kOptionNamePrefix);
        if (option < 0) {
            base += 'm';
        }
        base += std::to_string(std::abs(option));
        for (std::size_t part = 0; part < list.size(); ++part) {
            const std::string name = part == 0 ? base : base + "_" + std::to_string(part + 1);
            check(workbook_define_name(wb, name.c_str(), list[part].c_str()));
        }
    }
}

} // namespace

bool ExportXlsx(const SheetDocument& doc, const std::string& path, LoadError& error) {
    error = {};
    TempFileBeside temp(path);
    if (temp.Create() < 0) {
        error = {path, 0, 0, "", "cannot-create", WriteFailureMessage("无法创建文件", path, errno)};
        return false;
    }
    temp.Close(); // the library writes the file by its name
    // Constant memory: each row goes to the library's temporary file once the next one begins, so a
    // million-row report costs what one row costs (its normal mode held every cell until the close,
    // 16 times the report's data). In exchange rows must be written in order, and texts are written
    // inline in their cells instead of through the shared string table; every reader takes both.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(temp.TempPath().c_str(), &options);
    const std::string sheetName = doc.SheetName().empty() ? "Sheet1" : doc.SheetName();
    lxw_worksheet* ws = wb != nullptr ? workbook_add_worksheet(wb, sheetName.c_str()) : nullptr;
    if (ws == nullptr) {
        error = {path, 0, 0, "", "cannot-create", WriteFailureMessage("无法创建文件", path, ENOMEM)};
        return false;
    }
    // By style index: a lookup per cell of a million rows is the writer's own cost.
    std::vector<lxw_format*> formats(doc.StyleCount(), nullptr);
    auto formatOf = [&](std::uint32_t style) {
        if (style >= formats.size()) {
            formats.resize(style + 1, nullptr);
        }
        if (formats[style] == nullptr) {
            formats[style] = MakeFormat(wb, doc.StyleByIndex(style));
        }
        return formats[style];
    };
    lxw_error failure = LXW_NO_ERROR;
    auto check = [&failure](lxw_error e) {
        if (failure == LXW_NO_ERROR && e != LXW_NO_ERROR) {
            failure = e;
        }
    };

    worksheet_set_default_row(ws, kDefaultRowHeightPx * 0.75, LXW_FALSE);
    for (int col = 0; col < doc.SheetColCount(); ++col) {
        int px = 0;
        doc.GetColWidth(col, px);
        lxw_row_col_options hidden = {LXW_TRUE, 0, LXW_FALSE};
        check(worksheet_set_column_pixels_opt(ws, static_cast<lxw_col_t>(col), static_cast<lxw_col_t>(col),
                                              static_cast<uint32_t>(px == 0 ? 64 : px), nullptr,
                                              px == 0 ? &hidden : nullptr));
    }
    // A cell as the document holds it, in its own style. Merged cells are written even when empty and
    // unstyled: the block's corner format must not stand for theirs. The text buffer is reused (the
    // library wants a terminated string, the document's texts are views).
    std::string textBuffer;
    int m1 = 0, m2 = 0, m3 = 0, m4 = 0;
    auto writeCell = [&](int row, int col, bool merged) {
        const auto r = static_cast<lxw_row_t>(row);
        const auto c = static_cast<lxw_col_t>(col);
        if (col >= doc.StoredColCount(row)) {
            if (merged) {
                check(worksheet_write_blank(ws, r, c, formatOf(0)));
            }
            return;
        }
        const std::uint32_t style = doc.StyleIndexAt(col, row);
        double number = 0;
        std::string_view text;
        const int kind = doc.PeekCell(col, row, number, text);
        if (kind == 1) {
            check(worksheet_write_number(ws, r, c, number, formatOf(style)));
        } else if (kind == 2) {
            textBuffer.assign(text);
            check(worksheet_write_string(ws, r, c, textBuffer.c_str(), formatOf(style)));
        } else if (style != 0 || merged || doc.GetMergeRange(col, row, m1, m2, m3, m4)) {
            check(worksheet_write_blank(ws, r, c, formatOf(style)));
        }
    };
    // Merged blocks as the rows reach them (the document keeps them by first row), and by last row: the
    // library declares a block only while its last row is the one being written, writing the corner's
    // format over that row's part of it (rows above are on disk by then, and it leaves them alone), so
    // that part is written again afterwards.
    const std::vector<MergeRange>& merges = doc.Merges();
    std::vector<MergeRange> byLastRow = merges;
    std::stable_sort(byLastRow.begin(), byLastRow.end(),
                     [](const MergeRange& a, const MergeRange& b) { return a.r2 < b.r2; });
    std::size_t nextMerge = 0;
    std::size_t nextClose = 0;
    std::vector<MergeRange> open;
    // Workbooks have no size of their own: the import takes the extent of what is written. A blank in
    // the last cell, in the default style, keeps empty trailing rows and columns of the template.
    const int lastCol = doc.SheetColCount() - 1;
    const int lastRow = doc.SheetRowCount() - 1;
    for (int row = 0; row <= lastRow && failure == LXW_NO_ERROR; ++row) {
        int px = 0;
        doc.GetRowHeight(row, px);
        if (px != kDefaultRowHeightPx) {
            lxw_row_col_options hidden = {LXW_TRUE, 0, LXW_FALSE};
            check(worksheet_set_row_opt(ws, static_cast<lxw_row_t>(row), px * 0.75, nullptr,
                                        px == 0 ? &hidden : nullptr));
        }
        std::erase_if(open, [row](const MergeRange& m) { return m.r2 < row; });
        while (nextMerge < merges.size() && merges[nextMerge].r1 == row) {
            open.push_back(merges[nextMerge++]);
        }
        const int stored = doc.StoredColCount(row);
        for (int col = 0; col < stored; ++col) {
            writeCell(row, col, false);
        }
        for (const MergeRange& m : open) {
            for (int col = std::max(m.c1, stored); col <= m.c2; ++col) {
                writeCell(row, col, true);
            }
        }
        double lastNumber = 0;
        std::string_view lastText;
        if (row == lastRow && lastCol >= 0 && doc.StyleIndexAt(lastCol, lastRow) == 0 &&
            doc.PeekCell(lastCol, lastRow, lastNumber, lastText) == 0 &&
            !doc.GetMergeRange(lastCol, lastRow, m1, m2, m3, m4)) {
            check(worksheet_write_blank(ws, static_cast<lxw_row_t>(lastRow), static_cast<lxw_col_t>(lastCol),
                                        formatOf(0)));
        }
        for (; nextClose < byLastRow.size() && byLastRow[nextClose].r2 == row; ++nextClose) {
            const MergeRange& m = byLastRow[nextClose];
            check(worksheet_merge_range(ws, static_cast<lxw_row_t>(m.r1), static_cast<lxw_col_t>(m.c1),
                                        static_cast<lxw_row_t>(m.r2), static_cast<lxw_col_t>(m.c2), "",
                                        formatOf(doc.StyleIndexAt(m.c1, m.r1))));
            for (int col = m.c1; col <= m.c2; ++col) {
                writeCell(row, col, true);
            }
        }
    }
    const PrintArea& p = doc.GetPrintArea();
    if (p.IsSet()) {
        check(worksheet_print_area(ws, static_cast<lxw_row_t>(p.r1), static_cast<lxw_col_t>(p.c1),
                                   static_cast<lxw_row_t>(p.r2), static_cast<lxw_col_t>(p.c2)));
    }
    if (p.titleRows > 0) {
        check(worksheet_repeat_rows(ws, 0, static_cast<lxw_row_t>(p.titleRows - 1)));
    }
    if (p.titleCols > 0) {
        check(worksheet_repeat_columns(ws, 0, static_cast<lxw_col_t>(p.titleCols - 1)));
    }
    const PageSetup& ps = doc.GetPageSetup();
    worksheet_set_paper(ws, static_cast<uint8_t>(xlsx::PaperCode(ps.paper)));
    if (ps.landscape) {
        worksheet_set_landscape(ws);
    } else {
        worksheet_set_portrait(ws);
    }
    worksheet_set_margins(ws, ps.marginLeftMm / 25.4, ps.marginRightMm / 25.4, ps.marginTopMm / 25.4,
                          ps.marginBottomMm / 25.4);
    worksheet_set_print_scale(ws, static_cast<uint16_t>(ps.scalePercent));
    if (ps.fitWide > 0 || ps.fitTall > 0) {
        worksheet_fit_to_pages(ws, static_cast<uint16_t>(ps.fitWide), static_cast<uint16_t>(ps.fitTall));
    }
    if (ps.centreHorizontally) {
        worksheet_center_horizontally(ws);
    }
    if (ps.centreVertically) {
        worksheet_center_vertically(ws);
    }
    WriteOptionNames(wb, doc, sheetName, check);
    const std::string footer = xlsx::FooterFromPageLine(doc.GetPageLine());
    if (!footer.empty()) {
        check(worksheet_set_footer(ws, footer.c_str()));
    }
    errno = 0;
    const lxw_error closed = workbook_close(wb);
    // The library reports a failed write as a zip error; errno still holds what the disk said.
    int err = errno;
    check(closed);
    if (failure == LXW_NO_ERROR) {
        err = temp.Commit();
        if (err == 0) {
            return true;
        }
    }
    error = {path,
             0,
             0,
             "",
             failure != LXW_NO_ERROR ? "write-failed" : "cannot-rename",
             WriteFailureMessage(failure != LXW_NO_ERROR ? "写入文件失败" : "无法替换文件", path,
                                 err != 0 ? err : EIO)};
    return false;
}

} // namespace sheet
