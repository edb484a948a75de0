// recovery_driver MODE PATH: the window program's saving and recovery parts
// (the real Simulator, Documents and RecoveryKeeper) without the window, so
// that a test can start and kill it a hundred times in a few seconds.
//
//   save FILE       saves version 1, 2, 3... to FILE, with memory, without end
//   autosave DIR    the same through the recovery copy in DIR
//   crash DIR       writes version 1 to the copy, takes version 2 in for the
//                   crash handler only, then aborts
//   timer DIR       version 1, unsaved, with the keeper's own timer
//                   (KORVANTA_AUTOSAVE_MS) until killed
//
// "ready" on stdout says that the first version is on disk.

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/recovery.h"
#include "support/fake_host.h"
#include "versions.h"

using korvanta::app::RecoveryKeeper;
using korvanta::recoverytest::setVersion;

namespace {

void ready()
{
    std::puts("ready");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: recovery_driver save|autosave|crash|timer PATH\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    korvanta::testing::FakeHost host;
    korvanta::Simulator sim(host);
    sim.Form_Load();
    const std::string mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);

    if (mode == "save") {
        for (int n = 1;; ++n) {
            setVersion(sim, n);
            if (!sim.documents.SaveProjectTo(argv[2], true)) return 1;
            if (n == 1) ready();
        }
    }

    const auto interval = mode == "timer" ? RecoveryKeeper::defaultInterval() : std::chrono::milliseconds(1);
    RecoveryKeeper keeper(sim, path, interval);
    keeper.installCrashHandler();
    if (!keeper.active()) return 1;
    if (mode == "autosave") {
        for (int n = 1;; ++n) {
            setVersion(sim, n);
            if (!keeper.saveNow()) return 1;
            if (n == 1) ready();
        }
    }
    if (mode == "crash") {
        setVersion(sim, 1);
        if (!keeper.saveNow()) return 1;
        setVersion(sim, 2);
        keeper.refreshCrashCopy();
        ready();
        std::abort();
    }
    if (mode == "timer") {
        setVersion(sim, 1);
        keeper.start();
        return app.exec();
    }
    return 2;
}
