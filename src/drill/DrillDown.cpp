// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Drill-down and return.
//
// Design notes.
//  1. There is no stack of visited reports. The way down is the first qv_rptdetail row whose parent is
//     the report shown; the way back is the first row whose child is the report shown. Going back twice
//     from a grandchild therefore walks the catalogue, not a history.
//  2. One saved parameter set (ParaValueSave/ParaTextSave). A drill saves the parameters it leaves; the
//     fetches that follow a drill or a return do not save (they run with bMxMode set), so a return
//     restores what the last drill or the last ordinary fetch left there.
//  3. A double click checks everything it will need (the items of qrptpara, the fields of the clicked
//     record, the child's parameter count) before it changes any variable. Malformed catalogue data
//     is then a message over an unchanged report, never a half-switched window whose parameters belong
//     to one report and whose definition to another.
//  4. bMxMode is True only around SetData, and goes back to False even when SetData raises, because it
//     is process-wide and a stuck True would send the next ordinary fetch to the procedures.
#include "drill/DrillDown.h"

#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "catalogue/ModGridPrint.h"
#include "catalogue/ReportDefinition.h"
#include "host/clsGridPrint.h"
#include "plugin/IReport.h"
#include "ui/Services.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <algorithm>

namespace QV_GridPrint::drill {
namespace {

using modGridPrint::bMxMode;
using modGridPrint::RptID;

std::shared_ptr<ado::Recordset> Query(const clsGridPrint& host, const std::string& sql) {
    auto rs = ado::Recordset::Create();
    rs->Open(sql, host.mCNN, ado::adOpenStatic, ado::adLockReadOnly);
    return rs;
}

long ParameterCount(const clsGridPrint& host, std::int16_t reportId) {
    const auto rs = Query(host, catalogue::CountReportParameters(reportId));
    return vb::CLng(rs->Fields(std::size_t{0}).Value());
}

// Step 8 of the drill, shared with the return: the child's (or parent's) qv_report row becomes the
// definition. Procedure names and the bind field read NULL as "none": keeping the previous report's
// procedures would fetch the wrong report's rows.
void LoadDefinition(DrillWindow& window, std::int16_t reportId) {
    const auto rs = Query(window.host, catalogue::SelectReportByIdForDrill(reportId));
    if (rs->IsEOF()) {
        return;
    }
    const catalogue::ReportRow row = catalogue::ReadReportRow(*rs);
    clsGridPrint& host = window.host;
    host.ClsName = row.qclsname.value_or(host.ClsName);
    host.FmtFileName = row.qfmtfilename.value_or(host.FmtFileName);
    host.HeadHeight = row.qheadheight.value_or(host.HeadHeight);
    host.mOK = true;
    host.rptName = row.qrptname.value_or(host.rptName);
    host.RptType = row.qrptgrpid.value_or(host.RptType);
    window.strStoreProc = row.qstoreproc.value_or("");
    window.strMainProc = row.qmainproc.value_or("");
    window.strMxBindField = row.qbindfield.value_or("");
    window.bAutoMove = row.qisautomove.value_or(window.bAutoMove);
    RptID = row.qid.value_or(RptID);
}

void RunInDetailMode(DrillWindow& window) {
    bMxMode = true;
    window.bIsDetail = true;
    struct Reset {
        ~Reset() { bMxMode = false; }
    } reset;
    window.setData();
}

// The value of a field of the clicked record as the parameter text; a field the rows lack is named.
vb::Variant FieldOf(const ado::Recordset& record, const std::string& field, const std::string& item) {
    if (!record.HasField(field)) {
        throw vb::Error(vb::kErrAdoNotFound,
                        "下钻参数“" + item + "”中的字段“" + field + "”在报表数据中不存在");
    }
    return record.Fields(field).Value();
}

template <class F> void SkipOnError(F step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace

std::vector<DrillItem> ParseDrillItems(const std::string& qrptpara) {
    std::vector<DrillItem> items;
    for (const std::string& item : vb::Split(qrptpara, ",")) {
        const std::vector<std::string> halves = vb::Split(item, "/");
        const std::vector<std::string> label =
            halves.size() < 2 ? std::vector<std::string>{} : vb::Split(halves[1], ":");
        if (halves.size() < 2 || label.size() < 2) {
            throw vb::Error(vb::kErrSubscript,
                            "下钻参数“" + item +
                                "”格式不正确，应为“取值字段/标签:显示字段”（qv_rptdetail.qrptpara）");
        }
        items.push_back({halves[0], label[0], label[1]});
    }
    return items;
}

std::vector<std::string> ChildParameters(const std::vector<std::string>& current,
                                         const std::vector<std::string>& drilled, long n) {
    const long p = static_cast<long>(drilled.size());
    if (n < p) {
        throw vb::Error(vb::kErrSubscript, "下级报表只有" + std::to_string(n) + "个参数（qv_rptpara），少于" +
                                               std::to_string(p) + "个下钻参数");
    }
    std::vector<std::string> result(static_cast<std::size_t>(n));
    for (long index = 0; index < n - p; ++index) {
        // The parent may have fewer parameters than the child keeps from it; those stay empty.
        if (index < static_cast<long>(current.size())) {
            result[static_cast<std::size_t>(index)] = current[static_cast<std::size_t>(index)];
        }
    }
    for (long index = 0; index < p; ++index) {
        result[static_cast<std::size_t>(n - p + index)] = drilled[static_cast<std::size_t>(index)];
    }
    return result;
}

void GridDoubleClick(DrillWindow& window, const ClickedRow& clicked) {
    if (clicked.gridRowCount < 2 || clicked.cursorRow == clicked.gridRowCount - 1) {
        return;
    }
    const long lRecNo = clicked.cursorRow - clicked.iFixedRows;
    // A header row has no record behind it; a double click there is not a drill.
    if (lRecNo < 0 || !clicked.rsData || clicked.rsData->State() != ado::adStateOpen ||
        lRecNo >= clicked.rsData->RecordCount()) {
        return;
    }
    ui::BusyScope busy(window.services);
    bMxMode = false;
    try {
        // A clone, so the window's rows keep their own position.
        const auto record = clicked.rsData->Clone();
        record->MoveFirst();
        record->Move(lRecNo);

        const auto links = Query(window.host, catalogue::SelectDrillLinksOfParent(RptID));
        if (links->IsEOF()) {
            if (clicked.mRpt) {
                // ShowBill takes no argument: the plug-in reads the clicked record from its own rs.
                if (const auto rs = clicked.mRpt->rs(); rs && rs->State() == ado::adStateOpen) {
                    rs->MoveFirst();
                    rs->Move(lRecNo);
                }
                clicked.mRpt->ShowBill();
            }
            return;
        }

        // Null reads as an empty text (no items), not as a bare "invalid use of Null".
        const vb::Variant itemText = links->Fields("qrptpara").Value();
        const std::vector<DrillItem> items =
            ParseDrillItems(itemText.IsNull() || itemText.IsEmpty() ? std::string() : vb::CStr(itemText));
        std::vector<std::string> values;
        std::vector<std::string> texts;
        for (const DrillItem& item : items) {
            const std::string name = item.valueField + "/" + item.label + ":" + item.textField;
            const vb::Variant value = FieldOf(*record, item.valueField, name);
            if (value.IsNull()) {
                throw vb::Error(vb::kErrInvalidUseOfNull,
                                "下钻参数“" + name + "”的取值字段“" + item.valueField + "”在所选行中为空");
            }
            const vb::Variant text = FieldOf(*record, item.textField, name);
            values.push_back(vb::CStr(value));
            texts.push_back(item.label + ":" + (text.IsNull() ? std::string() : vb::CStr(text)));
        }
        const std::int16_t childId = vb::CInt(links->Fields("qrptchildid").Value());
        const long n = ParameterCount(window.host, childId);
        std::vector<std::string> newValues = ChildParameters(window.ParaValue, values, n);
        std::vector<std::string> newTexts = ChildParameters(window.ParaText, texts, n);

        window.ParaTextSave = window.ParaText;
        window.ParaValueSave = window.ParaValue;
        window.ParaValue = std::move(newValues);
        window.ParaText = std::move(newTexts);
        LoadDefinition(window, childId);
        RunInDetailMode(window);
    } catch (const vb::Error& error) {
        modGridPrint::ShowErrMsg(window.services, error);
    } catch (const std::exception& error) {
        modGridPrint::ShowErrMsg(window.services, error.what());
    }
}

bool ReturnParent(DrillWindow& window) {
    ui::BusyScope busy(window.services);
    std::shared_ptr<ado::Recordset> links;
    SkipOnError([&] { links = Query(window.host, catalogue::SelectDrillLinksOfChild(RptID)); });
    if (links && links->IsEOF()) {
        SkipOnError([&] {
            window.services.ShowMessage({"上级报表不存在，不能返回！", modGridPrint::kNoticeTitle,
                                         ui::Buttons::Ok, ui::Icon::Information});
        });
        return false;
    }
    // A look-up that failed is a skipped step like any other: the report shown is reloaded as it is.
    if (links) {
        SkipOnError([&] { RptID = vb::CInt(links->Fields("qrptparentid").Value()); });
    }
    SkipOnError([&] {
        const long n = ParameterCount(window.host, RptID);
        std::vector<std::string> values(static_cast<std::size_t>(std::max(0L, n)));
        std::vector<std::string> texts(values.size());
        for (std::size_t index = 0; index < values.size(); ++index) {
            if (index < window.ParaValueSave.size()) {
                values[index] = window.ParaValueSave[index];
            }
            if (index < window.ParaTextSave.size()) {
                texts[index] = window.ParaTextSave[index];
            }
        }
        window.ParaValue = std::move(values);
        window.ParaText = std::move(texts);
    });
    SkipOnError([&] { LoadDefinition(window, RptID); });
    SkipOnError([&] { RunInDetailMode(window); });
    return false;
}

} // namespace QV_GridPrint::drill
