// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes: the static cursor.
//  1. m_position is -1 at BOF, 0..n-1 on a record, n at EOF. An empty recordset is at BOF and EOF at
//     once whatever m_position says; every test goes through BOF()/IsEOF() for that reason.
//  2. Moving is free (an index), so clones are a pointer to the shared rows plus their own index.
//  3. Reading a field at BOF/EOF raises the no-current-record error rather than returning stale data:
//     report code that forgets an EOF test must fail loudly, not print the previous record's values.
//  4. A bookmark is the 1-based row number as a Double. It stays valid for the life of the rows,
//     which is what a clone or a record selector needs to point at the same record.
#include "ado/Recordset.h"

#include "ado/Connection.h"
#include "ado/Driver_p.h"
#include "ado/RowStore_p.h"
#include "ado/TypeConv_p.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <cmath>
#include <optional>

namespace ado {
namespace {

[[noreturn]] void ThrowNoCurrentRecord() {
    throw vb::Error(vb::kErrAdoBofEof,
                    "BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所需的操作要求一个当前的记录。");
}

// LIKE with % and * for any run, _ and ? for one byte, case-insensitive.
bool LikeMatch(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) {
        return text.empty();
    }
    const char p = pattern.front();
    if (p == '%' || p == '*') {
        for (std::size_t skip = 0; skip <= text.size(); ++skip) {
            if (LikeMatch(text.substr(skip), pattern.substr(1))) {
                return true;
            }
        }
        return false;
    }
    if (text.empty()) {
        return false;
    }
    if (p == '_' || p == '?' || vb::EqualsNoCase(text.substr(0, 1), pattern.substr(0, 1))) {
        return LikeMatch(text.substr(1), pattern.substr(1));
    }
    return false;
}

enum class FindOp { Eq, Ne, Lt, Gt, Le, Ge, Like };

struct Criterion {
    std::string field;
    FindOp op = FindOp::Eq;
    vb::Variant value; // String, Double or Date
};

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

Criterion ParseCriterion(std::string_view criteria) {
    const auto bad = [&]() {
        return vb::Error(vb::kErrInvalidCall, "Find 的查找条件无效：" + std::string(criteria));
    };
    std::string_view text = TrimSpaces(criteria);
    Criterion result;
    std::size_t opPos = text.find_first_of("=<>");
    std::size_t opEnd = opPos;
    // A LIKE operator, found as a whole word outside the value.
    std::size_t likePos = std::string_view::npos;
    for (std::size_t k = 0; k + 6 <= text.size(); ++k) {
        if (text[k] == '\'') {
            break;
        }
        if ((text[k] == ' ') && vb::EqualsNoCase(text.substr(k + 1, 4), "like") && text[k + 5] == ' ') {
            likePos = k;
            break;
        }
    }
    if (likePos != std::string_view::npos && (opPos == std::string_view::npos || likePos < opPos)) {
        result.op = FindOp::Like;
        opPos = likePos;
        opEnd = likePos + 6;
    } else if (opPos != std::string_view::npos) {
        const std::string_view rest = text.substr(opPos);
        if (rest.starts_with("<>")) {
            result.op = FindOp::Ne;
            opEnd = opPos + 2;
        } else if (rest.starts_with("<=")) {
            result.op = FindOp::Le;
            opEnd = opPos + 2;
        } else if (rest.starts_with(">=")) {
            result.op = FindOp::Ge;
            opEnd = opPos + 2;
        } else {
            result.op = rest[0] == '=' ? FindOp::Eq : (rest[0] == '<' ? FindOp::Lt : FindOp::Gt);
            opEnd = opPos + 1;
        }
    } else {
        throw bad();
    }
    std::string_view field = TrimSpaces(text.substr(0, opPos));
    if (field.size() >= 2 && field.front() == '[' && field.back() == ']') {
        field = field.substr(1, field.size() - 2);
    }
    if (field.empty()) {
        throw bad();
    }
    result.field = std::string(field);
    std::string_view value = TrimSpaces(text.substr(opEnd));
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
        std::string unquoted;
        for (std::size_t k = 1; k + 1 < value.size(); ++k) {
            if (value[k] == '\'') {
                if (value[k + 1] != '\'' || k + 2 >= value.size()) {
                    throw bad();
                }
                ++k;
            }
            unquoted.push_back(value[k]);
        }
        result.value = vb::Variant(std::move(unquoted));
    } else if (value.size() >= 2 && value.front() == '#' && value.back() == '#') {
        auto serial = detail::ParseIsoDateTime(value.substr(1, value.size() - 2));
        if (!serial) {
            throw bad();
        }
        result.value = vb::Variant(vb::Date{*serial});
    } else if (auto number = detail::ParseDecimal(value)) {
        result.value = vb::Variant(*number);
    } else {
        throw bad();
    }
    if (result.op == FindOp::Like && !result.value.IsString()) {
        throw bad();
    }
    return result;
}

