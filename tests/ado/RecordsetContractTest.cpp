// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// One suite, run against a real SQLite file and the real PostgreSQL server: report code written against
// one database must behave the same on the other.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "support/DbFixture.h"
#include "support/RaisedError.h"
#include "vb/Array.h"
#include "vb/DateTime.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

using vondrel::test::Backend;
using vondrel::test::ErrorOf;
using vondrel::test::TestDatabase;

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE sales (id INTEGER, small SMALLINT, big BIGINT, amount DECIMAL(18,2), ratio DOUBLE PRECISION,
                    day DATE, stamp TIMESTAMP, flag BOOLEAN, name VARCHAR(20), note TEXT);
INSERT INTO sales VALUES (1, 10, 5000000000, 1234.50, 0.25, '2024-03-05', '2024-03-05 08:30:00', TRUE, '张三', '备注一');
INSERT INTO sales VALUES (2, -3, 7, 0.00, NULL, '2024-02-29', NULL, FALSE, 'O''Brien', '');
INSERT INTO sales VALUES (3, NULL, NULL, -56.78, 1.5, NULL, '1899-12-30 12:00:00', NULL, '李四', NULL);
INSERT INTO sales VALUES (4, 4, 4, 1000000.01, 2, '2025-12-31', '2025-12-31 23:59:59', TRUE, '张三', '第二个张三');
CREATE TABLE empty_table (id INTEGER, name VARCHAR(10));
)sql";

class RecordsetContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_db = std::make_unique<TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        m_db->Exec(kSchema);
    }

    std::shared_ptr<ado::Recordset> Open(const std::string& sql) {
        auto rs = ado::Recordset::Create();
        rs->Open(sql, m_db->Connection(), ado::adOpenStatic, ado::adLockReadOnly);
        return rs;
    }

    // Where a recordset stands: the first field's value, or "BOF"/"EOF".
    static std::string At(ado::Recordset& rs) {
        return rs.BOF() ? "BOF" : rs.IsEOF() ? "EOF" : std::to_string(rs.Fields(0).Value().AsLong());
    }

    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(RecordsetContract, FieldTypesMatchTheDeclaredColumnTypes) {
    auto rs = Open("SELECT * FROM sales ORDER BY id");
    struct Case {
        const char* field;
        ado::DataTypeEnum type;
        long definedSize; // -1: not checked (differs by database and nothing relies on it)
    };
    const Case cases[] = {
        {"id", ado::adInteger, 4},         {"small", ado::adSmallInt, 2}, {"big", ado::adBigInt, 8},
        {"amount", ado::adNumeric, -1},    {"ratio", ado::adDouble, 8},   {"day", ado::adDBDate, -1},
        {"stamp", ado::adDBTimeStamp, -1}, {"flag", ado::adBoolean, -1},  {"name", ado::adVarWChar, 20},
        {"note", ado::adLongVarWChar, -1},
    };
    ASSERT_EQ(rs->FieldCount(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(rs->Fields(c.field).Type(), c.type);
        if (c.definedSize >= 0) {
            EXPECT_EQ(rs->Fields(c.field).DefinedSize(), c.definedSize);
        }
    }
    EXPECT_EQ(rs->Fields("amount").NumericScale(), 2);
}

TEST_P(RecordsetContract, ValuesComeBackWithThePlatformSubTypes) {
    auto rs = Open("SELECT * FROM sales ORDER BY id");
    const double march5 = vb::DateSerial(2024, 3, 5);
    struct Case {
        const char* name;
        long row; // 0-based
        const char* field;
        vb::Variant expected;
    };
    const Case cases[] = {
        {"integer column gives Long", 0, "ID", vb::Variant::Long(1)},
        {"smallint gives Integer", 1, "small", vb::Variant::Integer(-3)},
        {"bigint beyond 32 bits gives an exact Double", 0, "big", vb::Variant(5000000000.0)},
        {"bigint within 32 bits gives Long", 1, "big", vb::Variant::Long(7)},
        {"decimal gives Double", 0, "amount", vb::Variant(1234.5)},
        {"decimal zero", 1, "amount", vb::Variant(0.0)},
        {"date gives Date", 0, "day", vb::Variant(vb::Date{march5})},
        {"timestamp keeps the time of day", 0, "stamp", vb::Variant(vb::Date{march5 + 8.5 / 24})},
        {"timestamp at the epoch", 2, "stamp", vb::Variant(vb::Date{0.5})},
        {"boolean true", 0, "flag", vb::Variant(true)},
        {"boolean false", 1, "flag", vb::Variant(false)},
        {"Chinese text", 0, "name", vb::Variant("张三")},
        {"quote inside text", 1, "name", vb::Variant("O'Brien")},
        {"empty string is not Null", 1, "note", vb::Variant("")},
        {"SQL NULL is Null", 2, "note", vb::Variant::Null()},
        {"NULL in a number column is Null", 2, "small", vb::Variant::Null()},
        {"NULL date is Null", 2, "day", vb::Variant::Null()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rs->Move(c.row, ado::adBookmarkFirst);
        const vb::Variant value = rs->Fields(c.field).Value();
        EXPECT_EQ(value.Type(), c.expected.Type());
        if (c.expected.Type() == vb::VarType::Date) {
            EXPECT_NEAR(value.AsDate().serial, c.expected.AsDate().serial, 1.0 / 86400 / 2);
        } else {
            EXPECT_EQ(value, c.expected);
        }
    }
}

TEST_P(RecordsetContract, StaticCursorMovesAndStopsAtBothEnds) {
    auto rs = Open("SELECT id FROM sales ORDER BY id");
    EXPECT_EQ(rs->RecordCount(), 4);
    std::string visited;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        visited += std::to_string(rs->Fields(0).Value().AsLong());
    }
    EXPECT_EQ(visited, "1234");
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, vb::kErrAdoBofEof) << "moving forward from EOF";
    EXPECT_EQ(ErrorOf([&] { (void)rs->Fields("id").Value(); }).number, vb::kErrAdoBofEof) << "reading at EOF";

    for (rs->MoveLast(), visited.clear(); !rs->BOF(); rs->MovePrevious()) {
        visited += std::to_string(rs->Fields(0).Value().AsLong());
    }
    EXPECT_EQ(visited, "4321");
    EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }).number, vb::kErrAdoBofEof) << "moving back from BOF";

    struct Case {
        const char* name;
        long n;
        ado::BookmarkEnum start;
        const char* expected; // id, or "BOF"/"EOF"
    };
    const Case cases[] = {
        {"from the first record", 2, ado::adBookmarkFirst, "3"},
        {"zero from first", 0, ado::adBookmarkFirst, "1"},
        {"back from the last", -3, ado::adBookmarkLast, "1"},
        {"past the end lands on EOF", 9, ado::adBookmarkFirst, "EOF"},
        {"before the start lands on BOF", -9, ado::adBookmarkLast, "BOF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rs->Move(c.n, c.start);
        EXPECT_EQ(At(*rs), c.expected);
    }
    rs->MoveFirst();
    rs->Move(1);
    rs->Move(1);
    EXPECT_EQ(rs->AbsolutePosition(), 3) << "relative moves add up";
}

TEST_P(RecordsetContract, EmptyResultIsAtBofAndEofAtOnce) {
    auto rs = Open("SELECT * FROM empty_table");
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(rs->BOF());
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_EQ(rs->Fields("name").Type(), ado::adVarWChar) << "fields are known without rows";
    rs->MoveFirst(); // allowed, stays at BOF/EOF
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }).number, vb::kErrAdoBofEof);
}

TEST_P(RecordsetContract, BookmarkReturnsToTheSameRecordAndIsSharedByClones) {
    auto rs = Open("SELECT id, name FROM sales ORDER BY id");
    rs->Move(2, ado::adBookmarkFirst);
    const vb::Variant mark = rs->Bookmark();
    rs->MoveFirst();
    rs->SetBookmark(mark);
    EXPECT_EQ(rs->Fields("id").Value(), vb::Variant::Long(3));

    auto clone = rs->Clone();
    clone->SetBookmark(mark);
    EXPECT_EQ(clone->Fields("name").Value(), vb::Variant("李四"));
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(vb::Variant(99.0)); }).number, vb::kErrInvalidCall);
}

