// The installed window program as a user starts it: --version and --help without a display, a
// project named on the command line, the recent-files list it remembers, and its recovery copy
// after it is killed.

#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/recovery.h"
#include "child_process.h"
#include "support/fake_host.h"
#include "versions.h"

namespace korvanta::recoverytest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Printed {
    int status;
    std::string out;
};

// Runs argv with no display and no Qt platform set, as in a terminal over ssh.
Printed printedBy(std::vector<std::string> argv)
{
    argv.insert(argv.begin(), {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"});
    Child child(argv);
    Printed p;
    p.out = child.readAll();
    p.status = child.wait();
    return p;
}

TEST(WindowProgram, VersionAndHelpNeedNoDisplay)
{
    for (const char* program : {KORVANTA_APP_PATH, KORVANTA_CLI_PATH}) {
        SCOPED_TRACE(program);
        const Printed version = printedBy({program, "--version"});
        EXPECT_TRUE(WIFEXITED(version.status) && WEXITSTATUS(version.status) == 0) << version.status;
        EXPECT_EQ(version.out, "korvanta " KORVANTA_VERSION "\n");
    }
    const Printed help = printedBy({KORVANTA_APP_PATH, "--help"});
    EXPECT_TRUE(WIFEXITED(help.status) && WEXITSTATUS(help.status) == 0);
    for (const char* shown : {"[FILE]", "--version", "--help", ".QSM"})
        EXPECT_NE(help.out.find(shown), std::string::npos) << shown << " missing from\n" << help.out;
    for (const char* hidden : {"--write-icon", "--screenshot-dir", "--icon-size"})
        EXPECT_EQ(help.out.find(hidden), std::string::npos) << hidden;
}

class WindowProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    const fs::path dir = fs::temp_directory_path() / ("korvanta-window-test-" + std::to_string(getpid()));
};

TEST_F(WindowProgramTest, OpensTheProjectGivenAndKeepsItAfterAKill)
{
    testing::FakeHost host;
    Simulator saved(host);
    saved.Form_Load();
    setVersion(saved, 7);
    const fs::path project = dir / "MULT.QSM";
    ASSERT_TRUE(saved.documents.SaveProjectTo(project.string(), false));

    const fs::path folder = dir / "data" / "Ombrix" / "Korvanta" / "recovery";
    {
        Child window({KORVANTA_APP_PATH, project.string()},
                     {"QT_QPA_PLATFORM=offscreen", "XDG_DATA_HOME=" + (dir / "data").string(),
                      "XDG_CONFIG_HOME=" + (dir / "config").string(), "KORVANTA_AUTOSAVE_MS=50"});
        ASSERT_TRUE(window.started());
        // An opened project counts as unsaved, so a copy follows the splash and one interval.
        bool copied = false;
        for (int i = 0; i < 200 && !copied; ++i) {
            std::this_thread::sleep_for(50ms);
            if (fs::is_directory(folder))
                for (const auto& entry : fs::directory_iterator(folder))
                    copied = copied || entry.path().extension() == ".QSM";
        }
        ASSERT_TRUE(copied) << "no recovery copy within 10 seconds";
        window.kill(SIGKILL);
    }

    QSettings settings(QString::fromStdString((dir / "config" / "Ombrix" / "Korvanta.conf").string()),
                       QSettings::IniFormat);
    EXPECT_EQ(settings.value("recentFiles").toStringList(), QStringList{QString::fromStdString(project.string())});

    Simulator next(host);
    next.Form_Load();
    app::RecoveryKeeper keeper(next, QString::fromStdString(folder.string()), app::RecoveryKeeper::kInterval);
    EXPECT_TRUE(keeper.offerRestore([](const QDateTime&) { return true; },
                                    [](const QString& text) { ADD_FAILURE() << text.toStdString(); }));
    EXPECT_EQ(next.source.lines(), saved.source.lines());
}

}  // namespace
}  // namespace korvanta::recoverytest
