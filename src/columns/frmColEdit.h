// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ado {
class Connection;
}
namespace grid {
class GridModel;
}
namespace ui {
class Services;
}

namespace QV_GridPrint::columns {

// What the column dialog reads and writes of the report window that opened it (its frmParent): the
// grid, the host's connection, the report id, and the window's bColEdited.
struct ColEditParent {
    const grid::GridModel& vsf;
    std::shared_ptr<ado::Connection> mCNN;
    std::int16_t reportId = 0;
    bool& bColEdited;
};

// The column dialog's logic ("列属性设置"): the previous caption of the current grid column, the new
// caption and decimal places the user types, and the update of every user's rows of that column. A Qt
// dialog shows it; tests drive it directly.
class frmColEdit {
public:
    static constexpr long kMaxDecimals = 10;

    frmColEdit(ColEditParent frmParent, ui::Services& services);

    // Fills txtOldCaption from the header texts of the grid's current column; the other boxes empty.
    void Form_Load();

    std::string txtOldCaption;
    std::string txtNewCaption;
    // The decimal-places box: no value, or a whole number 0..kMaxDecimals.
    const std::optional<long>& tnCount() const { return m_tnCount; }
    // Refuses (false, value kept) a number outside 0..kMaxDecimals.
    bool set_tnCount(std::optional<long> value);

    // OK: checks the new caption (not empty; as many levels as the previous one), stores it with the
    // decimal places for every user's rows of the column and closes. A refused caption shows its message
    // and the dialog stays open; so does a failed update (its database message is shown).
    void cmdOk_Click();
    // Cancel and the close box: nothing is stored.
    void cmdCancel_Click();
    bool IsClosed() const { return m_isClosed; }

    // True when both captions have the same number of ","-separated levels (an empty caption has none).
    static bool SameLevelCount(const std::string& oldCaption, const std::string& newCaption);

private:
    ColEditParent m_parent;
    ui::Services& m_services;
    std::optional<long> m_tnCount;
    bool m_isClosed = false;
};

} // namespace QV_GridPrint::columns
