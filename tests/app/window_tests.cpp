#include <QAbstractItemModelTester>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include "gui_fixture.h"
#include "reference/instruction_reference.h"

namespace korvanta::app::testing {
namespace {

TEST_F(GuiTest, StartsOnTheHomeTabWithEveryDefault)
{
    EXPECT_EQ(window->windowTitle(), "Ombrix Korvanta");
    const char* captions[][2] = {{"Korvanta Home", "Korvanta Home Screen"},
                                 {"Code Entry", "Edit and write ASM code"},
                                 {"CPU and Memory State", "View and Edit the simulated CPU state"},
                                 {"About Korvanta", "Learn more about Ombrix Technology"}};
    QTabWidget* tabs = window->tabs();
    ASSERT_EQ(tabs->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i][0]);
        EXPECT_EQ(tabs->tabToolTip(i), captions[i][1]);
        EXPECT_EQ(tabs->widget(i)->isVisible(), i == 0) << i;
    }
    tabs->setCurrentIndex(2);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(tabs->widget(i)->isVisible(), i == 2) << i;

    const char* fields[][2] = {{"RegisterA", "00"}, {"RegisterB", "00"}, {"RegisterC", "00"},
                               {"RegisterD", "00"}, {"RegisterE", "00"}, {"RegisterH", "00"},
                               {"RegisterL", "00"}, {"SP", "0BBB"},      {"PC", "0000"},
                               {"Text1", "0000"},   {"Text2", "00"},     {"ExecStatus", "Engine Idle"}};
    for (const auto& [name, value] : fields) EXPECT_EQ(text(name), value) << name;
    for (const auto& [name, length] : {std::pair{"SP", 4}, {"Text1", 4}, {"Text2", 2}, {"RegisterH", 2}})
        EXPECT_EQ(edit(name)->maxLength(), length) << name;
    EXPECT_EQ(flagBits(), "00000000");
    EXPECT_TRUE(listLines("List3").isEmpty());
    EXPECT_TRUE(find<QPlainTextEdit>("Text13")->toPlainText().isEmpty());
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(find<QCheckBox>(QStringLiteral("Check%1").arg(i))->isChecked(), i >= 3) << "Check" << i;

    auto* combo = find<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 16);
    EXPECT_EQ(combo->currentText(), "0");
    EXPECT_TRUE(host.messages.empty()) << "the start-up selection must not ask about the range";

    ASSERT_EQ(window->memoryModel()->rowCount(), 4096);
    EXPECT_EQ(cell(0, 0), "0000");
    EXPECT_EQ(cell(4095, 0), "0FFF");
    EXPECT_EQ(memoryData(4096), "00");
}

