#include <QGroupBox>
#include <QLabel>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "gui_fixture.h"
#include "reference/instruction_reference.h"

namespace korvanta::app::testing {
namespace {

using korvanta::MsgAnswer;
using korvanta::MsgButtons;
using korvanta::MsgIcon;

TEST_F(GuiTest, StartsOnTheHomeTabWithEveryDefault)
{
    EXPECT_EQ(window->objectName(), "Simulator");
    EXPECT_EQ(window->windowTitle(), "Ombrix Korvanta");

    QTabWidget* tabs = window->tabs();
    EXPECT_EQ(tabs->objectName(), "TabStrip1");
    const char* captions[][2] = {{"Korvanta Home", "Korvanta Home Screen"},
                                 {"Code Entry", "Edit and write ASM code"},
                                 {"CPU and Memory State", "View and Edit the simulated CPU state"},
                                 {"About Korvanta", "Learn more about Ombrix Technology"}};
    ASSERT_EQ(tabs->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i][0]);
        EXPECT_EQ(tabs->tabToolTip(i), captions[i][1]);
        EXPECT_EQ(tabs->widget(i)->isVisible(), i == 0) << i;
    }
    tabs->setCurrentIndex(2);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(tabs->widget(i)->isVisible(), i == 2) << i;

    for (const char* r : {"RegisterA", "RegisterB", "RegisterC", "RegisterD", "RegisterE", "RegisterH", "RegisterL"})
        EXPECT_EQ(text(r), "00") << r;
    EXPECT_EQ(text("SP"), "0BBB");
    EXPECT_EQ(text("PC"), "0000");
    EXPECT_TRUE(edit("PC")->isReadOnly());
    EXPECT_EQ(text("Text1"), "0000");
    EXPECT_EQ(text("Text2"), "00");
    for (int i = 4; i <= 11; ++i) EXPECT_EQ(text(QStringLiteral("Text%1").arg(i).toLatin1().constData()), "0");
    EXPECT_EQ(text("ExecStatus"), "Engine Idle");
    EXPECT_TRUE(listLines("List3").isEmpty());
    EXPECT_TRUE(find<QPlainTextEdit>("Text13")->toPlainText().isEmpty());
    EXPECT_FALSE(find<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("Check2")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("Check3")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("Check4")->isChecked());
    EXPECT_EQ(edit("EnterCode")->placeholderText(), "Enter your ASM code here.");

    auto* combo = find<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 16);
    EXPECT_EQ(combo->itemText(10), "A");
    EXPECT_EQ(combo->currentText(), "0");
    EXPECT_TRUE(host.messages.empty()) << "the start-up selection must not ask about the range";

    MemoryModel* model = window->memoryModel();
    ASSERT_EQ(model->rowCount(), 4096);
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "0000");
    EXPECT_EQ(model->data(model->index(4095, 0)).toString(), "0FFF");
    EXPECT_EQ(memoryData(4096), "00");
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Address");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Data");
    EXPECT_EQ(find<QGroupBox>("Frame6")->title(), "System Memory");
}

