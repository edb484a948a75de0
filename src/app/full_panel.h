#pragma once

// What Full 8085 mode adds to the machine beyond the registers: the time a
// run took, the interrupt system with buttons that raise its inputs, the
// CP/M console, the input ports a program reads and every OUT it made. The
// panel shows FullState and forwards the user's settings; in classic mode
// all of it stays visible but disabled, since those instructions are skipped.

#include <QAbstractTableModel>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "machine/full_state.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace korvanta {
class Simulator;
}

namespace korvanta::app {

// The 256 input ports: port and value, the value editable. Ports that are
// not 00 are shown in bold, so that the few a program reads stand out.
class InputPortModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PortColumn, ValueColumn, ColumnCount };
    static constexpr int kIsSetRole = Qt::UserRole + 1;  // bool: the value is not 00

    explicit InputPortModel(FullState& full, QObject* parent = nullptr);
    ~InputPortModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Takes the text a register field would hold and completes it as a
    // register is completed on leaving (empty: 00, one digit d: 0d). A text
    // that is then no two-digit hex value is refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    FullState& full_;
    int changedId_ = 0;
};

// Every OUT of the run, in order: number, port and value.
class OutputLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, PortColumn, ValueColumn, ColumnCount };

    explicit OutputLogModel(FullState& full, QObject* parent = nullptr);
    ~OutputLogModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Entries from `first` on whose port is in `ports` are highlighted.
    void setMarked(int first, std::set<int> ports);

private:
    void follow();

    FullState& full_;
    std::vector<cpu::PortWrite> shown_;  // what the views were told of
    int markedFrom_ = 0;
    std::set<int> markedPorts_;
    int changedId_ = 0;
};

class FullPanel : public QWidget {
    Q_OBJECT
public:
    explicit FullPanel(Simulator& sim, QWidget* parent = nullptr);
    ~FullPanel() override;

    // Highlights what the last step (or run) changed; the main window calls
    // it whenever it has compared the machine with the picture it took:
    // - ports: output ports the step wrote; their entries in the output log
    //   added since the previous call (or since the run started) are marked;
    // - tStates: the T-state count and its time are marked;
    // - interrupts: each interrupt field whose value differs from what it
    //   showed at the previous call (or the reset state a run starts from).
    // A call with nothing to mark clears every highlight.
    void markChanges(const std::set<int>& ports, bool tStates, bool interrupts);
    void clearChanges() { markChanges({}, false, false); }

    // T-states at 3.072 MHz as a time: "2.279 µs", "1.000 ms", "12.500 s".
    static QString durationText(std::uint64_t tStates);

    InputPortModel* inputPortModel() const { return inputModel_; }
    OutputLogModel* outputLogModel() const { return outputModel_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildTimeGroup();
    QWidget* buildInterruptGroup();
    QWidget* buildConsoleGroup();
    QWidget* buildInputGroup();
    QWidget* buildOutputGroup();
    QLineEdit* valueField(const QString& name, const QString& accessibleName, int characters);
    void connectCore();
    void showMode();
    void showTime();
    void showInterrupts();
    void showConsole();
    void setRunning(bool running);
    void showHighlights();

    Simulator& sim_;
    FullState& full_;
    bool running_ = false;

    QLabel* modeLine_ = nullptr;
    QWidget* timeGroup_ = nullptr;
    QWidget* interruptGroup_ = nullptr;
    QWidget* consoleGroup_ = nullptr;
    QWidget* inputGroup_ = nullptr;
    QWidget* outputGroup_ = nullptr;
    QLineEdit* tStates_ = nullptr;
    QLineEdit* time_ = nullptr;
    QLineEdit* executed_ = nullptr;
    QLineEdit* enabled_ = nullptr;
    QLineEdit* masks_[3] = {};    // 7.5, 6.5, 5.5
    QLineEdit* pending_[5] = {};  // TRAP, 7.5, 6.5, 5.5, INTR
    QPushButton* raise_[5] = {};  // TRAP, 7.5, 6.5, 5.5, INTR
    QSpinBox* vector_ = nullptr;
    QCheckBox* bdos_ = nullptr;
    QPlainTextEdit* console_ = nullptr;
    QCheckBox* onlySet_ = nullptr;
    QPushButton* clearPorts_ = nullptr;
    QTableView* inputs_ = nullptr;
    QTableView* outputs_ = nullptr;
    InputPortModel* inputModel_ = nullptr;
    QSortFilterProxyModel* inputFilter_ = nullptr;
    OutputLogModel* outputModel_ = nullptr;

    // Highlights: what is marked, and what the next comparison starts from.
    bool tStatesMarked_ = false;
    std::set<QLineEdit*> interruptMarked_;
    InterruptView interruptBase_;
    int outputBase_ = 0;

    std::vector<std::function<void()>> disconnects_;
};

}  // namespace korvanta::app
