// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "CompoundCheck.h"
#include "controls/sheet/SheetDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace sheet::fuzz {

// Reads the fuzzer's bytes as a program of edits through the document's public setters, so the
// writer sees every shape a template plus a report's data can take (long and odd texts, merges,
// borders, fonts, formats, hidden columns, print areas), not only what the demo templates hold.
class EditProgram {
public:
    explicit EditProgram(std::string_view bytes) : m_bytes(bytes) {}
    bool AtEnd() const { return m_at >= m_bytes.size(); }
    int Byte() { return AtEnd() ? 0 : static_cast<unsigned char>(m_bytes[m_at++]); }
    int Small(int limit) { return Byte() % limit; }
    std::string_view Text() {
        const std::size_t length = std::min<std::size_t>(Byte() * 64 + Byte(), m_bytes.size() - m_at);
        const std::string_view text = m_bytes.substr(m_at, length);
        m_at += length;
        return text;
    }
    double Number() {
        std::uint64_t bits = 0;
        for (int index = 0; index < 8; ++index) {
            bits = bits << 8 | static_cast<std::uint64_t>(Byte());
        }
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

inline void ApplyEdits(SheetDocument& doc, std::string_view bytes) {
    EditProgram program(bytes);
    doc.Resize(1 + program.Small(40), 1 + program.Small(120));
    auto col = [&] {
        return program.Small(doc.SheetColCount() + 1);
    }; // one past the end: refused
    auto row = [&] {
        return program.Small(doc.SheetRowCount() + 1);
    };
    while (!program.AtEnd()) {
        switch (program.Small(14)) {
        case 0: {
            const int c = col(), r = row();
            doc.SetCellText(c, r, program.Text());
            break;
        }
        case 1: {
            const int c = col(), r = row();
            doc.SetCellValue(c, r, vb::Variant(program.Number()));
            break;
        }
        case 2: {
            const int c = col(), r = row(), c2 = col(), r2 = row();
            doc.MergeCells(c, r, c2, r2);
            break;
        }
        case 3: {
            const int c = col(), r = row(), c2 = col(), r2 = row(), part = program.Small(10);
            const int style = program.Small(16);
            doc.SetRangeBorder(c, r, c2, r2, part, style, program.Byte() * 65793L);
            break;
        }
        case 4: {
            const int c = col(), r = row();
            const long size = program.Small(80), style = program.Small(16);
            doc.SetCellFont(c, r, size, style, program.Text());
            break;
        }
        case 5: {
            const int c = col(), r = row();
            const auto v1 = static_cast<std::int16_t>(program.Small(3));
            const bool v2 = program.Byte() & 1;
            const auto v3 = static_cast<std::int16_t>(program.Small(20) - 2);
            const auto v4 = static_cast<std::int16_t>(program.Small(8) - 2);
            const double v5 = program.Small(3) == 0 ? 0 : program.Small(2) == 0 ? 1000 : 1000000;
            const auto v6 = static_cast<std::int16_t>(program.Small(3));
            doc.SetCellNumFormat(c, r, v1, v2, v3, v4, v5, v6, program.Byte() & 1);
            break;
        }
        case 6: {
            const int c = col(), r = row();
            doc.SetCellAlign(c, r, program.Byte() | program.Byte() << 8);
            break;
        }
        case 7: {
            const int c = col(), r = row();
            doc.SetCellOption(c, r, program.Byte() - 128);
            break;
        }
        case 8: {
            const int c = col();
            doc.SetColWidth(c, program.Byte() * 4);
            break;
        }
        case 9: {
            const int r = row();
            doc.SetRowHeight(r, program.Byte());
            break;
        }
        case 10: {
            const int c = col(), r = row(), c2 = col(), r2 = row();
            const int titleRows = program.Small(4), titleCols = program.Small(4);
            doc.SetPrintArea(c, r, c2, r2, titleRows, titleCols);
            break;
        }
        case 11: {
            const std::string_view left = program.Text(), centre = program.Text();
            doc.SetPageLine(left, centre, program.Text());
            break;
        }
        case 12: {
            const int c = col(), count = program.Small(4);
            doc.InsertCols(c, count);
            break;
        }
        default:
            doc.SetSheetRowCount(program.Small(200));
            break;
        }
    }
}

inline std::string ReadWhole(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
            bytes.append(buffer, n);
        }
        std::fclose(file);
    }
    return bytes;
}

// Names the folder's entries, to see that the writer left nothing beside its file.
inline std::string FolderListing(const std::string& folder) {
    std::string names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                names.append(entry->d_name).append("\n");
            }
        }
        closedir(dir);
    }
    return names;
}

// Any document the setters accept must export: a consistent document is the writer's whole contract.
// The file must be a compound file an independent reader accepts, with a BIFF stream of one workbook
// and one sheet, and nothing else may be left in the folder.
inline int FuzzXlsWriter(const std::uint8_t* data, std::size_t size) {
    // One folder for the whole run, removed at exit (it is empty between inputs).
    static const struct Folder {
        Folder() {
            char pattern[] = "/tmp/vondrel-fuzz-xls-XXXXXX";
            if (mkdtemp(pattern) == nullptr) {
                std::abort();
            }
            path = pattern;
        }
        ~Folder() { ::rmdir(path.c_str()); }
        std::string path;
    } scratch;
    const std::string& folder = scratch.path;
    SheetDocument doc;
    ApplyEdits(doc, std::string_view(reinterpret_cast<const char*>(data), size));
    if (!doc.CheckConsistency()) {
        std::abort();
    }
    const std::string path = folder + "/报表 out.xls";
    if (doc.SheetColCount() > 256) {
        // Beyond what the format holds: refused by contract, and nothing may be left behind.
        if (doc.ExportExcel(path) || doc.LastError().code != "too-many-columns" ||
            !FolderListing(folder).empty()) {
            std::abort();
        }
        return 0;
    }
    if (!doc.ExportExcel(path)) {
        std::fprintf(stderr, "export refused a consistent document: %s\n", doc.LastError().message.c_str());
        std::abort();
    }
    if (FolderListing(folder) != "报表 out.xls\n") {
        std::fprintf(stderr, "folder holds: %s\n", FolderListing(folder).c_str());
        std::abort();
    }
    const std::string file = ReadWhole(path);
    std::string stream;
    std::string error;
    if (!ReadCompoundStream(file, u"Workbook", stream, error) || !CheckBiffStream(stream, 2, error)) {
        std::fprintf(stderr, "bad .xls: %s\n", error.c_str());
        std::abort();
    }
    unlink(path.c_str());
    return 0;
}

} // namespace sheet::fuzz
