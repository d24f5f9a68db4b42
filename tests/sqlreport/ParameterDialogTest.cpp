// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The real parameter and record dialogs under Qt, driven as a user would: pick a date,
// type a number, choose from the list, get a validation message, correct it, accept or cancel.
// Input goes through the editors' own slots (what keys and the input method end in).
#include "sqlreport/qt/ParameterDialog.h"

#include "sqlreport/qt/QtPrompt.h"
#include "sqlreport/qt/RecordDialog.h"
#include "ui/qt/QtServices.h"
#include "vb/Conversion.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace sqlreport::qt {
namespace {

ParameterForm DemoForm() {
    ParameterForm form;
    const auto field = [](const char* name, const char* caption, ParaType type, const char* text) {
        ParameterField f;
        f.name = name;
        f.caption = caption;
        f.type = type;
        f.text = text;
        return f;
    };
    form.fields = {field("fdatefrom", "开始日期", ParaType::Date, "2024-03-01"),
                   field("fyear", "年度", ParaType::Int, "2024"),
                   field("fminamount", "最低金额", ParaType::Decimal, "0"),
                   field("fregionid", "地区", ParaType::List, "0"),
                   field("fcustomer", "客户名称含", ParaType::Text, "")};
    form.fields[3].items = {
        {vb::Variant::Long(0), "全部地区"}, {vb::Variant::Long(3), "华东"}, {vb::Variant::Long(5), "华南"}};
    return form;
}

void Click(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    // A click through the button itself: QTest's synthetic mouse device outlives the application
    // and crashes the exit of the process.
    buttons->button(which)->click();
}

TEST(ParameterDialog, UserFillsInCorrectsAndAccepts) {
    ui::qt::EnsureApplication();
    QtPrompt prompt;
    QImage picture;
    QString firstProblem;
    bool stillOpenAfterProblem = false;
    prompt.SetShownObserver([&](QDialog& shown) {
        auto& dialog = static_cast<ParameterDialog&>(shown);
        picture = dialog.grab().toImage();
        EXPECT_EQ(dialog.windowTitle(), "销售汇总：报表参数");
        auto* date = static_cast<QDateEdit*>(dialog.Editor("fdatefrom"));
        EXPECT_EQ(date->date(), QDate(2024, 3, 1)) << "the default is shown";
        date->setFocus();
        date->setSelectedSection(QDateTimeEdit::DaySection);
        date->stepUp(); // the arrow key on the day: 2024-03-02
        auto* year = static_cast<QSpinBox*>(dialog.Editor("fyear"));
        year->setValue(2023);
        auto* amount = static_cast<QDoubleSpinBox*>(dialog.Editor("fminamount"));
        amount->setValue(1500.5);
        auto* region = static_cast<QComboBox*>(dialog.Editor("fregionid"));
        EXPECT_EQ(region->count(), 3);
        region->setCurrentIndex(region->findText("华南"));
        auto* customer = static_cast<QLineEdit*>(dialog.Editor("fcustomer"));
        customer->insert("上海/浦东");
        Click(dialog, QDialogButtonBox::Ok);
        firstProblem = dialog.Problem();
        stillOpenAfterProblem = dialog.isVisible();
        customer->clear();
        // Chinese arrives through the input method as committed text, not as key codes.
        customer->insert("王's 店");
        Click(dialog, QDialogButtonBox::Ok);
    });
    ParameterForm form = DemoForm();
    ASSERT_TRUE(prompt.AskParameters("销售汇总", form));
    EXPECT_EQ(firstProblem, "“客户名称含”不能包含“/”。");
    EXPECT_TRUE(stillOpenAfterProblem) << "an invalid entry keeps the dialog open";
    std::vector<std::string> texts;
    for (const ParameterField& field : form.fields) {
        texts.push_back(field.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"2024-03-02", "2023", "1500.5", "5", "王's 店"}));
    EXPECT_EQ(form.DisplayText(3), "华南");
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(VONDREL_TEST_OUTPUT_DIR "/parameter-dialog.png"));
}

