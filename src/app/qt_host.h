#pragma once

// The platform side of the simulator: real message boxes, file and print
// dialogs, and an event loop that a long-running procedure can pump.

#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "machine/host.h"

class QPrinter;

namespace korvanta::app {

// Sends the printout line by line to a QPrinter: a printer chosen in the print
// dialog, or a PDF file.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(QPrinter& printer);
    ~QtPrinter() override;

    void setFont(const std::string& face, int pointSize, bool bold) override;
    void printLine(const std::string& text) override;
    void newPage() override;
    void endDocument() override;
    void abortDocument() override;

    int pagesStarted() const { return pages_; }

private:
    void ensureStarted();
    void printOneLine(const QString& line);

    QPrinter& printer_;
    QPainter painter_;
    QFont font_;
    qreal y_ = 0;
    int pages_ = 0;
};

class QtHost : public Host {
public:
    QtHost();
    ~QtHost() override;

    // Dialogs are centred on this window.
    void setDialogParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer messageBox(const MessageRequest& request) override;
    void yield() override;
    void waitForEvents() override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    Printer* printDialog() override;
    std::string dateTimeText() override;
    std::string currentDirectory() override;
    bool changeDirectory(const std::string& path) override;

    // The core yields after every instruction; pumping the event loop that
    // often would cost more than the simulation itself, so events are taken
    // at most once per interval. Zero pumps on every yield.
    void setYieldInterval(int milliseconds) { yieldIntervalNs_ = qint64(milliseconds) * 1000000; }

private:
    std::optional<std::string> fileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
    QElapsedTimer clock_;
    qint64 lastPump_ = 0;
    qint64 yieldIntervalNs_ = 8 * 1000000;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QtPrinter> qtPrinter_;
};

}  // namespace korvanta::app
