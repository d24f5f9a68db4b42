// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT

// ODBC driver (unixODBC driver manager): connection, statements, values and stored procedures.
//
// Design notes
//
// 1. Everything crosses the boundary through the wide (W) functions: SQLWCHAR is UTF-16 on unixODBC,
//    and the narrow functions would hand text over in whatever the driver's client encoding is. Text
//    is converted to and from UTF-8 in OdbcTypes_p.h and nowhere else. Character columns are reported
//    with the wide type codes whatever the driver says, so a report sees the same field types on
//    every database. One exception: SQLite's ODBC drivers have no wide functions, and the driver
//    manager would convert statement text, names and messages for them in the process's locale
//    (ASCII in a host that never called setlocale). Those go narrow, as UTF-8, which is SQLite's own
//    encoding; cell values and bound values stay wide, which the driver converts itself.
//
// 2. Rows (OdbcResult.cpp) are fetched in blocks of column-wise bound arrays when every column has a
//    bounded size, and row by row with SQLGetData when one has not; either way the buffers are
//    reused, so a cell costs a conversion and no allocation.
//
// 3. Statements without values go to SQLExecDirect as they are, so a script of several statements
//    runs when the driver can run scripts. With values, the text is prepared, SQLNumParams must
//    equal the number of values, and each value is bound with SQLBindParameter in its own type
//    (numbers as numbers, dates as dates, text as UTF-16). Every result a statement produces is
//    read (SQLMoreResults); the last one with columns is the statement's rows, as for SQLite.
//
// 4. Stored procedures. Parameters.Refresh finds the procedure with SQLProcedures (so that one
//    without parameters still exists) and reads SQLProcedureColumns; the return value is entry 0,
//    synthesised as an adInteger RETURN_VALUE when the driver reports none, result-set columns are
//    left out. Calls go through the call escape {call name(?, ...)}; each value is first converted to
//    its parameter's type, as the platform does, so "2" given for an integer parameter binds as 2.
//    A parameter whose COLUMN_DEF is not Null has a default: a call with fewer values names only
//    those, and the database fills in the rest.
//    A data source whose DBMS is SQLite has no procedures of its own: there the vondrel_procedures
//    table of the same file is used (docs/sqlite-procedures.md), its body run through this driver.
//
// 5. Errors keep the driver's own text: every diagnostic record of the failing handle, one a line.
//    SQLSTATE HYT00 is the query timeout (SQL_ATTR_QUERY_TIMEOUT, set on every statement), and so is
//    the server's 57014 while a timeout is set (psqlODBC enforces it with statement_timeout).

#include "ado/Driver_p.h"
#include "ado/ProcedureList_p.h"
#include "ado/RowStore_p.h"
#include "ado/TypeConv_p.h"
#include "ado/odbc/OdbcConnString_p.h"
#include "ado/odbc/OdbcDriver_p.h"
#include "ado/odbc/OdbcSqlText_p.h"
#include "ado/odbc/OdbcTypes_p.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ado::detail {
namespace {

using namespace ado::detail::odbc;

bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

const SQLWCHAR* W(const std::u16string& text) {
    return reinterpret_cast<const SQLWCHAR*>(text.c_str());
}

class OdbcDriver final : public Driver {
public:
    explicit OdbcDriver(const std::string& connectionString)
        : m_env(SQL_HANDLE_ENV, SQL_NULL_HANDLE), m_dbc(SQL_HANDLE_DBC, InitEnvironment(m_env)) {
        const std::u16string wide = ToUtf16(connectionString);
        SQLWCHAR completed[1024];
        SQLSMALLINT completedLength = 0;
        const SQLRETURN rc = SQLDriverConnectW(
            m_dbc.Get(), nullptr, const_cast<SQLWCHAR*>(W(wide)), static_cast<SQLSMALLINT>(wide.size()),
            completed, static_cast<SQLSMALLINT>(std::size(completed)), &completedLength, SQL_DRIVER_NOPROMPT);
        if (!Succeeded(rc)) {
            const Diagnostic diag = ReadDiagnostics(SQL_HANDLE_DBC, m_dbc.Get(), false);
            throw vb::Error(vb::kErrAdoProvider,
                            "无法连接 ODBC 数据源：" +
                                (diag.text.empty() ? MaskPassword(connectionString) : diag.text));
        }
        m_isConnected = true;
        m_dbmsName = GetInfoText(SQL_DBMS_NAME);
        m_isSqlite = vb::EqualsNoCase(m_dbmsName.substr(0, 6), "SQLite");
        // SQLite's ODBC drivers come without wide functions and read narrow text as UTF-8, which is
        // SQLite's own encoding; going through the driver manager's conversion instead would depend
        // on the host process's locale.
        m_isNarrow = m_isSqlite;
        m_isPostgres = vb::EqualsNoCase(m_dbmsName, "PostgreSQL");
        m_declaredType = [this](const std::string& table, const std::string& column) {
            return DeclaredTypeOf(table, column);
        };
        m_patternEscape = GetInfoText(SQL_SEARCH_PATTERN_ESCAPE);
        m_identifierQuote = GetInfoText(SQL_IDENTIFIER_QUOTE_CHAR);
    }

