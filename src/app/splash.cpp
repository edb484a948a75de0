#include "app/splash.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>

#include "app/artwork.h"

namespace korvanta::app {

Splash::Splash(std::function<void()> showMainWindow, int milliseconds)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), showMainWindow_(std::move(showMainWindow))
{
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(520, 300);
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(milliseconds);
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    timer1_->start();
}

void Splash::Timer1_Timer()
{
    if (showMainWindow_) showMainWindow_();
    QCoreApplication::processEvents();
    close();
}

void Splash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintSplashPicture(painter, rect());
}

}  // namespace korvanta::app
