// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT

// PostgreSQL driver (libpq).
//
// Design notes
//
// 1. Session. The connection is opened with client_encoding UTF8 forced after the caller's conninfo
//    (or URI), so every text crossing the boundary is UTF-8 whatever the server or the conninfo say.
//    Then DateStyle ISO (dates parse without guessing; the day/month order for typed-in dates is the
//    server's), lc_monetary C (money prints as "-$1,234.56", the one form ParseMoneyCell reads) and
//    extra_float_digits 1 (shortest exact float text, so doubles round-trip). Server notices are
//    dropped: libpq would otherwise print them on the host's stderr.
//
// 2. Placeholders. Callers write '?' (the portable form); with parameters the text is rewritten to
//    $1, $2, ... skipping literals, quoted identifiers, dollar-quoted bodies and comments
//    (PgSqlText_p.h). Without parameters the text goes out untouched, so a literal '?' or a jsonb
//    ?-operator survives. A statement with parameters but no '?' is taken to use $n already. Values are
//    bound as text with no declared type, and the server infers each type from its use.
//
// 3. Results arrive in single-row mode, in text format, and are converted as they come, so libpq
//    never holds a whole big result beside the converted rows. The binary format would need a decoder
//    per type (numeric, dates) for a gain the text parsers do not leave room for. Catalog look-ups
//    (small results) are read whole. No cell allocates: parsers work on the
//    string_view libpq hands out and append straight into the column.
//
//    Type mapping (result column OID -> field type, storage, defined size):
//      int2 -> adSmallInt, int4/oid -> adInteger, int8 -> adBigInt               Int   2/4/8
//      float4 -> adSingle, float8 -> adDouble, numeric(p,s) -> adNumeric         Real  4/8/19
//      money -> adCurrency (value x 10,000)                                      Int   8
//      bool -> adBoolean (1/0)                                                   Int   2
//      date -> adDBDate, timestamp[tz] -> adDBTimeStamp, time[tz] -> adDBTime    Real  6/16/6
//      varchar(n) -> adVarWChar, bpchar(n) -> adWChar, name -> adVarWChar,
//      "char" -> adChar, text/json/jsonb/xml/arrays/unknown/others -> adLongVarWChar   Text
//      bytea -> adLongVarBinary (raw bytes), uuid -> adGUID ("{UPPER-CASE}")     Text
//    Dates become Date serials (the session's wall clock; zones are dropped); infinity and BC dates
//    become Null. A cell that fails its parser is Null rather than failing the result. If the shared
//    storage choice for a type ever differs from the parser's, cells go through RowStore::AppendValue.
//
// 4. Routines. A name resolves as the server resolves an unqualified call: pg_proc rows with that
//    name that are visible on the search path (or in the named schema when qualified), functions and
//    procedures only. Overloads: DescribeProcedure takes the one with the most inputs; CallProcedure
//    prefers the one whose input count equals the values given, then one the values can call with
//    its defaults, then the most inputs; ties go to the oldest (lowest OID), so the choice is stable.
//    Defaults: pg_proc.pronargdefaults counts the trailing inputs that have one; a call leaves the
//    inputs it has no values for out of the argument list, and the server fills in their defaults.
//    The name is always a bound parameter in catalog queries, and the call is built from the
//    catalog's own schema and name (quoted) and the catalog's type names for the casts ($1::integer),
//    never from caller text.
//      functions:  SELECT * FROM s.f($1::t1, VARIADIC $2::t2[])  - set-returning, table and scalar
//                  functions alike; a void function returns no recordset.
//      procedures: CALL s.p($1::t1, NULL)  - NULL stands in for OUT arguments, which the server
//                  wants in the argument list; INOUT/OUT arguments come back as one row.
//    The return value entry is adInteger for procedures and for functions returning rows, records or
//    void (the status the platform reports), else the mapped scalar type.
//
// 5. Errors keep the server's text: "SQL 语句执行失败：" + the full error message (severity, text,
//    and the LINE pointer the server adds). A lost connection is not silently re-opened: session state
//    (transactions, temp tables, timeouts) would be gone without the caller knowing.

