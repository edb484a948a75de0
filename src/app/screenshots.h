#pragma once

#include <QString>

namespace korvanta::app {

class SimulatorWindow;

// Loads a small sample program, runs it, and saves a picture of each tab and
// of the save dialog into directory. Returns the number of pictures written.
int takeScreenshots(SimulatorWindow& window, const QString& directory);

}  // namespace korvanta::app
