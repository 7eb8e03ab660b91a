// A desktop's StatusNotifierWatcher, with a host registered: what a panel
// offers that Qt looks for before it shows a tray icon as a
// StatusNotifierItem. It runs on a thread of its own with a connection of
// its own, so that the tests' thread, where the items live, can wait for
// it without stalling it.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMutex>
#include <QObject>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

class StatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit StatusNotifierWatcher(const QDBusConnection& bus);

    // "service/path" of each item, as the property has them.
    QStringList registeredItems() const;
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    // The unique bus name that registered each item, by item.
    QString registrant(const QString& item) const;

    // The watcher leaves the bus and comes back, as when the panel restarts.
    Q_INVOKABLE void restart();

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message);
    void RegisterStatusNotifierHost(const QString& service);

private Q_SLOTS:
    // Every name's news, heard from the start: an item that goes at once
    // after it registered is not missed.
    void ownerChanged(const QString& name, const QString& before, const QString& now);

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();

private:
    void serviceGone(const QString& service);

    QDBusConnection bus_;
    mutable QMutex mutex_;
    QStringList items_;
    QStringList registrants_;
};

// The watcher's thread: start() returns once it is on the bus.
class WatcherThread : public QThread {
public:
    explicit WatcherThread(const QString& address) : address_(address) {}
    bool startOnBus();
    StatusNotifierWatcher* watcher() const { return watcher_; }
    void stop();

protected:
    void run() override;

private:
    QString address_;
    QSemaphore ready_;
    bool registered_ = false;
    StatusNotifierWatcher* watcher_ = nullptr;
};
