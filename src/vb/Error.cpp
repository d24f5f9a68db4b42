// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Error.h"

#include <utility>

namespace vb {

// what() carries the description too, so an Error that escapes to a generic handler still says
// something a user can act on.
Error::Error(long number, std::string description, std::string source)
    : std::runtime_error(description), m_number(number), m_description(std::move(description)),
      m_source(std::move(source)) {}

void RaiseInvalidCall() {
    throw Error(kErrInvalidCall, "无效的过程调用或参数");
}
void RaiseOverflow() {
    throw Error(kErrOverflow, "溢出");
}
void RaiseSubscript() {
    throw Error(kErrSubscript, "下标越界");
}
void RaiseTypeMismatch() {
    throw Error(kErrTypeMismatch, "类型不匹配");
}
void RaiseInvalidUseOfNull() {
    throw Error(kErrInvalidUseOfNull, "无效使用 Null");
}

} // namespace vb
