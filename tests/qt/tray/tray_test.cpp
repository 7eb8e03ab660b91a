// The tray icon as a desktop sees it: the StatusNotifierItem that our
// watcher was told of, read and clicked over D-Bus from a connection of
// the desktop's own; and, in a child, the XEmbed icon docking in an X tray.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "spin_until.h"
#include "status_notifier_watcher.h"
#include "test_desktop.h"
#include "resources/icon_art.h"
#include "ui/qt/tray.h"

// Counts the item's change signals as a panel receives them.
class ItemSignals : public QObject {
    Q_OBJECT
public:
    int icons = 0;
    int tips = 0;
public Q_SLOTS:
    void newIcon() { ++icons; }
    void newToolTip() { ++tips; }
};

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// The desktop's own connection to the bus.
QDBusConnection panel() {
    static QDBusConnection bus = QDBusConnection::connectToBus(testDesktop::busAddress(), QStringLiteral("cw-test-panel"));
    return bus;
}

// The item's methods run on this thread: wait with the event loop going.
QDBusMessage callAndWait(const QDBusMessage& message) {
    QDBusPendingCall call = panel().asyncCall(message, 15000);
    spinUntil([&] { return call.isFinished(); }, 16000);
    return call.reply();
}

struct Item {
    QString service, path;
};

QStringList items() {
    return testDesktop::watcher()->registeredItems();
}

Item itemFrom(const QString& registered) {
    qsizetype slash = registered.indexOf(QLatin1Char('/'));
    return {registered.left(slash), registered.mid(slash)};
}

