// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// A big SQLite result is stepped on the caller's thread and converted into columns on a second one,
// a block of rows at a time: every row must arrive once, in order, with every value exact, across the
// blocks' seams and a column that has to widen in a later block; a statement failing after several
// blocks must end cleanly (no hang, no half result) and leave the connection usable.
#include "ado/Recordset.h"
#include "support/DbFixture.h"
#include "vb/Array.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

using vondrel::test::Backend;
using vondrel::test::TestDatabase;

namespace {

// Rows 1 .. 10,000: blocks of 4,096 rows make two full blocks and a part.
constexpr int kRows = 10000;

constexpr const char* kSchema = R"sql(
CREATE TABLE big (id INTEGER, amount DECIMAL(18,2), day DATE, name VARCHAR(20), code INTEGER);
WITH RECURSIVE seq(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM seq WHERE i < 10000)
INSERT INTO big
SELECT i, CASE WHEN i % 5 = 0 THEN CAST(i * 0.25 AS TEXT) ELSE i * 0.25 END,
       date('2024-01-01', '+' || (i % 400) || ' days'),
       CASE WHEN i % 7 = 0 THEN NULL WHEN i % 11 = 0 THEN CAST('名' || i AS BLOB) ELSE '名' || i END,
       CASE WHEN i = 9999 THEN 'x9999' ELSE i * 3 END
FROM seq;
)sql";

TEST(SqliteBlocks, EveryRowArrivesInOrderWithExactValues) {
    TestDatabase db(Backend::Sqlite);
    VONDREL_REQUIRE_DATABASE(db);
    db.Exec(kSchema);
    auto rs = ado::Recordset::Create();
    rs->Open("SELECT id, amount, day, name, code, id % 3 AS expr FROM big ORDER BY id", db.Connection());
    ASSERT_EQ(rs->RecordCount(), kRows);
    const vb::Variant rows = rs->GetRows();
    const vb::Array& cells = *rows.AsArray();
    for (int k = 0; k < kRows; ++k) {
        const int i = k + 1;
        SCOPED_TRACE(i);
        ASSERT_EQ(vb::CLng(cells.Get(0, k)), i);
        // Decimals stored as text parse to the same number as those stored as numbers.
        ASSERT_EQ(*cells.Get(1, k).NumberValue(), i * 0.25);
        ASSERT_EQ(*cells.Get(2, k).NumberValue(), vb::DateSerial(2024, 1, 1) + i % 400);
        const vb::Variant name = cells.Get(3, k);
        if (i % 7 == 0) {
            ASSERT_TRUE(name.IsNull());
        } else {
            ASSERT_EQ(name.AsString(), "名" + std::to_string(i)); // blobs read as their text
        }
        // A text in an integer column, in the last block, widens the column without losing a value.
        if (i == 9999) {
            ASSERT_EQ(cells.Get(4, k).AsString(), "x9999");
        } else {
            ASSERT_EQ(*cells.Get(4, k).NumberValue(), i * 3.0);
        }
        ASSERT_EQ(vb::CLng(cells.Get(5, k)), i % 3);
    }
    EXPECT_EQ(rs->Fields("expr").Type(), ado::adInteger) << "the expression column narrowed after the end";
}

TEST(SqliteBlocks, AStatementFailingAfterSeveralBlocksEndsCleanly) {
    TestDatabase db(Backend::Sqlite);
    VONDREL_REQUIRE_DATABASE(db);
    db.Exec(kSchema);
    // json() refuses its argument only when row 9,000 reaches it, two blocks after the first.
    auto rs = ado::Recordset::Create();
    try {
        rs->Open("SELECT id, name, CASE WHEN id < 9000 THEN id ELSE json('{') END AS v FROM big ORDER BY id",
                 db.Connection());
        FAIL() << "the failing statement opened";
    } catch (const vb::Error& error) {
        EXPECT_NE(error.Description().find("SQL 语句执行失败"), std::string::npos) << error.Description();
    }
    auto again = ado::Recordset::Create();
    again->Open("SELECT COUNT(*) AS n FROM big", db.Connection());
    EXPECT_EQ(vb::CLng(again->Fields("n").Value()), kRows);
}

} // namespace
