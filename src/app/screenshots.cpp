#include "app/screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>

#include <QDockWidget>
#include <QTimer>

#include "app/dialogs.h"
#include "app/import_dialog.h"
#include "app/theme.h"
#include "engine/imported_program.h"
#include "importer/importer.h"
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

QDockWidget* dockNamed(SimulatorWindow& window, const char* name)
{
    return window.findChild<QDockWidget*>(QString::fromLatin1(name));
}

// A stepping run stopped at a breakpoint, the listing and the hex view beside it, a Full 8085 run
// with its panel, the import report, and the same window in the dark palette.
int takeAidScreenshots(SimulatorWindow& window, const QDir& dir)
{
    Simulator& sim = window.simulator();
    int written = 0;
    window.resize(1600, 900);

    // Stopped at the breakpoint on "DCR B" in the second round: marker, highlights, listing.
    sim.breakpoints.setLine(4, true);
    window.tabs()->setCurrentIndex(1);
    dockNamed(window, "DockListing")->raise();
    int stops = 0;
    sim.machine.events.breakpointHit.connect([&](int) {
        if (++stops < 2) {
            QTimer::singleShot(0, &window, [&] { window.Toolbar1_ButtonClick(11); });
            return;
        }
        QTimer::singleShot(0, &window, [&] {
            written += save(&window, dir.filePath(QStringLiteral("breakpoint-listing.png")));
            window.tabs()->setCurrentIndex(2);
            dockNamed(window, "DockHexView")->raise();
            written += save(&window, dir.filePath(QStringLiteral("hex-view.png")));
            ApplyTheme(Theme::Dark);
            written += save(&window, dir.filePath(QStringLiteral("dark-mode.png")));
            ApplyTheme(Theme::System);
            window.Toolbar1_ButtonClick(13);
        });
    });
    sim.machine.run.ProgramCompiled = kFalse;
    window.Toolbar1_ButtonClick(11);
    sim.breakpoints.clear();

    // Full 8085 mode: ports, the CP/M console and the T-states.
    const char* source = "; reads port 20, compares, answers on port 21\n        org 0000h\n        in 20h\n"
                         "        cpi 5ah\n        out 21h\n        mvi c,9\n        lxi d,msg\n        call 5\n"
                         "        hlt\nmsg:    db 'Ready',13,10,'$'\n";
    const importer::ImportResult imported = importer::ImportStandardSource(source);
    sim.source.Clear();
    ApplyImportedProgram(sim, {imported.lines, imported.startAddress, imported.windowDigit, true});
    sim.machine.full.setInputPort(0x20, 0x5A);
    sim.machine.full.bdos.set(true);
    dockNamed(window, "DockFull8085")->raise();
    window.tabs()->setCurrentIndex(2);
    window.Toolbar1_ButtonClick(11);
    written += save(&window, dir.filePath(QStringLiteral("full-8085.png")));

    // The import dialog with its report: skipped directives, labels made tags, text after END.
    ImportDialog dialog(&window);
    dialog.setSource("        title   largest byte\ncount   equ     5\n        org     2000h\n"
                     "        lxi     h,list\n        mvi     c,count\n        xra     a\nnext_byte:\n"
                     "        cmp     m\n        jnc     next_word\n        mov     a,m\nnext_word:\n"
                     "        inx     h\n        dcr     c\n        jnz     next_byte\n        sta     result\n"
                     "        hlt\nlist:   db      12h, 9fh, 3, 0x40, 77q\nresult: ds      1\n        end\n"
                     "notes after the end\n",
                     QStringLiteral("lab-sheet-3.asm"));
    dialog.resize(760, 520);
    dialog.show();
    written += save(&dialog, dir.filePath(QStringLiteral("import-report.png")));
    dialog.hide();
    return written;
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

    written += takeAidScreenshots(window, dir);
    return written;
}

}  // namespace korvanta::app
