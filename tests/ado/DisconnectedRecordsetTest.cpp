// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Recordsets built in memory (the login record a host fills in): fields appended while closed, opened
// without a source, one new row written field by field.
#include "ado/Recordset.h"
#include "support/RaisedError.h"
#include "vb/Array.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace {

TEST(DisconnectedRecordset, AppendOpenAddNewAndWrite) {
    ado::Recordset rs;
    rs.AppendField("FUsername", ado::adBSTR, 20, ado::adFldUnspecified);
    rs.AppendField("Flogindate", ado::adDate, 0, ado::adFldUnspecified);
    rs.AppendField("fuserid", ado::adCurrency, 0, ado::adFldUnspecified);
    rs.Open();
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.IsEOF());

    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
    EXPECT_TRUE(rs.Fields("fusername").Value().IsEmpty()) << "a new row starts Empty, not Null";
    rs.Fields("FUsername").SetValue(vb::Variant("管理员"));
    rs.Fields("fuserid").SetValue(vb::Variant(7));
    EXPECT_EQ(rs.Fields("FUSERNAME").Value(), vb::Variant("管理员"));
    EXPECT_EQ(rs.Fields("fuserid").Value(), vb::Variant(7));
    EXPECT_EQ(rs.Fields("FUsername").DefinedSize(), 20);
    EXPECT_EQ(rs.Fields("Flogindate").Type(), ado::adDate);

    auto clone = rs.Clone();
    EXPECT_EQ(clone->Fields("FUsername").Value(), vb::Variant("管理员")) << "a clone sees the written row";

    const vb::Variant rows = rs.GetRows(ado::adGetRowsRest, vb::Variant(1.0));
    rs.Fields(0); // still open
    rs.MoveFirst();
    rs.Fields("FUsername").SetValue(vb::Variant("改名"));
    EXPECT_EQ(rows.AsArray()->Get(0, 0), vb::Variant("管理员")) << "GetRows of writable rows is a snapshot";
}

TEST(DisconnectedRecordset, MisuseIsRefusedWithTheUsualErrors) {
    struct Case {
        const char* name;
        long expectedNumber;
        void (*action)();
    };
    const Case cases[] = {
        {"field appended twice, in another case", vb::kErrAdoNotAllowed,
         [] {
             ado::Recordset rs;
             rs.AppendField("a", ado::adBSTR, 5);
             rs.AppendField("A", ado::adBSTR, 5);
         }},
        {"open without fields", vb::kErrAdoNotAllowed,
         [] {
             ado::Recordset().Open();
         }},
        {"append after open", vb::kErrAdoNotAllowed,
         [] {
             ado::Recordset rs;
             rs.AppendField("a", ado::adBSTR, 5);
             rs.Open();
             rs.AppendField("b", ado::adBSTR, 5);
         }},
        {"write with no current row", vb::kErrAdoBofEof,
         [] {
             ado::Recordset rs;
             rs.AppendField("a", ado::adBSTR, 5);
             rs.Open();
             rs.Fields("a").SetValue(vb::Variant("x"));
         }},
        {"closed recordset", vb::kErrAdoClosed,
         [] {
             (void)ado::Recordset().RecordCount();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vondrel::test::ErrorOf(c.action).number, c.expectedNumber);
    }
}

} // namespace