TEST_P(RecordsetContract, FindSearchesFromTheCurrentRecord) {
    auto rs = Open("SELECT id, name, amount, day FROM sales ORDER BY id");
    struct Case {
        const char* name;
        long startRow;
        const char* criteria;
        long skip;
        ado::SearchDirectionEnum direction;
        const char* expected; // id or "EOF"/"BOF"
    };
    const Case cases[] = {
        {"text match", 0, "name='李四'", 0, ado::adSearchForward, "3"},
        {"the current record counts", 0, "name='张三'", 0, ado::adSearchForward, "1"},
        {"skip the current record", 0, "name='张三'", 1, ado::adSearchForward, "4"},
        {"doubled quote in the value", 0, "name='O''Brien'", 0, ado::adSearchForward, "2"},
        {"field name in any case", 0, "NAME='李四'", 0, ado::adSearchForward, "3"},
        {"number criterion", 0, "id=2", 0, ado::adSearchForward, "2"},
        {"number quoted", 0, "id='4'", 0, ado::adSearchForward, "4"},
        {"greater than on decimals", 0, "amount > 2000", 0, ado::adSearchForward, "4"},
        {"date criterion", 0, "day=#2024-02-29#", 0, ado::adSearchForward, "2"},
        {"like with wildcard", 0, "name like 'O%'", 0, ado::adSearchForward, "2"},
        {"no match ends at EOF", 0, "name='王五'", 0, ado::adSearchForward, "EOF"},
        {"backward search", 3, "name='张三'", 1, ado::adSearchBackward, "1"},
        {"backward without match ends at BOF", 3, "id=9", 0, ado::adSearchBackward, "BOF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rs->Move(c.startRow, ado::adBookmarkFirst);
        rs->Find(c.criteria, c.skip, c.direction);
        EXPECT_EQ(At(*rs), c.expected);
    }
    rs->MoveFirst();
    EXPECT_EQ(ErrorOf([&] { rs->Find("nosuch='x'"); }).number, vb::kErrAdoNotFound);
    EXPECT_EQ(ErrorOf([&] { rs->Find("name"); }).number, vb::kErrInvalidCall);
    EXPECT_EQ(ErrorOf([&] { rs->Find("name='unterminated"); }).number, vb::kErrInvalidCall);
}

TEST_P(RecordsetContract, GetRowsGivesFieldByRowFromTheCurrentRecord) {
    auto rs = Open("SELECT id, name, amount FROM sales ORDER BY id");
    rs->Move(1, ado::adBookmarkFirst);
    // The field list as the grid builds it: names, and 0 standing in for a field the data lacks.
    auto fields = vb::Array::FromValues({vb::Variant("amount"), vb::Variant(0), vb::Variant("NAME")});
    const vb::Variant rows = rs->GetRows(ado::adGetRowsRest, {}, vb::Variant(fields));
    const vb::Array& array = *rows.AsArray();
    ASSERT_EQ(array.Dims(), 2);
    EXPECT_EQ(array.UBound(1), 2) << "three fields";
    EXPECT_EQ(array.UBound(2), 2) << "rows 2..4";
    EXPECT_EQ(array.Get(0, 0), vb::Variant(0.0));
    EXPECT_EQ(array.Get(1, 1), vb::Variant::Long(3)) << "position 0 is the first field, id";
    EXPECT_EQ(array.Get(2, 2), vb::Variant("张三"));
    EXPECT_TRUE(rs->IsEOF()) << "GetRows moves past the rows it read";

    rs->MoveFirst();
    const vb::Variant two = rs->GetRows(2);
    EXPECT_EQ(two.AsArray()->Count(2), 2U);
    EXPECT_EQ(two.AsArray()->Count(1), 3U);
    EXPECT_EQ(rs->Fields("id").Value(), vb::Variant::Long(3)) << "stops on the record after the last read";

    // Written cells shadow the shared rows without changing them for anyone else.
    two.AsArray()->Set(0, 0, vb::Variant(""));
    EXPECT_EQ(two.AsArray()->Get(0, 0), vb::Variant(""));
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields("id").Value(), vb::Variant::Long(1));
}

