// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/IReport.h"
#include "vb/Array.h"
#include "vb/Error.h"

#include <memory>
#include <string>
#include <vector>

namespace vondrel::test {

// How a test plug-in behaves; one instance of this describes one report.
struct ReportScript {
    bool setParaResult = true;
    bool colsChange = false;
    std::int16_t fixedCols = 1;
    std::string bindField; // "" = no master list
    bool autoMove = false;
    bool calcThrows = false;
    bool acceptsTemplate = true; // SetCellFormat's answer
    std::vector<std::string> params = {"2024-03-01/开始日期:2024-03-01", "2024-03-31/结束日期:2024-03-31"};
    std::string rowsSql = "SELECT id, name, amount FROM sales ORDER BY id";
    std::string mainSql = "SELECT DISTINCT name FROM sales ORDER BY name";
    // With a bind field the rows are those of the current master record.
    std::string rowsOfMasterSql = "SELECT id, name, amount FROM sales WHERE name = ? ORDER BY id";
};

// A report plug-in driven by a script that records every call the window makes, in order. Instances
// share one log, so a test sees the calls across re-creations of the plug-in.
class ScriptedReport final : public QV_GridPrint::IReport {
public:
    ScriptedReport(const ReportScript& script, std::vector<std::string>& log) : m_script(script), m_log(log) {
        m_log.push_back("new");
    }

    void set_pGPrint(QV_GridPrint::clsGridPrint* value) override {
        m_log.push_back("pGPrint");
        IReport::set_pGPrint(value);
    }
    // Accepting the parameters opens the master list on its first record, as a real plug-in's dialog
    // would once the user chose the period.
    bool SetPara() override {
        m_log.push_back("SetPara");
        if (m_script.setParaResult && !m_script.bindField.empty() && !rsMain()) {
            auto list = ado::Recordset::Create();
            list->Open(m_script.mainSql, pGPrint()->mCNN);
            set_rsMain(list);
        }
        return m_script.setParaResult;
    }
    bool RPTCalc() override {
        m_log.push_back("RPTCalc");
        if (m_script.calcThrows) {
            throw vb::Error(vb::kErrAdoProvider, "计算报表失败：测试插件");
        }
        Calculate();
        return true;
    }
    vb::Variant GetPara() override {
        m_log.push_back("GetPara");
        std::vector<vb::Variant> items(m_script.params.begin(), m_script.params.end());
        if (!m_script.bindField.empty() && rsMain() && !rsMain()->IsEOF() && !rsMain()->BOF()) {
            const std::string value = rsMain()->Fields(m_script.bindField).Value().AsString();
            items.emplace_back(value + "/客户:" + value);
        }
        return vb::Variant(vb::Array::FromValues(std::move(items)));
    }
    std::string SetBindField() override {
        m_log.push_back("SetBindField");
        return m_script.bindField;
    }
    bool IsAutoMove() override {
        m_log.push_back("IsAutoMove");
        return m_script.autoMove;
    }
    bool MoveFirst() override { return Move("MoveFirst"); }
    bool MoveNext() override { return Move("MoveNext"); }
    bool MovePrev() override { return Move("MovePrev"); }
    bool MoveLast() override { return Move("MoveLast"); }
    bool SetCellFormat(sheet::SheetDocument& /*cll*/) override {
        m_log.push_back("SetCellFormat");
        return m_script.acceptsTemplate;
    }
    bool IsColsChange() override {
        m_log.push_back("IsColsChange");
        return m_script.colsChange;
    }
    std::int16_t SetFixedCols() override {
        m_log.push_back("SetFixedCols");
        return m_script.fixedCols;
    }

private:
    void Calculate() {
        auto& cnn = *pGPrint()->mCNN;
        if (!m_script.bindField.empty() && rsMain() && !rsMain()->IsEOF() && !rsMain()->BOF()) {
            set_rs(cnn.Execute(m_script.rowsOfMasterSql, {rsMain()->Fields(m_script.bindField).Value()}));
        } else {
            auto rows = ado::Recordset::Create();
            rows->Open(m_script.rowsSql, pGPrint()->mCNN);
            set_rs(rows);
        }
    }
    // The plug-in's own navigation: moves its master list and recomputes, as the window expects.
    bool Move(const char* name) {
        m_log.push_back(name);
        const auto list = rsMain();
        if (!list || list->RecordCount() == 0) {
            return false;
        }
        const std::string which = name;
        if (which == "MoveFirst") {
            list->MoveFirst();
        } else if (which == "MoveLast") {
            list->MoveLast();
        } else if (which == "MoveNext") {
            list->MoveNext();
            if (list->IsEOF()) {
                list->MoveLast();
            }
        } else {
            list->MovePrevious();
            if (list->BOF()) {
                list->MoveFirst();
            }
        }
        Calculate();
        return true;
    }

    ReportScript m_script;
    std::vector<std::string>& m_log;
};

} // namespace vondrel::test