bool Matches(const vb::Variant& cell, const Criterion& criterion) {
    if (cell.IsNull() || cell.IsEmpty()) {
        return false;
    }
    int order = 0;
    if (criterion.op == FindOp::Like) {
        return cell.IsString() && LikeMatch(cell.AsString(), criterion.value.AsString());
    }
    if (criterion.value.IsString()) {
        // A quoted value compares with the cell as text; numbers and dates in text form compare by value.
        if (cell.IsString()) {
            order = vb::CompareNoCase(cell.AsString(), criterion.value.AsString());
        } else if (cell.Type() == vb::VarType::Date) {
            auto serial = detail::ParseIsoDateTime(criterion.value.AsString());
            if (!serial) {
                return false;
            }
            const double d = cell.AsDate().serial;
            order = d < *serial ? -1 : (d > *serial ? 1 : 0);
        } else {
            auto number = detail::ParseDecimal(criterion.value.AsString());
            auto cellNumber = cell.NumberValue();
            if (!number || !cellNumber) {
                return false;
            }
            order = *cellNumber < *number ? -1 : (*cellNumber > *number ? 1 : 0);
        }
    } else {
        std::optional<double> cellNumber = cell.NumberValue();
        if (!cellNumber && cell.IsString()) {
            cellNumber =
                cell.Type() == vb::VarType::Date ? std::nullopt : detail::ParseDecimal(cell.AsString());
        }
        if (!cellNumber) {
            return false;
        }
        const double wanted = *criterion.value.NumberValue();
        order = *cellNumber < wanted ? -1 : (*cellNumber > wanted ? 1 : 0);
    }
    switch (criterion.op) {
    case FindOp::Eq:
        return order == 0;
    case FindOp::Ne:
        return order != 0;
    case FindOp::Lt:
        return order < 0;
    case FindOp::Gt:
        return order > 0;
    case FindOp::Le:
        return order <= 0;
    case FindOp::Ge:
        return order >= 0;
    case FindOp::Like:
        break;
    }
    return false;
}

// GetRows hands out the shared rows themselves; cells become Variants only when read.
class RowsView final : public vb::ArraySource {
public:
    RowsView(std::shared_ptr<const detail::RowStore> rows, std::vector<std::size_t> columns,
             std::size_t firstRow)
        : m_rows(std::move(rows)), m_columns(std::move(columns)), m_firstRow(firstRow) {}
    vb::Variant Get(std::size_t index0, std::size_t index1) const override {
        return m_rows->Value(m_columns[index0], m_firstRow + index1);
    }
    vb::CellPeek Peek(std::size_t index0, std::size_t index1) const override {
        return m_rows->Peek(m_columns[index0], m_firstRow + index1);
    }
    void PeekRun(std::size_t index0, std::size_t index1, std::size_t count,
                 vb::CellPeek* out) const override {
        m_rows->PeekRun(m_columns[index0], m_firstRow + index1, count, out);
    }
    void GetRun(std::size_t index0, std::size_t index1, std::size_t count, vb::Variant* out) const override {
        m_rows->ValueRun(m_columns[index0], m_firstRow + index1, count, out);
    }
    bool HoldsNoStrings(std::size_t index0) const override {
        const detail::Storage storage = m_rows->ColumnAt(m_columns[index0]).storage();
        return storage == detail::Storage::Int || storage == detail::Storage::Real;
    }

private:
    std::shared_ptr<const detail::RowStore> m_rows;
    std::vector<std::size_t> m_columns;
    std::size_t m_firstRow;
};

} // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::RequireOpen() const {
    if (!m_isOpen) {
        throw vb::Error(vb::kErrAdoClosed, "对象关闭时，不允许操作。");
    }
}

