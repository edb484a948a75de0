#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>

#include "app/aid_colours.h"
#include "app/full_panel.h"
#include "panel_fixture.h"

namespace korvanta::app::testing {
namespace {

class FullPanelTest : public PanelTest {
protected:
    FullPanelTest()
    {
        panel.resize(640, 900);
        panel.show();
    }
    template <class T = QLineEdit>
    T* find(const char* name) const
    {
        T* w = panel.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString field(const char* name) const { return find(name)->text(); }
    bool marked(const char* name) const
    {
        return find(name)->palette().color(QPalette::Base) == changedBackground(panel.palette());
    }
    bool raiseButtonsEnabled() const
    {
        int on = 0;
        for (const char* name : {"raiseTrap", "raiseRst75", "raiseRst65", "raiseRst55", "raiseIntr"})
            on += find<QPushButton>(name)->isEnabled();
        EXPECT_TRUE(on == 0 || on == 5) << on;
        return on == 5;
    }
    QStringList outputRows() const
    {
        QStringList out;
        OutputLogModel* m = panel.outputLogModel();
        for (int r = 0; r < m->rowCount(); ++r)
            out << QStringLiteral("%1 %2=%3")
                       .arg(m->data(m->index(r, 0)).toString(), m->data(m->index(r, 1)).toString(),
                            m->data(m->index(r, 2)).toString());
        return out;
    }

    FullPanel panel{sim};
};

TEST(FullPanelTime, TStatesAsTimeAt3072MHz)
{
    const struct {
        std::uint64_t tStates;
        const char* text;
    } cases[] = {
        {0, "0.000 µs"},        {7, "2.279 µs"},       // 7 / 3.072 = 2.2786
        {3071, "999.674 µs"},                          // 3071 / 3.072 = 999.6745
        {3072, "1.000 ms"},     {3071999, "1.000 s"},  // 999.9997 ms would round to 1000.000 ms
        {30720000, "10.000 s"}, {4608000, "1.500 s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FullPanel::durationText(c.tStates), QString::fromUtf8(c.text)) << c.tStates;
}

TEST_F(FullPanelTest, ClassicModeDisablesWhatOnlyFull8085ModeUses)
{
    EXPECT_EQ(find<QLabel>("fullModeLine")->text(), "Classic mode: IN, OUT and interrupts are skipped");
    for (const char* name : {"fullInterruptGroup", "fullConsoleGroup", "fullInputGroup", "fullOutputGroup"})
        EXPECT_FALSE(find<QGroupBox>(name)->isEnabled()) << name;
    EXPECT_FALSE(find("fullTStates")->isEnabled());
    EXPECT_TRUE(find("fullExecuted")->isEnabled()) << "both modes count instructions";

    sim.machine.options.Full8085.set(1);
    EXPECT_EQ(find<QLabel>("fullModeLine")->text(), "Full 8085 mode: IN, OUT and interrupts are carried out");
    for (const char* name : {"fullInterruptGroup", "fullConsoleGroup", "fullInputGroup", "fullOutputGroup"})
        EXPECT_TRUE(find<QGroupBox>(name)->isEnabled()) << name;
    EXPECT_FALSE(raiseButtonsEnabled()) << "no run in progress";
    for (QWidget* w : panel.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;  // Qt's own parts
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
            qobject_cast<QAbstractItemView*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST_F(FullPanelTest, FollowsARunWithItsTimePortsAndOutputs)
{
    // IN 03 reads the port set in the table; T-states 7+10+7+10+10+10+5 = 59.
    load("MVI A,41|OUT 07|MVI A,42|OUT 07|IN 03|OUT 09|HLT", true);
    InputPortModel* ports = panel.inputPortModel();
    ASSERT_TRUE(ports->setData(ports->index(3, InputPortModel::ValueColumn), "5a"));
    run();
    ASSERT_EQ(sim.machine.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(field("fullTStates"), "59");
    EXPECT_EQ(field("fullTime"), QString::fromUtf8("19.206 µs"));  // 59 / 3.072 = 19.2057
    EXPECT_EQ(field("fullExecuted"), "7");
    EXPECT_EQ(outputRows(), (QStringList{"1 07=41", "2 07=42", "3 09=5A"}));

    // What the run changed: the two OUTs to 07 and the time; the interrupt
    // system is where a run starts from.
    panel.markChanges({0x07}, true, true);
    OutputLogModel* log = panel.outputLogModel();
    const QColor tint = changedBackground(QApplication::palette());
    EXPECT_EQ(log->data(log->index(0, 1), Qt::BackgroundRole).value<QColor>(), tint);
    EXPECT_EQ(log->data(log->index(1, 2), Qt::BackgroundRole).value<QColor>(), tint);
    EXPECT_FALSE(log->data(log->index(2, 1), Qt::BackgroundRole).isValid()) << "port 09 was not named";
    EXPECT_TRUE(marked("fullTStates"));
    EXPECT_TRUE(marked("fullTime"));
    for (const char* name : {"interruptsEnabled", "maskRst75", "pendingTrap", "pendingIntr"})
        EXPECT_FALSE(marked(name)) << name;
    panel.clearChanges();
    EXPECT_FALSE(marked("fullTStates"));
    EXPECT_FALSE(log->data(log->index(0, 1), Qt::BackgroundRole).isValid());

    // A second run starts its log afresh.
    load("MVI A,99|OUT 20|HLT", true);
    run();
    EXPECT_EQ(outputRows(), QStringList{"1 20=99"});
    EXPECT_EQ(field("fullTStates"), "22");
}

TEST_F(FullPanelTest, ConsoleAndTheBdosCheckBox)
{
    auto* bdos = find<QCheckBox>("bdosCheck");
    sim.machine.options.Full8085.set(1);
    bdos->click();
    EXPECT_TRUE(sim.machine.full.bdos.get());
    // C=2 prints the character in E; the jump to 0000 is the warm boot that ends the run.
    load("!!ORG 0100|MVI C,02|MVI E,4B|CALL 0005|MVI E,38|CALL 0005|JMP 0000", true);
    run();
    EXPECT_EQ(sim.machine.ExecStatus.text(), "Program Finished");
    auto* console = find<QPlainTextEdit>("consoleText");
    EXPECT_EQ(console->toPlainText(), "K8");
    EXPECT_TRUE(console->isReadOnly());
    sim.machine.full.bdos.set(false);
    EXPECT_FALSE(bdos->isChecked());
}

// EI at 0000, the loop at 0001, RST 5's handler at 0028. INTR raised while
// the run waits after the JMP is taken at once: PC goes to 5 * 8, and the
// loop's address 0001 is pushed under SP 0BBB.
TEST_F(FullPanelTest, AnInterruptRaisedFromItsButtonGoesToItsVector)
{
    load("EI|LOOP: JMP LOOP|!!ORG 0028|MVI B,55|HLT", true);
    EXPECT_FALSE(raiseButtonsEnabled());
    step([&](int wait) {
        EXPECT_TRUE(raiseButtonsEnabled()) << wait;
        if (wait == 1) {
            EXPECT_EQ(field("interruptsEnabled"), "on");
            panel.markChanges({}, true, true);
            EXPECT_TRUE(marked("interruptsEnabled")) << "off at the start of the run";
            EXPECT_FALSE(marked("maskRst75"));
        }
        if (wait == 2) {
            ASSERT_EQ(sim.machine.cpu.PC.text(), "0001");
            find<QSpinBox>("intrVector")->setValue(5);
            QTest::mouseClick(find<QPushButton>("raiseIntr"), Qt::LeftButton);
            EXPECT_EQ(sim.machine.cpu.PC.text(), "0028");
            EXPECT_EQ(sim.machine.cpu.SP.text(), "0BB9");
            EXPECT_EQ(field("pendingIntr"), "no") << "taken";
            EXPECT_EQ(field("interruptsEnabled"), "off") << "taking it disables interrupts";
        }
    });
    EXPECT_EQ(sim.machine.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(sim.machine.cpu.RegisterB.text(), "55");
    EXPECT_EQ(data("0BB9") + data("0BBA"), "0100");
    EXPECT_EQ(field("fullTStates"), "38");  // EI 4, JMP 10, the interrupt 12, MVI 7, HLT 5
    EXPECT_EQ(field("fullExecuted"), "4");
    EXPECT_FALSE(raiseButtonsEnabled()) << "the run is over";
}

TEST_F(FullPanelTest, PendingInterruptsShowUntilTaken)
{
    // Interrupts stay disabled: a TRAP is taken all the same, RST 6.5 waits.
    load("LOOP: JMP LOOP|!!ORG 0024|HLT", true);
    step([&](int wait) {
        if (wait != 1) return;
        QTest::mouseClick(find<QPushButton>("raiseRst65"), Qt::LeftButton);
        EXPECT_EQ(field("pendingRst65"), "yes");
        EXPECT_EQ(field("maskRst65"), "yes") << "masked from reset";
        QTest::mouseClick(find<QPushButton>("raiseTrap"), Qt::LeftButton);
        EXPECT_EQ(sim.machine.cpu.PC.text(), "0024");
        EXPECT_EQ(field("pendingTrap"), "no");
    });
    EXPECT_EQ(sim.machine.ExecStatus.text(), "Program Finished");
}

TEST_F(FullPanelTest, InputPortsAreTypedLikeARegisterAndSetOnesAreEasyToFind)
{
    InputPortModel* ports = panel.inputPortModel();
    ModelCheck check(ports);
    QSignalSpy changed(ports, &QAbstractItemModel::dataChanged);
    const struct {
        const char* typed;
        bool taken;
        int value;
    } cases[] = {{"5a", true, 0x5A}, {"7", true, 0x07},   {"", true, 0x00},    {"FF", true, 0xFF},
                 {"g", false, 0xFF}, {"1,", false, 0xFF}, {"123", false, 0xFF}};
    const QModelIndex value = ports->index(0x20, InputPortModel::ValueColumn);
    for (const auto& c : cases) {
        EXPECT_EQ(ports->setData(value, QString::fromLatin1(c.typed)), c.taken) << c.typed;
        EXPECT_EQ(sim.machine.full.inputPorts()[0x20], c.value) << c.typed;
    }
    EXPECT_EQ(ranges(changed), (QStringList{"32,0-32,1", "32,0-32,1", "32,0-32,1", "32,0-32,1"}));
    EXPECT_EQ(ports->data(ports->index(0x20, 0)).toString(), "20");
    EXPECT_EQ(ports->data(value).toString(), "FF");
    EXPECT_TRUE(ports->data(value, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(ports->data(ports->index(0x21, 1), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(ports->flags(ports->index(0x20, 0)) & Qt::ItemIsEditable);

    // Typed into the table's editor, with the register fields' key filter.
    sim.machine.options.Full8085.set(1);
    auto* table = find<QTableView>("inputPorts");
    const QModelIndex shown = table->model()->index(3, 1);
    table->setCurrentIndex(shown);
    table->edit(shown);
    auto* editor = table->findChild<QLineEdit*>("portValueEditor");
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "g7");
    EXPECT_EQ(editor->text(), "7");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view commits after the editor has seen the key
    EXPECT_EQ(sim.machine.full.inputPorts()[3], 0x07);

    // Only the ports that are set, in port order; a port set to 00 leaves the list.
    find<QCheckBox>("onlySetPorts")->setChecked(true);
    QAbstractItemModel* filtered = table->model();
    ASSERT_EQ(filtered->rowCount(), 2);
    EXPECT_EQ(filtered->index(0, 0).data().toString(), "03");
    EXPECT_EQ(filtered->index(1, 0).data().toString(), "20");
    sim.machine.full.setInputPort(3, 0);
    EXPECT_EQ(filtered->rowCount(), 1);
    QTest::mouseClick(find<QPushButton>("clearInputPorts"), Qt::LeftButton);
    EXPECT_EQ(filtered->rowCount(), 0);
    find<QCheckBox>("onlySetPorts")->setChecked(false);
    EXPECT_EQ(filtered->rowCount(), 256);
}

TEST_F(FullPanelTest, OutputLogAnnouncesOnlyWhatChanged)
{
    OutputLogModel* log = panel.outputLogModel();
    ModelCheck check(log);
    QSignalSpy inserted(log, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(log, &QAbstractItemModel::dataChanged);
    QSignalSpy resets(log, &QAbstractItemModel::modelReset);
    FullState& full = sim.machine.full;
    using W = cpu::PortWrite;
    full.setOutputs({W{1, 0x10}, W{2, 0x20}});
    full.setOutputs({W{1, 0x10}, W{2, 0x20}, W{3, 0x30}});
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.at(1).at(1).toInt(), 2);
    EXPECT_EQ(inserted.at(1).at(2).toInt(), 2);
    EXPECT_EQ(changed.count(), 0);
    full.setOutputs({W{1, 0x10}, W{2, 0x21}, W{3, 0x30}, W{4, 0x40}});
    EXPECT_EQ(ranges(changed), QStringList{"1,0-1,2"});
    EXPECT_EQ(inserted.count(), 3);
    full.setOutputs({W{9, 0x90}});
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(outputRows(), QStringList{"1 09=90"});
}

}  // namespace
}  // namespace korvanta::app::testing