    ~OdbcDriver() override {
        if (m_isConnected) {
            SQLDisconnect(m_dbc.Get());
        }
    }
    OdbcDriver(const OdbcDriver&) = delete;
    OdbcDriver& operator=(const OdbcDriver&) = delete;

    std::string Dialect() const override { return "odbc"; }

    void SetTimeout(int seconds) override {
        if (seconds < 0) {
            throw vb::Error(vb::kErrInvalidCall, "超时秒数不能为负数：" + std::to_string(seconds));
        }
        m_timeoutSeconds = seconds;
    }

    StatementResult Run(std::string_view sql, std::span<const vb::Variant> params) override {
        if (m_isSqlite && params.empty()) {
            return RunScript(sql);
        }
        return RunStatement(sql, params);
    }

    std::vector<ProcParam> DescribeProcedure(std::string_view name) override {
        if (m_isSqlite) {
            return LoadSqliteProcedure(name).params;
        }
        return DescribeServerProcedure(name);
    }

    StatementResult CallProcedure(std::string_view name, const std::vector<ProcParam>& params,
                                  std::span<const vb::Variant> values) override {
        CheckProcedureValueCount(name, params, values.size());
        if (m_isSqlite) {
            return CallSqliteProcedure(name, values);
        }
        // The database's own list decides: a caller may have appended entries after Refresh, or
        // marked defaults the database does not have. Inputs without values are left out of the
        // call, so the database supplies their defaults.
        FoundProcedure found;
        const std::vector<ProcParam> described = DescribeServerProcedure(name, &found);
        CheckProcedureValueCount(name, described, values.size());
        std::vector<vb::Variant> coerced;
        coerced.reserve(values.size());
        // The name in the call is the catalog's, quoted, never the caller's text.
        std::string sql = found.isServerProcedure ? "CALL " : "{call ";
        if (!found.schema.empty()) {
            sql += QuoteName(found.schema) + ".";
        }
        sql += QuoteName(found.name) + "(";
        for (std::size_t idx = 0; idx < values.size(); ++idx) {
            sql += idx == 0 ? "?" : ", ?";
            coerced.push_back(CoerceToParameter(values[idx], described[idx + 1].type));
        }
        sql += found.isServerProcedure ? ")" : ")}";
        StatementResult result = RunStatement(sql, coerced);
        if (result.store) {
            result.recordsAffected = -1;
        }
        return result;
    }

private:
    static SQLHANDLE InitEnvironment(const Handle& env) {
        SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return env.Get();
    }

