// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "viewer/qt/GridPrintWindow.h"

#include "ado/Recordset.h"
#include "columns/qt/ColEditDialog.h"
#include "controls/grid/GridActions.h"
#include "controls/grid/qt/GridFindBar.h"
#include "controls/grid/qt/GridView.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "select/frmSelectReport.h"
#include "select/qt/SelectReportDialog.h"
#include "ui/Services.h"
#include "ui/qt/ChineseLocale.h"
#include "vb/Colour.h"
#include "vb/Conversion.h"
#include "viewer/frmGridPrint.h"
#include "viewer/qt/QtSheetOutput.h"

#include <map>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace QV_GridPrint {
namespace {

constexpr double kTwipsPerPixel = 15.0; // the window lays itself out in screen pixels at 96 dpi
// The title band's design positions (title, parameter line) count from the top of the window's inner
// area with a toolbar of 600 twips above them. Ours, with captions under the icons, is taller; the band
// is laid out below a toolbar of that classic height, so the parameter line's first row is not hidden
// under the buttons, and the grid moves down by the difference.
constexpr int kClassicToolbarPx = 40;

int ToPixels(int twips, double twipsPerPixel) {
    return static_cast<int>(twips / twipsPerPixel + 0.5);
}

// A toolbar icon of our own: the caption's first character on a coloured tile, one colour per group.
QIcon BadgeIcon(const std::string& key, const std::string& caption) {
    QColor colour("#4a78b5");
    if (key.starts_with("move")) {
        colour = QColor("#3d8b5a");
    } else if (key == "regetdata" || key == "open") {
        colour = QColor("#b5832f");
    } else if (key.starts_with("t_") || key == "dc") {
        colour = QColor("#8a4fa8");
    } else if (key == "exit") {
        colour = QColor("#b54a4a");
    }
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
    QFont font(QStringLiteral("黑体"));
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QString::fromStdString(caption).left(1));
    return QIcon(pixmap);
}

// The desktop icon theme's names for a button's command (freedesktop.org naming), best first.
std::vector<QString> ThemeIconNames(const std::string& key) {
    static const std::map<std::string, std::vector<QString>> names = {
        {"print", {"document-print"}},
        {"printpreview", {"document-print-preview"}},
        {"printsetup", {"document-page-setup"}},
        {"paper", {"document-properties"}},
        {"movefirst", {"go-first"}},
        {"moveprev", {"go-previous"}},
        {"movenext", {"go-next"}},
        {"movelast", {"go-last"}},
        {"regetdata", {"view-refresh"}},
        {"open", {"document-open"}},
        {"dc", {"document-export", "document-save-as"}},
        {"t_return", {"go-up", "edit-undo"}},
        {"t_coledit", {"document-edit", "edit-rename"}},
        {"t_csgs", {"edit-clear-all", "edit-clear"}},
        {"exit", {"window-close", "application-exit"}},
    };
    const auto found = names.find(key);
    return found == names.end() ? std::vector<QString>{} : found->second;
}

// The button's icon from the desktop's icon theme, so the buttons read as those of the user's other
// programs; where the theme lacks it (or no theme is installed, as on a bare server), the badge. Some
// themes (GNOME's) carry only the monochrome "-symbolic" drawings.
QIcon MakeIcon(const std::string& key, const std::string& caption) {
    for (const QString& name : ThemeIconNames(key)) {
        for (const QString& variant : {name, name + "-symbolic"}) {
            if (QIcon::hasThemeIcon(variant)) {
                return QIcon::fromTheme(variant);
            }
        }
    }
    return BadgeIcon(key, caption);
}

