// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report window's print, preview, page set-up and export commands over real databases: the print
// sheet each one hands over (rebuilt from the grid first), the page set-up held across rebuilds, the
// export dialog and each of its file types read back, Cancel, a folder that cannot be written, and the
// parameter line's labels.
#include "ReportWindowFixture.h"
#include "SalesTemplate.h"
#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetSamples.h"
#include "printsheet/ExportFormats.h"
#include "support/FileNames.h"
#include "support/Shell.h"
#include "ui/qt/QtServices.h"
#include "vb/DateTime.h"
#include "viewer/frmGridPrint.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using QV_GridPrint::frmGridPrint;
using sheet::test::FolderEntries;
using vondrel::test::Backend;
using vondrel::test::ReportScript;
using vondrel::test::ScriptedServices;
using Kind = ScriptedServices::OutputCall::Kind;

namespace {

// A print template with every part: the sales template below a title over the columns and a row of
// title fields, the field row's amount aligned, and after it a footer row with a field and one without.
//   0 title | 1 &P0 &P1 | 2 start | 4 header | 5 header | 6 fields | 7 end | 8 totals | 9 &PUSER | 10 plain
void WritePrintTemplate(const std::filesystem::path& file) {
    sheet::SheetDocument doc = vondrel::test::SalesTemplate(2, 2);
    bool ok = doc.SetCellText(0, 0, "销售日报") && doc.MergeCells(0, 0, 2, 0) &&
              doc.SetCellFont(0, 0, 16, 1, "黑体") && doc.SetRowHeight(0, 30);
    ok = ok && doc.SetCellText(0, 1, "&P0") && doc.SetCellText(2, 1, "&P1");
    ok = ok && doc.SetCellAlign(2, 6, 2 + 32) && doc.SetRowHeight(6, 24);
    ok = ok && doc.SetCellText(0, 9, "制表人：") && doc.SetCellText(1, 9, "&PUSER");
    ok = ok && doc.SetCellText(0, 10, "本行没有字段");
    if (!ok || !doc.SaveFile(file.string())) {
        throw std::runtime_error("could not write the print template " + file.string());
    }
}

// The scripted services, with a look at the disk each time a message is shown: a success message
// must come only once its file is complete.
class WatchedServices final : public ui::Services {
public:
    explicit WatchedServices(ScriptedServices& inner) : m_inner(inner) {}
    std::function<void(const ui::Message&)> onMessage;

    ui::Answer ShowMessage(const ui::Message& message) override {
        if (onMessage) {
            onMessage(message);
        }
        return m_inner.ShowMessage(message);
    }
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest& request) override {
        return m_inner.AskSaveFile(request);
    }
    void SetBusy(bool busy) override { m_inner.SetBusy(busy); }
    double TwipsPerPixelX() const override { return m_inner.TwipsPerPixelX(); }
    double TwipsPerPixelY() const override { return m_inner.TwipsPerPixelY(); }
    std::filesystem::path ApplicationFolder() const override { return m_inner.ApplicationFolder(); }

private:
    ScriptedServices& m_inner;
};

// Root writes into read-only folders; for as long as this lives the thread writes with a user's rights.
class WithoutRootOverride {
public:
    WithoutRootOverride() {
        if (::syscall(SYS_capget, &m_header, m_saved.data()) != 0) {
            return;
        }
        std::array<__user_cap_data_struct, 2> reduced = m_saved;
        reduced[0].effective &=
            ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH) | (1U << CAP_FOWNER));
        m_isReduced = ::syscall(SYS_capset, &m_header, reduced.data()) == 0;
    }
    ~WithoutRootOverride() {
        if (m_isReduced) {
            ::syscall(SYS_capset, &m_header, m_saved.data());
        }
    }
    WithoutRootOverride(const WithoutRootOverride&) = delete;
    WithoutRootOverride& operator=(const WithoutRootOverride&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, 2> m_saved{};
    bool m_isReduced = false;
};

// Runs the system's own python3 (which has xlrd) on a script; its standard output.
std::string RunPython(const std::string& script, const std::filesystem::path& file) {
    const std::filesystem::path scriptFile = file.parent_path() / "read.py";
    if (FILE* out = std::fopen(scriptFile.c_str(), "w")) {
        std::fputs(script.c_str(), out);
        std::fclose(out);
    }
    return vondrel::test::RunCommand("/usr/bin/python3 '" + scriptFile.string() + "' '" + file.string() +
                                     "' 2>&1");
}