TEST(ParameterDialog, CancelLeavesTheFormAsItWas) {
    ui::qt::EnsureApplication();
    QtPrompt prompt;
    prompt.SetShownObserver([](QDialog& dialog) {
        static_cast<QLineEdit*>(static_cast<ParameterDialog&>(dialog).Editor("fcustomer"))->insert("abc");
        Click(dialog, QDialogButtonBox::Cancel);
    });
    ParameterForm form = DemoForm();
    EXPECT_FALSE(prompt.AskParameters("销售汇总", form));
    EXPECT_EQ(form.fields[4].text, "");
}

// A host whose locale is English (or C) still gets a Chinese calendar; and a whole date typed over
// the selected date is taken whole. Without the dialog's own locale the calendar's month read
// "March"; without taking the typing over, "2024-03-15" typed over 2026-12-01 gave 2026-03-15.
TEST(ParameterDialog, DateBoxIsChineseAndTakesAWholeTypedDate) {
    ui::qt::EnsureApplication();
    const QLocale hostLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const ParameterForm form = DemoForm();
    ParameterDialog dialog("销售汇总", form);
    dialog.show();
    auto* edit = static_cast<QDateEdit*>(dialog.Editor("fdatefrom"));
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key_F4); // opens the calendar, as the arrow does
    QCalendarWidget* calendar = edit->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    auto* month = calendar->findChild<QToolButton*>("qt_calendar_monthbutton");
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text().toStdString(), "三月");
    EXPECT_TRUE(calendar->window()->grab().save(VONDREL_TEST_OUTPUT_DIR "/parameter-calendar.png"));
    calendar->window()->hide();

    struct Case {
        const char* name;
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"dashes", "2024-03-15", "2024-03-15"},
        {"digits only", "20240315", "2024-03-15"},
        {"slashes and one-digit month and day", "2024/3/5", "2024-03-05"},
        {"dots", "2024.03.15", "2024-03-15"},
        {"no such day keeps the date", "2024-02-30", "2026-12-01"},
        {"a typo undone with backspace", "2024-04\b3-15", "2024-03-15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit->setDate(QDate(2026, 12, 1));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier); // the whole date selected
        for (const char* ch = c.typed; *ch; ++ch) {
            if (ch[0] == '\\' && ch[1] == 'b') {
                QTest::keyClick(edit, Qt::Key_Backspace);
                ++ch;
            } else {
                QTest::keyClicks(edit, QString(QChar(*ch)));
            }
        }
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_EQ(edit->date().toString("yyyy-MM-dd").toStdString(), c.expected);
        EXPECT_EQ(edit->text().toStdString(), c.expected) << "the box shows the date it holds";
    }
    dialog.reject();
    QLocale::setDefault(hostLocale);
}

TEST(RecordDialog, ShowsTheFieldsReadOnly) {
    ui::qt::EnsureApplication();
    QtPrompt prompt;
    QImage picture;
    prompt.SetShownObserver([&](QDialog& shown) {
        auto& dialog = static_cast<RecordDialog&>(shown);
        QTableWidget* table = dialog.Table();
        EXPECT_EQ(table->rowCount(), 3);
        EXPECT_EQ(table->item(1, 0)->text(), "客户");
        EXPECT_EQ(table->item(1, 1)->text(), "南京华联商厦");
        EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        picture = dialog.grab().toImage();
        Click(dialog, QDialogButtonBox::Close);
    });
    prompt.ShowRecord("收款明细 - 记录",
                      {{"收款单号", "SK202400495"}, {"客户", "南京华联商厦"}, {"金额", "9,865.00"}});
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(VONDREL_TEST_OUTPUT_DIR "/record-dialog.png"));
}

} // namespace
} // namespace sqlreport::qt
