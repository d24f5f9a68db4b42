// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "select/qt/SelectReportDialog.h"

#include "select/frmSelectReport.h"
#include "vb/Conversion.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace QV_GridPrint::select {
namespace {

// Img1, drawn here: a folder for the group, a sheet with ruled lines for a report.
QIcon Picture(int picture) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (picture == frmSelectReport::kGroupPicture) {
        painter.setPen(QColor("#9a6b12"));
        painter.setBrush(QColor("#f2c14e"));
        painter.drawRect(QRectF(1.5, 4.5, 13, 9));
        painter.drawRect(QRectF(1.5, 2.5, 6, 2));
    } else {
        painter.setPen(QColor("#2e5c8a"));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(3.5, 1.5, 9, 13));
        for (int y = 5; y <= 11; y += 3) {
            painter.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
        }
    }
    return QIcon(pixmap);
}

} // namespace

SelectReportDialog::SelectReportDialog(frmSelectReport& logic, const std::string& preselect, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(QStringLiteral("报表选择"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(380, 420);

    auto* label = new QLabel(QStringLiteral("请选择所需的报表："), this);
    label->setObjectName("Label1");
    auto* tabs = new QTabBar(this);
    tabs->setObjectName("TabStrip1");
    tabs->addTab(QString::fromStdString(logic.GroupName().empty() ? std::string("报表") : logic.GroupName()));
    tabs->setDrawBase(false);
    auto* frame = new QFrame(this);
    frame->setObjectName("Frame1");
    frame->setFrameShape(QFrame::StyledPanel);
    m_tree = new QTreeWidget(frame);
    m_tree->setObjectName("vsf");
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setIndentation(18);
    m_tree->setFont(QFont(QStringLiteral("宋体"), 10));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_tree);

    // The tree is the logic's grid: row 0 the group at level 1, the reports at level 2 below it.
    const grid::GridModel& vsf = logic.vsf;
    QTreeWidgetItem* group = nullptr;
    QTreeWidgetItem* current = nullptr;
    for (int row = 0; row < vsf.GridRowCount(); ++row) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(vsf.CellTextAt(row, 0))));
        item->setData(0, Qt::UserRole, row);
        const vb::Variant picture = vsf.RangeProp(grid::CellSetting::Picture, row, 0);
        if (!picture.IsEmpty() && !picture.IsNull()) {
            item->setIcon(0, Picture(vb::CInt(picture)));
        }
        QFont font = m_tree->font();
        font.setBold(vb::CBool(vsf.RangeProp(grid::CellSetting::Bold, row, 0)));
        item->setFont(0, font);
        item->setSizeHint(0, QSize(0, vsf.RowHeightTwips(row) / 15));
        if (vsf.RowLevel(row) <= 1 || !group) {
            m_tree->addTopLevelItem(item);
            group = item;
        } else {
            group->addChild(item);
        }
        if (!current || (row > 0 && vsf.CellTextAt(row, 0) == preselect)) {
            current = item;
        }
    }
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) {
            const int row = item->data(0, Qt::UserRole).toInt();
            m_logic.vsf.SelectRange(row, 0, row, 0);
        }
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->data(0, Qt::UserRole).toInt() > 0) {
            Ok();
        }
    });
    if (current) {
        m_tree->setCurrentItem(current);
    }

    auto* ok = new QPushButton(QStringLiteral("确认"), this);
    ok->setObjectName("cmdOk");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName("cmdCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addSpacing(4);
    layout->addWidget(tabs);
    layout->setSpacing(0);
    layout->addWidget(frame, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    m_tree->setFocus();
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void SelectReportDialog::Ok() {
    m_logic.cmdOk_Click();
    if (m_logic.IsClosed()) {
        accept();
    }
}

void SelectReportDialog::reject() {
    m_logic.cmdCancel_Click();
    QDialog::reject();
}

} // namespace QV_GridPrint::select