    std::string GetInfoText(SQLUSMALLINT item) {
        SQLWCHAR buffer[256] = {};
        SQLSMALLINT length = 0;
        if (!Succeeded(SQLGetInfoW(m_dbc.Get(), item, buffer, sizeof buffer, &length))) {
            return {};
        }
        const std::size_t units =
            std::min<std::size_t>(static_cast<std::size_t>(length) / sizeof(SQLWCHAR), std::size(buffer) - 1);
        return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), units));
    }

    [[noreturn]] void ThrowStatementError(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view sql) {
        const Diagnostic diag = ReadDiagnostics(handleType, handle, m_isNarrow);
        // psqlODBC enforces the timeout with the server's statement_timeout, whose cancellation
        // arrives as the server's own query-cancelled state rather than HYT00.
        const bool isCancelled = diag.state == "57014" && m_timeoutSeconds > 0;
        if (diag.state == "HYT00" || diag.state == "HYT01" || isCancelled) {
            throw vb::Error(vb::kErrAdoProvider, "查询超时（超过 " + std::to_string(m_timeoutSeconds) +
                                                     " 秒），已取消：" + std::string(sql.substr(0, 200)));
        }
        throw vb::Error(vb::kErrAdoProvider,
                        "SQL 语句执行失败：" + (diag.text.empty() ? "驱动程序未给出原因" : diag.text));
    }

    [[noreturn]] static void ThrowNotFound(std::string_view name) {
        throw vb::Error(vb::kErrAdoProvider, "找不到存储过程：" + std::string(name));
    }

    std::unique_ptr<Handle> NewStatement() {
        auto stmt = std::make_unique<Handle>(SQL_HANDLE_STMT, m_dbc.Get());
        if (m_timeoutSeconds > 0) {
            // A driver without timeouts answers 01S02 or HYC00; the statement then runs unlimited.
            SQLSetStmtAttr(stmt->Get(), SQL_ATTR_QUERY_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_timeoutSeconds)), 0);
        }
        return stmt;
    }

    StatementResult RunStatement(std::string_view sql, std::span<const vb::Variant> params) {
        const std::unique_ptr<Handle> stmt = NewStatement();
        const SQLHSTMT handle = stmt->Get();
        const std::u16string wide = m_isNarrow ? std::u16string() : ToUtf16(sql);
        const std::string narrow = m_isNarrow ? std::string(sql) : std::string();
        auto* narrowText = reinterpret_cast<SQLCHAR*>(const_cast<char*>(narrow.c_str()));
        auto* wideText = const_cast<SQLWCHAR*>(W(wide));
        std::vector<BoundValue> bound(params.size());
        SQLRETURN rc = SQL_SUCCESS;
        if (params.empty()) {
            rc = m_isNarrow ? SQLExecDirect(handle, narrowText, SQL_NTS)
                            : SQLExecDirectW(handle, wideText, SQL_NTS);
        } else {
            const SQLRETURN prepared =
                m_isNarrow ? SQLPrepare(handle, narrowText, SQL_NTS) : SQLPrepareW(handle, wideText, SQL_NTS);
            if (!Succeeded(prepared)) {
                ThrowStatementError(SQL_HANDLE_STMT, handle, sql);
            }
            SQLSMALLINT placeholderCount = 0;
            if (Succeeded(SQLNumParams(handle, &placeholderCount)) &&
                static_cast<std::size_t>(placeholderCount) != params.size()) {
                throw vb::Error(vb::kErrInvalidCall, "SQL 语句的参数个数不符：语句中有 " +
                                                         std::to_string(placeholderCount) + " 个 ?，给出 " +
                                                         std::to_string(params.size()) + " 个");
            }
            for (std::size_t idx = 0; idx < params.size(); ++idx) {
                BoundValue& value = bound[idx];
                PrepareValue(params[idx], value);
                const SQLLEN bufferBytes = static_cast<SQLLEN>(value.text.size() * sizeof(SQLWCHAR));
                if (!Succeeded(SQLBindParameter(handle, static_cast<SQLUSMALLINT>(idx + 1), SQL_PARAM_INPUT,
                                                value.valueType, value.parameterType, value.columnSize,
                                                value.decimalDigits, value.Data(), bufferBytes,
                                                &value.indicator))) {
                    ThrowStatementError(SQL_HANDLE_STMT, handle, sql);
                }
            }
            rc = SQLExecute(handle);
        }
        // SQL_NO_DATA: a searched UPDATE or DELETE that matched no row.
        if (!Succeeded(rc) && rc != SQL_NO_DATA) {
            ThrowStatementError(SQL_HANDLE_STMT, handle, sql);
        }
        const StatementErrorFn fail = [this, sql](SQLSMALLINT type, SQLHANDLE failed) {
            ThrowStatementError(type, failed, sql);
        };
        StatementResult result;
        long affected = -1;
        while (true) {
            SQLSMALLINT colCount = 0;
            if (!Succeeded(SQLNumResultCols(handle, &colCount))) {
                ThrowStatementError(SQL_HANDLE_STMT, handle, sql);
            }
            if (colCount > 0) {
                result.store = ReadRows(
                    handle, colCount,
                    {m_isSqlite && !m_isReadingDeclarations ? &m_declaredType : nullptr, m_isNarrow}, fail);
            } else {
                SQLLEN count = -1;
                if (Succeeded(SQLRowCount(handle, &count)) && count >= 0) {
                    affected = static_cast<long>(count);
                }
            }
            const SQLRETURN more = SQLMoreResults(handle);
            if (more == SQL_NO_DATA) {
                break;
            }
            if (!Succeeded(more)) {
                ThrowStatementError(SQL_HANDLE_STMT, handle, sql);
            }
        }
        result.recordsAffected = result.store ? -1 : affected;
        return result;
    }

    // SQLite's drivers run one statement per call; a script is cut at the ';' between statements.
    StatementResult RunScript(std::string_view sql) {
        StatementResult result;
        for (const std::string& statement : SplitSqliteScript(sql)) {
            StatementResult one = RunStatement(statement, {});
            if (one.store) {
                result.store = std::move(one.store);
            }
            result.recordsAffected = one.recordsAffected;
        }
        if (result.store) {
            result.recordsAffected = -1;
        }
        return result;
    }

    // ---- procedures on a server ----

    // name with the driver's pattern characters escaped: SQLProcedures takes a pattern, and "_" in
    // "sp_log" would also match "spXlog".
    std::u16string PatternFor(std::string_view name) const {
        std::string escaped;
        for (const char ch : name) {
            if ((ch == '_' || ch == '%') && !m_patternEscape.empty()) {
                escaped += m_patternEscape;
            }
            escaped += ch;
        }
        return ToUtf16(escaped);
    }

    std::shared_ptr<RowStore> CatalogRows(std::string_view what,
                                          const std::function<SQLRETURN(SQLHSTMT)>& call) {
        const std::unique_ptr<Handle> stmt = NewStatement();
        if (!Succeeded(call(stmt->Get()))) {
            ThrowStatementError(SQL_HANDLE_STMT, stmt->Get(), what);
        }
        SQLSMALLINT colCount = 0;
        SQLNumResultCols(stmt->Get(), &colCount);
        if (colCount == 0) {
            return nullptr;
        }
        return ReadRows(
            stmt->Get(), colCount, {nullptr, m_isNarrow},
            [this, what](SQLSMALLINT type, SQLHANDLE failed) { ThrowStatementError(type, failed, what); });
    }

    // SQL Server's drivers report "name;1" (the procedure's group number); calls use the bare name.
    static std::string WithoutGroupNumber(std::string name) {
        const std::size_t semicolon = name.find(';');
        if (semicolon != std::string::npos) {
            name.resize(semicolon);
        }
        return name;
    }

    static std::string TextCell(const RowStore& rows, std::size_t col, std::size_t row) {
        const vb::Variant value = rows.Value(col, row);
        return value.IsNull() ? std::string() : vb::CStr(value);
    }

    // The procedure as the catalog names it; isServerProcedure marks a PostgreSQL procedure (as
    // opposed to a function), which psqlODBC reports as a function and calls with SELECT.
    struct FoundProcedure {
        std::string schema;
        std::string name;
        bool isServerProcedure = false;
    };

    std::vector<ProcParam> DescribeServerProcedure(std::string_view name, FoundProcedure* found = nullptr) {
        // "schema.name" narrows the search; an unqualified name is looked for in every schema the
        // driver shows, and the first schema that has it wins. PostgreSQL knows better: the routine
        // an unqualified call reaches is the one its search path makes visible.
        const std::size_t dot = name.rfind('.');
        std::string schema = dot == std::string_view::npos ? std::string() : std::string(name.substr(0, dot));
        std::string bare(dot == std::string_view::npos ? name : name.substr(dot + 1));
        if (m_isPostgres && schema.empty()) {
            VisiblePostgresRoutine(bare, schema);
        }
        const std::u16string pattern = PatternFor(bare);
        const std::u16string schemaWide = ToUtf16(schema);
        const auto procedures = CatalogRows(name, [&](SQLHSTMT stmt) {
            return SQLProceduresW(stmt, nullptr, 0,
                                  schema.empty() ? nullptr : const_cast<SQLWCHAR*>(W(schemaWide)),
                                  schema.empty() ? 0 : SQL_NTS, const_cast<SQLWCHAR*>(W(pattern)), SQL_NTS);
        });
        std::optional<std::string> foundSchema;
        std::string foundName;
        for (std::size_t row = 0; procedures && row < procedures->RowCount(); ++row) {
            const std::string procName = WithoutGroupNumber(TextCell(*procedures, 2, row));
            if (vb::EqualsNoCase(procName, bare)) {
                foundSchema = TextCell(*procedures, 1, row);
                foundName = procName;
                break;
            }
        }
        if (!foundSchema) {
            ThrowNotFound(name);
        }
        if (found) {
            found->schema = *foundSchema;
            found->name = foundName;
            found->isServerProcedure = m_isPostgres && IsPostgresProcedure(*foundSchema, foundName);
        }
        const std::u16string foundSchemaWide = ToUtf16(*foundSchema);
        const std::u16string namePattern = PatternFor(foundName);
        const auto columns = CatalogRows(name, [&](SQLHSTMT stmt) {
            return SQLProcedureColumnsW(
                stmt, nullptr, 0, foundSchema->empty() ? nullptr : const_cast<SQLWCHAR*>(W(foundSchemaWide)),
                foundSchema->empty() ? 0 : SQL_NTS, const_cast<SQLWCHAR*>(W(namePattern)), SQL_NTS, nullptr,
                0);
        });
        std::vector<ProcParam> params(1);
        ProcParam& ret = params[0];
        ret.name = "RETURN_VALUE";
        ret.type = adInteger;
        ret.direction = adParamReturnValue;
        ret.size = 4;
        ret.sqlType = "INTEGER";
        std::size_t inputIdx = 0;
        for (std::size_t row = 0; columns && row < columns->RowCount(); ++row) {
            if (TextCell(*columns, 1, row) != *foundSchema ||
                WithoutGroupNumber(TextCell(*columns, 2, row)) != foundName) {
                continue;
            }
            const vb::Variant kindCell = columns->Value(4, row);
            const vb::Variant typeCell = columns->Value(5, row);
            const vb::Variant sizeCell = columns->Value(7, row);
            const vb::Variant digitsCell = columns->Value(9, row);
            // COLUMN_DEF: the default's text, or Null when the parameter has none.
            const vb::Variant defaultCell = columns->Value(12, row);
            const int kind = kindCell.IsNull() ? SQL_PARAM_TYPE_UNKNOWN : vb::CLng(kindCell);
            const ColumnType type = DescribeOdbcType(
                static_cast<SQLSMALLINT>(typeCell.IsNull() ? SQL_VARCHAR : vb::CLng(typeCell)),
                sizeCell.IsNull() ? 0 : static_cast<SQLULEN>(vb::CDbl(sizeCell)),
                static_cast<SQLSMALLINT>(digitsCell.IsNull() ? 0 : vb::CLng(digitsCell)));
            ProcParam param;
            param.name = TextCell(*columns, 3, row);
            param.type = type.info.type;
            param.size = type.info.definedSize;
            param.sqlType = TextCell(*columns, 6, row);
            param.hasDefault = !defaultCell.IsNull();
            switch (kind) {
            case SQL_RETURN_VALUE:
                param.direction = adParamReturnValue;
                param.name = "RETURN_VALUE";
                ret = std::move(param);
                continue;
            case SQL_PARAM_INPUT:
                param.direction = adParamInput;
                break;
            case SQL_PARAM_INPUT_OUTPUT:
                param.direction = adParamInputOutput;
                break;
            default:
                continue; // result-set columns and outputs are not passed in
            }
            ++inputIdx;
            if (param.name.empty()) {
                param.name.append("p").append(std::to_string(inputIdx));
            }
            params.push_back(std::move(param));
        }
        if (m_isPostgres) {
            // psqlODBC leaves COLUMN_DEF Null; the catalog counts the trailing inputs with defaults.
            std::size_t defaults = PostgresDefaultCount(*foundSchema, foundName, inputIdx);
            for (std::size_t k = params.size() - 1; k > 0 && defaults > 0; --k, --defaults) {
                params[k].hasDefault = true;
            }
        }
        return params;
    }

    std::string QuoteName(const std::string& identifier) const {
        if (m_identifierQuote.empty() || m_identifierQuote == " ") {
            return identifier;
        }
        std::string quoted = m_identifierQuote;
        for (const char ch : identifier) {
            quoted += ch;
            if (std::string_view(&ch, 1) == m_identifierQuote) {
                quoted += ch;
            }
        }
        return quoted + m_identifierQuote;
    }

    // The schema and catalog spelling of the routine an unqualified call of name reaches: the
    // server folds unquoted names to lower case, so "SP_Log" calls sp_log. Leaves both unchanged
    // when no routine is visible.
    void VisiblePostgresRoutine(std::string& name, std::string& schema) {
        const vb::Variant keys[] = {vb::Variant(name), vb::Variant(vb::LCase(name)), vb::Variant(name)};
        const auto rows =
            RunStatement("SELECT n.nspname, p.proname FROM pg_catalog.pg_proc p"
                         " JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace"
                         " WHERE p.proname IN (?, ?) AND pg_catalog.pg_function_is_visible(p.oid)"
                         " ORDER BY p.proname = ? DESC, p.oid LIMIT 1",
                         keys)
                .store;
        if (rows && rows->RowCount() == 1) {
            schema = TextCell(*rows, 0, 0);
            name = TextCell(*rows, 1, 0);
        }
    }

    // pg_proc.pronargdefaults of the routine with that many inputs (else the one with the most, as a
    // call would choose).
    std::size_t PostgresDefaultCount(const std::string& schema, const std::string& name, std::size_t inputs) {
        const vb::Variant keys[] = {vb::Variant(schema), vb::Variant(name),
                                    vb::Variant(static_cast<std::int32_t>(inputs))};
        const auto rows =
            RunStatement("SELECT p.pronargdefaults FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n"
                         " ON n.oid = p.pronamespace WHERE n.nspname = ? AND p.proname = ?"
                         " ORDER BY p.pronargs = ? DESC, p.pronargs DESC, p.oid LIMIT 1",
                         keys)
                .store;
        return rows && rows->RowCount() == 1 ? static_cast<std::size_t>(vb::CLng(rows->Value(0, 0))) : 0;
    }

    bool IsPostgresProcedure(const std::string& schema, const std::string& name) {
        const vb::Variant keys[] = {vb::Variant(schema), vb::Variant(name)};
        const auto rows =
            RunStatement("SELECT count(*) FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n"
                         " ON n.oid = p.pronamespace WHERE n.nspname = ? AND p.proname = ?"
                         " AND p.prokind = 'p'",
                         keys)
                .store;
        return rows && rows->RowCount() == 1 && vb::CDbl(rows->Value(0, 0)) > 0;
    }

    // Looked up once per table and column for the life of the connection: report queries read the
    // same tables over and over, and a schema change mid-session is not something reports do.
    std::string DeclaredTypeOf(const std::string& table, const std::string& column) {
        const std::string key = vb::LCase(table) + '\n' + vb::LCase(column);
        if (const auto cached = m_declaredTypes.find(key); cached != m_declaredTypes.end()) {
            return cached->second;
        }
        std::string declared;
        // The look-up's own result is not described by declarations, which would look itself up.
        m_isReadingDeclarations = true;
        try {
            const vb::Variant keys[] = {vb::Variant(table), vb::Variant(column)};
            const auto rows =
                RunStatement("SELECT type FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE", keys)
                    .store;
            if (rows && rows->RowCount() > 0) {
                declared = TextCell(*rows, 0, 0);
            }
        } catch (const vb::Error&) {
            // An SQLite too old for pragma functions: the driver's own description stands.
        }
        m_isReadingDeclarations = false;
        m_declaredTypes.emplace(key, declared);
        return declared;
    }

    // ---- procedures in an SQLite file ----

    TableProcedure LoadSqliteProcedure(std::string_view name);
    StatementResult CallSqliteProcedure(std::string_view name, std::span<const vb::Variant> values);

    Handle m_env;
    Handle m_dbc;
    bool m_isConnected = false;
    bool m_isSqlite = false;
    bool m_isPostgres = false;
    bool m_isNarrow = false;
    bool m_isReadingDeclarations = false;
    std::string m_identifierQuote;
    DeclaredTypeFn m_declaredType;
    std::unordered_map<std::string, std::string> m_declaredTypes;
    std::string m_dbmsName;
    std::string m_patternEscape;
    int m_timeoutSeconds = 0;
};

