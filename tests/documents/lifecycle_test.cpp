#include "documents_fixture.h"

namespace korvanta::testing {
namespace {

using LifecycleTest = DocumentsTest;

std::vector<int> Options(const SaveDialogState& d) { return {d.Option1, d.Option2, d.Option3, d.Option4}; }

TEST_F(LifecycleTest, FormLoadOffersTheCurrentLocationOnlyForAChangedNamedProject)
{
    struct Case {
        int named, saved;
        bool option1Enabled;
        std::vector<int> selected;
    } cases[] = {
        {kFalse, kFalse, false, {0, 1, 0, 0}},
        {kFalse, kTrue, false, {0, 1, 0, 0}},
        {kTrue, kTrue, false, {0, 1, 0, 0}},
        {kTrue, kFalse, true, {1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        m.document.ProjectNamed = c.named;
        m.document.DocumentSaved = c.saved;
        docs.ShowSaveDialog();
        EXPECT_EQ(docs.saveDialog.Option1Enabled.get(), c.option1Enabled) << c.named << c.saved;
        EXPECT_EQ(Options(docs.saveDialog), c.selected) << c.named << c.saved;
        docs.SaveDialog_Cancel();
    }
}

TEST_F(LifecycleTest, OptionsStayExclusiveAcrossBothFrames)
{
    m.document.ProjectNamed = kTrue;
    docs.ShowSaveDialog();
    docs.Option3_Click();
    EXPECT_EQ(Options(docs.saveDialog), (std::vector<int>{0, 0, 1, 0}));
    docs.Option1_Click();
    EXPECT_EQ(Options(docs.saveDialog), (std::vector<int>{1, 0, 0, 0}));
    docs.Option4_Click();
    docs.Option2_Click();
    EXPECT_EQ(Options(docs.saveDialog), (std::vector<int>{0, 1, 0, 0}));
}

TEST_F(LifecycleTest, DialogDisablesTheMainWindowAndShowsItsBusyState)
{
    std::vector<std::string> events;
    m.view.dialogRequested.connect([&](DialogKind) { events.push_back("open"); });
    m.view.dialogClosed.connect([&](DialogKind) { events.push_back("closed"); });
    docs.ShowSaveDialog();
    EXPECT_FALSE(m.view.mainWindowEnabled.get());

    bool sawBusy = false;
    host.onYield = [&] {
        sawBusy |= docs.saveDialog.Label3.get() == "Saving...Please Wait" && !docs.saveDialog.controlsEnabled.get();
    };
    host.directory = "/elsewhere";
    docs.saveDialog.Check1.set(1);  // memory rows yield while they are written
    host.fileNames.push_back(path("p"));
    docs.SaveDialog_Ok();
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(host.directory, "/start");
    const FileDialogRequest& r = host.fileDialogs.at(0);
    EXPECT_EQ(r.title + "|" + r.filter + "|" + r.defaultExtension + "|" + r.initialName,
              "Ombrix Korvanta|*.QSM|QSM|Untitled1.QSM");
    EXPECT_TRUE(m.view.mainWindowEnabled.get());
    EXPECT_FALSE(docs.saveDialog.open.get());
    EXPECT_EQ(events, (std::vector<std::string>{"open", "closed"}));
    EXPECT_EQ(m.document.DocumentSaved, kTrue);
}

TEST_F(LifecycleTest, CancelledOrBlankFileNameActsAsCancel)
{
    for (std::optional<std::string> name : {std::optional<std::string>{}, std::optional<std::string>{"   "}}) {
        docs.ShowSaveDialog();
        host.fileNames.push_back(name);
        docs.SaveDialog_Ok();
        EXPECT_TRUE(m.view.mainWindowEnabled.get());
        EXPECT_FALSE(docs.saveDialog.open.get());
        EXPECT_TRUE(docs.saveDialog.controlsEnabled.get());
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.document.ProjectNamed, kFalse);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
}

TEST_F(LifecycleTest, ExitQuestionAndItsAnswers)
{
    m.document.DocumentSaved = kTrue;
    EXPECT_TRUE(docs.Form_QueryUnload());
    EXPECT_TRUE(host.messages.empty());

    m.document.DocumentSaved = kFalse;
    host.answers = {MsgAnswer::Cancel, MsgAnswer::No};
    EXPECT_FALSE(docs.Form_QueryUnload());
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(docs.Form_QueryUnload());
    EXPECT_EQ(quits, 1);
    const MessageRequest& q = host.messages.at(0);
    EXPECT_EQ(q.text, "Would you like to save the current project before exiting?");
    EXPECT_EQ(q.title, "Ombrix Korvanta");
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(q.buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(q.defaultButton, MsgAnswer::Cancel);
}

TEST_F(LifecycleTest, ExitEndsOnlyAfterASuccessfulSave)
{
    program({"NOP"});
    auto askToExit = [&] {
        host.answers.push_back(MsgAnswer::Yes);
        EXPECT_FALSE(docs.Form_QueryUnload());
        EXPECT_EQ(m.document.ExitAfterSave, kTrue);
        EXPECT_TRUE(docs.saveDialog.open.get());
        EXPECT_FALSE(m.view.mainWindowEnabled.get());
    };
    askToExit();
    docs.SaveDialog_Cancel();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(m.document.ExitAfterSave, kFalse);

    askToExit();
    source.AppendLine(std::string(49, 'A'));
    host.fileNames.push_back(path("e"));
    docs.SaveDialog_Ok();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(m.view.mainWindowEnabled.get());
    EXPECT_EQ(source.lineCount(), 2);

    askToExit();
    docs.Option4_Click();
    host.fileNames.push_back(path("e.txt"));
    docs.SaveDialog_Ok();
    EXPECT_EQ(quits, 0) << "an export does not save the project";

    askToExit();
    source.Clear();
    host.fileNames.push_back(path("e"));
    docs.SaveDialog_Ok();
    EXPECT_EQ(quits, 1);
}

TEST_F(LifecycleTest, NewResetsOnlyWhenNothingIsLost)
{
    auto dirty = [&] {
        program({"NOP"});
        m.cpu.RegisterA.setText("3E");
        m.cpu.Text2.setText("FF");
        m.options.Check1_Click(1);
        m.options.Check4.set(0);
        m.List3.add("x");
        m.Text13.setText("log");
        m.memory.EnterintoMEMory(3, "12");
    };
    auto isReset = [&] {
        return source.lineCount() == 0 && m.cpu.RegisterA.text() == "00" && m.cpu.Text2.text() == "00" &&
               m.cpu.Text4.text() == "0" && m.cpu.SP.text() == "0BBB" && m.options.Check1 == 0 &&
               m.options.Check4 == 1 && m.List3.lines().empty() && m.Text13.text().empty() &&
               m.window.data(3) == "00";
    };
    dirty();
    host.answers = {MsgAnswer::Cancel};
    docs.NewDocument();
    EXPECT_FALSE(isReset());
    EXPECT_EQ(host.messages.at(0).text, "Would you like to save the current project?");
    EXPECT_EQ(host.messages.at(0).defaultButton, MsgAnswer::Cancel);

    host.answers = {MsgAnswer::Yes};
    docs.NewDocument();
    docs.SaveDialog_Cancel();
    EXPECT_FALSE(isReset());

    host.answers = {MsgAnswer::Yes};
    docs.NewDocument();
    host.fileNames.push_back(path("n"));
    docs.SaveDialog_Ok();
    EXPECT_TRUE(isReset());
    EXPECT_TRUE(fs::exists(dir / "n.QSM"));

    dirty();
    host.answers = {MsgAnswer::No};
    docs.NewDocument();
    EXPECT_TRUE(isReset());
}

}  // namespace
}  // namespace korvanta::testing
