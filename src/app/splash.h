#pragma once

// The start-up picture. When its timer fires it opens the main window, lets
// the event loop run once and closes itself.

#include <QWidget>

#include <functional>

class QTimer;

namespace korvanta::app {

class Splash : public QWidget {
    Q_OBJECT
public:
    Splash(std::function<void()> showMainWindow, int milliseconds = 1500);

    QTimer* timer() const { return timer1_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Timer1_Timer();
    std::function<void()> showMainWindow_;
    QTimer* timer1_;
};

}  // namespace korvanta::app
