// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// A PDF of the sheet's pages, written by hand because the general PDF engine spent most of a long
// export on two things a sheet does not need: a fresh compressor for every page, and one positioning
// operator with long decimals per glyph. Here every text run is one string of glyph codes in one
// text object per page, positions are whole device units (a 1200th of an inch) mapped onto points
// by one matrix, and one compressor is reset from page to page.
//
// Faces are Type 0 fonts with Identity-H codes: the CIDs of a CID-keyed CFF face (embedded as its
// bare CFF table, whose charset maps them to the subset's glyphs), else the face's own glyph ids (a
// plain CFF subset keeps them; a TrueType subset is renumbered and a CIDToGIDMap maps back). Widths come from
// the face's own metrics, and wherever a glyph's place in the plan differs from where the face's width puts
// it, the text string says so with an adjustment: what was measured is what is drawn. The ToUnicode map holds
// the characters that were drawn with each glyph, so text copies out exactly as written.
#include "controls/sheet/qt/PdfWriter_p.h"
#include "controls/sheet/qt/RawFontMeasure.h"
#include "vb/Colour.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <hb-subset.h>
#include <hb.h>
#include <map>
#include <unistd.h>
#include <unordered_map>
#include <zlib.h>

#include <QDateTime>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPainterPath>
#include <QTextLayout>

