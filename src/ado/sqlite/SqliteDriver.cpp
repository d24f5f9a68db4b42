// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes: the SQLite driver.
//  1. Types come from the declared column type (decltype), mapped to the platform's type codes the
//     way a report author reading the schema expects: INTEGER -> adInteger, DECIMAL(18,2) ->
//     adNumeric, DATE -> adDBDate, VARCHAR(n) -> adVarWChar of size n, and so on. Dates are kept as
//     ISO text by the schema; they are parsed into serials as they are read.
//  2. Expression columns have no declared type. They are read as Variants and narrowed when the
//     result is complete: all 32-bit integers -> adInteger, all numbers
//     -> adDouble, all text -> adVarWChar. A mixed column stays adVariant.
//  3. Stored procedures live in the table vondrel_procedures of the same file (docs/sqlite-procedures.md):
//     name, parameter list, SQL body. A call runs the body's statements in order inside a savepoint,
//     so a body that fails halfway leaves no half-written rows; the last statement that yields rows
//     gives the result.
//  4. The command timeout is enforced with a progress handler that checks a deadline; SQLite has no
//     statement timeout of its own.
//  5. A big result is fetched on two threads (BlockPipeline): the caller's steps the statement and
//     copies each row out (SQLite reuses a row's memory at the next step), a second converts the
//     copied blocks into the columns meanwhile. The connection is only ever used on the caller's
//     thread, so the progress handler, the busy handler and the error text stay where they were.
#include "ado/BlockPipeline_p.h"
#include "ado/Driver_p.h"
#include "ado/ProcedureList_p.h"
#include "ado/TypeConv_p.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace ado::detail {
namespace {

constexpr const char* kProcedureTable = "vondrel_procedures";

// "(18,2)" -> {18, 2}; missing numbers stay 0.
void ReadTypeArguments(std::string_view decl, int& first, int& second) {
    first = 0;
    second = 0;
    const std::size_t open = decl.find('(');
    if (open == std::string_view::npos) {
        return;
    }
    std::string_view rest = decl.substr(open + 1);
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), first);
    if (ec != std::errc()) {
        first = 0;
        return;
    }
    rest = rest.substr(static_cast<std::size_t>(end - rest.data()));
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.front() == ',') {
        rest.remove_prefix(1);
        while (!rest.empty() && rest.front() == ' ') {
            rest.remove_prefix(1);
        }
        std::from_chars(rest.data(), rest.data() + rest.size(), second);
    }
}

FieldInfo InfoFromDecl(std::string name, const char* declared) {
    FieldInfo info;
    info.name = std::move(name);
    const std::string decl = vb::UCase(declared ? declared : "");
    int first = 0;
    int second = 0;
    ReadTypeArguments(decl, first, second);
    const auto has = [&](const char* word) {
        return decl.find(word) != std::string::npos;
    };
    if (decl.empty()) {
        info.type = adVariant;
    } else if (has("BIGINT") || has("INT8")) {
        info.type = adBigInt;
        info.definedSize = 8;
    } else if (has("SMALLINT") || has("INT2")) {
        info.type = adSmallInt;
        info.definedSize = 2;
    } else if (has("TINYINT")) {
        info.type = adUnsignedTinyInt;
        info.definedSize = 1;
    } else if (has("BOOL") || decl == "BIT") {
        info.type = adBoolean;
        info.definedSize = 2;
    } else if (has("INT")) {
        info.type = adInteger;
        info.definedSize = 4;
    } else if (has("MONEY") || has("CURRENCY")) {
        info.type = adCurrency;
        info.definedSize = 8;
    } else if (has("DATETIME") || has("TIMESTAMP")) {
        info.type = adDBTimeStamp;
        info.definedSize = 16;
    } else if (has("DATE")) {
        info.type = adDBDate;
        info.definedSize = 6;
    } else if (has("TIME")) {
        info.type = adDBTime;
        info.definedSize = 6;
    } else if (has("DEC") || has("NUMERIC")) {
        info.type = adNumeric;
        info.definedSize = 19;
        info.precision = first > 0 ? first : 18;
        info.numericScale = second;
    } else if (has("REAL") || has("FLOA") || has("DOUB")) {
        info.type = adDouble;
        info.definedSize = 8;
        info.precision = 15;
    } else if (has("BLOB") || has("BINARY")) {
        info.type = adLongVarBinary;
        info.definedSize = 2147483647;
    } else if (has("GUID") || has("UUID")) {
        info.type = adGUID;
        info.definedSize = 16;
    } else if (has("VARCHAR") || has("VARYING")) {
        info.type = adVarWChar;
        info.definedSize = first > 0 ? first : 255;
    } else if (has("CHAR")) {
        info.type = adWChar;
        info.definedSize = first > 0 ? first : 1;
    } else if (has("CLOB") || has("TEXT")) {
        info.type = adLongVarWChar;
        info.definedSize = 1073741823;
    } else {
        // Numeric affinity in SQLite's own rules.
        info.type = adNumeric;
        info.definedSize = 19;
        info.precision = 18;
    }
    return info;
}

