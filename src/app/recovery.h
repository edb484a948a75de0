#pragma once

// A copy of the unsaved project in the user's data folder, so that a crash, a
// kill or a power cut costs at most the last half minute of work.
//
// Every running window keeps its own copy, next to a lock file that it holds
// locked while it runs. The system drops such a lock however the process ends,
// so a copy whose lock is free was left by a session that did not end
// normally, and the next start offers it back.

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "documents/file_store.h"

namespace korvanta {
class Simulator;
}

namespace korvanta::app {

// No Q_OBJECT: it has no signals of its own, and the moc code of the window's
// library is one object file, which would pull every widget into the small
// test driver that is started a hundred times.
class RecoveryKeeper : public QObject {
public:
    static constexpr std::chrono::milliseconds kInterval{30000};

    // "recovery" in the user's data folder.
    static QString defaultFolder();
    // kInterval, or the milliseconds in KORVANTA_AUTOSAVE_MS (for tests, which
    // cannot wait half a minute).
    static std::chrono::milliseconds defaultInterval();

    // Takes this session's lock in folder (made if missing). Without the lock,
    // for instance in a folder that cannot be written, the keeper does nothing.
    RecoveryKeeper(Simulator& sim, const QString& folder, std::chrono::milliseconds interval,
                   QObject* parent = nullptr);
    // A normal end: the copy is not needed any more.
    ~RecoveryKeeper() override;
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    bool active() const { return lockFd_ >= 0; }
    QString copyPath() const { return copyPath_; }

    // At start-up: goes through the copies that sessions which ended abnormally
    // left behind, newest first. A copy that cannot be read is reported and set
    // aside. For the others ask(time written) decides: true loads the copy as a
    // new unsaved project, which then becomes this session's copy, and ends the
    // search; false sets the copy aside. Copies of running windows are left
    // alone. Returns whether a copy was restored.
    using Ask = std::function<bool(const QDateTime& written)>;
    using Report = std::function<void(const QString& text)>;
    bool offerRestore(const Ask& ask, const Report& report);

    // Told true before a restore opens a copy and false after it.
    std::function<void(bool)> onRestoring;

    // Autosave from now on: every interval while there are unsaved changes.
    void start();
    // From now on a fatal signal (a crash, an abort, a termination request)
    // writes the project as it was at the last look, before the process ends.
    void installCrashHandler();

    // Brings the copy on disk up to date now when there are unsaved changes,
    // and removes it when there are none. Returns whether it was written.
    bool saveNow();
    // Only takes a fresh look for the crash handler; nothing is written.
    void refreshCrashCopy();

private:
    void tick();
    // The project as the recovery copy holds it, or false when it cannot be
    // built now (a run in progress, a text too long for its record).
    bool buildBytes(std::string& bytes);
    void discardCopy();

    Simulator& sim_;
    QString folder_;
    QString session_;
    QString copyPath_;
    QString lockPath_;
    int lockFd_ = -1;
    std::chrono::milliseconds interval_;
    QTimer timer_;
    QElapsedTimer sinceWrite_;
    std::string written_;  // what the copy on disk holds; empty when there is none
    bool busy_ = false;
    bool crashHandler_ = false;
    // The simulator may outlive this keeper (a test makes several for one),
    // or go first: what the keeper connects to it checks this.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    DiskFileStore store_;
};

}  // namespace korvanta::app
