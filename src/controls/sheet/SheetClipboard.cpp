// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Copy and paste between sheet documents. The template sheet copies a footer row and the print
// sheet pastes it, so the clipboard belongs to the process, not to a document; styles travel by value
// because each document interns its own.
#include "controls/sheet/MergeIndex_p.h"
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/StylePool_p.h"

#include <cassert>
#include <mutex>

namespace sheet {

namespace {

// What CopyRange took: values and styles by value (styles are interned per document, so the paste
// target interns them again), the merges inside the rectangle relative to its corner, and the row
// heights when whole rows were copied.
struct Clipboard {
    int cols = 0, rows = 0;
    struct Entry {
        std::uint32_t style = 0; // index into styles
        std::uint8_t kind = 0;   // 0 empty, 1 number, 2 text
        double number = 0;
        std::string text;
    };
    std::vector<Entry> cells; // row-major
    std::vector<CellStyle> styles;
    std::vector<MergeRange> merges;
    std::vector<int> heights; // empty unless whole rows were copied
};

std::mutex g_clipboardMutex;
Clipboard g_clipboard;

} // namespace

bool SheetDocument::CopyRange(int c1, int r1, int c2, int r2) const {
    if (!ValidRect(c1, r1, c2, r2)) {
        return false;
    }
    Clipboard clip;
    clip.cols = c2 - c1 + 1;
    clip.rows = r2 - r1 + 1;
    clip.cells.resize(static_cast<std::size_t>(clip.cols) * static_cast<std::size_t>(clip.rows));
    std::vector<std::int64_t> clipIndexOf(m_styles->Size(), -1);
    for (int row = r1; row <= r2; ++row) {
        for (int col = c1; col <= c2; ++col) {
            Clipboard::Entry& e = clip.cells[static_cast<std::size_t>((row - r1) * clip.cols + (col - c1))];
            const std::uint32_t style = StyleIndexAt(col, row);
            if (clipIndexOf[style] < 0) {
                clipIndexOf[style] = static_cast<std::int64_t>(clip.styles.size());
                clip.styles.push_back(m_styles->At(style));
            }
            e.style = static_cast<std::uint32_t>(clipIndexOf[style]);
            const vb::Variant value = CellValue(col, row);
            if (value.IsString()) {
                e.kind = 2;
                e.text = value.AsString();
            } else if (!value.IsNull()) {
                e.kind = 1;
                e.number = value.AsDouble();
            }
        }
    }
    const MergeRange rect{c1, r1, c2, r2};
    for (const MergeRange& m : m_merges->All()) {
        if (rect.Contains(m.c1, m.r1) && rect.Contains(m.c2, m.r2)) {
            clip.merges.push_back({m.c1 - c1, m.r1 - r1, m.c2 - c1, m.r2 - r1});
        }
    }
    if (c1 == 0 && c2 == m_cols - 1) {
        for (int row = r1; row <= r2; ++row) {
            clip.heights.push_back(m_rows[static_cast<std::size_t>(row)].heightPx);
        }
    }
    const std::lock_guard lock(g_clipboardMutex);
    g_clipboard = std::move(clip);
    return true;
}

bool SheetDocument::PasteAt(int col, int row, bool withFormat) {
    const std::lock_guard lock(g_clipboardMutex);
    const Clipboard& clip = g_clipboard;
    if (clip.cells.empty() || !InSheet(col, row)) {
        return false;
    }
    const int lastCol = std::min(m_cols - 1, col + clip.cols - 1);
    const int lastRow = std::min(SheetRowCount() - 1, row + clip.rows - 1);
    std::vector<std::uint32_t> styleIndex;
    if (withFormat) {
        for (const CellStyle& s : clip.styles) {
            styleIndex.push_back(m_styles->Intern(s));
        }
        m_merges->Merge({col, row, lastCol, lastRow}); // dissolves what the paste covers
        m_merges->Merge({col, row, col, row});
    }
    StoreRows(row, lastRow);
    for (int r = row; r <= lastRow; ++r) {
        for (int c = col; c <= lastCol; ++c) {
            const Clipboard::Entry& e =
                clip.cells[static_cast<std::size_t>((r - row) * clip.cols + (c - col))];
            if (e.kind == 2) {
                SetText(CellRef(c, r), e.text);
            } else if (e.kind == 1) {
                SetCellValue(c, r, vb::Variant(e.number));
            } else if (FindCell(c, r) != nullptr) {
                ClearValue(CellRef(c, r));
            }
            if (withFormat && (styleIndex[e.style] != 0 || FindCell(c, r) != nullptr)) {
                CellRef(c, r).style = styleIndex[e.style];
            }
        }
        if (withFormat && !clip.heights.empty()) {
            m_rows[static_cast<std::size_t>(r)].heightPx =
                static_cast<std::uint16_t>(clip.heights[static_cast<std::size_t>(r - row)]);
        }
    }
    if (withFormat) {
        for (const MergeRange& m : clip.merges) {
            const MergeRange target{m.c1 + col, m.r1 + row, m.c2 + col, m.r2 + row};
            if (target.c2 <= lastCol && target.r2 <= lastRow) {
                m_merges->Merge(target);
            }
        }
    }
    AssertConsistent();
    return true;
}

} // namespace sheet
