// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "ado/Field.h"
#include "vb/Array.h"
#include "vb/Variant.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ado {

class Connection;
namespace detail {
class RowStore;
struct FieldInfo;
} // namespace detail

// A static, read-only cursor over rows read once from the database, or a disconnected recordset
// built with AppendField + Open() + AddNew. Clones share the rows and keep their own position.
//
// Position: BOF (before the first row), one of the rows, or EOF (after the last). An empty
// recordset is at BOF and EOF at once. Moving past either end raises the no-current-record error,
// as does reading a field there. Every call on a closed recordset raises the closed-object error.
class Recordset : public vb::Object {
public:
    Recordset();
    ~Recordset() override;
    static std::shared_ptr<Recordset> Create() { return std::make_shared<Recordset>(); }

    // Runs source on the connection and reads every row (static cursor). Only static/read-only
    // cursors exist; other cursor and lock types are accepted and behave as static/read-only.
    void Open(const std::string& source, const std::shared_ptr<Connection>& activeConnection,
              CursorTypeEnum cursorType = adOpenStatic, LockTypeEnum lockType = adLockReadOnly);
    // Opens a disconnected, empty recordset with the fields appended so far.
    void Open();
    void Close();
    ObjectStateEnum State() const noexcept;

    // Fields.Append of a closed recordset: name (unique, case-insensitive), type, defined size, attributes.
    void AppendField(const std::string& name, DataTypeEnum type, long definedSize = 0,
                     long attributes = adFldUnspecified);

    long RecordCount() const;
    bool BOF() const;
    bool IsEOF() const; // the platform's EOF; that name is a C macro
    // 1-based position of the current record; -1 at BOF, -3 at EOF (the platform's adPosBOF/adPosEOF).
    long AbsolutePosition() const;

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // Moves numRecords from start (current, first or last record). Landing before the first record
    // leaves BOF, after the last EOF; moving from BOF backwards or EOF forwards raises the error.
    void Move(long numRecords, BookmarkEnum start = adBookmarkCurrent);

    // A bookmark names a record for the life of the rows (shared by clones).
    vb::Variant Bookmark() const;
    void SetBookmark(const vb::Variant& bookmark);

    // Searches for the first record matching criteria, a single comparison "field op value" with op one
    // of = <> < > <= >= LIKE, value a quoted string ('it''s'), a number or #date#. Starts at the current
    // record after skipRecords (or at start, a bookmark). No match: EOF (forward) or BOF (backward).
    void Find(const std::string& criteria, long skipRecords = 0,
              SearchDirectionEnum direction = adSearchForward, const vb::Variant& start = {});

    std::size_t FieldCount() const;
    Field Fields(std::size_t index) const;
    Field Fields(const std::string& name) const;  // case-insensitive; unknown name raises item-not-found
    bool HasField(const std::string& name) const; // no error either way

    // Rows from the current record (or start, a bookmark) as a 2-D array (field, row), at most `rows`
    // (adGetRowsRest = all). fields: Empty = every field; a name or number; or an array of names/numbers.
    // Moves the cursor past the last row read. The array shares the rows (no per-cell copy).
    vb::Variant GetRows(long rows = adGetRowsRest, const vb::Variant& start = {},
                        const vb::Variant& fields = {});

    // Same rows, own position (on the same record as this one), O(1).
    std::shared_ptr<Recordset> Clone(LockTypeEnum lockType = adLockUnspecified) const;

    // Disconnected recordsets only: appends a row of Empty values and makes it current.
    void AddNew();
    void Update() {}
    EditModeEnum EditMode() const noexcept { return m_editMode; }

    CursorTypeEnum CursorType() const noexcept { return m_cursorType; }
    LockTypeEnum LockType() const noexcept { return m_lockType; }
    const std::string& Source() const noexcept { return m_source; }

    // Internal: used by Command and Connection to hand over rows they read.
    void AttachRows(std::shared_ptr<detail::RowStore> rows, std::string source);
    // True when both recordsets read the same rows (a clone and its original).
    bool SharesRowsWith(const Recordset& other) const noexcept { return m_rows && m_rows == other.m_rows; }
    // Memory held by the rows (shared with clones).
    std::size_t RowMemoryBytes() const;

private:
    friend class Field;
    void RequireOpen() const;
    std::size_t CurrentRow() const; // throws at BOF/EOF
    std::size_t ResolveField(const vb::Variant& field) const;
    void ResetPosition();

    std::shared_ptr<detail::RowStore> m_rows;
    std::vector<detail::FieldInfo> m_pendingFields; // appended while closed
    long m_position = -1;                           // 0-based row, -1 = BOF, RowCount = EOF
    bool m_isOpen = false;
    bool m_isDisconnected = false;
    EditModeEnum m_editMode = adEditNone;
    CursorTypeEnum m_cursorType = adOpenStatic;
    LockTypeEnum m_lockType = adLockReadOnly;
    std::string m_source;
};

} // namespace ado
