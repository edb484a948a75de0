#include "app/theme.h"

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>

namespace korvanta::app {

namespace {

const char* kKey = "appearance/theme";

QPalette darkPalette()
{
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230), disabled(130, 130, 130);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 80, 80));
    p.setColor(QPalette::Link, QColor(110, 170, 255));
    p.setColor(QPalette::Highlight, QColor(60, 120, 210));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, disabled);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

// The palette and style the program started with: "system" goes back to them.
struct Startup {
    QPalette palette;
    QString style;
};

Startup& startup()
{
    static Startup s{QApplication::palette(), QApplication::style()->name()};
    return s;
}

}  // namespace

QString ThemeName(Theme theme)
{
    switch (theme) {
    case Theme::Light: return QStringLiteral("light");
    case Theme::Dark: return QStringLiteral("dark");
    case Theme::System: break;
    }
    return QStringLiteral("system");
}

Theme ThemeFromName(const QString& name)
{
    if (name == QLatin1String("light")) return Theme::Light;
    if (name == QLatin1String("dark")) return Theme::Dark;
    return Theme::System;
}

Theme SavedTheme()
{
    return ThemeFromName(QSettings().value(QLatin1String(kKey)).toString());
}

void SaveTheme(Theme theme)
{
    QSettings().setValue(QLatin1String(kKey), ThemeName(theme));
}

void ApplyTheme(Theme theme)
{
    const Startup& s = startup();
    if (theme == Theme::System) {
        QApplication::setStyle(QStyleFactory::create(s.style));
        QApplication::setPalette(s.palette);
        return;
    }
    // Fusion draws every palette faithfully; the platform styles may not.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(theme == Theme::Dark ? darkPalette() : QApplication::style()->standardPalette());
}

QMenu* CreateThemeMenu(QWidget* parent)
{
    startup();  // remember the desktop's look before anything changes it
    auto* menu = new QMenu(QObject::tr("&Theme"), parent);
    menu->setObjectName(QStringLiteral("menuTheme"));
    auto* group = new QActionGroup(menu);
    const Theme current = SavedTheme();
    for (Theme theme : {Theme::System, Theme::Light, Theme::Dark}) {
        const QString label = theme == Theme::System ? QObject::tr("Follow the Desktop")
                              : theme == Theme::Light ? QObject::tr("Light")
                                                      : QObject::tr("Dark");
        QAction* action = menu->addAction(label);
        action->setObjectName(QStringLiteral("actionTheme_") + ThemeName(theme));
        action->setCheckable(true);
        action->setChecked(theme == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [theme] {
            SaveTheme(theme);
            ApplyTheme(theme);
        });
    }
    return menu;
}

}  // namespace korvanta::app
