#include "app/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "documents/documents.h"

namespace korvanta::app {

namespace {

const QString kKey = QStringLiteral("recentFiles");

}  // namespace

RecentFiles::RecentFiles(QSettings& settings, QObject* parent) : QObject(parent), settings_(settings) {}

void RecentFiles::store(const QStringList& files)
{
    settings_.setValue(kKey, files);
    settings_.sync();
}

void RecentFiles::add(const QString& fileName)
{
    if (fileName.isEmpty()) return;
    const QString path = QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
    QStringList list = settings_.value(kKey).toStringList();
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kMaximum) list.removeLast();
    store(list);
}

void RecentFiles::clear()
{
    store({});
}

QStringList RecentFiles::files()
{
    const QStringList remembered = settings_.value(kKey).toStringList();
    QStringList existing;
    for (const QString& path : remembered)
        if (QFileInfo(path).isFile()) existing << path;
    if (existing != remembered) store(existing);
    return existing;
}

void RecentFiles::follow(Documents& documents)
{
    auto remember = [this, alive = std::weak_ptr<int>(alive_)](const std::string& name) {
        if (!alive.expired() && !paused_) add(QString::fromStdString(name));
    };
    documents.projectOpened.connect(remember);
    documents.projectSaved.connect(remember);
}

QMenu* RecentFiles::createMenu(QWidget* parent)
{
    auto* menu = new QMenu(tr("Open &Recent"), parent);
    menu->setObjectName(QStringLiteral("menuOpenRecent"));
    // Filled on every showing, so that files deleted meanwhile are gone.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillMenu(menu); });
    fillMenu(menu);
    return menu;
}

QMenu* RecentFiles::addMenuTo(QMenu* fileMenu, QAction* before)
{
    QMenu* menu = createMenu(fileMenu);
    fileMenu->insertMenu(fileMenu->actions().contains(before) ? before : nullptr, menu);
    return menu;
}

void RecentFiles::fillMenu(QMenu* menu)
{
    menu->clear();
    const QStringList list = files();
    for (int i = 0; i < list.size(); ++i) {
        const QString path = list[i];
        // The number is the entry's access key; the folder shows in the tooltip.
        QAction* action =
            menu->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(QFileInfo(path).fileName()));
        action->setToolTip(QDir::toNativeSeparators(path));
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { Q_EMIT openRequested(path); });
    }
    menu->addSeparator();
    QAction* clearAction = menu->addAction(tr("&Clear Menu"));
    clearAction->setObjectName(QStringLiteral("actionClearRecent"));
    clearAction->setEnabled(!list.isEmpty());
    connect(clearAction, &QAction::triggered, this, [this] { clear(); });
    menu->setEnabled(true);
}

}  // namespace korvanta::app
