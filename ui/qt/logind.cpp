// systemd-logind on the system bus: a delay inhibitor lock and the
// PrepareForSleep / PrepareForShutdown signals. The lock is a file
// descriptor that logind hands out; closing it lets the sleep or the
// shutdown go on.
#include "ui/qt/logind.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QtGlobal>

#include "base/texts.h"

namespace {

const char kService[] = "org.freedesktop.login1";
const char kPath[] = "/org/freedesktop/login1";
const char kManager[] = "org.freedesktop.login1.Manager";
// A connection of our own, so that a stop closes it and a start opens a
// fresh one (Qt keeps its shared system bus connection for good, even a
// failed one).
const char kConnection[] = "cellwarden-logind";
// No call to the bus waits longer than this.
const int kCallTimeoutMs = 3000;

const char kWhat[] = "sleep:shutdown";
const char kWho[] = "Cellwarden";

// Debian's libdbus's own default, when DBUS_SYSTEM_BUS_ADDRESS is not set.
const char kDefaultAddress[] = "unix:path=/run/dbus/system_bus_socket";
// How long the bus may take to answer the first line of a connection.
const int kProbeTimeoutMs = 2000;

// How long after the bus closed the watch first tries it again, and at
// most between two tries.
const int kFirstRetryMs = 1000;
const int kLastRetryMs = 60000;

// Receives logind's signals; Qt's D-Bus needs a slot of a QObject for them.
class LogindWatch : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void prepareForSleep(bool start);
    void prepareForShutdown(bool start);
    void ownerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void busClosed();
};

struct State {
    LogindHooks hooks{};
    LogindWatch* watch = nullptr;  // null: not watching
    int lockFd = -1;               // ours, close-on-exec; -1: no lock
    bool sleeping = false;         // between PrepareForSleep(true) and (false)
    bool shuttingDown = false;     // between PrepareForShutdown(true) and (false)
    bool lockWarned = false;       // the refused lock has been told once
};

State state;
// Counts stops: a try planned before a stop is not made after it.
unsigned stops;

QDBusConnection bus() { return QDBusConnection(QString::fromLatin1(kConnection)); }

// One line on standard error, whatever the error text holds.
void sayInOneLine(const char* format, const QString& detail) {
    QString line = detail.simplified();
    std::fprintf(stderr, format, line.toLocal8Bit().constData());
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

QString errorText(const QDBusError& error) {
    if (!error.isValid()) return QStringLiteral("no answer");
    return error.message().isEmpty() ? error.name() : error.name() + QStringLiteral(": ") + error.message();
}

bool noSuchService(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

// Where the first address of the list leads, for unix:path= and
// unix:abstract=; false for anything else.
bool unixSocketOf(const QString& addresses, sockaddr_un& where, socklen_t& length) {
    const QString address = addresses.section(QLatin1Char(';'), 0, 0);
    if (!address.startsWith(QLatin1String("unix:"))) return false;
    QByteArray name;
    bool abstract = false;
    for (const QString& pair : address.mid(5).split(QLatin1Char(','))) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QByteArray value = QByteArray::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toLatin1());
        if (key == QLatin1String("path")) name = value, abstract = false;
        else if (key == QLatin1String("abstract")) name = value, abstract = true;
    }
    const size_t size = static_cast<size_t>(name.size());
    if (size == 0 || size + 1 >= sizeof where.sun_path) return false;
    memset(&where, 0, sizeof where);
    where.sun_family = AF_UNIX;
    memcpy(where.sun_path + (abstract ? 1 : 0), name.constData(), size);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + size + 1);
    return true;
}

// Whether the bus at this address is there but says nothing: it takes the
// connection and does not answer the first line of the authentication in
// kProbeTimeoutMs. libdbus would wait for it for good (and Qt's D-Bus thread
// with it, the session bus too), so start-up asks first. Any other outcome,
// an answer or no socket at all, is for libdbus to find and say.
bool busIsSilent(const QString& address) {
    sockaddr_un where;
    socklen_t length = 0;
    if (!unixSocketOf(address, where, length)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // Bounds connect (a full backlog), send and receive alike.
    const timeval limit = {kProbeTimeoutMs / 1000, (kProbeTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    bool silent = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&where), length) != 0) {
        silent = errno == EAGAIN || errno == EINPROGRESS;
    } else {
        // The credentials byte, then AUTH EXTERNAL with our uid in hex digits
        // of its decimal text; the bus answers OK or REJECTED at once.
        QByteArray hello("\0AUTH EXTERNAL ", 15);
        hello += QByteArray::number(static_cast<qulonglong>(geteuid())).toHex() + "\r\n";
        char answer[64];
        if (send(fd, hello.constData(), static_cast<size_t>(hello.size()), MSG_NOSIGNAL) == hello.size()) {
            silent = recv(fd, answer, sizeof answer, 0) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        } else {
            silent = errno == EAGAIN || errno == EWOULDBLOCK;
        }
    }
    close(fd);
    return silent;
}

