#include <random>

#include "documents_fixture.h"

namespace korvanta::testing {
namespace {

using ProjectFileTest = DocumentsTest;

TEST_F(ProjectFileTest, FileFollowsTheRecordTableAndLoadsBackIntoTheCurrentWindow)
{
    m.memory.SetupTheMemoryWindow("2");
    const Lines program{"MVI A,3E", "TAG1: NOP", std::string(48, 'X')};
    for (const std::string& line : program) source.AppendLine(line);
    m.cpu.RegisterB.setText("7");
    m.cpu.Text2.setText("45");
    m.options.Check1_Click(1);
    m.options.Check4.set(0);
    m.memory.EnterintoMEMory(1, "3E");
    m.memory.EnterintoMEMory(2561, "FF");
    const std::string head =
        Texts({"Korvanta"}) + Record(1) + Record(0) + Record(1) + Record(0) +
        Texts({"00", "7", "00", "00", "00", "00", "00", "0BBB", "0000", "45", "###Start###"}) +
        Texts(program) + Texts({"###END###"});
    const std::string memory =
        Texts({"###MEM###", "3E"}) + Texts(Lines(2559, "00")) + Texts({"FF"}) + Texts(Lines(1535, "00"));
    ASSERT_EQ(head.size() + 50, 21u * 50);
    ASSERT_EQ(head.size() + memory.size() + 50, 4118u * 50);
    ASSERT_TRUE(docs.SaveProjectTo(path("p"), true));
    EXPECT_EQ(ReadFile(dir / "p.QSM"), head + memory + Texts({"END"}));
    EXPECT_TRUE(m.document.ProjectNamed == kTrue && m.document.DocumentSaved == kTrue);

    host.answers.push_back(MsgAnswer::No);
    docs.NewDocument();  // back to defaults, the window on the 0000 block
    ASSERT_TRUE(docs.OpenProjectFrom(path("p.QSM")));
    EXPECT_EQ(source.lines(), program);
    EXPECT_EQ(m.cpu.Text4.text() + m.cpu.Text5.text() + m.cpu.Text9.text() + m.cpu.Text11.text(), "0111");
    EXPECT_EQ(m.window.address(1) + m.window.data(1) + m.window.address(2561) + m.window.data(2561),
              "00003E0A00FF");
    EXPECT_EQ(m.document.DocumentSaved, kFalse);
    ASSERT_TRUE(docs.SaveProjectTo(path("p.QSM"), false));  // everything came back; no stale tail stays
    EXPECT_EQ(ReadFile(dir / "p.QSM"), head + Texts({"END"}));
}

// Writes half of what it is given, then fails as a full disk does.
class FullDisk : public DiskFileStore {
    void writeChunk(std::ostream& out, const char* data, std::size_t size) override
    {
        out.write(data, static_cast<std::streamsize>(size / 2));
        throw SysError{"Disk full", 61};
    }
};

TEST_F(ProjectFileTest, FailedSavesLeaveTheOldFileAndTheDocumentAsTheyWere)
{
    write("old.QSM", "precious bytes");
    auto failed = [&](bool saved, const std::string& error) {
        EXPECT_FALSE(saved) << error;
        EXPECT_EQ(host.messageTexts(), Lines{"Ombrix Korvanta Saving Error\r\n\r\nA fatal error has occured "
                                             "while trying to save your program.  The error registers:\r\n" +
                                             error});
        host.messages.clear();
        EXPECT_EQ(ReadFile(dir / "old.QSM"), "precious bytes") << error;
        for (const auto& e : fs::directory_iterator(dir)) EXPECT_EQ(e.path().filename(), "old.QSM") << error;
    };
    source.AppendLine(std::string(49, 'A'));
    failed(docs.SaveProjectTo(path("old"), false), "Bad record length(SYS59)");
    source.Clear();
    FullDisk full;
    docs.setFileStore(full);
    failed(docs.SaveProjectTo(path("old"), true), "Disk full(SYS61)");
    failed(docs.ExportProgramAndStatesTo(path("old.QSM")), "Disk full(SYS61)");
    DiskFileStore disk;
    docs.setFileStore(disk);
    fs::permissions(dir / "old.QSM", fs::perms::owner_read);
    failed(docs.SaveProjectTo(path("old"), false), "Path/File access error(SYS75)");
    failed(docs.SaveProjectTo(path("missing/p"), false), "Path not found(SYS76)");
    EXPECT_TRUE(m.document.ProjectNamed == kFalse && m.document.ProjectFileName.empty());
}

TEST_F(ProjectFileTest, MalformedFilesEndTheLoadWithACriticalMessage)
{
    source.AppendLine("NOP");
    ASSERT_TRUE(docs.SaveProjectTo(path("good"), true));  // 17: NOP, 18: end mark, 19: memory mark
    const std::string good = ReadFile(dir / "good.QSM");
    auto with = [&](int n, const std::string& record) {
        return std::string(good).replace(n * 50 - 50, 50, record);
    };
    std::minstd_rand random(8085);
    std::string noise(700, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string notOurs = "Application-defined or object-defined error",
                      past = "Input past end of file";
    const struct {
        const char* name;
        std::string bytes, message;  // no message: loads the program and leaves the memory alone
    } cases[] = {
        {"empty file", "", notOurs},
        {"random bytes", noise, notOurs},
        {"wrong identification", with(1, Texts({"Korvantb"})), notOurs},
        {"option out of range", with(3, Record(7)), "Invalid property value"},
        {"length above 48", with(17, Record(49, "NOP")), "Bad record length"},
        {"negative length", with(17, Record(-1, "NOP")), "Bad record length"},
        {"truncated in a record", good.substr(0, 16 * 50 + 3), past},
        {"truncated in memory", good.substr(0, 30 * 50), past},
        {"end mark missing", with(18, Texts({"###ENDX##"})), past},
        {"memory mark missing", with(19, Texts({"###MEX###"})), ""},
        {"ends after the end mark", good.substr(0, 18 * 50), ""},
        {"short last record", good.substr(0, 18 * 50) + Texts({"END"}).substr(0, 5), ""},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        m.memory.EnterintoMEMory(1, "77");
        write("bad.QSM", c.bytes);
        EXPECT_EQ(docs.OpenProjectFrom(path("bad.QSM")), c.message.empty()) << c.name;
        EXPECT_EQ(host.messageTexts(), c.message.empty() ? Lines{} : Lines{c.message}) << c.name;
        EXPECT_TRUE(host.messages.empty() || host.messages[0].icon == MsgIcon::Critical) << c.name;
        EXPECT_TRUE(m.view.memoryViewVisible.get()) << c.name;
        EXPECT_TRUE(!c.message.empty() || (source.lines() == Lines{"NOP"} && m.window.data(1) == "77"))
            << c.name;
    }
}

}  // namespace
}  // namespace korvanta::testing