[[noreturn]] void ThrowSqlite(sqlite3* db, const std::string& prefix) {
    throw vb::Error(vb::kErrAdoProvider, prefix + sqlite3_errmsg(db));
}

class Statement {
public:
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(m_stmt); }
    sqlite3_stmt** Out() { return &m_stmt; }
    sqlite3_stmt* Get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

void BindValue(sqlite3* db, sqlite3_stmt* stmt, int index, const vb::Variant& value) {
    int rc = SQLITE_OK;
    switch (value.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        rc = sqlite3_bind_null(stmt, index);
        break;
    case vb::VarType::Integer:
    case vb::VarType::Long:
        rc = sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(*value.NumberValue()));
        break;
    case vb::VarType::Boolean:
        rc = sqlite3_bind_int(stmt, index, value.AsBoolean() ? 1 : 0);
        break;
    case vb::VarType::Single:
    case vb::VarType::Double:
    case vb::VarType::Currency:
        rc = sqlite3_bind_double(stmt, index, *value.NumberValue());
        break;
    default: {
        // Dates bind as ISO text, which is how the schema stores them; strings as themselves.
        const std::optional<std::string> text = BindText(value, false);
        rc = text ? sqlite3_bind_text(stmt, index, text->data(), static_cast<int>(text->size()),
                                      SQLITE_TRANSIENT)
                  : sqlite3_bind_null(stmt, index);
        break;
    }
    }
    if (rc != SQLITE_OK) {
        ThrowSqlite(db, "绑定参数失败：");
    }
}

std::string_view CellText(sqlite3_value* cell) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(cell));
    return std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(cell)));
}

std::string_view CellText(sqlite3_stmt* stmt, int col) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, col)));
}

// Report data repeats its dates row after row; remembering the last text parsed per column saves
// most of the parsing on big results.
struct DateCache {
    std::string text;
    double serial = 0;
};

bool IsDateType(DataTypeEnum type) {
    return type == adDBDate || type == adDBTimeStamp || type == adDBTime || type == adDate;
}

// One cell copied out of the statement, which reuses its memory at the next step: the storage class,
// the number, and the text where the conversion may read it (texts and blobs always; numbers only in a
// text column, as SQLite renders them there).
struct RawCell {
    int cls = SQLITE_NULL;
    std::int64_t integer = 0;
    double real = 0;
    std::size_t textStart = 0;
    std::size_t textLength = 0;
};

// Rows copied from the statement: cells row by row, texts in one buffer. Full at kRows rows, or
// sooner when the texts reach kTextBytes (long texts and blobs keep the blocks in flight small).
struct RawBlock {
    static constexpr std::size_t kRows = 4096;
    static constexpr std::size_t kTextBytes = std::size_t{16} << 20;

