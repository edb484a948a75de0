#include <QMenu>
#include <QScrollBar>

#include "app/aid_colours.h"
#include "app/hex_view.h"
#include "panel_fixture.h"

namespace korvanta::app::testing {
namespace {

class HexTest : public PanelTest {
protected:
    HexView view{sim};
    HexModel& model = *view.hexModel();
    QString cell(int row, int column) const { return model.data(model.index(row, column)).toString(); }
    void write(int memoryIndex, const char* text) { sim.machine.memory.EnterintoMEMory(memoryIndex, text); }
};

TEST_F(HexTest, ShowsSixteenBytesARowWithAddressesAndAscii)
{
    ModelCheck check(&model);
    ASSERT_EQ(model.rowCount(), 256);
    ASSERT_EQ(model.columnCount(), 17);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "0");
    EXPECT_EQ(model.headerData(10, Qt::Horizontal).toString(), "A");
    EXPECT_EQ(model.headerData(16, Qt::Horizontal).toString(), "ASCII");
    EXPECT_EQ(model.headerData(0xA3, Qt::Vertical).toString(), "0A30");
    EXPECT_EQ(model.headerData(255, Qt::Vertical).toString(), "0FF0");

    // 0A30 to 0A37: H, i, NUL, ~, DEL, blank, then two texts that are no byte.
    const char* bytes[] = {"48", "69", "00", "7E", "7F", "20", "**", "G7"};
    for (int i = 0; i < 8; ++i) write(0xA30 + 1 + i, bytes[i]);
    EXPECT_EQ(cell(0xA3, 16), "Hi.~. ??........");
    EXPECT_EQ(cell(0xA3, 6), "**");
    EXPECT_EQ(cell(0xA3, 7), "G7");
    EXPECT_EQ(cell(0xA3, 8), "00");
    EXPECT_EQ(model.memoryIndexOf(model.index(0xA3, 7)), 0xA38);
    EXPECT_EQ(model.indexOfMemory(0xA38), model.index(0xA3, 7));
    EXPECT_EQ(model.memoryIndexOf(model.index(0xA3, 16)), 0) << "the ASCII column is no byte";
    EXPECT_EQ(model.data(model.index(0xA3, 1), Qt::ToolTipRole).toString(), "0A31: 69");
}

TEST_F(HexTest, AWriteAnnouncesItsByteAndItsRowsAsciiOnly)
{
    ModelCheck check(&model);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    write(0x125 + 1, "41");  // 0125: row 12, column 5
    EXPECT_EQ(ranges(changed), (QStringList{"18,5-18,5", "18,16-18,16"}));
    EXPECT_EQ(cell(0x12, 16), ".....A..........");
}

// The window is rebuilt by appending its 4096 rows one by one: the views
// hear of it as two resets, never as row inserts.
TEST_F(HexTest, ARebuiltWindowIsOneResetNotThousandsOfInserts)
{
    ModelCheck check(&model);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    sim.machine.memory.SetupTheMemoryWindow("2");
    EXPECT_EQ(resets.count(), 2) << "emptied, then filled";
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(model.rowCount(), 256);
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), "2010");

    // A rebuild that stops short is shown once no row has come for a moment,
    // or as soon as a row is written.
    MemoryWindow& window = sim.machine.window;
    window.removeAllRows();
    for (const char* address : {"5000", "5001", "5002"}) window.appendRow(address, "31");
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 0) << "more rows may come";
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 1; }, 2000));
    EXPECT_EQ(cell(0, 16), "111");
    EXPECT_FALSE(model.data(model.index(0, 3)).isValid()) << "no fourth byte";
    EXPECT_FALSE(model.flags(model.index(0, 3)) & Qt::ItemIsEditable);

    window.removeAllRows();
    for (const char* address : {"6000", "6001"}) window.appendRow(address, "00");
    window.replaceRow(2, "7A");
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "7A");
    EXPECT_EQ(cell(0, 16), ".z");
    EXPECT_EQ(resets.count(), 6);
}