#include "ado/Driver_p.h"
#include "ado/ProcedureList_p.h"
#include "ado/RowStore_p.h"
#include "ado/TypeConv_p.h"
#include "ado/postgres/PgSqlText_p.h"
#include "ado/postgres/PgTypes_p.h"
#include "vb/Error.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <libpq-fe.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ado::detail {
namespace {

using namespace ado::detail::pg;

struct ResultDeleter {
    void operator()(PGresult* result) const noexcept { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

std::string TrimEnd(std::string_view text) {
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == ' ' || text.back() == '\r' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

void IgnoreNotice(void* /*arg*/, const char* /*message*/) {}

// Rows per block of the column-by-column conversion: small enough that a block's cells (about 100
// bytes a row for typical report columns) stay in L2 across the column passes.
constexpr int kBlockRows = 1024;

// The text of a non-null cell; nullopt for SQL NULL. libpq reports NULL as an empty value, so only an
// empty cell needs the extra null check.
inline std::optional<std::string_view> CellText(const PGresult* result, int row, int col) {
    const int length = PQgetlength(result, row, col);
    if (length == 0 && PQgetisnull(result, row, col)) {
        return std::nullopt;
    }
    return std::string_view(PQgetvalue(result, row, col), static_cast<std::size_t>(length));
}

template <typename Append>
void ConvertBlock(const PGresult* result, int col, int firstRow, int endRow, Column& column, Append append) {
    for (int row = firstRow; row < endRow; ++row) {
        if (const auto text = CellText(result, row, col)) {
            append(*text);
        } else {
            column.AppendNull();
        }
    }
}

// The cell as a Variant of the field's sub-type, for a column whose storage is not the parser's own.
vb::Variant CellVariant(CellKind kind, std::string_view text, std::string& scratch) {
    switch (kind) {
    case CellKind::Integer:
        if (const auto value = ParseIntegerCell(text)) {
            return vb::Variant(static_cast<double>(*value));
        }
        break;
    case CellKind::Boolean:
        if (const auto value = ParseBooleanCell(text)) {
            return vb::Variant(*value != 0);
        }
        break;
    case CellKind::Money:
        if (const auto value = ParseMoneyCell(text)) {
            return vb::Variant(vb::Currency{*value});
        }
        break;
    case CellKind::Real:
        if (const auto value = ParseRealCell(text)) {
            return vb::Variant(*value);
        }
        break;
    case CellKind::DateTime:
        if (const auto value = ParseDateTimeCell(text)) {
            return vb::Variant(vb::Date{*value});
        }
        break;
    case CellKind::TimeOfDay:
        if (const auto value = ParseTimeOfDayCell(text)) {
            return vb::Variant(vb::Date{*value});
        }
        break;
    case CellKind::Bytea:
        if (DecodeByteaCell(text, scratch)) {
            return vb::Variant(scratch);
        }
        break;
    case CellKind::Guid: {
        char guid[kGuidTextSize];
        if (FormatGuidCell(text, guid)) {
            return vb::Variant(std::string_view(guid, kGuidTextSize));
        }
        break;
    }
    case CellKind::Text:
        return vb::Variant(text);
    }
    return vb::Variant::Null();
}

void ConvertColumnBlock(const PGresult* result, int col, int firstRow, int endRow, CellKind kind,
                        RowStore& store, std::string& scratch) {
    Column& column = store.ColumnAt(static_cast<std::size_t>(col));
    if (column.storage() != NaturalStorage(kind)) {
        for (int row = firstRow; row < endRow; ++row) {
            const auto text = CellText(result, row, col);
            store.AppendValue(static_cast<std::size_t>(col),
                              text ? CellVariant(kind, *text, scratch) : vb::Variant::Null());
        }
        return;
    }
    const auto appendInt = [&column](std::optional<std::int64_t> value) {
        value ? column.AppendInt(*value) : column.AppendNull();
    };
    const auto appendReal = [&column](std::optional<double> value) {
        value ? column.AppendReal(*value) : column.AppendNull();
    };
    switch (kind) {
    case CellKind::Integer:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { appendInt(ParseIntegerCell(text)); });
        break;
    case CellKind::Boolean:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { appendInt(ParseBooleanCell(text)); });
        break;
    case CellKind::Money:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { appendInt(ParseMoneyCell(text)); });
        break;
    case CellKind::Real:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { appendReal(ParseRealCell(text)); });
        break;
    case CellKind::DateTime:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { appendReal(ParseDateTimeCell(text)); });
        break;
    case CellKind::TimeOfDay:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { appendReal(ParseTimeOfDayCell(text)); });
        break;
    case CellKind::Text:
        ConvertBlock(result, col, firstRow, endRow, column,
                     [&](std::string_view text) { column.AppendText(text); });
        break;
    case CellKind::Bytea:
        ConvertBlock(result, col, firstRow, endRow, column, [&](std::string_view text) {
            DecodeByteaCell(text, scratch) ? column.AppendText(scratch) : column.AppendNull();
        });
        break;
    case CellKind::Guid:
        ConvertBlock(result, col, firstRow, endRow, column, [&](std::string_view text) {
            char guid[kGuidTextSize];
            FormatGuidCell(text, guid) ? column.AppendText(std::string_view(guid, kGuidTextSize))
                                       : column.AppendNull();
        });
        break;
    }
}