void releaseLock() {
    if (state.lockFd < 0) return;
    close(state.lockFd);
    state.lockFd = -1;
}

// Manager.Inhibit; the reply on success, or the error reply.
QDBusMessage callInhibit() {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kManager), QStringLiteral("Inhibit"));
    call << QString::fromLatin1(kWhat) << QString::fromLatin1(kWho) << QString::fromUtf8(::text(IDS_INHIBIT_WHY))
         << QStringLiteral("delay");
    return bus().call(call, QDBus::Block, kCallTimeoutMs);
}

// Takes the lock from the reply; an empty text on success, else what went wrong.
QString keepLock(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage) return errorText(QDBusError(reply));
    const QList<QVariant> arguments = reply.arguments();
    if (arguments.size() != 1 || arguments.at(0).metaType() != QMetaType::fromType<QDBusUnixFileDescriptor>())
        return QStringLiteral("Inhibit did not answer with a file descriptor");
    const QDBusUnixFileDescriptor lock = arguments.at(0).value<QDBusUnixFileDescriptor>();
    if (!lock.isValid()) return QStringLiteral("Inhibit answered with no file descriptor");
    // Our own copy, closed on exec so that no program run by the hooks
    // keeps the machine from sleeping; Qt's copy goes with the reply.
    const int fd = fcntl(lock.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return QStringLiteral("cannot keep the lock's file descriptor");
    state.lockFd = fd;
    return QString();
}

void warnLock(const QString& why) {
    if (state.lockWarned) return;
    state.lockWarned = true;
    sayInOneLine("celwrd: logind gave no inhibitor lock (%s); sleep and shutdown will not wait for Cellwarden", why);
}

// After a resume or a cancelled shutdown.
void takeLockAgain() {
    if (state.lockFd >= 0 || !state.watch) return;
    const QString problem = keepLock(callInhibit());
    if (!problem.isEmpty()) warnLock(problem);
}

void runHook(void (*hook)()) {
    if (hook) hook();
}

// Asleep, and the one who would say the machine woke is gone: it has woken
// (a program runs), so the resume steps run now.
void wokeWithoutNotice() {
    if (!state.sleeping) return;
    state.sleeping = false;
    runHook(state.hooks.resumed);
}

bool watch(bool quiet);
void closeWatch();

void tryAgainLater(int ms) {
    const unsigned stopsNow = stops;
    QTimer::singleShot(ms, QCoreApplication::instance(), [ms, stopsNow] {
        if (stops != stopsNow || state.watch || watch(true)) return;
        tryAgainLater(qMin(2 * ms, kLastRetryMs));
    });
}

void LogindWatch::prepareForSleep(bool start) {
    if (start) {
        if (state.sleeping) return;  // the steps have run for this sleep already
        state.sleeping = true;
        runHook(state.hooks.suspending);
        releaseLock();
    } else {
        state.sleeping = false;
        runHook(state.hooks.resumed);
        if (!state.shuttingDown) takeLockAgain();
    }
}

void LogindWatch::prepareForShutdown(bool start) {
    if (start) {
        if (state.shuttingDown) return;
        state.shuttingDown = true;
        runHook(state.hooks.shuttingDown);
        releaseLock();
    } else {
        state.shuttingDown = false;
        if (!state.sleeping) takeLockAgain();
    }
}

// logind restarted or went away: the lock it gave is gone with it, and a
// sleep it announced has no resume coming. Back, it gives a lock again.
void LogindWatch::ownerChanged(const QString&, const QString&, const QString& newOwner) {
    releaseLock();
    wokeWithoutNotice();
    if (!newOwner.isEmpty() && !state.shuttingDown) takeLockAgain();
}

// The bus closed: no resume can come over it. Tried again a little later,
// and less often the longer it stays away.
void LogindWatch::busClosed() {
    wokeWithoutNotice();
    closeWatch();
    tryAgainLater(kFirstRetryMs);
}