void Recordset::Open(const std::string& source, const std::shared_ptr<Connection>& activeConnection,
                     CursorTypeEnum cursorType, LockTypeEnum lockType) {
    if (m_isOpen) {
        throw vb::Error(vb::kErrAdoNotAllowed, "对象打开时，不允许操作。");
    }
    if (!activeConnection) {
        throw vb::Error(vb::kErrObjectRequired, "打开记录集需要一个连接对象。");
    }
    detail::StatementResult result = activeConnection->DriverRef().Run(source, {});
    if (!result.store) {
        // A statement without rows leaves the recordset closed, as the platform does.
        return;
    }
    m_cursorType = cursorType == adOpenUnspecified ? adOpenStatic : cursorType;
    m_lockType = lockType == adLockUnspecified ? adLockReadOnly : lockType;
    AttachRows(std::move(result.store), source);
}

void Recordset::AttachRows(std::shared_ptr<detail::RowStore> rows, std::string source) {
    m_rows = std::move(rows);
    m_source = std::move(source);
    m_isOpen = true;
    m_isDisconnected = false;
    m_editMode = adEditNone;
    ResetPosition();
}

void Recordset::AppendField(const std::string& name, DataTypeEnum type, long definedSize, long attributes) {
    if (m_isOpen) {
        throw vb::Error(vb::kErrAdoNotAllowed, "对象打开时，不允许追加字段。");
    }
    for (const detail::FieldInfo& field : m_pendingFields) {
        if (vb::EqualsNoCase(field.name, name)) {
            throw vb::Error(vb::kErrAdoNotAllowed, "字段已存在：" + name);
        }
    }
    if (name.empty()) {
        throw vb::Error(vb::kErrInvalidCall, "字段名不能为空。");
    }
    detail::FieldInfo info;
    info.name = name;
    info.type = type;
    info.definedSize = definedSize;
    info.attributes = attributes;
    m_pendingFields.push_back(std::move(info));
}

void Recordset::Open() {
    if (m_isOpen) {
        throw vb::Error(vb::kErrAdoNotAllowed, "对象打开时，不允许操作。");
    }
    if (m_pendingFields.empty()) {
        throw vb::Error(vb::kErrAdoNotAllowed, "记录集没有字段，无法打开。");
    }
    std::vector<detail::Storage> storages(m_pendingFields.size(), detail::Storage::Variant);
    auto rows = std::make_shared<detail::RowStore>(m_pendingFields, std::move(storages));
    AttachRows(std::move(rows), {});
    m_isDisconnected = true;
    m_cursorType = adOpenStatic;
    m_lockType = adLockBatchOptimistic;
}

void Recordset::Close() {
    RequireOpen();
    m_rows.reset();
    m_isOpen = false;
    m_position = -1;
    m_editMode = adEditNone;
}

ObjectStateEnum Recordset::State() const noexcept {
    return m_isOpen ? adStateOpen : adStateClosed;
}

void Recordset::ResetPosition() {
    m_position = m_rows->RowCount() == 0 ? -1 : 0;
}

long Recordset::RecordCount() const {
    RequireOpen();
    return static_cast<long>(m_rows->RowCount());
}

bool Recordset::BOF() const {
    RequireOpen();
    return m_rows->RowCount() == 0 || m_position < 0;
}

bool Recordset::IsEOF() const {
    RequireOpen();
    return m_rows->RowCount() == 0 || m_position >= static_cast<long>(m_rows->RowCount());
}

long Recordset::AbsolutePosition() const {
    if (BOF()) {
        return -2; // adPosBOF
    }
    if (IsEOF()) {
        return -3; // adPosEOF
    }
    return m_position + 1;
}