namespace sheet::qt {

namespace {

// Measured on the 2,381 pages of a 100,000-row report (35 MB of page content): level 1 makes 8.4 MB
// in 0.35 s, level 4 7.35 MB in 0.43 s, level 6 6.5 MB in 0.85 s, level 9 6.4 MB in 2.3 s.
constexpr int kDeflateLevel = 4;
// The slant FreeType gives a face drawn oblique without an italic of its own (what the screen shows).
constexpr double kSyntheticSlant = 0x0366A / 65536.0;
// Glyph places closer than this (device units) to where the previous width puts them are left there.
constexpr double kPlaceTolerance = 0.5;

void AppendInt(std::string& out, long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// `value` with at most `decimals` decimals, no trailing zeros: "12", "0.5", "-3.25".
void AppendNumber(std::string& out, double value, int decimals) {
    static constexpr long long kScale[] = {1, 10, 100, 1000, 10000};
    const long long scale = kScale[decimals];
    long long scaled = std::llround(value * static_cast<double>(scale));
    if (scaled < 0) {
        out += '-';
        scaled = -scaled;
    }
    AppendInt(out, scaled / scale);
    long long fraction = scaled % scale;
    if (fraction == 0) {
        return;
    }
    int digits = decimals;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    out += '.';
    char buffer[8];
    for (int at = digits - 1; at >= 0; --at) {
        buffer[at] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    out.append(buffer, static_cast<std::size_t>(digits));
}

void AppendHex4(std::string& out, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char text[4] = {kDigits[(value >> 12) & 15], kDigits[(value >> 8) & 15], kDigits[(value >> 4) & 15],
                          kDigits[value & 15]};
    out.append(text, 4);
}

void AppendHex2(std::string& out, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[(value >> 4) & 15];
    out += kDigits[value & 15];
}

// A character as UTF-16 hex digits, as ToUnicode maps and text strings hold it.
void AppendUtf16Hex(std::string& out, char32_t ch) {
    if (ch >= 0x10000) {
        AppendHex4(out, 0xD800 + ((ch - 0x10000) >> 10));
        AppendHex4(out, 0xDC00 + ((ch - 0x10000) & 0x3FF));
    } else {
        AppendHex4(out, ch);
    }
}

void AppendColour(std::string& out, std::uint32_t bgr, const char* op) {
    const QRgb rgb = vb::BgrToRgb(bgr);
    for (const int part : {qRed(rgb), qGreen(rgb), qBlue(rgb)}) {
        AppendNumber(out, part / 255.0, 3);
        out += ' ';
    }
    out += op;
    out += '\n';
}

// Big-endian fields of a font table; 0 past its end.
unsigned U8(const QByteArray& table, qsizetype at) {
    return at < table.size() ? static_cast<unsigned char>(table[at]) : 0;
}
unsigned U16(const QByteArray& table, qsizetype at) {
    return (U8(table, at) << 8) | U8(table, at + 1);
}
int S16(const QByteArray& table, qsizetype at) {
    return static_cast<std::int16_t>(U16(table, at));
}
unsigned U32(const QByteArray& table, qsizetype at) {
    return (U16(table, at) << 16) | U16(table, at + 2);
}

// The CID of every glyph of a CID-keyed CFF table (by glyph id); empty when the table is not
// CID-keyed or cannot be read.
std::vector<std::uint16_t> CffCids(const QByteArray& cff) {
    const auto offsetAt = [&cff](qsizetype at, unsigned offSize) {
        unsigned offset = 0;
        for (unsigned byte = 0; byte < offSize; ++byte) {
            offset = (offset << 8) | U8(cff, at + byte);
        }
        return static_cast<qsizetype>(offset);
    };
    // The name index, then the top dictionary's index: its first dictionary.
    const qsizetype names = U8(cff, 2);
    qsizetype topIndex = names + 2;
    if (const unsigned count = U16(cff, names); count > 0) {
        const unsigned offSize = U8(cff, names + 2);
        topIndex = names + 3 + (count + 1) * offSize - 1 + offsetAt(names + 3 + count * offSize, offSize);
    }
    const unsigned offSize = U8(cff, topIndex + 2);
    if (U16(cff, topIndex) == 0 || offSize == 0) {
        return {};
    }
    const qsizetype data = topIndex + 3 + static_cast<qsizetype>(U16(cff, topIndex) + 1) * offSize - 1;
    qsizetype at = data + offsetAt(topIndex + 3, offSize);
    const qsizetype end = std::min<qsizetype>(data + offsetAt(topIndex + 3 + offSize, offSize), cff.size());
    bool isCid = false;
    long long charset = 0, charStrings = 0, operand = 0;
    while (at < end) {
        const unsigned b0 = U8(cff, at);
        if (b0 == 12) {
            isCid = isCid || U8(cff, at + 1) == 30; // ROS
            at += 2;
        } else if (b0 <= 21) {
            charset = b0 == 15 ? operand : charset;
            charStrings = b0 == 17 ? operand : charStrings;
            at += 1;
        } else if (b0 == 28) {
            operand = S16(cff, at + 1), at += 3;
        } else if (b0 == 29) {
            operand = static_cast<std::int32_t>(U32(cff, at + 1)), at += 5;
        } else if (b0 == 30) { // a real number: nibbles up to an 0xF
            while (++at < end && (U8(cff, at) & 0x0F) != 0x0F && (U8(cff, at) & 0xF0) != 0xF0) {
            }
            ++at;
        } else if (b0 >= 32 && b0 <= 246) {
            operand = static_cast<long long>(b0) - 139, at += 1;
        } else if (b0 >= 247 && b0 <= 250) {
            operand = (static_cast<long long>(b0) - 247) * 256 + U8(cff, at + 1) + 108, at += 2;
        } else if (b0 >= 251 && b0 <= 254) {
            operand = -(static_cast<long long>(b0) - 251) * 256 - U8(cff, at + 1) - 108, at += 2;
        } else {
            return {};
        }
    }
    if (!isCid || charset <= 2 || charStrings <= 0 || charset >= cff.size()) {
        return {};
    }
    const unsigned glyphs = U16(cff, charStrings);
    std::vector<std::uint16_t> cids(glyphs, 0);
    const unsigned format = U8(cff, charset);
    qsizetype pos = charset + 1;
    for (unsigned gid = 1; gid < glyphs && pos < cff.size();) {
        if (format == 0) {
            cids[gid++] = static_cast<std::uint16_t>(U16(cff, pos));
            pos += 2;
            continue;
        }
        const unsigned first = U16(cff, pos);
        const unsigned left = format == 1 ? U8(cff, pos + 2) : U16(cff, pos + 2);
        pos += format == 1 ? 3 : 4;
        for (unsigned n = 0; n <= left && gid < glyphs; ++n) {
            cids[gid++] = static_cast<std::uint16_t>(first + n);
        }
    }
    return cids;
}

// The bytes of the file, buffered, every write checked; offsets for the cross-reference table.
class PdfOutput {
public:
    explicit PdfOutput(int fd) : m_fd(fd) { m_buffer.reserve(kFlushAt + 65536); }

    std::string& Buffer() { return m_buffer; }
    std::uint64_t Offset() const { return m_flushed + m_buffer.size(); }
    int Errno() const { return m_errno; }
    void MaybeFlush() {
        if (m_buffer.size() >= kFlushAt) {
            Flush();
        }
    }
    void Flush() {
        std::size_t done = 0;
        while (m_errno == 0 && done < m_buffer.size()) {
            const ssize_t wrote = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
            if (wrote < 0 && errno == EINTR) {
                continue;
            }
            if (wrote <= 0) {
                m_errno = wrote < 0 ? errno : EIO;
            } else {
                done += static_cast<std::size_t>(wrote);
            }
        }
        m_flushed += m_buffer.size();
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kFlushAt = 256 * 1024;
    int m_fd;
    std::string m_buffer;
    std::uint64_t m_flushed = 0;
    int m_errno = 0;
};

// One zlib stream for every stream of the file, reset between them.
class Deflater {
public:
    Deflater() { m_ok = deflateInit(&m_stream, kDeflateLevel) == Z_OK; }
    ~Deflater() {
        if (m_ok) {
            deflateEnd(&m_stream);
        }
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // The compressed bytes, valid until the next call; false when zlib failed (out of memory).
    bool Compress(std::string_view data, std::string& out) {
        if (!m_ok || deflateReset(&m_stream) != Z_OK) {
            return false;
        }
        out.resize(deflateBound(&m_stream, static_cast<uLong>(data.size())));
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        m_stream.avail_in = static_cast<uInt>(data.size());
        m_stream.next_out = reinterpret_cast<Bytef*>(out.data());
        m_stream.avail_out = static_cast<uInt>(out.size());
        if (deflate(&m_stream, Z_FINISH) != Z_STREAM_END) {
            return false;
        }
        out.resize(m_stream.total_out);
        return true;
    }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

// The tables an embedded face needs; anything else the source face has stays out of its subset.
constexpr const char* kKeptTables[] = {"CFF ", "glyf", "loca", "head", "hhea", "hmtx", "maxp",
                                       "OS/2", "name", "post", "cmap", "cvt ", "fpgm", "prep"};

// A table of a HarfBuzz face, read in place (a face made from a file maps it, nothing is copied).
class FaceTable {
public:
    FaceTable() = default;
    FaceTable(hb_face_t* face, const char* tag)
        : m_blob(hb_face_reference_table(face, hb_tag_from_string(tag, 4))) {
        unsigned size = 0;
        const char* data = hb_blob_get_data(m_blob, &size);
        m_bytes = QByteArray::fromRawData(data, static_cast<qsizetype>(size));
    }
    ~FaceTable() { hb_blob_destroy(m_blob); }
    FaceTable(const FaceTable&) = delete;
    FaceTable& operator=(const FaceTable&) = delete;
    FaceTable& operator=(FaceTable&& other) noexcept {
        std::swap(m_blob, other.m_blob);
        std::swap(m_bytes, other.m_bytes);
        return *this;
    }
    const QByteArray& Bytes() const { return m_bytes; }

private:
    hb_blob_t* m_blob = nullptr;
    QByteArray m_bytes;
};

// The font file Qt loaded `raw` from, found through fontconfig by family and confirmed by its head
// table (which holds the file's checksum and dates): mapped, not read, however big it is. Null when
// no installed file is that face (an application font, say).
hb_face_t* FileFaceOf(const QRawFont& raw) {
    const QByteArray head = raw.fontTable("head");
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(raw.familyName().toUtf8().constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
    FcFontSet* found = FcFontList(nullptr, pattern, objects);
    hb_face_t* match = nullptr;
    for (int at = 0; found != nullptr && at < found->nfont && match == nullptr; ++at) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(found->fonts[at], FC_FILE, 0, &file) != FcResultMatch) {
            continue;
        }
        FcPatternGetInteger(found->fonts[at], FC_INDEX, 0, &index);
        hb_blob_t* blob = hb_blob_create_from_file_or_fail(reinterpret_cast<const char*>(file));
        if (blob == nullptr) {
            continue;
        }
        hb_face_t* face = hb_face_create(blob, static_cast<unsigned>(index) & 0xFFFF);
        hb_blob_destroy(blob);
        if (!head.isEmpty() && FaceTable(face, "head").Bytes() == head) {
            match = face;
        } else {
            hb_face_destroy(face);
        }
    }
    FcFontSetDestroy(found);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return match;
}

// The face from its tables as Qt reads them, for a face fontconfig does not know.
hb_face_t* TableFaceOf(const QRawFont& raw) {
    std::vector<QByteArray> tables;
    hb_face_t* builder = hb_face_builder_create();
    for (const char* tag : kKeptTables) {
        QByteArray table = raw.fontTable(tag);
        if (table.isEmpty()) {
            continue;
        }
        hb_blob_t* blob = hb_blob_create(table.constData(), static_cast<unsigned>(table.size()),
                                         HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_builder_add_table(builder, hb_tag_from_string(tag, 4), blob);
        hb_blob_destroy(blob);
        tables.push_back(std::move(table));
    }
    hb_blob_t* whole = hb_face_reference_blob(builder); // the tables end to end, a font file
    hb_face_destroy(builder);
    hb_face_t* face = hb_face_create(whole, 0);
    hb_blob_destroy(whole);
    return face;
}

// One font program as the pages use it, embedded at the end with the glyphs they drew.
struct EmbeddedFace {
    ~EmbeddedFace() { hb_face_destroy(source); }
    QRawFont raw;
    hb_face_t* source = nullptr;
    int id = 0;       // the Type 0 font's object
    int resource = 0; // its name on pages: /F<resource>
    int lastPage = -1;
    bool isCff = false;
    // CIDs of a CID-keyed CFF face by glyph id: the codes of its glyphs. Else codes are glyph ids.
    std::vector<std::uint16_t> cidOfGlyph;
    unsigned unitsPerEm = 1000;
    unsigned horizontalMetrics = 0;
    FaceTable hmtx;
    // A face without OpenType tables (Type 1): a Type 3 font of Qt's outlines, its codes one byte
    // given in the order glyphs are first drawn, 255 to a font, the next 255 in `overflow`.
    bool isType3 = false;
    std::unordered_map<quint32, unsigned> codeOfGlyph;
    std::vector<int> type3Widths{0}; // by code
    EmbeddedFace* overflow = nullptr;
    // By code: the glyph, and the first character drawn with it (0: no character).
    std::vector<std::uint16_t> glyphOfCode;
    std::vector<char32_t> charOfCode;
    std::vector<bool> isUsed;

    // Advance in thousandths of the size, as the widths array says.
    unsigned CodeOf(quint32 gid) const {
        if (isType3) {
            const auto known = codeOfGlyph.find(gid);
            return known != codeOfGlyph.end() ? known->second : 0;
        }
        return cidOfGlyph.empty() ? gid : gid < cidOfGlyph.size() ? cidOfGlyph[gid] : 0;
    }
    int Width(quint32 gid) const {
        if (isType3) {
            return type3Widths[CodeOf(gid)];
        }
        if (horizontalMetrics == 0) {
            return 0;
        }
        const unsigned index = std::min<unsigned>(gid, horizontalMetrics - 1);
        return static_cast<int>(std::lround(U16(hmtx.Bytes(), 4 * index) * 1000.0 / unitsPerEm));
    }
};

// A plan's font as drawn: its face, the font its glyphs embed in, and what Qt synthesises for it.
struct DrawnFace {
    RawFontMeasure::Face* face = nullptr;
    EmbeddedFace* font = nullptr; // null: every character goes through the faces Qt falls back to
    double size = 0;              // device units
    bool slant = false;           // italic asked of a face without one
    bool embolden = false;        // bold asked of a face without one
};

// A glyph of another face, where Qt draws a character the plan's face lacks.
struct FallbackGlyph {
    EmbeddedFace* font = nullptr;
    quint32 gid = 0;
    double dx = 0, dy = 0, size = 0;
};

// Which font file a face is, whatever size, weight or slant was asked of it: Qt gives a face drawn
// with a synthesised italic or bold the style asked for, but it embeds as the file it is.
std::string FaceKey(const QRawFont& raw) {
    const QByteArray head = raw.fontTable("head");
    if (head.isEmpty()) { // a Type 1 face has no tables to tell it by
        return raw.familyName().toStdString() + '\n' + raw.styleName().toStdString();
    }
    return raw.familyName().toStdString() + '\n' + head.mid(8, 4).toHex().toStdString() +
           head.mid(20, 16).toHex().toStdString();
}

// The subset's PostScript name: a tag of six capitals from its glyphs (the same for the same subset)
// and the face's family and style.
std::string SubsetName(const EmbeddedFace& font, const std::vector<unsigned>& codes) {
    std::string baseName;
    for (const QChar ch : font.raw.familyName() + QLatin1Char('-') + font.raw.styleName()) {
        if ((ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) ||
            (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) ||
            (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('-')) {
            baseName += static_cast<char>(ch.unicode());
        }
    }
    std::uint32_t hash = 2166136261u;
    for (const unsigned code : codes) {
        hash = (hash ^ code) * 16777619u;
    }
    for (const char ch : baseName) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    }
    std::string name;
    for (int at = 0; at < 6; ++at, hash /= 26) {
        name += static_cast<char>('A' + hash % 26);
    }
    name += '+';
    name += baseName.empty() ? "Face" + std::to_string(font.resource) : baseName;
    return name;
}

// The characters drawn with each code, for copying text out of the page.
std::string ToUnicodeOf(const EmbeddedFace& font, const std::vector<unsigned>& codes) {
    std::string cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                       "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                       "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n";
    cmap += font.isType3 ? "<00> <FF>" : "<0000> <FFFF>";
    cmap += "\nendcodespacerange\n";
    std::vector<unsigned> named;
    for (const unsigned code : codes) {
        if (font.charOfCode[code] != 0) {
            named.push_back(code);
        }
    }
    for (std::size_t at = 0; at < named.size(); at += 100) {
        const std::size_t to = std::min(named.size(), at + 100);
        AppendInt(cmap, static_cast<long long>(to - at));
        cmap += " beginbfchar\n";
        for (std::size_t one = at; one < to; ++one) {
            cmap += '<';
            if (font.isType3) {
                AppendHex2(cmap, named[one]);
            } else {
                AppendHex4(cmap, named[one]);
            }
            cmap += "> <";
            AppendUtf16Hex(cmap, font.charOfCode[named[one]]);
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return cmap;
}

} // namespace

struct PdfWriter::Impl {
    Impl(int fd, const QPageLayout& layout, int dpi);

    int Reserve() {
        offsets.push_back(0);
        return static_cast<int>(offsets.size() - 1);
    }
    void BeginObject(int id) {
        offsets[static_cast<std::size_t>(id)] = out.Offset();
        std::string& buffer = out.Buffer();
        AppendInt(buffer, id);
        buffer += " 0 obj\n";
    }
    void EndObject() {
        out.Buffer() += "endobj\n";
        out.MaybeFlush();
    }
    bool WriteStream(int id, std::string_view data, const std::string& dict = {});

    EmbeddedFace* FontOf(const QRawFont& raw);
    DrawnFace& FaceOf(const PagePlan& plan, std::uint32_t index);
    const std::vector<FallbackGlyph>& FallbackOf(std::uint32_t font, char32_t ch);

    void DrawRun(const PagePlan& plan, const TextRun& run);
    void DrawGlyph(EmbeddedFace& font, double size, quint32 gid, char32_t ch, double x, double y,
                   const DrawnFace& look, std::uint32_t colour);
    EmbeddedFace& Type3For(EmbeddedFace& font, quint32 gid);
    bool EmbedType3(EmbeddedFace& font, const std::vector<unsigned>& codes, int toUnicode);
    void EndTextString();
    void EndText();
    void DrawLines(const PagePlan& plan);

    bool Embed(EmbeddedFace& font);

    PdfOutput out;
    Deflater deflater;
    std::string compressed;
    std::vector<std::uint64_t> offsets{0};
    std::vector<int> pageIds;
    QRect paintRect; // device units
    QRect fullPoints;
    int dpi;
    std::string failedFace;

    RawFontMeasure measure;
    QImage device; // of the resolution, for laying out what the faces lack
    std::vector<DrawnFace> faces;
    std::unordered_map<std::string, std::unique_ptr<EmbeddedFace>> fonts;
    std::vector<EmbeddedFace*> fontOrder;
    std::map<std::pair<std::uint32_t, char32_t>, std::vector<FallbackGlyph>> fallbacks; // by plan font
    QList<quint32> glyphs;
    std::vector<double> advances;

    // The page being made, and the text state its content has set.
    std::string content;
    std::vector<EmbeddedFace*> pageFonts;
    bool inText = false;
    bool inString = false;
    const EmbeddedFace* textFont = nullptr;
    double textSize = 0;
    int renderMode = 0;
    bool slanted = false; // the line matrix is skewed: moves go by Tm
    std::uint32_t fillColour = 0;
    bool hasFill = false;
    long long lineX = 0, lineY = 0; // origin of the line matrix
    double pen = 0;                 // where the face's widths put the next glyph
};

PdfWriter::Impl::Impl(int fd, const QPageLayout& layout, int resolution)
    : out(fd), paintRect(layout.paintRectPixels(resolution)), fullPoints(layout.fullRectPoints()),
      dpi(resolution), measure(resolution), device(1, 1, QImage::Format_RGB32) {
    const int dotsPerMetre = static_cast<int>(std::lround(resolution / 0.0254));
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    Reserve(); // 1: catalogue
    Reserve(); // 2: page tree
    Reserve(); // 3: document information
    out.Buffer() += "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
}

bool PdfWriter::Impl::WriteStream(int id, std::string_view data, const std::string& dict) {
    if (!deflater.Compress(data, compressed)) {
        return false;
    }
    BeginObject(id);
    std::string& buffer = out.Buffer();
    buffer += "<< /Length ";
    AppendInt(buffer, static_cast<long long>(compressed.size()));
    buffer += " /Filter /FlateDecode";
    buffer += dict;
    buffer += " >>\nstream\n";
    if (compressed.size() > 65536) {
        out.Flush();
        out.Buffer() = compressed; // big font programs: straight through
        out.Flush();
    } else {
        buffer += compressed;
    }
    out.Buffer() += "\nendstream\n";
    EndObject();
    return true;
}

EmbeddedFace* PdfWriter::Impl::FontOf(const QRawFont& raw) {
    const std::string key = FaceKey(raw);
    if (const auto known = fonts.find(key); known != fonts.end()) {
        return known->second.get();
    }
    auto font = std::make_unique<EmbeddedFace>();
    font->raw = raw;
    font->source = FileFaceOf(raw);
    if (font->source == nullptr) {
        font->source = TableFaceOf(raw);
    }
    const FaceTable head(font->source, "head"), hhea(font->source, "hhea"), cff(font->source, "CFF ");
    font->hmtx = FaceTable(font->source, "hmtx");
    font->isCff = !cff.Bytes().isEmpty();
    const bool hasOutlines = font->isCff || !FaceTable(font->source, "glyf").Bytes().isEmpty();
    font->isType3 =
        !hasOutlines || head.Bytes().size() < 54 || hhea.Bytes().size() < 36 || font->hmtx.Bytes().isEmpty();
    if (!font->isType3) {
        font->unitsPerEm = std::max(16u, U16(head.Bytes(), 18));
        font->cidOfGlyph = CffCids(cff.Bytes());
        font->horizontalMetrics =
            std::min<unsigned>(U16(hhea.Bytes(), 34), static_cast<unsigned>(font->hmtx.Bytes().size() / 4));
    }
    font->glyphOfCode.assign(font->isType3 ? 256 : 65536, 0);
    font->charOfCode.assign(font->glyphOfCode.size(), 0);
    font->isUsed.assign(font->glyphOfCode.size(), false);
    font->id = Reserve();
    font->resource = static_cast<int>(fontOrder.size() + 1);
    EmbeddedFace* made = font.get();
    fontOrder.push_back(made);
    // Overflow fonts of a Type 3 face go under keys of their own.
    fonts.emplace(fonts.count(key) == 0 ? key : key + '#' + std::to_string(made->resource), std::move(font));
    return made;
}

EmbeddedFace& PdfWriter::Impl::Type3For(EmbeddedFace& font, quint32 gid) {
    EmbeddedFace* at = &font;
    while (at->codeOfGlyph.count(gid) == 0 && at->codeOfGlyph.size() >= 255) {
        if (at->overflow == nullptr) {
            auto next = std::make_unique<EmbeddedFace>();
            next->raw = font.raw;
            next->isType3 = true;
            next->glyphOfCode.assign(256, 0);
            next->charOfCode.assign(256, 0);
            next->isUsed.assign(256, false);
            next->id = Reserve();
            next->resource = static_cast<int>(fontOrder.size() + 1);
            at->overflow = next.get();
            fontOrder.push_back(next.get());
            fonts.emplace(FaceKey(font.raw) + '#' + std::to_string(next->resource), std::move(next));
        }
        at = at->overflow;
    }
    if (at->codeOfGlyph.count(gid) == 0) {
        // Widths in thousandths: the outline at 1000 pixels is in the font matrix's units.
        QRawFont thousand = font.raw;
        thousand.setPixelSize(1000);
        QPointF advance;
        thousand.advancesForGlyphIndexes(&gid, &advance, 1);
        at->codeOfGlyph.emplace(gid, static_cast<unsigned>(at->codeOfGlyph.size() + 1));
        at->type3Widths.push_back(static_cast<int>(std::lround(advance.x())));
    }
    return *at;
}

DrawnFace& PdfWriter::Impl::FaceOf(const PagePlan& plan, std::uint32_t index) {
    while (faces.size() < plan.fonts.size()) {
        DrawnFace drawn;
        drawn.face = &measure.FaceOf(plan.fonts[faces.size()]);
        const QRawFont& raw = drawn.face->raw;
        if (raw.isValid()) {
            drawn.font = FontOf(raw);
            drawn.size = raw.pixelSize();
            const QByteArray head = raw.fontTable("head");
            const QByteArray os2 = raw.fontTable("OS/2");
            const QByteArray post = raw.fontTable("post");
            const bool isItalic =
                (U16(head, 44) & 2) != 0 || (U16(os2, 62) & 0x201) != 0 || U32(post, 4) != 0;
            const bool isBold = (U16(head, 44) & 1) != 0 || U16(os2, 4) >= 600;
            drawn.slant = drawn.face->font.italic() && !isItalic;
            drawn.embolden = drawn.face->font.bold() && !isBold && drawn.font != nullptr;
        }
        faces.push_back(drawn);
    }
    return faces[index];
}

const std::vector<FallbackGlyph>& PdfWriter::Impl::FallbackOf(std::uint32_t font, char32_t ch) {
    const auto key = std::make_pair(font, ch);
    const DrawnFace& face = faces[font];
    if (const auto known = fallbacks.find(key); known != fallbacks.end()) {
        return known->second;
    }
    std::vector<FallbackGlyph> glyphsOfChar;
    // Laid out as drawText lays it out: the faces Qt falls back to, at the device's resolution.
    QTextLayout layout(QString::fromUcs4(&ch, 1), face.face->font, &device);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype at = 0; at < indexes.size() && at < positions.size(); ++at) {
            FallbackGlyph glyph;
            glyph.font = FontOf(run.rawFont());
            glyph.gid = indexes[at];
            glyph.dx = positions[at].x() - line.x();
            glyph.dy = positions[at].y() - line.ascent();
            glyph.size = run.rawFont().pixelSize();
            glyphsOfChar.push_back(glyph);
        }
    }
    return fallbacks.emplace(key, std::move(glyphsOfChar)).first->second;
}

void PdfWriter::Impl::EndTextString() {
    if (inString) {
        content += ">] TJ\n";
        inString = false;
    }
}

void PdfWriter::Impl::EndText() {
    EndTextString();
    if (inText) {
        content += "ET\n";
        inText = false;
    }
}

void PdfWriter::Impl::DrawGlyph(EmbeddedFace& face, double size, quint32 gid, char32_t ch, double x, double y,
                                const DrawnFace& look, std::uint32_t colour) {
    EmbeddedFace& font = face.isType3 ? Type3For(face, gid) : face;
    const unsigned code = font.CodeOf(gid);
    if (!font.isUsed[code]) {
        font.isUsed[code] = true;
        font.glyphOfCode[code] = static_cast<std::uint16_t>(gid);
    }
    if (ch != 0 && font.charOfCode[code] == 0) {
        font.charOfCode[code] = ch;
    }
    if (font.lastPage != static_cast<int>(pageIds.size())) {
        font.lastPage = static_cast<int>(pageIds.size());
        pageFonts.push_back(&font);
    }
    const long long baseline = std::llround(y);
    const int mode = look.embolden ? 2 : 0;
    const bool sameString = inString && textFont == &font && textSize == size && lineY == baseline &&
                            slanted == look.slant && renderMode == mode && fillColour == colour;
    if (!sameString) {
        EndTextString();
        if (!inText) {
            content += "BT\n";
            inText = true;
            slanted = true; // a new text object starts from the identity: place it by Tm
        }
        if (!hasFill || fillColour != colour) {
            AppendColour(content, colour, "rg");
            if (look.embolden) {
                AppendColour(content, colour, "RG");
            }
            fillColour = colour;
            hasFill = true;
        }
        if (textFont != &font || textSize != size) {
            content += "/F";
            AppendInt(content, font.resource);
            content += ' ';
            AppendNumber(content, size, 3);
            content += " Tf\n";
            textFont = &font;
            textSize = size;
        }
        if (renderMode != mode) {
            if (mode == 2) {
                // FreeType's emboldening widens a glyph by a 24th of its size.
                AppendNumber(content, size / 24, 2);
                content += " w ";
                AppendColour(content, colour, "RG");
            }
            AppendInt(content, mode);
            content += " Tr\n";
            renderMode = mode;
        }
        const long long left = std::llround(x);
        if (slanted || look.slant) {
            content += look.slant ? "1 0 " : "1 0 0 -1 ";
            if (look.slant) {
                AppendNumber(content, kSyntheticSlant, 4);
                content += " -1 ";
            }
            AppendInt(content, left);
            content += ' ';
            AppendInt(content, baseline);
            content += " Tm\n";
        } else {
            // The line matrix is flipped (its y runs down the page as the plan's does).
            AppendInt(content, left - lineX);
            content += ' ';
            AppendInt(content, lineY - baseline);
            content += " Td\n";
        }
        slanted = look.slant;
        lineX = left;
        lineY = baseline;
        pen = static_cast<double>(left);
        content += "[<";
        inString = true;
    } else if (std::abs(pen - x) > kPlaceTolerance) {
        const long long adjust = std::llround((pen - x) * 1000 / size);
        content += '>';
        AppendInt(content, adjust);
        content += '<';
        pen -= static_cast<double>(adjust) * size / 1000;
    }
    if (font.isType3) {
        AppendHex2(content, code);
    } else {
        AppendHex4(content, code);
    }
    pen += font.Width(gid) * size / 1000;
}

void PdfWriter::Impl::DrawRun(const PagePlan& plan, const TextRun& run) {
    DrawnFace& face = FaceOf(plan, run.font);
    const std::string_view text = plan.TextOf(run);
    if (run.clipToBox) {
        EndText();
        content += "q ";
        AppendNumber(content, run.box.left, 1);
        content += ' ';
        AppendNumber(content, run.box.top, 1);
        content += ' ';
        AppendNumber(content, run.box.right - run.box.left, 1);
        content += ' ';
        AppendNumber(content, run.box.bottom - run.box.top, 1);
        content += " re W n\n";
    }
    if (face.font != nullptr) {
        measure.Glyphs(*face.face, text, glyphs, advances); // 0 for what the face lacks
    } else {
        glyphs.clear();
        measure.Advances(plan.fonts[run.font], text, advances);
    }
    double x = run.x;
    std::size_t at = 0;
    ForEachChar(text, [&](char32_t ch) {
        const quint32 gid = glyphs.value(static_cast<qsizetype>(at));
        if (face.font != nullptr && gid != 0) {
            DrawGlyph(*face.font, face.size, gid, ch, x, run.baseline, face, run.colour);
        } else if (ch != ' ') {
            bool first = true;
            for (const FallbackGlyph& glyph : FallbackOf(run.font, ch)) {
                if (glyph.font != nullptr) {
                    DrawnFace look = face;
                    look.embolden = false;
                    DrawGlyph(*glyph.font, glyph.size, glyph.gid, first ? ch : 0, x + glyph.dx,
                              run.baseline + glyph.dy, look, run.colour);
                }
                first = false;
            }
        }
        x += at < advances.size() ? advances[at] : 0;
        ++at;
    });
    if (run.clipToBox) {
        EndText();
        content += "Q\n";
        // The text and colour state went with the saved state.
        textFont = nullptr;
        hasFill = false;
        renderMode = 0;
    }
}

void PdfWriter::Impl::DrawLines(const PagePlan& plan) {
    EndText();
    const PlanLine* penOf = nullptr; // the first line of the pen being drawn
    for (const PlanLine& line : plan.lines) {
        if (penOf == nullptr || line.width != penOf->width || line.dash != penOf->dash ||
            line.colour != penOf->colour) {
            if (penOf != nullptr) {
                content += "S\n";
            }
            penOf = &line;
            AppendNumber(content, line.width, 2);
            content += " w [";
            // Qt's dash patterns, in pen widths.
            static constexpr double kDot[] = {1, 2}, kDash[] = {4, 2}, kDashDot[] = {4, 2, 1, 2},
                                    kDashDotDot[] = {4, 2, 1, 2, 1, 2};
            const auto dashes = [&]() -> std::pair<const double*, int> {
                switch (line.dash) {
                case LineDash::Dot:
                    return {kDot, 2};
                case LineDash::Dash:
                    return {kDash, 2};
                case LineDash::DashDot:
                    return {kDashDot, 4};
                case LineDash::DashDotDot:
                    return {kDashDotDot, 6};
                case LineDash::Solid:
                    break;
                }
                return {nullptr, 0};
            }();
            const double unit = line.width < 0.001 ? 1 : line.width;
            for (int at = 0; at < dashes.second; ++at) {
                AppendNumber(content, dashes.first[at] * unit, 2);
                content += at + 1 < dashes.second ? " " : "";
            }
            content += "] 0 d ";
            AppendColour(content, line.colour, "RG");
        }
        AppendNumber(content, line.x1, 1);
        content += ' ';
        AppendNumber(content, line.y1, 1);
        content += " m ";
        AppendNumber(content, line.x2, 1);
        content += ' ';
        AppendNumber(content, line.y2, 1);
        content += " l\n";
    }
    if (penOf != nullptr) {
        content += "S\n";
    }
}

bool PdfWriter::Impl::Embed(EmbeddedFace& font) {
    std::vector<unsigned> codes;
    for (unsigned code = 0; code < font.isUsed.size(); ++code) {
        if (font.isUsed[code]) {
            codes.push_back(code);
        }
    }
    const int toUnicode = Reserve();
    if (!WriteStream(toUnicode, ToUnicodeOf(font, codes))) {
        return false;
    }
    if (font.isType3) {
        return EmbedType3(font, codes, toUnicode);
    }
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    hb_set_t* glyphSet = input != nullptr ? hb_subset_input_glyph_set(input) : nullptr;
    if (glyphSet != nullptr) {
        hb_set_add(glyphSet, 0);
        for (const unsigned code : codes) {
            hb_set_add(glyphSet, font.glyphOfCode[code]);
        }
        // Only the tables a PDF reader draws with.
        hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
        hb_tag_t tags[64];
        unsigned count = 64;
        for (unsigned start = 0; count == 64; start += count) {
            count = 64;
            hb_face_get_table_tags(font.source, start, &count, tags);
            for (unsigned at = 0; at < count; ++at) {
                const bool isKept =
                    std::any_of(std::begin(kKeptTables), std::end(kKeptTables),
                                [&](const char* tag) { return hb_tag_from_string(tag, 4) == tags[at]; });
                if (!isKept) {
                    hb_set_add(dropped, tags[at]);
                }
            }
        }
        // A plain CFF face is drawn by glyph id: its subset keeps them.
        if (font.isCff && font.cidOfGlyph.empty()) {
            hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
        }
    }
    hb_subset_plan_t* plan = input != nullptr ? hb_subset_plan_create_or_fail(font.source, input) : nullptr;
    hb_face_t* subset = plan != nullptr ? hb_subset_plan_execute_or_fail(plan) : nullptr;
    hb_blob_t* program = subset != nullptr ? hb_face_reference_blob(subset) : nullptr;
    unsigned programSize = 0;
    const char* programData = program != nullptr ? hb_blob_get_data(program, &programSize) : nullptr;
    std::vector<std::uint16_t> newGlyphOfCode(codes.empty() ? 0 : codes.back() + 1, 0);
    bool ok = programSize > 0;
    if (ok) {
        const hb_map_t* oldToNew = hb_subset_plan_old_to_new_glyph_mapping(plan);
        for (const unsigned code : codes) {
            const hb_codepoint_t mapped = hb_map_get(oldToNew, font.glyphOfCode[code]);
            ok = ok && mapped != HB_MAP_VALUE_INVALID;
            newGlyphOfCode[code] = static_cast<std::uint16_t>(mapped);
        }
        if (ok && !font.cidOfGlyph.empty()) {
            // A CID-keyed face goes in as its bare CFF table, whose charset maps the codes the pages
            // were written with (CIDs) onto its glyphs: the subset must have kept every CID.
            hb_blob_t* cffBlob = hb_face_reference_table(subset, HB_TAG('C', 'F', 'F', ' '));
            programData = hb_blob_get_data(cffBlob, &programSize);
            const std::vector<std::uint16_t> cids =
                CffCids(QByteArray::fromRawData(programData, static_cast<qsizetype>(programSize)));
            for (const unsigned code : codes) {
                ok = ok && newGlyphOfCode[code] < cids.size() && cids[newGlyphOfCode[code]] == code;
            }
            hb_blob_destroy(program);
            program = cffBlob;
        }
    }
    const std::string subsetProgram = ok ? std::string(programData, programSize) : std::string();
    hb_blob_destroy(program);
    hb_face_destroy(subset);
    hb_subset_plan_destroy(plan);
    hb_subset_input_destroy(input);

    if (!ok) {
        failedFace = font.raw.familyName().toStdString();
        return false;
    }
    const std::string name = SubsetName(font, codes);
    const int cidFont = Reserve(), descriptor = Reserve(), file = Reserve();
    const int cidToGid = font.isCff ? 0 : Reserve();
    const QByteArray head = font.raw.fontTable("head");
    const QByteArray hhea = font.raw.fontTable("hhea");
    const QByteArray os2 = font.raw.fontTable("OS/2");
    const QByteArray post = font.raw.fontTable("post");
    const auto scaled = [&font](int units) {
        return static_cast<long long>(std::lround(units * 1000.0 / font.unitsPerEm));
    };

    BeginObject(font.id);
    std::string& buffer = out.Buffer();
    buffer +=
        "<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [";
    AppendInt(buffer, cidFont);
    buffer += " 0 R] /ToUnicode ";
    AppendInt(buffer, toUnicode);
    buffer += " 0 R >>\n";
    EndObject();

    BeginObject(cidFont);
    out.Buffer() +=
        std::string("<< /Type /Font /Subtype /") + (font.isCff ? "CIDFontType0" : "CIDFontType2") +
        " /BaseFont /" + name +
        " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
    AppendInt(out.Buffer(), descriptor);
    out.Buffer() += " 0 R /DW 1000 /W [";
    for (std::size_t at = 0; at < codes.size();) {
        std::size_t to = at;
        while (to < codes.size() && font.Width(font.glyphOfCode[codes[to]]) != 1000 &&
               (to == at || codes[to] == codes[to - 1] + 1)) {
            ++to;
        }
        if (to == at) {
            ++at;
            continue;
        }
        AppendInt(out.Buffer(), codes[at]);
        out.Buffer() += " [";
        for (std::size_t one = at; one < to; ++one) {
            AppendInt(out.Buffer(), font.Width(font.glyphOfCode[codes[one]]));
            out.Buffer() += one + 1 < to ? " " : "";
        }
        out.Buffer() += "] ";
        at = to;
    }
    out.Buffer() += "]";
    if (cidToGid != 0) {
        out.Buffer() += " /CIDToGIDMap ";
        AppendInt(out.Buffer(), cidToGid);
        out.Buffer() += " 0 R";
    }
    out.Buffer() += " >>\n";
    EndObject();

    const double italicAngle = static_cast<std::int32_t>(U32(post, 4)) / 65536.0;
    const int ascent = S16(hhea, 4), descent = S16(hhea, 6);
    const int capHeight = U16(os2, 0) >= 2 && os2.size() >= 90 ? S16(os2, 88) : ascent;
    BeginObject(descriptor);
    std::string& d = out.Buffer();
    d += "<< /Type /FontDescriptor /FontName /" + name + " /Flags ";
    AppendInt(d, italicAngle != 0 ? 4 + 64 : 4);
    d += " /FontBBox [";
    for (const int at : {36, 38, 40, 42}) {
        AppendInt(d, scaled(S16(head, at)));
        d += at < 42 ? " " : "";
    }
    d += "] /ItalicAngle ";
    AppendNumber(d, italicAngle, 2);
    d += " /Ascent ";
    AppendInt(d, scaled(ascent));
    d += " /Descent ";
    AppendInt(d, scaled(descent));
    d += " /CapHeight ";
    AppendInt(d, scaled(capHeight));
    d += " /StemV 80 ";
    d += font.isCff ? "/FontFile3 " : "/FontFile2 ";
    AppendInt(d, file);
    d += " 0 R >>\n";
    EndObject();

    std::string fileDict = !font.cidOfGlyph.empty() ? " /Subtype /CIDFontType0C"
                           : font.isCff             ? " /Subtype /OpenType"
                                                    : " /Length1 " + std::to_string(subsetProgram.size());
    if (!WriteStream(file, subsetProgram, fileDict)) {
        return false;
    }

    if (cidToGid != 0) {
        std::string map(newGlyphOfCode.size() * 2, '\0');
        for (std::size_t code = 0; code < newGlyphOfCode.size(); ++code) {
            map[2 * code] = static_cast<char>(newGlyphOfCode[code] >> 8);
            map[2 * code + 1] = static_cast<char>(newGlyphOfCode[code] & 0xFF);
        }
        if (!WriteStream(cidToGid, map)) {
            return false;
        }
    }
    return true;
}

bool PdfWriter::Impl::EmbedType3(EmbeddedFace& font, const std::vector<unsigned>& codes, int toUnicode) {
    // Glyph space is Qt's outline at 1000 pixels, y down as the plan's: the matrix turns it up.
    QRawFont thousand = font.raw;
    thousand.setPixelSize(1000);
    std::vector<int> procs;
    for (std::size_t at = 0; at < codes.size(); ++at) {
        procs.push_back(Reserve());
    }
    const int charProcs = Reserve();
    BeginObject(font.id);
    std::string& buffer = out.Buffer();
    buffer += "<< /Type /Font /Subtype /Type3 /Name /" + SubsetName(font, codes) +
              " /FontBBox [0 0 0 0] /FontMatrix [0.001 0 0 -0.001 0 0] /Resources << >> /CharProcs ";
    AppendInt(buffer, charProcs);
    buffer += " 0 R /Encoding << /Type /Encoding /Differences [";
    for (const unsigned code : codes) {
        buffer += ' ';
        AppendInt(buffer, code);
        buffer += " /g";
        AppendInt(buffer, code);
    }
    buffer += "] >> /FirstChar ";
    AppendInt(buffer, codes.empty() ? 0 : codes.front());
    buffer += " /LastChar ";
    AppendInt(buffer, codes.empty() ? 0 : codes.back());
    buffer += " /Widths [";
    for (unsigned code = codes.empty() ? 0 : codes.front(); !codes.empty() && code <= codes.back(); ++code) {
        AppendInt(buffer, code < font.type3Widths.size() ? font.type3Widths[code] : 0);
        buffer += ' ';
    }
    buffer += "] /ToUnicode ";
    AppendInt(buffer, toUnicode);
    buffer += " 0 R >>\n";
    EndObject();

    BeginObject(charProcs);
    out.Buffer() += "<<";
    for (std::size_t at = 0; at < codes.size(); ++at) {
        out.Buffer() += " /g";
        AppendInt(out.Buffer(), codes[at]);
        out.Buffer() += ' ';
        AppendInt(out.Buffer(), procs[at]);
        out.Buffer() += " 0 R";
    }
    out.Buffer() += " >>\n";
    EndObject();

    std::string glyph;
    for (std::size_t at = 0; at < codes.size(); ++at) {
        const QPainterPath path = thousand.pathForGlyph(font.glyphOfCode[codes[at]]);
        const QRectF box = path.boundingRect();
        glyph.clear();
        AppendInt(glyph, font.type3Widths[codes[at]]);
        glyph += " 0 ";
        for (const double edge : {box.left(), box.top(), box.right(), box.bottom()}) {
            AppendNumber(glyph, edge, 1);
            glyph += ' ';
        }
        glyph += "d1\n";
        for (int element = 0; element < path.elementCount(); ++element) {
            const QPainterPath::Element e = path.elementAt(element);
            const int points = e.type == QPainterPath::CurveToElement ? 3 : 1;
            for (int one = 0; one < points && element + one < path.elementCount(); ++one) {
                AppendNumber(glyph, path.elementAt(element + one).x, 1);
                glyph += ' ';
                AppendNumber(glyph, path.elementAt(element + one).y, 1);
                glyph += ' ';
            }
            glyph += e.type == QPainterPath::MoveToElement ? "m\n" : points == 3 ? "c\n" : "l\n";
            element += points - 1;
        }
        glyph += path.fillRule() == Qt::WindingFill ? "f\n" : "f*\n";
        if (!WriteStream(procs[at], glyph)) {
            return false;
        }
    }
    return true;
}

PdfWriter::PdfWriter(int fd, const QPageLayout& layout, int dpi)
    : m_impl(std::make_unique<Impl>(fd, layout, dpi)) {}

PdfWriter::~PdfWriter() = default;

bool PdfWriter::AddPage(const PagePlan& plan) {
    Impl& d = *m_impl;
    if (d.out.Errno() != 0 || !d.failedFace.empty()) {
        return false;
    }
    d.content.clear();
    d.pageFonts.clear();
    d.inText = d.inString = d.hasFill = false;
    d.textFont = nullptr;
    d.renderMode = 0;
    d.slanted = true;
    // Device units of the plan, from the top-left of the printable frame, onto points from the
    // bottom-left of the paper: the placement Qt's printing gives the same layout.
    const double scale = 72.0 / d.dpi;
    AppendNumber(d.content, scale, 4);
    d.content += " 0 0 ";
    AppendNumber(d.content, -scale, 4);
    d.content += ' ';
    AppendNumber(d.content, d.paintRect.left() * scale, 4);
    d.content += ' ';
    AppendNumber(d.content, d.fullPoints.height() - d.paintRect.top() * scale, 4);
    d.content += " cm\n";
    for (const TextRun& run : plan.runs) {
        d.DrawRun(plan, run);
    }
    d.DrawLines(plan);

    const int contents = d.Reserve();
    const int page = d.Reserve();
    if (!d.WriteStream(contents, d.content)) {
        d.failedFace = "zlib";
        return false;
    }
    d.BeginObject(page);
    std::string& buffer = d.out.Buffer();
    buffer += "<< /Type /Page /Parent 2 0 R /Resources << /Font <<";
    for (const EmbeddedFace* font : d.pageFonts) {
        buffer += " /F";
        AppendInt(buffer, font->resource);
        buffer += ' ';
        AppendInt(buffer, font->id);
        buffer += " 0 R";
    }
    buffer += " >> >> /Contents ";
    AppendInt(buffer, contents);
    buffer += " 0 R >>\n";
    d.EndObject();
    d.pageIds.push_back(page);
    return d.out.Errno() == 0;
}

bool PdfWriter::Finish(const std::string& title) {
    Impl& d = *m_impl;
    if (d.pageIds.empty()) {
        AddPage(PagePlan{}); // a document has at least one page, blank if need be
    }
    for (EmbeddedFace* font : d.fontOrder) {
        // A face whose characters were all blank was never named on a page: its number stays free.
        if (font->lastPage >= 0 && (d.out.Errno() != 0 || !d.failedFace.empty() || !d.Embed(*font))) {
            return false;
        }
    }
    d.BeginObject(2);
    std::string& buffer = d.out.Buffer();
    buffer += "<< /Type /Pages /MediaBox [0 0 ";
    AppendInt(buffer, d.fullPoints.width());
    buffer += ' ';
    AppendInt(buffer, d.fullPoints.height());
    buffer += "] /Count ";
    AppendInt(buffer, static_cast<long long>(d.pageIds.size()));
    buffer += " /Kids [";
    for (std::size_t at = 0; at < d.pageIds.size(); ++at) {
        AppendInt(d.out.Buffer(), d.pageIds[at]);
        d.out.Buffer() += at + 1 < d.pageIds.size() ? " 0 R " : " 0 R";
        d.out.MaybeFlush();
    }
    d.out.Buffer() += "] >>\n";
    d.EndObject();

    d.BeginObject(1);
    d.out.Buffer() += "<< /Type /Catalog /Pages 2 0 R >>\n";
    d.EndObject();

    d.BeginObject(3);
    std::string& info = d.out.Buffer();
    info += "<< /Title <FEFF";
    const QString wide = QString::fromStdString(title);
    for (const QChar ch : wide) {
        AppendHex4(info, ch.unicode());
    }
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc() / 60;
    info += "> /Creator (Vondrel) /Producer (Vondrel) /CreationDate (D:" +
            now.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString() + (offset < 0 ? "-" : "+");
    char zone[16];
    std::snprintf(zone, sizeof zone, "%02d'%02d", std::abs(offset) / 60, std::abs(offset) % 60);
    info += zone;
    info += "') >>\n";
    d.EndObject();

    const std::uint64_t xref = d.out.Offset();
    std::string& tail = d.out.Buffer();
    tail += "xref\n0 ";
    AppendInt(tail, static_cast<long long>(d.offsets.size()));
    tail += "\n0000000000 65535 f\r\n";
    for (std::size_t id = 1; id < d.offsets.size(); ++id) {
        char entry[32] = "0000000000 00001 f\r\n"; // reserved, never written
        if (d.offsets[id] != 0) {
            std::snprintf(entry, sizeof entry, "%010llu 00000 n\r\n",
                          static_cast<unsigned long long>(d.offsets[id]));
        }
        d.out.Buffer() += entry;
        d.out.MaybeFlush();
    }
    d.out.Buffer() += "trailer\n<< /Size ";
    AppendInt(d.out.Buffer(), static_cast<long long>(d.offsets.size()));
    d.out.Buffer() += " /Root 1 0 R /Info 3 0 R >>\nstartxref\n";
    AppendInt(d.out.Buffer(), static_cast<long long>(xref));
    d.out.Buffer() += "\n%%EOF\n";
    d.out.Flush();
    return d.out.Errno() == 0;
}

int PdfWriter::FailureErrno() const {
    return m_impl->out.Errno();
}

const std::string& PdfWriter::FailedFace() const {
    return m_impl->failedFace;
}

} // namespace sheet::qt