TEST_F(GuiTest, MainToolbarHasItsButtonsTipsAndShortcuts)
{
    EXPECT_NE(find<QToolBar>("Toolbar1"), nullptr);
    const struct {
        int index;
        const char* tip;
        QKeySequence keys;
    } buttons[] = {
        {1, "Create a new file", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {2, "Open an existing file", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {3, "Save the current program", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {5, "Cut", {}},
        {6, "Copy", {}},
        {7, "Paste", {}},
        {9, "Print the current program", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {11, "Run the current program", QKeySequence(Qt::Key_F5)},
        {12, "Step Forward", QKeySequence(Qt::Key_F10)},
        {13, "Stop the current program", QKeySequence(Qt::SHIFT | Qt::Key_F5)},
    };
    for (const auto& b : buttons) {
        QAction* action = window->toolbarButton(b.index);
        ASSERT_NE(action, nullptr) << b.index;
        EXPECT_FALSE(action->isSeparator()) << b.index;
        EXPECT_EQ(action->toolTip(), b.tip);
        EXPECT_EQ(action->shortcut(), b.keys) << b.index;
        EXPECT_FALSE(action->icon().isNull()) << b.index;
    }
    for (int separator : {4, 8, 10}) EXPECT_TRUE(window->toolbarButton(separator)->isSeparator()) << separator;
}

TEST_F(GuiTest, CutCopyAndPasteDoNothing)
{
    typeProgram({"NOP"});
    QTest::keyClicks(edit("EnterCode"), "MVI");
    sim().machine.cpu.RegisterA.setText("12");
    for (int index : {5, 6, 7}) window->toolbarButton(index)->trigger();
    EXPECT_EQ(text("EnterCode"), "MVI");
    EXPECT_EQ(listLines("List2"), QStringList{"NOP"});
    EXPECT_EQ(text("RegisterA"), "12");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GuiTest, CodeEntryFiltersKeysAndEnterAddsTheLine)
{
    QLineEdit* entry = edit("EnterCode");
    QTest::keyClicks(entry, "mov a,b");
    EXPECT_EQ(entry->text(), "MOV A,B");
    QTest::keyClicks(entry, "*?");
    EXPECT_EQ(entry->text(), "MOV A,B");
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClicks(entry, "c");
    EXPECT_EQ(sim().source.EnterCode.text(), "MOV A,C");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(listLines("List2"), QStringList{"MOV A,C"});
    EXPECT_TRUE(entry->text().isEmpty());
    EXPECT_EQ(find<QListWidget>("List2")->currentRow(), 0);

    QTest::keyClick(entry, Qt::Key_Return);  // empty entry
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Please enter ASM code in the blank.");
    EXPECT_EQ(listLines("List2").size(), 1);
}

TEST_F(GuiTest, AddInsertsAfterTheSelectionAndDeleteSelectsTheLineBefore)
{
    typeProgram({"MVI A,01", "MVI B,02", "HLT"});
    auto* list = find<QListWidget>("List2");
    auto* add = find<QPushButton>("Command1");
    auto* del = find<QPushButton>("Command2");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(sim().source.selected(), 1);
    QTest::keyClicks(edit("EnterCode"), "NOP");
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI A,01", "MVI B,02", "NOP", "HLT"}));
    EXPECT_EQ(list->currentRow(), 2);

    list->setCurrentRow(0);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI B,02", "NOP", "HLT"}));
    EXPECT_EQ(list->currentRow(), 0);
    list->setCurrentRow(2);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(sim().source.selected(), 1);

    QTest::mouseClick(del, Qt::LeftButton);
    QTest::mouseClick(del, Qt::LeftButton);
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    QTest::mouseClick(del, Qt::LeftButton);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().text, "Please choose a line to delete.");
    EXPECT_EQ(host.messages.back().icon, MsgIcon::Information);
}

TEST_F(GuiTest, RegisterFieldsFilterTypingAndCompleteOnLeaving)
{
    window->tabs()->setCurrentIndex(2);
    QLineEdit* b = edit("RegisterB");
    QLineEdit* c = edit("RegisterC");
    b->setFocus();
    b->selectAll();
    QTest::keyClicks(b, "3e");
    EXPECT_EQ(b->text(), "3E");
    EXPECT_EQ(sim().machine.cpu.RegisterB.text(), "3E");
    QTest::keyClicks(b, "g");  // full, and not a digit anyway
    EXPECT_EQ(b->text(), "3E");

    b->selectAll();
    QTest::keyClicks(b, "g7");
    EXPECT_EQ(b->text(), "7");
    c->setFocus();
    EXPECT_EQ(b->text(), "07");
    EXPECT_EQ(sim().machine.cpu.RegisterB.text(), "07");

    c->selectAll();
    QTest::keyClick(c, Qt::Key_Backspace);
    EXPECT_EQ(sim().machine.cpu.RegisterC.text(), "");
    b->setFocus();
    EXPECT_EQ(c->text(), "00");

    sim().machine.cpu.RegisterD.setText("A5");  // the core writes, the widget follows
    EXPECT_EQ(text("RegisterD"), "A5");
}

TEST_F(GuiTest, FlagBitsToggleOnClickAndFollowTheFlagValue)
{
    window->tabs()->setCurrentIndex(2);
    QTest::mouseClick(edit("Text4"), Qt::LeftButton);
    EXPECT_EQ(text("Text4"), "1");
    EXPECT_EQ(text("Text2"), "80");
    QTest::mouseClick(edit("Text11"), Qt::LeftButton);
    EXPECT_EQ(text("Text2"), "81");
    EXPECT_TRUE(find<QPlainTextEdit>("Text13")->hasFocus());

    QLineEdit* value = edit("Text2");
    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, "4");
    EXPECT_EQ(text("Text4"), "1") << "one digit leaves the bits alone";
    QTest::keyClicks(value, "5");
    QString bits;
    for (int i = 4; i <= 11; ++i) bits += text(QStringLiteral("Text%1").arg(i).toLatin1().constData());
    EXPECT_EQ(bits, "01000101");
}

TEST_F(GuiTest, RunFromTheToolbarShowsTheResult)
{
    typeProgram({"MVI A,05", "MVI B,3C", "ADD B", "STA 0100", "HLT"});
    window->toolbarButton(11)->trigger();
    EXPECT_EQ(text("RegisterA"), "41");
    EXPECT_EQ(text("RegisterB"), "3C");
    EXPECT_EQ(text("PC"), "0009");  // the address after the HLT opcode at 0008
    EXPECT_EQ(text("ExecStatus"), "Program Finished");
    EXPECT_EQ(edit("ExecStatus")->palette().color(QPalette::Base), QColor(0, 192, 0));
    EXPECT_EQ(listLines("List3"),
              (QStringList{"Start Program: Normal CPU/SET3", "Program Finished: HLT-HOLD", "CPU Idle"}));
    EXPECT_TRUE(find<QPlainTextEdit>("Text13")->toPlainText().contains("Executing Program: "));
    EXPECT_EQ(memoryData(1), "3E");
    EXPECT_EQ(memoryData(2), "05");
    EXPECT_EQ(memoryData(0x101), "41");
    EXPECT_TRUE(window->toolbarButton(11)->isEnabled());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GuiTest, StepExecutesOneInstructionPerPress)
{
    typeProgram({"MVI A,05", "MVI B,06", "HLT"});
    QStringList seen;
    auto* view = find<QTableView>("ListView1");
    host.onWait = [&] {
        seen << text("RegisterA") + "/" + text("RegisterB") + "/" + text("PC") + "/" +
                    QString::number(view->currentIndex().row());
        QTimer::singleShot(0, window.get(), [this] { window->toolbarButton(12)->trigger(); });
        QCoreApplication::processEvents();
    };
    window->toolbarButton(12)->trigger();
    ASSERT_GE(seen.size(), 2);
    EXPECT_EQ(seen[0], "05/00/0001/0");  // PC shows the address after the fetched opcode
    EXPECT_EQ(seen.last(), "05/06/0003/2");
    EXPECT_EQ(seen.size(), 2);
    EXPECT_EQ(text("ExecStatus"), "Program Finished");
}

TEST_F(GuiTest, StopEndsAnEndlessLoop)
{
    typeProgram({"LOOP: JMP LOOP"});
    // Stop pressed while assembling would stop the assembler instead, and one
    // pressed while the run starts is forgotten when the run clears its error
    // flag: the timer presses whenever it finds the program executing.
    QTimer stop;
    stop.setInterval(1);
    QObject::connect(&stop, &QTimer::timeout, window.get(), [this] {
        if (text("ExecStatus") == "Executing Program...") window->toolbarButton(13)->trigger();
    });
    stop.start();
    window->toolbarButton(11)->trigger();
    stop.stop();
    EXPECT_EQ(text("ExecStatus"), "CPU Halted by User");
    EXPECT_TRUE(listLines("List3").contains("User Halted"));
    EXPECT_EQ(edit("ExecStatus")->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_TRUE(window->toolbarButton(11)->isEnabled());
    EXPECT_TRUE(host.messages.empty()) << "stopped before the instruction limit";
}

TEST_F(GuiTest, RangeChangeAnsweredYesThenNo)
{
    auto* combo = find<QComboBox>("Combo1");
    host.answers = {MsgAnswer::Yes, MsgAnswer::No};
    combo->setCurrentIndex(2);
    Q_EMIT combo->activated(2);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Ombrix Korvanta");
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(host.messages[0].defaultButton, MsgAnswer::No);
    MemoryModel* model = window->memoryModel();
    EXPECT_EQ(model->rowCount(), 4096);
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "2000");
    EXPECT_EQ(model->data(model->index(4095, 0)).toString(), "2FFF");
    EXPECT_EQ(text("Text1"), "2000");
    EXPECT_EQ(text("SP"), "2BBB");
    EXPECT_EQ(text("PC"), "2000");

    combo->setCurrentIndex(3);
    Q_EMIT combo->activated(3);
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "2000") << "No keeps the rows";
    EXPECT_EQ(text("Text1"), "3000");
    EXPECT_EQ(text("SP"), "3BBB");
    EXPECT_EQ(combo->currentText(), "3");
}

TEST_F(GuiTest, EditMemoryDialogFromADoubleClick)
{
    window->tabs()->setCurrentIndex(2);
    auto* view = find<QTableView>("ListView1");
    const QModelIndex fifth = window->memoryModel()->index(4, 0);
    view->scrollTo(fifth);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(fifth).center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(fifth).center());

    EditMemoryDialog* dialog = window->editMemoryDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->centralWidget()->isEnabled());
    EXPECT_EQ(dialog->addressField()->text(), "0004");
    EXPECT_TRUE(dialog->addressField()->isReadOnly());
    EXPECT_EQ(dialog->itsKEY()->text(), "5");
    EXPECT_EQ(dialog->dataEntry()->maxLength(), 2);

    dialog->dataEntry()->selectAll();
    QTest::keyClicks(dialog->dataEntry(), "g7");
    EXPECT_EQ(dialog->dataEntry()->text(), "7");
    QTest::keyClick(dialog->dataEntry(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(window->centralWidget()->isEnabled());
    EXPECT_EQ(memoryData(5), "07");

    // Cancel changes nothing.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(fifth).center());
    ASSERT_TRUE(dialog->isVisible());
    dialog->dataEntry()->setText("AA");
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(memoryData(5), "07");
    EXPECT_TRUE(window->centralWidget()->isEnabled());
}

TEST_F(GuiTest, ScrollDialogSelectsTheAddressOrStaysOpen)
{
    window->tabs()->setCurrentIndex(2);
    auto* toolbar2 = find<QToolBar>("Toolbar2");
    QAction* scroll = toolbar2->actions().at(1);
    EXPECT_EQ(toolbar2->actions().at(0)->toolTip(), "Reset the Memory");
    EXPECT_EQ(scroll->toolTip(), "Scroll to a memory location");
    scroll->trigger();
    ShowMemDialog* dialog = window->showMemDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->centralWidget()->isEnabled());

    QTest::keyClicks(dialog->entry(), "1000");
    QTest::keyClick(dialog->entry(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "out of range stays open";
    ASSERT_EQ(host.messages.size(), 1u);

    dialog->entry()->clear();
    QTest::keyClicks(dialog->entry(), "0a3fz");
    EXPECT_EQ(dialog->entry()->text(), "0A3F");
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(window->centralWidget()->isEnabled());
    auto* view = find<QTableView>("ListView1");
    EXPECT_EQ(view->currentIndex().row(), 2623);
    const QRect visible = view->viewport()->rect();
    EXPECT_TRUE(visible.intersects(view->visualRect(view->currentIndex())));
}

TEST_F(GuiTest, MemoryColumnsFollowTheListWidth)
{
    window->tabs()->setCurrentIndex(2);
    window->resize(1400, 900);
    QCoreApplication::processEvents();
    auto* view = find<QTableView>("ListView1");
    EXPECT_EQ(view->columnWidth(0), view->width() / 2);
    EXPECT_EQ(view->columnWidth(1), view->width() * 4 / 10);
}

TEST_F(GuiTest, RunOptionsExcludeEachOther)
{
    window->tabs()->setCurrentIndex(1);
    auto* just = find<QCheckBox>("Check1");
    auto* jun = find<QCheckBox>("Check2");
    EXPECT_EQ(just->text(), "Just compile (do not run)");
    EXPECT_EQ(jun->text(), "Jun run (do not compile)");
    just->click();
    EXPECT_EQ(sim().machine.options.Check1.get(), 1);
    jun->click();
    EXPECT_FALSE(just->isChecked());
    EXPECT_EQ(sim().machine.options.Check1.get(), 0);
    EXPECT_EQ(sim().machine.options.Check2.get(), 1);
}

TEST_F(GuiTest, ReferenceListShowsTheComposedHelp)
{
    auto* list = find<QListWidget>("List1");
    auto* help = find<QPlainTextEdit>("Text3");
    QStringList keys;
    for (const std::string& k : korvanta::ReferenceKeys()) keys << QString::fromStdString(k);
    ASSERT_EQ(keys.size(), 53);
    EXPECT_EQ(listLines("List1"), keys);

    window->tabs()->setCurrentIndex(1);
    auto click = [&](const char* key) {
        QListWidgetItem* item = list->findItems(QString::fromLatin1(key), Qt::MatchExactly).value(0);
        ASSERT_NE(item, nullptr) << key;
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    };
    click("NOP");
    EXPECT_EQ(help->toPlainText(), "ACTION: No Operation\n\nUSAGE: NOP");
    click("PUSH");
    const QStringList lines = help->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4], "NOTE: Using \"PUSH PSW\" moves data from the accumulator and the flag register into the stack");
    click("RRC");
    EXPECT_EQ(help->toPlainText().split('\n').size(), 5) << "no row: the previous text stays";
    click("SHDL");
    EXPECT_EQ(help->toPlainText(), "ACTION: Moves data out of HL register pair\n\nUSAGE: SHDL [16-bit memory locator]");
}

TEST_F(GuiTest, NewAsksAndCancelKeepsEverything)
{
    typeProgram({"NOP"});
    host.answers = {MsgAnswer::Cancel};
    window->toolbarButton(1)->trigger();
    ASSERT_EQ(host.messages.size(), 1u);
    const auto& q = host.messages[0];
    EXPECT_EQ(q.text, "Would you like to save the current project?");
    EXPECT_EQ(q.title, "Ombrix Korvanta");
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(q.buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(q.defaultButton, MsgAnswer::Cancel);
    EXPECT_EQ(listLines("List2"), QStringList{"NOP"});

    host.answers = {MsgAnswer::No};
    sim().machine.cpu.RegisterA.setText("42");
    window->toolbarButton(1)->trigger();
    EXPECT_TRUE(listLines("List2").isEmpty());
    EXPECT_EQ(text("RegisterA"), "00");
    EXPECT_EQ(listLines("List1").size(), 53) << "the reference stays usable after New";
}

}  // namespace
}  // namespace korvanta::app::testing
