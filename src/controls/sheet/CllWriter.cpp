// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The .cll writer streams: header lines, then one line per non-default row, through a 1 MB buffer.
// The file written is deterministic for a given document (styles numbered by first use, rows in
// order), so a template saved twice diffs empty.
#include "controls/sheet/CllFile.h"
#include "controls/sheet/CllText_p.h"
#include "controls/sheet/TempFile_p.h"
#include "vb/Strings.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sheet {

namespace cll {

void AppendQuoted(std::string& out, std::string_view text) {
    // A cell may hold any bytes; the file stays valid UTF-8 text.
    static constexpr vb::QuoteTable kCllQuotes{"\\x", "0123456789abcdef", true};
    vb::AppendQuoted(out, text, kCllQuotes);
}

void AppendNumber(std::string& out, double value) {
    std::array<char, 32> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), result.ptr);
}

void AppendHex6(std::string& out, unsigned value) {
    std::array<char, 8> buf{};
    std::snprintf(buf.data(), buf.size(), "%06x", value & 0xFFFFFFu);
    out += buf.data();
}

} // namespace cll

namespace {

using cll::AppendNumber;
using cll::AppendQuoted;

class Writer {
public:
    Writer(ByteSink& sink) : m_sink(sink) { m_buf.reserve(kFlushAt + 4096); }
    std::string& Buf() { return m_buf; }
    bool MaybeFlush() { return m_buf.size() < kFlushAt || Flush(); }
    bool Flush() {
        const bool ok = m_buf.empty() || m_sink.Write(m_buf);
        m_buf.clear();
        return ok;
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    ByteSink& m_sink;
    std::string m_buf;
};

void AppendStyle(std::string& out, std::uint32_t fileIndex, const CellStyle& s) {
    out += "style ";
    out += std::to_string(fileIndex);
    out += " face=";
    AppendQuoted(out, s.face);
    out += " size=";
    AppendNumber(out, s.sizePt);
    out += " font=";
    out += (s.font & kBold) ? "b" : "";
    out += (s.font & kItalic) ? "i" : "";
    out += (s.font & kUnderline) ? "u" : "";
    out += s.font == 0 ? "-" : "";
    out += std::string(" align=") + std::to_string(s.align);
    const NumFormat& n = s.num;
    out += std::string(" num=") + std::to_string(n.grouping) + "," + (n.negativeRed ? "1" : "0") + "," +
           std::to_string(n.decimals) + "," + std::to_string(n.category) + ",";
    AppendNumber(out, n.scale);
    out += std::string(",") + std::to_string(n.negativeForm) + "," + (n.currency ? "1" : "0");
    out += std::string(" option=") + std::to_string(s.option);
    static constexpr const char* kEdgeKeys[] = {" left=", " top=", " right=", " bottom="};
    for (std::size_t edge = 0; edge < 4; ++edge) {
        if (s.borders[edge].style != 0) {
            out += kEdgeKeys[edge];
            out += std::to_string(s.borders[edge].style) + "/";
            cll::AppendHex6(out, s.borders[edge].colour);
        }
    }
    out += '\n';
}

std::string RangeName(int c1, int r1, int c2, int r2) {
    return CellName(c1, r1) + ":" + CellName(c2, r2);
}

} // namespace

bool WriteCll(const SheetDocument& doc, ByteSink& sink, LoadError& error) {
    const int cols = doc.SheetColCount();
    const int rows = doc.SheetRowCount();
    // File numbers of the styles cells use, in order of first use; 0 stays the default style.
    std::vector<std::uint32_t> fileIndex(doc.StyleCount(), 0);
    std::vector<std::uint32_t> used;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < doc.StoredColCount(row); ++col) {
            const std::uint32_t s = doc.StyleIndexAt(col, row);
            if (s != 0 && fileIndex[s] == 0) {
                used.push_back(s);
                fileIndex[s] = static_cast<std::uint32_t>(used.size());
            }
        }
    }

    Writer w(sink);
    std::string& out = w.Buf();
    out += cll::kMagic;
    out += std::string(" ") + std::to_string(cll::kVersion) + "\n";
    out += std::string("sheet ") + std::to_string(cols) + " " + std::to_string(rows) + "\n";
    out += "widths";
    for (int col = 0; col < cols; ++col) {
        int px = 0;
        doc.GetColWidth(col, px);
        out += std::string(" ") + std::to_string(px);
    }
    out += "\n";
    for (std::size_t idx = 0; idx < used.size(); ++idx) {
        AppendStyle(out, static_cast<std::uint32_t>(idx + 1), doc.StyleByIndex(used[idx]));
    }
    for (const MergeRange& m : doc.Merges()) {
        out += std::string("merge ") + RangeName(m.c1, m.r1, m.c2, m.r2) + "\n";
    }
    const PrintArea& p = doc.GetPrintArea();
    if (p.IsSet() || p.titleRows > 0 || p.titleCols > 0) {
        out += "print ";
        out += p.IsSet() ? RangeName(p.c1, p.r1, p.c2, p.r2) : "-";
        out +=
            std::string(" titles=") + std::to_string(p.titleRows) + "," + std::to_string(p.titleCols) + "\n";
    }
    const PageLine& line = doc.GetPageLine();
    if (!(line == PageLine{})) {
        out += "pageline ";
        AppendQuoted(out, line.left);
        out += ' ';
        AppendQuoted(out, line.centre);
        out += ' ';
        AppendQuoted(out, line.right);
        out += "\n";
    }
    const PageSetup& ps = doc.GetPageSetup();
    out += "page paper=";
    out += PaperName(ps.paper);
    out += " orientation=";
    out += cll::kOrientation[ps.landscape ? 1 : 0];
    out += " margins=";
    for (const double mm : {ps.marginLeftMm, ps.marginTopMm, ps.marginRightMm, ps.marginBottomMm}) {
        AppendNumber(out, mm);
        out += ',';
    }
    out.back() = ' ';
    out += std::string("scale=") + std::to_string(ps.scalePercent) + " fit=" + std::to_string(ps.fitWide) +
           "x" + std::to_string(ps.fitTall) + " centre=";
    out += ps.centreHorizontally ? "h" : "";
    out += ps.centreVertically ? "v" : "";
    out += !ps.centreHorizontally && !ps.centreVertically ? "-" : "";
    out += "\n";
    if (!doc.SheetName().empty()) {
        out += "name ";
        AppendQuoted(out, doc.SheetName());
        out += "\n";
    }
    out += "rows\n";

    for (int row = 0; row < rows; ++row) {
        int height = 0;
        doc.GetRowHeight(row, height);
        int lastCol = doc.StoredColCount(row) - 1;
        double number = 0;
        std::string_view text;
        while (lastCol >= 0 && doc.StyleIndexAt(lastCol, row) == 0 &&
               doc.PeekCell(lastCol, row, number, text) == 0) {
            --lastCol;
        }
        if (lastCol < 0 && height == kDefaultRowHeightPx) {
            continue;
        }
        out += std::to_string(row + 1);
        if (height != kDefaultRowHeightPx) {
            out += std::string(" h=") + std::to_string(height);
        }
        for (int col = 0; col <= lastCol; ++col) {
            out += '\t';
            const std::uint32_t s = doc.StyleIndexAt(col, row);
            if (s != 0) {
                out += '~';
                out += std::to_string(fileIndex[s]);
            }
            const int kind = doc.PeekCell(col, row, number, text);
            if (kind == 2) {
                AppendQuoted(out, text);
            } else if (kind == 1) {
                out += '=';
                AppendNumber(out, number);
            }
        }
        out += '\n';
        if (!w.MaybeFlush()) {
            error = {"", 0, 0, "", "write-failed", "写入失败：磁盘已满或无法写入"};
            return false;
        }
    }
    out += "end\n";
    if (!w.Flush()) {
        error = {"", 0, 0, "", "write-failed", "写入失败：磁盘已满或无法写入"};
        return false;
    }
    return true;
}

namespace {

class FdSink : public ByteSink {
public:
    explicit FdSink(int fd) : m_fd(fd) {}
    bool Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                m_errno = n < 0 ? errno : ENOSPC;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }
    int Errno() const { return m_errno; }

private:
    int m_fd;
    int m_errno = 0;
};

} // namespace

bool WriteCllFile(const SheetDocument& doc, const std::string& path, LoadError& error) {
    TempFileBeside temp(path);
    if (temp.Create() < 0) {
        error = {path, 0, 0, "", "cannot-create", WriteFailureMessage("无法创建文件", path, errno)};
        return false;
    }
    FdSink sink(temp.Fd());
    if (!WriteCll(doc, sink, error)) {
        if (error.code == "write-failed") {
            // The stream knows only that the sink refused; the user needs the file and the reason.
            error.message = WriteFailureMessage("写入文件失败", path, sink.Errno() != 0 ? sink.Errno() : EIO);
        }
        error.file = path;
        return false;
    }
    if (const int err = temp.Commit(); err != 0) {
        error = {path, 0, 0, "", "cannot-rename", WriteFailureMessage("无法替换文件", path, err)};
        return false;
    }
    return true;
}

} // namespace sheet
