// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace sheet {

// Interned cell styles. Index 0 is always the default style, so a zero-filled cell is a default cell.
// Styles are never removed while the document lives; saving writes only the ones cells use.
class StylePool {
public:
    StylePool();
    std::uint32_t Intern(const CellStyle& style);
    const CellStyle& At(std::uint32_t index) const { return m_styles[index]; }
    std::size_t Size() const { return m_styles.size(); }
    bool CheckConsistency() const;

private:
    struct Hash {
        std::size_t operator()(const CellStyle& s) const noexcept;
    };
    std::vector<CellStyle> m_styles;
    std::unordered_map<CellStyle, std::uint32_t, Hash> m_index;
    // The last style interned: filling a column or a row asks for the same style many times in a row.
    std::uint32_t m_last = 0;
};

} // namespace sheet