TEST_F(GuiTest, MainToolbarHasTipsShortcutsAndSeparatorsAndCutCopyPasteDoNothing)
{
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
        EXPECT_EQ(action->toolTip(), b.tip);
        EXPECT_EQ(action->shortcut(), b.keys) << b.index;
        EXPECT_FALSE(action->icon().isNull()) << b.index;
    }
    for (int index : {4, 8, 10}) EXPECT_TRUE(window->toolbarButton(index)->isSeparator()) << index;

    typeProgram({"NOP"});
    QTest::keyClicks(edit("EnterCode"), "MVI");
    for (int index : {5, 6, 7}) press(index);
    EXPECT_EQ(text("EnterCode"), "MVI");
    EXPECT_EQ(listLines("List2"), QStringList{"NOP"});
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(GuiTest, CodeEntryFiltersKeysAndEnterAddsTheLine)
{
    window->tabs()->setCurrentIndex(1);
    QLineEdit* entry = edit("EnterCode");
    QTest::keyClicks(entry, "mov a,b");
    EXPECT_EQ(entry->text(), "MOV A,B");
    QTest::keyClicks(entry, "*?");
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClicks(entry, "c");
    EXPECT_EQ(sim().source.EnterCode.text(), "MOV A,C") << "the filtered keys were never typed";
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(listLines("List2"), QStringList{"MOV A,C"});
    EXPECT_TRUE(entry->text().isEmpty());
    EXPECT_EQ(find<QListWidget>("List2")->currentRow(), 0);

    QTest::keyClick(entry, Qt::Key_Return);  // an empty entry is refused with a message
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(listLines("List2").size(), 1);

    // "Just compile" and "just run" exclude each other.
    find<QCheckBox>("Check1")->click();
    EXPECT_EQ(sim().machine.options.Check1.get(), 1);
    find<QCheckBox>("Check2")->click();
    EXPECT_FALSE(find<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(sim().machine.options.Check1.get(), 0);
    EXPECT_EQ(sim().machine.options.Check2.get(), 1);
}

TEST_F(GuiTest, AddInsertsAfterTheSelectionAndDeleteSelectsTheLineBefore)
{
    typeProgram({"MVI A,01", "MVI B,02", "HLT"});
    auto* list = find<QListWidget>("List2");
    auto* del = find<QPushButton>("Command2");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(sim().source.selected(), 1);
    QTest::keyClicks(edit("EnterCode"), "NOP");
    click(find<QPushButton>("Command1"));
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI A,01", "MVI B,02", "NOP", "HLT"}));
    EXPECT_EQ(list->currentRow(), 2);

    auto deleteRow = [&](int row) {
        list->setCurrentRow(row);
        click(del);
        return list->currentRow();
    };
    EXPECT_EQ(deleteRow(0), 0);
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI B,02", "NOP", "HLT"}));
    EXPECT_EQ(deleteRow(2), 1);
    EXPECT_EQ(sim().source.selected(), 1);
    EXPECT_EQ(deleteRow(0), 0);
    EXPECT_EQ(deleteRow(0), -1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    click(del);
    EXPECT_EQ(host.messages.size(), 1u) << "nothing to delete";
}

TEST_F(GuiTest, TypedFieldsFilterKeysCompleteOnLeavingAndDriveTheFlagBits)
{
    window->tabs()->setCurrentIndex(2);
    QLineEdit* b = edit("RegisterB");
    QLineEdit* c = edit("RegisterC");
    b->setFocus();
    b->selectAll();
    QTest::keyClicks(b, "3eg");  // the g finds the field full, and is no digit anyway
    EXPECT_EQ(b->text(), "3E");
    EXPECT_EQ(sim().machine.cpu.RegisterB.text(), "3E");

    b->selectAll();
    QTest::keyClicks(b, "g7");
    EXPECT_EQ(b->text(), "7");
    c->setFocus();
    EXPECT_EQ(sim().machine.cpu.RegisterB.text(), "07");
    EXPECT_EQ(b->text(), "07");

    c->selectAll();
    QTest::keyClick(c, Qt::Key_Backspace);
    EXPECT_EQ(sim().machine.cpu.RegisterC.text(), "");
    b->setFocus();
    EXPECT_EQ(c->text(), "00");

    // The start address: upper-cased, and the compiled program is stale.
    typeProgram({"HLT"});
    press(11);
    ASSERT_EQ(sim().machine.run.ProgramCompiled, korvanta::kTrue);
    edit("Text1")->selectAll();
    QTest::keyClicks(edit("Text1"), "0a00");
    EXPECT_EQ(text("Text1"), "0A00");
    EXPECT_EQ(sim().machine.run.ProgramCompiled, korvanta::kFalse);

    // Clicking S then CY sets the flag value; typing a value sets the bits.
    QTest::mouseClick(edit("Text4"), Qt::LeftButton);
    EXPECT_EQ(text("Text2"), "80");
    QTest::mouseClick(edit("Text11"), Qt::LeftButton);
    EXPECT_EQ(text("Text2"), "81");
    EXPECT_TRUE(find<QPlainTextEdit>("Text13")->hasFocus());

    QLineEdit* value = edit("Text2");
    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, "4");
    EXPECT_EQ(flagBits(), "10000001") << "one digit leaves the bits alone";
    QTest::keyClicks(value, "5");
    EXPECT_EQ(flagBits(), "01000101");
}

TEST_F(GuiTest, RunFromTheToolbarShowsTheResult)
{
    typeProgram({"MVI A,05", "MVI B,3C", "ADD B", "STA 0100", "HLT"});
    press(11);
    EXPECT_EQ(text("RegisterA"), "41");
    EXPECT_EQ(text("PC"), "0009");  // the address after the HLT opcode at 0008
    EXPECT_EQ(text("ExecStatus"), "Program Finished");
    EXPECT_EQ(edit("ExecStatus")->palette().color(QPalette::Base), QColor(0, 192, 0));
    EXPECT_EQ(listLines("List3"),
              (QStringList{"Start Program: Normal CPU/SET3", "Program Finished: HLT-HOLD", "CPU Idle"}));
    EXPECT_TRUE(find<QPlainTextEdit>("Text13")->toPlainText().contains("Executing Program: "));
    EXPECT_EQ(memoryData(1), "3E");
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
        seen << QStringList{text("RegisterA"), text("RegisterB"), text("PC"),
                            QString::number(view->currentIndex().row())}
                    .join('/');
        QTimer::singleShot(0, window.get(), [this] { press(12); });
        QCoreApplication::processEvents();
    };
    press(12);
    // PC shows the address after the fetched opcode.
    EXPECT_EQ(seen, (QStringList{"05/00/0001/0", "05/06/0003/2"}));
    EXPECT_EQ(text("ExecStatus"), "Program Finished");
}

