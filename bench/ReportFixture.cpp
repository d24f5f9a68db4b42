// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ReportFixture.h"

#include "BenchSupport.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/ModGridPrint.h"
#include "controls/sheet/SheetDocument.h"
#include "hostobject/LoginRecord.h"
#include "printsheet/ExportFormats.h"
#include "sqlreport/SqlReport.h"
#include "vb/Error.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <libpq-fe.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <sstream>
#include <stdexcept>

namespace vondrel::bench {
namespace {

volatile std::size_t g_sink = 0; // keeps the baseline loop from being optimised away

constexpr const char* kParentSql = "SELECT * FROM bench_rows WHERE fdate >= :fdatefrom AND fid <= 100000";
constexpr const char* kChildSql =
    "SELECT * FROM bench_rows WHERE fdate >= :fdatefrom AND fstore = :fstore AND fid <= 700000";

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(VONDREL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (text.str().empty()) {
        throw std::runtime_error("cannot read " + relative);
    }
    return text.str();
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    quoted += '\'';
    return quoted;
}

// The three reports' rows in the catalogue tables, the same on every database.
std::string CatalogueRows() {
    std::string sql = "INSERT INTO qv_rptgrp VALUES (1, '销售报表');\n";
    const auto report = [&](int id, const char* name, const char* proc) {
        sql.append("INSERT INTO qv_report (qid, qrptname, qrptgrpid, qfmtfilename, qheadheight, qclsname, "
                   "qstoreproc) VALUES (")
            .append(std::to_string(id))
            .append(", '")
            .append(name)
            .append("', 1, 'bench.cll', 1200, 'Vondrel.SqlReport', ")
            .append(proc ? Quoted(proc) : "NULL")
            .append(");\n");
    };
    report(kBigReport, kBigName, nullptr);
    report(kParentReport, kParentName, "sp_bench_parent");
    report(kChildReport, kChildName, "sp_bench_child");
    const auto query = [&](int id, const std::string& text) {
        sql.append("INSERT INTO qv_sqlreport (qid, qsql) VALUES (")
            .append(std::to_string(id))
            .append(", ")
            .append(Quoted(text))
            .append(");\n");
    };
    query(kBigReport, kBigSql);
    query(kParentReport, kParentSql);
    query(kChildReport, kChildSql);
    for (const int id : {kBigReport, kParentReport, kChildReport}) {
        sql.append("INSERT INTO qv_sqlreportpara (qid, qorder, qname, qcaption, qtype, qdefault) VALUES (")
            .append(std::to_string(id))
            .append(", 1, 'fdatefrom', '开始日期', 'date', '2024-01-01');\n");
        sql.append("INSERT INTO qv_rptpara (qid, qorder, qname, qcaption, qdatatype) VALUES (")
            .append(std::to_string(id))
            .append(", 1, 'fdatefrom', '开始日期', 'date');\n");
    }
    sql.append("INSERT INTO qv_sqlreportpara (qid, qorder, qname, qcaption, qtype, qdefault) VALUES (")
        .append(std::to_string(kChildReport))
        .append(", 2, 'fstore', '门店', 'int', ")
        .append(Quoted(kClickedStore))
        .append(");\n");
    sql.append("INSERT INTO qv_rptpara (qid, qorder, qname, qcaption, qdatatype) VALUES (")
        .append(std::to_string(kChildReport))
        .append(", 2, 'fstore', '门店', 'int');\n");
    sql.append("INSERT INTO qv_rptdetail VALUES (")
        .append(std::to_string(kParentReport))
        .append(", ")
        .append(std::to_string(kChildReport))
        .append(", 'fstore/门店:fstore');\n");
    return sql;
}

} // namespace

void WriteCatalogue(const std::string& path) {
    std::string sql = ReadSource("demo/sqlite/01-catalogue.sql") + CatalogueRows();
    // Reached by a drill or a return, the reports fetch through procedures whose bodies are their own
    // statements; the window passes every value as text.
    sql.append(
        "CREATE TABLE IF NOT EXISTS vondrel_procedures (name TEXT PRIMARY KEY, params TEXT, body TEXT);\n"
        "DELETE FROM vondrel_procedures WHERE name IN ('sp_bench_parent', 'sp_bench_child');\n");
    sql.append("INSERT INTO vondrel_procedures VALUES ('sp_bench_parent', 'fdatefrom DATE', ")
        .append(Quoted(kParentSql))
        .append(");\n");
    std::string child = kChildSql;
    child.replace(child.find(":fstore"), 7, "CAST(:fstore AS INTEGER)");
    sql.append("INSERT INTO vondrel_procedures VALUES ('sp_bench_child', 'fdatefrom DATE, fstore INTEGER', ")
        .append(Quoted(child))
        .append(");\n");
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, std::string("BEGIN;\n").append(sql).append("COMMIT;\n").c_str(), nullptr,
                                nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        throw std::runtime_error("writing the report catalogue failed: " + message);
    }
}

