#include "app/import_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/program_loader.h"

namespace korvanta::app {

namespace {

QString kindText(importer::SourceKind kind)
{
    switch (kind) {
        case importer::SourceKind::Standard:
            return QStringLiteral("Standard 8085 assembly");
        case importer::SourceKind::OwnLines:
            return QStringLiteral("Korvanta program lines");
        case importer::SourceKind::NotText:
            return QStringLiteral("Not a text file");
    }
    return {};
}

QStyle::StandardPixmap levelIcon(importer::Level level)
{
    switch (level) {
        case importer::Level::Error:
            return QStyle::SP_MessageBoxCritical;
        case importer::Level::Warning:
            return QStyle::SP_MessageBoxWarning;
        case importer::Level::Note:
            return QStyle::SP_MessageBoxInformation;
    }
    return QStyle::SP_MessageBoxInformation;
}

}  // namespace

ImportDialog::ImportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Import assembly source"));

    kindLabel_ = new QLabel;
    kindLabel_->setObjectName(QStringLiteral("importKind"));
    kindLabel_->setAccessibleName(QStringLiteral("Detected kind of text"));
    kindLabel_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    auto* kindCaption = new QLabel(QStringLiteral("The file looks like:"));
    kindCaption->setBuddy(kindLabel_);

    auto* readAs = new QGroupBox(QStringLiteral("Read the file as"));
    readAs->setObjectName(QStringLiteral("importReadAs"));
    standard_ = new QRadioButton(QStringLiteral("&Standard 8085 assembly"));
    standard_->setObjectName(QStringLiteral("importAsStandard"));
    standard_->setAccessibleName(QStringLiteral("Read as standard 8085 assembly"));
    programLines_ =
        new QRadioButton(QStringLiteral("&Korvanta program lines (as korvanta-cli run reads them)"));
    programLines_->setObjectName(QStringLiteral("importAsProgramLines"));
    programLines_->setAccessibleName(QStringLiteral("Read as Korvanta program lines"));
    readings_ = new QButtonGroup(this);
    readings_->addButton(standard_, int(Reading::Standard));
    readings_->addButton(programLines_, int(Reading::ProgramLines));
    standard_->setChecked(true);

    radix_ = new QComboBox;
    radix_->setObjectName(QStringLiteral("importRadix"));
    radix_->setAccessibleName(QStringLiteral("Radix of numbers without a suffix"));
    radix_->addItem(QStringLiteral("10 (decimal, hex written with H)"), 10);
    radix_->addItem(QStringLiteral("16 (hex without a suffix, as trainer kits list it)"), 16);
    radixLabel_ = new QLabel(QStringLiteral("Numbers without a suffix are in &radix"));
    radixLabel_->setBuddy(radix_);

    auto* readLayout = new QGridLayout(readAs);
    readLayout->addWidget(standard_, 0, 0, 1, 2);
    readLayout->addWidget(radixLabel_, 1, 0);
    readLayout->addWidget(radix_, 1, 1);
    readLayout->addWidget(programLines_, 2, 0, 1, 2);
    readLayout->setColumnStretch(1, 1);
    // The radix belongs to the standard reading: indent it under its choice.
    readLayout->setColumnMinimumWidth(0, 0);
    radixLabel_->setIndent(QFontMetrics(font()).horizontalAdvance(QStringLiteral("0000")));

    full_ = new QCheckBox(QStringLiteral("Run in &Full 8085 mode"));
    full_->setObjectName(QStringLiteral("importFull"));
    full_->setAccessibleName(QStringLiteral("Full 8085 mode"));
    full_->setToolTip(
        QStringLiteral("Carry out every instruction as the real chip does, IN, OUT and interrupts "
                       "included"));

    reportTable_ = new QTableWidget(0, 4);
    reportTable_->setObjectName(QStringLiteral("importReport"));
    reportTable_->setAccessibleName(QStringLiteral("Import report"));
    reportTable_->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Level"),
                                             QStringLiteral("Message"), QStringLiteral("Source text")});
    reportTable_->verticalHeader()->hide();
    reportTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reportTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    reportTable_->setTabKeyNavigation(false);
    reportTable_->setWordWrap(false);
    reportTable_->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(font());
    reportTable_->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("000000")));
    reportTable_->setColumnWidth(1,
                                 metrics.horizontalAdvance(QStringLiteral("warning")) + metrics.height() * 2);
    reportTable_->setColumnWidth(2, metrics.horizontalAdvance(QLatin1Char('x')) * 48);
    reportTable_->setMinimumHeight(metrics.lineSpacing() * 6);
    reportTable_->hide();

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("importSummary"));
    summary_->setAccessibleName(QStringLiteral("What will be imported"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons_->setObjectName(QStringLiteral("importButtons"));
    buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("importOk"));
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Import"));
    buttons_->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("Import"));
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("importCancel"));
    buttons_->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &ImportDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &ImportDialog::reject);

    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(kindCaption);
    kindRow->addWidget(kindLabel_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kindRow);
    layout->addWidget(readAs);
    layout->addWidget(full_);
    layout->addWidget(reportTable_, 1);
    layout->addWidget(summary_);
    layout->addWidget(buttons_);

    setTabOrder(standard_, radix_);
    setTabOrder(radix_, programLines_);
    setTabOrder(programLines_, full_);
    setTabOrder(full_, reportTable_);
    setTabOrder(reportTable_, buttons_);

    connect(readings_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked) return;
        // Each reading has its usual mode: standard sources are written for
        // the real chip, typed program lines for the classic machine.
        full_->setChecked(id == int(Reading::Standard));
        readAgain();
    });
    connect(radix_, &QComboBox::currentIndexChanged, this, [this] { readAgain(); });
    connect(full_, &QCheckBox::toggled, this, [this](bool on) {
        if (program_) program_->full = on;
    });
    full_->setChecked(true);
    readAgain();
}

