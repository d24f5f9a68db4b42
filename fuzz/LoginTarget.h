// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/Recordset.h"
#include "hostobject/LoginRecord.h"
#include "vb/Error.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace QV_GridPrint::fuzz {

// The host hands CreateRsLogin any text. Either the list is refused (false, recordset closed), or the
// database layer raises its own error (a name given twice, a size out of range), or the record has
// exactly one field per item, named by the item's first word, with an editable current row that takes
// the item's text without raising anything but the language's conversion errors.
inline int FuzzLoginList(const std::uint8_t* data, std::size_t size) {
    const std::string list(reinterpret_cast<const char*>(data), size);
    ado::Recordset rs;
    bool built = false;
    try {
        built = BuildLoginRecord(rs, list);
    } catch (const vb::Error& error) {
        if (error.Description().empty()) {
            std::abort();
        }
        return 0;
    } catch (...) {
        std::abort();
    }
    if (!built) {
        if (rs.State() != ado::adStateClosed) {
            std::abort();
        }
        return 0;
    }
    std::vector<std::string> items;
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        items.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (rs.State() != ado::adStateOpen || rs.IsEOF() || rs.FieldCount() != items.size()) {
        std::abort();
    }
    for (std::size_t index = 0; index < items.size(); ++index) {
        const std::string& item = items[index];
        const std::size_t first = item.find_first_not_of(' ');
        const std::size_t space = item.find(' ', first);
        if (first == std::string::npos || space == std::string::npos) {
            std::abort(); // an item without a name and a type must have refused the list
        }
        if (rs.Fields(index).Name() != item.substr(first, space - first)) {
            std::abort();
        }
        try {
            SetLoginFieldText(rs, rs.Fields(index).Name(), item);
        } catch (const vb::Error&) {
            // The item's text is rarely a valid date or amount: a conversion error is the contract.
        } catch (...) {
            std::abort();
        }
    }
    return 0;
}

} // namespace QV_GridPrint::fuzz