// An empty store with the result's columns; kinds receives each column's cell parser.
std::shared_ptr<RowStore> NewStore(const PGresult* result, std::vector<CellKind>& kinds) {
    const int colCount = PQnfields(result);
    std::vector<FieldInfo> fields;
    std::vector<Storage> storages;
    kinds.clear();
    fields.reserve(static_cast<std::size_t>(colCount));
    for (int col = 0; col < colCount; ++col) {
        ColumnType type = DescribeColumnType(PQftype(result, col), PQfmod(result, col));
        type.info.name = PQfname(result, col);
        storages.push_back(StorageForType(type.info.type));
        kinds.push_back(type.kind);
        fields.push_back(std::move(type.info));
    }
    return std::make_shared<RowStore>(std::move(fields), std::move(storages));
}

void AppendRows(const PGresult* result, const std::vector<CellKind>& kinds, RowStore& store,
                std::string& scratch) {
    const int colCount = PQnfields(result);
    const int rowCount = PQntuples(result);
    for (int firstRow = 0; firstRow < rowCount; firstRow += kBlockRows) {
        const int endRow = std::min(rowCount, firstRow + kBlockRows);
        for (int col = 0; col < colCount; ++col) {
            ConvertColumnBlock(result, col, firstRow, endRow, kinds[static_cast<std::size_t>(col)], store,
                               scratch);
        }
    }
}

// "UPDATE 3" -> 3; SELECT and FETCH counts are rows returned, not rows changed, so they give -1.
long RecordsAffected(PGresult* result) {
    const std::string_view status = PQcmdStatus(result);
    if (status.starts_with("SELECT") && PQresultStatus(result) == PGRES_TUPLES_OK) {
        return -1;
    }
    if (status.starts_with("FETCH") || status.starts_with("MOVE")) {
        return -1;
    }
    const std::string_view count = PQcmdTuples(result);
    long value = -1;
    if (count.empty() ||
        std::from_chars(count.data(), count.data() + count.size(), value).ec != std::errc{}) {
        return -1;
    }
    return value;
}