TEST_P(RecordsetContract, ClonesShareRowsAndKeepTheirOwnPosition) {
    auto rs = Open("SELECT id FROM sales ORDER BY id");
    rs->MoveLast();
    auto clone = rs->Clone();
    EXPECT_TRUE(clone->SharesRowsWith(*rs));
    EXPECT_EQ(clone->Fields("id").Value(), vb::Variant::Long(1)) << "a clone starts on the first record";
    clone->MoveNext();
    EXPECT_EQ(rs->Fields("id").Value(), vb::Variant::Long(4)) << "moving the clone leaves the original";
    rs->Close();
    EXPECT_EQ(clone->Fields("id").Value(), vb::Variant::Long(2))
        << "closing the original keeps the clone's rows";
}

TEST_P(RecordsetContract, ErrorsCarryAClearDescriptionAndTheDatabaseText) {
    auto [number, description] = ErrorOf([&] { Open("SELECT * FROM nosuch_table"); });
    EXPECT_EQ(number, vb::kErrAdoProvider);
    EXPECT_EQ(description.rfind("SQL 语句执行失败：", 0), 0U) << description;
    EXPECT_NE(description.find("nosuch_table"), std::string::npos) << "the database's own message is kept";

    const vondrel::test::Raised typo = ErrorOf([&] { Open("SELEC id FROM sales"); });
    EXPECT_EQ(typo.number, vb::kErrAdoProvider);
    EXPECT_NE(typo.description.find("SELEC"), std::string::npos) << typo.description;

    auto rs = Open("SELECT id FROM sales");
    EXPECT_EQ(ErrorOf([&] { (void)rs->Fields("nosuch"); }).number, vb::kErrAdoNotFound);
    EXPECT_EQ(ErrorOf([&] { (void)rs->Fields(7); }).number, vb::kErrAdoNotFound);
    EXPECT_EQ(ErrorOf([&] { rs->Fields("id").SetValue(vb::Variant(5)); }).number, vb::kErrAdoNotAllowed)
        << "rows read from the database are read-only";
    rs->Close();
    EXPECT_EQ(ErrorOf([&] { (void)rs->RecordCount(); }).number, vb::kErrAdoClosed);
    EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }).number, vb::kErrAdoClosed);
}

TEST_P(RecordsetContract, ExecuteBindsValuesAndCountsChangedRows) {
    auto& cnn = *m_db->Connection();
    long affected = 0;
    cnn.Execute("UPDATE sales SET note = ? WHERE name = ?",
                {vb::Variant("改'); DROP TABLE sales; --"), vb::Variant("张三")}, &affected);
    EXPECT_EQ(affected, 2);
    auto rs = Open("SELECT note FROM sales WHERE id = 4");
    EXPECT_EQ(rs->Fields("note").Value(), vb::Variant("改'); DROP TABLE sales; --"))
        << "bound, never spliced";

    auto rows = cnn.Execute("SELECT count(*) AS n FROM sales WHERE day >= ?",
                            {vb::Variant(vb::Date{vb::DateSerial(2024, 3, 1)})});
    ASSERT_EQ(rows->State(), ado::adStateOpen);
    EXPECT_EQ(*rows->Fields("n").Value().NumberValue(), 2.0);

    EXPECT_EQ(cnn.Execute("DELETE FROM sales WHERE id = 99")->State(), ado::adStateClosed)
        << "a statement without rows gives a closed recordset";
    EXPECT_NE(ErrorOf([&] {
                  cnn.Execute("SELECT * FROM sales WHERE id = ? AND name = ?", {vb::Variant(1)});
              }).number,
              0)
        << "too few values for the placeholders";
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordsetContract, ::testing::ValuesIn(vondrel::test::kAllBackends),
                         vondrel::test::BackendTestName);