class PrintCommands : public vondrel::test::ReportWindowTest {
protected:
    void SetUp() override {
        SetUpReport(vondrel::test::kSalesSql, "print.cll", "vondrel-print");
        if (IsSkipped()) {
            return;
        }
        m_db->Exec("UPDATE sales SET amount = 1234.5 WHERE id = 1"); // a thousands separator to show
        m_host->HeadHeight = 1500;
        m_host->set_rsLogin(Login());
        std::filesystem::create_directories(m_folder / "out");
        WritePrintTemplate(m_folder / "print.cll");
    }

    void TearDown() override {
        if (!m_folder.empty()) {
            std::filesystem::permissions(m_folder / "out", std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add);
        }
        ReportWindowTest::TearDown();
    }

    static std::shared_ptr<ado::Recordset> Login() {
        auto rs = ado::Recordset::Create();
        rs->AppendField("FUsername", ado::adVarWChar, 20);
        rs->AppendField("FAcctName", ado::adVarWChar, 40);
        rs->Open();
        rs->AddNew();
        rs->Fields("FUsername").SetValue(vb::Variant("管理员"));
        rs->Fields("FAcctName").SetValue(vb::Variant::Null());
        return rs;
    }

    frmGridPrint& Open(const ReportScript& script = {}) {
        Register(script);
        m_window = std::make_unique<frmGridPrint>(*m_host, m_watched, *m_services, m_registry);
        m_window->SetTodayProvider([] { return vb::MakeDate({2024, 3, 5, 0, 0, 0}); });
        m_window->Load();
        EXPECT_TRUE(m_window->bOK);
        return *m_window;
    }

    WatchedServices m_watched{*m_services};
};

// The rebuilt print sheet of the four sales: title fields, header, data rows with the totals row in
// the data-row style (its cells differ only by the frame's bottom edge), the footer row with its field,
// and the blanked "start" marker.
const char* const kPrintedRows = "r1 h=30: \"销售日报\"@1\n"
                                 "r2: \"开始日期:2024-03-01\"||\"结束日期:2024-03-31\"\n"
                                 "r5: \"销售明细\"@2|@3|@4\n"
                                 "r6: \"编号\"@5|\"客户\"@6|\"金额\"@7\n"
                                 "r7 h=24: 1@8|\"张三\"@9|1234.5@10\n"
                                 "r8 h=24: 2@8|\"李四\"@9|20@10\n"
                                 "r9 h=24: 3@8|\"张三\"@9|30.25@10\n"
                                 "r10 h=24: 4@8|\"王五\"@9|@10\n"
                                 "r11 h=24: @11|\"合计\"@12|1284.75@13\n"
                                 "r12: \"制表人：\"|\"管理员\"\n"
                                 "@1 黑体 16 b\n"
                                 "@2 宋体 10 L10 T10 R1 B1\n"
                                 "@3 宋体 10 L1 T10 R1 B1\n"
                                 "@4 宋体 10 L1 T10 R10 B1\n"
                                 "@5 宋体 10 L10 T1 R1 B1\n"
                                 "@6 宋体 10 L1 T1 R1 B1\n"
                                 "@7 宋体 10 L1 T1 R10 B1\n"
                                 "@8 宋体 10 option=1 L10 T1 R1 B1\n"
                                 "@9 宋体 10 option=1 L1 T1 R1 B1\n"
                                 "@10 宋体 10 align=34 num=1,0,2,-1,0,0,0 L1 T1 R10 B1\n"
                                 "@11 宋体 10 option=1 L10 T1 R1 B10\n"
                                 "@12 宋体 10 option=1 L1 T1 R1 B10\n"
                                 "@13 宋体 10 align=34 num=1,0,2,-1,0,0,0 L1 T1 R10 B10\n"
                                 "merge A1:C1\n"
                                 "merge A5:C5\n";

TEST_P(PrintCommands, PrintAndPreviewHandOverTheSheetRebuiltFromTheGrid) {
    frmGridPrint& window = Open();
    window.ToolbarClick("printpreview");
    // The user hides the amounts and prints.
    window.Grid().SetColHiddenFlag(2, true);
    window.ToolbarClick("print");
    const auto& calls = m_services->OutputCalls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0].kind, Kind::Preview);
    EXPECT_EQ(calls[1].kind, Kind::Print);
    const sheet::SheetDocument& preview = *calls[0].doc;
    EXPECT_EQ(sheet::DumpSheet(preview, 0, 0, 2, preview.SheetRowCount() - 1), kPrintedRows);
    EXPECT_EQ(preview.GetPageLine(), (sheet::PageLine{"Qovira有限公司", "第&P页共&S页", "2024年3月5日"}));
    EXPECT_EQ(preview.GetPrintArea(), (sheet::PrintArea{0, 0, 2, 11, 6, 1}))
        << "over the footer row too; the fixed column of the plug-in repeats";
    int px = -1;
    ASSERT_TRUE(preview.GetColWidth(2, px));
    EXPECT_EQ(px, 100);
    ASSERT_TRUE(calls[1].doc->GetColWidth(2, px));
    EXPECT_EQ(px, 0) << "the hidden column prints with width 0";
    EXPECT_EQ(m_services->BusyDepth(), 0);
    EXPECT_GE(m_services->MaxBusyDepth(), 1) << "the rebuild shows the busy cursor";
    EXPECT_TRUE(Messages().empty());
}

