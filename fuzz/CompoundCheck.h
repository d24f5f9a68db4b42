// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// A reader for compound documents written independently of the writer, strict where the writer has
// no excuse: every chain ends exactly where the stream's size says, no sector is visited twice, and
// the workbook stream is a run of well-formed BIFF records from a BOF to the last EOF.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sheet::fuzz {

namespace cfb {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

inline std::uint32_t U32(std::string_view bytes, std::size_t at) {
    if (at + 4 > bytes.size()) {
        return kEndOfChain - 1;
    }
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

inline std::uint16_t U16(std::string_view bytes, std::size_t at) {
    if (at + 2 > bytes.size()) {
        return 0xFFFF;
    }
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// Follows a chain in `table`; empty when it loops, leaves the table or is longer than `limit`.
inline std::vector<std::uint32_t> Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                        std::size_t limit) {
    std::vector<std::uint32_t> chain;
    std::set<std::uint32_t> seen;
    for (std::uint32_t at = start; at != kEndOfChain; at = table[at]) {
        if (at >= table.size() || !seen.insert(at).second || chain.size() >= limit) {
            return {};
        }
        chain.push_back(at);
    }
    return chain;
}

} // namespace cfb

// The named stream of a version 3 compound file, or an error text saying what was wrong.
inline bool ReadCompoundStream(std::string_view file, std::u16string_view name, std::string& stream,
                               std::string& error) {
    using namespace cfb;
    constexpr std::string_view kMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (file.size() < 1024 || file.substr(0, 8) != kMagic || (file.size() - 512) % 512 != 0) {
        error = "not a compound file of whole 512-byte sectors";
        return false;
    }
    if (U16(file, 0x1A) != 3 || U16(file, 0x1E) != 9 || U16(file, 0x20) != 6 || U32(file, 0x38) != 4096) {
        error = "header is not version 3 with 512/64-byte sectors";
        return false;
    }
    const std::size_t sectors = (file.size() - 512) / 512;
    auto sector = [&](std::uint32_t index) {
        return file.substr(512 + std::size_t{index} * 512, 512);
    };
    // The FAT sectors: 109 in the header, then the DIFAT chain.
    std::vector<std::uint32_t> fatSectors;
    const std::uint32_t fatCount = U32(file, 0x2C);
    for (std::size_t index = 0; index < 109 && fatSectors.size() < fatCount; ++index) {
        fatSectors.push_back(U32(file, 0x4C + 4 * index));
    }
    std::uint32_t difat = U32(file, 0x44);
    for (std::size_t hops = 0; fatSectors.size() < fatCount; ++hops) {
        if (difat >= sectors || hops > sectors) {
            error = "DIFAT chain broken";
            return false;
        }
        for (std::size_t index = 0; index < 127 && fatSectors.size() < fatCount; ++index) {
            fatSectors.push_back(U32(sector(difat), 4 * index));
        }
        difat = U32(sector(difat), 508);
    }
    std::vector<std::uint32_t> fat;
    for (std::uint32_t at : fatSectors) {
        if (at >= sectors) {
            error = "FAT sector outside the file";
            return false;
        }
        for (std::size_t index = 0; index < 128; ++index) {
            fat.push_back(U32(sector(at), 4 * index));
        }
    }
    if (fat.size() < sectors) {
        error = "FAT does not cover the file";
        return false;
    }
    fat.resize(sectors);
    auto read = [&](std::uint32_t start, std::size_t limit, std::string& out) {
        const std::vector<std::uint32_t> chain = Chain(fat, start, limit);
        out.clear();
        for (std::uint32_t at : chain) {
            out.append(sector(at));
        }
        return !chain.empty();
    };
    std::string directory;
    if (!read(U32(file, 0x30), sectors, directory)) {
        error = "directory chain broken";
        return false;
    }
    const std::string_view dir(directory);
    if (dir[0x42] != 5) {
        error = "first directory entry is not the root";
        return false;
    }
    for (std::size_t entry = 0; entry + 128 <= dir.size(); entry += 128) {
        const std::uint16_t nameBytes = U16(dir, entry + 0x40);
        if (dir[entry + 0x42] != 2 || nameBytes < 2 || nameBytes > 64 ||
            static_cast<std::size_t>(nameBytes / 2 - 1) != name.size()) {
            continue;
        }
        std::u16string entryName;
        for (std::size_t index = 0; index + 1 < nameBytes / 2u; ++index) {
            entryName.push_back(static_cast<char16_t>(U16(dir, entry + 2 * index)));
        }
        if (entryName != name) {
            continue;
        }
        const std::uint32_t size = U32(dir, entry + 0x78);
        const std::uint32_t start = U32(dir, entry + 0x74);
        std::string bytes;
        if (size >= 4096) {
            if (!read(start, sectors, bytes) || bytes.size() != (std::size_t{size} + 511) / 512 * 512) {
                error = "stream chain does not match its size";
                return false;
            }
        } else {
            std::string miniStream;
            std::string miniFatBytes;
            if (!read(U32(dir, 0x74), sectors, miniStream) || U32(dir, 0x78) > miniStream.size() ||
                !read(U32(file, 0x3C), sectors, miniFatBytes)) {
                error = "mini stream or mini FAT chain broken";
                return false;
            }
            std::vector<std::uint32_t> miniFat;
            for (std::size_t at = 0; at + 4 <= miniFatBytes.size(); at += 4) {
                miniFat.push_back(U32(miniFatBytes, at));
            }
            miniFat.resize(std::min(miniFat.size(), std::size_t{U32(dir, 0x78)} / 64));
            const std::vector<std::uint32_t> chain = Chain(miniFat, start, miniFat.size());
            if (chain.size() != (std::size_t{size} + 63) / 64) {
                error = "mini stream chain does not match its size";
                return false;
            }
            for (std::uint32_t at : chain) {
                bytes.append(miniStream, std::size_t{at} * 64, 64);
            }
        }
        stream = bytes.substr(0, size);
        return true;
    }
    error = "stream not found";
    return false;
}

// Checks the record structure of a BIFF8 workbook stream: records within the 8224-byte limit that
// tile the stream, each substream opened by a BOF and closed by an EOF, and `substreams` of them.
inline bool CheckBiffStream(std::string_view stream, int substreams, std::string& error) {
    int depth = 0;
    int closed = 0;
    std::size_t at = 0;
    while (at < stream.size()) {
        if (at + 4 > stream.size()) {
            error = "record header cut at " + std::to_string(at);
            return false;
        }
        const std::uint16_t type = cfb::U16(stream, at);
        const std::uint16_t length = cfb::U16(stream, at + 2);
        if (length > 8224 || at + 4 + length > stream.size()) {
            error = "record " + std::to_string(type) + " overruns at " + std::to_string(at);
            return false;
        }
        if (type == 0x0809) {
            ++depth;
        } else if (depth == 0) {
            error = "record " + std::to_string(type) + " outside a substream at " + std::to_string(at);
            return false;
        } else if (type == 0x000A) {
            --depth;
            ++closed;
        }
        at += 4 + length;
    }
    if (depth != 0 || closed != substreams) {
        error =
            "unbalanced BOF/EOF: " + std::to_string(closed) + " closed, " + std::to_string(depth) + " open";
        return false;
    }
    return true;
}

} // namespace sheet::fuzz
