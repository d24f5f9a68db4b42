// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <optional>
#include <string>
#include <vector>

namespace QV_GridPrint {

enum class ParaType { Date, Int, Decimal, Text, List };

// "date", "int", "decimal", "text", "list" (any case, blanks around ignored); nullopt otherwise.
std::optional<ParaType> ParseParaType(const std::string& text);

// One entry of a list parameter: the value bound to the query and the text the user picks.
struct ListItem {
    vb::Variant value;
    std::string text;
};

// One parameter as the dialog edits it. `text` is what the user typed or picked (for a list: the
// item's value as text); it only becomes a bound value through the form's validation.
struct ParameterField {
    std::string name; // lower case, the query's :name
    std::string caption;
    ParaType type = ParaType::Text;
    std::string text;
    std::vector<ListItem> items; // list parameters only
};

// A validation problem: the field it concerns and a message for the user.
struct ParameterProblem {
    std::size_t field = 0;
    std::string message;
};

// The parameter dialog without its widgets: the fields in qorder order, their validation and the values
// bound to the query. A dialog (or a batch caller) sets texts, asks Validate() and shows its message.
class ParameterForm {
public:
    std::vector<ParameterField> fields;

    // The text a default gives: "today" and "month-start" for dates (from `today`), any other text as
    // written; for a list without default, its first item. An empty or NULL default gives "".
    static std::string DefaultText(const ParameterField& field, const std::optional<std::string>& qdefault,
                                   vb::Date today);

    ParameterField* Find(const std::string& name);
    // The first field whose text is not acceptable, in field order; nullopt when all are.
    std::optional<ParameterProblem> Validate() const;
    // The value bound to the query for field i: a date as "yyyy-mm-dd" text (both databases compare
    // their date columns with it), a Long, a Double, a String, or the list item's own value. Only meaningful
    // after Validate() found no problem (throws vb::Error otherwise).
    vb::Variant BoundValue(std::size_t index) const;
    // The value part and the display text of field i's parameter item: "2024-03-01", "3" / "华东".
    std::string ValueText(std::size_t index) const;
    std::string DisplayText(std::size_t index) const;
    // The list item a list field's text selects, or nullptr.
    const ListItem* SelectedItem(std::size_t index) const;
};

// Text of a value as it appears in a parameter item and in list comparisons: dates "yyyy-mm-dd",
// numbers in plain decimal, Null as "".
std::string ItemText(const vb::Variant& value);

} // namespace QV_GridPrint
