// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace ado {
class Recordset;
}

namespace QV_GridPrint {

// Builds a login record on `rs` (which must be closed) from a field list: items separated by ",",
// each "name type" (one or more spaces between). Only the type's first letter counts, in any case:
//   N currency, B Boolean, D date, S string of the size that follows ("S20"; the number is rounded to a
//   16-bit integer, halves to even; "S" alone is size 0), anything else a string of size 50.
// On success rs is open with one empty current row in edit state. A blank list, or an item without a
// space (an empty item too), gives false; fields appended before that item stay appended and rs stays
// closed. Database-layer errors (a field named twice, a size that overflows) are raised.
bool BuildLoginRecord(ado::Recordset& rs, std::string_view fieldList);

// Writes a value given as text (a command line, a host in another language) into a field of the login
// record's current row, converted to the field's type: currency and date fields take numbers and dates
// in text, Boolean fields True/False or numbers. Unknown fields and unconvertible text raise errors.
void SetLoginFieldText(ado::Recordset& rs, const std::string& name, const std::string& text);

} // namespace QV_GridPrint