    bool IsFull() const { return rows == kRows || texts.size() >= kTextBytes; }

    std::vector<RawCell> cells;
    std::string texts;
    std::size_t rows = 0;
    bool areTextsValid = false; // every cell's text is valid UTF-8 (see CheckTexts)

    void clear() {
        cells.clear();
        texts.clear();
        rows = 0;
    }
    std::string_view TextOf(const RawCell& cell) const {
        return std::string_view(texts).substr(cell.textStart, cell.textLength);
    }
    // The texts checked as one buffer, which for Chinese names is four times faster than cell by cell.
    // A valid buffer holds only whole characters; a cell starting on a continuation byte would be a
    // character cut between two cells, each invalid alone, so then the cells are checked one by one.
    void CheckTexts() {
        areTextsValid =
            vb::IsValidUtf8(texts) && std::none_of(cells.begin(), cells.end(), [&](const RawCell& cell) {
                return cell.textLength > 0 &&
                       (static_cast<unsigned char>(texts[cell.textStart]) & 0xC0U) == 0x80U;
            });
    }
};

// Copies the current row of `stmt`. `textColumns` marks the columns kept as text: there a number is
// read as the text SQLite makes of it. Blobs are read as text as everywhere in this driver.
void CopyRow(sqlite3_stmt* stmt, const std::vector<bool>& textColumns, RawBlock& block) {
    const std::size_t columns = textColumns.size();
    for (std::size_t col = 0; col < columns; ++col) {
        sqlite3_value* value = sqlite3_column_value(stmt, static_cast<int>(col));
        RawCell cell;
        cell.cls = sqlite3_value_type(value);
        if (cell.cls == SQLITE_INTEGER) {
            cell.integer = sqlite3_value_int64(value);
            cell.real = static_cast<double>(cell.integer);
        } else if (cell.cls == SQLITE_FLOAT) {
            cell.real = sqlite3_value_double(value);
        }
        if (cell.cls == SQLITE_TEXT || cell.cls == SQLITE_BLOB ||
            (cell.cls != SQLITE_NULL && textColumns[col])) {
            const std::string_view text = CellText(value);
            cell.textStart = block.texts.size();
            cell.textLength = text.size();
            block.texts.append(text);
        }
        block.cells.push_back(cell);
    }
    ++block.rows;
}

vb::Variant CellAsVariant(const RawBlock& block, const RawCell& cell) {
    switch (cell.cls) {
    case SQLITE_NULL:
        return vb::Variant::Null();
    case SQLITE_INTEGER:
        if (cell.integer >= INT32_MIN && cell.integer <= INT32_MAX) {
            return vb::Variant::Long(static_cast<std::int32_t>(cell.integer));
        }
        return vb::Variant(static_cast<double>(cell.integer));
    case SQLITE_FLOAT:
        return vb::Variant(cell.real);
    default:
        return vb::Variant(block.TextOf(cell));
    }
}

