#pragma once

// Light, dark, or whatever the desktop uses. The choice is kept in the
// settings; "system" leaves the desktop's palette alone.

#include <QString>

class QMenu;
class QWidget;

namespace korvanta::app {

enum class Theme { System, Light, Dark };

Theme SavedTheme();
void SaveTheme(Theme theme);
// Applies the theme to the whole program.
void ApplyTheme(Theme theme);
// "system", "light", "dark" and back; an unknown name is System.
QString ThemeName(Theme theme);
Theme ThemeFromName(const QString& name);

// A "Theme" menu with the three choices, applying and saving the one picked.
QMenu* CreateThemeMenu(QWidget* parent);

}  // namespace korvanta::app