void WriteReportTemplate() {
    const std::filesystem::path file = std::filesystem::path("bench-data") / "bench.cll";
    static const char* const kFields[] = {"fid",    "fqty",    "fstore", "fcustomer", "fproduct",
                                          "fprice", "famount", "ftax",   "fdate",     "fdue"};
    static const char* const kCaptions[] = {"单号", "数量", "门店", "客户", "产品",
                                            "单价", "金额", "税额", "日期", "到期日"};
    // Widths in pixels as a designer leaves them: room for a customer's name and for a million rows' totals.
    static const int kWidths[] = {70, 50, 40, 170, 90, 95, 110, 100, 80, 80};
    sheet::SheetDocument doc;
    bool ok = doc.Resize(10, 6) && doc.SetCellText(0, 0, "start") && doc.SetCellText(0, 4, "end");
    for (int col = 0; col < 10; ++col) {
        ok = ok && doc.SetCellText(col, 2, kCaptions[col]) && doc.SetCellText(col, 3, kFields[col]) &&
             doc.SetColWidth(col, kWidths[col]);
        if (col == 3 || col == 4) {
            ok = ok && doc.SetCellAlign(col, 3, 33); // texts left, centred in the row
        }
        if (col >= 5 && col <= 7) {
            ok = ok && doc.SetCellNumFormat(col, 3, 1, false, 2, -1, 0.0, 0, false) &&
                 doc.SetCellOption(col, 3, 2) && doc.SetCellText(col, 5, "y");
        }
    }
    if (!ok || !doc.SaveFile(file.string())) {
        throw std::runtime_error("could not write the benchmark template");
    }
}