TEST_P(PrintCommands, FailedOutputShowsItsReasonAndCancelShowsNothing) {
    frmGridPrint& window = Open();
    m_services->ScriptOutput({QV_GridPrint::OutputResult::Cancelled, {}});
    window.ToolbarClick("print");
    EXPECT_TRUE(Messages().empty());
    m_services->ScriptOutput({QV_GridPrint::OutputResult::Failed, "打印机“财务室”没有响应"});
    window.ToolbarClick("printpreview");
    EXPECT_EQ(Messages(), (std::vector<std::pair<std::string, std::string>>{
                              {"打印机“财务室”没有响应", "Qovira软件提示"}}));
    m_services->ScriptOutput({QV_GridPrint::OutputResult::Failed, "页边距无效"});
    window.ToolbarClick("printsetup");
    EXPECT_EQ(Messages(),
              (std::vector<std::pair<std::string, std::string>>{{"页边距无效", "Qovira软件提示"}}));
}

TEST_P(PrintCommands, PageSetUpHoldsAcrossRebuildsUntilTheTemplateIsLoadedAgain) {
    frmGridPrint& window = Open();
    const int templateRows = window.PrintSheet().SheetRowCount();
    sheet::PageSetup a3;
    a3.paper = sheet::Paper::A3;
    a3.landscape = true;
    a3.marginLeftMm = 10;
    m_services->ScriptPageSetup(a3);
    window.ToolbarClick("printsetup");
    window.ToolbarClick("print");
    window.ToolbarClick("regetdata"); // the same plug-in asks again; the template stays loaded
    window.ToolbarClick("printpreview");
    window.RefetchData(); // loads the template again
    window.ToolbarClick("print");
    const auto& calls = m_services->OutputCalls();
    ASSERT_EQ(calls.size(), 4U);
    EXPECT_EQ(calls[0].kind, Kind::PageSetup);
    EXPECT_EQ(calls[0].doc->SheetRowCount(), templateRows) << "set-up does not rebuild the sheet";
    EXPECT_EQ(calls[1].doc->GetPageSetup(), a3);
    EXPECT_EQ(calls[2].doc->GetPageSetup(), a3);
    EXPECT_EQ(calls[3].doc->GetPageSetup(), sheet::PageSetup{}) << "the template's own set-up again";
    EXPECT_TRUE(Messages().empty());
}

