// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes for the compound document writer.
//
// 1. The one stream always starts at sector 0 (file offset 512) and runs contiguously, so its bytes
//    can go to disk before its length is known; everything that describes it (FAT, DIFAT, directory,
//    header) is written after the last byte, and the header last of all.
// 2. A stream shorter than the 4096-byte cutoff must live in the mini stream. The root entry's mini
//    stream then occupies exactly those leading sectors (64-byte mini sectors are contiguous too), so
//    rule 1 holds for both sizes and only the tables differ.
// 3. The FAT covers its own sectors and the DIFAT sectors; their counts depend on each other, so they
//    are found by iterating to a fixed point (it settles after two rounds).
// 4. Errors are sticky: after the first failed write no call writes anything, so a caller that checks
//    only Finish still never gets a file reported whole that is not.
#include "controls/sheet/CompoundFile_p.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace sheet {

namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kMiniSector = 64;
constexpr std::uint32_t kMiniCutoff = 4096;
constexpr std::uint32_t kFree = 0xFFFFFFFFu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFatSect = 0xFFFFFFFDu;
constexpr std::uint32_t kDifSect = 0xFFFFFFFCu;
constexpr std::uint32_t kNoStream = 0xFFFFFFFFu;
constexpr std::size_t kFlushBytes = 1 << 20;
constexpr std::uint32_t kHeaderDifat = 109;
constexpr std::uint32_t kIdsPerSector = kSector / 4;

void Put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::uint32_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint32_t>((a + b - 1) / b);
}

void PadTo(std::string& out, std::size_t multiple, char fill) {
    if (out.size() % multiple != 0) {
        out.append(multiple - out.size() % multiple, fill);
    }
}

std::string DirEntry(std::u16string_view name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                     std::uint32_t size) {
    std::string e;
    for (const char16_t ch : name) {
        Put16(e, static_cast<std::uint16_t>(ch));
    }
    e.append(64 - e.size(), '\0');
    Put16(e, static_cast<std::uint16_t>(name.empty() ? 0 : (name.size() + 1) * 2));
    e += static_cast<char>(type);
    e += static_cast<char>(type == 0 ? 0 : 1); // black: a tree of one node is trivially balanced
    Put32(e, kNoStream);
    Put32(e, kNoStream);
    Put32(e, child);
    e.append(16 + 4 + 8 + 8, '\0'); // class id, state bits, creation and modification times
    Put32(e, start);
    Put32(e, size);
    Put32(e, 0); // high half of the size: version 3 keeps it zero
    return e;
}

std::string Header(std::uint32_t fatSectors, std::uint32_t dirStart, std::uint32_t miniFatStart,
                   std::uint32_t miniFatSectors, std::uint32_t difatStart, std::uint32_t difatSectors) {
    static constexpr unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::string h(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
    h.append(16, '\0');
    Put16(h, 0x003E); // minor version
    Put16(h, 0x0003); // major version 3: 512-byte sectors
    Put16(h, 0xFFFE); // little-endian
    Put16(h, 9);      // sector shift
    Put16(h, 6);      // mini sector shift
    h.append(6, '\0');
    Put32(h, 0); // directory sector count: always 0 in version 3
    Put32(h, fatSectors);
    Put32(h, dirStart);
    Put32(h, 0);
    Put32(h, kMiniCutoff);
    Put32(h, miniFatStart);
    Put32(h, miniFatSectors);
    Put32(h, difatStart);
    Put32(h, difatSectors);
    return h;
}

} // namespace

CompoundFileWriter::CompoundFileWriter(int fd, std::u16string streamName)
    : m_fd(fd), m_name(std::move(streamName)) {
    m_buffer.reserve(kFlushBytes + 16384);
}

int WriteFully(int fd, std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return 0;
}

bool CompoundFileWriter::WriteAt(std::uint64_t fileOffset, std::string_view bytes) {
    if (m_errno == 0) {
        m_errno = WriteFully(m_fd, fileOffset, bytes);
    }
    return m_errno == 0;
}

bool CompoundFileWriter::Flush() {
    if (m_buffer.empty() || m_errno != 0) {
        return m_errno == 0;
    }
    const bool ok = WriteAt(kSector + m_flushed, m_buffer);
    m_flushed += m_buffer.size();
    m_buffer.clear();
    return ok;
}

bool CompoundFileWriter::Write(std::string_view bytes) {
    if (m_errno != 0) {
        return false;
    }
    m_buffer.append(bytes);
    m_size += bytes.size();
    return m_buffer.size() < kFlushBytes || Flush();
}

bool CompoundFileWriter::Patch(std::uint64_t streamPos, std::string_view bytes) {
    if (m_errno != 0 || streamPos + bytes.size() > m_size) {
        return false;
    }
    if (streamPos < m_flushed) {
        const std::size_t onDisk =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), m_flushed - streamPos));
        if (!WriteAt(kSector + streamPos, bytes.substr(0, onDisk))) {
            return false;
        }
        bytes.remove_prefix(onDisk);
        streamPos += onDisk;
    }
    if (!bytes.empty()) {
        std::memcpy(m_buffer.data() + (streamPos - m_flushed), bytes.data(), bytes.size());
    }
    return true;
}