QString ImportDialog::fileFilter()
{
    return QStringLiteral("Assembly sources (*.asm *.a85 *.s *.txt);;All files (*)");
}

void ImportDialog::setSource(const QByteArray& bytes, const QString& fileName)
{
    bytes_ = bytes;
    fileName_ = fileName;
    setWindowTitle(QStringLiteral("Import assembly source – %1").arg(QFileInfo(fileName).fileName()));
    kind_ = importer::DetectSourceKind(std::string_view(bytes_.constData(), std::size_t(bytes_.size())));
    kindLabel_->setText(kindText(kind_));
    const bool text = kind_ != importer::SourceKind::NotText;
    for (QWidget* w : {static_cast<QWidget*>(standard_), static_cast<QWidget*>(programLines_),
                       static_cast<QWidget*>(radix_), static_cast<QWidget*>(full_)})
        w->setEnabled(text);
    const Reading suited =
        kind_ == importer::SourceKind::OwnLines ? Reading::ProgramLines : Reading::Standard;
    if (reading() != suited)
        setReading(suited);  // reads the file again
    else {
        full_->setChecked(suited == Reading::Standard);
        readAgain();
    }
}

ImportDialog::Reading ImportDialog::reading() const
{
    return programLines_->isChecked() ? Reading::ProgramLines : Reading::Standard;
}

void ImportDialog::setReading(Reading reading)
{
    (reading == Reading::Standard ? standard_ : programLines_)->setChecked(true);
}

int ImportDialog::radix() const
{
    return radix_->currentData().toInt();
}

void ImportDialog::setRadix(int radix)
{
    const int i = radix_->findData(radix);
    if (i >= 0) radix_->setCurrentIndex(i);
}

void ImportDialog::readAgain()
{
    report_.clear();
    program_.reset();
    const bool standard = reading() == Reading::Standard;
    const bool text = kind_ != importer::SourceKind::NotText;
    radix_->setEnabled(standard && text);
    radixLabel_->setEnabled(standard && text);
    const std::string_view source(bytes_.constData(), std::size_t(bytes_.size()));
    const QString name = QFileInfo(fileName_).fileName();

    if (!text) {
        summary_->setText(
            QStringLiteral("“%1” is not a text file: it holds NUL bytes or binary data, so there is "
                           "no program to import from it.")
                .arg(name));
    } else if (standard) {
        importer::ImportResult r = importer::ImportStandardSource(source, {radix()});
        report_ = r.report;
        if (r.ok() && !r.lines.empty()) {
            program_ = ImportedProgram{r.lines, r.startAddress, r.windowDigit, full_->isChecked()};
            const QString digit = QString::fromStdString(r.windowDigit);
            summary_->setText(QStringLiteral("%1 program %2, assembled from %3 in the memory window %4.")
                                  .arg(r.lines.size())
                                  .arg(r.lines.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                                       QString::fromStdString(r.startAddress),
                                       digit + QStringLiteral("000-") + digit + QStringLiteral("FFF")));
        } else if (r.ok()) {
            summary_->setText(QStringLiteral("The file holds no instruction or data to import."));
        } else {
            summary_->setText(
                QStringLiteral("The report holds errors: correct the source, or read the file the "
                               "other way, and import again."));
        }
    } else {
        std::vector<std::string> lines = TypedProgramLines(source);
        if (!lines.empty()) {
            const std::size_t count = lines.size();
            program_ = ImportedProgram{std::move(lines), "0000", "0", full_->isChecked()};
            summary_->setText(
                QStringLiteral("%1 program lines, typed into the code list as they stand.").arg(count));
        } else {
            summary_->setText(QStringLiteral("The file holds no program lines."));
        }
    }
    showReport();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(acceptable());
}

void ImportDialog::showReport()
{
    reportTable_->setRowCount(int(report_.size()));
    QStyle* s = style();
    for (int row = 0; row < int(report_.size()); ++row) {
        const importer::ReportLine& r = report_[std::size_t(row)];
        auto* line = new QTableWidgetItem(r.line > 0 ? QString::number(r.line) : QStringLiteral("–"));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* level = new QTableWidgetItem(s->standardIcon(levelIcon(r.level)),
                                           QString::fromLatin1(importer::LevelName(r.level)));
        auto* message = new QTableWidgetItem(QString::fromStdString(r.message));
        message->setToolTip(QString::fromStdString(r.message));
        auto* text = new QTableWidgetItem(QString::fromStdString(r.text));
        text->setToolTip(QString::fromStdString(r.text));
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        reportTable_->setItem(row, 0, line);
        reportTable_->setItem(row, 1, level);
        reportTable_->setItem(row, 2, message);
        reportTable_->setItem(row, 3, text);
    }
    reportTable_->setVisible(!report_.empty());
}

std::optional<ImportedProgram> ImportDialog::importedProgram() const
{
    return program_;
}

void ImportDialog::accept()
{
    if (!acceptable()) return;  // Enter on a refused file keeps the dialog open
    QDialog::accept();
}

}  // namespace korvanta::app
