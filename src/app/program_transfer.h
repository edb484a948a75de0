#pragma once

// Programs in and out of the window: "Import assembly source…" (and files
// dropped on the window), "Export as standard assembly…", and the sample
// programs. An import replaces the project as New does, after the same
// question about the current one.

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace korvanta {
class Simulator;
}

namespace korvanta::app {

class ImportDialog;

class ProgramTransfer : public QObject {
    Q_OBJECT
public:
    ProgramTransfer(Simulator& sim, QWidget& window);

    QAction* importAction() const { return import_; }
    QAction* exportAction() const { return export_; }
    // "Open Example" with the sample programs that come with Korvanta.
    QMenu* createExamplesMenu(QWidget* parent);
    // Where the samples are: installed beside the program, or in the source tree.
    static QString examplesFolder();

    // Asks for nothing: the file is read, the import dialog decides.
    void importFile(const QString& path);
    // A file dropped on the window: a project opens, anything else imports.
    void dropFile(const QString& path);
    // Writes the project as a standard source. Returns an error text, or empty.
    QString exportTo(const QString& path);
    // A sample: program lines open as they are typed, standard sources import.
    void openExample(const QString& path);

    // How the import dialog is shown; tests answer it without a modal loop.
    void setDialogRunner(std::function<bool(ImportDialog&)> runner) { runDialog_ = std::move(runner); }
    // How a file name is asked for; tests give one.
    void setFileChooser(std::function<QString(bool save)> chooser) { chooseFile_ = std::move(chooser); }

private:
    void complain(const QString& text);

    Simulator& sim_;
    QWidget& window_;
    QAction* import_;
    QAction* export_;
    std::function<bool(ImportDialog&)> runDialog_;
    std::function<QString(bool save)> chooseFile_;
};

}  // namespace korvanta::app
