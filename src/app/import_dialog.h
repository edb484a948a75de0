#pragma once

// "Import assembly source…": a learner's program from a file, read either as
// standard 8085 assembly (through the importer, with its report) or as the
// program's own lines, typed one by one as korvanta-cli run reads them. The
// dialog only reads and judges; the main window makes the result the project.

#include <QByteArray>
#include <QDialog>

#include <optional>

#include "engine/imported_program.h"
#include "importer/importer.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QRadioButton;
class QTableWidget;

namespace korvanta::app {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    enum class Reading { Standard, ProgramLines };

    explicit ImportDialog(QWidget* parent = nullptr);

    // The file's bytes and its name (for the title and messages). Picks the
    // reading that suits the detected kind and reads the file at once.
    void setSource(const QByteArray& bytes, const QString& fileName);

    // The file dialog's filter for sources.
    static QString fileFilter();

    importer::SourceKind detectedKind() const { return kind_; }
    Reading reading() const;
    void setReading(Reading reading);
    int radix() const;
    void setRadix(int radix);  // 10 or 16

    // The report of the last standard reading (empty for program lines).
    const std::vector<importer::ReportLine>& report() const { return report_; }
    // Whether OK may be pressed: the file is text, something is to be
    // imported and the report holds no error.
    bool acceptable() const { return program_.has_value(); }
    // What OK hands over, with the mode the user picked; nothing when the
    // file cannot be imported as it is read now.
    std::optional<ImportedProgram> importedProgram() const;

public Q_SLOTS:
    void accept() override;

private:
    void readAgain();
    void showReport();

    QByteArray bytes_;
    QString fileName_;
    importer::SourceKind kind_ = importer::SourceKind::Standard;
    std::vector<importer::ReportLine> report_;
    std::optional<ImportedProgram> program_;

    QLabel* kindLabel_;
    QRadioButton* standard_;
    QRadioButton* programLines_;
    QButtonGroup* readings_;
    QLabel* radixLabel_;
    QComboBox* radix_;
    QCheckBox* full_;
    QTableWidget* reportTable_;
    QLabel* summary_;
    QDialogButtonBox* buttons_;
};

}  // namespace korvanta::app
