#include "bridge/librecad/QuendraPlugin.h"

#include "bridge/librecad/Bridge.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace bridge {

namespace {

const QString toggleEntry = QStringLiteral("Quendra_LT 連携");
const QString drawEntry = QStringLiteral("Quendra_LT 作図");
const QString wallsEntry = QStringLiteral("Quendra_LT 壁に納める");

// LibreCAD makes one action per menu entry, as a child of the plugin, with the entry's name as data.
QAction *actionOf(const QObject *plugin, const QString &entry)
{
    for (QAction *a : plugin->findChildren<QAction *>())
        if (a->data().toString() == entry) return a;
    return nullptr;
}

// LibreCAD's first window takes a size of its own (1024 pixels square), taller than many
// screens: started for the assistant, it is fitted into the screen so that its status bar and
// command line stay in sight, again once the window manager has framed it.
void keepOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen || window->isMaximized() || window->isFullScreen()) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const int sides = frame.width() - window->width(), bars = frame.height() - window->height();
    const QSize size(std::min(window->width(), area.width() - sides),
                     std::min(window->height(), area.height() - bars));
    if (size != window->size()) window->resize(size);
    const int x = std::max(area.left(), std::min(frame.x(), area.right() + 1 - size.width() - sides));
    const int y = std::max(area.top(), std::min(frame.y(), area.bottom() + 1 - size.height() - bars));
    if (x != frame.x() || y != frame.y()) window->move(x, y);
}

} // namespace

QuendraPlugin::QuendraPlugin()
{
    // The actions exist once LibreCAD has read the capabilities. The draw entry is not for
    // users: taken out of the menu, it stays enabled for the bridge to trigger.
    QTimer::singleShot(0, this, [this] {
        if (QAction *draw = actionOf(this, drawEntry))
            for (QWidget *w : draw->associatedWidgets())
                w->removeAction(draw);
        if (QAction *toggle = actionOf(this, toggleEntry)) toggle->setCheckable(true);
        // Fittings go into walls from the start, as in quendra-host.
        if (QAction *walls = actionOf(this, wallsEntry)) {
            walls->setCheckable(true);
            walls->setChecked(true);
        }
        // `make run HOST=librecad` starts LibreCAD with the bridge already on.
        if (qEnvironmentVariable("QUENDRA_BRIDGE") == QStringLiteral("on"))
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<QMainWindow *>(w)) {
                    keepOnScreen(w);
                    QTimer::singleShot(1000, w, [w] { keepOnScreen(w); });
                    bridge()->toggle(w);
                    break;
                }
    });
    // The plugin itself outlives the application: its server and session must not.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { bridge_.reset(); });
}

QuendraPlugin::~QuendraPlugin() = default;

QString QuendraPlugin::name() const
{
    return QStringLiteral("Quendra_LT");
}

PluginCapabilities QuendraPlugin::getCapabilities() const
{
    PluginCapabilities capabilities;
    capabilities.menuEntryPoints << PluginMenuLocation(QStringLiteral("plugins_menu"), toggleEntry)
                                 << PluginMenuLocation(QStringLiteral("plugins_menu"), drawEntry)
                                 << PluginMenuLocation(QStringLiteral("plugins_menu"), wallsEntry);
    return capabilities;
}

void QuendraPlugin::execComm(Document_Interface *doc, QWidget *parent, QString cmd)
{
    if (cmd == toggleEntry)
        bridge()->toggle(parent);
    else if (cmd == drawEntry && bridge_)
        bridge_->serve(doc);
    else if (cmd == wallsEntry)
        bridge()->toggleWalls(parent);
}

Bridge *QuendraPlugin::bridge()
{
    if (!bridge_)
        bridge_ = std::make_unique<Bridge>(actionOf(this, toggleEntry), actionOf(this, drawEntry),
                                           actionOf(this, wallsEntry));
    return bridge_.get();
}

} // namespace bridge
