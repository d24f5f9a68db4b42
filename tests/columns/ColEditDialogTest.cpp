// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The real column dialog under the offscreen platform: its captions, layout and keyboard order, then
// driven by keys and clicks as a user would, over a real database.
#include "columns/qt/ColEditDialog.h"

#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "columns/frmColEdit.h"
#include "controls/grid/GridModel.h"
#include "drill/QtTestApplication.h"
#include "support/DbFixture.h"
#include "support/QtInput.h"
#include "support/ScriptedServices.h"
#include "vb/Conversion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using QV_GridPrint::columns::ColEditDialog;
using QV_GridPrint::columns::frmColEdit;

class ColEditWindow : public ::testing::Test {
protected:
    void SetUp() override {
        VONDREL_REQUIRE_DATABASE(m_db);
        m_db.Exec("CREATE TABLE qv_rptchangecolformat (fuserid INTEGER, frptid INTEGER, fcol INTEGER, "
                  "fcaption VARCHAR(200), fdataformat INTEGER);"
                  "INSERT INTO qv_rptchangecolformat VALUES (7, 1, 1, '销售明细,金额', NULL);"
                  "INSERT INTO qv_rptchangecolformat VALUES (8, 1, 1, '销售明细,金额', NULL);");
        m_vsf.SetGridColCount(2);
        m_vsf.SetGridRowCount(3);
        m_vsf.SetHeaderRowCount(2);
        m_vsf.SetRangeProp(0, 0, 0, 0, 1, vb::Variant(std::string("销售明细")));
        m_vsf.SetRangeProp(0, 1, 0, vb::Variant(std::string("客户")));
        m_vsf.SetRangeProp(0, 1, 1, vb::Variant(std::string("金额")));
        m_vsf.UserClick(2, 0);
        m_vsf.MoveCursor(0, 1);
        m_logic.Form_Load();
    }

    std::string Stored() {
        auto rs = ado::Recordset::Create();
        rs->Open("SELECT fcaption, fdataformat FROM qv_rptchangecolformat ORDER BY fuserid",
                 m_db.Connection());
        std::string text;
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const vb::Variant decimals = rs->Fields("fdataformat").Value();
            text.append(vb::CStr(rs->Fields("fcaption").Value()))
                .append("/")
                .append(decimals.IsNull() ? "NULL" : vb::CStr(decimals))
                .append(";");
        }
        return text;
    }

    template <class T> T* Child(QWidget& parent, const char* name) {
        T* child = parent.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    vondrel::test::TestDatabase m_db{vondrel::test::Backend::Sqlite};
    vondrel::test::ScriptedServices m_services;
    grid::GridModel m_vsf;
    bool m_bColEdited = false;
    frmColEdit m_logic{{m_vsf, m_db.Connection(), 1, m_bColEdited}, m_services};
};

TEST_F(ColEditWindow, LayoutKeyboardOrderAndAStoredCaption) {
    ColEditDialog dialog(m_logic);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("列属性设置"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_EQ(labels, (QStringList{"原列标题：", "新列标题：", "小数位数："}));
    auto* oldCaption = Child<QLineEdit>(dialog, "txtOldCaption");
    auto* newCaption = Child<QLineEdit>(dialog, "txtNewCaption");
    auto* count = Child<QLineEdit>(dialog, "tnCount");
    auto* ok = Child<QPushButton>(dialog, "cmdOk");
    auto* cancel = Child<QPushButton>(dialog, "cmdCancel");
    EXPECT_EQ(oldCaption->text(), QStringLiteral("销售明细,金额"));
    EXPECT_TRUE(oldCaption->isReadOnly());
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
    // The three boxes one below the other; OK above Cancel, right of them.
    EXPECT_LT(oldCaption->y(), newCaption->y());
    EXPECT_LT(newCaption->y(), count->y());
    EXPECT_LT(ok->y(), cancel->y());
    EXPECT_GT(ok->mapTo(&dialog, QPoint()).x(), count->mapTo(&dialog, QPoint(count->width(), 0)).x());

    const QImage image = dialog.grab().toImage();
    ASSERT_TRUE(image.save(QString(VONDREL_TEST_OUTPUT_DIR) + "/col-edit-dialog.png"));

    EXPECT_EQ(QApplication::focusWidget(), newCaption);
    std::vector<QWidget*> order;
    for (int step = 0; step < 4; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{count, ok, cancel, oldCaption}));

    // Two levels for one: refused with its message, the dialog stays.
    vondrel::test::TypeText(QStringLiteral("新标题"), newCaption);
    QTest::mouseClick(ok, Qt::LeftButton);
    std::vector<ui::Message> messages = m_services.TakeMessages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text, "对不起，新列标题级数与原来的列标题级数不一致！");
    EXPECT_TRUE(dialog.isVisible());

    newCaption->clear();
    vondrel::test::TypeText(QStringLiteral("销售明细,O'Neil's 金额"), newCaption);
    vondrel::test::TypeText("12", count); // the 2 would leave the range and is refused
    EXPECT_EQ(count->text(), "1");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_bColEdited);
    EXPECT_EQ(Stored(), "销售明细,O'Neil's 金额/1;销售明细,O'Neil's 金额/1;");
    EXPECT_TRUE(m_services.TakeMessages().empty());
}

TEST_F(ColEditWindow, CloseBoxAndEscapeStoreNothing) {
    for (const bool isEscape : {false, true}) {
        SCOPED_TRACE(isEscape ? "Escape" : "close box");
        frmColEdit logic({m_vsf, m_db.Connection(), 1, m_bColEdited}, m_services);
        logic.Form_Load();
        ColEditDialog dialog(logic);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        vondrel::test::TypeText("X,Y", Child<QLineEdit>(dialog, "txtNewCaption"));
        if (isEscape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            dialog.close();
        }
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(logic.IsClosed());
        EXPECT_FALSE(m_bColEdited);
        EXPECT_EQ(Stored(), "销售明细,金额/NULL;销售明细,金额/NULL;");
    }
}

} // namespace
