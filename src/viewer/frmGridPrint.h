// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "columns/ColumnOverrides.h"
#include "controls/grid/GridModel.h"
#include "controls/sheet/SheetDocument.h"
#include "plugin/IReport.h"
#include "printsheet/PageFields.h"
#include "printsheet/SheetExport.h"
#include "reportgrid/ColumnFormats.h"
#include "vb/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ado {
class Command;
class Recordset;
} // namespace ado
namespace ui {
class Services;
}

namespace QV_GridPrint {

class clsGridPrint;
class PluginRegistry;
class SheetOutput;
namespace columns {
class frmColEdit;
}
namespace select {
class frmSelectReport;
}
namespace drill {
struct SwitchPlan;
}

// The modal dialogs the window opens. The Qt window shows the real dialogs; tests script them. Each call
// returns once the dialog has closed (through its logic's OK or Cancel).
class ModalDialogs {
public:
    virtual ~ModalDialogs() = default;
    virtual void ShowColEdit(columns::frmColEdit& dialog) = 0;
    virtual void ShowSelectReport(select::frmSelectReport& dialog) = 0;
};

// One toolbar button (separators are buttons too, with a key and no caption).
struct ToolbarButton {
    std::string key;
    std::string caption;
    std::string tooltip;
    bool isSeparator = false;
    bool isEnabled = true;
};

// The record selector TL1: the master records of the report, listed by the bind field.
struct RecordSelector {
    // Where the selector stands in the title band (its design position; the width is set with it).
    static constexpr int kLeftTwips = 8400;
    static constexpr int kTopTwips = 720;
    static constexpr int kHeightTwips = 375;
    bool isVisible = false; // visible and enabled are always set together
    int widthTwips = 0;
    std::string columnField;
    std::string listField;
    std::shared_ptr<ado::Recordset> rowSource;
    std::string text;
    vb::Variant pickedBookmark; // bookmark (in rowSource) of the entry the user picked
};

// The drill-down's state: whether the report shown is a child built through its procedures, which
// procedures those are, and the parameters a return to the parent puts back.
struct DetailState {
    bool bIsDetail = false;
    std::string strStoreProc;   // the rows' procedure (qstoreproc)
    std::string strMainProc;    // the master list's procedure (qmainproc)
    std::string strMxBindField; // the master list's key (qbindfield)
    std::vector<std::string> ParaValueSave;
    std::vector<std::string> ParaTextSave;
};

// The title drawn on the banner.
struct DrawnTitle {
    std::string text;
    int xTwips = 0;
    int yTwips = 0;
    std::string fontFace = "宋体";
    int fontSize = 16;
    bool isBold = true;
};

// What the window's widgets must repaint after the logic changed it.
enum class WindowPart { Caption, Title, Toolbar, Selector, Grid, Layout };

// The report window's logic: its variables, the data retrieval, the toolbar dispatch and its life
// cycle, with no widget in sight. A Qt shell shows the parts and forwards the user's actions here;
// tests drive it directly.
//
// Design notes.
//  1. States: Loading (Load runs SetData) -> Shown -> Closing (a failed set-up posts a close as soon as
//     the step that ran it returns, or the user closes) -> Closed (Unload ran). SetData may run again
//     while Shown; a failed run leaves bOK False, the window posts its close, and until it has closed
//     every command says so instead of touching the plug-in that is missing.
//  4. A switch to another report (drill-down, return) either completes for the new report or leaves
//     the window exactly as it was: the report shown is set aside (grid, sheets, plug-in, parameters,
//     definition) while the new one is built, and put back when that build fails.
//     A drill-down opens the child at its top and keeps the user's place in the parent (scroll
//     position, selection, current cell); the return to that parent puts it back. A report chosen
//     with "open" starts at the top, and the places kept for the reports before it are dropped.
//  5. A report is rebuilt by the path that built it: through the plug-in (GetData) or, after a drill
//     or a return, through its procedures with the parameters the window holds (GetMxData).
//  6. The close-time save writes the widths of the grid as it was built, under the report the grid was
//     built for; a grid left over from a failed set-up is never saved under another report.
//  2. Error modes follow each operation: SetData skips failing steps before the plug-in has its host;
//     the fetches and the toolbar report through ShowErrMsg and return; the unload ignores errors.
//  3. The template steps (SetCellFormat, SetColFormat, BlankZeroValues, AddHJ, SetVSFont, PrintPara)
//     are the window's own methods so that the order of calls is fixed here; the work itself lives
//     with the grid presentation (grid/) and the print sheet.
class frmGridPrint {
public:
    // output: where print, preview and page set-up send the print sheet.
    frmGridPrint(clsGridPrint& host, ui::Services& services, SheetOutput& output, PluginRegistry& plugins);
    ~frmGridPrint();
    frmGridPrint(const frmGridPrint&) = delete;
    frmGridPrint& operator=(const frmGridPrint&) = delete;

    // The shell hears about every part that changed, and about the close the window posts itself.
    void SetChangeHandler(std::function<void(WindowPart)> handler) { m_onChange = std::move(handler); }
    void SetCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }
    // Where the selection and column dialogs are shown; without it those commands do nothing.
    void SetModalDialogs(ModalDialogs* dialogs) { m_dialogs = dialogs; }

    // Life cycle.
    void Load();
    void Resize(int innerWidthTwips, int innerHeightTwips);
    // Releases the plug-in and saves every grid column's width in the user's override rows.
    void Unload();
    // The grid's double click: drill into the child report of the current row.
    void GridDblClick();

    // Data retrieval. SetData's result says whether the report was built (callers may ignore it).
    bool SetData();
    bool GetData(bool bSetPara);
    bool GetMxData(bool bSetPara);
    void GetMoveData();
    bool RefetchData();
    void SelectorPick();
    void SelectorFollowUp();