TEST(Connection, BadConnectionStringsFailWithAClearMessage) {
    struct Case {
        const char* name;
        std::string connectionString;
        const char* expectedStart;
    };
    const Case cases[] = {
        {"empty", "", "连接字符串为空"},
        {"missing SQLite file", "/nonexistent/folder/x.db", "无法打开 SQLite 数据库"},
        {"not a database file", "/etc/hostname", "无法打开 SQLite 数据库"},
        {"unreachable PostgreSQL", "host=/nonexistent-socket-dir port=1 dbname=x connect_timeout=2",
         "无法连接 PostgreSQL 数据库"},
        {"unknown ODBC data source", "DSN=vondrel_no_such_dsn;UID=x", "无法连接 ODBC 数据源："},
        {"ODBC by prefix, without a ';'", "odbc:DSN=vondrel_no_such_dsn", "无法连接 ODBC 数据源："},
        {"ODBC driver that is not installed", "Driver={Vondrel No Such Driver};Server=x",
         "无法连接 ODBC 数据源："},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto cnn = ado::Connection::Create();
        const std::string error = ErrorOf([&] { cnn->Open(c.connectionString); }).description;
        EXPECT_EQ(error.rfind(c.expectedStart, 0), 0U) << error;
        EXPECT_EQ(cnn->State(), ado::adStateClosed);
    }
}

// SQLite stores whatever bytes it is given in a TEXT column. Before, they reached the grid and every
// export raw, and a JSON or .xlsx file made from them was unreadable; text columns now come back as
// valid UTF-8 with U+FFFD for each bad byte, while a BLOB keeps every byte.
TEST(SqliteText, InvalidUtf8InTextColumnsIsReplacedAndBlobsStayAsTheyAre) {
    TestDatabase db(Backend::Sqlite);
    VONDREL_REQUIRE_DATABASE(db);
    db.Exec("CREATE TABLE t (id INTEGER, name VARCHAR(20), note TEXT, data BLOB);\n"
            "INSERT INTO t VALUES (1, CAST(X'E58C97FF' AS TEXT) || '京', CAST(X'C328E4BA' AS TEXT), "
            "X'FFC328E4BA');\n"
            "INSERT INTO t VALUES (2, '张三', 7, 12);\n"
            "INSERT INTO t VALUES (3, CAST(X'ED' AS TEXT), CAST(X'EDA080' AS TEXT), NULL)");
    auto rs = ado::Recordset::Create();
    rs->Open(
        "SELECT id, name, note, data, name || '' AS joined, CASE id WHEN 2 THEN 5 ELSE name END AS mixed "
        "FROM t ORDER BY id",
        db.Connection(), ado::adOpenStatic, ado::adLockReadOnly);
    struct Case {
        const char* name;
        long row;
        const char* field;
        vb::Variant expected;
    };
    const std::string blob("\xFF\xC3\x28\xE4\xBA", 5);
    const Case cases[] = {
        {"a stray byte in a declared VARCHAR", 0, "name", vb::Variant("\xE5\x8C\x97\xEF\xBF\xBD京")},
        {"a broken pair and a cut sequence, a mark per byte", 0, "note",
         vb::Variant("\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD")},
        {"an expression over text", 0, "joined", vb::Variant("\xE5\x8C\x97\xEF\xBF\xBD京")},
        // The number in row 2 made the column hold Variants: the blob still keeps every byte.
        {"a blob keeps its bytes", 0, "data", vb::Variant(blob)},
        {"text in a column of mixed types", 0, "mixed", vb::Variant("\xE5\x8C\x97\xEF\xBF\xBD京")},
        {"valid text is untouched", 1, "name", vb::Variant("张三")},
        {"a lone lead byte", 2, "name", vb::Variant("\xEF\xBF\xBD")},
        // The number in row 2 made the column hold Variants; text after it is still repaired.
        {"a surrogate's encoding is no text", 2, "note", vb::Variant("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rs->Move(c.row, ado::adBookmarkFirst);
        EXPECT_EQ(rs->Fields(c.field).Value(), c.expected);
    }
    // A character cut between two cells: the rows' texts joined make a valid "客" (checked a block at a
    // time they once passed as valid), each cell alone is broken.
    db.Exec("CREATE TABLE cut (a VARCHAR(10), b VARCHAR(10));\n"
            "INSERT INTO cut VALUES (CAST(X'E5AE' AS TEXT), CAST(X'A2' AS TEXT))");
    rs = ado::Recordset::Create();
    rs->Open("SELECT a, b FROM cut", db.Connection(), ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(rs->Fields("a").Value(), vb::Variant("\xEF\xBF\xBD\xEF\xBF\xBD"));
    EXPECT_EQ(rs->Fields("b").Value(), vb::Variant("\xEF\xBF\xBD"));
}

} // namespace
