// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Widths come from the face's glyph advances at the device's pixel size, remembered per character:
// a report's texts use a few hundred characters, measured millions of times.
#include "controls/sheet/qt/RawFontMeasure.h"

#include "controls/sheet/qt/ReportFonts.h"

#include <cmath>

#include <QFontDatabase>
#include <QFontMetricsF>

namespace sheet::qt {

RawFontMeasure::RawFontMeasure(double dpi) : m_dpi(dpi), m_device(1, 1, QImage::Format_RGB32) {
    InstallReportFonts();
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    m_device.setDotsPerMeterX(dotsPerMetre);
    m_device.setDotsPerMeterY(dotsPerMetre);
}

RawFontMeasure::~RawFontMeasure() = default;

RawFontMeasure::Face& RawFontMeasure::FaceOf(const PlanFont& font) {
    if (m_last != nullptr && m_lastFont == font) {
        return *m_last;
    }
    Face* found = nullptr;
    for (auto& [key, face] : m_faces) {
        if (key == font) {
            found = face.get();
        }
    }
    if (found == nullptr) {
        auto face = std::make_unique<Face>();
        face->font = QFont(QString::fromStdString(font.face));
        face->font.setPointSizeF(font.sizePt);
        face->font.setBold(font.bold);
        face->font.setItalic(font.italic);
        // Glyph outlines at the device's resolution: hinting for a 96 dpi screen would move
        // characters on a 1200 dpi page.
        face->font.setHintingPreference(QFont::PreferNoHinting);
        // Ligatures would put "ﬁ" (U+FB01) into the PDF text of every "fi" users search for.
        face->font.setStyleStrategy(QFont::PreferNoShaping);
        face->raw = QRawFont::fromFont(face->font, QFontDatabase::SimplifiedChinese);
        if (face->raw.isValid()) {
            face->raw.setPixelSize(font.sizePt * m_dpi / 72.0);
        }
        found = face.get();
        m_faces.emplace_back(font, std::move(face));
    }
    m_last = found;
    m_lastFont = font;
    return *found;
}

RawFontMeasure::Glyph RawFontMeasure::GlyphOf(Face& face, char32_t ch) {
    if (ch < 128 && face.asciiKnown[ch]) {
        return face.ascii[ch];
    }
    if (ch >= 128) {
        const auto known = face.others.find(ch);
        if (known != face.others.end()) {
            return known->second;
        }
    }
    Glyph glyph;
    const QString text = QString::fromUcs4(&ch, 1);
    quint32 indexes[2] = {0, 0};
    int count = 2;
    if (face.raw.isValid() &&
        face.raw.glyphIndexesForChars(text.constData(), static_cast<int>(text.size()), indexes, &count) &&
        count == 1 && indexes[0] != 0) {
        QPointF advance;
        if (face.raw.advancesForGlyphIndexes(indexes, &advance, 1)) {
            glyph = {indexes[0], advance.x()};
        }
    }
    if (glyph.index == 0) {
        // Drawn through the faces Qt falls back to: their width at the device's resolution.
        glyph.advance = QFontMetricsF(face.font, &m_device).horizontalAdvance(text);
    }
    if (ch < 128) {
        face.ascii[ch] = glyph;
        face.asciiKnown[ch] = true;
    } else {
        face.others.emplace(ch, glyph);
    }
    return glyph;
}

FontMetrics RawFontMeasure::Metrics(const PlanFont& font) {
    Face& face = FaceOf(font);
    FontMetrics metrics;
    if (face.raw.isValid()) {
        metrics.ascent = face.raw.ascent();
        metrics.descent = face.raw.descent();
        metrics.underlineOffset = face.raw.underlinePosition();
        metrics.lineThickness = face.raw.lineThickness();
    } else {
        const QFontMetricsF fallback(face.font, &m_device);
        metrics.ascent = fallback.ascent();
        metrics.descent = fallback.descent();
        metrics.underlineOffset = fallback.underlinePos();
        metrics.lineThickness = fallback.lineWidth();
    }
    return metrics;
}

void RawFontMeasure::Advances(const PlanFont& font, std::string_view text, std::vector<double>& advances) {
    Face& face = FaceOf(font);
    advances.clear();
    ForEachChar(text, [&](char32_t ch) { advances.push_back(GlyphOf(face, ch).advance); });
}

bool RawFontMeasure::Glyphs(Face& face, std::string_view text, QList<quint32>& glyphs,
                            std::vector<double>& advances) {
    glyphs.clear();
    advances.clear();
    bool isComplete = face.raw.isValid();
    ForEachChar(text, [&](char32_t ch) {
        const Glyph glyph = GlyphOf(face, ch);
        isComplete = isComplete && glyph.index != 0;
        glyphs.push_back(glyph.index);
        advances.push_back(glyph.advance);
    });
    return isComplete;
}

} // namespace sheet::qt
