// Programs coming into the window and going out: the import command with its dialog, a file dropped on
// the window, the samples, the export as standard assembly; and the Full 8085 option beside the others.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

#include "app/import_dialog.h"
#include "app/program_transfer.h"
#include "gui_fixture.h"

namespace korvanta::app::testing {
namespace {

class TransferTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        transfer()->setDialogRunner([this](ImportDialog& dialog) {
            ++dialogs;
            return dialog.acceptable();
        });
    }
    ProgramTransfer* transfer() { return window->programTransfer(); }
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString modeText() { return find<QLabel>("ModeLabel")->text(); }
    QTemporaryDir dir;
    int dialogs = 0;
};

const QByteArray kTextbook = "; add two numbers\n        org 0100h\nstart:  mvi a,12h\n        adi 34h\n"
                             "        sta 0120h\n        hlt\n";

TEST_F(TransferTest, ImportReplacesTheProjectAfterTheQuestion)
{
    typeProgram({"NOP"});
    host.answers.push_back(MsgAnswer::Cancel);  // the first import is called off at the question
    transfer()->importFile(file("add.asm", kTextbook));
    EXPECT_EQ(listLines("List2"), QStringList{"NOP"});
    host.answers.push_back(MsgAnswer::No);
    transfer()->importFile(dir.filePath("add.asm"));
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(host.messages.back().text, "Would you like to save the current project?");
    const QStringList lines = listLines("List2");
    // The label became a tag in front of its line.
    EXPECT_EQ(lines.filter(QRegularExpression("^(.{4}: )?MVI A,12$")).size(), 1) << lines.join('|').toStdString();
    EXPECT_EQ(sim().machine.options.Full8085.get(), 1);
    EXPECT_TRUE(find<QCheckBox>("CheckFull8085")->isChecked());
    EXPECT_TRUE(modeText().startsWith("Full 8085")) << modeText().toStdString();
    EXPECT_EQ(text("Text1"), "0100");
    press(11);
    EXPECT_EQ(text("RegisterA"), "46");  // 12 + 34
    EXPECT_EQ(memoryData(0x120 + 1), "46");
    EXPECT_EQ(sim().machine.document.DocumentSaved, kFalse);
}

TEST_F(TransferTest, ADroppedProjectOpensAndAnythingElseImports)
{
    typeProgram({"MVI A,07"});
    ASSERT_TRUE(sim().documents.SaveProjectTo(dir.filePath("seven.QSM").toStdString(), false));
    typeProgram({"MVI B,01"});
    host.answers.push_back(MsgAnswer::No);
    transfer()->dropFile(dir.filePath("seven.QSM"));
    EXPECT_EQ(listLines("List2"), (QStringList{"MVI A,07"}));
    EXPECT_EQ(dialogs, 0);
    host.answers.push_back(MsgAnswer::No);
    transfer()->dropFile(file("add.asm", kTextbook));
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(listLines("List2").contains("ADI 34"));
    // Binary data is not a program: the dialog refuses it and nothing changes.
    const QStringList before = listLines("List2");
    transfer()->dropFile(file("noise.bin", QByteArray("\x00\x01\x02\xff", 4)));
    EXPECT_EQ(listLines("List2"), before);
}

TEST_F(TransferTest, ExportGoesToStandardAssemblyThatImportsBack)
{
    host.answers.push_back(MsgAnswer::No);
    transfer()->importFile(file("add.asm", kTextbook));
    press(11);
    const QString memoryBefore = memoryData(0x100 + 1) + memoryData(0x102 + 1) + memoryData(0x104 + 1);
    const QString path = dir.filePath("out.asm");
    EXPECT_EQ(transfer()->exportTo(path), QString());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QString exported = QString::fromUtf8(out.readAll());
    EXPECT_TRUE(exported.contains(QRegularExpression("\\bORG\\s+0100H\\b"))) << exported.toStdString();
    host.answers.push_back(MsgAnswer::No);
    transfer()->importFile(path);
    press(11);
    EXPECT_EQ(memoryData(0x100 + 1) + memoryData(0x102 + 1) + memoryData(0x104 + 1), memoryBefore);
    EXPECT_EQ(memoryBefore, "3EC632");  // MVI, ADI, STA
}

TEST_F(TransferTest, SamplesOpenFromTheFileMenu)
{
    QMenu* examples = window->findChild<QMenu*>(QStringLiteral("menuExamples"));
    ASSERT_NE(examples, nullptr);
    Q_EMIT examples->aboutToShow();
    QStringList names;
    for (QAction* a : examples->actions()) names << a->text();
    EXPECT_TRUE(names.contains("multiply.asm")) << names.join(',').toStdString();
    // A sample of the program's own lines opens in the classic mode, as typed.
    host.answers.push_back(MsgAnswer::No);
    transfer()->openExample(QDir(ProgramTransfer::examplesFolder()).filePath("multiply.asm"));
    EXPECT_EQ(sim().machine.options.Full8085.get(), 0);
    press(11);
    EXPECT_EQ(text("RegisterA"), "2A");  // 7 x 6, as the sample says
}

TEST_F(TransferTest, FullModeAndBudgetOptions)
{
    EXPECT_TRUE(modeText().startsWith("Classic mode"));
    find<QCheckBox>("CheckFull8085")->click();
    EXPECT_EQ(sim().machine.options.Full8085.get(), 1);
    EXPECT_TRUE(modeText().startsWith("Full 8085"));
    auto* budget = find<QSpinBox>("MaxInstructions");
    EXPECT_EQ(budget->value(), 4096);
    budget->setValue(50);
    EXPECT_EQ(sim().machine.options.MaxInstructions.get(), 50);
    typeProgram({"LOOP: JMP LOOP"});
    press(11);
    EXPECT_EQ(text("ExecStatus"), "Instruction Limit Reached");
    EXPECT_EQ(sim().machine.run.executed.get(), 51u);
    // New puts the project's settings back.
    host.answers.push_back(MsgAnswer::No);
    press(1);
    EXPECT_FALSE(find<QCheckBox>("CheckFull8085")->isChecked());
    EXPECT_EQ(budget->value(), 4096);
}

}  // namespace
}  // namespace korvanta::app::testing