TableProcedure OdbcDriver::LoadSqliteProcedure(std::string_view name) {
    std::shared_ptr<RowStore> rows;
    try {
        const vb::Variant key(name);
        rows = RunStatement("SELECT name, params, body FROM vondrel_procedures WHERE name = ? COLLATE NOCASE",
                            std::span<const vb::Variant>(&key, 1))
                   .store;
    } catch (const vb::Error&) {
        // No procedure table at all: the database has no procedures.
        ThrowNotFound(name);
    }
    if (!rows || rows->RowCount() == 0) {
        ThrowNotFound(name);
    }
    return MakeTableProcedure(
        TextCell(*rows, 0, 0), TextCell(*rows, 1, 0), TextCell(*rows, 2, 0), [](ProcParam& param) {
            const DeclaredType declared = TypeFromDeclaration(param.sqlType);
            const ColumnType type = DescribeOdbcType(declared.sqlType, declared.size, declared.digits);
            param.type = type.info.type;
            param.size = type.info.definedSize;
        });
}

StatementResult OdbcDriver::CallSqliteProcedure(std::string_view name, std::span<const vb::Variant> values) {
    const TableProcedure proc = LoadSqliteProcedure(name);
    CheckProcedureValueCount(name, proc.params, values.size());
    // The body runs all or nothing, as in the native driver.
    RunStatement("SAVEPOINT vondrel_call", {});
    try {
        // Parameters the caller left out bind their defaults, computed at each call.
        std::vector<vb::Variant> defaults(proc.params.size());
        for (std::size_t k = values.size() + 1; k < proc.params.size(); ++k) {
            try {
                const auto rows = RunStatement(proc.DefaultQuery(k), {}).store;
                defaults[k] = rows && rows->RowCount() == 1 ? rows->Value(0, 0) : vb::Variant::Null();
            } catch (const vb::Error& error) {
                proc.ThrowBadDefault(k, error.Description());
            }
        }
        StatementResult result;
        std::vector<std::string> placeholders;
        for (const std::string& statement : SplitSqliteScript(proc.body)) {
            const std::string text = RewriteNamedPlaceholders(statement, placeholders);
            std::vector<vb::Variant> bound;
            for (const std::string& placeholder : placeholders) {
                const std::size_t found = proc.IndexOf(placeholder);
                bound.push_back(CoerceToParameter(
                    found <= values.size() ? values[found - 1] : defaults[found], proc.params[found].type));
            }
            StatementResult one = RunStatement(text, bound);
            if (one.store) {
                result.store = std::move(one.store);
            }
        }
        RunStatement("RELEASE vondrel_call", {});
        return result;
    } catch (...) {
        try {
            RunStatement("ROLLBACK TO vondrel_call", {});
            RunStatement("RELEASE vondrel_call", {});
        } catch (const vb::Error&) {
            // The first failure is the one to report; a savepoint already gone changes nothing.
        }
        throw;
    }
}

} // namespace

std::unique_ptr<Driver> OpenOdbcDriver(const std::string& connectionString) {
    return std::make_unique<OdbcDriver>(connectionString);
}

} // namespace ado::detail