// Appends one cell to a typed column, converting SQLite's storage class to the column's declared
// kind; what cannot be converted goes in as it is (the column widens to Variant).
void AppendCell(RowStore& store, std::size_t col, const RawBlock& block, const RawCell& cell,
                DateCache& dates) {
    Column& column = store.ColumnAt(col);
    const int cls = cell.cls;
    if (cls == SQLITE_NULL) {
        column.AppendNull();
        return;
    }
    const DataTypeEnum type = store.Info(col).type;
    switch (column.storage()) {
    case Storage::Int:
        if (cls == SQLITE_INTEGER && type != adCurrency) {
            column.AppendInt(cell.integer);
            return;
        }
        if (type == adCurrency && (cls == SQLITE_INTEGER || cls == SQLITE_FLOAT)) {
            column.AppendInt(std::llround(cell.real * 10000.0));
            return;
        }
        if (type == adBoolean && cls == SQLITE_TEXT) {
            const std::string word = vb::UCase(block.TextOf(cell));
            if (word == "TRUE" || word == "FALSE") {
                column.AppendInt(word == "TRUE" ? 1 : 0);
                return;
            }
        }
        break;
    case Storage::Real:
        if (IsDateType(type)) {
            if (cls == SQLITE_TEXT) {
                const std::string_view text = block.TextOf(cell);
                if (text == dates.text) {
                    column.AppendReal(dates.serial);
                    return;
                }
                if (auto serial = ParseIsoDateTime(text)) {
                    dates.text.assign(text);
                    dates.serial = *serial;
                    column.AppendReal(*serial);
                    return;
                }
            }
            break;
        }
        if (cls == SQLITE_INTEGER || cls == SQLITE_FLOAT) {
            column.AppendReal(cell.real);
            return;
        }
        if (cls == SQLITE_TEXT) {
            if (auto number = ParseDecimal(block.TextOf(cell))) {
                column.AppendReal(*number);
                return;
            }
        }
        break;
    case Storage::Text:
        block.areTextsValid ? column.AppendValidText(block.TextOf(cell))
                            : column.AppendText(block.TextOf(cell));
        return;
    case Storage::Variant:
        column.AppendVariant(CellAsVariant(block, cell));
        return;
    }
    store.AppendValue(col, CellAsVariant(block, cell));
}

// Narrows an expression column (read as Variants) to the type its values share.
void NarrowExpressionColumn(RowStore& store, std::size_t col) {
    Column& column = store.ColumnAt(col);
    bool allInt = true;
    bool allNumber = true;
    bool allText = true;
    for (std::size_t row = 0; row < column.size(); ++row) {
        const vb::Variant& cell = column.VariantAt(row);
        if (cell.IsNull()) {
            continue;
        }
        const vb::VarType t = cell.Type();
        allText = allText && t == vb::VarType::String;
        // Integers beyond 32 bits arrive as Double (the value layer has no 64-bit integer), so such a
        // column reads as adDouble, which keeps every value exact up to 2^53.
        allInt = allInt && t == vb::VarType::Long;
        allNumber = allNumber && (t == vb::VarType::Long || t == vb::VarType::Double);
    }
    FieldInfo& info = store.MutableInfo(col);
    Storage target = Storage::Variant;
    if (allText) {
        info.type = adVarWChar;
        info.definedSize = 255;
        target = Storage::Text;
    } else if (allInt) {
        info.type = adInteger;
        info.definedSize = 4;
        target = Storage::Int;
    } else if (allNumber) {
        info.type = adDouble;
        info.definedSize = 8;
        target = Storage::Real;
    } else {
        return;
    }
    Column narrowed(target);
    narrowed.Reserve(column.size());
    for (std::size_t row = 0; row < column.size(); ++row) {
        const vb::Variant& cell = column.VariantAt(row);
        if (cell.IsNull()) {
            narrowed.AppendNull();
        } else if (target == Storage::Text) {
            narrowed.AppendText(cell.AsString());
        } else if (target == Storage::Int) {
            narrowed.AppendInt(cell.AsLong());
        } else {
            narrowed.AppendReal(*cell.NumberValue());
        }
    }
    column = std::move(narrowed);
}

// How long a statement waits for another connection's lock before it gives up.
constexpr int kBusyTimeoutSeconds = 5;

