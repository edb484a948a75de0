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

class EditMemoryDialog : public QDialog {
    Q_OBJECT
public:
    EditMemoryDialog(MemoryCommands& commands, QWidget* parent);

    void open(const EditMemoryState& state);
    void closeFromCore() { hide(); }

    QLineEdit* dataEntry() const { return data_; }
    QLineEdit* addressField() const { return address_; }
    QLabel* itsKEY() const { return itsKEY_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pressOk();
    MemoryCommands& commands_;
    QLineEdit* address_;
    QLineEdit* data_;
    QLabel* itsKEY_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

class ShowMemDialog : public QDialog {
    Q_OBJECT
public:
    ShowMemDialog(MemoryCommands& commands, QWidget* parent);

    void open();
    void closeFromCore() { hide(); }

    QLineEdit* entry() const { return entry_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pressOk();
    MemoryCommands& commands_;
    QLineEdit* entry_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

class SaveProgramDialog : public QDialog {
    Q_OBJECT
public:
    SaveProgramDialog(Documents& documents, QWidget* parent);
    ~SaveProgramDialog() override;

    void open();
    void closeFromCore() { hide(); }
    // Shows the core's dialog state again (after a click that may not have
    // changed any value the core holds).
    void showState();

    QRadioButton* option(int n) const { return options_[std::size_t(n - 1)]; }
    QCheckBox* memoryCheck() const { return check1_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* heading() const { return label3_; }

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void disconnectCore();
    Documents& documents_;
    QLabel* label3_;
    QGroupBox* frame1_;
    QGroupBox* frame2_;
    QGroupBox* frame3_;
    std::vector<QRadioButton*> options_;
    QCheckBox* check1_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::vector<std::function<void()>> disconnects_;
};

}  // namespace korvanta::app
