// The main window's menu bar, its learning-aid tool bar and status line, and
// the names assistive tools read. Only wiring: every command lives elsewhere.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include "app/code_list.h"
#include "app/field_binding.h"
#include "app/learning_aids.h"
#include "app/listing_view.h"
#include "app/program_transfer.h"
#include <QDockWidget>
#include "app/main_window.h"
#include "app/memory_model.h"
#include "app/theme.h"
#include "engine/simulator.h"

namespace korvanta::app {

void SimulatorWindow::buildAids()
{
    modeLabel_ = new QLabel;
    modeLabel_->setObjectName(QStringLiteral("ModeLabel"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addPermanentWidget(modeLabel_);
    showMode();

    aids_ = new LearningAids(*sim_, *list2_, *listView1_, *memoryModel_, *statusBar(), *this);
    // The fields whose changes a step shows: the processor's, not the entry fields or the status.
    static const QStringList kTracked = {QStringLiteral("RegisterA"), QStringLiteral("RegisterB"),
                                         QStringLiteral("RegisterC"), QStringLiteral("RegisterD"),
                                         QStringLiteral("RegisterE"), QStringLiteral("RegisterH"),
                                         QStringLiteral("RegisterL"), QStringLiteral("SP"),
                                         QStringLiteral("PC"),        QStringLiteral("Text2"),
                                         QStringLiteral("Text4"),     QStringLiteral("Text5"),
                                         QStringLiteral("Text6"),     QStringLiteral("Text7"),
                                         QStringLiteral("Text8"),     QStringLiteral("Text9"),
                                         QStringLiteral("Text10"),    QStringLiteral("Text11")};
    for (FieldBinding* binding : findChildren<FieldBinding*>()) {
        if (kTracked.contains(QString::fromStdString(binding->field().name())))
            aids_->watchField(binding->field(), binding->edit());
    }

    aidsToolbar_ = addToolBar(tr("Learning aids"));
    aidsToolbar_->setObjectName(QStringLiteral("ToolbarAids"));
    aidsToolbar_->setMovable(false);
    aidsToolbar_->setIconSize(QSize(24, 24));
    QStyle* s = style();
    aids_->stepBackAction()->setIcon(s->standardIcon(QStyle::SP_MediaSeekBackward));
    aids_->runToLineAction()->setIcon(s->standardIcon(QStyle::SP_ArrowForward));
    aids_->toggleBreakpointAction()->setIcon(s->standardIcon(QStyle::SP_DialogNoButton));
    aidsToolbar_->addAction(aids_->stepBackAction());
    aidsToolbar_->addAction(aids_->runToLineAction());
    aidsToolbar_->addAction(aids_->toggleBreakpointAction());
}

void SimulatorWindow::showMode()
{
    const bool full = sim_->machine.options.Full8085.get() == 1;
    modeLabel_->setText(full ? tr("Full 8085 mode: every instruction is carried out")
                             : tr("Classic mode: logic, compares, ports and interrupts are skipped"));
    modeLabel_->setAccessibleName(modeLabel_->text());
}

void SimulatorWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));

    QMenu* file = bar->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    for (int index : {1, 2, 3}) file->addAction(buttons_[index]);
    file->addMenu(transfer_->createExamplesMenu(file));
    file->addSeparator();
    file->addAction(transfer_->importAction());
    file->addAction(transfer_->exportAction());
    file->addAction(listing_->exportAction());
    file->addSeparator();
    file->addAction(buttons_[9]);
    file->addAction(listing_->printAction());
    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"), QKeySequence::Quit, this, [this] { close(); });
    quit->setObjectName(QStringLiteral("actionQuit"));

    QMenu* run = bar->addMenu(tr("&Run"));
    run->setObjectName(QStringLiteral("menuRun"));
    for (int index : {11, 12, 13}) run->addAction(buttons_[index]);
    run->addAction(aids_->stepBackAction());
    run->addAction(aids_->runToLineAction());
    run->addSeparator();
    run->addAction(aids_->toggleBreakpointAction());
    run->addAction(aids_->clearBreakpointsAction());

    QMenu* view = bar->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    for (int i = 0; i < tabs_->count(); ++i) {
        QAction* page = view->addAction(tabs_->tabText(i), this, [this, i] { tabs_->setCurrentIndex(i); });
        page->setObjectName(QStringLiteral("actionPage%1").arg(i + 1));
        page->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + i)));
    }
    view->addSeparator();
    for (QDockWidget* d : docks_) view->addAction(d->toggleViewAction());
    view->addSeparator();
    view->addMenu(CreateThemeMenu(this));
}

void SimulatorWindow::nameForAssistiveTools()
{
    // Readable names for what a screen reader announces; fields show codes
    // such as "Text2" as their object names.
    const struct {
        const char* object;
        const char* name;
    } names[] = {
        {"EnterCode", "Program line to add"},   {"Command1", "Add line"},
        {"Command2", "Delete selected line"},   {"List2", "Program lines"},
        {"List1", "Instruction reference list"}, {"Text3", "Instruction help"},
        {"Text1", "Start program at memory location"}, {"Check1", "Just compile, do not run"},
        {"Check2", "Just run, do not compile"}, {"Check3", "Automatically add HLT if necessary"},
        {"Check4", "Understand textual ORG commands"}, {"CheckFull8085", "Full 8085 mode"},
        {"MaxInstructions", "Instruction budget"}, {"Combo1", "Memory window first digit"},
        {"ListView1", "System memory"},          {"List3", "Program log"},
        {"Text13", "System log"},                {"ExecStatus", "Engine status"},
        {"RegisterA", "Register A"},             {"RegisterB", "Register B"},
        {"RegisterC", "Register C"},             {"RegisterD", "Register D"},
        {"RegisterE", "Register E"},             {"RegisterH", "Register H"},
        {"RegisterL", "Register L"},             {"SP", "Stack pointer"},
        {"PC", "Program counter"},               {"Text2", "Flag value"},
        {"Text4", "Sign flag S"},                {"Text5", "Zero flag Z"},
        {"Text6", "Flag bit 5, unused"},         {"Text7", "Auxiliary carry flag AC"},
        {"Text8", "Flag bit 3, unused"},         {"Text9", "Parity flag P"},
        {"Text10", "Flag bit 1, unused"},        {"Text11", "Carry flag CY"},
        {"TabStrip1", "Pages"},                  {"Toolbar1", "Main tool bar"},
        {"Toolbar2", "Memory tool bar"},         {"ToolbarAids", "Learning aids tool bar"},
    };
    for (const auto& n : names) {
        if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(n.object))) w->setAccessibleName(tr(n.name));
    }
    // Whatever is left gets its visible text, so that nothing is announced by a code name.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!w->accessibleName().isEmpty()) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) w->setAccessibleName(button->text());
        else if (auto* group = qobject_cast<QGroupBox*>(w)) w->setAccessibleName(group->title());
    }
    // The tab order follows the page, top to bottom, left to right.
    setTabOrder(enterCode_, command1_);
    setTabOrder(command1_, command2_);
    setTabOrder(command2_, list2_);
    setTabOrder(list2_, text1_);
}

}  // namespace korvanta::app