class SqliteDriver final : public Driver {
public:
    explicit SqliteDriver(const std::string& path) {
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
        const int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
            sqlite3_close(m_db);
            m_db = nullptr;
            throw vb::Error(vb::kErrAdoProvider, "无法打开 SQLite 数据库“" + path + "”：" + message);
        }
        sqlite3_extended_result_codes(m_db, 1);
        // Before the first read: another program writing the file at this moment holds its lock
        // briefly, and opening waits for it like any statement instead of failing at once.
        sqlite3_busy_timeout(m_db, kBusyTimeoutSeconds * 1000);
        // A file that is not a database only shows itself at the first read.
        char* error = nullptr;
        if (sqlite3_exec(m_db, "PRAGMA schema_version", nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : sqlite3_errmsg(m_db);
            sqlite3_free(error);
            sqlite3_close(m_db);
            m_db = nullptr;
            throw vb::Error(vb::kErrAdoProvider, "无法打开 SQLite 数据库“" + path + "”：" + message);
        }
        sqlite3_progress_handler(m_db, 10000, &SqliteDriver::OnProgress, this);
    }
    ~SqliteDriver() override { sqlite3_close(m_db); }
    SqliteDriver(const SqliteDriver&) = delete;
    SqliteDriver& operator=(const SqliteDriver&) = delete;

    std::string Dialect() const override { return "sqlite"; }

    void SetTimeout(int seconds) override { m_timeoutSeconds = seconds; }

    StatementResult Run(std::string_view sql, std::span<const vb::Variant> params) override {
        StartDeadline();
        StatementResult result;
        std::size_t nextParam = 0;
        const char* tail = sql.data();
        const char* end = sql.data() + sql.size();
        long affected = -1;
        while (tail < end) {
            Statement stmt;
            const char* next = nullptr;
            if (sqlite3_prepare_v2(m_db, tail, static_cast<int>(end - tail), stmt.Out(), &next) !=
                SQLITE_OK) {
                ThrowStatementError(sql);
            }
            tail = next;
            if (!stmt.Get()) {
                continue; // whitespace or a comment after the last ';'
            }
            const int count = sqlite3_bind_parameter_count(stmt.Get());
            for (int index = 1; index <= count; ++index) {
                if (nextParam >= params.size()) {
                    throw vb::Error(vb::kErrInvalidCall, "SQL 语句的参数个数不符：语句需要的参数多于给出的 " +
                                                             std::to_string(params.size()) + " 个");
                }
                BindValue(m_db, stmt.Get(), index, params[nextParam++]);
            }
            auto store = Execute(stmt.Get(), sql);
            if (store) {
                result.store = std::move(store);
            } else {
                affected = sqlite3_changes(m_db);
            }
        }
        if (nextParam != params.size()) {
            throw vb::Error(vb::kErrInvalidCall, "SQL 语句的参数个数不符：给出 " +
                                                     std::to_string(params.size()) + " 个，语句只用到 " +
                                                     std::to_string(nextParam) + " 个");
        }
        result.recordsAffected = result.store ? -1 : affected;
        return result;
    }

    std::vector<ProcParam> DescribeProcedure(std::string_view name) override {
        const TableProcedure proc = LoadProcedure(name);
        return proc.params;
    }

    StatementResult CallProcedure(std::string_view name, const std::vector<ProcParam>& params,
                                  std::span<const vb::Variant> values) override {
        const TableProcedure proc = LoadProcedure(name);
        // The caller's list, then the table's: a caller may have appended entries after Refresh, or
        // marked defaults the table does not declare.
        CheckProcedureValueCount(name, params, values.size());
        CheckProcedureValueCount(name, proc.params, values.size());
        StartDeadline();
        Exec("SAVEPOINT vondrel_call");
        try {
            StatementResult result = RunBody(proc, values);
            Exec("RELEASE vondrel_call");
            return result;
        } catch (...) {
            sqlite3_exec(m_db, "ROLLBACK TO vondrel_call; RELEASE vondrel_call", nullptr, nullptr, nullptr);
            throw;
        }
    }

private:
    struct ValueFree {
        void operator()(sqlite3_value* value) const { sqlite3_value_free(value); }
    };
    using ValuePtr = std::unique_ptr<sqlite3_value, ValueFree>;

    static int OnProgress(void* self) {
        auto* driver = static_cast<SqliteDriver*>(self);
        return driver->m_hasDeadline && std::chrono::steady_clock::now() > driver->m_deadline ? 1 : 0;
    }

