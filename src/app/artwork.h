#pragma once

// Pictures the program draws itself: the application icon, the splash
// picture and tool-bar images for systems without an icon theme.

#include <QIcon>
#include <QImage>

class QPainter;
class QRectF;

namespace korvanta::app {

// The application icon: a chip with the program's initial traced on it.
// Needs no fonts, so a build step can draw it without a display.
QImage drawApplicationIcon(int size);

void paintSplashPicture(QPainter& painter, const QRectF& area);

// A theme icon by its freedesktop name, or a drawn stand-in ("edit-cut",
// "edit-copy", "edit-paste", "document-print").
QIcon themedIcon(const QString& name);

}  // namespace korvanta::app