TEST_P(PrintCommands, PaperAndTheLabelsOfTheParameterLine) {
    frmGridPrint& window = Open();
    const std::string before = sheet::DumpSheet(window.PrintSheet());
    window.ToolbarClick("paper");
    EXPECT_EQ(sheet::DumpSheet(window.PrintSheet()), before);
    EXPECT_TRUE(m_services->OutputCalls().empty());
    ASSERT_EQ(window.lbpara.size(), 2U);
    EXPECT_EQ(window.lbpara[0], (QV_GridPrint::ParaLabel{"开始日期:2024-03-01", 6000, 650, 3000, 230,
                                                         0x80000005L, 10.0, true}));
    EXPECT_EQ(window.lbpara[1].caption, "结束日期:2024-03-31");
    EXPECT_EQ(window.lbpara[1].topTwips, 900);
    EXPECT_EQ(window.Grid().InertSetting(66), 3);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(PrintCommands, ExportAsSheetDocumentWhateverTheExtension) {
    frmGridPrint& window = Open();
    const std::filesystem::path file = m_folder / "out" / "三月.xls";
    std::string onDiskAtMessage;
    m_watched.onMessage = [&](const ui::Message&) {
        sheet::SheetDocument reopened;
        onDiskAtMessage = reopened.OpenFile(file.string()) == 1 ? sheet::DumpSheet(reopened) : "(no file)";
    };
    m_services->ScriptSaveFile(ui::SaveFileChoice{file.string(), 2});
    window.ToolbarClick("dc");
    ASSERT_EQ(m_services->SaveRequests().size(), 1U);
    const ui::SaveFileRequest& request = m_services->SaveRequests()[0];
    EXPECT_EQ(request.title, "导出报表");
    EXPECT_EQ(request.filter, "Excel文件(*.xls)|*.xls|华表文件(*.cll)|*.cll|Excel 2007 工作簿(*.xlsx)|*.xlsx|"
                              "PDF 文件(*.pdf)|*.pdf");
    EXPECT_EQ(request.flags, 2);
    EXPECT_EQ(request.fileName, "销售日报");
    EXPECT_EQ(Messages(),
              (std::vector<std::pair<std::string, std::string>>{{"引出[销售日报]成功", "Qovira提示"}}));
    // The file holds the print sheet as rebuilt from the grid, complete before the message was shown.
    sheet::SheetDocument reopened;
    ASSERT_EQ(reopened.OpenFile(file.string()), 1) << reopened.LastError().ToString();
    EXPECT_EQ(sheet::DumpSheet(reopened, 0, 0, 2, reopened.SheetRowCount() - 1), kPrintedRows);
    EXPECT_EQ(sheet::DumpSheet(reopened), sheet::DumpSheet(window.PrintSheet()));
    EXPECT_EQ(onDiskAtMessage, sheet::DumpSheet(window.PrintSheet()));
    EXPECT_EQ(FolderEntries(m_folder / "out"), std::vector<std::string>{"三月.xls"});
    EXPECT_EQ(m_services->BusyDepth(), 0);
}

// Every non-empty cell of a workbook's first sheet, row by row, read by xlrd (.xls) or openpyxl (.xlsx).
constexpr const char* kReadWorkbook = R"py(
import sys
path = sys.argv[1]
if path.endswith('.xlsx'):
    import openpyxl
    rows = [[c.value for c in row] for row in openpyxl.load_workbook(path).worksheets[0].iter_rows()]
else:
    import xlrd
    s = xlrd.open_workbook(path).sheet_by_index(0)
    rows = [[s.cell_value(r, c) for c in range(s.ncols)] for r in range(s.nrows)]
def text(v):
    if v is None:
        return ''
    return ('%g' % v) if isinstance(v, (int, float)) else v
for i, row in enumerate(rows):
    cells = [text(v) for v in row]
    if any(cells):
        print('r%d: %s' % (i + 1, '|'.join(cells)))
)py";

// The print sheet's cells as a workbook holds them.
constexpr const char* kWorkbookRows = "r1: 销售日报||\n"
                                      "r2: 开始日期:2024-03-01||结束日期:2024-03-31\n"
                                      "r5: 销售明细||\n"
                                      "r6: 编号|客户|金额\n"
                                      "r7: 1|张三|1234.5\n"
                                      "r8: 2|李四|20\n"
                                      "r9: 3|张三|30.25\n"
                                      "r10: 4|王五|\n"
                                      "r11: |合计|1284.75\n"
                                      "r12: 制表人：|管理员|\n";

// Each of the dialog's file types, chosen with a name typed without an extension: the file gets the
// type's extension and holds the print sheet, read back by a reader of its own. Before the dialog
// listed .xlsx and .pdf, file types 3 and 4 failed as unknown; before names got an extension the
// file was written as a bare "三月".
TEST_P(PrintCommands, EachFileTypeWritesItsFileAndGivesABareNameItsExtension) {
    ASSERT_EQ(ui::qt::EnsureApplicationForExport(), "") << "the PDF painter needs a QGuiApplication";
    struct Case {
        int fileType;
        const char* written;
    };
    const Case cases[] = {{1, "三月.xls"}, {2, "三月.cll"}, {3, "三月.xlsx"}, {4, "三月.pdf"}};
    frmGridPrint& window = Open();
    const std::filesystem::path out = m_folder / "out";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        m_services->ScriptSaveFile(ui::SaveFileChoice{(out / "三月").string(), c.fileType});
        window.ToolbarClick("dc");
        EXPECT_EQ(Messages(),
                  (std::vector<std::pair<std::string, std::string>>{{"引出[销售日报]成功", "Qovira提示"}}));
        EXPECT_EQ(window.LastExport(), QV_GridPrint::ExportResult::Written);
        ASSERT_EQ(FolderEntries(out), std::vector<std::string>{c.written});
        const std::filesystem::path file = out / c.written;
        const std::string extension = file.extension().string();
        if (extension == ".cll") {
            sheet::SheetDocument reopened;
            ASSERT_EQ(reopened.OpenFile(file.string()), 1) << reopened.LastError().ToString();
            EXPECT_EQ(sheet::DumpSheet(reopened, 0, 0, 2, reopened.SheetRowCount() - 1), kPrintedRows);
        } else if (extension == ".pdf") {
            const std::string quoted = "'" + file.string() + "'";
            const std::string text = vondrel::test::RunCommand("pdftotext -layout " + quoted + " - 2>&1");
            for (const char* shown :
                 {"销售日报", "结束日期:2024-03-31", "1,234.50", "王五", "1,284.75", "管理员"}) {
                EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
            }
            const std::string info = vondrel::test::RunCommand("pdfinfo " + quoted + " 2>&1");
            EXPECT_NE(info.find("Title:           销售日报\n"), std::string::npos) << info;
        } else {
            EXPECT_EQ(RunPython(kReadWorkbook, file), kWorkbookRows);
        }
    }
    // A name with an extension keeps it, whichever type was chosen.
    m_services->ScriptSaveFile(ui::SaveFileChoice{(out / "三月.dat").string(), 3});
    window.ToolbarClick("dc");
    EXPECT_EQ(Messages().size(), 1U);
    EXPECT_EQ(FolderEntries(out), (std::vector<std::string>{"三月.dat", "三月.pdf"}));
}