QVariant property(const Item& item, const char* name) {
    QDBusMessage get =
        QDBusMessage::createMethodCall(item.service, item.path, "org.freedesktop.DBus.Properties", "Get");
    get << kItemInterface << QString::fromLatin1(name);
    QDBusMessage reply = callAndWait(get);
    if (reply.type() != QDBusMessage::ReplyMessage) return {};
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

bool call(const Item& item, const char* method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(item.service, item.path, kItemInterface, method);
    message.setArguments(arguments);
    return callAndWait(message).type() == QDBusMessage::ReplyMessage;
}

// One image of the protocol: ARGB32 in network byte order.
struct Picture {
    int width = 0, height = 0;
    QByteArray argb;
};

std::vector<Picture> readPictures(const QDBusArgument& argument) {
    std::vector<Picture> pictures;
    argument.beginArray();
    while (!argument.atEnd()) {
        Picture picture;
        argument.beginStructure();
        argument >> picture.width >> picture.height >> picture.argb;
        argument.endStructure();
        pictures.push_back(picture);
    }
    argument.endArray();
    return pictures;
}

struct ToolTip {
    QString iconName;
    std::vector<Picture> pictures;
    QString title, text;
};

ToolTip readToolTip(const QVariant& value) {
    ToolTip tip;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginStructure();
    argument >> tip.iconName;
    tip.pictures = readPictures(argument);
    argument >> tip.title >> tip.text;
    argument.endStructure();
    return tip;
}

std::vector<Picture> iconPixmap(const Item& item) {
    return readPictures(property(item, "IconPixmap").value<QDBusArgument>());
}

// The generator's drawing, in the protocol's bytes.
Picture drawn(int id, int size) {
    IconImage image;
    Picture picture{size, size, {}};
    if (!drawIcon(id, size, 32, &image)) return picture;
    for (size_t at = 0; at < image.pixels.size(); at += 4) {
        const uint8_t* rgba = &image.pixels[at];
        picture.argb.append(char(rgba[3])).append(char(rgba[0])).append(char(rgba[1])).append(char(rgba[2]));
    }
    return picture;
}

// Equal as seen: the same alpha, and the same colour where it shows
// (premultiplied storage on the way rounds the faint edges a little).
bool looksLike(const Picture& shown, const Picture& expected) {
    if (shown.width != expected.width || shown.height != expected.height || shown.argb.size() != expected.argb.size())
        return false;
    for (qsizetype at = 0; at < shown.argb.size(); at += 4) {
        int alpha = uint8_t(expected.argb[at]);
        if (uint8_t(shown.argb[at]) != alpha) return false;
        if (alpha == 0) continue;
        int tolerance = alpha == 255 ? 0 : 1 + 255 / alpha;
        for (int c = 1; c < 4; ++c)
            if (std::abs(uint8_t(shown.argb[at + c]) - uint8_t(expected.argb[at + c])) > tolerance) return false;
    }
    return true;
}

bool showsIcon(const Item& item, int id) {
    std::vector<Picture> pictures = iconPixmap(item);
    std::vector<int> sizes;
    for (const Picture& picture : pictures) {
        if (!looksLike(picture, drawn(id, picture.width))) return false;
        sizes.push_back(picture.width);
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes == std::vector<int>{16, 20, 24, 32, 48};
}

// This thread's voluntary context switches so far: each is a wake-up.
long voluntarySwitches() {
    FILE* status = fopen("/proc/thread-self/status", "r");
    long count = -1;
    char line[128];
    while (status && fgets(line, sizeof line, status))
        if (sscanf(line, "voluntary_ctxt_switches: %ld", &count) == 1) break;
    if (status) fclose(status);
    return count;
}

int leftClicks = 0;
int rightClicks = 0;

class Tray : public testing::Test {
protected:
    void SetUp() override {
        if (!testDesktop::whyNoTray().isEmpty()) GTEST_SKIP() << qPrintable(testDesktop::whyNoTray());
        leftClicks = rightClicks = 0;
        traySetHooks({[] { ++leftClicks; }, [] { ++rightClicks; }, nullptr});
    }

    void TearDown() override {
        trayDelete();
        if (testDesktop::watcher()) spinUntil([] { return items().isEmpty(); });
    }

    // Adds the icon and waits until the panel knows of it.
    static Item add(int id, const char* tip) {
        EXPECT_TRUE(trayAdd(id, tip));
        EXPECT_TRUE(spinUntil([] { return items().size() == 1; })) << "no item registered";
        return items().isEmpty() ? Item{} : itemFrom(items().first());
    }

    // Signals sent before a reply arrive before it: after one round trip
    // everything the item sent so far has been counted.
    static void roundTrip(const Item& item) {
        property(item, "Status");
        QCoreApplication::processEvents();
    }

    void watchSignals(const Item& item) {
        panel().connect(item.service, item.path, kItemInterface, "NewIcon", &signals_, SLOT(newIcon()));
        panel().connect(item.service, item.path, kItemInterface, "NewToolTip", &signals_, SLOT(newToolTip()));
        roundTrip(item);
        signals_.icons = signals_.tips = 0;
    }

    ItemSignals signals_;
};

TEST_F(Tray, AddShowsAnItemOfThisProcessWithTheTipAndThePicture) {
    Item item = add(3, "37% 72s E14:49:03 R0:43:54 14:05:09");
    // Registered by a connection of this process, under a name it owns.
    QString registrant = testDesktop::watcher()->registrant(items().value(0));
    EXPECT_EQ(panel().interface()->servicePid(registrant).value(), uint(getpid()));
    EXPECT_EQ(panel().interface()->serviceOwner(item.service).value(), registrant);

    EXPECT_EQ(property(item, "Status").toString(), QStringLiteral("Active"));
    ToolTip tip = readToolTip(property(item, "ToolTip"));
    EXPECT_EQ(tip.title, QStringLiteral("37% 72s E14:49:03 R0:43:54 14:05:09"));
    EXPECT_TRUE(tip.text.isEmpty() || tip.text == tip.title) << qPrintable(tip.text);
    EXPECT_TRUE(showsIcon(item, 3));
}

TEST_F(Tray, TheTipIsTheTextAsGiven) {
    const char* const tips[] = {"--% ﾊﾞｯﾃﾘｰ 残り", "", "a  b\ttab <b>not bold</b> &amp;"};
    Item item = add(1, "start");
    for (const char* text : tips) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(trayModify(1, text));
        EXPECT_EQ(readToolTip(property(item, "ToolTip")).title, QString::fromUtf8(text));
    }
}

TEST_F(Tray, ADifferentIdChangesThePicture) {
    Item item = add(3, "tip");
    EXPECT_TRUE(showsIcon(item, 3));
    watchSignals(item);
    EXPECT_TRUE(trayModify(8, "tip"));
    roundTrip(item);
    EXPECT_TRUE(showsIcon(item, 8));
    EXPECT_EQ(signals_.icons, 1);
    EXPECT_EQ(signals_.tips, 0);
    EXPECT_NE(iconPixmap(item)[0].argb, drawn(3, iconPixmap(item)[0].width).argb);
}

TEST_F(Tray, OnlyWhatDiffersIsHandedOn) {
    Item item = add(5, "50%");
    watchSignals(item);
    EXPECT_TRUE(trayModify(5, "50%"));
    EXPECT_TRUE(trayAdd(5, "50%"));
    roundTrip(item);
    EXPECT_EQ(signals_.icons, 0);
    EXPECT_EQ(signals_.tips, 0);

    EXPECT_TRUE(trayModify(5, "49%"));
    roundTrip(item);
    EXPECT_EQ(signals_.icons, 0);
    EXPECT_EQ(signals_.tips, 1);

    EXPECT_TRUE(trayModify(6, "49%"));
    roundTrip(item);
    EXPECT_EQ(signals_.icons, 1);
    EXPECT_EQ(signals_.tips, 1);
}

TEST_F(Tray, IdsOutsideTheRangeShowIconOne) {
    Item item = add(0, "tip");
    EXPECT_TRUE(showsIcon(item, 1));
    watchSignals(item);
    EXPECT_TRUE(trayModify(14, "tip"));
    EXPECT_TRUE(trayModify(1, "tip"));
    roundTrip(item);
    EXPECT_EQ(signals_.icons, 0);
}

TEST_F(Tray, ModifyWithoutAnIconIsFalse) {
    EXPECT_FALSE(trayModify(3, "tip"));
    EXPECT_TRUE(items().isEmpty());
}

// The clicks reach the hooks on the event loop, after the panel's call
// has returned.
TEST_F(Tray, ActivateIsALeftClick) {
    Item item = add(2, "tip");
    EXPECT_TRUE(call(item, "Activate", {10, 20}));
    EXPECT_TRUE(spinUntil([] { return leftClicks == 1; }));
    EXPECT_EQ(rightClicks, 0);
}

TEST_F(Tray, ContextMenuIsARightClick) {
    Item item = add(2, "tip");
    EXPECT_TRUE(call(item, "ContextMenu", {10, 20}));
    EXPECT_TRUE(spinUntil([] { return rightClicks == 1; }));
    EXPECT_EQ(leftClicks, 0);
}

TEST_F(Tray, OtherActionsReachNeitherHook) {
    Item item = add(2, "tip");
    call(item, "SecondaryActivate", {10, 20});
    call(item, "Scroll", {120, QStringLiteral("vertical")});
    // Handled in order: once the left click is there, so would they be.
    EXPECT_TRUE(call(item, "Activate", {10, 20}));
    EXPECT_TRUE(spinUntil([] { return leftClicks == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(leftClicks, 1);
    EXPECT_EQ(rightClicks, 0);
}

TEST_F(Tray, MissingHooksAreSkipped) {
    traySetHooks({nullptr, nullptr, nullptr});
    Item item = add(2, "tip");
    EXPECT_TRUE(call(item, "Activate", {1, 1}));
    EXPECT_TRUE(call(item, "ContextMenu", {1, 1}));
    QCoreApplication::processEvents();
}

// ----- the menu, as a panel reads and clicks it over com.canonical.dbusmenu

const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

QDBusMessage menuCall(const Item& item, const char* method, const QVariantList& arguments) {
    const QString path = property(item, "Menu").value<QDBusObjectPath>().path();
    QDBusMessage message = QDBusMessage::createMethodCall(item.service, path, kMenuInterface, method);
    message.setArguments(arguments);
    return callAndWait(message);
}

struct MenuEntry {
    int id;
    QString label;  // "-" for a separator
};

// The root's children, as GetLayout gives them.
std::vector<MenuEntry> menuEntries(const Item& item, uint* revision = nullptr) {
    QDBusMessage reply = menuCall(item, "GetLayout", {0, -1, QStringList()});
    std::vector<MenuEntry> entries;
    if (reply.type() != QDBusMessage::ReplyMessage) return entries;
    if (revision) *revision = reply.arguments().value(0).toUInt();
    const QDBusArgument root = reply.arguments().value(1).value<QDBusArgument>();
    int rootId;
    QVariantMap rootProperties;
    root.beginStructure();
    root >> rootId >> rootProperties;
    root.beginArray();
    while (!root.atEnd()) {
        QDBusVariant child;
        root >> child;
        const QDBusArgument node = child.variant().value<QDBusArgument>();
        MenuEntry entry;
        QVariantMap properties;
        node.beginStructure();
        node >> entry.id >> properties;
        node.endStructure();
        entry.label = properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator")
                          ? QStringLiteral("-")
                          : properties.value(QStringLiteral("label")).toString();
        entries.push_back(entry);
    }
    root.endArray();
    root.endStructure();
    return entries;
}

std::vector<int> chosen;

TEST_F(Tray, TheMenuIsReadAndChosenOverDbusmenu) {
    chosen.clear();
    const TrayMenuRow rows[] = {{0xF120, "元のサイズに戻す(&R)"}, {0, nullptr}, {30000, "ﾊﾞｰｼﾞｮﾝ(&V)"},
                                {30001, "R&&D_1 終了(&C)"}};
    traySetMenu(rows, 4, [](int command) { chosen.push_back(command); });
    Item item = add(2, "tip");
    EXPECT_FALSE(property(item, "ItemIsMenu").toBool());
    uint revision = 0;
    std::vector<MenuEntry> entries = menuEntries(item, &revision);
    ASSERT_EQ(entries.size(), 4u);
    // dbusmenu marks the mnemonic with "_" and doubles a literal one.
    const char* const labels[] = {"元のサイズに戻す(_R)", "-", "ﾊﾞｰｼﾞｮﾝ(_V)", "R&D__1 終了(_C)"};
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].label, QString::fromUtf8(labels[i])) << i;

    // A click on a row reports its command; a separator or an id that is not there, nothing.
    EXPECT_EQ(menuCall(item, "Event", {entries[3].id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)),
                                       0u}).type(),
              QDBusMessage::ReplyMessage);
    menuCall(item, "Event", {entries[1].id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    EXPECT_EQ(menuCall(item, "Event", {99, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u}).type(),
              QDBusMessage::ErrorMessage);
    menuCall(item, "Event", {entries[2].id, QStringLiteral("hovered"), QVariant::fromValue(QDBusVariant(0)), 0u});
    EXPECT_TRUE(menuCall(item, "Event", {entries[0].id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)),
                                         0u}).type() == QDBusMessage::ReplyMessage);
    EXPECT_TRUE(spinUntil([] { return chosen.size() == 2; }));
    EXPECT_EQ(chosen, (std::vector<int>{30001, 0xF120}));

    // One more row (as a later window would add) is one more entry, and panels are told.
    ItemSignals layout;
    panel().connect(item.service, QStringLiteral("/MenuBar"), kMenuInterface, "LayoutUpdated", &layout,
                    SLOT(newIcon()));
    roundTrip(item);
    const TrayMenuRow more[] = {rows[0], rows[1], rows[2], {30002, "健康(&H)"}, rows[3]};
    traySetMenu(more, 5, nullptr);
    traySetMenu(more, 5, nullptr);  // the same rows again: no news
    roundTrip(item);
    EXPECT_EQ(layout.icons, 1);
    uint later = 0;
    entries = menuEntries(item, &later);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[3].label, QStringLiteral("健康(_H)"));
    EXPECT_GT(later, revision);
    traySetMenu(nullptr, 0, nullptr);
}

