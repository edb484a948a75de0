#pragma once

// The learning aids of the window, in one place: the current-line marker of
// the code list and the memory list, the highlights of what the last step
// changed, breakpoints on lines and addresses, step back and run to line.
// They follow the core's run events and never select, assemble or change
// anything the classic program shows.

#include <QObject>

#include <map>
#include <set>

class QAction;
class QLineEdit;
class QStatusBar;
class QTableView;
class QWidget;

namespace korvanta {
class Simulator;
class TextField;
}

namespace korvanta::app {

class ChangeTracker;
class CodeList;
class MemoryModel;

class LearningAids : public QObject {
    Q_OBJECT
public:
    LearningAids(Simulator& sim, CodeList& codeList, QTableView& memoryList, MemoryModel& memory,
                 QStatusBar& statusBar, QWidget& window);
    ~LearningAids() override;

    // The widgets showing these fields get the changed tint.
    void watchField(const TextField& field, QLineEdit* edit);

    ChangeTracker& changes() { return *changes_; }

    QAction* stepBackAction() const { return stepBack_; }
    QAction* runToLineAction() const { return runToLine_; }
    QAction* toggleBreakpointAction() const { return toggleBreakpoint_; }
    QAction* clearBreakpointsAction() const { return clearBreakpoints_; }

    // The line of the code list the marker is on, -1 for none.
    int markedLine() const;

    // Toggles the breakpoint on a memory address (the memory list's and hex view's context menus).
    void toggleAddressBreakpoint(int memoryIndex);

Q_SIGNALS:
    // The marker moved or the highlights changed: panels beside the window follow.
    void marksChanged();

public Q_SLOTS:
    void stepBack();
    void runToSelectedLine();
    void toggleSelectedLineBreakpoint();

protected:
    // A change of palette (View > Theme, or the desktop's) tints the fields anew.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMarks();
    void showHighlights();
    void enableCommands();
    int currentMemoryRow() const;
    std::set<int> breakpointRows() const;

    Simulator& sim_;
    CodeList& codeList_;
    QTableView& memoryList_;
    MemoryModel& memory_;
    QStatusBar& statusBar_;
    ChangeTracker* changes_;
    std::map<const TextField*, QLineEdit*> edits_;
    QAction* stepBack_;
    QAction* runToLine_;
    QAction* toggleBreakpoint_;
    QAction* clearBreakpoints_;
    std::vector<int> connections_;
    bool running_ = false;
    bool ended_ = false;  // a run ended: the marker shows where it stopped
};

}  // namespace korvanta::app
