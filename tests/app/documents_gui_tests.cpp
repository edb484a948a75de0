#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/dialogs.h"
#include "app/qt_host.h"
#include "gui_fixture.h"

namespace korvanta::app::testing {
namespace {

using korvanta::MsgAnswer;

TEST_F(GuiTest, SaveAndOpenRoundTripThroughTheDialogs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("adder");  // the extension is added by the save
    typeProgram({"MVI A,05", "ADI 03", "HLT"});
    window->toolbarButton(11)->trigger();
    ASSERT_EQ(text("RegisterA"), "08");

    window->toolbarButton(3)->trigger();
    SaveProgramDialog* dialog = window->saveProgramDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->centralWidget()->isEnabled());
    EXPECT_FALSE(dialog->option(1)->isEnabled()) << "an unnamed project has no current location";
    EXPECT_TRUE(dialog->option(2)->isChecked());
    EXPECT_EQ(dialog->heading()->text(), "Save Program");

    // Choosing an export and then a save leaves only the save chosen, across both frames.
    QTest::mouseClick(dialog->option(4), Qt::LeftButton);
    EXPECT_TRUE(dialog->option(4)->isChecked());
    EXPECT_FALSE(dialog->option(2)->isChecked());
    QTest::mouseClick(dialog->option(2), Qt::LeftButton);
    EXPECT_TRUE(dialog->option(2)->isChecked());
    EXPECT_FALSE(dialog->option(4)->isChecked());
    QTest::mouseClick(dialog->memoryCheck(), Qt::LeftButton);
    EXPECT_EQ(sim().documents.saveDialog.Check1.get(), 1);

    host.fileNames = {path.toStdString()};
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].title, "Ombrix Korvanta");
    EXPECT_EQ(host.fileDialogs[0].filter, "*.QSM");
    EXPECT_EQ(host.fileDialogs[0].defaultExtension, "QSM");
    EXPECT_EQ(host.fileDialogs[0].initialName, "Untitled1.QSM");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(window->centralWidget()->isEnabled());
    ASSERT_TRUE(QFile::exists(path + ".QSM"));
    EXPECT_EQ(QFile(path + ".QSM").size(), 50 * (16 + 3 + 1 + 1 + 4096 + 1));

    host.answers = {MsgAnswer::No};
    window->toolbarButton(1)->trigger();
    ASSERT_TRUE(listLines("List2").isEmpty());
    ASSERT_EQ(memoryData(1), "00");

    host.fileNames = {(path + ".QSM").toStdString()};
    window->toolbarButton(2)->trigger();
    EXPECT_EQ(host.fileDialogs.back().initialName, "*.QSM");
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI A,05", "ADI 03", "HLT"}));
    EXPECT_EQ(text("RegisterA"), "08");
    EXPECT_EQ(memoryData(1), "3E");
    EXPECT_EQ(memoryData(3), "C6");
    EXPECT_FALSE(find<QTableView>("ListView1")->isHidden()) << "shown again after the rows are loaded";
}

TEST_F(GuiTest, ExportProgramOnlyFromTheSaveDialog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("listing.txt");
    typeProgram({"NOP", "HLT"});
    window->toolbarButton(3)->trigger();
    SaveProgramDialog* dialog = window->saveProgramDialog();
    QTest::mouseClick(dialog->option(4), Qt::LeftButton);
    host.fileNames = {path.toStdString()};
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines[0], "Ombrix Korvanta\r");
    EXPECT_EQ(lines[4], "NOP\r");
    EXPECT_TRUE(lines[7].startsWith("End Program - Created on "));
}

TEST_F(GuiTest, SaveDialogCancelReenablesTheWindow)
{
    window->toolbarButton(3)->trigger();
    SaveProgramDialog* dialog = window->saveProgramDialog();
    ASSERT_TRUE(dialog->isVisible());
    dialog->close();  // the close box counts as Cancel
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(window->centralWidget()->isEnabled());
    EXPECT_TRUE(host.fileDialogs.empty());
}

// A host whose print dialog hands out a Qt printer writing a PDF file.
class PdfHost : public GuiTestHost {
public:
    explicit PdfHost(const QString& file)
    {
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(file);
    }
    korvanta::Printer* printDialog() override
    {
        ++printDialogs;
        qtPrinter = std::make_unique<QtPrinter>(pdf);
        return qtPrinter.get();
    }
    QPrinter pdf{QPrinter::HighResolution};
    std::unique_ptr<QtPrinter> qtPrinter;
};

QString pdfText(const QString& file)
{
#ifdef KORVANTA_PDFTOTEXT
    QProcess process;
    process.start(QStringLiteral(KORVANTA_PDFTOTEXT), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!process.waitForFinished(20000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
#else
    (void)file;
    ADD_FAILURE() << "pdftotext was not found when the tests were built";
    return {};
#endif
}

TEST(QtPrinterTest, PrintsTheProjectToAPdfFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("printout.pdf");
    PdfHost host(file);
    SimulatorWindow window(host);
    window.Form_Load();
    Simulator& sim = window.simulator();
    for (const char* line : {"MVI A,2A", "HLT"}) {
        sim.source.EnterCode.setText(line);
        sim.source.Command1_Click();
    }
    sim.runControl.StartExecution();
    host.answers = {MsgAnswer::No};
    window.Toolbar1_ButtonClick(9);

    ASSERT_EQ(host.printDialogs, 1);
    EXPECT_EQ(window.windowTitle(), "Ombrix Korvanta");
    EXPECT_EQ(host.messages.back().title, "Ombrix Korvanta - Print");
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains("Ombrix Korvanta")) << text.toStdString();
    EXPECT_TRUE(text.contains("MVI A,2A"));
    EXPECT_TRUE(text.contains("CPU State:"));
    EXPECT_TRUE(text.contains("Register A: 2A"));
    EXPECT_TRUE(text.contains("Program Counter (PC): 0003"));
    EXPECT_TRUE(text.contains("Executing Program: ")) << "the system log is printed with its line breaks";
    EXPECT_EQ(text.count('\f'), 2) << "title page and CPU page";
}

}  // namespace
}  // namespace korvanta::app::testing
