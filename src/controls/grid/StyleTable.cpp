// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/StyleTable_p.h"

#include <functional>

namespace grid::detail {

CellStyle CellStyle::Overlay(const CellStyle& over) const {
    CellStyle result = *this;
    result.mask = static_cast<std::uint16_t>(mask | over.mask);
    if (over.mask & kFieldAlign) {
        result.alignCode = over.alignCode;
    }
    if (over.mask & kFieldBack) {
        result.backBgr = over.backBgr;
    }
    if (over.mask & kFieldFace) {
        result.faceId = over.faceId;
    }
    if (over.mask & kFieldSize) {
        result.sizePt = over.sizePt;
    }
    if (over.mask & kFieldBold) {
        result.isBold = over.isBold;
    }
    if (over.mask & kFieldItalic) {
        result.isItalic = over.isItalic;
    }
    if (over.mask & kFieldUnderline) {
        result.isUnderline = over.isUnderline;
    }
    if (over.mask & kFieldPicture) {
        result.pictureId = over.pictureId;
    }
    return result;
}

CellStyle CellStyle::Without(std::uint16_t fields) const {
    // Rebuilding from the kept fields resets the dropped ones to zero, as equality needs.
    CellStyle kept;
    CellStyle source = *this;
    source.mask = static_cast<std::uint16_t>(mask & ~fields);
    return kept.Overlay(source);
}

std::size_t StyleTable::Hash::operator()(const CellStyle& style) const noexcept {
    std::size_t hash = style.mask;
    const auto mix = [&hash](std::size_t value) {
        hash = hash * 1000003u ^ value;
    };
    mix(static_cast<std::size_t>(style.alignCode));
    mix(style.backBgr);
    mix(style.faceId);
    mix(style.pictureId);
    mix(std::hash<float>{}(style.sizePt));
    mix(static_cast<std::size_t>(style.isBold) | static_cast<std::size_t>(style.isItalic) << 1 |
        static_cast<std::size_t>(style.isUnderline) << 2);
    return hash;
}

StyleTable::StyleTable() {
    Clear();
}

void StyleTable::Clear() {
    m_styles.assign(1, CellStyle{});
    m_index.clear();
    m_index.emplace(CellStyle{}, kNone);
    m_faces.assign(1, std::string());
    m_faceIndex.clear();
    m_faceIndex.emplace(std::string(), 0);
    m_pictures.assign(1, vb::Variant());
}

std::uint32_t StyleTable::Intern(const CellStyle& style) {
    auto [it, isNew] = m_index.emplace(style, static_cast<std::uint32_t>(m_styles.size()));
    if (isNew) {
        m_styles.push_back(style);
    }
    return it->second;
}

std::uint32_t StyleTable::InternFace(const std::string& face) {
    auto [it, isNew] = m_faceIndex.emplace(face, static_cast<std::uint32_t>(m_faces.size()));
    if (isNew) {
        m_faces.push_back(face);
    }
    return it->second;
}

std::uint32_t StyleTable::InternPicture(const vb::Variant& picture) {
    if (picture.IsEmpty() || picture.IsNull()) {
        return 0;
    }
    for (std::size_t id = 1; id < m_pictures.size(); ++id) {
        if (m_pictures[id] == picture) {
            return static_cast<std::uint32_t>(id);
        }
    }
    m_pictures.push_back(picture);
    return static_cast<std::uint32_t>(m_pictures.size() - 1);
}

bool StyleTable::CheckConsistency() const {
    if (m_index.size() != m_styles.size() || m_faceIndex.size() != m_faces.size()) {
        return false;
    }
    for (const auto& [style, id] : m_index) {
        if (id >= m_styles.size() || !(m_styles[id] == style)) {
            return false;
        }
    }
    for (const auto& [face, id] : m_faceIndex) {
        if (id >= m_faces.size() || m_faces[id] != face) {
            return false;
        }
    }
    return true;
}

} // namespace grid::detail