// One routine as the catalog describes it; args holds every declared argument, OUT ones included.
struct RoutineArg {
    char mode = 'i'; // i in, o out, b inout, v variadic, t table column
    std::string name;
    std::uint32_t typeOid = 0;
    std::string typeName;
    bool isPseudoType = false; // anyelement and the like cannot be cast to
    bool hasDefault = false;
    bool IsInput() const noexcept { return mode == 'i' || mode == 'b' || mode == 'v'; }
};

struct Routine {
    std::string oid;
    char kind = 'f';
    bool returnsSet = false;
    std::uint32_t returnOid = 0;
    std::string returnTypeName;
    bool returnsRowType = false; // composite or pseudo type (record, void, trigger ...)
    std::string schema;
    std::string name;
    std::vector<RoutineArg> args;

    std::size_t InputCount() const {
        return static_cast<std::size_t>(
            std::count_if(args.begin(), args.end(), [](const RoutineArg& arg) { return arg.IsInput(); }));
    }
};

// Ordering prefers an exact input count ($3 = -1 never matches), then a count the routine's defaults
// make up for, then more inputs, then the oldest.
// What every session of this driver runs first, again after a reconnect.
constexpr const char* kSessionSettings =
    "SET DateStyle = ISO; SET lc_monetary = 'C'; SET extra_float_digits = 1";

constexpr const char* kFindRoutineSql =
    "SELECT p.oid, p.prokind, p.proretset, p.prorettype, pg_catalog.format_type(p.prorettype, NULL),"
    " t.typtype IN ('c', 'p'), n.nspname, p.proname, p.pronargdefaults"
    " FROM pg_catalog.pg_proc p"
    " JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace"
    " JOIN pg_catalog.pg_type t ON t.oid = p.prorettype"
    " WHERE p.proname = $1 AND p.prokind IN ('f', 'p')"
    " AND CASE WHEN $2::text IS NULL THEN pg_catalog.pg_function_is_visible(p.oid) ELSE n.nspname = $2::text "
    "END"
    " ORDER BY p.pronargs = $3::int DESC,"
    " $3::int BETWEEN p.pronargs - p.pronargdefaults AND p.pronargs DESC, p.pronargs DESC, p.oid"
    " LIMIT 1";

constexpr const char* kRoutineArgsSql =
    "SELECT COALESCE(a.mode, 'i'), COALESCE(a.name, ''), a.typ, pg_catalog.format_type(a.typ, NULL),"
    " t.typtype = 'p'"
    " FROM pg_catalog.pg_proc p"
    " CROSS JOIN LATERAL unnest(COALESCE(p.proallargtypes, p.proargtypes::pg_catalog.oid[]),"
    " p.proargmodes, p.proargnames) WITH ORDINALITY AS a(typ, mode, name, ord)"
    " JOIN pg_catalog.pg_type t ON t.oid = a.typ"
    " WHERE p.oid = $1::pg_catalog.oid"
    " ORDER BY a.ord";

