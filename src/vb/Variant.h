// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace vb {

// Sub-types of a Variant, numbered as the platform's VarType() numbers them.
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2, // 16-bit
    Long = 3,    // 32-bit
    Single = 4,
    Double = 5,
    Currency = 6, // fixed point, four decimals
    Date = 7,     // days since 1899-12-30, time as the fraction
    String = 8,
    Object = 9,
    Boolean = 11,
    Array = 8192,
};

// Fixed-point money: the value times 10,000, as the platform keeps it.
struct Currency {
    std::int64_t scaled = 0;
    friend bool operator==(Currency, Currency) = default;
};

// A point in time as the platform's Date: whole days since 1899-12-30, the fraction is the time of day.
struct Date {
    double serial = 0;
    friend bool operator==(Date, Date) = default;
};

// Base of every object a Variant can refer to (recordsets, plug-ins, controls).
class Object {
public:
    virtual ~Object() = default;
};

class Array;

// A tagged value with the platform's sub-types. Copies are cheap for numbers; strings are copied,
// objects and arrays are shared references (as object and array assignment shares on the platform
// only for objects; Array copies are explicit through Array::Copy).
class Variant {
public:
    Variant() = default;
    Variant(int value) : m_v(std::int32_t{value}) {}
    Variant(double value) : m_v(value) {}
    Variant(bool value) : m_v(value) {}
    Variant(const char* value) : m_v(std::string(value)) {}
    Variant(std::string value) : m_v(std::move(value)) {}
    Variant(std::string_view value) : m_v(std::string(value)) {}
    Variant(Currency value) : m_v(value) {}
    Variant(Date value) : m_v(value) {}
    Variant(std::shared_ptr<Object> value) : m_v(std::move(value)) {}
    Variant(std::shared_ptr<Array> value) : m_v(std::move(value)) {}

    static Variant Null();
    static Variant Integer(std::int16_t value);
    static Variant Long(std::int32_t value);
    static Variant Single(float value);

    VarType Type() const noexcept;
    bool IsEmpty() const noexcept { return m_v.index() == 0; }
    bool IsNull() const noexcept { return m_v.index() == 1; }
    bool IsString() const noexcept { return std::holds_alternative<std::string>(m_v); }
    bool IsArray() const noexcept { return std::holds_alternative<std::shared_ptr<Array>>(m_v); }
    bool IsObject() const noexcept { return std::holds_alternative<std::shared_ptr<Object>>(m_v); }
    // True for Integer, Long, Single, Double, Currency (the sub-types arithmetic works on directly).
    bool IsNumberType() const noexcept;

    // Exact accessors: throw vb::Error type mismatch when the sub-type differs. Conversions live in
    // Conversion.h.
    std::int16_t AsInteger() const;
    std::int32_t AsLong() const;
    float AsSingle() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    Date AsDate() const;
    bool AsBoolean() const;
    const std::string& AsString() const;
    const std::shared_ptr<Object>& AsObject() const;
    const std::shared_ptr<Array>& AsArray() const;

    // Numeric value of a number, Date, or Boolean (True = -1) sub-type; nullopt for the rest.
    // Strings are not parsed here (see CDbl).
    std::optional<double> NumberValue() const noexcept;

    // Same sub-type and same value (strings compared binary). Null equals Null here, unlike the language's =.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) = default;
    };
    using Storage = std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, float, double, Currency,
                                 Date, std::string, bool, std::shared_ptr<Object>, std::shared_ptr<Array>>;
    explicit Variant(Storage v) : m_v(std::move(v)) {}
    Storage m_v;
};

} // namespace vb