TEST_F(GuiTest, StopEndsAnEndlessLoop)
{
    typeProgram({"LOOP: JMP LOOP"});
    // Pressed while assembling or starting, Stop would end the assembly or be
    // forgotten: the timer presses whenever it finds the program executing.
    QTimer stop;
    stop.setInterval(1);
    QObject::connect(&stop, &QTimer::timeout, window.get(), [this] {
        if (text("ExecStatus") == "Executing Program...") press(13);
    });
    stop.start();
    press(11);
    stop.stop();
    EXPECT_EQ(text("ExecStatus"), "CPU Halted by User");
    EXPECT_TRUE(listLines("List3").contains("User Halted"));
    EXPECT_EQ(edit("ExecStatus")->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_TRUE(window->toolbarButton(11)->isEnabled());
    EXPECT_TRUE(host.messages.empty()) << "stopped before the instruction limit";
}

TEST_F(GuiTest, ClosingTheWindowEndsAWaitingSteppingRun)
{
    typeProgram({"LOOP: JMP LOOP"});
    host.answers = {MsgAnswer::No};  // no save before exiting
    int waits = 0;
    host.onWait = [&] {
        if (++waits == 1) window->close();
        else if (waits > 3) sim().machine.run.StepRequest = korvanta::kTrue;  // a broken build must not hang
        QCoreApplication::processEvents();
    };
    press(12);
    EXPECT_EQ(waits, 1) << "the run kept waiting for a Step after its window closed";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(sim().machine.ExecStatus.text(), "CPU Halted by User");
}

TEST_F(GuiTest, RangeChangeAnsweredYesThenNo)
{
    auto* combo = find<QComboBox>("Combo1");
    host.answers = {MsgAnswer::Yes, MsgAnswer::No};
    combo->setCurrentIndex(2);
    Q_EMIT combo->activated(2);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(cell(0, 0), "2000");
    EXPECT_EQ(cell(4095, 0), "2FFF");
    EXPECT_EQ(QStringList({text("Text1"), text("SP"), text("PC")}), (QStringList{"2000", "2BBB", "2000"}));

    combo->setCurrentIndex(3);
    Q_EMIT combo->activated(3);
    EXPECT_EQ(cell(0, 0), "2000") << "No keeps the rows";
    EXPECT_EQ(QStringList({text("Text1"), text("SP")}), (QStringList{"3000", "3BBB"}));
    EXPECT_EQ(combo->currentText(), "3");
}

// The tester walks the whole model after every change, so it watches a
// write, then the window cleared and refilled by hand with a few rows.
TEST_F(GuiTest, MemoryModelAnnouncesEveryChangeConsistently)
{
    Machine& machine = sim().machine;
    {
        MemoryModel leftBehind(machine.window);  // a destroyed model must stop listening
    }
    MemoryModel* model = window->memoryModel();
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    {
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
                if (type != QtDebugMsg) ADD_FAILURE() << msg.toStdString();
            });
        machine.memory.EnterintoMEMory(5, "3E");
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(changed.value(0).value(0).toModelIndex(), model->index(4, 1));
        EXPECT_EQ(changed.value(0).value(1).toModelIndex(), model->index(4, 1));
        machine.window.removeAllRows();
        for (const char* address : {"5000", "5001", "5002"}) machine.window.appendRow(address, "00");
        machine.window.replaceRow(2, "C3");
        qInstallMessageHandler(previous);
    }
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(cell(1, 1), "C3");
    EXPECT_EQ(cell(2, 0), "5002");
}