TEST_P(PrintCommands, CancelWritesNothingAndShowsNothing) {
    frmGridPrint& window = Open();
    m_services->ScriptSaveFile(std::nullopt);
    window.ToolbarClick("dc");
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(FolderEntries(m_folder / "out").empty());
    // The sheet was rebuilt before the dialog: the template's "end" marker is gone.
    EXPECT_EQ(window.PrintSheet().SheetRowCount(), 12);
}

TEST_P(PrintCommands, AFolderThatCannotBeWrittenIsNamedAndLeavesNoFile) {
    frmGridPrint& window = Open();
    const std::filesystem::path out = m_folder / "out";
    std::filesystem::permissions(out,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    WithoutRootOverride asUser;
    for (const int filterIndex : {1, 2}) {
        SCOPED_TRACE(filterIndex);
        const std::string file = (out / "三月报表.xls").string();
        m_services->ScriptSaveFile(ui::SaveFileChoice{file, filterIndex});
        window.ToolbarClick("dc");
        const auto messages = m_services->TakeMessages();
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_EQ(messages[0].title, "Qovira提示");
        EXPECT_EQ(messages[0].text, "引出[销售日报]失败，文件没有写成：\n" + file + "\n原因：没有在文件夹“" +
                                        out.string() + "”中写文件的权限");
        EXPECT_TRUE(FolderEntries(out).empty());
    }
}

// Names as long as the file system allows, typed in the dialog: every file type writes them, and one
// byte more is refused with the reason in Chinese and the window's result says so. Before, the
// temporary name beside the file added a suffix, so a legal 245-byte name failed with "File name too
// long" in English.
TEST_P(PrintCommands, NamesUpToTheFileSystemLimitAreWrittenAndOneByteMoreIsRefusedInChinese) {
    ASSERT_EQ(ui::qt::EnsureApplicationForExport(), "") << "the PDF painter needs a QGuiApplication";
    frmGridPrint& window = Open();
    const std::filesystem::path out = m_folder / "out";
    for (int fileType = 1; fileType <= 4; ++fileType) {
        const std::string extension = QV_GridPrint::ExportFormatOfType(fileType)->extension;
        for (const std::size_t bytes : {245U, 255U, 256U}) {
            SCOPED_TRACE(extension + " " + std::to_string(bytes));
            std::filesystem::remove_all(out);
            std::filesystem::create_directories(out);
            const std::string name = vondrel::test::NameOfBytes(bytes, extension);
            m_services->ScriptSaveFile(ui::SaveFileChoice{(out / name).string(), fileType});
            window.ToolbarClick("dc");
            const auto messages = m_services->TakeMessages();
            ASSERT_EQ(messages.size(), 1U);
            if (bytes <= 255) {
                EXPECT_EQ(messages[0].text, "引出[销售日报]成功");
                EXPECT_EQ(window.LastExport(), QV_GridPrint::ExportResult::Written);
                EXPECT_EQ(FolderEntries(out), std::vector<std::string>{name});
            } else {
                EXPECT_NE(
                    messages[0].text.find("原因：无法创建文件“" + (out / name).string() + "”：文件名太长"),
                    std::string::npos)
                    << messages[0].text;
                EXPECT_EQ(window.LastExport(), QV_GridPrint::ExportResult::Failed);
                EXPECT_TRUE(FolderEntries(out).empty());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, PrintCommands, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
