// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ado {
class Recordset;
}
namespace sheet {
class SheetDocument;
}

namespace QV_GridPrint {

class clsGridPrint;

// The contract of a report's data-generation plug-in, members in their slot order. This class is also
// the creatable do-nothing implementation: its methods do nothing and return false, "" , 0 or no
// array, and its three properties only hold what is set. Plug-ins derive from it and override what
// they provide; the report window calls the members in the order and at the times its data retrieval
// fixes (parameters, bind field, calculation, rows, navigation, template adjustment).
class IReport {
public:
    virtual ~IReport() = default;

    // 1. The host object; set by the window after IsColsChange and SetFixedCols were asked.
    virtual clsGridPrint* pGPrint() { return m_pGPrint; }
    virtual void set_pGPrint(clsGridPrint* value) { m_pGPrint = value; }
    // 2. The report's rows.
    virtual std::shared_ptr<ado::Recordset> rs() { return m_rs; }
    virtual void set_rs(std::shared_ptr<ado::Recordset> value) { m_rs = std::move(value); }
    // 3. The master list (when the report has a bind field).
    virtual std::shared_ptr<ado::Recordset> rsMain() { return m_rsMain; }
    virtual void set_rsMain(std::shared_ptr<ado::Recordset> value) { m_rsMain = std::move(value); }

    // 4. Lets the user enter the parameters; false = cancelled.
    virtual bool SetPara() { return false; }
    // 5. Computes the rows into rs for the current parameters (and master record).
    virtual bool RPTCalc() { return false; }
    // 6. The parameters: a 0-based array of "value/text" strings; Empty = no array.
    virtual vb::Variant GetPara() { return {}; }
    // 7. The master list's key field, or "" when the report has none.
    virtual std::string SetBindField() { return {}; }
    // 8. True: navigation moves through rsMain and the window recomputes; false: the Move methods below.
    virtual bool IsAutoMove() { return false; }
    // 9-12. Move to the first, next, previous or last master record and recompute rs and parameters.
    virtual bool MoveFirst() { return false; }
    virtual bool MoveNext() { return false; }
    virtual bool MovePrev() { return false; }
    virtual bool MoveLast() { return false; }
    // 13. Shows the source document of the current data row.
    virtual bool ShowBill() { return false; }
    // 14. True when the report's columns vary with the data (the template is reloaded on every fetch).
    virtual bool IsColsChange() { return false; }
    // 15. May adjust a freshly loaded template (e.g. add variable columns); false = refused.
    virtual bool SetCellFormat(sheet::SheetDocument& /*cll*/) { return false; }
    // 16. Number of left columns repeated on every printed page.
    virtual std::int16_t SetFixedCols() { return 0; }

private:
    clsGridPrint* m_pGPrint = nullptr;
    std::shared_ptr<ado::Recordset> m_rs;
    std::shared_ptr<ado::Recordset> m_rsMain;
};

} // namespace QV_GridPrint
