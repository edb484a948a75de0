#include "documents/project_file.h"
#include "documents_fixture.h"

namespace korvanta::testing {
namespace {

const std::string kSavingError =
    "Ombrix Korvanta Saving Error\r\n\r\nA fatal error has occured while trying to save your program.  "
    "The error registers:\r\n";

using ProjectFileTest = DocumentsTest;

TEST_F(ProjectFileTest, ThreeLinesWithoutMemoryAreTwentyOneRecords)
{
    program({"MVI A,3E", "TAG1: NOP", "HLT"});
    m.cpu.RegisterB.setText("7");
    m.options.Check1_Click(1);
    ASSERT_TRUE(docs.SaveProjectTo(path("p"), false));

    std::string expected = TextRecord("Korvanta") + IntRecord(1) + IntRecord(0) + IntRecord(1) + IntRecord(1) +
                           TextRecord("00") + TextRecord("7");
    for (int i = 0; i < 5; ++i) expected += TextRecord("00");
    expected += TextRecord("0BBB") + TextRecord("0000") + TextRecord("00") + TextRecord("###Start###") +
                TextRecord("MVI A,3E") + TextRecord("TAG1: NOP") + TextRecord("HLT") + TextRecord("###END###") +
                TextRecord("END");
    EXPECT_EQ(expected.size(), 1050u);
    EXPECT_EQ(ReadFile(dir / "p.QSM"), expected);
    EXPECT_EQ(m.document.ProjectFileName, path("p.QSM"));
    EXPECT_EQ(m.document.ProjectNamed, kTrue);
    EXPECT_EQ(m.document.DocumentSaved, kTrue);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ProjectFileTest, MemorySectionHoldsAll4096Rows)
{
    program({"MVI A,3E", "NOP", "HLT"});
    m.memory.EnterintoMEMory(1, "3E");
    m.memory.EnterintoMEMory(4096, "FF");
    ASSERT_TRUE(docs.SaveProjectTo(path("p.QSM"), true));

    std::string expected = DefaultHeader() + TextRecord("MVI A,3E") + TextRecord("NOP") + TextRecord("HLT") +
                           TextRecord("###END###") + TextRecord("###MEM###") + TextRecord("3E");
    for (int n = 2; n < 4096; ++n) expected += TextRecord("00");
    expected += TextRecord("FF") + TextRecord("END");
    EXPECT_EQ(expected.size(), 4118u * 50);
    EXPECT_EQ(ReadFile(dir / "p.QSM"), expected);
}

TEST_F(ProjectFileTest, RoundTripRestoresFieldsOptionsLinesAndMemory)
{
    program({"LXI H,2050", std::string(48, 'X').c_str()});
    m.cpu.RegisterA.setText("3E");
    m.cpu.RegisterL.setText("9,");
    m.cpu.SP.setText("0ABC");
    m.cpu.PC.setText("0003");
    m.cpu.Text2.setText("45");
    m.options.Check2_Click(1);
    m.options.Check4.set(0);
    m.memory.EnterintoMEMory(17, "C3");
    ASSERT_TRUE(docs.SaveProjectTo(path("r"), true));

    host.answers.push_back(MsgAnswer::No);
    docs.NewDocument();  // everything back to defaults
    ASSERT_EQ(m.window.data(17), "00");
    ASSERT_TRUE(docs.OpenProjectFrom(path("r.QSM")));

    EXPECT_EQ(source.lines(), (std::vector<std::string>{"LXI H,2050", std::string(48, 'X')}));
    EXPECT_EQ(m.cpu.RegisterA.text(), "3E");
    EXPECT_EQ(m.cpu.RegisterL.text(), "9,");
    EXPECT_EQ(m.cpu.SP.text(), "0ABC");
    EXPECT_EQ(m.cpu.PC.text(), "0003");
    EXPECT_EQ(m.cpu.Text2.text(), "45");
    // The bits followed the flag value: Z, P and CY.
    EXPECT_EQ(m.cpu.Text5.text() + m.cpu.Text9.text() + m.cpu.Text11.text() + m.cpu.Text4.text(), "1110");
    EXPECT_EQ(std::vector<int>({m.options.Check1, m.options.Check2, m.options.Check3, m.options.Check4}),
              std::vector<int>({0, 1, 1, 0}));
    EXPECT_EQ(m.window.data(17), "C3");
    EXPECT_TRUE(m.view.memoryViewVisible.get());
    EXPECT_EQ(m.document.DocumentSaved, kFalse);
}

TEST_F(ProjectFileTest, MemoryFromAnotherBlockLoadsIntoTheCurrentWindow)
{
    m.window.windowDigit.set("2");
    m.memory.SetupTheMemoryWindow("2");
    m.memory.EnterintoMEMory(1, "AA");
    m.memory.EnterintoMEMory(2561, "BB");
    ASSERT_TRUE(docs.SaveProjectTo(path("b"), true));
    m.window.windowDigit.set("0");
    m.memory.SetupTheMemoryWindow("0");

    int hiddenWrites = 0;
    m.window.rowReplaced.connect([&](int) { hiddenWrites += !m.view.memoryViewVisible.get(); });
    ASSERT_TRUE(docs.OpenProjectFrom(path("b.QSM")));
    EXPECT_EQ(m.window.address(1) + m.window.data(1), "0000AA");
    EXPECT_EQ(m.window.address(2561) + m.window.data(2561), "0A00BB");
    EXPECT_EQ(hiddenWrites, 4096);
}

TEST_F(ProjectFileTest, OpeningWithoutMemoryLeavesTheWindowAlone)
{
    ASSERT_TRUE(docs.SaveProjectTo(path("n"), false));
    m.memory.EnterintoMEMory(9, "77");
    ASSERT_TRUE(docs.OpenProjectFrom(path("n.QSM")));
    EXPECT_EQ(m.window.data(9), "77");
}

TEST_F(ProjectFileTest, LineOf49CharactersFailsAndKeepsTheOldFile)
{
    WriteFile(dir / "old.QSM", "precious bytes");
    source.AppendLine(std::string(49, 'A'));
    m.document.DocumentSaved = kFalse;
    EXPECT_FALSE(docs.SaveProjectTo(path("old.QSM"), false));
    ASSERT_EQ(host.messageTexts(), std::vector<std::string>{kSavingError + "Bad record length(SYS59)"});
    EXPECT_EQ(host.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(host.messages[0].title, "Korvanta");
    EXPECT_EQ(ReadFile(dir / "old.QSM"), "precious bytes");
    EXPECT_EQ(m.document.ProjectNamed, kFalse);
    EXPECT_EQ(m.document.DocumentSaved, kFalse);
    EXPECT_TRUE(m.document.ProjectFileName.empty());
}

// Writes half of what it is given, then fails as a full disk does.
class FullDisk : public DiskFileStore {
protected:
    void writeChunk(std::ostream& out, const char* data, std::size_t size) override
    {
        out.write(data, static_cast<std::streamsize>(size / 2));
        throw SysError{"Disk full", 61};
    }
};

TEST_F(ProjectFileTest, FailedWritesNeverTouchTheExistingFile)
{
    program({"NOP"});
    ASSERT_TRUE(docs.SaveProjectTo(path("keep"), true));
    const std::string before = ReadFile(dir / "keep.QSM");
    fs::permissions(dir / "keep.QSM", fs::perms::owner_read);
    EXPECT_FALSE(docs.SaveProjectTo(path("keep"), false));  // a protected file is not replaced
    fs::permissions(dir / "keep.QSM", fs::perms::owner_read | fs::perms::owner_write);

    FullDisk full;
    docs.setFileStore(full);
    EXPECT_FALSE(docs.SaveProjectTo(path("keep"), false));
    EXPECT_FALSE(docs.ExportProgramOnlyTo(path("keep.QSM")));
    EXPECT_EQ(host.messageTexts(), (std::vector<std::string>{kSavingError + "Path/File access error(SYS75)",
                                                             kSavingError + "Disk full(SYS61)",
                                                             kSavingError + "Disk full(SYS61)"}));
    EXPECT_EQ(ReadFile(dir / "keep.QSM"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "temporary left";
}

TEST_F(ProjectFileTest, UnwritablePlacesGiveTheSavingError)
{
    WriteFile(dir / "plain", "x");
    fs::create_directory(dir / "folder.QSM");
    const std::pair<std::string, std::string> cases[] = {
        {path("missing/p"), "Path not found(SYS76)"},
        {path("plain/p"), "Path not found(SYS76)"},
        {path("folder"), "Path/File access error(SYS75)"},
    };
    for (const auto& [name, error] : cases) {
        host.messages.clear();
        EXPECT_FALSE(docs.SaveProjectTo(name, false)) << name;
        EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kSavingError + error}) << name;
    }
}

TEST_F(ProjectFileTest, ShorterSaveLeavesNoStaleRecords)
{
    program({"NOP", "HLT"});
    ASSERT_TRUE(docs.SaveProjectTo(path("s"), true));
    source.Clear();
    ASSERT_TRUE(docs.SaveProjectTo(path("s"), false));
    EXPECT_EQ(ReadFile(dir / "s.QSM"), DefaultHeader() + TextRecord("###END###") + TextRecord("END"));
}

TEST_F(ProjectFileTest, QsmSuffixIsAppendedUnlessTheNameEndsWithIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain.QSM"}, {"done.QSM", "done.QSM"}, {"low.qsm", "low.qsm.QSM"}, {"x.QSMy", "x.QSMy.QSM"}};
    for (const auto& [given, used] : cases) {
        docs.ShowSaveDialog();
        docs.Option2_Click();
        host.fileNames.push_back(path(given));
        docs.SaveDialog_Ok();
        EXPECT_EQ(m.document.ProjectFileName, path(used));
        EXPECT_TRUE(fs::exists(dir / used)) << used;
        host.fileNames.push_back(path(given));
        EXPECT_TRUE(host.messages.empty());
        docs.OpenDocument();
        EXPECT_TRUE(host.messages.empty()) << given;
    }
    const FileDialogRequest& open = host.fileDialogs.back();
    EXPECT_EQ(open.title + open.filter + open.defaultExtension + open.initialName, "Ombrix Korvanta*.QSMQSM*.QSM");
    docs.OpenDocument();  // cancelled
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ProjectFileTest, MalformedFilesEndTheLoadWithAMessage)
{
    const std::string lines = DefaultHeader() + TextRecord("NOP");
    const std::string mem = lines + TextRecord("###END###") + TextRecord("###MEM###") + TextRecord("3E");
    std::string tooLong = TextRecord("NOP"), negative = tooLong, promised = TextRecord("ABCDEFGHIJ");
    tooLong[0] = 49;
    negative[0] = negative[1] = '\xFF';
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;  // empty: loads without one
    };
    const Case cases[] = {
        {"empty file", "", "Application-defined or object-defined error"},
        {"wrong identification", TextRecord("Korvantb") + IntRecord(0), "Application-defined or object-defined error"},
        {"length above 48", lines + tooLong, "Bad record length"},
        {"negative length", lines + negative, "Bad record length"},
        {"length beyond the data", lines + promised.substr(0, 8), "Input past end of file"},
        {"ends before the end mark", lines, "Input past end of file"},
        {"ends inside memory", mem, "Input past end of file"},
        {"option out of range", TextRecord("Korvanta") + IntRecord(7), "Invalid property value"},
        {"short last record with its data", lines + TextRecord("###END###") + TextRecord("END").substr(0, 5), ""},
        {"ends after the end mark", lines + TextRecord("###END###"), ""},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        WriteFile(dir / "bad.QSM", c.bytes);
        EXPECT_EQ(docs.OpenProjectFrom(path("bad.QSM")), c.message.empty()) << c.name;
        if (c.message.empty()) {
            EXPECT_TRUE(host.messages.empty()) << c.name;
            EXPECT_EQ(source.lines(), std::vector<std::string>{"NOP"}) << c.name;
            continue;
        }
        ASSERT_EQ(host.messages.size(), 1u) << c.name;
        EXPECT_EQ(host.messages[0].text, c.message) << c.name;
        EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical) << c.name;
        EXPECT_TRUE(m.view.memoryViewVisible.get()) << c.name;
    }
    host.messages.clear();
    EXPECT_FALSE(docs.OpenProjectFrom(path("absent.QSM")));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"File not found"});
}

}  // namespace
}  // namespace korvanta::testing
