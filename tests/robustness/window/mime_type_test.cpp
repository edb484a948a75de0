// The project file type as the desktop sees it, from packaging/korvanta-mime.xml: by name in
// either case, and by the first record whatever the name.

#include <QMimeDatabase>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(ProjectMimeType, NamesAndTheFirstRecordAreRecognised)
{
    // Before the first QMimeDatabase of this process, which reads the folders once.
    const fs::path data = fs::temp_directory_path() / ("korvanta-mime-test-" + std::to_string(getpid()));
    fs::create_directories(data / "mime" / "packages");
    fs::copy_file(KORVANTA_PACKAGING_DIR "/korvanta-mime.xml", data / "mime" / "packages" / "korvanta.xml",
                  fs::copy_options::overwrite_existing);
    const char* const previous = std::getenv("XDG_DATA_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_DATA_HOME", data.c_str(), 1);

    QMimeDatabase db;
    const QString project = QStringLiteral("application/x-korvanta-project");
    for (const char* name : {"LOOP.QSM", "loop.qsm"})
        EXPECT_EQ(db.mimeTypeForFile(QString::fromLatin1(name), QMimeDatabase::MatchExtension).name(), project)
            << name;

    // The first record: 8 as a little-endian 16-bit length, then the name, padded to 50 bytes.
    const std::string first = std::string("\x08\x00Korvanta", 10) + std::string(40, '\0');
    const struct {
        const char* what;
        std::string bytes;
        bool matches;
    } rows[] = {
        {"a project", first + std::string(50, '\0'), true},
        {"another length", std::string("\x09\x00Korvanta", 10) + std::string(40, '\0'), false},
        {"high length byte", std::string("\x08\x01Korvanta", 10) + std::string(40, '\0'), false},
        {"another name", std::string("\x08\x00Korvantb", 10) + std::string(40, '\0'), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QByteArray bytes(row.bytes.data(), static_cast<qsizetype>(row.bytes.size()));
        EXPECT_EQ(db.mimeTypeForData(bytes).name() == project, row.matches) << db.mimeTypeForData(bytes).name().toStdString();
        EXPECT_EQ(db.mimeTypeForFileNameAndData(QStringLiteral("program.bin"), bytes).name() == project, row.matches);
    }
    fs::remove_all(data);
    if (previous) setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
}

}  // namespace
