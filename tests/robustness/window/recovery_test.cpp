// No lost work: a project file and the recovery copy are always one whole version, however the
// program is killed; the copy comes back after an abnormal end, a damaged copy cannot stop a start,
// and two windows keep apart.

#include <QDateTime>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <thread>

#include "app/recovery.h"
#include "child_process.h"
#include "support/fake_host.h"
#include "versions.h"

namespace korvanta::recoverytest {
namespace {

namespace fs = std::filesystem;
using app::RecoveryKeeper;
using namespace std::chrono_literals;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class RecoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(dir_);
        fs::create_directories(folder_);
        sim_ = std::make_unique<Simulator>(host_);
        sim_->Form_Load();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The whole file of version n, built as the programs build it.
    const std::string& expected(int n)
    {
        auto& bytes = expected_[n];
        if (bytes.empty()) {
            testing::FakeHost host;
            Simulator sim(host);
            sim.Form_Load();
            setVersion(sim, n);
            bytes = sim.documents.ProjectFileBytes(true);
        }
        return bytes;
    }

    // Names in the recovery folder starting with prefix, hidden ones included.
    std::vector<std::string> names(const std::string& prefix = "") const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const std::string name = entry.path().filename();
            if (name.rfind(prefix, 0) == 0) found.push_back(name);
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    static std::vector<std::string> filter(const std::vector<std::string>& all, const std::string& suffix)
    {
        std::vector<std::string> kept;
        for (const std::string& n : all)
            if (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
                kept.push_back(n);
        return kept;
    }

    std::vector<std::string> programLines() const { return sim_->source.lines(); }
    static std::vector<std::string> programOf(int n)
    {
        testing::FakeHost host;
        Simulator sim(host);
        setVersion(sim, n);
        return sim.source.lines();
    }

    // A keeper for "this" start, as main() makes one.
    std::unique_ptr<RecoveryKeeper> keeper(std::chrono::milliseconds interval = RecoveryKeeper::kInterval)
    {
        auto k = std::make_unique<RecoveryKeeper>(*sim_, QString::fromStdString(folder_.string()), interval);
        EXPECT_TRUE(k->active());
        return k;
    }

    // Starts the driver, waits for its first version, lets it write for delay and kills it.
    static int runAndKill(const std::string& mode, const fs::path& path, std::chrono::microseconds delay)
    {
        Child driver({KORVANTA_RECOVERY_DRIVER, mode, path.string()});
        EXPECT_TRUE(driver.waitForLine("ready")) << mode;
        std::this_thread::sleep_for(delay);
        return driver.kill(SIGKILL);
    }

    void killLoop(const char* mode, bool copy);

    fs::path dir_ = fs::temp_directory_path() / ("korvanta-recovery-test-" + std::to_string(getpid()));
    fs::path folder_ = dir_ / "recovery";
    testing::FakeHost host_;
    std::unique_ptr<Simulator> sim_;
    std::map<int, std::string> expected_;
};

// Answers for offerRestore that fail the test when the user is asked or told anything.
bool neverAsked(const QDateTime&)
{
    ADD_FAILURE() << "asked to restore";
    return false;
}
void neverReported(const QString& text)
{
    ADD_FAILURE() << "reported: " << text.toStdString();
}

// ---- Kills in the middle of writing -----------------------------------------------------------

// Starts a writer a hundred times and kills it at a random moment after its first version is on
// disk; each time exactly one file must be left, and it must be one whole version.
void RecoveryTest::killLoop(const char* mode, bool copy)
{
    const auto began = std::chrono::steady_clock::now();
    std::mt19937 random(8085);
    const fs::path project = folder_ / "WORK.QSM";
    int midWrite = 0;
    int highest = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int status =
            runAndKill(mode, copy ? folder_ : project, std::chrono::microseconds(random() % 4000));
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "attempt " << attempt;

        const std::vector<std::string> found =
            copy ? filter(names("recovery-"), ".QSM") : std::vector<std::string>{"WORK.QSM"};
        ASSERT_EQ(found.size(), 1u) << "attempt " << attempt;
        const std::string bytes = readFile(folder_ / found[0]);
        const int version = versionIn(bytes);
        ASSERT_GE(version, 1) << "attempt " << attempt << ": " << bytes.size() << " bytes";
        ASSERT_EQ(bytes, expected(version)) << "attempt " << attempt << " left part of version " << version;
        highest = std::max(highest, version);

        // A temporary file beside it means the kill came in the middle of writing the next version.
        for (const std::string& name : names(".")) {
            ++midWrite;
            fs::remove(folder_ / name);
        }
        if (copy) {
            for (const std::string& name : names()) fs::remove(folder_ / name);
        }
    }
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began)
            .count();
    std::printf("[          ] %s: 100 kills in %lld ms, %d in the middle of a write, up to version %d\n",
                mode, static_cast<long long>(ms), midWrite, highest);
    // Otherwise the loop proves nothing about writes cut short.
    EXPECT_GE(midWrite, 10);
}