// The keys of the toolbar's commands, as the spreadsheet programs and viewers people know use them.
// The captions stay as they are; the tooltips name the keys.
QList<QKeySequence> ShortcutsOf(const std::string& key) {
    if (key == "print") {
        return {QKeySequence(Qt::CTRL | Qt::Key_P)};
    }
    if (key == "printpreview") {
        return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), QKeySequence(Qt::Key_F12)};
    }
    if (key == "regetdata") {
        return {QKeySequence(Qt::Key_F5)};
    }
    if (key == "dc") {
        return {QKeySequence(Qt::CTRL | Qt::Key_E)};
    }
    if (key == "exit") {
        return {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::ALT | Qt::Key_F4)};
    }
    return {};
}

QString ToolTipOf(const ToolbarButton& button) {
    QString tip = QString::fromStdString(button.tooltip.empty() ? button.caption : button.tooltip);
    QStringList keys;
    for (const QKeySequence& sequence : ShortcutsOf(button.key)) {
        keys << sequence.toString(QKeySequence::NativeText);
    }
    return keys.isEmpty() ? tip : tip + " (" + keys.join(QStringLiteral(", ")) + ")";
}

// The report window's dialog. Esc, which closes a dialog, must not close the report: a user who
// presses it to leave a cell or a menu would lose the window and its state. 退出, Ctrl+W and the close
// box still close it.
class ReportDialog final : public QDialog {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

// A colour of the window's logic: a BGR number, or a system colour (0x80000000 + index) taken from
// the palette; index 5 is the background of window interiors.
QColor ColourOf(long colour, const QPalette& palette) {
    if ((colour & 0x80000000L) != 0) {
        return (colour & 0xFF) == 5 ? palette.color(QPalette::Base) : palette.color(QPalette::WindowText);
    }
    return QColor(vb::BgrToRgb(static_cast<std::uint32_t>(colour & 0xFFFFFF)));
}

// The title band: our own banner (800 x 127), the report title where the logic drew it.
class TitleBand final : public QWidget {
public:
    TitleBand(frmGridPrint& logic, double twipsPerPixel, QWidget* parent)
        : QWidget(parent), m_logic(logic), m_twipsPerPixel(twipsPerPixel) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient banner(0, 0, 800, 127);
        banner.setColorAt(0, QColor("#1f4e79"));
        banner.setColorAt(0.6, QColor("#2e75b6"));
        banner.setColorAt(1, QColor("#9dc3e6"));
        painter.fillRect(QRect(0, 0, width(), height()), QColor("#1f4e79"));
        painter.fillRect(QRect(0, 0, 800, 127), banner);
        DrawParameterLine(painter);
        const DrawnTitle& title = m_logic.Title();
        if (title.text.empty()) {
            return;
        }
        QFont font(QString::fromStdString(title.fontFace));
        font.setPointSize(title.fontSize);
        font.setBold(title.isBold);
        painter.setFont(font);
        painter.setPen(palette().color(QPalette::Window));
        // The position is the top-left of the text in the window's inner area, which starts a classic
        // toolbar's height above the band.
        const QFontMetrics metrics(font);
        painter.drawText(ToPixels(title.xTwips, m_twipsPerPixel),
                         ToPixels(title.yTwips, m_twipsPerPixel) - kClassicToolbarPx + metrics.ascent(),
                         QString::fromStdString(title.text));
    }

private:
    // The parameter labels where the logic placed them, in the band's design positions like the title.
    void DrawParameterLine(QPainter& painter) {
        for (const ParaLabel& label : m_logic.lbpara) {
            if (!label.isVisible || label.caption.empty()) {
                continue;
            }
            QFont font(QStringLiteral("宋体"));
            font.setPointSizeF(label.fontSize > 0 ? label.fontSize : 10.0);
            painter.setFont(font);
            painter.setPen(ColourOf(label.colour, palette()));
            const QRect box(ToPixels(label.leftTwips, m_twipsPerPixel),
                            ToPixels(label.topTwips, m_twipsPerPixel) - kClassicToolbarPx,
                            ToPixels(label.widthTwips, m_twipsPerPixel),
                            ToPixels(label.heightTwips, m_twipsPerPixel));
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(label.caption));
        }
    }

    frmGridPrint& m_logic;
    double m_twipsPerPixel;
};

} // namespace

