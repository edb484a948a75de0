#include "app/recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <memory>
#include <optional>

#include "engine/simulator.h"

namespace korvanta::app {

namespace {

const QString kCopyPrefix = QStringLiteral("recovery-");
const QString kCopySuffix = QStringLiteral(".QSM");
const QString kLockSuffix = QStringLiteral(".lock");

// ---- The crash copy ---------------------------------------------------------
//
// A signal handler may not allocate, lock or touch Qt. So the bytes and the
// file names are prepared beforehand in one of two slots, and the handler only
// reads the slot that g_ready points to, with open, write, fsync and rename.
// The next preparation fills the other slot before it is published, so a
// signal that arrives mid-preparation still finds a whole project.

struct CrashCopy {
    std::string bytes;
    std::string temporary;
    std::string target;
    std::string folder;
};

CrashCopy g_slots[2];
int g_nextSlot = 0;
std::atomic<const CrashCopy*> g_ready{nullptr};
volatile std::sig_atomic_t g_handling = 0;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTERM, SIGHUP, SIGINT, SIGQUIT};
struct sigaction g_previous[std::size(kFatalSignals)];

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Async-signal-safe calls only.
void writeCrashCopy(const CrashCopy& copy)
{
    const int fd = ::open(copy.temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const bool ok = writeAll(fd, copy.bytes.data(), copy.bytes.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(copy.temporary.c_str(), copy.target.c_str()) != 0) {
        ::unlink(copy.temporary.c_str());
        return;
    }
    const int dir = ::open(copy.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

extern "C" void onFatalSignal(int signal)
{
    // A second fault while writing must not loop back in here.
    if (!g_handling) {
        g_handling = 1;
        const int savedErrno = errno;
        if (const CrashCopy* copy = g_ready.load()) writeCrashCopy(*copy);
        errno = savedErrno;
    }
    // SA_RESETHAND has restored the default action; the signal is blocked until
    // this handler returns, and then ends the process as it would have.
    ::raise(signal);
}

void prepareCrashCopy(const std::string& bytes, const QString& target)
{
    CrashCopy& slot = g_slots[g_nextSlot];
    slot.bytes = bytes;
    slot.target = QFile::encodeName(target).toStdString();
    slot.temporary =
        QFile::encodeName(QFileInfo(target).dir().filePath(QLatin1Char('.') + QFileInfo(target).fileName() +
                                                           QStringLiteral(".~crash")))
            .toStdString();
    slot.folder = QFile::encodeName(QFileInfo(target).absolutePath()).toStdString();
    g_ready.store(&slot);
    g_nextSlot ^= 1;
}

// ---- Locks --------------------------------------------------------------------

// An open descriptor holding an exclusive lock on path, or -1 when another
// process holds it (or the file cannot be made).
int takeLock(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class HeldLock {
public:
    explicit HeldLock(QString path) : path_(std::move(path)), fd_(takeLock(path_)) {}
    ~HeldLock()
    {
        if (fd_ < 0) return;
        // Removed while still held, so no other start can take it in between.
        QFile::remove(path_);
        ::close(fd_);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    QString path_;
    int fd_;
};

// ---- Reading a copy without touching the window -------------------------------

// A host for a simulator nobody sees: no dialogs, no changing folders.
class SilentHost : public Host {
public:
    MsgAnswer messageBox(const MessageRequest& request) override { return request.defaultButton; }
    void yield() override {}
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    Printer* printDialog() override { return nullptr; }
    std::string dateTimeText() override { return {}; }
    std::string currentDirectory() override { return QDir::currentPath().toStdString(); }
    bool changeDirectory(const std::string&) override { return true; }
};

// Whether the project reader takes the whole file.
bool readable(const QString& path)
{
    SilentHost host;
    auto scratch = std::make_unique<Simulator>(host);
    scratch->Form_Load();
    return scratch->documents.OpenProjectFrom(QFile::encodeName(path).toStdString());
}

QString sessionOf(const QFileInfo& copy)
{
    return copy.completeBaseName().mid(kCopyPrefix.size());
}

// A name in folder that no file has yet: base, or base-2, base-3...
QString freeName(const QDir& folder, const QString& base)
{
    QString name = base + kCopySuffix;
    for (int i = 2; folder.exists(name); ++i)
        name = QStringLiteral("%1-%2%3").arg(base).arg(i).arg(kCopySuffix);
    return folder.filePath(name);
}

// Temporary files that a session killed mid-write left beside its copy.
void removeLeftovers(QDir& folder, const QString& copyName)
{
    const QStringList leftovers = folder.entryList({QLatin1Char('.') + copyName + QStringLiteral(".~*")},
                                                   QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : leftovers) folder.remove(name);
}

}  // namespace

QString RecoveryKeeper::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

std::chrono::milliseconds RecoveryKeeper::defaultInterval()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("KORVANTA_AUTOSAVE_MS", &ok);
    return ok && ms > 0 ? std::chrono::milliseconds(ms) : kInterval;
}

RecoveryKeeper::RecoveryKeeper(Simulator& sim, const QString& folder, std::chrono::milliseconds interval,
                               QObject* parent)
    : QObject(parent), sim_(sim), folder_(QDir(folder).absolutePath()), interval_(interval)
{
    // The process id tells a person whose copy it is; the random part keeps a
    // reused id from meeting an old copy.
    session_ = QStringLiteral("%1-%2")
                   .arg(QCoreApplication::applicationPid())
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QDir dir(folder_);
    copyPath_ = dir.filePath(kCopyPrefix + session_ + kCopySuffix);
    lockPath_ = dir.filePath(kCopyPrefix + session_ + kLockSuffix);
    if (QDir().mkpath(folder_)) lockFd_ = takeLock(lockPath_);

    // A snapshot for the crash handler every tenth of the interval; the disk is
    // written once per interval.
    timer_.setInterval(std::max(std::chrono::milliseconds(1), interval_ / 10));
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    sim_.documents.projectSaved.connect([this, alive = std::weak_ptr<int>(alive_)](const std::string&) {
        if (!alive.expired()) discardCopy();
    });
}

RecoveryKeeper::~RecoveryKeeper()
{
    timer_.stop();
    if (crashHandler_) {
        g_ready.store(nullptr);
        for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
            ::sigaction(kFatalSignals[i], &g_previous[i], nullptr);
    }
    if (!active()) return;
    discardCopy();
    QFile::remove(lockPath_);
    ::close(lockFd_);
}

void RecoveryKeeper::installCrashHandler()
{
    if (crashHandler_ || !active()) return;
    struct sigaction action = {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
        ::sigaction(kFatalSignals[i], &action, &g_previous[i]);
    crashHandler_ = true;
}

void RecoveryKeeper::start()
{
    if (!active()) return;
    sinceWrite_.start();
    timer_.start();
}

bool RecoveryKeeper::buildBytes(std::string& bytes)
{
    // Building yields to the event loop, where this timer may fire again; and
    // a run changes the memory while it is being read.
    if (busy_ || sim_.machine.run.running) return false;
    busy_ = true;
    try {
        bytes = sim_.documents.ProjectFileBytes(true);
    } catch (const SysError&) {
        busy_ = false;
        return false;
    }
    busy_ = false;
    return true;
}

void RecoveryKeeper::refreshCrashCopy()
{
    if (!active() || sim_.machine.document.DocumentSaved == kTrue) return;
    std::string bytes;
    if (buildBytes(bytes) && crashHandler_) prepareCrashCopy(bytes, copyPath_);
}

bool RecoveryKeeper::saveNow()
{
    if (!active()) return false;
    if (sim_.machine.document.DocumentSaved == kTrue) {
        discardCopy();
        return false;
    }
    std::string bytes;
    if (!buildBytes(bytes)) return false;
    if (crashHandler_) prepareCrashCopy(bytes, copyPath_);
    sinceWrite_.start();
    if (bytes == written_) return false;
    try {
        store_.replaceFile(QFile::encodeName(copyPath_).toStdString(), bytes);
    } catch (const SysError&) {
        return false;  // a full disk: the next interval tries again
    }
    written_ = std::move(bytes);
    return true;
}

void RecoveryKeeper::tick()
{
    if (std::chrono::milliseconds(sinceWrite_.elapsed()) >= interval_)
        saveNow();
    else if (sim_.machine.document.DocumentSaved == kTrue)
        discardCopy();
    else
        refreshCrashCopy();
}

void RecoveryKeeper::discardCopy()
{
    // Nothing left for the crash handler to write either: the work is on disk.
    if (crashHandler_) g_ready.store(nullptr);
    if (!active()) return;
    written_.clear();
    QFile::remove(copyPath_);
}

bool RecoveryKeeper::offerRestore(const Ask& ask, const Report& report)
{
    if (!active()) return false;
    QDir dir(folder_);
    const QFileInfoList copies =
        dir.entryInfoList({kCopyPrefix + QLatin1Char('*') + kCopySuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& copy : copies) {
        const QString session = sessionOf(copy);
        if (session == session_) continue;
        HeldLock lock(dir.filePath(kCopyPrefix + session + kLockSuffix));
        if (!lock.held()) continue;  // a window that is still running
        removeLeftovers(dir, copy.fileName());

        if (!readable(copy.filePath())) {
            const QString aside = freeName(dir, QStringLiteral("damaged-") + session);
            dir.rename(copy.fileName(), aside);
            report(
                QCoreApplication::translate(
                    "RecoveryKeeper",
                    "A recovery copy of an unsaved project could not be read. It has been set aside as %1.")
                    .arg(QDir::toNativeSeparators(aside)));
            continue;
        }
        const QDateTime written = copy.lastModified();
        if (!ask(written)) {
            dir.rename(copy.fileName(),
                       freeName(dir, QStringLiteral("set-aside-%1-%2")
                                         .arg(session, written.toString(QStringLiteral("yyyyMMdd-HHmmss")))));
            continue;
        }

        if (onRestoring) onRestoring(true);
        const bool opened = sim_.documents.OpenProjectFrom(QFile::encodeName(copy.filePath()).toStdString());
        if (onRestoring) onRestoring(false);
        if (!opened) continue;  // it read a moment ago; the user has seen the reader's message
        // The copy's name is no place to save the user's work: Save asks for one.
        DocumentState& document = sim_.machine.document;
        document.ProjectFileName.clear();
        document.ProjectNamed = kFalse;
        document.DocumentSaved = kFalse;
        // Ours from now on; the old copy goes only once this one is written.
        if (saveNow() || !written_.empty()) dir.remove(copy.fileName());
        return true;
    }
    // Locks of sessions that ended before they had anything to keep.
    for (const QString& name : dir.entryList({kCopyPrefix + QLatin1Char('*') + kLockSuffix}, QDir::Files)) {
        if (dir.exists(name.chopped(kLockSuffix.size()) + kCopySuffix)) continue;
        HeldLock stale(dir.filePath(name));
    }
    return false;
}

}  // namespace korvanta::app