// Two tests, so that ctest runs the loops side by side.
TEST_F(RecoveryTest, AKilledSaveLeavesOneWholeVersion)
{
    killLoop("save", false);
}

TEST_F(RecoveryTest, AKilledAutosaveLeavesOneWholeVersion)
{
    killLoop("autosave", true);
}

// ---- Restoring ------------------------------------------------------------------------------------

TEST_F(RecoveryTest, RestoreAfterAKillGivesTheUnsavedProgramBack)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    runAndKill("autosave", folder_, 2ms);
    const std::vector<std::string> left = filter(names("recovery-"), ".QSM");
    ASSERT_EQ(left.size(), 1u);
    const int version = versionIn(readFile(folder_ / left[0]));
    ASSERT_GE(version, 1);

    auto k = keeper();
    QDateTime asked;
    EXPECT_TRUE(k->offerRestore(
        [&](const QDateTime& written) {
            asked = written;
            return true;
        },
        neverReported));
    EXPECT_GE(asked, before);
    EXPECT_LE(asked, QDateTime::currentDateTime().addSecs(1));

    EXPECT_EQ(programLines(), programOf(version));
    // Unsaved and unnamed: Save asks the user where to put it.
    EXPECT_EQ(sim_->machine.document.DocumentSaved, kFalse);
    EXPECT_EQ(sim_->machine.document.ProjectNamed, kFalse);
    EXPECT_EQ(sim_->machine.document.ProjectFileName, "");
    // The restored work is this session's copy now; the old one is gone.
    EXPECT_EQ(filter(names("recovery-"), ".QSM"),
              std::vector<std::string>{fs::path(k->copyPath().toStdString()).filename()});
    EXPECT_EQ(versionIn(readFile(k->copyPath().toStdString())), version);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(RecoveryTest, AFatalSignalWritesTheLatestLook)
{
    // The driver wrote version 1 to disk and showed version 2 only to the crash handler.
    Child driver({KORVANTA_RECOVERY_DRIVER, "crash", folder_.string()});
    ASSERT_TRUE(driver.waitForLine("ready"));
    const int status = driver.wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << status;

    const std::vector<std::string> left = filter(names("recovery-"), ".QSM");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(readFile(folder_ / left[0]), expected(2));
    EXPECT_TRUE(names(".").empty()) << names(".")[0];

    auto k = keeper();
    EXPECT_TRUE(k->offerRestore([](const QDateTime&) { return true; }, neverReported));
    EXPECT_EQ(programLines(), programOf(2));
}

TEST_F(RecoveryTest, TheTimerWritesTheCopyAtTheShortTestInterval)
{
    Child driver({KORVANTA_RECOVERY_DRIVER, "timer", folder_.string()}, {"KORVANTA_AUTOSAVE_MS=40"});
    ASSERT_TRUE(driver.started());
    std::vector<std::string> found;
    for (int i = 0; i < 100 && found.empty(); ++i) {
        std::this_thread::sleep_for(50ms);
        found = filter(names("recovery-"), ".QSM");
    }
    ASSERT_EQ(found.size(), 1u) << "no copy within 5 seconds";
    EXPECT_EQ(readFile(folder_ / found[0]), expected(1));
}