std::string CompoundFileWriter::DirectorySector(std::uint32_t rootStart, std::uint32_t rootSize,
                                                std::uint32_t streamStart) const {
    std::string dir = DirEntry(u"Root Entry", 5, 1, rootStart, rootSize);
    dir += DirEntry(m_name, 2, kNoStream, streamStart, static_cast<std::uint32_t>(m_size));
    while (dir.size() < kSector) {
        dir += DirEntry(u"", 0, kNoStream, 0, 0);
    }
    return dir;
}

bool CompoundFileWriter::Finish() {
    if (m_errno == 0 && m_size > 0xFFFFFFFFu) {
        m_errno = EFBIG; // the directory of version 3 holds 32-bit stream sizes
    }
    if (m_errno != 0) {
        return false;
    }
    return m_size < kMiniCutoff ? FinishSmall() : FinishLarge();
}

bool CompoundFileWriter::FinishSmall() {
    const std::uint32_t miniSectors = CeilDiv(m_size, kMiniSector);
    std::string tail = std::move(m_buffer);
    m_buffer.clear();
    tail.resize(static_cast<std::size_t>(miniSectors) * kMiniSector, '\0');
    const std::uint32_t rootBytes = static_cast<std::uint32_t>(tail.size());
    PadTo(tail, kSector, '\0');
    const std::uint32_t rootSectors = CeilDiv(rootBytes, kSector);
    const std::uint32_t miniFatAt = rootSectors, dirAt = rootSectors + 1, fatAt = rootSectors + 2;

    std::string miniFat;
    for (std::uint32_t i = 0; i < miniSectors; ++i) {
        Put32(miniFat, i + 1 == miniSectors ? kEndOfChain : i + 1);
    }
    PadTo(miniFat, kSector, '\xFF');
    tail += miniFat;
    tail += DirectorySector(0, rootBytes, 0);
    std::string fat;
    for (std::uint32_t i = 0; i < rootSectors; ++i) {
        Put32(fat, i + 1 == rootSectors ? kEndOfChain : i + 1);
    }
    Put32(fat, kEndOfChain); // MiniFAT
    Put32(fat, kEndOfChain); // directory
    Put32(fat, kFatSect);
    PadTo(fat, kSector, '\xFF');
    tail += fat;

    std::string header = Header(1, dirAt, miniFatAt, 1, kEndOfChain, 0);
    Put32(header, fatAt);
    PadTo(header, kSector, '\xFF');
    return WriteAt(kSector + m_flushed, tail) && WriteAt(0, header);
}

bool CompoundFileWriter::FinishLarge() {
    std::string pad;
    pad.resize((kSector - m_size % kSector) % kSector, '\0');
    m_buffer += pad;
    if (!Flush()) {
        return false;
    }
    const std::uint32_t dataSectors = CeilDiv(m_size, kSector);
    const std::uint32_t dirAt = dataSectors;
    std::uint32_t fatSectors = 1, difatSectors = 0;
    for (;;) {
        const std::uint64_t total = std::uint64_t{dataSectors} + 1 + fatSectors + difatSectors;
        const std::uint32_t needFat = CeilDiv(total, kIdsPerSector);
        const std::uint32_t needDifat =
            needFat > kHeaderDifat ? CeilDiv(needFat - kHeaderDifat, kIdsPerSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors) {
            break;
        }
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const std::uint32_t fatAt = dirAt + 1, difatAt = fatAt + fatSectors;

    std::string tail = DirectorySector(kEndOfChain, 0, 0);
    tail.reserve(tail.size() + std::size_t{fatSectors + difatSectors} * kSector);
    for (std::uint32_t i = 0; i < dataSectors; ++i) {
        Put32(tail, i + 1 == dataSectors ? kEndOfChain : i + 1);
    }
    Put32(tail, kEndOfChain); // directory
    for (std::uint32_t i = 0; i < fatSectors; ++i) {
        Put32(tail, kFatSect);
    }
    for (std::uint32_t i = 0; i < difatSectors; ++i) {
        Put32(tail, kDifSect);
    }
    PadTo(tail, kSector, '\xFF');
    // FAT sectors beyond the header's 109 are listed in a chain of DIFAT sectors, 127 to a sector
    // with the next sector's number in the last slot.
    for (std::uint32_t d = 0; d < difatSectors; ++d) {
        for (std::uint32_t slot = 0; slot < kIdsPerSector - 1; ++slot) {
            const std::uint32_t fatIndex = kHeaderDifat + d * (kIdsPerSector - 1) + slot;
            Put32(tail, fatIndex < fatSectors ? fatAt + fatIndex : kFree);
        }
        Put32(tail, d + 1 == difatSectors ? kEndOfChain : difatAt + d + 1);
    }
    std::string header =
        Header(fatSectors, dirAt, kEndOfChain, 0, difatSectors > 0 ? difatAt : kEndOfChain, difatSectors);
    for (std::uint32_t i = 0; i < kHeaderDifat; ++i) {
        Put32(header, i < fatSectors ? fatAt + i : kFree);
    }
    return WriteAt(kSector + m_flushed, tail) && WriteAt(0, header);
}

} // namespace sheet
