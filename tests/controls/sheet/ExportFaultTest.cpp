// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Every writer of the sheet (.xls, .cll, .xlsx, PDF, PNG) against the same faults of the place it
// writes to: a folder that is missing, a folder that is read-only, a disk that fills up midway. Each
// time the writer says no in Chinese and names the file, leaves no temporary file behind, and the
// file that was there before is byte for byte what it was. File names a user may well type (spaces,
// Chinese, quotes, a leading dash, a newline) are written as given.
//
// As root a real small tmpfs stands in for the full disk (ENOSPC) and a read-only one for the
// read-only folder; elsewhere a file-size limit and the permission bits do.
#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetSamples.h"
#include "controls/sheet/SheetXlsx.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "support/FileNames.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace sheet {
namespace {

using test::FolderEntries;
using test::ReadFile;
using test::TempDir;

struct Writer {
    const char* name;
    const char* extension;
    std::function<bool(const SheetDocument&, const std::string&, std::string&)> write;
};

const std::vector<Writer>& Writers() {
    static const std::vector<Writer> writers = {
        {"xls", ".xls",
         [](const SheetDocument& doc, const std::string& path, std::string& message) {
             SheetDocument copy = doc;
             const bool ok = copy.ExportExcel(path);
             message = copy.LastError().message;
             return ok;
         }},
        {"cll", ".cll",
         [](const SheetDocument& doc, const std::string& path, std::string& message) {
             SheetDocument copy = doc;
             const bool ok = copy.SaveFile(path);
             message = copy.LastError().message;
             return ok;
         }},
        {"xlsx", ".xlsx",
         [](const SheetDocument& doc, const std::string& path, std::string& message) {
             LoadError error;
             const bool ok = ExportXlsx(doc, path, error);
             message = error.message;
             return ok;
         }},
        {"pdf", ".pdf",
         [](const SheetDocument& doc, const std::string& path, std::string& message) {
             return qt::ExportPdf(doc, path, message);
         }},
        {"png", ".png",
         [](const SheetDocument& doc, const std::string& path, std::string& message) {
             return qt::RenderPagePng(doc, 1, 150, path, message);
         }},
    };
    return writers;
}

// Big enough that every format needs far more than the small disk holds.
SheetDocument Report() {
    SheetDocument doc;
    doc.Resize(6, 3000);
    for (int row = 0; row < 3000; ++row) {
        doc.SetCellText(0, row, "客户" + std::to_string(row * 7919 % 10007) + " “引号” 'single'");
        doc.SetCellValue(1, row, vb::Variant(row * 1.25));
        doc.SetCellText(2, row, std::to_string(row * 104729 % 1000003));
        doc.SetCellText(3, row, "华东区第" + std::to_string(row) + "门店");
    }
    return doc;
}

bool HasChinese(const std::string& text) {
    // Every CJK unified ideograph is a three-byte UTF-8 sequence led by 0xE4..0xE9.
    for (unsigned char c : text) {
        if (c >= 0xE4 && c <= 0xE9) {
            return true;
        }
    }
    return false;
}

// A tmpfs mounted on a folder for the test's lifetime (root only); mounted() false elsewhere.
class SmallDisk {
public:
    SmallDisk(const std::filesystem::path& at, const char* options) : m_at(at) {
        std::filesystem::create_directories(at);
        m_mounted = ::geteuid() == 0 && ::mount("tmpfs", at.c_str(), "tmpfs", 0, options) == 0;
    }
    ~SmallDisk() {
        if (m_mounted) {
            ::umount2(m_at.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return m_mounted; }
    bool MakeReadOnly() {
        return m_mounted && ::mount("tmpfs", m_at.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path m_at;
    bool m_mounted = false;
};

// The reason after "：" is Chinese: before, rarer failures kept the system's English text.
bool ReasonIsChinese(const std::string& message) {
    const std::size_t colon = message.rfind("：");
    return colon != std::string::npos && HasChinese(message.substr(colon));
}

enum class Fault { MissingFolder, ReadOnlyFolder, DiskFull };

struct FaultCase {
    const char* name;
    Fault fault;
};

TEST(ExportFaultTest, EveryWriterRefusesCleanlyAndKeepsTheEarlierFile) {
    const SheetDocument doc = Report();
    const std::string before = "an earlier file of that name";
    const FaultCase faults[] = {
        {"missing folder", Fault::MissingFolder},
        {"read-only folder", Fault::ReadOnlyFolder},
        {"disk full midway", Fault::DiskFull},
    };
    for (const Writer& writer : Writers()) {
        for (const FaultCase& c : faults) {
            SCOPED_TRACE(std::string(writer.name) + ": " + c.name);
            TempDir dir;
            std::filesystem::path folder = dir.Path() / "目标";
            std::unique_ptr<SmallDisk> disk;
            rlimit oldLimit{};
            bool limited = false;
            if (c.fault == Fault::MissingFolder) {
                folder = dir.Path() / "无此文件夹";
            } else {
                // 16 kB: room for the earlier file, never for a 3000-row report in any format.
                disk = std::make_unique<SmallDisk>(folder, "size=16k,mode=0755");
                std::ofstream(folder / (std::string("报表") + writer.extension)) << before;
            }
            if (c.fault == Fault::ReadOnlyFolder && !disk->MakeReadOnly()) {
                if (::geteuid() == 0) {
                    // Root without mount rights passes every permission check: nothing to test here,
                    // but the other faults still are.
                    std::fprintf(stderr, "read-only folder not tested: no mount rights\n");
                    continue;
                }
                std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
            }
            if (c.fault == Fault::DiskFull && !disk->Mounted()) {
                std::signal(SIGXFSZ, SIG_IGN); // the failing write must return an error instead
                ::getrlimit(RLIMIT_FSIZE, &oldLimit);
                rlimit small = oldLimit;
                small.rlim_cur = 16384;
                ::setrlimit(RLIMIT_FSIZE, &small);
                limited = true;
            }
            const std::string path = (folder / (std::string("报表") + writer.extension)).string();
            const std::vector<std::string> entriesBefore = FolderEntries(folder);
            std::string message;
            const bool written = writer.write(doc, path, message);
            if (limited) {
                ::setrlimit(RLIMIT_FSIZE, &oldLimit);
            }
            std::error_code ec;
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
            EXPECT_FALSE(written);
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_TRUE(ReasonIsChinese(message)) << "the reason is not in Chinese: " << message;
            EXPECT_EQ(FolderEntries(folder), entriesBefore) << "a temporary or partial file was left";
            if (c.fault != Fault::MissingFolder) {
                EXPECT_EQ(ReadFile(path), before) << "the earlier file changed";
            }
        }
    }
}

TEST(ExportFaultTest, UnusualFileNamesAreWrittenAsGiven) {
    SheetDocument doc;
    doc.Resize(3, 4);
    doc.SetCellText(0, 0, "名称");
    doc.SetCellValue(1, 1, vb::Variant(12.5));
    const std::string names[] = {
        "with spaces  and  tabs\t",
        "销售日报（2026年）",
        "quotes \"double\" 'single' `back`",
        "-leading dash",
        "new\nline",
        "$(not a command);|&>",
        "..dots..",
    };
    for (const Writer& writer : Writers()) {
        for (const std::string& name : names) {
            SCOPED_TRACE(std::string(writer.name) + ": " + name);
            TempDir dir;
            const std::string file = name + writer.extension;
            std::string message;
            EXPECT_TRUE(writer.write(doc, dir.File(file), message)) << message;
            EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{file});
            EXPECT_GT(ReadFile(dir.File(file)).size(), 16u);
        }
    }
}

// The longest names the file system allows are written; one byte more is refused in Chinese. Before,
// the temporary name added a suffix to the whole name, so a legal 245-byte name already failed with
// "File name too long" and a 255-byte one could never be written.
TEST(ExportFaultTest, NamesUpToTheFileSystemLimitAreWritten) {
    SheetDocument doc;
    doc.Resize(2, 2);
    doc.SetCellText(0, 0, "名称");
    struct Case {
        std::size_t bytes;
        bool isLegal;
    };
    const Case cases[] = {{245, true}, {254, true}, {255, true}, {256, false}};
    for (const Writer& writer : Writers()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(writer.name) + ": " + std::to_string(c.bytes) + " bytes");
            TempDir dir;
            const std::string file = vondrel::test::NameOfBytes(c.bytes, writer.extension);
            ASSERT_EQ(file.size(), c.bytes);
            std::string message;
            const bool written = writer.write(doc, dir.File(file), message);
            EXPECT_EQ(written, c.isLegal) << message;
            if (c.isLegal) {
                EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{file});
            } else {
                EXPECT_TRUE(FolderEntries(dir.Path()).empty()) << "a temporary file was left";
                EXPECT_NE(message.find("文件名太长"), std::string::npos) << message;
            }
        }
    }
}

} // namespace
} // namespace sheet