TEST_F(RecoveryTest, DamagedCopiesAreReportedAndSetAside)
{
    std::string badOption = expected(3);
    badOption[50] = 7;  // "Automatically add HLT" is 0 or 1
    std::mt19937 random(85);
    std::string noise(4000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"empty", ""},
        {"noise", noise},
        // In the middle of the program, before its end mark.
        {"cut short", expected(3).substr(0, 925)},
        {"foreign", std::string("\x08\x00Korvantb", 10) + expected(3).substr(10)},
        {"bad option", badOption},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(folder_ / "recovery-99-0000000a.QSM", row.bytes);
        auto k = keeper();
        std::vector<QString> reports;
        EXPECT_FALSE(k->offerRestore(neverAsked, [&](const QString& text) { reports.push_back(text); }));
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_TRUE(reports[0].contains(QStringLiteral("damaged-99-0000000a.QSM")))
            << reports[0].toStdString();
        EXPECT_EQ(readFile(folder_ / "damaged-99-0000000a.QSM"), row.bytes);
        EXPECT_TRUE(filter(names("recovery-"), ".QSM").empty());
        EXPECT_TRUE(programLines().empty());
        EXPECT_TRUE(host_.messages.empty());
        fs::remove(folder_ / "damaged-99-0000000a.QSM");
    }
}

TEST_F(RecoveryTest, NoSetsTheCopyAsideAndItIsNotOfferedAgain)
{
    writeFile(folder_ / "recovery-98-0000000b.QSM", expected(4));
    {
        auto k = keeper();
        EXPECT_FALSE(k->offerRestore([](const QDateTime&) { return false; }, neverReported));
    }
    const std::vector<std::string> aside = names("set-aside-98-0000000b-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readFile(folder_ / aside[0]), expected(4));
    EXPECT_TRUE(programLines().empty());
    auto again = keeper();
    EXPECT_FALSE(again->offerRestore(neverAsked, neverReported));
}

// ---- Two windows, saving and ending -------------------------------------------------------------

TEST_F(RecoveryTest, TwoRunningWindowsKeepTheirOwnCopies)
{
    Child first({KORVANTA_RECOVERY_DRIVER, "autosave", folder_.string()});
    Child second({KORVANTA_RECOVERY_DRIVER, "autosave", folder_.string()});
    ASSERT_TRUE(first.waitForLine("ready"));
    ASSERT_TRUE(second.waitForLine("ready"));
    EXPECT_EQ(filter(names("recovery-"), ".QSM").size(), 2u);
    {
        // A third window starting meanwhile offers neither: both are in use.
        auto third = keeper();
        EXPECT_FALSE(third->offerRestore(neverAsked, neverReported));
        EXPECT_EQ(filter(names("recovery-"), ".QSM").size(), 2u);
    }
    first.kill();
    second.kill();
    auto k = keeper();
    int asked = 0;
    EXPECT_FALSE(k->offerRestore(
        [&](const QDateTime&) {
            ++asked;
            return false;
        },
        neverReported));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(names("set-aside-").size(), 2u);
}

TEST_F(RecoveryTest, ASaveOrANormalEndRemovesTheCopy)
{
    auto k = keeper();
    setVersion(*sim_, 5);
    ASSERT_TRUE(k->saveNow());
    EXPECT_EQ(readFile(k->copyPath().toStdString()), expected(5));

    ASSERT_TRUE(sim_->documents.SaveProjectTo((dir_ / "SAVED").string(), true));
    EXPECT_FALSE(fs::exists(k->copyPath().toStdString()));
    EXPECT_FALSE(k->saveNow()) << "nothing to keep while the project is saved";
    EXPECT_FALSE(fs::exists(k->copyPath().toStdString()));

    setVersion(*sim_, 6);
    ASSERT_TRUE(k->saveNow());
    k.reset();
    EXPECT_TRUE(names().empty()) << names()[0];
    // The simulator lives on; its next save must not reach the keeper that has gone.
    EXPECT_TRUE(sim_->documents.SaveProjectTo((dir_ / "AFTER").string(), false));
}

TEST_F(RecoveryTest, AFolderThatCannotBeMadeTurnsTheKeeperOff)
{
    writeFile(dir_ / "file", "x");
    RecoveryKeeper k(*sim_, QString::fromStdString((dir_ / "file" / "recovery").string()), 1ms);
    EXPECT_FALSE(k.active());
    setVersion(*sim_, 1);
    EXPECT_FALSE(k.saveNow());
    EXPECT_FALSE(k.offerRestore(neverAsked, neverReported));
}

}  // namespace
}  // namespace korvanta::recoverytest
