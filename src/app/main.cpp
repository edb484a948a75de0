#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/artwork.h"
#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/recent_files.h"
#include "app/recovery.h"
#include "app/screenshots.h"
#include "app/splash.h"
#include "engine/simulator.h"

namespace {

using namespace korvanta::app;

// --help and --version must work where there is no display (over ssh, or
// help2man during the build), so for them no window system is loaded.
bool onlyPrints(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version", "-?"})
            if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
}

bool askToRestore(QWidget* parent, const QDateTime& written)
{
    const QString when = QLocale().toString(written, QLocale::LongFormat);
    return QMessageBox::question(
               parent, QStringLiteral("Korvanta"),
               QObject::tr("Korvanta did not close normally last time. A recovery copy of the unsaved "
                           "project was kept on %1.\n\nDo you want to restore it? It opens as a new, "
                           "unsaved project. No keeps the copy aside in the recovery folder.")
                   .arg(when),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> app;
    if (onlyPrints(argc, argv))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Korvanta"));
    QCoreApplication::setOrganizationName(QStringLiteral("Ombrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVANTA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Korvanta, the Intel 8085 simulator for learners: write a program in 8085 assembly "
                       "language, assemble it and run it at full speed or one instruction at a time while "
                       "the registers, flags and memory change in front of you."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A Korvanta project (.QSM) to open at start-up."),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(version);
    // Hidden options for building the documentation and the package.
    QCommandLineOption screenshots(QStringLiteral("screenshot-dir"), QString(), QStringLiteral("dir"));
    screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption icon(QStringLiteral("write-icon"), QString(), QStringLiteral("png"));
    icon.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption iconSize(QStringLiteral("icon-size"), QString(), QStringLiteral("pixels"),
                                QStringLiteral("256"));
    iconSize.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshots);
    parser.addOption(icon);
    parser.addOption(iconSize);
    parser.process(*app);

    if (parser.isSet(version)) {
        std::printf("korvanta %s\n", KORVANTA_VERSION);
        return 0;
    }
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "korvanta: give one project FILE at most\n");
        return 2;
    }
    if (parser.isSet(icon)) {
        const int size = parser.value(iconSize).toInt();
        if (size < 16 || size > 1024) return 2;
        return drawApplicationIcon(size).save(parser.value(icon)) ? 0 : 1;
    }

    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(drawApplicationIcon(128))));
    QtHost host;
    SimulatorWindow window(host);
    host.setDialogParent(&window);
    korvanta::Simulator& sim = window.simulator();

    if (parser.isSet(screenshots)) {
        const int written = takeScreenshots(window, parser.value(screenshots));
        std::printf("%d pictures written\n", written);
        return written >= 4 ? 0 : 1;
    }

    QSettings settings;
    RecentFiles recent(settings);
    recent.follow(sim.documents);
    QObject::connect(&recent, &RecentFiles::openRequested, &window, [&sim](const QString& file) {
        sim.documents.OpenProjectFrom(QFile::encodeName(file).toStdString());
    });
    // The File menu is the window's; the list goes under its Open entry, before
    // Save (toolbar button 3).
    if (auto* fileMenu = window.findChild<QMenu*>(QStringLiteral("menuFile")))
        recent.addMenuTo(fileMenu, window.toolbarButton(3));

    RecoveryKeeper keeper(sim, RecoveryKeeper::defaultFolder(), RecoveryKeeper::defaultInterval());
    keeper.onRestoring = [&recent](bool restoring) { recent.setPaused(restoring); };
    keeper.installCrashHandler();

    const QString file = parser.positionalArguments().isEmpty()
                             ? QString()
                             : QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    auto startUp = [&] {
        // The project named on the command line first: a restored copy, being
        // newer work, takes its place.
        if (!file.isEmpty()) sim.documents.OpenProjectFrom(QFile::encodeName(file).toStdString());
        keeper.offerRestore([&window](const QDateTime& written) { return askToRestore(&window, written); },
                            [&window](const QString& text) {
                                QMessageBox::warning(&window, QStringLiteral("Korvanta"), text);
                            });
        keeper.start();
    };

    Splash splash([&] {
        window.show();
        window.Form_Load();
        // After the splash has gone, so that a question does not sit under it.
        QTimer::singleShot(0, &window, startUp);
    });
    splash.show();
    return app->exec();
}
