#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "app/aid_colours.h"
#include "app/listing_view.h"
#include "panel_fixture.h"

namespace korvanta::app::testing {
namespace {

// 0000 MVI A,05; 0002 DCR A; 0003 JNZ 0002; a comment; 0006 STA 0100; 0009 HLT.
const char* kProgram = "MVI A,05|LOOP: DCR A|JNZ LOOP|!!A COMMENT|STA 0100|HLT";

class ListingTest : public PanelTest {
protected:
    ListingView view{sim};
    ListingModel& model = *view.listingModel();

    // Line number, address, bytes, T-states and text of every row.
    QStringList rows() const
    {
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < ListingModel::ColumnCount; ++c)
                cells << model.data(model.index(r, c)).toString();
            out << cells.join('|');
        }
        return out;
    }
};

TEST_F(ListingTest, MatchesTheAssembledMemoryInBothModes)
{
    ModelCheck check(&model);
    load(kProgram, false);
    compileOnly();
    EXPECT_EQ(rows(),
              (QStringList{"1|0000|3E 05||MVI A,05", "2|0002|3D||LOOP: DCR A", "3|0003|C2 02 00||JNZ LOOP",
                           "4||||!!A COMMENT", "5|0006|32 00 01||STA 0100", "6|0009|76||HLT"}));
    EXPECT_TRUE(view.table()->isColumnHidden(ListingModel::TStatesColumn));
    EXPECT_EQ(model.headerData(ListingModel::TextColumn, Qt::Horizontal).toString(), "Line");

    // The T-states of the real chip: MVI 7, DCR 4, JNZ 7 not taken and 10 taken, STA 13, HLT 5.
    load(kProgram, true);
    compileOnly();
    EXPECT_EQ(rows(), (QStringList{"1|0000|3E 05|7|MVI A,05", "2|0002|3D|4|LOOP: DCR A",
                                   "3|0003|C2 02 00|7/10|JNZ LOOP", "4||||!!A COMMENT",
                                   "5|0006|32 00 01|13|STA 0100", "6|0009|76|5|HLT"}));
    EXPECT_FALSE(view.table()->isColumnHidden(ListingModel::TStatesColumn));
}

TEST_F(ListingTest, RefreshesAfterEveryAssemblyAndCodeListChange)
{
    ModelCheck check(&model);
    load("MVI B,01", false);  // the assembly adds the HLT
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    compileOnly();
    EXPECT_GE(resets.count(), 1);
    EXPECT_EQ(rows(), (QStringList{"1|0000|06 01||MVI B,01", "2|0002|76||HLT"}));

    // A line typed after the assembly has no address until the next one;
    // the code list's changes are gathered into one refresh.
    resets.clear();
    sim.source.AppendLine("NOP");
    sim.source.AppendLine("NOP");
    EXPECT_EQ(model.rowCount(), 2) << "not yet";
    QCoreApplication::processEvents();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(rows().mid(2), (QStringList{"3||||NOP", "4||||NOP"}));

    // Run without compiling leaves the listing of the last assembly: a run start refreshes too.
    sim.source.Clear();
    sim.source.AppendLine("MVI B,01");
    sim.source.AppendLine("HLT");
    sim.machine.options.Check2_Click(1);
    run();
    sim.machine.options.Check2_Click(0);
    EXPECT_EQ(rows(), (QStringList{"1|0000|06 01||MVI B,01", "2|0002|76||HLT"}));
}

