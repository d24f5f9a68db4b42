// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Lets GridModel::SetDataBinding take a recordset: pass RecordsetRows as the binder. Header only, so
// the grid library itself never links the database layer: the code that binds a recordset includes
// this header (and links Vondrel::ado).

#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"

#include <optional>

namespace grid {

// The recordset's rows from the first record, read through a clone so the caller's record stays put.
// The array shares the recordset's rows; nothing is copied per cell.
inline std::optional<BoundRows> RecordsetRows(const vb::Object& object) {
    const auto* recordset = dynamic_cast<const ado::Recordset*>(&object);
    if (!recordset) {
        return std::nullopt;
    }
    const std::shared_ptr<ado::Recordset> clone = recordset->Clone();
    BoundRows bound;
    for (std::size_t index = 0; index < clone->FieldCount(); ++index) {
        bound.fieldNames.push_back(clone->Fields(index).Name());
    }
    if (clone->RecordCount() > 0) {
        clone->MoveFirst();
        bound.rows = clone->GetRows().AsArray();
    } else {
        bound.rows = std::make_shared<vb::Array>(
            std::vector<vb::Array::Bound>{{0, static_cast<long>(clone->FieldCount()) - 1}, {0, -1}});
    }
    return bound;
}

} // namespace grid
