#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "app/splash.h"
#include "engine/simulator.h"

namespace korvanta::app::testing {
namespace {

TEST(SplashTest, TimerOpensTheMainWindowAndClosesTheSplash)
{
    int opened = 0;
    bool splashVisibleWhenOpening = false;
    Splash* splashPtr = nullptr;
    Splash splash([&] {
        ++opened;
        splashVisibleWhenOpening = splashPtr->isVisible();
    }, 5);
    splashPtr = &splash;
    splash.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 5000));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(splashVisibleWhenOpening) << "the main window opens before the splash goes";
}

// The real Qt host with its throttled event pumping; only the message boxes
// are answered without a user.
class QuietQtHost : public QtHost {
public:
    MsgAnswer messageBox(const MessageRequest& request) override
    {
        texts.push_back(request.text);
        return request.defaultButton;
    }
    std::vector<std::string> texts;
};


// The time this takes is bench/gui's to measure; here the real host's throttled pumping must
// still end the run at the budget with its one message.
TEST(GuiRealHost, FourThousandInstructionsWithLiveUpdates)
{
    QuietQtHost host;
    SimulatorWindow window(host);
    window.resize(1024, 768);
    window.show();
    window.Form_Load();
    window.tabs()->setCurrentIndex(2);  // the memory list and the fields are on screen
    Simulator& sim = window.simulator();
    sim.source.EnterCode.setText("LOOP: JMP LOOP");
    sim.source.Command1_Click();

    window.Toolbar1_ButtonClick(11);

    EXPECT_EQ(sim.machine.ExecStatus.text(), "Memory Error") << "the run went to the instruction limit";
    EXPECT_EQ(host.texts.size(), 1u);
}

}  // namespace
}  // namespace korvanta::app::testing