TEST_F(ListingTest, FollowsMemoryWritesGatheredIntoOneAnnouncementPerRunOfLines)
{
    ModelCheck check(&model);
    load(kProgram, true);
    compileOnly();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    MemoryOps& memory = sim.machine.memory;

    // A thousand writes to one operand before the event loop runs: one announcement.
    for (int i = 0; i < 1000; ++i) memory.EnterintoMEMory(2, i % 2 ? "06" : "07");
    EXPECT_EQ(changed.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(ranges(changed), QStringList{"0,2-0,3"});
    EXPECT_EQ(model.data(model.index(0, ListingModel::BytesColumn)).toString(), "3E 06");

    // DCR A becomes INR A (still 4), JNZ becomes JMP (10), HLT becomes NOP (4):
    // lines 1 and 2 are neighbours, line 5 stands alone.
    changed.clear();
    memory.EnterintoMEMory(3, "3C");
    memory.EnterintoMEMory(4, "C3");
    memory.EnterintoMEMory(10, "00");
    memory.EnterintoMEMory(0x101, "FF");  // no listing line holds 0100
    model.flushByteChanges();
    EXPECT_EQ(ranges(changed), (QStringList{"1,2-2,3", "5,2-5,3"}));
    EXPECT_EQ(rows().at(2), "3|0003|C3 02 00|10|JNZ LOOP");
    EXPECT_EQ(rows().at(5), "6|0009|00|4|HLT");
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(ListingTest, CurrentLineAndClicks)
{
    ModelCheck check(&model);
    load(kProgram, false);
    compileOnly();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    view.setCurrentLine(2);
    view.setCurrentLine(4);
    view.setCurrentLine(99);  // no such line: no mark
    EXPECT_EQ(ranges(changed), (QStringList{"2,0-2,4", "2,0-2,4", "4,0-4,4", "4,0-4,4"}));
    view.setCurrentLine(4);
    EXPECT_EQ(model.data(model.index(4, 1), Qt::BackgroundRole).value<QColor>(),
              currentBackground(QApplication::palette()));

    view.resize(700, 400);
    view.show();
    QSignalSpy activated(&view, &ListingView::lineActivated);
    QTableView* table = view.table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(model.index(4, 4)).center());
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 4);
}

TEST_F(ListingTest, ExportsTheListingAsText)
{
    load(kProgram, false);
    compileOnly();
    QTemporaryDir dir;
    const QString path = dir.filePath("listing.txt");
    {
        QFile old(path);  // an older file is replaced whole
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    QString error;
    ASSERT_TRUE(view.exportListing(path, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Address in 6 columns, bytes in 10, then the line.
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              "0000  3E 05     MVI A,05\n"
              "0002  3D        LOOP: DCR A\n"
              "0003  C2 02 00  JNZ LOOP\n"
              "                !!A COMMENT\n"
              "0006  32 00 01  STA 0100\n"
              "0009  76        HLT\n");
    EXPECT_FALSE(view.exportListing(dir.filePath("missing/listing.txt"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(view.exportAction()->text(), "Export listing…");
}

QString pdfText(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral(KORVANTA_PDFTOTEXT), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(ListingTest, PrintsThroughThePrintDialogToAPdfFile)
{
    load(kProgram, true);
    compileOnly();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("listing.pdf");
    // The dialog is the real one: its "Print to File" writes the PDF (the printer and file
    // chosen as a user would choose them in it).
    bool sawDialog = false;
    QTimer::singleShot(0, &view, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        sawDialog = true;
        auto* printers = dialog->findChild<QComboBox*>("printers");
        ASSERT_NE(printers, nullptr);
        printers->setCurrentIndex(printers->findText("Print to File (PDF)"));
        auto* file = dialog->findChild<QLineEdit*>("filename");
        ASSERT_NE(file, nullptr);
        file->setText(pdf);
        dialog->accept();
    });
    // A failed print reports itself in a message box: close it rather than hang.
    QTimer closeMessages;
    QObject::connect(&closeMessages, &QTimer::timeout, &view, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << box->text().toStdString();
            box->reject();
        }
    });
    closeMessages.start(50);
    view.printAction()->trigger();
    ASSERT_TRUE(sawDialog);
    const QString printed = pdfText(pdf);
    for (const char* expected : {"Program listing", "0003", "C2 02 00", "7/10", "JNZ LOOP", "!!A COMMENT"})
        EXPECT_TRUE(printed.contains(QLatin1String(expected))) << expected << "\n" << printed.toStdString();
}

}  // namespace
}  // namespace korvanta::app::testing
