// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid: partial cell styles, interned, so that cells, rows and column bands hold a
// 32-bit id each and a million rows in one colour share one style.

#include "vb/Variant.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace grid::detail {

enum StyleField : std::uint16_t {
    kFieldAlign = 1,
    kFieldBack = 2,
    kFieldFace = 4,
    kFieldSize = 8,
    kFieldBold = 16,
    kFieldItalic = 32,
    kFieldUnderline = 64,
    kFieldPicture = 128,
};

// Only the fields named in mask are set; the others are zero so that equal styles compare equal.
struct CellStyle {
    std::uint16_t mask = 0;
    std::int8_t alignCode = 0;
    bool isBold = false;
    bool isItalic = false;
    bool isUnderline = false;
    std::uint32_t backBgr = 0;
    std::uint32_t faceId = 0;
    std::uint32_t pictureId = 0;
    float sizePt = 0;

    // The fields of `over` replace this style's.
    CellStyle Overlay(const CellStyle& over) const;
    CellStyle Without(std::uint16_t fields) const;
    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

class StyleTable {
public:
    StyleTable();
    static constexpr std::uint32_t kNone = 0; // the empty style

    std::uint32_t Intern(const CellStyle& style);
    const CellStyle& Get(std::uint32_t id) const { return m_styles[id]; }
    std::uint32_t Overlay(std::uint32_t base, const CellStyle& over) {
        return Intern(Get(base).Overlay(over));
    }
    std::uint32_t Without(std::uint32_t base, std::uint16_t fields) {
        return Intern(Get(base).Without(fields));
    }

    std::uint32_t InternFace(const std::string& face);
    const std::string& Face(std::uint32_t id) const { return m_faces[id]; }
    // Pictures are objects compared by identity; id 0 is "no picture".
    std::uint32_t InternPicture(const vb::Variant& picture);
    const vb::Variant& Picture(std::uint32_t id) const { return m_pictures[id]; }

    void Clear();
    std::size_t StyleCount() const noexcept { return m_styles.size(); }
    // Every id the index maps to names the style it was made from, and no style is stored twice.
    bool CheckConsistency() const;

private:
    struct Hash {
        std::size_t operator()(const CellStyle& style) const noexcept;
    };
    std::vector<CellStyle> m_styles;
    std::unordered_map<CellStyle, std::uint32_t, Hash> m_index;
    std::vector<std::string> m_faces;
    std::unordered_map<std::string, std::uint32_t> m_faceIndex;
    std::vector<vb::Variant> m_pictures;
};

} // namespace grid::detail
