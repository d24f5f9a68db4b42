// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sheet {

// Writes all of `bytes` at `offset` of the file `fd`, going on after interruptions and short writes:
// 0, or the errno of the failure.
int WriteFully(int fd, std::uint64_t offset, std::string_view bytes);

// Where the bytes of a stream go, in order.
class StreamSink {
public:
    virtual ~StreamSink() = default;
    // False once a write failed; the failure is sticky.
    virtual bool Write(std::string_view bytes) = 0;
    // Bytes written so far.
    virtual std::uint64_t Position() const = 0;
};

// Writes one compound document (version 3, 512-byte sectors) holding a single stream under the root,
// straight into an open file: the stream's bytes go out as they come and the allocation tables follow
// at the end. Once a write failed every later call fails too and Finish reports it.
class CompoundFileWriter final : public StreamSink {
public:
    CompoundFileWriter(int fd, std::u16string streamName);
    CompoundFileWriter(const CompoundFileWriter&) = delete;
    CompoundFileWriter& operator=(const CompoundFileWriter&) = delete;

    bool Write(std::string_view bytes) override;
    // Overwrites bytes already written at a stream offset (sheet offsets known only later).
    bool Patch(std::uint64_t streamPos, std::string_view bytes);
    std::uint64_t Position() const override { return m_size; }
    // Lays out the allocation tables, the directory and the header. False with errno kept when a write
    // failed now or earlier, or when the stream outgrew what version 3 can address.
    bool Finish();
    int Errno() const { return m_errno; }

private:
    bool Flush();
    bool WriteAt(std::uint64_t fileOffset, std::string_view bytes);
    bool FinishSmall();
    bool FinishLarge();
    std::string DirectorySector(std::uint32_t rootStart, std::uint32_t rootSize,
                                std::uint32_t streamStart) const;

    int m_fd;
    std::u16string m_name;
    std::string m_buffer;        // bytes not yet on disk (all of them while the stream is small)
    std::uint64_t m_flushed = 0; // stream bytes already on disk, at file offset 512 + position
    std::uint64_t m_size = 0;
    int m_errno = 0;
};

} // namespace sheet
