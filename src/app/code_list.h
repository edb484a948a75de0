#pragma once

// The code list List2 with a gutter: a dot for each line that holds a
// breakpoint and an arrow at the line of the instruction at PC, whose row is
// tinted too. All of it is drawn; none of it touches the list's selection,
// which the classic program reads as "assemble again".

#include <QListWidget>

#include <functional>

class QPainter;

namespace korvanta::app {

class CodeList : public QListWidget {
    Q_OBJECT
public:
    explicit CodeList(QWidget* parent = nullptr);

    // What the gutter shows: whether a line has a breakpoint, and the
    // current line (-1 for none).
    void setBreakpointLookup(std::function<bool(int line)> lookup);
    void setCurrentLine(int line);
    int currentLine() const { return currentLine_; }
    void refreshGutter();

    int gutterWidth() const;

Q_SIGNALS:
    // A click in the gutter of a line: the window toggles its breakpoint.
    void gutterClicked(int line);
    // The context menu's commands, for the line under the pointer.
    void runToLineRequested(int line);

public:
    // For the gutter, a widget of its own beside the viewport (as the line
    // numbers of Qt's code editor example are).
    void paintGutter(QPainter& painter, const QRect& area);
    void gutterPressed(int y, bool secondClick);
    int lineAtY(int y) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::function<bool(int)> hasBreakpoint_;
    int currentLine_ = -1;
    QWidget* gutter_ = nullptr;
};

}  // namespace korvanta::app
