#include "app/program_transfer.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>

#include "app/import_dialog.h"
#include "engine/imported_program.h"
#include "engine/program_loader.h"
#include "engine/simulator.h"
#include "importer/importer.h"

namespace korvanta::app {

namespace {

constexpr qint64 kLargestSource = 16 * 1024 * 1024;

bool readSmallFile(const QString& path, QByteArray& bytes, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QObject::tr("The file %1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kLargestSource) {
        error = QObject::tr("The file %1 is larger than 16 MB; no program is that long.").arg(path);
        return false;
    }
    bytes = file.readAll();
    return true;
}

}  // namespace

ProgramTransfer::ProgramTransfer(Simulator& sim, QWidget& window) : QObject(&window), sim_(sim), window_(window)
{
    import_ = new QAction(tr("&Import Assembly Source..."), this);
    import_->setObjectName(QStringLiteral("actionImport"));
    import_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    import_->setToolTip(tr("Import a program written in standard 8085 assembly (Ctrl+I)"));
    export_ = new QAction(tr("&Export as Standard Assembly..."), this);
    export_->setObjectName(QStringLiteral("actionExportAsm"));
    export_->setToolTip(tr("Write the program as a standard 8085 source for other assemblers"));
    window.addAction(import_);

    runDialog_ = [](ImportDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    chooseFile_ = [this](bool save) {
        return save ? QFileDialog::getSaveFileName(&window_, tr("Export as Standard Assembly"), QStringLiteral("program.asm"),
                                                   tr("Assembly sources (*.asm *.a85 *.s);;All files (*)"))
                    : QFileDialog::getOpenFileName(&window_, tr("Import Assembly Source"), QString(),
                                                   ImportDialog::fileFilter());
    };
    connect(import_, &QAction::triggered, this, [this] {
        const QString path = chooseFile_(false);
        if (!path.isEmpty()) importFile(path);
    });
    connect(export_, &QAction::triggered, this, [this] {
        QString path = chooseFile_(true);
        if (path.isEmpty()) return;
        const QString error = exportTo(path);
        if (!error.isEmpty()) complain(error);
    });
}

void ProgramTransfer::complain(const QString& text)
{
    sim_.machine.host.messageBox({text.toStdString(), kAppTitle, MsgIcon::Critical, MsgButtons::Ok, MsgAnswer::Ok});
}

void ProgramTransfer::importFile(const QString& path)
{
    QByteArray bytes;
    QString error;
    if (!readSmallFile(path, bytes, error)) return complain(error);
    ImportDialog dialog(&window_);
    dialog.setSource(bytes, QFileInfo(path).fileName());
    if (!runDialog_(dialog)) return;
    const std::optional<ImportedProgram> program = dialog.importedProgram();
    if (!program) return;
    Simulator& sim = sim_;
    sim_.documents.ReplaceProject([&sim, p = *program] { ApplyImportedProgram(sim, p); });
}

void ProgramTransfer::dropFile(const QString& path)
{
    QByteArray bytes;
    QString error;
    if (!readSmallFile(path, bytes, error)) return complain(error);
    if (LooksLikeProjectFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        const std::string name = path.toStdString();
        Documents& documents = sim_.documents;
        documents.ReplaceProject([&documents, name] { documents.OpenProjectFrom(name); });
        return;
    }
    importFile(path);
}

QString ProgramTransfer::exportTo(const QString& path)
{
    const Machine& m = sim_.machine;
    const importer::ExportResult result = importer::ExportStandardSource(
        sim_.source.lines(), m.Text1.text(), m.options.Full8085.get() == 1, m.options.Check4.get() == 1);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return tr("%1 cannot be written: %2").arg(path, file.errorString());
    file.write(QByteArray::fromStdString(result.text));
    if (!file.commit()) return tr("%1 cannot be written: %2").arg(path, file.errorString());
    if (!result.report.empty()) {
        QString lines;
        for (const importer::ReportLine& r : result.report)
            lines += tr("Line %1: %2\n").arg(r.line).arg(QString::fromStdString(r.message));
        return tr("The program was exported, but some lines could not be written exactly:\n") + lines;
    }
    return {};
}

QString ProgramTransfer::examplesFolder()
{
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/korvanta/examples"));
    if (QFileInfo(installed).isDir()) return QDir::cleanPath(installed);
#ifdef KORVANTA_SOURCE_EXAMPLES
    return QStringLiteral(KORVANTA_SOURCE_EXAMPLES);
#else
    return {};
#endif
}

QMenu* ProgramTransfer::createExamplesMenu(QWidget* parent)
{
    auto* menu = new QMenu(tr("Open E&xample"), parent);
    menu->setObjectName(QStringLiteral("menuExamples"));
    // Filled when opened, so that the list is what the folder holds then.
    connect(menu, &QMenu::aboutToShow, menu, [this, menu] {
        menu->clear();
        const QDir folder(examplesFolder());
        const QStringList files =
            folder.entryList({QStringLiteral("*.asm"), QStringLiteral("*.a85")}, QDir::Files, QDir::Name);
        if (files.isEmpty()) menu->addAction(tr("(no examples found)"))->setEnabled(false);
        for (const QString& name : files) {
            const QString path = folder.absoluteFilePath(name);
            menu->addAction(name, this, [this, path] { openExample(path); });
        }
    });
    return menu;
}

void ProgramTransfer::openExample(const QString& path)
{
    QByteArray bytes;
    QString error;
    if (!readSmallFile(path, bytes, error)) return complain(error);
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (importer::DetectSourceKind(text) == importer::SourceKind::Standard) return importFile(path);
    // A sample in the program's own lines: the classic program as a learner types it.
    ImportedProgram program;
    program.lines = TypedProgramLines(text);
    program.full = false;
    Simulator& sim = sim_;
    sim_.documents.ReplaceProject([&sim, program] { ApplyImportedProgram(sim, program); });
}

}  // namespace korvanta::app
