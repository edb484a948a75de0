#include "documents_fixture.h"

namespace korvanta::testing {
namespace {

using LifecycleTest = DocumentsTest;
using enum MsgAnswer;

std::vector<int> Options(const SaveDialogState& d) { return {d.Option1, d.Option2, d.Option3, d.Option4}; }

TEST_F(LifecycleTest, CurrentLocationIsOfferedOnlyForAChangedNamedProjectAndOneChoiceStaysSelected)
{
    // Named, saved, and whether "Save the program to the current location." is offered.
    for (auto [named, saved, offered] : {std::tuple{kFalse, kFalse, false}, std::tuple{kFalse, kTrue, false},
                                         std::tuple{kTrue, kTrue, false}, std::tuple{kTrue, kFalse, true}}) {
        m.document.ProjectNamed = named;
        m.document.DocumentSaved = saved;
        docs.ShowSaveDialog();
        EXPECT_EQ(docs.saveDialog.Option1Enabled.get(), offered) << named << saved;
        EXPECT_EQ(Options(docs.saveDialog), (std::vector<int>{offered, !offered, 0, 0})) << named << saved;
        docs.SaveDialog_Cancel();
    }
    docs.ShowSaveDialog();
    const std::pair<void (Documents::*)(), std::vector<int>> clicks[] = {
        {&Documents::Option3_Click, {0, 0, 1, 0}}, {&Documents::Option1_Click, {1, 0, 0, 0}},
        {&Documents::Option4_Click, {0, 0, 0, 1}}, {&Documents::Option2_Click, {0, 1, 0, 0}}};
    for (const auto& [click, selected] : clicks) {
        (docs.*click)();
        EXPECT_EQ(Options(docs.saveDialog), selected);
    }
}

TEST_F(LifecycleTest, DialogSaveAppendsQsmUnlessTheNameEndsWithIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a", "a.QSM"}, {"b.QSM", "b.QSM"}, {"c.qsm", "c.qsm.QSM"}, {"dQSM", "dQSM.QSM"},
        {"e.QSMf", "e.QSMf.QSM"}};
    for (const auto& [given, used] : cases) {
        saveDialogOk(&Documents::Option2_Click, path(given), 1);
        EXPECT_EQ(m.document.ProjectFileName, path(used));
        EXPECT_EQ(fs::file_size(dir / used), 4115u * 50) << used;  // with the memory rows
    }
    const FileDialogRequest& r = host.fileDialogs.at(0);
    EXPECT_EQ(r.title + "|" + r.filter + "|" + r.defaultExtension + "|" + r.initialName,
              "Ombrix Korvanta|*.QSM|QSM|Untitled1.QSM");
}

TEST_F(LifecycleTest, NewAndExitAskAndGoAheadOnlyWhenNothingIsLost)
{
    m.document.DocumentSaved = kTrue;
    EXPECT_TRUE(docs.Form_QueryUnload());
    EXPECT_TRUE(host.messages.empty());
    const auto option2 = &Documents::Option2_Click, option4 = &Documents::Option4_Click;
    const struct {
        const char* name;
        bool exit;  // else New
        MsgAnswer answer;
        void (Documents::*option)();  // none: the save dialog's Cancel
        std::optional<std::string> file;
        bool goesAhead;  // the program ends or the project is reset
    } cases[] = {
        {"exit, Cancel", true, Cancel, nullptr, {}, false},
        {"exit, dialog cancelled", true, Yes, nullptr, {}, false},
        {"exit, file dialog cancelled", true, Yes, option2, std::nullopt, false},
        {"exit, blank file name", true, Yes, option2, "   ", false},
        {"exit, save fails", true, Yes, option2, path("missing/e"), false},
        {"exit, export is no save", true, Yes, option4, path("e.txt"), false},
        {"exit, saved", true, Yes, option2, path("e"), true},
        {"exit, No", true, No, nullptr, {}, true},
        {"new, Cancel", false, Cancel, nullptr, {}, false},
        {"new, dialog cancelled", false, Yes, nullptr, {}, false},
        {"new, saved", false, Yes, option2, path("n"), true},
        {"new, No", false, No, nullptr, {}, true},
    };
    for (const auto& c : cases) {
        source.AppendLine("NOP");
        m.cpu.RegisterA.setText("3E");
        m.memory.EnterintoMEMory(3, "12");
        m.document.DocumentSaved = kFalse;
        quits = 0;
        host.answers = {c.answer};
        const bool endsNow = c.exit ? docs.Form_QueryUnload() : (docs.NewDocument(), false);
        const MessageRequest& q = host.messages.back();
        EXPECT_EQ(q.text, c.exit ? "Would you like to save the current project before exiting?"
                                 : "Would you like to save the current project?");
        EXPECT_TRUE(q.title == "Ombrix Korvanta" && q.icon == MsgIcon::Question &&
                    q.buttons == MsgButtons::YesNoCancel && q.defaultButton == Cancel);
        EXPECT_EQ(docs.saveDialog.open.get() && !m.view.mainWindowEnabled.get(), c.answer == Yes) << c.name;
        if (c.option) saveDialogOk(c.option, c.file);
        else if (c.answer == Yes) docs.SaveDialog_Cancel();
        EXPECT_TRUE(m.view.mainWindowEnabled.get() && !docs.saveDialog.open.get()) << c.name;
        EXPECT_EQ(endsNow, c.exit && c.answer == No) << c.name;
        EXPECT_EQ(quits, c.exit && c.goesAhead) << c.name;
        const bool reset =
            source.lineCount() == 0 && m.cpu.RegisterA.text() == "00" && m.window.data(3) == "00";
        EXPECT_EQ(reset, !c.exit && c.goesAhead) << c.name;
        EXPECT_TRUE(!c.exit || c.goesAhead || m.document.ExitAfterSave == kFalse) << c.name;
    }
}

}  // namespace
}  // namespace korvanta::testing
