#pragma once

// The three small dialogs: EditMemory, ShowMem and SaveProgram. They show
// what the core hands them and report the user's choices back; the core
// decides when they close and enables the main window again.

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvanta {
class MemoryCommands;
class Documents;
struct EditMemoryState;
}

namespace korvanta::app {

// What the three dialogs share: an Ok and a Cancel button, and a Cancel
// (the button, Escape or closing the window) that goes to the core only
// while the dialog shows; the core hides the dialog itself.
class CoreDialog : public QDialog {
    Q_OBJECT
public:
    void closeFromCore() { hide(); }

    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public Q_SLOTS:
    void reject() override;

protected:
    CoreDialog(QWidget* parent, const QString& name, const QString& title);
    // Creates ok_ and cancel_ under these object names; Cancel rejects.
    void createButtons(const QString& okName, const QString& cancelName);
    // Shows the dialog in front of the others with the focus on focus.
    void showInFront(QWidget* focus);
    void closeEvent(QCloseEvent* event) override;
    virtual void cancelInCore() = 0;

    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class EditMemoryDialog : public CoreDialog {
    Q_OBJECT
public:
    EditMemoryDialog(MemoryCommands& commands, QWidget* parent);

    void open(const EditMemoryState& state);

    QLineEdit* dataEntry() const { return data_; }
    QLineEdit* addressField() const { return address_; }
    QLabel* itsKEY() const { return itsKEY_; }

protected:
    void cancelInCore() override;

private:
    void pressOk();
    MemoryCommands& commands_;
    QLineEdit* address_;
    QLineEdit* data_;
    QLabel* itsKEY_;
};

class ShowMemDialog : public CoreDialog {
    Q_OBJECT
public:
    ShowMemDialog(MemoryCommands& commands, QWidget* parent);

    void open();

    QLineEdit* entry() const { return entry_; }

protected:
    void cancelInCore() override;

private:
    void pressOk();
    MemoryCommands& commands_;
    QLineEdit* entry_;
};

class SaveProgramDialog : public CoreDialog {
    Q_OBJECT
public:
    SaveProgramDialog(Documents& documents, QWidget* parent);
    ~SaveProgramDialog() override;

    void open();
    // Shows the core's dialog state again (after a click that may not have
    // changed any value the core holds).
    void showState();

    QRadioButton* option(int n) const { return options_[std::size_t(n - 1)]; }
    QCheckBox* memoryCheck() const { return check1_; }
    QLabel* heading() const { return label3_; }

protected:
    void cancelInCore() override;

private:
    void disconnectCore();
    Documents& documents_;
    QLabel* label3_;
    QGroupBox* frame1_;
    QGroupBox* frame2_;
    QGroupBox* frame3_;
    std::vector<QRadioButton*> options_;
    QCheckBox* check1_;
    std::vector<std::function<void()>> disconnects_;
};

}  // namespace korvanta::app