// The selection and column dialogs, modal over the report window.
class QtModalDialogs final : public ModalDialogs {
public:
    QtModalDialogs(QWidget*& parent, clsGridPrint*& host) : m_parent(parent), m_host(host) {}
    void ShowColEdit(columns::frmColEdit& dialog) override {
        columns::ColEditDialog shown(dialog, m_parent);
        shown.exec();
    }
    void ShowSelectReport(select::frmSelectReport& dialog) override {
        select::SelectReportDialog shown(dialog, m_host ? m_host->rptName : std::string(), m_parent);
        shown.exec();
    }

private:
    QWidget*& m_parent;
    clsGridPrint*& m_host;
};

struct GridPrintWindow::Private {
    PluginRegistry& plugins;
    SheetOutput* output;
    std::unique_ptr<QtSheetOutput> qtOutput;
    clsGridPrint* host = nullptr;
    std::unique_ptr<frmGridPrint> logic;
    QDialog* dialog = nullptr;
    QWidget* dialogParent = nullptr;
    QtModalDialogs modalDialogs{dialogParent, host};
    QToolBar* toolbar = nullptr;
    TitleBand* band = nullptr;
    QComboBox* selector = nullptr;
    grid::GridView* grid = nullptr;
    grid::GridFindBar* findBar = nullptr;
    QLabel* rowStatus = nullptr;
    QLabel* sumStatus = nullptr;
    std::map<std::string, QAction*> actions;
    std::function<void(GridPrintWindow&)> shownObserver;
    bool isFillingSelector = false;

    Private(PluginRegistry& p, SheetOutput* o) : plugins(p), output(o) {}

    double TwipsPerPixel() const {
        const double fromScreen = host->Services().TwipsPerPixelX();
        return fromScreen > 0 ? fromScreen : kTwipsPerPixel;
    }

    void Repaint(WindowPart part) {
        switch (part) {
        case WindowPart::Caption:
            dialog->setWindowTitle(QString::fromStdString(logic->Caption()));
            break;
        case WindowPart::Title:
            band->update();
            break;
        case WindowPart::Toolbar:
            for (const ToolbarButton& button : logic->Toolbar()) {
                if (auto found = actions.find(button.key); found != actions.end()) {
                    found->second->setEnabled(button.isEnabled);
                }
            }
            break;
        case WindowPart::Selector:
            FillSelector();
            break;
        case WindowPart::Grid:
        case WindowPart::Layout:
            PlaceGrid();
            break;
        }
    }

    void FillSelector() {
        const RecordSelector& tl1 = logic->Selector();
        selector->setVisible(tl1.isVisible);
        selector->setEnabled(tl1.isVisible);
        // The band starts a classic toolbar's height below the window's inner area.
        const double twipsPerPixel = TwipsPerPixel();
        selector->setGeometry(ToPixels(RecordSelector::kLeftTwips, twipsPerPixel),
                              ToPixels(RecordSelector::kTopTwips, twipsPerPixel) - kClassicToolbarPx,
                              ToPixels(tl1.widthTwips, twipsPerPixel),
                              ToPixels(RecordSelector::kHeightTwips, twipsPerPixel));
        isFillingSelector = true;
        selector->clear();
        if (tl1.rowSource && tl1.rowSource->State() == ado::adStateOpen && !tl1.listField.empty()) {
            // A clone lists the records without moving the master list the plug-in relies on.
            auto rows = tl1.rowSource->Clone();
            for (; !rows->IsEOF(); rows->MoveNext()) {
                const vb::Variant value = rows->Fields(tl1.listField).Value();
                selector->addItem(QString::fromStdString(value.IsNull() ? std::string() : vb::CStr(value)),
                                  QVariant::fromValue(rows->AbsolutePosition()));
            }
        }
        selector->setCurrentIndex(selector->findText(QString::fromStdString(tl1.text)));
        if (selector->currentIndex() < 0) {
            selector->setEditText(QString::fromStdString(tl1.text));
        }
        isFillingSelector = false;
    }