    // Toolbar.
    void ToolbarClick(const std::string& key);
    void SetMoveButton(bool mState);
    bool rsMainEnabled();

    // Operations other parts of the window build (printing, export, report choice, drill-down, column
    // customisation, template); the dispatch and the fetches call them in their places.
    void PrintGrid(bool bPreview);
    void PageSetupDialog();
    void ExportReport();
    void ChooseReport();
    bool ReturnParent();
    void EditColumnCaption();
    bool SetChangeFormat();
    // Applies the user's column overrides to a freshly loaded template sheet.
    void ApplyChangeFormat(sheet::SheetDocument& sheet, const columns::HeaderRows& header);
    void SetCellFormat();
    void SetColFormat();
    void BlankZeroValues();
    void AddHJ();
    void SetVSFont();
    void PrintPara();

    // The print sheet, rebuilt from the grid before every print, preview and export.
    void SetCellDataFromVSF();
    void SetCellColWidth();
    void SetCellPara();
    void SetCellDownPara();
    // The day the page line prints (the local date unless a test fixes it).
    void SetTodayProvider(std::function<vb::Date()> today) { m_today = std::move(today); }

    // What the shell shows.
    const std::string& Caption() const { return m_caption; }
    const DrawnTitle& Title() const { return m_title; }
    const std::vector<ToolbarButton>& Toolbar() const { return m_toolbar; }
    const RecordSelector& Selector() const { return TL1; }
    RecordSelector& MutableSelector() { return TL1; }
    grid::GridModel& Grid() { return vsf; }
    int GridTopTwips() const { return m_gridTop; }
    // The title band's height as the window uses it (the definition's, within a sensible range).
    int HeadHeightTwips() const;
    int GridHeightTwips() const { return m_gridHeight; }
    bool IsCloseRequested() const { return m_closeRequested; }
    // The report whose template the grid's header was built from, if it was built.
    std::optional<std::int16_t> GridReportId() const { return m_gridReportId; }
    // What the last run of the export routine ("dc") came to: whoever pressed it reads this, not its message.
    ExportResult LastExport() const { return m_lastExport; }

    // The window's variables, under their names.
    clsGridPrint* pGPrint;
    bool bColEdited = false;
    std::unique_ptr<IReport> mRpt;
    std::shared_ptr<ado::Recordset> rsData;
    std::vector<std::string> ParaText;
    std::vector<std::string> ParaValue;
    vb::Variant vPara;
    vb::Variant vData;
    bool bOK = true;
    bool bHasBind = false;
    std::string strBindField;
    bool bAutoMove = false;
    bool bSelPending = false;
    bool bColsChange = false;
    bool bFmtLoaded = false;
    std::int16_t iFixedCols = 0;
    bool bParaSet = false;
    DetailState detail;
    // Grid state the template and column steps share.
    int vHeadStart = 0;
    int iHeadEnd = 0;
    int iFixedRows = 0;
    int iColCount = 0;
    long lDataRowTwips = 0;
    ColumnTables columns; // vFields, vColType, vColFormat, vTotalFlag, vColAttr
    // The parameter line: label i shows ParaText(i); label 0 always exists.
    std::vector<ParaLabel> lbpara = std::vector<ParaLabel>(1);

    // The two sheets: the template as loaded, and the print sheet.
    const sheet::SheetDocument& TemplateSheet() const { return cll; }
    const sheet::SheetDocument& PrintSheet() const { return clldata; }

protected:
    ui::Services& Services() const { return m_services; }
    void Changed(WindowPart part);

private:
    struct SetAside;
    bool IsUsable() const;
    bool RefuseWhileClosing();
    void CloseIfFailed();
    enum class SwitchKind { Drill, Return };
    bool SwitchTo(const drill::SwitchPlan& plan, SwitchKind kind);
    bool BuildThroughProcedures(SetAside& saved);
    void RequireConnection() const;
    template <class Op> void VisitReport(SetAside& saved, Op op);
    std::unique_ptr<SetAside> SetAsideReport();
    void PutBack(SetAside& saved);
    void DrawTitle();
    void LoadRows();
    void FinishFetch();
    void RequestClose();
    void SplitParameters(bool alsoSave);
    void SetupSelector();
    void HideSelector();
    void PositionSelector();
    void Navigate(const std::string& key);
    std::shared_ptr<ado::Command> PrepareProcedure(const std::string& name, std::size_t valueCount);
    void SaveColumnWidths();

    ui::Services& m_services;
    SheetOutput& m_output;
    PluginRegistry& m_plugins;
    grid::GridModel vsf;
    sheet::SheetDocument cll;
    sheet::SheetDocument clldata;
    RecordSelector TL1;
    std::vector<ToolbarButton> m_toolbar;
    std::string m_caption = "报表数据";
    DrawnTitle m_title;
    int m_gridTop = 0;
    int m_gridHeight = 0;
    bool m_closeRequested = false;
    ExportResult m_lastExport = ExportResult::Cancelled;
    std::function<void(WindowPart)> m_onChange;
    std::function<void()> m_onClose;
    std::function<vb::Date()> m_today;
    ModalDialogs* m_dialogs = nullptr;
    columns::OverrideUser m_overrideUser;
    bool m_isBuiltByProcedures = false;
    std::optional<std::int16_t> m_gridReportId; // the report whose template the grid's header shows
    // Where the user was in each report a drill-down left, innermost last; the return to that report
    // puts the user back there.
    struct LeftPlace {
        std::int16_t reportId = 0;
        grid::GridPlace place;
    };
    std::vector<LeftPlace> m_drillPlaces;
};

} // namespace QV_GridPrint
