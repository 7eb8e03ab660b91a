#include "status_notifier_watcher.h"

#include <QMutexLocker>

namespace {
const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kConnectionName = QStringLiteral("cw-test-watcher");
}  // namespace

StatusNotifierWatcher::StatusNotifierWatcher(const QDBusConnection& bus) : bus_(bus) {
    bus_.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                 SLOT(ownerChanged(QString, QString, QString)));
}

void StatusNotifierWatcher::ownerChanged(const QString& name, const QString&, const QString& now) {
    if (now.isEmpty()) serviceGone(name);
}

QStringList StatusNotifierWatcher::registeredItems() const {
    QMutexLocker lock(&mutex_);
    return items_;
}

QString StatusNotifierWatcher::registrant(const QString& item) const {
    QMutexLocker lock(&mutex_);
    qsizetype at = items_.indexOf(item);
    return at < 0 ? QString() : registrants_[at];
}

// As the desktops do: a service name with the usual path, or a path on the
// caller's own connection.
void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    QString name = service, path = QStringLiteral("/StatusNotifierItem");
    if (service.startsWith(QLatin1Char('/'))) {
        name = message.service();
        path = service;
    }
    QString item = name + path;
    {
        QMutexLocker lock(&mutex_);
        if (items_.contains(item)) return;
        items_.append(item);
        registrants_.append(message.service());
    }
    Q_EMIT StatusNotifierItemRegistered(item);
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString&) {}

void StatusNotifierWatcher::serviceGone(const QString& service) {
    QStringList gone;
    {
        QMutexLocker lock(&mutex_);
        for (qsizetype i = items_.size() - 1; i >= 0; --i) {
            if (!items_[i].startsWith(service + QLatin1Char('/'))) continue;
            gone.append(items_[i]);
            items_.removeAt(i);
            registrants_.removeAt(i);
        }
    }
    for (const QString& item : gone) Q_EMIT StatusNotifierItemUnregistered(item);
}

void StatusNotifierWatcher::restart() {
    bus_.unregisterService(kWatcherService);
    {
        QMutexLocker lock(&mutex_);
        items_.clear();
        registrants_.clear();
    }
    bus_.registerService(kWatcherService);
}

bool WatcherThread::startOnBus() {
    start();
    ready_.acquire();
    return registered_;
}

void WatcherThread::run() {
    QDBusConnection bus = QDBusConnection::connectToBus(address_, kConnectionName);
    StatusNotifierWatcher watcher(bus);
    registered_ = bus.isConnected() &&
                  bus.registerObject(kWatcherPath, &watcher,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties |
                                         QDBusConnection::ExportAllSignals) &&
                  bus.registerService(kWatcherService);
    watcher_ = &watcher;
    ready_.release();
    if (registered_) exec();
    watcher_ = nullptr;
    bus.unregisterObject(kWatcherPath);
    bus.unregisterService(kWatcherService);
    QDBusConnection::disconnectFromBus(kConnectionName);
}

void WatcherThread::stop() {
    quit();
    wait();
}
