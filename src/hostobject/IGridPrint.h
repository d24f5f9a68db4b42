// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ado {
class Connection;
class Recordset;
} // namespace ado

namespace QV_GridPrint {

// The interface a host talks to, members in their slot order. This class is also the creatable
// do-nothing implementation other components derive from: every member does nothing and returns
// nothing, false or an empty object.
class IGridPrint {
public:
    virtual ~IGridPrint() = default;

    // rsLogin get / set by reference: the login record.
    virtual std::shared_ptr<ado::Recordset> rsLogin() { return nullptr; }
    virtual void set_rsLogin(std::shared_ptr<ado::Recordset> /*value*/) {}
    // cnn get / set by reference: the host's connection.
    virtual std::shared_ptr<ado::Connection> cnn() { return nullptr; }
    virtual void set_cnn(std::shared_ptr<ado::Connection> /*value*/) {}
    // MoveBotton get / let: whether the four record-navigation buttons are enabled.
    virtual bool MoveBotton() { return false; }
    virtual void let_MoveBotton(bool /*value*/) {}
    // Shows report iType modally; false when its definition is refused.
    virtual bool ShowReport(std::int16_t /*iType*/) { return false; }
    // Builds the login record from a field list ("FUsername S20,FAcctName S40,Flogindate D,fuserid N").
    virtual bool CreateRsLogin(const std::string& /*strSQL*/) { return false; }
};

} // namespace QV_GridPrint
