#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>

#include <cstdio>

#include "app/artwork.h"
#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/screenshots.h"
#include "app/splash.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvanta"));
    QApplication::setOrganizationName(QStringLiteral("Ombrix"));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(korvanta::app::drawApplicationIcon(128))));

    // Hidden options for building the documentation and the package.
    QCommandLineParser parser;
    QCommandLineOption screenshots(QStringLiteral("screenshot-dir"), QString(), QStringLiteral("dir"));
    screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption icon(QStringLiteral("write-icon"), QString(), QStringLiteral("png"));
    icon.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshots);
    parser.addOption(icon);
    parser.addHelpOption();
    parser.process(app);

    if (parser.isSet(icon)) return korvanta::app::drawApplicationIcon(256).save(parser.value(icon)) ? 0 : 1;

    korvanta::app::QtHost host;
    korvanta::app::SimulatorWindow window(host);
    host.setDialogParent(&window);

    if (parser.isSet(screenshots)) {
        const int written = korvanta::app::takeScreenshots(window, parser.value(screenshots));
        std::printf("%d pictures written\n", written);
        return written >= 4 ? 0 : 1;
    }

    korvanta::app::Splash splash([&window] {
        window.show();
        window.Form_Load();
    });
    splash.show();
    return app.exec();
}
