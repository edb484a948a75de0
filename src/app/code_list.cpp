#include "app/code_list.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

#include "app/aid_colours.h"

namespace korvanta::app {

namespace {

class Gutter : public QWidget {
public:
    explicit Gutter(CodeList* list) : QWidget(list), list_(list)
    {
        setObjectName(QStringLiteral("List2Gutter"));
        setAccessibleName(QStringLiteral("Breakpoints and current line"));
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Click to set or clear a breakpoint on this line (F9)"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        list_->paintGutter(painter, rect());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        list_->gutterPressed(event->position().toPoint().y(), false);
        event->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        list_->gutterPressed(event->position().toPoint().y(), true);
        event->accept();
    }

private:
    CodeList* list_;
};

}  // namespace

CodeList::CodeList(QWidget* parent) : QListWidget(parent), gutter_(new Gutter(this))
{
    setViewportMargins(gutterWidth(), 0, 0, 0);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, gutter_, [this] { gutter_->update(); });
    connect(model(), &QAbstractItemModel::rowsInserted, gutter_, [this] { gutter_->update(); });
    connect(model(), &QAbstractItemModel::rowsRemoved, gutter_, [this] { gutter_->update(); });
}

int CodeList::gutterWidth() const
{
    // Room for a dot and an arrow at the list's own font size, at any scaling.
    return fontMetrics().height() * 2;
}

void CodeList::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    const QRect r = viewport()->geometry();
    gutter_->setGeometry(r.left() - gutterWidth(), r.top(), gutterWidth(), r.height());
}

void CodeList::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        setViewportMargins(gutterWidth(), 0, 0, 0);
    }
    if (event->type() == QEvent::PaletteChange) refreshGutter();
}

void CodeList::setBreakpointLookup(std::function<bool(int line)> lookup)
{
    hasBreakpoint_ = std::move(lookup);
    refreshGutter();
}

void CodeList::setCurrentLine(int line)
{
    if (line == currentLine_) return;
    const int old = currentLine_;
    currentLine_ = line;
    // The tint is the item's background; the selection still draws over it.
    for (int changed : {old, line}) {
        if (QListWidgetItem* it = item(changed)) {
            it->setBackground(changed == currentLine_ ? QBrush(currentBackground(palette())) : QBrush());
        }
    }
    if (QListWidgetItem* it = item(line)) scrollToItem(it);
    refreshGutter();
}

void CodeList::refreshGutter()
{
    if (QListWidgetItem* it = item(currentLine_)) it->setBackground(currentBackground(palette()));
    gutter_->update();
}

int CodeList::lineAtY(int y) const
{
    const QModelIndex index = indexAt(QPoint(1, y));
    return index.isValid() ? index.row() : -1;
}

void CodeList::gutterPressed(int y, bool secondClick)
{
    const int line = lineAtY(y);
    // A double click is two toggles: each press counts once.
    if (line >= 0) Q_EMIT gutterClicked(line);
    (void)secondClick;
}

void CodeList::paintGutter(QPainter& painter, const QRect& area)
{
    painter.fillRect(area, palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::Antialiasing);
    const int width = area.width();
    for (int row = 0; row < count(); ++row) {
        const QRect rect = visualItemRect(item(row));
        if (rect.bottom() < 0 || rect.top() > area.height()) continue;
        const int height = rect.height();
        const qreal size = height * 0.6;
        if (hasBreakpoint_ && hasBreakpoint_(row)) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(breakpointColour(palette()));
            painter.drawEllipse(QRectF(2, rect.top() + (height - size) / 2, size, size));
        }
        if (row == currentLine_) {
            const qreal x = width - size / 2 - 2;
            const qreal y = rect.top() + height / 2.0;
            QPainterPath arrow;
            arrow.moveTo(x - size / 2, y - size / 2);
            arrow.lineTo(x + size / 2, y);
            arrow.lineTo(x - size / 2, y + size / 2);
            arrow.closeSubpath();
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette().color(QPalette::Highlight));
            painter.drawPath(arrow);
        }
    }
}

void CodeList::contextMenuEvent(QContextMenuEvent* event)
{
    const int line = lineAtY(viewport()->mapFrom(this, event->pos()).y());
    if (line < 0) return;
    QMenu menu(this);
    QAction* toggle = menu.addAction(tr("Toggle Breakpoint"));
    QAction* runTo = menu.addAction(tr("Run to This Line"));
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == toggle) Q_EMIT gutterClicked(line);
    else if (chosen == runTo) Q_EMIT runToLineRequested(line);
}

}  // namespace korvanta::app
