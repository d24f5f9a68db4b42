// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "plugin/ParameterForm.h"

#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <cmath>
#include <limits>

namespace QV_GridPrint {
namespace {

std::string Quoted(const std::string& caption) {
    std::string text = "“";
    text += caption;
    text += "”";
    return text;
}

std::string Trimmed(const std::string& text) {
    return vb::Trim(text);
}

// Whole numbers as the user writes them: digits with an optional sign and thousands separators.
std::optional<std::int32_t> ParseWhole(const std::string& text) {
    const std::optional<double> number = vb::TryParseNumber(text);
    if (!number || *number != std::floor(*number) || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*number);
}

} // namespace

std::optional<ParaType> ParseParaType(const std::string& text) {
    const std::string name = vb::LCase(vb::Trim(text));
    if (name == "date") {
        return ParaType::Date;
    }
    if (name == "int") {
        return ParaType::Int;
    }
    if (name == "decimal") {
        return ParaType::Decimal;
    }
    if (name == "text") {
        return ParaType::Text;
    }
    if (name == "list") {
        return ParaType::List;
    }
    return std::nullopt;
}

std::string ItemText(const vb::Variant& value) {
    if (value.IsNull() || value.IsEmpty()) {
        return {};
    }
    if (value.Type() == vb::VarType::Date) {
        return vb::FormatDate(value.AsDate());
    }
    if (value.IsNumberType()) {
        return vb::NumberText(vb::CDbl(value));
    }
    return vb::CStr(value);
}

std::string ParameterForm::DefaultText(const ParameterField& field,
                                       const std::optional<std::string>& qdefault, vb::Date today) {
    const std::string written = qdefault ? Trimmed(*qdefault) : std::string();
    if (field.type == ParaType::Date) {
        const std::string key = vb::LCase(written);
        if (key == "today") {
            return vb::FormatDate(today);
        }
        if (key == "month-start") {
            return vb::FormatDate(vb::Date{vb::DateSerial(vb::Year(today), vb::Month(today), 1)});
        }
    }
    if (field.type == ParaType::List && written.empty() && !field.items.empty()) {
        return ItemText(field.items.front().value);
    }
    return written;
}

ParameterField* ParameterForm::Find(const std::string& name) {
    const std::string key = vb::LCase(vb::Trim(name));
    for (ParameterField& field : fields) {
        if (field.name == key) {
            return &field;
        }
    }
    return nullptr;
}

const ListItem* ParameterForm::SelectedItem(std::size_t index) const {
    const ParameterField& field = fields.at(index);
    const std::string text = Trimmed(field.text);
    for (const ListItem& item : field.items) {
        if (ItemText(item.value) == text) {
            return &item;
        }
    }
    // A batch caller may name the entry by what the list shows rather than by its value.
    for (const ListItem& item : field.items) {
        if (item.text == text) {
            return &item;
        }
    }
    return nullptr;
}

std::optional<ParameterProblem> ParameterForm::Validate() const {
    for (std::size_t index = 0; index < fields.size(); ++index) {
        const ParameterField& field = fields[index];
        const std::string text = Trimmed(field.text);
        const auto problem = [&](std::string message) {
            return std::optional<ParameterProblem>(ParameterProblem{index, std::move(message)});
        };
        switch (field.type) {
        case ParaType::Date:
            if (text.empty()) {
                return problem("请输入" + Quoted(field.caption) + "。");
            }
            if (const auto date = vb::TryParseDate(text); !date || date->serial != std::floor(date->serial)) {
                return problem(Quoted(field.caption) +
                               "不是有效的日期，请按“年-月-日”输入，例如 2024-03-01。");
            }
            break;
        case ParaType::Int:
            if (text.empty()) {
                return problem("请输入" + Quoted(field.caption) + "。");
            }
            if (!ParseWhole(text)) {
                return problem(Quoted(field.caption) + "必须是整数。");
            }
            break;
        case ParaType::Decimal:
            if (text.empty()) {
                return problem("请输入" + Quoted(field.caption) + "。");
            }
            if (!vb::TryParseNumber(text)) {
                return problem(Quoted(field.caption) + "必须是数字。");
            }
            break;
        case ParaType::Text:
            // The parameter item is value "/" text: a "/" in the value would move the split.
            if (field.text.find('/') != std::string::npos) {
                return problem(Quoted(field.caption) + "不能包含“/”。");
            }
            break;
        case ParaType::List:
            if (field.items.empty()) {
                return problem(Quoted(field.caption) + "的选择列表是空的，请检查它的列表查询。");
            }
            if (!SelectedItem(index)) {
                return problem("请从列表中选择" + Quoted(field.caption) + "。");
            }
            if (ItemText(SelectedItem(index)->value).find('/') != std::string::npos) {
                return problem(Quoted(field.caption) + "的值不能包含“/”。");
            }
            break;
        }
    }
    return std::nullopt;
}

vb::Variant ParameterForm::BoundValue(std::size_t index) const {
    const ParameterField& field = fields.at(index);
    const std::string text = Trimmed(field.text);
    switch (field.type) {
    case ParaType::Date:
        if (const auto date = vb::TryParseDate(text)) {
            return vb::Variant(vb::FormatDate(*date));
        }
        break;
    case ParaType::Int:
        if (const auto whole = ParseWhole(text)) {
            return vb::Variant::Long(*whole);
        }
        break;
    case ParaType::Decimal:
        if (const auto number = vb::TryParseNumber(text)) {
            return vb::Variant(*number);
        }
        break;
    case ParaType::Text:
        return vb::Variant(field.text);
    case ParaType::List:
        if (const ListItem* item = SelectedItem(index)) {
            return item->value;
        }
        break;
    }
    throw vb::Error(vb::kErrTypeMismatch, Quoted(field.caption) + "的值无效：" + field.text);
}

std::string ParameterForm::ValueText(std::size_t index) const {
    return ItemText(BoundValue(index));
}

std::string ParameterForm::DisplayText(std::size_t index) const {
    const ParameterField& field = fields.at(index);
    // The window splits an item at its first "/" only, so the text keeps its own "/" as typed.
    return field.type == ParaType::List ? SelectedItem(index)->text : ValueText(index);
}

} // namespace QV_GridPrint