    // The status line: the report's rows, and count, sum and average of the numbers selected.
    void ShowStatus() {
        const grid::GridModel& model = logic->Grid();
        rowStatus->setText(QStringLiteral("共 %1 行").arg(std::max(0, grid::RecordRowCount(model))));
        const grid::MergeSpan selection = model.Selection();
        // A selection of a million cells is not added up on every click.
        constexpr long kSumLimit = 1000000;
        const std::optional<grid::RangeNumbers> numbers = grid::SumNumbers(model, selection, kSumLimit);
        if (!numbers || numbers->cells < 2 || numbers->numbers == 0) {
            sumStatus->clear();
            return;
        }
        sumStatus->setText(QStringLiteral("计数: %1    求和: %2    平均值: %3")
                               .arg(numbers->numbers)
                               .arg(QString::fromStdString(grid::StatusNumber(numbers->sum, 4)))
                               .arg(QString::fromStdString(grid::StatusNumber(
                                   numbers->sum / static_cast<double>(numbers->numbers), 4))));
    }

    void PlaceGrid() {
        const int bandHeight = ToPixels(logic->HeadHeightTwips(), TwipsPerPixel());
        band->setFixedHeight(std::max(0, bandHeight - kClassicToolbarPx));
        grid->viewport()->update();
    }
};

GridPrintWindow::GridPrintWindow(PluginRegistry& plugins, SheetOutput* output)
    : d(std::make_unique<Private>(plugins, output)) {}

GridPrintWindow::~GridPrintWindow() = default;

void GridPrintWindow::SetHost(clsGridPrint& host) {
    d->host = &host;
}

QDialog* GridPrintWindow::Dialog() const {
    return d->dialog;
}

frmGridPrint* GridPrintWindow::Logic() const {
    return d->logic.get();
}

void GridPrintWindow::SetShownObserver(std::function<void(GridPrintWindow&)> observer) {
    d->shownObserver = std::move(observer);
}

