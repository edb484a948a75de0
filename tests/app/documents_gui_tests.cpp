#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "gui_fixture.h"

namespace korvanta::app::testing {
namespace {

TEST_F(GuiTest, SaveOpenAndExportThroughTheDialogs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("adder");  // the extension is added by the save
    typeProgram({"MVI A,05", "ADI 03", "HLT"});
    press(11);
    ASSERT_EQ(text("RegisterA"), "08");

    press(3);
    SaveProgramDialog* dialog = window->saveProgramDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(windowEnabled());
    dialog->close();  // the close box counts as Cancel
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(windowEnabled());
    EXPECT_TRUE(host.fileDialogs.empty());

    press(3);
    EXPECT_FALSE(dialog->option(1)->isEnabled()) << "an unnamed project has no current location";
    EXPECT_TRUE(dialog->option(2)->isChecked());
    // Choosing an export and then a save leaves only the save chosen, across both frames.
    for (int chosen : {4, 2}) {
        click(dialog->option(chosen));
        EXPECT_TRUE(dialog->option(chosen)->isChecked()) << chosen;
        EXPECT_FALSE(dialog->option(6 - chosen)->isChecked()) << chosen;
    }
    click(dialog->memoryCheck());
    EXPECT_EQ(sim().documents.saveDialog.Check1.get(), 1);
    host.fileNames = {path.toStdString()};
    click(dialog->okButton());
    EXPECT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(windowEnabled());
    EXPECT_EQ(QFile(path + ".QSM").size(), 50 * (16 + 3 + 1 + 1 + 4096 + 1)) << "saved with the memory";

    host.answers = {MsgAnswer::No};
    press(1);
    ASSERT_TRUE(listLines("List2").isEmpty());
    ASSERT_EQ(memoryData(1), "00");
    host.fileNames = {(path + ".QSM").toStdString()};
    press(2);
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI A,05", "ADI 03", "HLT"}));
    EXPECT_EQ(text("RegisterA"), "08");
    EXPECT_EQ(memoryData(1), "3E");
    EXPECT_EQ(memoryData(3), "C6");
    EXPECT_FALSE(find<QTableView>("ListView1")->isHidden()) << "shown again after the rows are loaded";

    press(3);
    click(dialog->option(4));
    host.fileNames = {dir.filePath("listing.txt").toStdString()};
    click(dialog->okButton());
    QFile listing(dir.filePath("listing.txt"));
    ASSERT_TRUE(listing.open(QIODevice::ReadOnly));
    EXPECT_TRUE(listing.readAll().contains("\r\nMVI A,05\r\nADI 03\r\nHLT\r\n")) << "the program lines";
}

// Without pdftotext at build time the program is "PDFTOTEXT-NOTFOUND", and the test fails.
QString pdfText(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral(KORVANTA_PDFTOTEXT), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(GuiTest, PrintsTheProjectToAPdfFile)
{
    QTemporaryDir dir;
    host.pdfFile = dir.filePath("printout.pdf");
    typeProgram({"MVI A,2A", "HLT"});
    press(11);
    host.answers = {MsgAnswer::No};
    press(9);
    ASSERT_EQ(host.printDialogs, 1);
    EXPECT_EQ(window->windowTitle(), "Ombrix Korvanta") << "the title is restored after printing";
    const QString printed = pdfText(host.pdfFile);
    // The system log is printed with its line breaks.
    for (const char* expected : {"Ombrix Korvanta", "MVI A,2A", "CPU State:", "Register A: 2A",
                                 "Program Counter (PC): 0003", "Executing Program: "})
        EXPECT_TRUE(printed.contains(QLatin1String(expected))) << expected << "\n" << printed.toStdString();
    EXPECT_EQ(printed.count('\f'), 2) << "title page and CPU page";
}

}  // namespace
}  // namespace korvanta::app::testing