std::size_t Recordset::CurrentRow() const {
    if (BOF() || IsEOF()) {
        ThrowNoCurrentRecord();
    }
    return static_cast<std::size_t>(m_position);
}

void Recordset::MoveFirst() {
    RequireOpen();
    m_position = m_rows->RowCount() == 0 ? -1 : 0;
}

void Recordset::MoveLast() {
    RequireOpen();
    m_position = static_cast<long>(m_rows->RowCount()) - 1;
}

void Recordset::MoveNext() {
    if (IsEOF()) {
        ThrowNoCurrentRecord();
    }
    ++m_position;
}

void Recordset::MovePrevious() {
    if (BOF()) {
        ThrowNoCurrentRecord();
    }
    --m_position;
}

void Recordset::Move(long numRecords, BookmarkEnum start) {
    RequireOpen();
    const long count = static_cast<long>(m_rows->RowCount());
    long origin = m_position;
    if (start == adBookmarkFirst) {
        origin = 0;
    } else if (start == adBookmarkLast) {
        origin = count - 1;
    } else if ((numRecords > 0 && IsEOF()) || (numRecords < 0 && BOF())) {
        ThrowNoCurrentRecord();
    }
    if (count == 0) {
        if (numRecords != 0) {
            ThrowNoCurrentRecord();
        }
        return;
    }
    const long target = origin + numRecords;
    m_position = target < 0 ? -1 : (target >= count ? count : target);
}

vb::Variant Recordset::Bookmark() const {
    return vb::Variant(static_cast<double>(CurrentRow() + 1));
}

void Recordset::SetBookmark(const vb::Variant& bookmark) {
    RequireOpen();
    const std::optional<double> number = bookmark.NumberValue();
    if (!number || *number != std::trunc(*number) || *number < 1 ||
        *number > static_cast<double>(m_rows->RowCount())) {
        throw vb::Error(vb::kErrInvalidCall, "书签无效。");
    }
    m_position = static_cast<long>(*number) - 1;
}

void Recordset::Find(const std::string& criteria, long skipRecords, SearchDirectionEnum direction,
                     const vb::Variant& start) {
    RequireOpen();
    const Criterion criterion = ParseCriterion(criteria);
    const long col = m_rows->FindField(criterion.field);
    if (col < 0) {
        throw vb::Error(vb::kErrAdoNotFound, "在对应所需名称或序数的集合中，未找到项目：" + criterion.field);
    }
    const long count = static_cast<long>(m_rows->RowCount());
    long row = m_position;
    if (!start.IsEmpty()) {
        SetBookmark(start);
        row = m_position;
    } else if ((direction == adSearchForward && IsEOF()) || (direction == adSearchBackward && BOF())) {
        ThrowNoCurrentRecord();
    }
    const long step = direction == adSearchBackward ? -1 : 1;
    for (row += step * skipRecords; row >= 0 && row < count; row += step) {
        if (Matches(m_rows->Value(static_cast<std::size_t>(col), static_cast<std::size_t>(row)), criterion)) {
            m_position = row;
            return;
        }
    }
    m_position = direction == adSearchBackward ? -1 : count;
}

std::size_t Recordset::FieldCount() const {
    RequireOpen();
    return m_rows->FieldCount();
}

Field Recordset::Fields(std::size_t index) const {
    RequireOpen();
    if (index >= m_rows->FieldCount()) {
        throw vb::Error(vb::kErrAdoNotFound,
                        "在对应所需名称或序数的集合中，未找到项目：" + std::to_string(index));
    }
    return Field(this, index);
}

Field Recordset::Fields(const std::string& name) const {
    RequireOpen();
    const long index = m_rows->FindField(name);
    if (index < 0) {
        throw vb::Error(vb::kErrAdoNotFound, "在对应所需名称或序数的集合中，未找到项目：" + name);
    }
    return Field(this, static_cast<std::size_t>(index));
}

bool Recordset::HasField(const std::string& name) const {
    return m_isOpen && m_rows->FindField(name) >= 0;
}