void GridPrintWindow::ShowModal() {
    if (!d->host) {
        return;
    }
    ReportDialog dialog;
    d->dialog = &dialog;
    if (!d->output && !d->qtOutput) {
        d->qtOutput = std::make_unique<QtSheetOutput>(d->host->Services());
    }
    d->logic = std::make_unique<frmGridPrint>(*d->host, d->host->Services(),
                                              d->output ? *d->output : *d->qtOutput, d->plugins);
    frmGridPrint& logic = *d->logic;
    dialog.setWindowTitle(QString::fromStdString(logic.Caption()));
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint);
    dialog.resize(1000, 700);
    ui::qt::UseChineseLocale(dialog);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    d->toolbar = new QToolBar(&dialog);
    d->toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    d->toolbar->setIconSize(QSize(24, 24));
    for (const ToolbarButton& button : logic.Toolbar()) {
        if (button.isSeparator) {
            d->toolbar->addSeparator();
            continue;
        }
        QAction* action = d->toolbar->addAction(MakeIcon(button.key, button.caption),
                                                QString::fromStdString(button.caption));
        action->setShortcuts(ShortcutsOf(button.key));
        action->setToolTip(ToolTipOf(button));
        action->setObjectName(QString::fromStdString(button.key));
        // Tab reaches every button and Space presses it: the toolbar works without a mouse.
        if (auto* tool = qobject_cast<QToolButton*>(d->toolbar->widgetForAction(action))) {
            tool->setFocusPolicy(Qt::TabFocus);
        }
        const std::string key = button.key;
        QObject::connect(action, &QAction::triggered, &dialog, [this, key] { d->logic->ToolbarClick(key); });
        d->actions[key] = action;
    }
    layout->addWidget(d->toolbar);
    d->band = new TitleBand(logic, d->TwipsPerPixel(), &dialog);
    layout->addWidget(d->band);
    d->selector = new QComboBox(d->band);
    d->selector->setObjectName("TL1");
    d->selector->setVisible(false);
    QObject::connect(d->selector, QOverload<int>::of(&QComboBox::activated), &dialog, [this](int index) {
        if (d->isFillingSelector || index < 0) {
            return;
        }
        // The pick, then its follow-up once the list has closed: the same two steps as always.
        d->logic->MutableSelector().pickedBookmark = vb::Variant(d->selector->itemData(index).toDouble());
        d->logic->SelectorPick();
        QTimer::singleShot(0, d->dialog, [this] { d->logic->SelectorFollowUp(); });
    });
    d->grid = new grid::GridView(logic.Grid(), &dialog);
    d->grid->setObjectName("grid");
    d->grid->SetEmptyText(QStringLiteral("没有符合条件的数据"));
    d->findBar = new grid::GridFindBar(*d->grid, &dialog);
    d->findBar->hide();
    layout->addWidget(d->findBar);
    layout->addWidget(d->grid, 1);
    auto* statusBar = new QStatusBar(&dialog);
    statusBar->setObjectName("statusBar");
    statusBar->setSizeGripEnabled(false);
    d->rowStatus = new QLabel(statusBar);
    d->rowStatus->setObjectName("rowStatus");
    d->sumStatus = new QLabel(statusBar);
    d->sumStatus->setObjectName("sumStatus");
    d->sumStatus->setContentsMargins(0, 0, 8, 0);
    d->rowStatus->setContentsMargins(6, 0, 0, 0);
    statusBar->addWidget(d->rowStatus);
    statusBar->addPermanentWidget(d->sumStatus);
    layout->addWidget(statusBar);
    d->grid->SetStatusObserver([this] { d->ShowStatus(); });
    // Find: Ctrl+F opens the bar, F3 and Shift+F3 go on from anywhere in the window.
    const auto addShortcut = [&](const QKeySequence& keys, std::function<void()> run) {
        auto* shortcut = new QShortcut(keys, &dialog);
        QObject::connect(shortcut, &QShortcut::activated, &dialog, std::move(run));
    };
    addShortcut(QKeySequence::Find, [this] { d->findBar->Open(); });
    addShortcut(QKeySequence(Qt::Key_F3), [this] { d->findBar->FindNext(false); });
    addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { d->findBar->FindNext(true); });

    d->dialogParent = &dialog;
    logic.SetModalDialogs(&d->modalDialogs);
    logic.SetChangeHandler([this](WindowPart part) { d->Repaint(part); });
    // The close a failed set-up posts runs after the current event, as a queued close request does.
    logic.SetCloseHandler([this] { QTimer::singleShot(0, d->dialog, [this] { d->dialog->close(); }); });
    d->PlaceGrid();

    logic.Load();
    // Modal from its first show: exec() cannot make an already visible window modal, and the host's
    // other windows would stay clickable behind the report.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    // The keys of the grid (arrows, Ctrl+C, Enter) work from the start, without a click first.
    d->grid->setFocus();
    logic.Resize(static_cast<int>(dialog.width() * d->TwipsPerPixel()),
                 static_cast<int>((dialog.height() - d->toolbar->height()) * d->TwipsPerPixel()));
    if (d->shownObserver) {
        QTimer::singleShot(0, &dialog, [this] { d->shownObserver(*this); });
    }
    dialog.exec();
    logic.Unload();
    // The view and the find bar read the logic's grid model; they go first.
    delete d->findBar;
    d->findBar = nullptr;
    delete d->grid;
    d->grid = nullptr;
    d->logic.reset();
    d->dialog = nullptr;
}

void UseQtReportWindow(clsGridPrint& host, PluginRegistry& plugins) {
    host.SetReportWindowFactory([&plugins] { return std::make_unique<GridPrintWindow>(plugins); });
}

} // namespace QV_GridPrint
