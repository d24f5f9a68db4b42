// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "viewer/frmGridPrint.h"

#include "ado/Command.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "ado/SqlText.h"
#include "catalogue/ModGridPrint.h"
#include "catalogue/ReportDefinition.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/ParameterItem.h"
#include "plugin/PluginRegistry.h"
#include "printsheet/PrintSheet.h"
#include "printsheet/SheetExport.h"
#include "reportgrid/TemplateHeader.h"
#include "reportgrid/TotalsAndFonts.h"
#include "ui/Services.h"
#include "vb/Array.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"
#include "vb/Strings.h"
#include "viewer/SheetOutput.h"

#include <algorithm>
#include <filesystem>

namespace QV_GridPrint {
namespace {

// The buttons, left to right, with their keys, captions and tooltips.
std::vector<ToolbarButton> MakeToolbar() {
    const auto separator = [](const char* key) {
        return ToolbarButton{key, {}, {}, true, true};
    };
    const auto button = [](const char* key, const char* caption, const char* tooltip = "") {
        return ToolbarButton{key, caption, tooltip, false, true};
    };
    return {separator("line1"),
            button("print", "打印"),
            button("printpreview", "预览"),
            button("printsetup", "设置"),
            button("paper", "纸张"),
            separator("line2"),
            button("movefirst", "第一"),
            button("moveprev", "向前"),
            button("movenext", "向后"),
            button("movelast", "最后"),
            separator("line7"),
            button("regetdata", "重取"),
            button("open", "选表"),
            separator("line13"),
            button("dc", "导出"),
            button("t_return", "返回"),
            button("t_coledit", "列标题", "可变列标题编辑"),
            button("t_csgs", "重设", "重新设置可变列"),
            button("exit", "退出")};
}

// Runs the body of a procedure whose errors end it with the error's description in a message box.
template <class F> bool ReportingErrors(ui::Services& services, F body) {
    try {
        return body();
    } catch (const vb::Error& error) {
        modGridPrint::ShowErrMsg(services, error);
    } catch (const std::exception& error) {
        modGridPrint::ShowErrMsg(services, error.what());
    }
    return false;
}

// What a command says on a window whose set-up failed: it closes, and its plug-in is gone.
constexpr const char* kClosingMessage = "报表没有成功打开，窗口即将关闭，不能再执行这个操作。";

std::shared_ptr<ado::Recordset> RequireRecordset(const std::shared_ptr<ado::Recordset>& rs,
                                                 const char* what) {
    if (!rs) {
        throw vb::Error(vb::kErrObjectRequired, std::string("报表插件没有提供") + what);
    }
    return rs;
}

} // namespace

frmGridPrint::frmGridPrint(clsGridPrint& host, ui::Services& services, SheetOutput& output,
                           PluginRegistry& plugins)
    : pGPrint(&host), m_services(services), m_output(output), m_plugins(plugins), m_toolbar(MakeToolbar()) {
    vsf.SetClickHandler([this] { SelectClickedRow(vsf); });
    vsf.SetDblClickHandler([this] { GridDblClick(); });
}

frmGridPrint::~frmGridPrint() = default;

void frmGridPrint::Changed(WindowPart part) {
    if (m_onChange) {
        m_onChange(part);
    }
}

// ---- life cycle ----

void frmGridPrint::Load() {
    bFmtLoaded = false;
    bOK = true;
    vsf.SetInertSetting(grid::KeptSetting::WindowLoad, 0);
    detail.bIsDetail = false;
    bParaSet = false;
    // Plug-in libraries of the component's folder join the built-in plug-ins; one that cannot be loaded
    // is named, and the reports of the others still work.
    for (const auto& failure : m_plugins.LoadFolder(m_services.ApplicationFolder() / "plugins")) {
        m_services.ShowMessage({"报表插件库无法加载：" + failure.library + "\n" + failure.reason,
                                {},
                                ui::Buttons::Ok,
                                ui::Icon::Warning});
    }
    SetData();
    CloseIfFailed();
}

void frmGridPrint::Resize(int innerWidthTwips, int innerHeightTwips) {
    if (!bOK) {
        RequestClose();
        return;
    }
    // An inner area smaller than the title band leaves the grid no room, never a negative size.
    m_gridTop = HeadHeightTwips();
    m_gridHeight = std::max(0, innerHeightTwips - m_gridTop);
    vsf.Move(vsf.Left(), m_gridTop, std::max(0, innerWidthTwips - vsf.Left()), m_gridHeight);
    Changed(WindowPart::Layout);
}

void frmGridPrint::Unload() {
    mRpt.reset();
    SaveColumnWidths();
}

int frmGridPrint::HeadHeightTwips() const {
    return catalogue::ClampHeadHeight(pGPrint->HeadHeight);
}

bool frmGridPrint::IsUsable() const {
    return bOK && mRpt && !m_closeRequested;
}

// True (and said) when the window cannot take a command: its set-up failed and it is closing.
bool frmGridPrint::RefuseWhileClosing() {
    if (IsUsable()) {
        return false;
    }
    modGridPrint::ShowErrMsg(m_services, kClosingMessage);
    return true;
}

// A set-up that failed while the window is open closes it once the step that ran it has returned;
// waiting for a resize would leave it open without a plug-in for as long as nobody resizes it.
void frmGridPrint::CloseIfFailed() {
    if (!bOK) {
        RequestClose();
    }
}

// ---- data retrieval ----

bool frmGridPrint::SetData() {
    vb::SkipOnError([&] {
        mRpt.reset();
        mRpt = m_plugins.Create(pGPrint->ClsName, {pGPrint, pGPrint->Prompt()});
    });
    if (!mRpt) {
        m_services.ShowMessage({NotRegisteredMessage(pGPrint->ClsName), {}, ui::Buttons::Ok, ui::Icon::None});
        bOK = false;
        return false;
    }
    vb::SkipOnError([&] { bColsChange = mRpt->IsColsChange(); });
    vb::SkipOnError([&] { iFixedCols = mRpt->SetFixedCols(); });
    mRpt->set_pGPrint(pGPrint);
    SetMoveButton(pGPrint->mMove);
    if (!modGridPrint::bMxMode) {
        if (!GetData(!bParaSet)) {
            bOK = false;
        }
        return bOK;
    }
    // A report reached by a drill or a return, and every rebuild of it, takes its master list and rows
    // from its procedures with the parameters the window holds: a fresh plug-in has no master list to
    // step from, and asking it would show its own default report under this report's template.
    if (GetMxData(true) && bOK) {
        m_isBuiltByProcedures = true;
        return true;
    }
    return false;
}

void frmGridPrint::SplitParameters(bool alsoSave) {
    if (!vPara.IsArray() || vPara.AsArray()->Dims() != 1) {
        throw vb::Error(vb::kErrTypeMismatch, "报表插件的参数（GetPara）不是一维数组");
    }
    const vb::Array& items = *vPara.AsArray();
    std::vector<std::string> values;
    std::vector<std::string> texts;
    for (long k = items.LBound(); k <= items.UBound(); ++k) {
        const std::string item = vb::CStr(items.Get(k));
        // Every item is "value/text"; one without "/" would leave the text undefined. Reported with the
        // item itself, and nothing of the window's parameters changes.
        std::optional<ParameterItem> parts = SplitParameterItem(item);
        if (!parts) {
            throw vb::Error(vb::kErrSubscript, "报表参数项“" + item + "”中没有“/”，分不出参数值和显示文字");
        }
        values.push_back(std::move(parts->value));
        texts.push_back(std::move(parts->text));
    }
    ParaValue = values;
    ParaText = texts;
    if (alsoSave) {
        detail.ParaValueSave = std::move(values);
        detail.ParaTextSave = std::move(texts);
    }
}

bool frmGridPrint::GetData(bool bSetPara) {
    return ReportingErrors(m_services, [&] {
        if (bSetPara) {
            if (!mRpt->SetPara()) {
                return false;
            }
            vPara = mRpt->GetPara();
            SplitParameters(true);
            const std::string bindField = mRpt->SetBindField();
            if (!bindField.empty()) {
                bHasBind = true;
                strBindField = bindField;
                SetupSelector();
                if (rsMainEnabled()) {
                    PositionSelector();
                }
            } else {
                bHasBind = false;
                HideSelector();
            }
            bAutoMove = mRpt->IsAutoMove();
        }
        DrawTitle();
        mRpt->RPTCalc();
        vPara = mRpt->GetPara();
        SplitParameters(true);
        SetCellFormat();
        rsData = RequireRecordset(mRpt->rs(), "数据记录集（rs）")->Clone();
        LoadRows();
        FinishFetch();
        if (bSetPara) {
            m_isBuiltByProcedures = false;
        }
        return true;
    });
}

std::shared_ptr<ado::Command> frmGridPrint::PrepareProcedure(const std::string& name,
                                                             std::size_t valueCount) {
    auto command = ado::Command::Create();
    command->SetActiveConnection(pGPrint->mCNN);
    command->CommandText = name;
    command->CommandTimeout = 0;
    command->CommandType = ado::adCmdStoredProc;
    command->Parameters().Refresh();
    // The count comes from the catalogue (the report's qv_rptpara rows). A procedure declaring more
    // parameters gets the database's defaults for the rest; one without a default there, or fewer
    // parameters than values, would get Nulls or its values shifted, and show wrong rows silently.
    const std::size_t declared = command->Parameters().Count() == 0 ? 0 : command->Parameters().Count() - 1;
    std::size_t required = declared;
    while (required > 0 && command->Parameters()(required).HasDefault) {
        --required;
    }
    if (valueCount > declared || valueCount < required || valueCount > ParaValue.size()) {
        std::string message = "存储过程 ";
        message.append(name)
            .append(" 的参数个数不符：需要 ")
            .append(required == declared ? std::to_string(declared)
                                         : std::to_string(required) + " 到 " + std::to_string(declared))
            .append(" 个，报表给出 ")
            .append(std::to_string(std::min(valueCount, ParaValue.size())))
            .append(" 个（报表的参数个数见 qv_rptpara）");
        throw vb::Error(vb::kErrInvalidCall, message);
    }
    for (std::size_t k = 0; k < valueCount; ++k) {
        command->Parameters()(k + 1).Value = vb::Variant(ParaValue[k]);
    }
    return command;
}

bool frmGridPrint::GetMxData(bool bSetPara) {
    return ReportingErrors(m_services, [&] {
        if (!bSetPara) {
            const auto rsMain = RequireRecordset(mRpt->rsMain(), "主表记录集（rsMain）");
            TL1.text = vb::CStr(rsMain->Fields(strBindField).Value());
            if (TL1.isVisible && !ParaValue.empty()) {
                // An empty text splits into nothing: there is no label to keep.
                const std::vector<std::string> label = vb::Split(ParaText.back(), ":");
                if (label.empty()) {
                    vb::RaiseSubscript();
                }
                ParaValue.back() = TL1.text;
                ParaText.back() = label.front() + ":" + TL1.text;
            }
            Changed(WindowPart::Selector);
        } else if (detail.strMxBindField.empty()) {
            bHasBind = false;
            HideSelector();
        } else {
            bHasBind = true;
            strBindField = detail.strMxBindField;
            SetupSelector();
            // The master list takes every parameter but the last, which is the bind value itself.
            const std::size_t count = ParaValue.empty() ? 0 : ParaValue.size() - 1;
            const std::shared_ptr<ado::Recordset> list =
                PrepareProcedure(detail.strMainProc, count)->Execute();
            if (mRpt->rsMain() && mRpt->rsMain()->State() == ado::adStateOpen) {
                mRpt->rsMain()->Close();
            }
            mRpt->set_rsMain(list->Clone());
            if (rsMainEnabled()) {
                PositionSelector();
            }
        }
        DrawTitle();
        if (!vb::Trim(detail.strStoreProc).empty()) {
            // Prepared before the plug-in's rows are closed: a procedure that cannot be called leaves
            // them open for the commands that follow.
            const std::shared_ptr<ado::Command> command =
                PrepareProcedure(detail.strStoreProc, ParaValue.size());
            if (mRpt->rs() && mRpt->rs()->State() == ado::adStateOpen) {
                mRpt->rs()->Close();
            }
            rsData = command->Execute();
            mRpt->set_rs(rsData->Clone());
        }
        bColsChange = true;
        SetCellFormat();
        RequireRecordset(rsData, "数据记录集（rs）");
        LoadRows();
        FinishFetch();
        return true;
    });
}

void frmGridPrint::GetMoveData() {
    ReportingErrors(m_services, [&] {
        rsData = RequireRecordset(mRpt->rs(), "数据记录集（rs）")->Clone();
        vPara = mRpt->GetPara();
        SplitParameters(false);
        LoadRows();
        PrintPara();
        return true;
    });
}

// The common end of GetData and GetMxData: an empty report leaves the selector empty, then the
// parameter line.
void frmGridPrint::FinishFetch() {
    if (TL1.isVisible && vsf.GridRowCount() < 2) {
        TL1.rowSource = nullptr;
        TL1.text.clear();
        Changed(WindowPart::Selector);
    }
    PrintPara();
}

void frmGridPrint::LoadRows() {
    vsf.SetGridRowCount(iFixedRows);
    // Without a template there are no columns to show the rows in (its failure was already reported).
    if (rsData->RecordCount() < 1 || iColCount == 0) {
        vsf.Refresh();
        Changed(WindowPart::Grid);
        return;
    }
    SetColFormat();
    rsData->MoveFirst();
    vData = rsData->GetRows(ado::adGetRowsRest, {}, columns.vFields);
    BlankZeroValues();
    vsf.FillFromArray(vData);
    AddHJ();
    SetVSFont();
    Changed(WindowPart::Grid);
}

void frmGridPrint::DrawTitle() {
    m_caption = pGPrint->rptName;
    Changed(WindowPart::Caption);
    m_title = DrawnTitle{};
    m_title.text = pGPrint->rptName;
    m_title.xTwips = 100;
    m_title.yTwips = HeadHeightTwips() - 500;
    Changed(WindowPart::Title);
}

// ---- record selector ----

void frmGridPrint::SetupSelector() {
    TL1.isVisible = true;
    TL1.widthTwips = 3000;
    TL1.columnField = strBindField;
    TL1.listField = strBindField;
    Changed(WindowPart::Selector);
}

void frmGridPrint::HideSelector() {
    TL1.isVisible = false;
    Changed(WindowPart::Selector);
}

void frmGridPrint::PositionSelector() {
    const std::shared_ptr<ado::Recordset> rsMain = mRpt->rsMain();
    TL1.rowSource = rsMain;
    if (ParaValue.empty()) {
        throw vb::Error(vb::kErrSubscript, "报表没有参数，无法在主表中定位绑定字段的值");
    }
    // The value is quoted with its quotes doubled, so a name such as O'Brien is found, not an error.
    rsMain->Find(strBindField + "=" + ado::SqlQuote(ParaValue.back()), 0, ado::adSearchForward);
    TL1.text = vb::CStr(rsMain->Fields(strBindField).Value());
    Changed(WindowPart::Selector);
}

void frmGridPrint::SelectorPick() {
    bSelPending = true;
}

void frmGridPrint::SelectorFollowUp() {
    if (bSelPending && !RefuseWhileClosing()) {
        ReportingErrors(m_services, [&] {
            RequireRecordset(mRpt->rsMain(), "主表记录集（rsMain）")->SetBookmark(TL1.pickedBookmark);
            return detail.bIsDetail ? GetMxData(false) : GetData(false);
        });
    }
    bSelPending = false;
}

bool frmGridPrint::rsMainEnabled() {
    const std::shared_ptr<ado::Recordset> rsMain = mRpt ? mRpt->rsMain() : nullptr;
    if (!rsMain || rsMain->State() != ado::adStateOpen) {
        return false;
    }
    if (rsMain->RecordCount() < 1) {
        return false;
    }
    if (rsMain->IsEOF()) {
        rsMain->MoveLast();
    } else if (rsMain->BOF()) {
        rsMain->MoveFirst();
    }
    return true;
}

// ---- toolbar ----

void frmGridPrint::SetMoveButton(bool mState) {
    for (ToolbarButton& button : m_toolbar) {
        if (button.key == "movefirst" || button.key == "movelast" || button.key == "movenext" ||
            button.key == "moveprev") {
            button.isEnabled = mState;
        }
    }
    Changed(WindowPart::Toolbar);
}

void frmGridPrint::Navigate(const std::string& key) {
    if (!bAutoMove) {
        if (key == "movefirst") {
            mRpt->MoveFirst();
        } else if (key == "movenext") {
            mRpt->MoveNext();
        } else if (key == "moveprev") {
            mRpt->MovePrev();
        } else {
            mRpt->MoveLast();
        }
        GetMoveData();
        return;
    }
    if (!rsMainEnabled()) {
        return;
    }
    const std::shared_ptr<ado::Recordset> rsMain = mRpt->rsMain();
    if (key == "movefirst") {
        rsMain->MoveFirst();
    } else if (key == "movelast") {
        rsMain->MoveLast();
    } else if (key == "movenext") {
        rsMain->MoveNext();
        if (rsMain->IsEOF()) {
            rsMain->MoveLast();
            return;
        }
    } else {
        rsMain->MovePrevious();
        if (rsMain->BOF()) {
            rsMain->MoveFirst();
            return;
        }
    }
    if (detail.bIsDetail) {
        GetMxData(false);
    } else {
        GetData(false);
    }
    TL1.text = vb::CStr(rsMain->Fields(strBindField).Value());
    Changed(WindowPart::Selector);
}

void frmGridPrint::ToolbarClick(const std::string& key) {
    // Every button that acts on the report; "exit" still closes, "paper" and separators do nothing.
    const bool isCommand = key != "exit" && key != "paper" &&
                           std::any_of(m_toolbar.begin(), m_toolbar.end(), [&](const ToolbarButton& button) {
                               return button.key == key && !button.isSeparator;
                           });
    if (isCommand && RefuseWhileClosing()) {
        return;
    }
    ReportingErrors(m_services, [&] {
        if (key == "regetdata") {
            bParaSet = false;
            if (bColsChange) {
                SetData();
            } else {
                GetData(true);
            }
        } else if (key == "movefirst" || key == "movenext" || key == "moveprev" || key == "movelast") {
            Navigate(key);
        } else if (key == "print") {
            PrintGrid(false);
        } else if (key == "printpreview") {
            PrintGrid(true);
        } else if (key == "printsetup") {
            PageSetupDialog();
        } else if (key == "open") {
            ChooseReport();
        } else if (key == "dc") {
            // A rebuild that throws ends the command before the export: its result must not be an
            // earlier export's.
            m_lastExport = ExportResult::Failed;
            SetCellDataFromVSF();
            ExportReport();
        } else if (key == "t_return") {
            ReturnParent();
        } else if (key == "t_coledit") {
            EditColumnCaption();
        } else if (key == "t_csgs") {
            SetChangeFormat();
        } else if (key == "exit") {
            RequestClose();
        }
        // "paper", the separators and unknown keys do nothing.
        return true;
    });
    CloseIfFailed();
}

void frmGridPrint::RequestClose() {
    if (!m_closeRequested) {
        m_closeRequested = true;
        if (m_onClose) {
            m_onClose();
        }
    }
}

// ---- operations of the selection, drill-down and column parts ----
// ChooseReport, ReturnParent, EditColumnCaption, SetChangeFormat, ApplyChangeFormat and the double
// click live in frmGridPrintCustomise.cpp with the other column and drill-down steps.

// ---- template steps ----

void frmGridPrint::SetCellFormat() {
    if (!bColsChange && bFmtLoaded && !bParaSet) {
        return;
    }
    const std::filesystem::path path = TemplatePath(m_services.ApplicationFolder(), pGPrint->FmtFileName);
    const auto refuseTemplate = [&] {
        m_services.ShowMessage({"报表格式文件不存在或文件格式不正确！（" + pGPrint->FmtFileName + "）",
                                {},
                                ui::Buttons::Ok,
                                ui::Icon::None});
        bOK = false;
        iColCount = 0; // the window closes; no rows are loaded under a header that does not fit them
    };
    // The catalogue names a file of the component folder. A name that replaces the folder (an absolute
    // path) or climbs out of it ("..") has no path and is refused like a bad template, so catalogue
    // data cannot make the window read files elsewhere.
    if (path.empty() || cll.OpenFile(path.string()) <= 0) {
        refuseTemplate();
        return;
    }
    clldata.OpenFile(path.string());
    // The user's rows are matched against the header as this drawing of the template places it;
    // inserted variable columns move no rows, so the rows found now stay the header's.
    TemplateRows drawn{vHeadStart, iHeadEnd, iFixedRows};
    if (GetFixedRows(cll, drawn)) {
        const columns::HeaderRows header{drawn.vHeadStart, drawn.iHeadEnd};
        ApplyChangeFormat(cll, header);
        ApplyChangeFormat(clldata, header);
    }
    // The plug-in sees the print sheet first; a refusal there spares it the template sheet.
    if (!mRpt->SetCellFormat(clldata) || !mRpt->SetCellFormat(cll)) {
        m_services.ShowMessage({"动态设置CELL列错误！", {}, ui::Buttons::Ok, ui::Icon::None});
        return;
    }
    m_gridReportId.reset();
    vsf.ClearGrid();
    vsf.DetachArray(vb::Variant::Null());
    vsf.SetDataBinding(vb::Variant());
    TemplateRows rows{vHeadStart, iHeadEnd, iFixedRows};
    // A template without its header markers cannot be shown; keeping the previous template's header
    // over this report's data would show wrong captions over the right numbers.
    if (!GetFixedRows(cll, rows) || rows.iFixedRows < 0) {
        refuseTemplate();
        return;
    }
    vHeadStart = rows.vHeadStart;
    iHeadEnd = rows.iHeadEnd;
    iFixedRows = rows.iFixedRows;
    iColCount = cll.SheetColCount();
    try {
        columns.Reset(iColCount);
        lDataRowTwips =
            SetVSFHead(cll, vsf, rows, iColCount, m_services.TwipsPerPixelX(), m_services.TwipsPerPixelY());
        // The columns the plug-in fixes (repeated at the left of every printed page) stay in view on
        // screen too when the grid scrolls sideways.
        vsf.SetHeaderColCount(std::clamp<int>(iFixedCols, 0, iColCount));
        m_gridReportId = modGridPrint::RptID;
    } catch (const vb::Error& error) {
        modGridPrint::ShowErrMsg(m_services, error);
    }
    bFmtLoaded = true;
    Changed(WindowPart::Grid);
}

void frmGridPrint::SetColFormat() {
    QV_GridPrint::SetColFormat(cll, vsf, *rsData, iColCount, iHeadEnd + 1, iHeadEnd + 3, columns);
}

void frmGridPrint::AddHJ() {
    QV_GridPrint::AddHJ(vsf, columns);
}

void frmGridPrint::SetVSFont() {
    QV_GridPrint::SetVSFont(vsf, columns, iColCount, iFixedRows, lDataRowTwips, rsData);
}

void frmGridPrint::BlankZeroValues() {
    if (vData.IsArray()) {
        QV_GridPrint::BlankZeroValues(*vData.AsArray(), columns, iColCount);
    }
}

// ---- print sheet ----

void frmGridPrint::SetCellDataFromVSF() {
    ui::BusyScope busy(m_services);
    const PrintSheetSource source{.cll = cll,
                                  .vsf = vsf,
                                  .columns = columns,
                                  .vHeadStart = vHeadStart,
                                  .iHeadEnd = iHeadEnd,
                                  .iFixedCols = iFixedCols,
                                  .lDataRowTwips = lDataRowTwips,
                                  .twipsPerPixelX = m_services.TwipsPerPixelX(),
                                  .twipsPerPixelY = m_services.TwipsPerPixelY(),
                                  .fields = {ParaText, ReadLoginFields(pGPrint->rsLogin().get())},
                                  .today = m_today ? m_today() : vb::Today()};
    QV_GridPrint::SetCellDataFromVSF(source, clldata);
    clldata.SetTitle(pGPrint->rptName);
}

void frmGridPrint::SetCellColWidth() {
    QV_GridPrint::SetCellColWidth(vsf, clldata, m_services.TwipsPerPixelX());
}

void frmGridPrint::SetCellPara() {
    QV_GridPrint::SetCellPara(cll, clldata, vHeadStart,
                              {ParaText, ReadLoginFields(pGPrint->rsLogin().get())});
}

void frmGridPrint::SetCellDownPara() {
    QV_GridPrint::SetCellDownPara(cll, clldata, iHeadEnd,
                                  {ParaText, ReadLoginFields(pGPrint->rsLogin().get())});
}

void frmGridPrint::PrintGrid(bool bPreview) {
    ReportingErrors(m_services, [&] {
        SetCellDataFromVSF();
        const OutputOutcome outcome =
            bPreview ? m_output.PreviewSheet(clldata) : m_output.PrintSheet(clldata);
        if (outcome.result == OutputResult::Failed) {
            modGridPrint::ShowErrMsg(m_services, outcome.error.empty()
                                                     ? (bPreview ? "打印预览没有完成" : "打印没有完成")
                                                     : outcome.error);
        }
        return false;
    });
}

void frmGridPrint::PageSetupDialog() {
    const OutputOutcome outcome = m_output.PageSetupDialog(clldata);
    if (outcome.result == OutputResult::Failed) {
        modGridPrint::ShowErrMsg(m_services, outcome.error.empty() ? "页面设置没有完成" : outcome.error);
    }
}

void frmGridPrint::ExportReport() {
    m_lastExport = ExportPrintSheet(m_services, clldata, pGPrint->rptName);
}

void frmGridPrint::PrintPara() {
    std::optional<TwipsRect> selector;
    if (TL1.isVisible) {
        selector = TwipsRect{RecordSelector::kLeftTwips, RecordSelector::kTopTwips, TL1.widthTwips,
                             RecordSelector::kHeightTwips};
    }
    LayoutParaLabels(ParaText, lbpara, selector);
    vsf.SetInertSetting(grid::KeptSetting::ParameterLine, 3);
    Changed(WindowPart::Title);
}

} // namespace QV_GridPrint
