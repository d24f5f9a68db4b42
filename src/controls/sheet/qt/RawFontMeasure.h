// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/PagePlan.h"

#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QFont>
#include <QImage>
#include <QList>
#include <QRawFont>

namespace sheet::qt {

// The code point of the UTF-8 character of `length` bytes at `at` (U+FFFD for a stray byte).
inline char32_t DecodeUtf8At(std::string_view text, std::size_t at, std::size_t length) {
    const auto byte = [&text](std::size_t index) {
        return static_cast<unsigned char>(text[index]);
    };
    switch (length) {
    case 2:
        return ((byte(at) & 0x1Fu) << 6) | (byte(at + 1) & 0x3Fu);
    case 3:
        return ((byte(at) & 0x0Fu) << 12) | ((byte(at + 1) & 0x3Fu) << 6) | (byte(at + 2) & 0x3Fu);
    case 4:
        return ((byte(at) & 0x07u) << 18) | ((byte(at + 1) & 0x3Fu) << 12) | ((byte(at + 2) & 0x3Fu) << 6) |
               (byte(at + 3) & 0x3Fu);
    default:
        return byte(at) < 0x80 ? byte(at) : 0xFFFD;
    }
}

// Calls `each` with every character of the UTF-8 text, counted as PagePlan counts them.
template <typename Each> void ForEachChar(std::string_view text, Each&& each) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8Length(static_cast<unsigned char>(text[at]));
        each(at + length <= text.size() ? DecodeUtf8At(text, at, length) : char32_t(0xFFFD));
        at += length;
    }
}

// Widths of texts as the report's faces draw them on a device of `dpi` dots per inch: glyphs from the
// face's own character map, and where the face lacks a character, the width of the face Qt falls
// back to. Needs a QGuiApplication.
class RawFontMeasure final : public TextMeasure {
public:
    explicit RawFontMeasure(double dpi);
    ~RawFontMeasure() override;

    double DevicePerPoint() const override { return m_dpi / 72.0; }
    FontMetrics Metrics(const PlanFont& font) override;
    void Advances(const PlanFont& font, std::string_view text, std::vector<double>& advances) override;

    // One face at the device's resolution, for a backend that draws what was measured.
    struct Glyph {
        quint32 index = 0; // 0: the face has no glyph for the character
        double advance = 0;
    };
    struct Face {
        QFont font;   // for texts the face cannot draw by glyph index
        QRawFont raw; // the face at the device's pixel size
        std::array<Glyph, 128> ascii{};
        std::array<bool, 128> asciiKnown{};
        std::unordered_map<char32_t, Glyph> others;
    };
    Face& FaceOf(const PlanFont& font);
    // The glyph of each character of `text` in `glyphs`; false when one is missing from the face.
    bool Glyphs(Face& face, std::string_view text, QList<quint32>& glyphs, std::vector<double>& advances);

private:
    Glyph GlyphOf(Face& face, char32_t ch);

    double m_dpi;
    QImage m_device; // a paint device of the resolution, for widths through fallback faces
    std::vector<std::pair<PlanFont, std::unique_ptr<Face>>> m_faces;
    Face* m_last = nullptr;
    PlanFont m_lastFont; // the face m_last is
};

} // namespace sheet::qt