std::size_t Recordset::ResolveField(const vb::Variant& field) const {
    if (field.IsString()) {
        return Fields(field.AsString()).Index();
    }
    const std::optional<double> number = field.NumberValue();
    if (!number || *number < 0 || *number != std::trunc(*number)) {
        throw vb::Error(vb::kErrTypeMismatch, "字段列表中的项目既不是字段名也不是字段序号。");
    }
    return Fields(static_cast<std::size_t>(*number)).Index();
}

vb::Variant Recordset::GetRows(long rows, const vb::Variant& start, const vb::Variant& fields) {
    RequireOpen();
    if (!start.IsEmpty()) {
        SetBookmark(start);
    }
    const std::size_t first = CurrentRow();
    std::vector<std::size_t> columns;
    if (fields.IsEmpty()) {
        for (std::size_t col = 0; col < m_rows->FieldCount(); ++col) {
            columns.push_back(col);
        }
    } else if (fields.IsArray()) {
        const vb::Array& list = *fields.AsArray();
        if (list.Dims() != 1) {
            throw vb::Error(vb::kErrTypeMismatch, "字段列表必须是一维数组。");
        }
        for (long k = list.LBound(); k <= list.UBound(); ++k) {
            columns.push_back(ResolveField(list.Get(k)));
        }
    } else {
        columns.push_back(ResolveField(fields));
    }
    const std::size_t available = m_rows->RowCount() - first;
    const std::size_t taken = rows < 0 ? available : std::min(available, static_cast<std::size_t>(rows));
    auto view = std::make_shared<RowsView>(m_rows, columns, first);
    m_position = static_cast<long>(first + taken);
    // Disconnected rows can still change; a view of them would show later edits, so copy those.
    auto array = vb::Array::View(std::move(view), columns.size(), taken);
    return vb::Variant(m_isDisconnected ? array->Copy() : array);
}

std::shared_ptr<Recordset> Recordset::Clone(LockTypeEnum lockType) const {
    RequireOpen();
    auto clone = std::make_shared<Recordset>();
    clone->m_rows = m_rows;
    clone->m_source = m_source;
    clone->m_isOpen = true;
    clone->m_isDisconnected = m_isDisconnected;
    clone->m_cursorType = m_cursorType;
    clone->m_lockType = lockType == adLockUnspecified ? m_lockType : lockType;
    clone->ResetPosition();
    return clone;
}

void Recordset::AddNew() {
    RequireOpen();
    if (!m_isDisconnected) {
        throw vb::Error(vb::kErrAdoNotAllowed, "记录集是只读的，不能添加新记录。");
    }
    m_rows->AddEmptyRow();
    m_position = static_cast<long>(m_rows->RowCount()) - 1;
    m_editMode = adEditAdd;
}

std::size_t Recordset::RowMemoryBytes() const {
    return m_rows ? m_rows->MemoryBytes() : 0;
}

// ---- Field ----

const std::string& Field::Name() const {
    m_rs->RequireOpen();
    return m_rs->m_rows->Info(m_index).name;
}

DataTypeEnum Field::Type() const {
    m_rs->RequireOpen();
    return m_rs->m_rows->Info(m_index).type;
}

long Field::DefinedSize() const {
    m_rs->RequireOpen();
    return m_rs->m_rows->Info(m_index).definedSize;
}

int Field::Precision() const {
    m_rs->RequireOpen();
    return m_rs->m_rows->Info(m_index).precision;
}

int Field::NumericScale() const {
    m_rs->RequireOpen();
    return m_rs->m_rows->Info(m_index).numericScale;
}

long Field::Attributes() const {
    m_rs->RequireOpen();
    return m_rs->m_rows->Info(m_index).attributes;
}

vb::Variant Field::Value() const {
    return m_rs->m_rows->Value(m_index, m_rs->CurrentRow());
}

void Field::SetValue(const vb::Variant& value) const {
    const std::size_t row = m_rs->CurrentRow();
    if (!m_rs->m_isDisconnected) {
        throw vb::Error(vb::kErrAdoNotAllowed, "记录集是只读的，不能修改字段值。");
    }
    m_rs->m_rows->SetValue(m_index, row, value);
}

} // namespace ado
