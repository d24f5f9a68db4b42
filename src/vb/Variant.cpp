// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Variant.h"

#include "vb/Error.h"

#include <array>

namespace vb {

namespace {

// Indexed by Storage's alternative order; keep the two in step when an alternative is added.
constexpr std::array<VarType, 12> kTypeOfIndex = {
    VarType::Empty,    VarType::Null, VarType::Integer, VarType::Long,    VarType::Single, VarType::Double,
    VarType::Currency, VarType::Date, VarType::String,  VarType::Boolean, VarType::Object, VarType::Array,
};

template <typename T, typename Storage> const T& Exact(const Storage& storage) {
    const T* value = std::get_if<T>(&storage);
    if (value == nullptr) {
        RaiseTypeMismatch();
    }
    return *value;
}

} // namespace

Variant Variant::Null() {
    return Variant(Storage(NullTag{}));
}
Variant Variant::Integer(std::int16_t value) {
    return Variant(Storage(value));
}
Variant Variant::Long(std::int32_t value) {
    return Variant(Storage(value));
}
Variant Variant::Single(float value) {
    return Variant(Storage(value));
}

VarType Variant::Type() const noexcept {
    return kTypeOfIndex[m_v.index()];
}

bool Variant::IsNumberType() const noexcept {
    switch (Type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
        return true;
    default:
        return false;
    }
}

std::int16_t Variant::AsInteger() const {
    return Exact<std::int16_t>(m_v);
}
std::int32_t Variant::AsLong() const {
    return Exact<std::int32_t>(m_v);
}
float Variant::AsSingle() const {
    return Exact<float>(m_v);
}
double Variant::AsDouble() const {
    return Exact<double>(m_v);
}
Currency Variant::AsCurrency() const {
    return Exact<Currency>(m_v);
}
Date Variant::AsDate() const {
    return Exact<Date>(m_v);
}
bool Variant::AsBoolean() const {
    return Exact<bool>(m_v);
}
const std::string& Variant::AsString() const {
    return Exact<std::string>(m_v);
}
const std::shared_ptr<Object>& Variant::AsObject() const {
    return Exact<std::shared_ptr<Object>>(m_v);
}
const std::shared_ptr<Array>& Variant::AsArray() const {
    return Exact<std::shared_ptr<Array>>(m_v);
}

std::optional<double> Variant::NumberValue() const noexcept {
    switch (Type()) {
    case VarType::Integer:
        return std::get<std::int16_t>(m_v);
    case VarType::Long:
        return std::get<std::int32_t>(m_v);
    case VarType::Single:
        return std::get<float>(m_v);
    case VarType::Double:
        return std::get<double>(m_v);
    case VarType::Currency:
        return static_cast<double>(std::get<Currency>(m_v).scaled) / 10000.0;
    case VarType::Date:
        return std::get<Date>(m_v).serial;
    case VarType::Boolean:
        // True is all bits set in the platform's 16-bit Boolean, hence -1.
        return std::get<bool>(m_v) ? -1.0 : 0.0;
    default:
        return std::nullopt;
    }
}

bool operator==(const Variant& a, const Variant& b) {
    return a.m_v == b.m_v;
}

} // namespace vb
