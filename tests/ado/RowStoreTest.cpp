// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The row store keeps big results in 64K-row chunks; the places where a fault would hide are the
// chunk boundaries (text offsets restart per chunk) and the switch to Variant storage when a cell
// does not fit its column.
#include "ado/RowStore_p.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using ado::detail::FieldInfo;
using ado::detail::RowStore;
using ado::detail::Storage;

std::vector<FieldInfo> Fields(std::initializer_list<std::pair<const char*, ado::DataTypeEnum>> list) {
    std::vector<FieldInfo> fields;
    for (const auto& [name, type] : list) {
        FieldInfo info;
        info.name = name;
        info.type = type;
        fields.push_back(info);
    }
    return fields;
}

TEST(RowStore, ValuesSurviveChunkBoundaries) {
    RowStore store(Fields({{"id", ado::adInteger}, {"name", ado::adVarWChar}, {"amount", ado::adDouble}}),
                   {});
    const std::size_t rows = 3 * 65536 + 17;
    for (std::size_t row = 0; row < rows; ++row) {
        store.ColumnAt(0).AppendInt(static_cast<std::int64_t>(row));
        if (row % 5 == 0) {
            store.ColumnAt(1).AppendNull();
        } else {
            store.ColumnAt(1).AppendText("客户" + std::to_string(row));
        }
        store.ColumnAt(2).AppendReal(static_cast<double>(row) / 4);
    }
    store.SealRows();
    ASSERT_TRUE(store.CheckConsistency());
    for (const std::size_t row : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65536},
                                  std::size_t{65537}, std::size_t{131071}, std::size_t{131072}, rows - 1}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(store.Value(0, row), vb::Variant::Long(static_cast<std::int32_t>(row)));
        EXPECT_EQ(store.Value(1, row),
                  row % 5 == 0 ? vb::Variant::Null() : vb::Variant("客户" + std::to_string(row)));
        EXPECT_EQ(store.Value(2, row), vb::Variant(static_cast<double>(row) / 4));
    }
    // A run read across a chunk boundary sees the same cells (numbers come from the typed chunks).
    std::vector<vb::Variant> run(40);
    for (std::size_t col = 0; col < 3; ++col) {
        store.ValueRun(col, 65516, run.size(), run.data());
        for (std::size_t k = 0; k < run.size(); ++k) {
            EXPECT_EQ(run[k], store.Value(col, 65516 + k)) << col << "," << k;
        }
    }
}

TEST(RowStore, ACellThatDoesNotFitTurnsTheColumnIntoVariants) {
    RowStore store(Fields({{"qty", ado::adInteger}}), {});
    store.AppendValue(0, vb::Variant(3));
    store.AppendValue(0, vb::Variant::Null());
    store.AppendValue(0, vb::Variant("n/a")); // SQLite lets an INTEGER column hold text
    store.AppendValue(0, vb::Variant(5));
    store.SealRows();
    ASSERT_TRUE(store.CheckConsistency());
    EXPECT_EQ(store.ColumnAt(0).storage(), Storage::Variant);
    EXPECT_EQ(store.Value(0, 0), vb::Variant::Long(3)) << "earlier cells keep their values and sub-types";
    EXPECT_TRUE(store.Value(0, 1).IsNull());
    EXPECT_EQ(store.Value(0, 2), vb::Variant("n/a"));
    EXPECT_EQ(store.Value(0, 3), vb::Variant(5));
}

TEST(RowStore, DeclaredTypeDecidesTheSubTypeOfStoredIntegers) {
    struct Case {
        ado::DataTypeEnum type;
        std::int64_t stored;
        vb::Variant expected;
    };
    const Case cases[] = {
        {ado::adSmallInt, -3, vb::Variant::Integer(-3)},
        {ado::adInteger, 70000, vb::Variant::Long(70000)},
        {ado::adBigInt, 5000000000, vb::Variant(5000000000.0)},
        {ado::adBoolean, 1, vb::Variant(true)},
        {ado::adBoolean, 0, vb::Variant(false)},
        {ado::adCurrency, 12345, vb::Variant(vb::Currency{12345})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        RowStore store(Fields({{"x", c.type}}), {});
        store.ColumnAt(0).AppendInt(c.stored);
        store.ColumnAt(0).AppendNull();
        store.SealRows();
        EXPECT_EQ(store.Value(0, 0), c.expected);
        // Totals read whole runs; the sub-type decides how a cell adds up (Currency exactly, Boolean not).
        vb::Variant run[2];
        store.ValueRun(0, 0, 2, run);
        EXPECT_EQ(run[0], c.expected);
        EXPECT_TRUE(run[1].IsNull());
    }
}

} // namespace
