#pragma once

// The projects opened or saved lately, newest first, kept in the user's
// settings so that the next start can offer them under File > Open Recent.

#include <QObject>
#include <QStringList>

#include <memory>

class QAction;
class QMenu;
class QSettings;
class QWidget;

namespace korvanta {
class Documents;
}

namespace korvanta::app {

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaximum = 10;

    // The list lives in settings under "recentFiles".
    explicit RecentFiles(QSettings& settings, QObject* parent = nullptr);

    // Puts fileName at the top (as an absolute path), once, and forgets the
    // oldest beyond kMaximum.
    void add(const QString& fileName);
    void clear();
    // The remembered files that still exist; the missing ones are forgotten.
    QStringList files();

    // Every project that documents opens or saves is added, for as long as
    // this list lives.
    void follow(Documents& documents);
    // While paused, follow() adds nothing: a recovery copy is opened like a
    // project but is no file of the user's.
    void setPaused(bool paused) { paused_ = paused; }

    // An "Open Recent" menu that lists the files each time it opens, with a
    // clear entry at the end.
    QMenu* createMenu(QWidget* parent);
    // The same menu put into fileMenu just before the entry before, or at the
    // end when before is not one of its entries.
    QMenu* addMenuTo(QMenu* fileMenu, QAction* before);
    void fillMenu(QMenu* menu);

Q_SIGNALS:
    void openRequested(const QString& fileName);

private:
    void store(const QStringList& files);

    QSettings& settings_;
    bool paused_ = false;
    // What follow() connects holds a weak reference: whichever of this list
    // and the Documents goes first, neither calls into the other afterwards.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace korvanta::app