// A panel's reads are answered on the item's own thread: while a panel
// reads the tip and the menu again and again, this thread, waiting in its
// event loop, is not woken for them.
TEST_F(Tray, ReadsDoNotWakeTheEventLoop) {
    if (ChildProcess::findProgram("gdbus").empty()) GTEST_SKIP() << "no gdbus (Debian: libglib2.0-bin)";
    const TrayMenuRow rows[] = {{30000, "ﾊﾞｰｼﾞｮﾝ(&V)"}};
    traySetMenu(rows, 1, nullptr);
    Item item = add(5, "57% 12:00:00");
    const std::string get = "gdbus call --session --dest " + item.service.toStdString() + " --timeout 10 ";
    const std::string reads = get + "--object-path " + item.path.toStdString() +
                              " --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip && " +
                              get + "--object-path /MenuBar --method com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []'";
    ChildProcess::Options quiet;
    quiet.quiet = true;
    const std::string script = "for i in 1 2 3 4 5 6 7 8 9 10; do { " + reads + "; } >/dev/null || exit 1; done; { " +
                               reads + "; } | tr '\\n' ' '; echo";
    ChildProcess reader({"sh", "-c", script}, quiet);
    QSocketNotifier done(reader.outputFd(), QSocketNotifier::Read);
    QEventLoop loop;
    QObject::connect(&done, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    const long before = voluntarySwitches();
    loop.exec();
    const long woken = voluntarySwitches() - before;
    const std::string answers = reader.line(1000);
    EXPECT_EQ(reader.wait(), 0);
    EXPECT_NE(answers.find("57% 12:00:00"), std::string::npos) << answers;
    EXPECT_NE(answers.find("ﾊﾞｰｼﾞｮﾝ(_V)"), std::string::npos) << answers;
    // 22 reads; the loop woke for the reader's answer, and for little else.
    EXPECT_LE(woken, 6) << answers;
    traySetMenu(nullptr, 0, nullptr);
}

TEST_F(Tray, DeleteTakesTheItemAway) {
    Item item = add(4, "tip");
    trayDelete();
    EXPECT_TRUE(spinUntil([] { return items().isEmpty(); }));
    EXPECT_FALSE(panel().interface()->isServiceRegistered(item.service).value());
    EXPECT_FALSE(trayModify(4, "tip"));
    trayDelete();  // nothing left: nothing happens
}

TEST_F(Tray, AddAfterDeleteShowsItAgain) {
    add(4, "first");
    trayDelete();
    ASSERT_TRUE(spinUntil([] { return items().isEmpty(); }));
    Item item = add(9, "again");
    EXPECT_EQ(readToolTip(property(item, "ToolTip")).title, QStringLiteral("again"));
    EXPECT_TRUE(showsIcon(item, 9));
}

TEST_F(Tray, DeleteDuringItsOwnClick) {
    traySetHooks({[] { trayDelete(); }, nullptr, nullptr});
    Item item = add(4, "tip");
    EXPECT_TRUE(call(item, "Activate", {1, 1}));
    EXPECT_TRUE(spinUntil([] { return items().isEmpty(); }));
}

// The panel restarts: the icon comes back on its own.
TEST_F(Tray, TheItemRegistersAgainWithANewWatcher) {
    Item item = add(7, "tip");
    QMetaObject::invokeMethod(testDesktop::watcher(), "restart", Qt::BlockingQueuedConnection);
    EXPECT_TRUE(spinUntil([] { return items().size() == 1; }));
    EXPECT_EQ(items().value(0), item.service + item.path);
}

// ----- children: a desktop without a tray, and an X tray (XEmbed)

std::vector<std::string> trayChildArgs() {
    return {"/proc/self/exe", "--role", "tray"};
}

TEST(TrayWithout, AddIsFalseWhenTheDesktopHasNoTray) {
    if (testDesktop::display().isEmpty()) GTEST_SKIP() << qPrintable(testDesktop::whyNoTray());
    // No bus at all and no X tray on the display.
    ChildProcess child(trayChildArgs(), {{"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"}, 1, false});
    ASSERT_EQ(child.line(), "ready");
    child.say("add 3 tip");
    EXPECT_EQ(child.line(), "not added");
    child.say("quit");
    EXPECT_EQ(child.wait(), 0);
}

// What xwininfo says of a window's parent: "0x200003 \"panel\"", say, or
// "0x50d (the root window) (has no name)".
std::string parentOf(const std::string& window) {
    ChildProcess::Options quiet;
    quiet.quiet = true;  // a window that is gone is only an empty answer
    ChildProcess info({"xwininfo", "-children", "-id", window}, quiet);
    for (std::string line; info.readLine(&line);) {
        size_t at = line.find("Parent window id: ");
        if (at != std::string::npos) return line.substr(at + 18);
    }
    return "";
}

// The top-level window that holds `window`, as xwininfo names it.
std::string topLevelOf(std::string window) {
    std::string below = window;
    for (int depth = 0; depth < 10; ++depth) {
        std::string parent = parentOf(window);
        if (parent.empty()) return "";
        if (parent.find("(the root window)") != std::string::npos) return below;
        below = parent;
        window = parent.substr(0, parent.find(' '));
    }
    return "";
}

TEST(TrayXEmbed, TheIconDocksInAnXTrayAndTakesClicks) {
    if (testDesktop::display().isEmpty()) GTEST_SKIP() << qPrintable(testDesktop::whyNoTray());
    if (ChildProcess::findProgram("trayer").empty()) GTEST_SKIP() << "no trayer (Debian: trayer)";
    if (ChildProcess::findProgram("xwininfo").empty()) GTEST_SKIP() << "no xwininfo (Debian: x11-utils)";
    ChildProcess::Options quiet;
    quiet.quiet = true;
    ChildProcess trayer({"trayer", "--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "120",
                         "--height", "32", "--SetDockType", "false", "--expand", "false"},
                        quiet);
    // Without a StatusNotifierWatcher Qt docks the icon in the X tray.
    ChildProcess child(trayChildArgs(), {{"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"}, 1, false});
    ASSERT_EQ(child.line(), "ready");
    child.say("add-when-tray 3 tip");
    ASSERT_EQ(child.line(30000), "added");

    // Docked: the icon's window went into trayer's panel. Qt makes the
    // window anew when the tray it saw goes and comes: ask each time.
    std::string window, inside;
    spinUntil([&] {
        child.say("window");
        window = child.line().substr(7);
        inside = topLevelOf(window);
        return inside.find("\"panel\"") != std::string::npos;
    });
    ASSERT_NE(inside.find("\"panel\""), std::string::npos) << "not docked: " << window << " in " << inside;

    if (!ChildProcess::findProgram("xdotool").empty()) {
        for (const char* button : {"1", "3"}) {
            ChildProcess click({"xdotool", "mousemove", "--window", window, "4", "4", "click", button}, quiet);
            EXPECT_EQ(click.wait(), 0);
        }
        EXPECT_EQ(child.line(), "left");
        EXPECT_EQ(child.line(), "right");
    } else {
        fprintf(stderr, "no xdotool (Debian: xdotool): the clicks are not tried\n");
    }

    child.say("delete");
    EXPECT_EQ(child.line(), "deleted");
    EXPECT_TRUE(spinUntil([&] { return parentOf(window).empty(); })) << "its window is still there";
    child.say("quit");
    EXPECT_EQ(child.wait(), 0);
}

}  // namespace

#include "tray_test.moc"