std::uint32_t ParseOid(std::string_view text) {
    std::uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

class PgDriver final : public Driver {
public:
    explicit PgDriver(PGconn* conn) : m_conn(conn) {}
    ~PgDriver() override { PQfinish(m_conn); }
    PgDriver(const PgDriver&) = delete;
    PgDriver& operator=(const PgDriver&) = delete;

    std::string Dialect() const override { return "postgresql"; }

    StatementResult Run(std::string_view sql, std::span<const vb::Variant> params) override {
        if (params.empty()) {
            return Stream(sql, {});
        }
        std::size_t placeholderCount = 0;
        std::string rewritten = RewritePlaceholders(sql, placeholderCount);
        if (placeholderCount != 0 && placeholderCount != params.size()) {
            throw vb::Error(vb::kErrInvalidCall, "SQL 语句的参数个数不符：语句中有 " +
                                                     std::to_string(placeholderCount) + " 个 ?，给出 " +
                                                     std::to_string(params.size()) + " 个");
        }
        std::vector<std::optional<std::string>> texts;
        texts.reserve(params.size());
        for (const vb::Variant& value : params) {
            texts.push_back(BindText(value, /*boolWords*/ true));
        }
        return Stream(placeholderCount == 0 ? sql : std::string_view(rewritten), texts);
    }

    std::vector<ProcParam> DescribeProcedure(std::string_view name) override {
        return ParamsOf(FindRoutine(name, std::nullopt));
    }

    StatementResult CallProcedure(std::string_view name, const std::vector<ProcParam>& params,
                                  std::span<const vb::Variant> values) override {
        CheckProcedureValueCount(name, params, values.size());
        const Routine routine = FindRoutine(name, values.size());
        // The catalog decides which inputs have defaults; a caller's list may say otherwise.
        CheckProcedureValueCount(name, ParamsOf(routine), values.size());
        // Casts and names come from the catalog only: caller-supplied sqlType text never reaches the SQL.
        std::string sql = routine.kind == 'p' ? "CALL " : "SELECT * FROM ";
        sql += QuoteIdentifier(routine.schema) + "." + QuoteIdentifier(routine.name) + "(";
        std::size_t bound = 0;
        bool isFirst = true;
        for (const RoutineArg& arg : routine.args) {
            if (!arg.IsInput()) {
                if (routine.kind == 'p' && arg.mode == 'o') {
                    sql += isFirst ? "NULL" : ", NULL";
                    isFirst = false;
                }
                continue;
            }
            if (bound == values.size()) {
                continue; // trailing inputs left to their defaults
            }
            sql += isFirst ? "" : ", ";
            isFirst = false;
            sql += arg.mode == 'v' ? "VARIADIC $" : "$";
            sql += std::to_string(++bound);
            if (!arg.isPseudoType) {
                sql += "::" + arg.typeName;
            }
        }
        sql += ")";
        std::vector<std::optional<std::string>> texts;
        texts.reserve(values.size());
        for (const vb::Variant& value : values) {
            texts.push_back(BindText(value, /*boolWords*/ true));
        }
        StatementResult result = Stream(sql, texts);
        if (routine.kind == 'f' && !routine.returnsSet && routine.returnOid == kOidVoid) {
            result.store = nullptr;
        }
        if (result.store) {
            result.recordsAffected = -1;
        }
        return result;
    }

    void SetTimeout(int seconds) override {
        if (seconds < 0) {
            throw vb::Error(vb::kErrInvalidCall, "超时秒数不能为负数：" + std::to_string(seconds));
        }
        const long long milliseconds = static_cast<long long>(seconds) * 1000;
        Exec("SET statement_timeout = " + std::to_string(milliseconds), {});
        m_timeoutMs = milliseconds;
    }

private:
    // Runs one statement and returns its successful result; throws with the server's text otherwise.
    ResultPtr Exec(std::string_view sql, const std::vector<std::optional<std::string>>& texts) {
        EnsureConnected();
        const std::string statement(sql);
        ResultPtr result;
        if (texts.empty()) {
            result.reset(PQexec(m_conn, statement.c_str()));
        } else {
            std::vector<const char*> values;
            values.reserve(texts.size());
            for (const auto& text : texts) {
                values.push_back(text ? text->c_str() : nullptr);
            }
            result.reset(PQexecParams(m_conn, statement.c_str(), static_cast<int>(values.size()), nullptr,
                                      values.data(), nullptr, nullptr, 0));
        }
        if (!result) {
            ThrowStatementError(PQerrorMessage(m_conn));
        }
        const ExecStatusType status = PQresultStatus(result.get());
        switch (status) {
        case PGRES_TUPLES_OK:
        case PGRES_COMMAND_OK:
        case PGRES_EMPTY_QUERY:
            return result;
        case PGRES_COPY_IN:
        case PGRES_COPY_OUT:
        case PGRES_COPY_BOTH:
            AbandonCopy(status);
            ThrowStatementError("不支持 COPY 语句");
        default:
            break;
        }
        const char* message = PQresultErrorMessage(result.get());
        ThrowStatementError(message && *message ? message : PQerrorMessage(m_conn));
    }

    // A COPY leaves the connection in copy mode; end it so that the next statement can run.
    void AbandonCopy(ExecStatusType status) {
        if (status == PGRES_COPY_OUT) {
            char* buffer = nullptr;
            while (PQgetCopyData(m_conn, &buffer, 0) > 0) {
                PQfreemem(buffer);
            }
        } else if (PQputCopyEnd(m_conn, "COPY is not supported by this client") < 0) {
            return;
        }
        while (PGresult* pending = PQgetResult(m_conn)) {
            PQclear(pending);
        }
    }

    [[noreturn]] void ThrowStatementError(std::string_view message) {
        if (PQstatus(m_conn) == CONNECTION_BAD) {
            throw vb::Error(
                vb::kErrAdoProvider,
                std::string("与 PostgreSQL 数据库的连接已断开（数据库服务器停止或重启），这次操作没有完成；"
                            "服务器恢复后再试一次即可。详情：")
                    .append(TrimEnd(message)));
        }
        throw vb::Error(vb::kErrAdoProvider, "SQL 语句执行失败：" + TrimEnd(message));
    }

    // A server that stopped or restarted leaves the connection dead. The next statement reconnects
    // first, with the same conninfo (its options, the search_path among them) and the session settings
    // this driver made, so a window works again once the server is back; the statement that met the
    // dead connection was reported and is never re-sent, since the server may have run it. A
    // transaction open when the connection died is gone: that is reported once instead of letting the
    // statements after it run outside it.
    void EnsureConnected() {
        if (PQstatus(m_conn) == CONNECTION_OK) {
            if (PQtransactionStatus(m_conn) == PQTRANS_IDLE) {
                // An idle connection whose server went away has the server's goodbye and then the end of
                // the stream waiting on its socket: reading them finds that out before a statement is
                // sent into a dead connection.
                pollfd socket{PQsocket(m_conn), POLLIN, 0};
                for (int round = 0; round < 4 && ::poll(&socket, 1, 0) > 0 && PQconsumeInput(m_conn);
                     ++round) {
                }
            }
            if (PQstatus(m_conn) == CONNECTION_OK) {
                const PGTransactionStatusType state = PQtransactionStatus(m_conn);
                m_inTransaction = state == PQTRANS_INTRANS || state == PQTRANS_INERROR;
                return;
            }
        }
        PQreset(m_conn);
        if (PQstatus(m_conn) != CONNECTION_OK) {
            throw vb::Error(
                vb::kErrAdoProvider,
                std::string("与 PostgreSQL "
                            "数据库的连接已断开，重新连接也没有成功；请确认数据库服务器已经启动。详情：")
                    .append(TrimEnd(PQerrorMessage(m_conn))));
        }
        PQsetNoticeProcessor(m_conn, IgnoreNotice, nullptr);
        ApplySessionSettings();
        if (m_inTransaction) {
            m_inTransaction = false;
            throw vb::Error(vb::kErrAdoProvider, "与 PostgreSQL 数据库的连接曾经断开，未提交的事务已经丢失；"
                                                 "连接已恢复，请重新执行整个操作。");
        }
    }

    void ApplySessionSettings() {
        std::string settings = kSessionSettings;
        if (m_timeoutMs) {
            settings.append("; SET statement_timeout = ").append(std::to_string(*m_timeoutMs));
        }
        ResultPtr result(PQexec(m_conn, settings.c_str()));
        if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
            ThrowStatementError(result ? PQresultErrorMessage(result.get()) : PQerrorMessage(m_conn));
        }
    }

    // The parameter list callers see: the return value, then the inputs in declaration order.
    static std::vector<ProcParam> ParamsOf(const Routine& routine) {
        std::vector<ProcParam> params;
        ProcParam ret;
        ret.name = "RETURN_VALUE";
        ret.direction = adParamReturnValue;
        ret.sqlType = routine.returnTypeName;
        if (routine.kind == 'p' || routine.returnsSet || routine.returnsRowType) {
            ret.type = adInteger;
            ret.size = 4;
        } else {
            const ColumnType type = DescribeColumnType(routine.returnOid, -1);
            ret.type = type.info.type;
            ret.size = type.info.definedSize;
        }
        params.push_back(std::move(ret));
        std::size_t inputIdx = 0;
        for (const RoutineArg& arg : routine.args) {
            if (!arg.IsInput()) {
                continue;
            }
            ++inputIdx;
            ProcParam param;
            // Unnamed arguments get "p1", "p2" ... by input position. Appended rather than "p" + text, which
            // trips a false -Wrestrict in GCC 12's inlined string concatenation.
            param.name = arg.name;
            if (param.name.empty()) {
                param.name.append("p").append(std::to_string(inputIdx));
            }
            param.direction = arg.mode == 'b' ? adParamInputOutput : adParamInput;
            const ColumnType type = DescribeColumnType(arg.typeOid, -1);
            param.type = type.info.type;
            param.size = type.info.definedSize;
            param.sqlType = arg.typeName;
            param.hasDefault = arg.hasDefault;
            params.push_back(std::move(param));
        }
        return params;
    }

    // Runs a statement (or, without values, a script) in single-row mode and builds the rows as they
    // arrive: holding libpq's whole result beside the converted rows would more than double the peak
    // memory of a big report. On an error every result is still drained, so the connection stays
    // usable, and the rows read so far are dropped.
    StatementResult Stream(std::string_view sql, const std::vector<std::optional<std::string>>& texts) {
        EnsureConnected();
        const std::string statement(sql);
        int sent = 0;
        if (texts.empty()) {
            sent = PQsendQuery(m_conn, statement.c_str());
        } else {
            std::vector<const char*> values;
            values.reserve(texts.size());
            for (const auto& text : texts) {
                values.push_back(text ? text->c_str() : nullptr);
            }
            sent = PQsendQueryParams(m_conn, statement.c_str(), static_cast<int>(values.size()), nullptr,
                                     values.data(), nullptr, nullptr, 0);
        }
        if (!sent) {
            ThrowStatementError(PQerrorMessage(m_conn));
        }
        PQsetSingleRowMode(m_conn);
        StatementResult out;
        std::shared_ptr<RowStore> building;
        std::vector<CellKind> kinds;
        std::string scratch;
        std::optional<std::string> error;
        while (PGresult* raw = PQgetResult(m_conn)) {
            const ResultPtr result(raw);
            const ExecStatusType status = PQresultStatus(raw);
            if (error) {
                continue; // drain what follows the failure
            }
            switch (status) {
            case PGRES_SINGLE_TUPLE:
            case PGRES_TUPLES_OK:
                if (!building) {
                    building = NewStore(raw, kinds);
                }
                AppendRows(raw, kinds, *building, scratch);
                if (status == PGRES_TUPLES_OK) {
                    building->SealRows();
                    out.store = std::move(building);
                    out.recordsAffected = RecordsAffected(raw);
                }
                break;
            case PGRES_COMMAND_OK:
                out.recordsAffected = RecordsAffected(raw);
                break;
            case PGRES_EMPTY_QUERY:
                break;
            case PGRES_COPY_IN:
            case PGRES_COPY_OUT:
            case PGRES_COPY_BOTH:
                AbandonCopy(status);
                error = "不支持 COPY 语句";
                break;
            default: {
                const char* message = PQresultErrorMessage(raw);
                error = message && *message ? message : PQerrorMessage(m_conn);
                break;
            }
            }
        }
        if (error) {
            ThrowStatementError(*error);
        }
        return out;
    }

    std::string QuoteIdentifier(const std::string& identifier) {
        char* quoted = PQescapeIdentifier(m_conn, identifier.c_str(), identifier.size());
        if (!quoted) {
            ThrowStatementError(PQerrorMessage(m_conn));
        }
        std::string out(quoted);
        PQfreemem(quoted);
        return out;
    }

    // preferredInputs: the number of values a call supplies (nullopt when describing).
    Routine FindRoutine(std::string_view name, std::optional<std::size_t> preferredInputs) {
        const auto parsed = ParseRoutineName(name);
        if (!parsed) {
            ThrowNotFound(name);
        }
        std::vector<std::optional<std::string>> texts;
        texts.emplace_back(parsed->name);
        texts.push_back(parsed->schema.empty() ? std::nullopt : std::optional<std::string>(parsed->schema));
        texts.emplace_back(preferredInputs ? std::to_string(*preferredInputs) : "-1");
        const ResultPtr found = Exec(kFindRoutineSql, texts);
        if (PQntuples(found.get()) == 0) {
            ThrowNotFound(name);
        }
        const auto cell = [&found](int col) {
            return std::string(PQgetvalue(found.get(), 0, col));
        };
        Routine routine;
        routine.oid = cell(0);
        routine.kind = cell(1).front();
        routine.returnsSet = cell(2) == "t";
        routine.returnOid = ParseOid(cell(3));
        routine.returnTypeName = cell(4);
        routine.returnsRowType = cell(5) == "t";
        routine.schema = cell(6);
        routine.name = cell(7);
        const std::string defaults = cell(8);
        std::size_t defaultCount = 0;
        std::from_chars(defaults.data(), defaults.data() + defaults.size(), defaultCount);

        const ResultPtr args = Exec(kRoutineArgsSql, {routine.oid});
        for (int row = 0; row < PQntuples(args.get()); ++row) {
            RoutineArg arg;
            arg.mode = *PQgetvalue(args.get(), row, 0);
            arg.name = PQgetvalue(args.get(), row, 1);
            arg.typeOid = ParseOid(PQgetvalue(args.get(), row, 2));
            arg.typeName = PQgetvalue(args.get(), row, 3);
            arg.isPseudoType = *PQgetvalue(args.get(), row, 4) == 't';
            routine.args.push_back(std::move(arg));
        }
        // The defaults belong to the last inputs.
        for (auto arg = routine.args.rbegin(); arg != routine.args.rend() && defaultCount > 0; ++arg) {
            if (arg->IsInput()) {
                arg->hasDefault = true;
                --defaultCount;
            }
        }
        return routine;
    }

    [[noreturn]] static void ThrowNotFound(std::string_view name) {
        throw vb::Error(vb::kErrAdoProvider, "找不到存储过程：" + std::string(name));
    }

    PGconn* const m_conn;
    bool m_inTransaction = false;
    std::optional<long long> m_timeoutMs;
};

} // namespace

std::unique_ptr<Driver> OpenPostgresDriver(const std::string& conninfo) {
    // The conninfo (or URI) is expanded from dbname; the keyword after it overrides whatever encoding
    // the caller's string names, because every layer above speaks UTF-8.
    const char* const keywords[] = {"dbname", "client_encoding", nullptr};
    const char* const values[] = {conninfo.c_str(), "UTF8", nullptr};
    PGconn* conn = PQconnectdbParams(keywords, values, /*expand_dbname*/ 1);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        std::string message = conn ? TrimEnd(PQerrorMessage(conn)) : "内存不足";
        PQfinish(conn);
        throw vb::Error(vb::kErrAdoProvider, "无法连接 PostgreSQL 数据库：" + message);
    }
    PQsetNoticeProcessor(conn, IgnoreNotice, nullptr);
    auto driver = std::make_unique<PgDriver>(conn);
    driver->Run(kSessionSettings, {});
    return driver;
}

} // namespace ado::detail
