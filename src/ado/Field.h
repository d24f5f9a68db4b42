// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "vb/Variant.h"

#include <cstddef>
#include <string>

namespace ado {

class Recordset;

// A handle on one field of a recordset's current record. Cheap to copy; valid while the recordset lives.
class Field {
public:
    Field(const Recordset* recordset, std::size_t index) : m_rs(recordset), m_index(index) {}

    const std::string& Name() const;
    DataTypeEnum Type() const;
    long DefinedSize() const;
    int Precision() const;
    int NumericScale() const;
    long Attributes() const;
    std::size_t Index() const noexcept { return m_index; }

    // The current record's value: Null for SQL NULL. Throws the no-current-record error at BOF/EOF.
    vb::Variant Value() const;
    // Writes the current record's value. Only disconnected recordsets (Fields.Append + Open) accept
    // writes; others raise the not-allowed error, as a read-only cursor does.
    void SetValue(const vb::Variant& value) const;

private:
    const Recordset* m_rs;
    std::size_t m_index;
};

} // namespace ado
