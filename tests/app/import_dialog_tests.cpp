#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "app/import_dialog.h"

namespace korvanta::app::testing {
namespace {

using Lines = std::vector<std::string>;

class ImportDialogTest : public ::testing::Test {
protected:
    template <class T = QWidget>
    T* find(const char* name) const
    {
        T* w = dialog.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool okEnabled() const { return find<QPushButton>("importOk")->isEnabled(); }
    Lines resultLines() const
    {
        return dialog.importedProgram() ? dialog.importedProgram()->lines : Lines{"(none)"};
    }

    ImportDialog dialog;
};

TEST_F(ImportDialogTest, StandardSourceWithItsRadixAndMode)
{
    dialog.setSource("        mvi a, 10\n        hlt\n", "add.asm");
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Import assembly source – add.asm"));
    EXPECT_EQ(find<QLabel>("importKind")->text(), "Standard 8085 assembly");
    EXPECT_TRUE(find<QRadioButton>("importAsStandard")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("importFull")->isChecked()) << "standard sources run on the real chip";
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(resultLines(), (Lines{"!!ORG 0000", "MVI A,0A", "HLT"}));
    EXPECT_TRUE(dialog.importedProgram()->full);

    // Trainer-kit listings write hex without a suffix.
    find<QComboBox>("importRadix")->setCurrentIndex(1);
    EXPECT_EQ(dialog.radix(), 16);
    EXPECT_EQ(resultLines(), (Lines{"!!ORG 0000", "MVI A,10", "HLT"}));

    find<QCheckBox>("importFull")->setChecked(false);
    ASSERT_TRUE(dialog.importedProgram());
    EXPECT_FALSE(dialog.importedProgram()->full) << "the user's choice of mode goes with the result";

    dialog.setSource("        org 2100h\n        nop\n", "high.a85");
    ASSERT_TRUE(dialog.importedProgram());
    EXPECT_EQ(dialog.importedProgram()->startAddress, "2100");
    EXPECT_EQ(dialog.importedProgram()->windowDigit, "2");
    EXPECT_EQ(find<QLabel>("importSummary")->text(),
              "2 program lines, assembled from 2100 in the memory window 2000-2FFF.");
}

TEST_F(ImportDialogTest, ErrorsAreReportedAndKeepOkUnavailable)
{
    dialog.setSource("  nop\n  mvi a,256\n  hlt\n", "bad.asm");
    auto* table = find<QTableWidget>("importReport");
    EXPECT_FALSE(table->isHidden());
    ASSERT_GE(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), "2");
    EXPECT_EQ(table->item(0, 1)->text(), "error");
    EXPECT_TRUE(table->item(0, 2)->text().contains("does not fit a byte"))
        << table->item(0, 2)->text().toStdString();
    EXPECT_EQ(table->item(0, 3)->text(), "  mvi a,256");
    EXPECT_EQ(table->rowCount(), int(dialog.report().size()));
    EXPECT_FALSE(okEnabled());
    EXPECT_FALSE(dialog.importedProgram());
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted) << "OK is refused";

    // The report follows the reading: as program lines there is none.
    find<QRadioButton>("importAsProgramLines")->click();
    EXPECT_TRUE(table->isHidden());
    EXPECT_TRUE(dialog.report().empty());
    EXPECT_FALSE(find<QComboBox>("importRadix")->isEnabled()) << "program lines are all hex";
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(resultLines(), (Lines{"NOP", "MVI A,256", "HLT"}));
    find<QRadioButton>("importAsStandard")->click();
    EXPECT_FALSE(table->isHidden());
    EXPECT_FALSE(okEnabled());
}

TEST_F(ImportDialogTest, ProgramLinesAreTypedAsTheEntryFieldWould)
{
    dialog.setSource("MVI A,05\nLOOP: DCR A\nJNZ LOOP\nHLT\n", "count.txt");
    EXPECT_EQ(find<QLabel>("importKind")->text(), "Korvanta program lines");
    EXPECT_TRUE(find<QRadioButton>("importAsProgramLines")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("importFull")->isChecked()) << "typed lines run on the classic machine";
    EXPECT_TRUE(find<QTableWidget>("importReport")->isHidden());
    ASSERT_TRUE(dialog.importedProgram());
    EXPECT_EQ(dialog.importedProgram()->lines, (Lines{"MVI A,05", "LOOP: DCR A", "JNZ LOOP", "HLT"}));
    EXPECT_EQ(dialog.importedProgram()->startAddress, "0000");
    EXPECT_FALSE(dialog.importedProgram()->full);

    // Read so by choice: upper-cased, tabs made blanks, trimmed, empty lines dropped, CR LF taken.
    dialog.setSource("\tmvi b,7f  \r\n\r\n  hlt\r\n", "typed.s");
    EXPECT_EQ(dialog.reading(), ImportDialog::Reading::Standard);
    dialog.setReading(ImportDialog::Reading::ProgramLines);
    EXPECT_EQ(resultLines(), (Lines{"MVI B,7F", "HLT"}));

    dialog.setSource("\n\n", "empty.txt");
    dialog.setReading(ImportDialog::Reading::ProgramLines);
    EXPECT_FALSE(okEnabled()) << "nothing to import";
}

TEST_F(ImportDialogTest, AFileThatIsNotTextIsRefused)
{
    dialog.setSource(QByteArray("\x7F"
                                "ELF\x02\x01\x00\x00",
                                8),
                     "a.out");
    EXPECT_EQ(dialog.detectedKind(), importer::SourceKind::NotText);
    EXPECT_EQ(find<QLabel>("importKind")->text(), "Not a text file");
    EXPECT_TRUE(find<QLabel>("importSummary")->text().contains("not a text file"));
    EXPECT_FALSE(okEnabled());
    EXPECT_FALSE(find<QRadioButton>("importAsStandard")->isEnabled());
    EXPECT_FALSE(find<QRadioButton>("importAsProgramLines")->isEnabled());
    EXPECT_FALSE(dialog.importedProgram());

    // A text file after it makes the choices available again.
    dialog.setSource("  nop\n", "ok.asm");
    EXPECT_TRUE(find<QRadioButton>("importAsProgramLines")->isEnabled());
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(ImportDialog::fileFilter().section(";;", 0, 0), "Assembly sources (*.asm *.a85 *.s *.txt)");
}

}  // namespace
}  // namespace korvanta::app::testing