TEST_F(HexTest, EditsFollowTheEditDialogsRules)
{
    ModelCheck check(&model);
    struct Case {
        const char* typed;
        bool taken;
        const char* stored;
    };
    const Case cases[] = {
        {"7", true, "07"},  {"", true, "00"},    {" ", true, "00"},    {"c3", true, "C3"},
        {"A,", true, "A,"}, {"G7", false, "A,"}, {"123", false, "A,"}, {"é", false, "A,"},
    };
    const QModelIndex byte = model.index(0x10, 4);  // 0104, row 261
    for (const Case& c : cases) {
        sim.machine.document.DocumentSaved = kTrue;
        EXPECT_EQ(model.setData(byte, QString::fromUtf8(c.typed)), c.taken) << c.typed;
        EXPECT_EQ(sim.machine.window.data(0x105), c.stored) << c.typed;
        EXPECT_EQ(sim.machine.document.DocumentSaved, c.taken ? kFalse : kTrue) << c.typed;
    }

    // Typed into the view's editor: the key filter drops the g, Enter completes.
    view.resize(800, 600);
    view.show();
    view.setCurrentIndex(byte);
    view.edit(byte);
    auto* editor = view.findChild<QLineEdit*>("hexByteEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->maxLength(), 2);
    QTest::keyClicks(editor, "g9z");
    EXPECT_EQ(editor->text(), "9");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view commits after the editor has seen the key
    EXPECT_EQ(sim.machine.window.data(0x105), "09");
}

TEST_F(HexTest, NoEditWhileARunIsInProgress)
{
    load("MVI A,01|HLT", false);
    const QModelIndex byte = model.index(0x20, 0);
    int checked = 0;
    step([&](int) {
        EXPECT_FALSE(model.flags(byte) & Qt::ItemIsEditable);
        EXPECT_FALSE(model.setData(byte, "55"));
        ++checked;
    });
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(sim.machine.window.data(0x201), "00");
    EXPECT_TRUE(model.flags(byte) & Qt::ItemIsEditable) << "editable again once the run is over";
    EXPECT_TRUE(model.setData(byte, "55"));
    EXPECT_EQ(sim.machine.window.data(0x201), "55");
}

TEST_F(HexTest, MarksAnnounceExactlyTheCellsWhoseLookChanges)
{
    ModelCheck check(&model);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QPalette palette = QApplication::palette();
    auto background = [&](int memoryIndex) {
        return model.data(model.indexOfMemory(memoryIndex), Qt::BackgroundRole);
    };

    model.setCurrentRow(5);  // 0004
    EXPECT_EQ(ranges(changed), QStringList{"0,4-0,4"});
    changed.clear();
    model.setCurrentRow(20);  // 0013
    EXPECT_EQ(ranges(changed), (QStringList{"0,4-0,4", "1,3-1,3"}));
    EXPECT_EQ(background(20).value<QColor>(), currentBackground(palette));
    EXPECT_FALSE(background(5).isValid());

    changed.clear();
    model.setChangedRows({3, 4});
    model.setChangedRows({4, 40});  // 0027
    EXPECT_EQ(ranges(changed), (QStringList{"0,2-0,2", "0,3-0,3", "0,2-0,2", "2,7-2,7"}));
    EXPECT_EQ(background(40).value<QColor>(), changedBackground(palette));

    changed.clear();
    model.setBreakpointRows({17});
    model.setBreakpointRows({17});
    EXPECT_EQ(ranges(changed), QStringList{"1,0-1,0"});
    EXPECT_EQ(model.data(model.index(1, 0), Qt::ForegroundRole).value<QColor>(), breakpointColour(palette));
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(model.data(model.index(1, 0), Qt::ToolTipRole).toString(), "0010: 00 (breakpoint)");
}

TEST_F(HexTest, ContextMenuTogglesABreakpointAtTheBytesAddress)
{
    sim.machine.memory.SetupTheMemoryWindow("2");
    std::unique_ptr<QMenu> menu(view.createContextMenu(model.index(0xA3, 2)));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* toggle = menu->actions().at(0);
    EXPECT_EQ(toggle->text(), "Toggle breakpoint at 2A32");
    toggle->trigger();
    EXPECT_TRUE(sim.breakpoints.hasAddress(0x2A32));
    toggle->trigger();
    EXPECT_FALSE(sim.breakpoints.hasAddress(0x2A32));
    EXPECT_EQ(view.createContextMenu(model.index(0xA3, 16)), nullptr) << "nothing on the ASCII column";
}

TEST_F(HexTest, OnlyTheUsersChoiceOfACellIsAnnounced)
{
    QSignalSpy activated(&view, &HexView::memoryRowActivated);
    view.resize(view.sizeHint());
    view.show();
    view.showMemoryRow(0x105);  // 0104: row 10, column 4
    EXPECT_EQ(view.currentIndex(), model.index(0x10, 4));
    EXPECT_EQ(activated.count(), 0) << "following PC is not a choice of the user";

    // A click on 0107, then the right arrow to 0108.
    const QModelIndex byte = model.index(0x10, 7);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(byte).center());
    QTest::keyClick(&view, Qt::Key_Right);
    ASSERT_EQ(activated.count(), 2);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 0x108);
    EXPECT_EQ(activated.at(1).at(0).toInt(), 0x109);
}

// At its size hint the whole row shows, ASCII included, and sixteen rows.
TEST_F(HexTest, TheSizeHintShowsWholeRows)
{
    for (int points : {9, 18}) {  // 18 points: a font twice as large, as at 200%
        QFont font = view.font();
        font.setPointSize(points);
        view.setFont(font);
        view.resize(view.sizeHint());
        view.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0) << points;
        const QRect ascii = view.visualRect(model.index(0, HexModel::kAsciiColumn));
        EXPECT_LE(ascii.right(), view.viewport()->width()) << points;
        EXPECT_GE(view.viewport()->height(), 16 * view.rowHeight(0)) << points;
        EXPECT_GE(ascii.width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("WWWWWWWWWWWWWWWW")))
            << points;
    }
}

}  // namespace
}  // namespace korvanta::app::testing
