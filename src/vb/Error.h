// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace vb {

// Error numbers the callers test for; the values are the platform's own so that messages and logs
// read the same as users know them.
enum ErrorNumber : long {
    kErrInvalidCall = 5,          // invalid procedure call or argument
    kErrOverflow = 6,             // value does not fit the target type
    kErrSubscript = 9,            // array index outside its bounds
    kErrTypeMismatch = 13,        // value cannot be converted
    kErrInvalidUseOfNull = 94,    // Null given where a value is required
    kErrObjectRequired = 424,     // an object reference was Nothing
    kErrAdoBofEof = 3021,         // no current record
    kErrAdoNotFound = 3265,       // no item of that name or ordinal
    kErrAdoClosed = 3704,         // operation on a closed object
    kErrAdoNotAllowed = 3219,     // operation not allowed in this context
    kErrAdoProvider = -2147467259 // the database reported a failure (E_FAIL); its text is in the description
};

// The one exception type of the value and database layers. Description is user-facing Chinese text;
// a database's own message is kept inside it, never replaced.
class Error : public std::runtime_error {
public:
    Error(long number, std::string description, std::string source = {});

    long Number() const noexcept { return m_number; }
    const std::string& Description() const noexcept { return m_description; }
    const std::string& Source() const noexcept { return m_source; }

private:
    long m_number;
    std::string m_description;
    std::string m_source;
};

// The platform's standard failures with the descriptions users know; every layer raises these rather
// than composing its own text, so one message means one cause everywhere.
[[noreturn]] void RaiseInvalidCall();      // 5 无效的过程调用或参数
[[noreturn]] void RaiseOverflow();         // 6 溢出
[[noreturn]] void RaiseSubscript();        // 9 下标越界
[[noreturn]] void RaiseTypeMismatch();     // 13 类型不匹配
[[noreturn]] void RaiseInvalidUseOfNull(); // 94 无效使用 Null

// One step of a block whose failures are skipped: a failing step keeps what it changed before it
// failed, and the block goes on with the next step. Only for steps whose failure the block may
// ignore by design; everything else reports or raises.
template <class F> void SkipOnError(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace vb
