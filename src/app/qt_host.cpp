#include "app/qt_host.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace korvanta::app {

namespace {

QString fromCore(const std::string& text)
{
    // Message texts break lines with CR LF; a lone CR would show as a glyph.
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QMessageBox::StandardButton toButton(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

}  // namespace

QtPrinter::QtPrinter(QPrinter& printer) : printer_(printer), font_(QStringLiteral("arial"), 12) {}

QtPrinter::~QtPrinter()
{
    if (painter_.isActive()) painter_.end();
}

void QtPrinter::ensureStarted()
{
    if (painter_.isActive()) return;
    if (!painter_.begin(&printer_)) throw SysError{"The printer could not be started.", 482};
    painter_.setFont(font_);
    y_ = 0;
    pages_ = 1;
}

void QtPrinter::setFont(const std::string& face, int pointSize, bool bold)
{
    font_ = QFont(QString::fromStdString(face), pointSize, bold ? QFont::Bold : QFont::Normal);
    if (painter_.isActive()) painter_.setFont(font_);
}

void QtPrinter::printOneLine(const QString& line)
{
    QFontMetricsF metrics(painter_.font(), painter_.device());
    const qreal pageHeight = printer_.pageLayout().paintRectPixels(printer_.resolution()).height();
    if (y_ > 0 && y_ + metrics.height() > pageHeight) newPage();
    if (!line.isEmpty()) painter_.drawText(QPointF(0, y_ + metrics.ascent()), line);
    y_ += metrics.lineSpacing();
}

void QtPrinter::printLine(const std::string& text)
{
    ensureStarted();
    QString all = QString::fromStdString(text);
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = all.split(QLatin1Char('\n'));
    for (const QString& line : lines) printOneLine(line);
}

void QtPrinter::newPage()
{
    ensureStarted();
    if (!printer_.newPage()) throw SysError{"The printer could not start a new page.", 482};
    y_ = 0;
    ++pages_;
}

void QtPrinter::endDocument()
{
    ensureStarted();  // an empty printout still is a document
    if (!painter_.end()) throw SysError{"The printer did not accept the document.", 482};
}

void QtPrinter::abortDocument()
{
    if (!painter_.isActive()) return;
    printer_.abort();
    painter_.end();
}

QtHost::QtHost() { clock_.start(); }

QtHost::~QtHost() = default;

MsgAnswer QtHost::messageBox(const MessageRequest& request)
{
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(request.title));
    box.setText(fromCore(request.text));
    switch (request.icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (request.buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toButton(request.defaultButton));
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: break;
    }
    // Closing the box with Escape or its close button: a question counts as
    // its safest answer, a notice as read.
    if (request.buttons == MsgButtons::YesNoCancel) return MsgAnswer::Cancel;
    if (request.buttons == MsgButtons::YesNo) return MsgAnswer::No;
    return MsgAnswer::Ok;
}

void QtHost::yield()
{
    const qint64 now = clock_.nsecsElapsed();
    if (now - lastPump_ < yieldIntervalNs_) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastPump_ = clock_.nsecsElapsed();
}

void QtHost::waitForEvents()
{
    // A stepping run waits for the next Step: sleep until something happens
    // instead of spinning the processor.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    lastPump_ = clock_.nsecsElapsed();
}

std::optional<std::string> QtHost::fileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromStdString(request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    const QString initial = QString::fromStdString(request.initialName);
    // A pattern as the initial name (the open dialog's "*.QSM") is what the
    // filter already shows; only a real name is preselected.
    if (!initial.isEmpty() && !initial.contains(QLatin1Char('*'))) dialog.selectFile(initial);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtHost::openFileDialog(const FileDialogRequest& request)
{
    return fileDialog(request, false);
}

std::optional<std::string> QtHost::saveFileDialog(const FileDialogRequest& request)
{
    return fileDialog(request, true);
}

Printer* QtHost::printDialog()
{
    qtPrinter_.reset();  // a printout still open from a failed print is dropped first
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!printer_->isValid()) throw SysError{"No printer is installed.", 482};
    QPrintDialog dialog(printer_.get(), parent_);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    qtPrinter_ = std::make_unique<QtPrinter>(*printer_);
    return qtPrinter_.get();
}

std::string QtHost::dateTimeText()
{
    return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat).toStdString();
}

std::string QtHost::currentDirectory()
{
    return QDir::currentPath().toStdString();
}

bool QtHost::changeDirectory(const std::string& path)
{
    return QDir::setCurrent(QString::fromStdString(path));
}

}  // namespace korvanta::app
