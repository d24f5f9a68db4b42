// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The plug-in's headless pieces: :name parameters turned into bound placeholders, and the parameter
// form's defaults, validation messages, bound values and parameter texts.
#include "plugin/ParameterForm.h"

#include "sqlreport/NamedSql.h"
#include "sqlreport/PresetPrompt.h"
#include "support/RaisedError.h"
#include "vb/DateTime.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace sqlreport {
namespace {

using QV_GridPrint::ListItem;
using QV_GridPrint::ParameterField;
using QV_GridPrint::ParameterForm;
using QV_GridPrint::ParaType;

std::string Names(const PositionalSql& sql) {
    std::string out;
    for (const std::string& name : sql.names) {
        out.append(out.empty() ? "" : ",").append(name);
    }
    return out;
}

TEST(NamedSql, ParametersBecomePlaceholdersOnlyOutsideQuotesAndComments) {
    struct Case {
        const char* name;
        const char* sql;
        const char* text;
        const char* names;
    };
    const Case cases[] = {
        {"two uses of one name", "SELECT * FROM t WHERE a >= :from AND (b = :From OR :from IS NULL)",
         "SELECT * FROM t WHERE a >= ? AND (b = ? OR ? IS NULL)", "from,from,from"},
        {"a colon inside a literal is text", "SELECT ':x', 'it''s :y' FROM t WHERE a = :z",
         "SELECT ':x', 'it''s :y' FROM t WHERE a = ?", "z"},
        {"a PostgreSQL cast is no parameter", "SELECT :d::date, x::text FROM t",
         "SELECT ?::date, x::text FROM t", "d"},
        {"comments and quoted names are skipped", "SELECT \":a\" -- :b\n/* :c */ FROM t WHERE k=:key_2",
         "SELECT \":a\" -- :b\n/* :c */ FROM t WHERE k=?", "key_2"},
        // A time of day or a name after an identifier character is not a parameter.
        {"times and prefixed colons", "SELECT '10:30', a:b FROM t", "SELECT '10:30', a:b FROM t", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PositionalSql sql = ToPositional(c.sql);
        EXPECT_EQ(sql.text, c.text);
        EXPECT_EQ(Names(sql), c.names);
    }
}

TEST(NamedSql, StatementsThatWouldMisplaceValuesAreRefused) {
    struct Case {
        const char* name;
        const char* sql;
        const char* message;
    };
    const Case cases[] = {
        {"a bare question mark", "SELECT * FROM t WHERE a = ? AND b = :b",
         "报表查询语句有错误：查询中不能直接写“?”，参数请写成 :名称"},
        {"an unterminated literal", "SELECT 'abc FROM t WHERE a = :a",
         "报表查询语句有错误：字符串没有结束的单引号"},
        {"an unterminated comment", "SELECT 1 /* :a", "报表查询语句有错误：注释没有结束的 */"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vondrel::test::ErrorOf([&] { ToPositional(c.sql); }).description, c.message);
    }
}

ParameterField Field(ParaType type, std::string text = {}, std::vector<ListItem> items = {}) {
    return ParameterField{std::string("p"), std::string("开始日期"), type, std::move(text), std::move(items)};
}

const std::vector<ListItem> kRegions = {
    {vb::Variant::Long(0), "全部地区"}, {vb::Variant::Long(3), "华东"}, {vb::Variant("a/b"), "斜/线"}};

TEST(ParameterForm, DefaultsFollowTheDayAndTheList) {
    const vb::Date today = vb::MakeDate({2026, 12, 6, 0, 0, 0});
    struct Case {
        const char* name;
        ParameterField field;
        std::optional<std::string> qdefault;
        const char* expected;
    };
    const Case cases[] = {
        {"today", Field(ParaType::Date), " Today ", "2026-12-06"},
        {"month-start", Field(ParaType::Date), "month-start", "2026-12-01"},
        {"a written date", Field(ParaType::Date), "2024-03-01", "2024-03-01"},
        {"no default", Field(ParaType::Date), std::nullopt, ""},
        {"today means nothing to a text", Field(ParaType::Text), "today", "today"},
        // A list without default starts on its first entry, as a drop-down does.
        {"list without default", Field(ParaType::List, {}, kRegions), std::nullopt, "0"},
        {"list with default", Field(ParaType::List, {}, kRegions), "3", "3"},
        {"empty list", Field(ParaType::List), std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParameterForm::DefaultText(c.field, c.qdefault, today), c.expected);
    }
}

TEST(ParameterForm, ValidationNamesTheFieldAndWhatIsWrong) {
    struct Case {
        const char* name;
        ParameterField field;
        const char* message; // "" = valid
    };
    const Case cases[] = {
        {"date", Field(ParaType::Date, "2024-3-1"), ""},
        {"date with slashes", Field(ParaType::Date, "2024/03/01"), ""},
        {"empty date", Field(ParaType::Date, " "), "请输入“开始日期”。"},
        {"impossible date", Field(ParaType::Date, "2024-02-30"),
         "“开始日期”不是有效的日期，请按“年-月-日”输入，例如 2024-03-01。"},
        {"date with a time", Field(ParaType::Date, "2024-03-01 10:00"),
         "“开始日期”不是有效的日期，请按“年-月-日”输入，例如 2024-03-01。"},
        {"whole number with grouping", Field(ParaType::Int, "1,024"), ""},
        {"fraction where a whole number is asked", Field(ParaType::Int, "2.5"), "“开始日期”必须是整数。"},
        {"whole number too large", Field(ParaType::Int, "3000000000"), "“开始日期”必须是整数。"},
        {"empty number", Field(ParaType::Int, ""), "请输入“开始日期”。"},
        {"decimal", Field(ParaType::Decimal, "-1,234.5"), ""},
        {"words for a decimal", Field(ParaType::Decimal, "1 or 1=1"), "“开始日期”必须是数字。"},
        {"text with quotes", Field(ParaType::Text, "O'Brien \"; DROP TABLE x; --"), ""},
        {"empty text", Field(ParaType::Text, ""), ""},
        {"text with a slash", Field(ParaType::Text, "a/b"), "“开始日期”不能包含“/”。"},
        {"list entry by value", Field(ParaType::List, "3", kRegions), ""},
        {"list entry by its text", Field(ParaType::List, "华东", kRegions), ""},
        {"not in the list", Field(ParaType::List, "9", kRegions), "请从列表中选择“开始日期”。"},
        {"list value with a slash", Field(ParaType::List, "a/b", kRegions), "“开始日期”的值不能包含“/”。"},
        {"empty list", Field(ParaType::List, ""), "“开始日期”的选择列表是空的，请检查它的列表查询。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterForm form;
        form.fields = {Field(ParaType::Text, "fine"), c.field};
        const auto problem = form.Validate();
        if (*c.message == '\0') {
            EXPECT_FALSE(problem.has_value()) << problem->message;
        } else {
            ASSERT_TRUE(problem.has_value());
            EXPECT_EQ(problem->field, 1u) << "the second field is at fault";
            EXPECT_EQ(problem->message, c.message);
        }
    }
}

TEST(ParameterForm, BoundValuesAndParameterTexts) {
    struct Case {
        const char* name;
        ParameterField field;
        vb::VarType type;
        const char* value;
        const char* display;
    };
    // Dates are bound as ISO text, which both databases compare with their date columns.
    const Case cases[] = {
        {"date", Field(ParaType::Date, " 2024/3/1 "), vb::VarType::String, "2024-03-01", "2024-03-01"},
        {"whole number", Field(ParaType::Int, "1,024"), vb::VarType::Long, "1024", "1024"},
        {"decimal", Field(ParaType::Decimal, "0.10"), vb::VarType::Double, "0.1", "0.1"},
        {"text kept as typed", Field(ParaType::Text, " x "), vb::VarType::String, " x ", " x "},
        {"list: its value, its text", Field(ParaType::List, "华东", kRegions), vb::VarType::Long, "3",
         "华东"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterForm form;
        form.fields = {c.field};
        ASSERT_FALSE(form.Validate().has_value());
        EXPECT_EQ(form.BoundValue(0).Type(), c.type);
        EXPECT_EQ(form.ValueText(0), c.value);
        EXPECT_EQ(form.DisplayText(0), c.display);
    }
}

// Values given beforehand (--param, a host's set-parameter call) name a field by its name or by the
// caption its dialog shows. Before captions were accepted, "开始日期=..." was refused as an unknown
// parameter; a name must still win over another field's caption, and a caption two fields share
// must be refused rather than fill one of them at random.
TEST(PresetPrompt, AFieldIsNamedByItsNameOrItsCaption) {
    struct Case {
        const char* name;
        const char* given;
        const char* filled; // the field name that takes the value; "" = refused
        const char* refusal;
    };
    const Case cases[] = {
        {"by name", "fdatefrom", "fdatefrom", ""},
        {"by name, any case and blanks", " FDateFrom ", "fdatefrom", ""},
        {"by caption", "开始日期", "fdatefrom", ""},
        {"a name wins over another field's caption", "fcode", "fcode", ""},
        {"a caption several fields share", "日期", "",
         "报表“排行”有多个参数的标题是“日期”（fday1、fday2），请用参数名指定"},
        {"neither name nor caption", "fcustomer", "",
         "报表“排行”没有参数“fcustomer”（它的参数："
         "fdatefrom（开始日期）、fregion（fcode）、fcode（编码）、fday1（日期）、fday2（日期）、fnote）"},
    };
    const std::pair<const char*, const char*> fields[] = {{"fdatefrom", "开始日期"}, {"fregion", "fcode"},
                                                          {"fcode", "编码"},         {"fday1", "日期"},
                                                          {"fday2", "日期"},         {"fnote", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterForm form;
        for (const auto& [name, caption] : fields) {
            form.fields.push_back({name, caption, ParaType::Text, "", {}});
        }
        PresetPrompt prompt(PresetPrompt::Values{{c.given, "x"}});
        EXPECT_EQ(prompt.AskParameters("排行", form), *c.filled != '\0');
        EXPECT_EQ(prompt.Refusal(), c.refusal);
        for (const ParameterField& field : form.fields) {
            EXPECT_EQ(field.text, field.name == std::string(c.filled) ? "x" : "") << field.name;
        }
    }
}

} // namespace
} // namespace sqlreport
