// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace sheet {

// Alignment flags of a cell as callers pass them: one horizontal and one vertical bit, added.
enum AlignFlag : std::int32_t {
    kAlignLeft = 1,
    kAlignRight = 2,
    kAlignCentre = 4,
    kAlignTop = 8,
    kAlignBottom = 16,
    kAlignMiddle = 32,
};

// The values double as the grid's parts of an alignment code (3 x horizontal + vertical).
enum class HAlign : std::uint8_t { Left = 0, Centre = 1, Right = 2 };
enum class VAlign : std::uint8_t { Top = 0, Middle = 1, Bottom = 2 };

// What a cell's alignment flags mean, decided once for the grid, the painter and every writer: they
// used to decode the bits each on their own, and a text cell printed right-aligned but opened
// left-aligned in the exported workbook. Left wins over centre over right; no horizontal bit (a
// sheet program's "general") is right, no vertical bit bottom.
struct CellAlign {
    HAlign horizontal = HAlign::Right;
    VAlign vertical = VAlign::Bottom;

    static constexpr CellAlign FromFlags(long flags) {
        CellAlign align;
        align.horizontal = (flags & kAlignLeft)     ? HAlign::Left
                           : (flags & kAlignCentre) ? HAlign::Centre
                                                    : HAlign::Right;
        align.vertical = (flags & kAlignTop)      ? VAlign::Top
                         : (flags & kAlignMiddle) ? VAlign::Middle
                                                  : VAlign::Bottom;
        return align;
    }
    // The flags stored for it: right and bottom as no bit, the defaults every reader agrees on, so a
    // template read back from a workbook keeps the flags it was written with.
    constexpr std::int32_t Flags() const {
        const std::int32_t h = horizontal == HAlign::Left     ? kAlignLeft
                               : horizontal == HAlign::Centre ? kAlignCentre
                                                              : 0;
        const std::int32_t v = vertical == VAlign::Top      ? kAlignTop
                               : vertical == VAlign::Middle ? kAlignMiddle
                                                            : 0;
        return h | v;
    }
    constexpr int GridCode() const { return 3 * static_cast<int>(horizontal) + static_cast<int>(vertical); }
    friend constexpr bool operator==(const CellAlign&, const CellAlign&) = default;
};

// True when the flags name no horizontal alignment of their own (a sheet program's "general").
constexpr bool HasNoHorizontal(long flags) {
    return (flags & (kAlignLeft | kAlignRight | kAlignCentre)) == 0;
}

} // namespace sheet
