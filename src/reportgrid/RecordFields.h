// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace ado {
class Recordset;
}
namespace sheet {
class SheetDocument;
}

namespace QV_GridPrint {

// One field of a record as the report's grid shows it.
struct RecordField {
    std::string caption; // the column's header
    std::string text;    // the cell's displayed text
    friend bool operator==(const RecordField&, const RecordField&) = default;
};

// The current record of `record` laid out by the report's template `cll` (as the window applied it,
// with the user's captions): one entry per column the grid shows, left to right. The text is what the
// grid cell shows (the column's format, blanked zeros); the caption joins the column's header levels
// with "·", leaving out levels that only repeat the one above (a block merged downwards) and banners
// over every shown column (a title says nothing about one column). A template without its header
// markers raises vb::Error; `record` keeps its position.
std::vector<RecordField> RecordFields(const sheet::SheetDocument& cll, const ado::Recordset& record);

} // namespace QV_GridPrint
