#include "app/screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "engine/simulator.h"

namespace korvanta::app {

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

bool save(QWidget* widget, const QString& path)
{
    settle();
    return widget->grab().save(path, "PNG");
}

}  // namespace

int takeScreenshots(SimulatorWindow& window, const QString& directory)
{
    QDir().mkpath(directory);
    const QDir dir(directory);
    window.resize(1024, 768);
    window.show();
    window.Form_Load();

    Simulator& sim = window.simulator();
    const char* program[] = {"!! ADD THE NUMBERS 1 TO 5", "MVI A,00", "MVI B,05",
                             "LOOP: ADD B",               "DCR B",    "JNZ LOOP",
                             "STA 0100",                  "HLT"};
    for (const char* line : program) {
        sim.source.EnterCode.setText(line);
        sim.source.Command1_Click();
    }
    sim.runControl.StartExecution();
    sim.machine.view.selectAndScrollMemoryRow(1);

    if (auto* list1 = window.findChild<QListWidget*>(QStringLiteral("List1"))) {
        const auto found = list1->findItems(QStringLiteral("MVI"), Qt::MatchExactly);
        if (!found.isEmpty()) list1->setCurrentItem(found.first());
    }

    const char* names[] = {"home", "code-entry", "cpu-memory-state", "about"};
    int written = 0;
    for (int i = 0; i < 4; ++i) {
        window.tabs()->setCurrentIndex(i);
        written += save(&window, dir.filePath(QStringLiteral("%1.png").arg(QLatin1String(names[i]))));
    }

    window.tabs()->setCurrentIndex(2);
    sim.documents.ShowSaveDialog();
    if (window.saveProgramDialog()->isVisible())
        written += save(window.saveProgramDialog(), dir.filePath(QStringLiteral("save-dialog.png")));
    sim.documents.SaveDialog_Cancel();
    return written;
}

}  // namespace korvanta::app