// Both signals to the watch's slots, or (connect false) away from them.
bool wireSignals(LogindWatch* watch, bool connect) {
    QDBusConnection connection = bus();
    const QString service = QString::fromLatin1(kService), path = QString::fromLatin1(kPath),
                  manager = QString::fromLatin1(kManager);
    const QString sleep = QStringLiteral("PrepareForSleep"), shutdown = QStringLiteral("PrepareForShutdown");
    // libdbus's own notice that the connection is gone.
    const QString local = QStringLiteral("org.freedesktop.DBus.Local");
    const QString localPath = QStringLiteral("/org/freedesktop/DBus/Local"), closed = QStringLiteral("Disconnected");
    if (!connect) {
        connection.disconnect(service, path, manager, sleep, watch, SLOT(prepareForSleep(bool)));
        connection.disconnect(service, path, manager, shutdown, watch, SLOT(prepareForShutdown(bool)));
        connection.disconnect(QString(), localPath, local, closed, watch, SLOT(busClosed()));
        return true;
    }
    auto* owner = new QDBusServiceWatcher(service, connection, QDBusServiceWatcher::WatchForOwnerChange, watch);
    QObject::connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, watch, &LogindWatch::ownerChanged);
    return connection.connect(service, path, manager, sleep, watch, SLOT(prepareForSleep(bool))) &&
           connection.connect(service, path, manager, shutdown, watch, SLOT(prepareForShutdown(bool))) &&
           connection.connect(QString(), localPath, local, closed, watch, SLOT(busClosed()));
}

// The watch's connection closed and the watch gone; the hooks and the
// plan to try again stay.
void closeWatch() {
    releaseLock();
    if (state.watch) {
        wireSignals(state.watch, false);
        // Called from the watch's own slots too: it goes once they return.
        state.watch->deleteLater();
        state.watch = nullptr;
        QDBusConnection::disconnectFromBus(QString::fromLatin1(kConnection));
    }
    state.sleeping = state.shuttingDown = false;
}

// Connects, listens and takes the lock; false (after one line on standard
// error unless `quiet`) when there is no bus or no logind on it.
bool watch(bool quiet) {
    // libdbus reads DBUS_SYSTEM_BUS_ADDRESS once per process; read here, a
    // new start follows a changed one.
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    if (busIsSilent(address.isEmpty() ? QString::fromLatin1(kDefaultAddress) : address)) {
        if (!quiet)
            std::fprintf(stderr, "celwrd: the system bus does not answer; suspend and shutdown are not watched\n");
        return false;
    }
    QDBusConnection connection =
        address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, QString::fromLatin1(kConnection))
                          : QDBusConnection::connectToBus(address, QString::fromLatin1(kConnection));
    if (!connection.isConnected()) {
        const QString why = errorText(connection.lastError());
        QDBusConnection::disconnectFromBus(QString::fromLatin1(kConnection));
        if (!quiet) sayInOneLine("celwrd: no system bus (%s); suspend and shutdown are not watched", why);
        return false;
    }

    state.watch = new LogindWatch;
    // Listening first: a sleep that starts right after the lock is not missed.
    const bool listening = wireSignals(state.watch, true);
    const QDBusMessage reply = callInhibit();
    const bool silent = reply.type() == QDBusMessage::InvalidMessage ||
                        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
                        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout");
    if (!listening || noSuchService(reply) || silent) {
        const QString why = listening ? errorText(QDBusError(reply)) : errorText(bus().lastError());
        closeWatch();
        if (quiet) return false;
        if (silent && listening)
            std::fprintf(stderr, "celwrd: logind does not answer; suspend and shutdown are not watched\n");
        else
            sayInOneLine("celwrd: no logind on the system bus (%s); suspend and shutdown are not watched", why);
        return false;
    }
    const QString problem = keepLock(reply);
    if (!problem.isEmpty()) warnLock(problem);
    return true;
}

}  // namespace

bool startLogindWatch(const LogindHooks& hooks) {
    if (state.watch) {
        state.hooks = hooks;
        return true;
    }
    if (!QCoreApplication::instance()) {
        std::fprintf(stderr, "celwrd: no QCoreApplication; suspend and shutdown are not watched\n");
        return false;
    }
    state.hooks = hooks;
    if (watch(false)) return true;
    state = State();
    return false;
}

void stopLogindWatch() {
    ++stops;
    closeWatch();
    state = State();
}

bool logindLockHeld() { return state.lockFd >= 0; }

#include "logind.moc"
