#include <QTimer>

#include "app/splash.h"
#include "gui_fixture.h"

namespace korvanta::app::testing {
namespace {

using korvanta::MsgAnswer;

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
    EXPECT_EQ(splash.objectName(), "Splash");
    splash.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 5000));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(splashVisibleWhenOpening) << "the main window opens before the splash goes";
    EXPECT_FALSE(splash.grab().isNull());
}

TEST_F(GuiTest, ClosingAsksAboutAnUnsavedProject)
{
    typeProgram({"NOP"});
    host.answers = {MsgAnswer::Cancel};
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Would you like to save the current project before exiting?");

    host.answers = {MsgAnswer::No};
    window->close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(GuiTest, EveryControlCarriesItsName)
{
    const char* names[] = {"TabStrip1", "Toolbar1", "EnterCode", "Command1", "Command2", "List2", "List1", "Text3",
                           "Check1",    "Check2",   "Check3",    "Check4",   "Text1",    "Frame6", "Toolbar2",
                           "Combo1",    "ListView1", "List3",    "Text13",   "ExecStatus", "Text2", "SP", "PC",
                           "RegisterA", "RegisterB", "RegisterC", "RegisterD", "RegisterE", "RegisterH",
                           "RegisterL", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10", "Text11",
                           "EditMemory", "ShowMem", "SaveProgram", "itsKEY"};
    for (const char* name : names) EXPECT_NE(window->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(edit("SP")->maxLength(), 4);
    EXPECT_EQ(edit("RegisterH")->maxLength(), 2);
    EXPECT_EQ(edit("Text2")->maxLength(), 2);
    EXPECT_EQ(edit("Text1")->maxLength(), 4);
}

TEST_F(GuiTest, StartAddressIsUpperCasedAndMarksTheProgramStale)
{
    typeProgram({"HLT"});
    window->toolbarButton(11)->trigger();
    ASSERT_EQ(sim().machine.run.ProgramCompiled, korvanta::kTrue);
    QLineEdit* start = edit("Text1");
    start->selectAll();
    QTest::keyClicks(start, "0a00");
    EXPECT_EQ(start->text(), "0A00");
    EXPECT_EQ(sim().machine.Text1.text(), "0A00");
    EXPECT_EQ(sim().machine.run.ProgramCompiled, korvanta::kFalse);
}

}  // namespace
}  // namespace korvanta::app::testing