TEST_F(GuiTest, MemoryDialogsEditAndScroll)
{
    window->tabs()->setCurrentIndex(2);
    auto* view = find<QTableView>("ListView1");
    const QModelIndex fifth = window->memoryModel()->index(4, 0);
    view->scrollTo(fifth);
    auto doubleClick = [&] {  // the first click selects the row
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(fifth).center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(fifth).center());
    };
    doubleClick();

    EditMemoryDialog* dialog = window->editMemoryDialog();
    QLineEdit* data = dialog->dataEntry();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(windowEnabled());
    EXPECT_EQ(dialog->addressField()->text(), "0004");
    EXPECT_EQ(dialog->itsKEY()->text(), "5");
    data->selectAll();
    QTest::keyClicks(data, "g7");
    EXPECT_EQ(data->text(), "7");
    QTest::keyClick(data, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(windowEnabled());
    EXPECT_EQ(memoryData(5), "07");

    doubleClick();
    ASSERT_TRUE(dialog->isVisible());
    data->setText("AA");
    click(dialog->cancelButton());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(windowEnabled());
    EXPECT_EQ(memoryData(5), "07") << "Cancel changes nothing";

    // The scroll dialog stays open on an address out of range, or selects it.
    find<QToolBar>("Toolbar2")->actions().at(1)->trigger();  // "Scroll to a memory location"
    ShowMemDialog* scroll = window->showMemDialog();
    ASSERT_TRUE(scroll->isVisible());
    EXPECT_FALSE(windowEnabled());
    QTest::keyClicks(scroll->entry(), "1000");
    QTest::keyClick(scroll->entry(), Qt::Key_Return);
    EXPECT_TRUE(scroll->isVisible());
    ASSERT_EQ(host.messages.size(), 1u);
    scroll->entry()->clear();
    QTest::keyClicks(scroll->entry(), "0a3fz");
    EXPECT_EQ(scroll->entry()->text(), "0A3F");
    click(scroll->okButton());
    EXPECT_FALSE(scroll->isVisible());
    EXPECT_TRUE(windowEnabled());
    EXPECT_EQ(view->currentIndex().row(), 0xA3F);
    EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(view->currentIndex())));

    window->resize(1400, 900);  // the columns follow the list width
    QCoreApplication::processEvents();
    EXPECT_EQ(view->columnWidth(0), view->width() / 2);
    EXPECT_EQ(view->columnWidth(1), view->width() * 4 / 10);
}

TEST_F(GuiTest, ReferenceListShowsTheComposedHelp)
{
    QStringList keys;
    for (const std::string& k : korvanta::ReferenceKeys()) keys << QString::fromStdString(k);
    ASSERT_EQ(listLines("List1"), keys);

    window->tabs()->setCurrentIndex(1);
    auto* list = find<QListWidget>("List1");
    auto help = [&](const char* key) {
        QListWidgetItem* item = list->item(keys.indexOf(key));
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        return find<QPlainTextEdit>("Text3")->toPlainText();
    };
    EXPECT_EQ(help("NOP"), "ACTION: No Operation\n\nUSAGE: NOP");
    const QStringList push = help("PUSH").split('\n');
    ASSERT_EQ(push.size(), 5);
    EXPECT_EQ(push[4], "NOTE: Using \"PUSH PSW\" moves data from the accumulator and the flag register"
                       " into the stack");
    EXPECT_EQ(help("RRC").split('\n'), push) << "no row: the previous text stays";
}

TEST_F(GuiTest, NewAndCloseAskAboutTheUnsavedProject)
{
    typeProgram({"NOP"});
    host.answers = {MsgAnswer::Cancel, MsgAnswer::Cancel};
    press(1);
    window->close();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(listLines("List2"), QStringList{"NOP"});
    EXPECT_TRUE(window->isVisible());

    host.answers = {MsgAnswer::No};
    press(1);
    EXPECT_TRUE(listLines("List2").isEmpty());
    EXPECT_EQ(listLines("List1").size(), 53) << "the reference stays usable after New";

    typeProgram({"NOP"});
    host.answers = {MsgAnswer::No};
    window->close();
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace korvanta::app::testing
