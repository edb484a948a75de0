// The recent-files list: the last ten projects, newest first, without missing files, remembered
// across starts, filled from every open and save, and shown as the "Open Recent" menu.

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/recent_files.h"
#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::recoverytest {
namespace {

namespace fs = std::filesystem;
using app::RecentFiles;

class RecentFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    QString file(const std::string& name) const
    {
        const fs::path path = dir_ / name;
        if (!fs::exists(path)) std::ofstream(path) << "x";
        return QString::fromStdString(path.string());
    }
    QStringList files(std::initializer_list<const char*> names) const
    {
        QStringList list;
        for (const char* n : names) list << file(n);
        return list;
    }

    fs::path dir_ = fs::temp_directory_path() / ("korvanta-recent-test-" + std::to_string(getpid()));
    QSettings settings_{QString::fromStdString((dir_ / "settings.ini").string()), QSettings::IniFormat};
    RecentFiles recent_{settings_};
};

TEST_F(RecentFilesTest, KeepsTheLastTenNewestFirstWithoutRepeats)
{
    for (int i = 1; i <= 12; ++i) recent_.add(file("P" + std::to_string(i) + ".QSM"));
    EXPECT_EQ(recent_.files(), files({"P12.QSM", "P11.QSM", "P10.QSM", "P9.QSM", "P8.QSM", "P7.QSM", "P6.QSM",
                                      "P5.QSM", "P4.QSM", "P3.QSM"}));
    // Opening one again moves it up; the names are the same file whatever way they are written.
    recent_.add(file("P5.QSM"));
    recent_.add(QString::fromStdString((dir_ / "." / "P7.QSM").string()));
    EXPECT_EQ(recent_.files(), files({"P7.QSM", "P5.QSM", "P12.QSM", "P11.QSM", "P10.QSM", "P9.QSM", "P8.QSM",
                                      "P6.QSM", "P4.QSM", "P3.QSM"}));

    // The next start reads the same list.
    QSettings again(settings_.fileName(), QSettings::IniFormat);
    RecentFiles next(again);
    EXPECT_EQ(next.files().size(), RecentFiles::kMaximum);
    EXPECT_EQ(next.files().first(), file("P7.QSM"));
}

TEST_F(RecentFilesTest, MissingFilesAreDroppedAndRelativeNamesMadeWhole)
{
    recent_.add(file("A.QSM"));
    recent_.add(file("B.QSM"));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir_.string()));
    file("C.QSM");
    recent_.add(QStringLiteral("C.QSM"));
    QDir::setCurrent(cwd);
    fs::remove(dir_ / "B.QSM");
    EXPECT_EQ(recent_.files(), files({"C.QSM", "A.QSM"}));
    EXPECT_EQ(settings_.value("recentFiles").toStringList(), files({"C.QSM", "A.QSM"}));
}

TEST_F(RecentFilesTest, TheMenuOpensAnEntryAndClears)
{
    recent_.add(file("A.QSM"));
    recent_.add(file("B.QSM"));
    QWidget parent;
    QMenu* menu = recent_.createMenu(&parent);
    EXPECT_EQ(menu->title(), QStringLiteral("Open &Recent"));
    QStringList texts;
    for (QAction* a : menu->actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"&1 B.QSM", "&2 A.QSM", "-", "&Clear Menu"}));

    QStringList opened;
    QObject::connect(&recent_, &RecentFiles::openRequested, [&](const QString& f) { opened << f; });
    menu->actions()[1]->trigger();
    EXPECT_EQ(opened, files({"A.QSM"}));

    menu->actions().last()->trigger();
    EXPECT_TRUE(recent_.files().isEmpty());
    recent_.fillMenu(menu);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_FALSE(menu->actions().last()->isEnabled()) << "nothing to clear";
}

TEST_F(RecentFilesTest, TheMenuSitsUnderOpenInTheWindowsFileMenu)
{
    app::QtHost host;
    app::SimulatorWindow window(host);
    auto* fileMenu = window.findChild<QMenu*>(QStringLiteral("menuFile"));
    ASSERT_NE(fileMenu, nullptr);
    recent_.addMenuTo(fileMenu, window.toolbarButton(3));
    QStringList texts;
    for (QAction* a : fileMenu->actions().mid(0, 4)) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"New", "Open", "Open &Recent", "Save"}));

    // Where the entry to go before is missing, the list goes last.
    QMenu other;
    other.addAction(QStringLiteral("Quit"));
    QAction elsewhere(QStringLiteral("Save"));
    recent_.addMenuTo(&other, &elsewhere);
    ASSERT_EQ(other.actions().size(), 2);
    EXPECT_EQ(other.actions().last()->text(), QStringLiteral("Open &Recent"));
}

TEST_F(RecentFilesTest, FollowsEveryOpenAndSaveThatSucceeded)
{
    testing::FakeHost host;
    Simulator sim(host);
    sim.Form_Load();
    recent_.follow(sim.documents);
    sim.source.AppendLine("HLT");

    ASSERT_TRUE(sim.documents.SaveProjectTo((dir_ / "ONE").string(), false));
    ASSERT_TRUE(sim.documents.SaveProjectTo((dir_ / "TWO.QSM").string(), false));
    EXPECT_EQ(recent_.files(), files({"TWO.QSM", "ONE.QSM"}));
    ASSERT_TRUE(sim.documents.OpenProjectFrom((dir_ / "ONE.QSM").string()));
    EXPECT_EQ(recent_.files(), files({"ONE.QSM", "TWO.QSM"}));

    // Failures add nothing: a missing file, a folder that cannot hold the save.
    EXPECT_FALSE(sim.documents.OpenProjectFrom((dir_ / "MISSING.QSM").string()));
    EXPECT_FALSE(sim.documents.SaveProjectTo((dir_ / "no-such-folder" / "X").string(), false));
    // Nor does a recovery copy being restored.
    recent_.setPaused(true);
    ASSERT_TRUE(sim.documents.OpenProjectFrom((dir_ / "TWO.QSM").string()));
    recent_.setPaused(false);
    EXPECT_EQ(recent_.files(), files({"ONE.QSM", "TWO.QSM"}));

    // A list that has gone is told nothing; the one that stays still is.
    {
        RecentFiles shortLived(settings_);
        shortLived.follow(sim.documents);
    }
    ASSERT_TRUE(sim.documents.SaveProjectTo((dir_ / "THREE").string(), false));
    EXPECT_EQ(recent_.files(), files({"THREE.QSM", "ONE.QSM", "TWO.QSM"}));
}

}  // namespace
}  // namespace korvanta::recoverytest