    void StartDeadline() {
        m_hasDeadline = m_timeoutSeconds > 0;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_timeoutSeconds);
    }

    void Exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : sqlite3_errmsg(m_db);
            sqlite3_free(error);
            throw vb::Error(vb::kErrAdoProvider, "SQL 语句执行失败：" + message);
        }
    }

    [[noreturn]] void ThrowStatementError(std::string_view sql) {
        const int code = sqlite3_errcode(m_db);
        if (code == SQLITE_INTERRUPT) {
            throw vb::Error(vb::kErrAdoProvider, "查询超时（超过 " + std::to_string(m_timeoutSeconds) +
                                                     " 秒），已取消：" + std::string(sql.substr(0, 200)));
        }
        // Another program's lock and a file that may not be written are the user's to resolve, so they are
        // said in words rather than as the library's English.
        std::string message;
        if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED) {
            message.append("数据库文件正被另一个程序锁定，等了 ")
                .append(std::to_string(kBusyTimeoutSeconds))
                .append(" 秒仍未释放，这次操作没有完成；请稍后再试。");
        } else if ((code & 0xff) == SQLITE_READONLY) {
            message = "数据库文件是只读的，不能写入（请检查文件和所在文件夹的写权限）。";
        } else {
            message.append("SQL 语句执行失败：").append(sqlite3_errmsg(m_db));
        }
        throw vb::Error(vb::kErrAdoProvider, message.append("\n语句：").append(sql.substr(0, 500)));
    }

    // Steps a prepared statement to its end. Returns the rows when the statement has result columns.
    std::shared_ptr<RowStore> Execute(sqlite3_stmt* stmt, std::string_view sql) {
        const int columns = sqlite3_column_count(stmt);
        if (columns == 0) {
            int rc = SQLITE_ROW;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) {
                ThrowStatementError(sql);
            }
            return nullptr;
        }
        std::vector<FieldInfo> fields;
        std::vector<Storage> storages;
        std::vector<bool> isExpression;
        for (int col = 0; col < columns; ++col) {
            const char* name = sqlite3_column_name(stmt, col);
            FieldInfo info = InfoFromDecl(name ? name : "", sqlite3_column_decltype(stmt, col));
            isExpression.push_back(info.type == adVariant);
            storages.push_back(StorageForType(info.type));
            fields.push_back(std::move(info));
        }
        std::vector<bool> textColumns;
        for (const Storage storage : storages) {
            textColumns.push_back(storage == Storage::Text);
        }
        auto store = std::make_shared<RowStore>(std::move(fields), std::move(storages));
        // The statement steps here while the rows before are converted into the columns on a second
        // thread (big results only): the store and the date caches are the converter's alone until
        // Finish has joined it.
        std::vector<DateCache> dates(static_cast<std::size_t>(columns));
        BlockPipeline<RawBlock> pipeline([&store, &dates](RawBlock& block) {
            const std::size_t width = dates.size();
            block.CheckTexts();
            for (std::size_t row = 0; row < block.rows; ++row) {
                for (std::size_t col = 0; col < width; ++col) {
                    AppendCell(*store, col, block, block.cells[row * width + col], dates[col]);
                }
            }
        });
        RawBlock block;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            CopyRow(stmt, textColumns, block);
            if (block.IsFull()) {
                pipeline.Push(block);
            }
        }
        if (rc != SQLITE_DONE) {
            ThrowStatementError(sql);
        }
        pipeline.Finish(block);
        for (int col = 0; col < columns; ++col) {
            if (isExpression[static_cast<std::size_t>(col)]) {
                NarrowExpressionColumn(*store, static_cast<std::size_t>(col));
            }
        }
        store->SealRows();
        return store;
    }

    TableProcedure LoadProcedure(std::string_view name) {
        const std::string notFound = "找不到存储过程：" + std::string(name);
        Statement stmt;
        const std::string query = std::string("SELECT name, params, body FROM ") + kProcedureTable +
                                  " WHERE name = ?1 COLLATE NOCASE";
        if (sqlite3_prepare_v2(m_db, query.c_str(), -1, stmt.Out(), nullptr) != SQLITE_OK) {
            // No procedure table at all: the database has no procedures.
            throw vb::Error(vb::kErrAdoProvider, notFound);
        }
        sqlite3_bind_text(stmt.Get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt.Get()) != SQLITE_ROW) {
            throw vb::Error(vb::kErrAdoProvider, notFound);
        }
        return MakeTableProcedure(std::string(CellText(stmt.Get(), 0)), CellText(stmt.Get(), 1),
                                  std::string(CellText(stmt.Get(), 2)), [](ProcParam& param) {
                                      const FieldInfo info = InfoFromDecl(param.name, param.sqlType.c_str());
                                      param.type = info.type;
                                      param.size = info.definedSize;
                                  });
    }

    // The value of a parameter's DEFAULT expression, computed at each call (a default such as
    // date('now') means the day of the call) and kept with SQLite's own type.
    ValuePtr EvaluateDefault(const TableProcedure& proc, std::size_t index) {
        const std::string query = proc.DefaultQuery(index);
        Statement stmt;
        if (sqlite3_prepare_v2(m_db, query.c_str(), -1, stmt.Out(), nullptr) != SQLITE_OK || !stmt.Get()) {
            proc.ThrowBadDefault(index, sqlite3_errmsg(m_db));
        }
        if (sqlite3_step(stmt.Get()) != SQLITE_ROW) {
            proc.ThrowBadDefault(index, sqlite3_errmsg(m_db));
        }
        ValuePtr value(sqlite3_value_dup(sqlite3_column_value(stmt.Get(), 0)));
        if (!value) {
            proc.ThrowBadDefault(index, "内存不足");
        }
        return value;
    }

    StatementResult RunBody(const TableProcedure& proc, std::span<const vb::Variant> values) {
        // Parameters the caller left out bind their defaults.
        std::vector<ValuePtr> defaults(proc.params.size());
        for (std::size_t k = values.size() + 1; k < proc.params.size(); ++k) {
            defaults[k] = EvaluateDefault(proc, k);
        }
        StatementResult result;
        const char* tail = proc.body.data();
        const char* end = proc.body.data() + proc.body.size();
        while (tail < end) {
            Statement stmt;
            const char* next = nullptr;
            if (sqlite3_prepare_v2(m_db, tail, static_cast<int>(end - tail), stmt.Out(), &next) !=
                SQLITE_OK) {
                throw vb::Error(vb::kErrAdoProvider,
                                "存储过程 " + proc.name + " 执行失败：" + std::string(sqlite3_errmsg(m_db)));
            }
            tail = next;
            if (!stmt.Get()) {
                continue;
            }
            const int count = sqlite3_bind_parameter_count(stmt.Get());
            for (int index = 1; index <= count; ++index) {
                const char* placeholder = sqlite3_bind_parameter_name(stmt.Get(), index);
                // A nameless "?" has no sign to drop and is reported as itself.
                const std::size_t param = proc.IndexOf(placeholder ? placeholder + 1 : "?");
                if (param <= values.size()) {
                    BindValue(m_db, stmt.Get(), index, values[param - 1]);
                } else if (sqlite3_bind_value(stmt.Get(), index, defaults[param].get()) != SQLITE_OK) {
                    ThrowSqlite(m_db, "绑定参数失败：");
                }
            }
            if (auto store = Execute(stmt.Get(), proc.body)) {
                result.store = std::move(store);
            }
        }
        return result;
    }

    sqlite3* m_db = nullptr;
    int m_timeoutSeconds = 0;
    bool m_hasDeadline = false;
    std::chrono::steady_clock::time_point m_deadline;
};

} // namespace

std::unique_ptr<Driver> OpenSqliteDriver(const std::string& path) {
    return std::make_unique<SqliteDriver>(path);
}

} // namespace ado::detail