// The plainest loop over the big report's statement with SQLite's C API, the same value bound.
void SqliteLoop(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, kBigSqlBound, -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, kFirstDay, -1, SQLITE_STATIC);
    constexpr char kKinds[] = "iiittdddtt"; // integer, text, decimal
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int col = 0; col < 10; ++col) {
            switch (kKinds[col]) {
            case 'i':
                g_sink = g_sink + static_cast<std::size_t>(sqlite3_column_int64(stmt, col));
                break;
            case 'd':
                g_sink = g_sink + static_cast<std::size_t>(sqlite3_column_double(stmt, col));
                break;
            default:
                g_sink = g_sink + (sqlite3_column_text(stmt, col) != nullptr);
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

std::string WritePostgresReport(const std::string& conninfo, long rows) {
    const std::string schema = "bench_" + std::to_string(rows);
    auto cnn = ado::Connection::Create();
    cnn->Open(conninfo);
    const auto count = [&] {
        auto rs = cnn->Execute("SELECT count(*) AS n FROM " + schema + ".bench_rows");
        return *rs->Fields("n").Value().NumberValue();
    };
    bool isThere = false;
    try {
        isThere = count() == static_cast<double>(rows);
    } catch (const vb::Error&) {
        isThere = false; // no such schema or table yet
    }
    if (!isThere) {
        cnn->Execute("DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
        cnn->Execute("SET search_path TO " + schema + ";\n" +
                     FillTemplate(kPostgresSalesSql, rows, "bench_rows"));
    }
    // The catalogue is rewritten every run, as WriteCatalogue does.
    cnn->Execute("SET search_path TO " + schema + ";\n" + ReadSource("demo/postgres/01-catalogue.sql") +
                 CatalogueRows());
    return conninfo + " options='-c search_path=" + schema + "'";
}

void PostgresSingleRowLoop(const std::string& conninfo) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    if (PQstatus(conn) != CONNECTION_OK || !PQsendQuery(conn, kBigSqlLiteral) || !PQsetSingleRowMode(conn)) {
        std::fprintf(stderr, "bench: libpq: %s\n", PQerrorMessage(conn));
        std::_Exit(6);
    }
    constexpr char kKinds[] = "iiittdddDD"; // integer, text, decimal, date
    while (PGresult* result = PQgetResult(conn)) {
        if (PQresultStatus(result) == PGRES_SINGLE_TUPLE) {
            for (int col = 0; col < 10; ++col) {
                if (PQgetisnull(result, 0, col)) {
                    continue;
                }
                // Numbers and dates have to be read to be used; text is used as it is.
                const char* text = PQgetvalue(result, 0, col);
                g_sink = g_sink + (kKinds[col] == 't' ? static_cast<std::size_t>(PQgetlength(result, 0, col))
                                                      : static_cast<std::size_t>(std::strtod(text, nullptr)));
            }
        }
        PQclear(result);
    }
    PQfinish(conn);
}

void OdbcBlockFetchLoop(const std::string& connectionString) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connection = connectionString;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()), SQL_NTS,
                                        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)) ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt))) {
        std::fprintf(stderr, "bench: ODBC: no connection\n");
        std::_Exit(6);
    }
    // The driver's best case: column-wise arrays of 512 rows in the types the columns have, each
    // cell read once, nothing kept.
    constexpr SQLULEN kRows = 512;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
    std::string sql = kBigSqlLiteral;
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) {
        std::fprintf(stderr, "bench: ODBC: the query failed\n");
        std::_Exit(6);
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    struct Bound {
        SQLSMALLINT type = SQL_C_WCHAR;
        SQLLEN width = 0;
        std::vector<unsigned char> cells;
        std::vector<SQLLEN> lengths = std::vector<SQLLEN>(kRows);
    };
    std::vector<Bound> bound(static_cast<std::size_t>(columns));
    for (SQLSMALLINT col = 1; col <= columns; ++col) {
        Bound& b = bound[static_cast<std::size_t>(col - 1)];
        SQLSMALLINT sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt, static_cast<SQLUSMALLINT>(col), nullptr, 0, nullptr, &sqlType, &size, &digits,
                       &nullable);
        switch (sqlType) {
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_BIGINT:
            b.type = SQL_C_SBIGINT;
            b.width = 8;
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
        case SQL_DOUBLE:
        case SQL_FLOAT:
        case SQL_REAL:
            b.type = SQL_C_DOUBLE;
            b.width = 8;
            break;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
            b.type = SQL_C_TYPE_TIMESTAMP;
            b.width = sizeof(SQL_TIMESTAMP_STRUCT);
            break;
        default:
            b.width = static_cast<SQLLEN>((size * 2 + 1) * sizeof(SQLWCHAR));
            break;
        }
        b.cells.resize(static_cast<std::size_t>(b.width) * kRows);
        SQLBindCol(stmt, static_cast<SQLUSMALLINT>(col), b.type, b.cells.data(), b.width, b.lengths.data());
    }
    SQLULEN fetched = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    SQLRETURN rc = SQL_SUCCESS;
    while ((rc = SQLFetch(stmt)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
        for (const Bound& b : bound) {
            for (SQLULEN row = 0; row < fetched; ++row) {
                if (b.lengths[row] != SQL_NULL_DATA) {
                    g_sink = g_sink + static_cast<std::size_t>(b.cells[row * static_cast<SQLULEN>(b.width)]);
                }
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

double RawDataBytes(const std::string& path) {
    auto cnn = ado::Connection::Create();
    cnn->Open(path);
    auto rs = cnn->Execute("SELECT sum(length(CAST(fcustomer AS BLOB)) + length(CAST(fproduct AS BLOB))) + "
                           "count(*) * 64 AS raw FROM bench_rows");
    return *rs->Fields("raw").Value().NumberValue();
}

ui::Answer BenchServices::ShowMessage(const ui::Message& message) {
    if (!exportPath.empty() && message.text.ends_with("]成功")) {
        return ui::Answer::Ok;
    }
    std::fprintf(stderr, "bench: unexpected message: %s\n", message.text.c_str());
    std::_Exit(3);
}

std::optional<ui::SaveFileChoice> BenchServices::AskSaveFile(const ui::SaveFileRequest&) {
    if (exportPath.empty()) {
        return std::nullopt;
    }
    // The file type the name's extension names, as a user picks it in the dialog's list.
    const std::string extension = std::filesystem::path(exportPath).extension().string();
    const int fileType = QV_GridPrint::ExportFileTypeOf(extension.empty() ? "" : extension.substr(1));
    return ui::SaveFileChoice{exportPath, fileType != 0 ? fileType : 1};
}

std::shared_ptr<QV_GridPrint::SheetOutput> NoPrinting() {
    return std::make_shared<QV_GridPrint::RefusedSheetOutput>("no printing in benchmarks");
}

bool BenchPrompt::AskParameters(const std::string&, QV_GridPrint::ParameterForm& form) {
    if (const auto problem = form.Validate()) {
        std::fprintf(stderr, "bench: parameters refused: %s\n", problem->message.c_str());
        std::_Exit(3);
    }
    return true;
}

ReportWindow::ReportWindow(const std::string& path, int reportId, const char* name) {
    host = std::make_shared<QV_GridPrint::clsGridPrint>(services, prompt);
    auto cnn = ado::Connection::Create();
    cnn->Open(path);
    host->set_cnn(cnn);
    if (!host->CreateRsLogin("FUsername S20,FAcctName S40,Flogindate D,fuserid N")) {
        throw std::runtime_error("no login record");
    }
    QV_GridPrint::SetLoginFieldText(*host->rsLogin(), "FUsername", "张三");
    QV_GridPrint::SetLoginFieldText(*host->rsLogin(), "fuserid", "1");
    host->rptName = name;
    host->RptType = 1;
    host->FmtFileName = "bench.cll";
    host->ClsName = sqlreport::kProgId;
    host->HeadHeight = 1200;
    QV_GridPrint::modGridPrint::RptID = static_cast<std::int16_t>(reportId);
    QV_GridPrint::modGridPrint::bMxMode = false;
    sqlreport::Register(*registry, nullptr);
    window = std::make_shared<QV_GridPrint::frmGridPrint>(*host, *services, *output, *registry);
}

void ReportWindow::Open() {
    window->Load();
    if (!window->bOK) {
        std::fprintf(stderr, "bench: the report %s did not open\n", host->rptName.c_str());
        std::_Exit(4);
    }
}

namespace {
std::vector<std::shared_ptr<void>> g_kept;
} // namespace

void ReportWindow::Keep() {
    g_kept.push_back(window);
    g_kept.push_back(registry);
    g_kept.push_back(host);
    g_kept.push_back(services);
    g_kept.push_back(output);
}

} // namespace vondrel::bench
