#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace korvanta::app {

namespace {

const QColor kInk(24, 38, 66);
const QColor kAccent(242, 176, 38);

void paintChip(QPainter& p, const QRectF& box)
{
    const qreal s = box.width();
    const qreal pinLength = s * 0.12;
    const QRectF body = box.adjusted(pinLength, pinLength, -pinLength, -pinLength);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 178, 190));
    const int pins = 5;
    const qreal step = body.width() / (pins + 1);
    const qreal pinWidth = step * 0.45;
    for (int i = 1; i <= pins; ++i) {
        const qreal c = body.left() + i * step - pinWidth / 2;
        p.drawRect(QRectF(c, box.top(), pinWidth, pinLength + 1));
        p.drawRect(QRectF(c, body.bottom() - 1, pinWidth, pinLength + 1));
        const qreal r = body.top() + i * step - pinWidth / 2;
        p.drawRect(QRectF(box.left(), r, pinLength + 1, pinWidth));
        p.drawRect(QRectF(body.right() - 1, r, pinLength + 1, pinWidth));
    }

    QLinearGradient fill(body.topLeft(), body.bottomRight());
    fill.setColorAt(0, kInk.lighter(150));
    fill.setColorAt(1, kInk);
    p.setBrush(fill);
    p.drawRoundedRect(body, s * 0.06, s * 0.06);

    // The letter K as strokes, so no font is needed.
    QPen pen(kAccent, s * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    const QRectF k = body.adjusted(body.width() * 0.28, body.height() * 0.22, -body.width() * 0.26,
                                   -body.height() * 0.22);
    p.drawLine(QPointF(k.left(), k.top()), QPointF(k.left(), k.bottom()));
    p.drawLine(QPointF(k.right(), k.top()), QPointF(k.left(), k.center().y()));
    p.drawLine(QPointF(k.left() + k.width() * 0.25, k.center().y() - k.height() * 0.1),
               QPointF(k.right(), k.bottom()));
    // Pin-one mark.
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent.lighter(130));
    p.drawEllipse(QPointF(body.left() + s * 0.08, body.top() + s * 0.08), s * 0.03, s * 0.03);
}

QPixmap drawnIcon(const QString& name)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    if (name == QLatin1String("edit-cut")) {
        p.drawLine(QPointF(10, 4), QPointF(21, 21));
        p.drawLine(QPointF(22, 4), QPointF(11, 21));
        p.drawEllipse(QPointF(9, 25), 4, 4);
        p.drawEllipse(QPointF(23, 25), 4, 4);
    } else if (name == QLatin1String("edit-copy")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 4, 14, 18));
        p.drawRect(QRectF(13, 10, 14, 18));
    } else if (name == QLatin1String("edit-paste")) {
        p.setBrush(QColor(214, 180, 120));
        p.drawRoundedRect(QRectF(6, 6, 20, 23), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(11, 3, 10, 6));
        p.drawRect(QRectF(10, 13, 12, 12));
    } else if (name == QLatin1String("document-print")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(QColor(150, 160, 175));
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 10));
    }
    return pixmap;
}

}  // namespace

QImage drawApplicationIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintChip(p, QRectF(0, 0, size, size));
    p.end();
    return image;
}

void paintSplashPicture(QPainter& p, const QRectF& area)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(32, 54, 96));
    sky.setColorAt(1, QColor(12, 20, 38));
    p.fillRect(area, sky);

    // Faint circuit traces behind the chip.
    p.setPen(QPen(QColor(255, 255, 255, 28), 2));
    for (int i = 0; i < 9; ++i) {
        const qreal y = area.top() + area.height() * (0.1 + 0.1 * i);
        QPainterPath trace;
        trace.moveTo(area.left(), y);
        trace.lineTo(area.left() + area.width() * (0.3 + 0.05 * (i % 3)), y);
        trace.lineTo(area.left() + area.width() * (0.35 + 0.05 * (i % 3)), y + 18);
        trace.lineTo(area.right(), y + 18);
        p.drawPath(trace);
    }

    const qreal chip = area.height() * 0.5;
    paintChip(p, QRectF(area.left() + area.width() * 0.07, area.center().y() - chip / 2, chip, chip));

    const qreal textLeft = area.left() + area.width() * 0.07 + chip * 1.2;
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(int(area.height() * 0.14));
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QPointF(textLeft, area.center().y() - area.height() * 0.02), QStringLiteral("Korvanta"));
    QFont small(QStringLiteral("Sans Serif"));
    small.setPixelSize(int(area.height() * 0.06));
    p.setFont(small);
    p.setPen(kAccent);
    p.drawText(QPointF(textLeft, area.center().y() - area.height() * 0.18), QStringLiteral("Ombrix"));
    p.setPen(QColor(210, 220, 235));
    p.drawText(QPointF(textLeft, area.center().y() + area.height() * 0.1),
               QStringLiteral("The Intel 8085 simulator for learners"));
    p.drawText(QPointF(textLeft, area.bottom() - area.height() * 0.08), QStringLiteral("Loading..."));
}

QIcon themedIcon(const QString& name)
{
    return QIcon::fromTheme(name, QIcon(drawnIcon(name)));
}

}  // namespace korvanta::app
