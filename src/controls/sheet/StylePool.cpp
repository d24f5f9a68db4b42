// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/StylePool_p.h"

#include <bit>
#include <functional>
#include <string_view>

namespace sheet {

StylePool::StylePool() {
    m_styles.emplace_back();
    m_index.emplace(m_styles.front(), 0);
}

std::size_t StylePool::Hash::operator()(const CellStyle& s) const noexcept {
    std::size_t h = std::hash<std::string_view>{}(s.face);
    auto mix = [&h](std::uint64_t v) {
        h ^= std::hash<std::uint64_t>{}(v) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    };
    mix(std::bit_cast<std::uint32_t>(s.sizePt));
    mix(s.font);
    mix(static_cast<std::uint32_t>(s.align));
    mix(static_cast<std::uint16_t>(s.num.grouping) | (std::uint64_t{s.num.negativeRed} << 16) |
        (std::uint64_t{static_cast<std::uint16_t>(s.num.decimals)} << 17) |
        (std::uint64_t{static_cast<std::uint16_t>(s.num.category)} << 33) |
        (std::uint64_t{static_cast<std::uint16_t>(s.num.negativeForm)} << 49) |
        (std::uint64_t{s.num.currency} << 63));
    mix(std::bit_cast<std::uint64_t>(s.num.scale));
    mix(static_cast<std::uint16_t>(s.option));
    for (const BorderLine& b : s.borders) {
        mix(b.style | (std::uint64_t{b.colour} << 8));
    }
    return h;
}

std::uint32_t StylePool::Intern(const CellStyle& style) {
    if (m_styles[m_last] == style) {
        return m_last;
    }
    auto [it, added] = m_index.try_emplace(style, static_cast<std::uint32_t>(m_styles.size()));
    if (added) {
        m_styles.push_back(style);
    }
    m_last = it->second;
    return m_last;
}

bool StylePool::CheckConsistency() const {
    if (m_styles.empty() || !(m_styles[0] == CellStyle{}) || m_index.size() != m_styles.size() ||
        m_last >= m_styles.size()) {
        return false;
    }
    for (std::uint32_t idx = 0; idx < m_styles.size(); ++idx) {
        auto it = m_index.find(m_styles[idx]);
        if (it == m_index.end() || it->second != idx) {
            return false;
        }
    }
    return true;
}

} // namespace sheet
