// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "hostobject/LoginRecord.h"

#include "ado/Recordset.h"
#include "hostobject/clsGridPrint.h"
#include "support/ScriptedServices.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace {

// "name:type:size" for every field of the record, in order.
std::string DumpFields(const ado::Recordset& rs) {
    std::string dump;
    for (std::size_t k = 0; k < rs.FieldCount(); ++k) {
        const ado::Field field = rs.Fields(k);
        dump.append(dump.empty() ? "" : " ")
            .append(field.Name())
            .append(":")
            .append(std::to_string(field.Type()))
            .append(":")
            .append(std::to_string(field.DefinedSize()));
    }
    return dump;
}

TEST(LoginRecord, FieldListGrammar) {
    struct Case {
        const char* name;
        const char* list;
        bool expected;
        const char* fields; // after an accepted list; 8 = string, 6 = currency, 11 = Boolean, 7 = date
    };
    const Case cases[] = {
        {"the host's usual list", "FUsername S20,FAcctName S40,Flogindate D,fuserid N", true,
         "FUsername:8:20 FAcctName:8:40 Flogindate:7:0 fuserid:6:0"},
        {"lower-case letters count", "a s7,b n", true, "a:8:7 b:6:0"},
        {"unknown letter is a string of 50", "a X", true, "a:8:50"},
        {"only the first letter counts", "a Date,b Bool,c Num", true, "a:7:0 b:11:0 c:6:0"},
        {"S without a number is size 0", "a S", true, "a:8:0"},
        {"size rounds to the nearest, halves to even", "a S2.6,b S2.5,c S3.5", true, "a:8:3 b:8:2 c:8:4"},
        {"spaces around items and between name and type", "  a    S5 ,  b D  ", true, "a:8:5 b:7:0"},
        {"Chinese field names", "用户名 S20", true, "用户名:8:20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ado::Recordset rs;
        EXPECT_EQ(QV_GridPrint::BuildLoginRecord(rs, c.list), c.expected);
        ASSERT_EQ(rs.State(), ado::adStateOpen);
        EXPECT_EQ(DumpFields(rs), c.fields);
        EXPECT_EQ(rs.RecordCount(), 1) << "one new row";
        EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
        EXPECT_TRUE(rs.Fields(0).Value().IsEmpty()) << "values start empty";
    }
}

TEST(LoginRecord, RefusedListsLeaveTheRecordClosed) {
    struct Case {
        const char* name;
        const char* list;
        std::size_t fieldsAppended; // fields before the failing item stay appended
    };
    const Case cases[] = {
        {"empty", "", 0},
        {"spaces only", "    ", 0},
        {"trailing comma", "a S20,", 1},
        {"two adjacent commas", "a S20,,b N", 1},
        {"item without a type", "a S20,b", 1},
        {"first item without a type", "a,b N", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ado::Recordset rs;
        EXPECT_FALSE(QV_GridPrint::BuildLoginRecord(rs, c.list));
        EXPECT_EQ(rs.State(), ado::adStateClosed);
        // Opening now shows what was appended before the refusal.
        if (c.fieldsAppended > 0) {
            rs.Open();
            EXPECT_EQ(rs.FieldCount(), c.fieldsAppended);
        }
    }
}

TEST(LoginRecord, DatabaseLayerErrorsReachTheCaller) {
    ado::Recordset duplicate;
    EXPECT_THROW(QV_GridPrint::BuildLoginRecord(duplicate, "a S5,A N"), vb::Error) << "a field named twice";
    ado::Recordset tooLarge;
    EXPECT_THROW(QV_GridPrint::BuildLoginRecord(tooLarge, "a S99999"), vb::Error) << "a size beyond 16 bits";
}

TEST(LoginRecord, SecondCreateRsLoginStartsAfresh) {
    auto services = std::make_shared<vondrel::test::ScriptedServices>();
    QV_GridPrint::clsGridPrint host(services);
    ASSERT_TRUE(host.CreateRsLogin("FUsername S20,fuserid N"));
    host.rsLogin()->Fields("fuserid").SetValue(vb::Variant(3));
    // Without the mend the fields of the first call stayed and appending FUsername again failed.
    ASSERT_TRUE(host.CreateRsLogin("FUsername S30,FAcctName S40"));
    EXPECT_EQ(DumpFields(*host.rsLogin()), "FUsername:8:30 FAcctName:8:40");
    EXPECT_TRUE(host.rsLogin()->Fields("FUsername").Value().IsEmpty());
}

} // namespace
