// The Win32 platform layer, and the front end's screen calls ("windows"),
// against the real system calls, under Wine. One group of cases per run:
// platform_test.exe GROUP [arguments].
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "base/front_end.h"
#include "platform/battery_health.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/ui_win32.h"

#include <sddl.h>
#include <shellapi.h>

namespace {

int failures;

void check(bool ok, const char* what, int line) {
    if (ok) return;
    ++failures;
    printf("FAIL line %d: %s\n", line, what);
}

#define CHECK(condition) check((condition), #condition, __LINE__)

constexpr int kSkipped = 77;  // CTest's SKIP_RETURN_CODE

// ---------------------------------------------------------------- helpers

char workDirectory[MAX_PATH];
char selfPath[MAX_PATH];

void removeTree(const char* path) {
    char pattern[MAX_PATH], child[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*", path);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
            snprintf(child, sizeof child, "%s\\%s", path, found.cFileName);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(child);
            else DeleteFileA(child);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path);
}

// A fresh directory for one group under the temporary folder, made current;
// what an earlier run left there is removed first.
void makeWorkDirectory(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    snprintf(workDirectory, sizeof workDirectory, "%scw-platform-%s", temp, name);
    SetCurrentDirectoryA(temp);
    removeTree(workDirectory);
    CreateDirectoryA(workDirectory, nullptr);
    SetCurrentDirectoryA(workDirectory);
    GetModuleFileNameA(nullptr, selfPath, sizeof selfPath);
}

void writeWhole(const char* path, const char* text) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(file);
}

// The whole file through the platform, or "<missing>".
const char* readWhole(const char* path) {
    static char content[4096];
    PlatformFile* file = platformOpenFile(path, FileOpen::Read);
    if (!file) return "<missing>";
    size_t length = 0, got;
    while ((got = platformReadFile(file, content + length, sizeof content - 1 - length)) > 0) length += got;
    content[length] = '\0';
    platformCloseFile(file);
    return content;
}

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Dispatches messages for `ms`, as the dialog's message loop would.
void pumpMessages(DWORD ms) {
    ULONGLONG deadline = GetTickCount64() + ms;
    for (ULONGLONG now; (now = GetTickCount64()) < deadline;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// ---------------------------------------------------------------- text

// Bytes past `count` must stay untouched.
constexpr wchar_t kGuard = 0x7E7E;

void checkWiden(void (*widen)(const char*, wchar_t*, size_t), const char* text, size_t count,
                const wchar_t* expected, int line) {
    wchar_t out[64];
    for (wchar_t& c : out) c = kGuard;
    widen(text, out, count);
    check(out[count] == kGuard, "nothing written past the count", line);
    if (count == 0) return;
    check(wmemchr(out, L'\0', count) != nullptr, "terminated within the count", line);
    if (expected) check(wcscmp(out, expected) == 0, "widened text as expected", line);
}

int testText() {
    if (GetACP() != 932) {
        printf("FAIL: code page %u, not 932: run with LANG and LC_ALL set to ja_JP.UTF-8\n", GetACP());
        return 1;
    }
    struct WidenCase {
        const char* text;
        size_t count;
        const wchar_t* expected;  // null: only bounded and terminated
        int line;
    };
    // Shift-JIS: あ 82A0, い 82A2, 表 955C (trail byte is a backslash), half-width ｶ B6, ﾀ C0.
    const WidenCase fromCodePage[] = {
        {"ABC", 4, L"ABC", __LINE__},
        {"ABC", 3, L"AB", __LINE__},
        {"ABC", 1, L"", __LINE__},
        {"ABC", 0, nullptr, __LINE__},
        {"", 4, L"", __LINE__},
        {"\x82\xa0\x82\xa2", 3, L"\x3042\x3044", __LINE__},
        {"\x82\xa0\x82\xa2", 2, L"\x3042", __LINE__},
        {"A\x82\xa0", 2, L"A", __LINE__},
        {"C:\\\x95\x5c\\x", 8, L"C:\\\x8868\\x", __LINE__},
        {"\xb6\xc0", 3, L"\xff76\xff80", __LINE__},
        {"AB\x82", 8, nullptr, __LINE__},  // a lead byte without its trail byte
    };
    for (const WidenCase& c : fromCodePage) checkWiden(widenFromCodePage, c.text, c.count, c.expected, c.line);

    const WidenCase fromUtf8[] = {
        {"\xe6\x97\xa5\xe6\x9c\xac", 3, L"\x65e5\x672c", __LINE__},  // 日本
        {"\xe6\x97\xa5\xe6\x9c\xac", 2, L"\x65e5", __LINE__},
        {"\xf0\x9f\x98\x80", 3, L"\xd83d\xde00", __LINE__},  // U+1F600, a surrogate pair
        {"\xf0\x9f\x98\x80", 2, L"", __LINE__},              // never half a pair
        {"a\xf0\x9f\x98\x80z", 3, L"a", __LINE__},
        {"Cellwarden Suspend", 11, L"Cellwarden", __LINE__},
        {"\xe3\x81", 8, nullptr, __LINE__},  // a sequence broken off
    };
    for (const WidenCase& c : fromUtf8) checkWiden(widenFromUtf8, c.text, c.count, c.expected, c.line);

    struct NarrowCase {
        const wchar_t* text;
        size_t size;
        bool ok;
        const char* expected;
        int line;
    };
    const NarrowCase narrowing[] = {
        {L"\x3042\x3044", 5, true, "\x82\xa0\x82\xa2", __LINE__},
        {L"\x3042\x3044", 4, false, "", __LINE__},  // one byte short of the terminator
        {L"\x3042\x3044", 3, false, "", __LINE__},  // would split a character
        {L"C:\\\x8868.txt", 16, true, "C:\\\x95\x5c.txt", __LINE__},
        {L"\xff76", 2, true, "\xb6", __LINE__},
        {L"caf\xe9", 16, false, "", __LINE__},  // é: only a best-fit 'e' exists
        {L"\xd83d\xde00", 16, false, "", __LINE__},
        {L"a\xd800z", 16, false, "", __LINE__},  // a lone surrogate
        {L"", 1, true, "", __LINE__},
    };
    for (const NarrowCase& c : narrowing) {
        char out[32];
        memset(out, 0x7E, sizeof out);
        bool ok = narrowToCodePage(c.text, out, c.size);
        check(ok == c.ok, "narrowing succeeds only when the text fits and has a code-page form", c.line);
        check(strcmp(out, c.expected) == 0, "narrowed text as expected (empty on failure)", c.line);
        check(out[c.size] == 0x7E, "nothing written past the size", c.line);
    }
    char untouched = 'x';
    CHECK(!narrowToCodePage(L"a", &untouched, 0) && untouched == 'x');

    // The template forms use the array's own size.
    wchar_t small[3];
    widenFromCodePage("\x82\xa0\x82\xa2\x82\xa4", small);
    CHECK(wcscmp(small, L"\x3042\x3044") == 0);

    // The page that stands in for the help file.
    struct PageCase {
        const char* help;
        size_t size;
        const char* page;  // null: does not fit
        int line;
    };
    const PageCase pages[] = {
        {"C:\\Tools\\CELWRD.HLP", 64, "C:\\Tools\\CELWRD.html", __LINE__},
        {"C:\\my.tools\\CELWRD", 64, "C:\\my.tools\\CELWRD.html", __LINE__},
        {"C:\\dir\\A.\x95\x5c", 64, "C:\\dir\\A.html", __LINE__},  // A.表: its trail byte is no separator
        {"CELWRD.HLP", 12, "CELWRD.html", __LINE__},
        {"CELWRD.HLP", 11, nullptr, __LINE__},
    };
    for (const PageCase& c : pages) {
        char page[64];
        bool ok = helpPagePath(c.help, page, c.size);
        check(ok == (c.page != nullptr), "the page fits exactly when expected", c.line);
        if (ok && c.page) check(strcmp(page, c.page) == 0, "the page beside the help file", c.line);
    }

    // The page's URL for the browser, at the part in the program's language.
    struct UrlCase {
        const char* path;
        const char* fragment;
        size_t size;
        const char* url;  // null: does not fit
        int line;
    };
    const UrlCase urls[] = {
        {"C:\\Program Files\\CELWRD.html", "en", 64, "file:///C:/Program%20Files/CELWRD.html#en", __LINE__},
        {"C:\\a#b%c?\xe8\xa1\xa8.html", "ja", 64, "file:///C:/a%23b%25c%3F%E8%A1%A8.html#ja", __LINE__},
        {"\\\\host\\share\\h.html", "", 64, "file://host/share/h.html", __LINE__},
        {"C:\\h.html", "en", 21, "file:///C:/h.html#en", __LINE__},
        {"C:\\h.html", "en", 20, nullptr, __LINE__},
        {"C:\\h\xe8.html", "", 14, nullptr, __LINE__},  // never half an escape
    };
    for (const UrlCase& c : urls) {
        char url[64];
        bool ok = fileUrl(c.path, c.fragment, url, c.size);
        check(ok == (c.url != nullptr), "the URL fits exactly when expected", c.line);
        if (ok && c.url) check(strcmp(url, c.url) == 0, "the page's URL", c.line);
    }

    char directory[MAX_PATH], expected[MAX_PATH];
    GetWindowsDirectoryA(expected, sizeof expected);
    platformGetWindowsDirectory(directory, sizeof directory);
    CHECK(strcmp(directory, expected) == 0);
    platformGetWindowsDirectory(directory, 4);
    CHECK(strcmp(directory, "C:\\") == 0);
    directory[0] = 'x';
    platformGetWindowsDirectory(directory, 1);
    CHECK(directory[0] == '\0');

    return failures;
}

// ---------------------------------------------------------------- files

bool writeText(PlatformFile* file, const char* text) { return platformWriteFile(file, text, strlen(text)); }

int testFiles() {
    makeWorkDirectory("files");

    PlatformFile* file = platformOpenFile("created.txt", FileOpen::Create);
    CHECK(file && writeText(file, "one\r\n") && platformCloseFile(file));
    CHECK(strcmp(readWhole("created.txt"), "one\r\n") == 0);
    file = platformOpenFile("created.txt", FileOpen::Create);  // truncates
    CHECK(file && writeText(file, "two") && platformCloseFile(file));
    CHECK(strcmp(readWhole("created.txt"), "two") == 0);

    CHECK(platformOpenFile("missing.txt", FileOpen::Read) == nullptr);
    CHECK(platformOpenFile("no-such-dir\\x.txt", FileOpen::Create) == nullptr);

    // Append creates the file, then every write goes to its end.
    file = platformOpenFile("battery.log", FileOpen::Append);
    CHECK(file && writeText(file, "a\r\n") && platformCloseFile(file));
    file = platformOpenFile("battery.log", FileOpen::Append);
    CHECK(file && writeText(file, "b\r\n"));
    // The user may read the log while it is written.
    PlatformFile* reader = platformOpenFile("battery.log", FileOpen::Read);
    CHECK(reader != nullptr);
    char bytes[16] = {};
    CHECK(reader && platformReadFile(reader, bytes, sizeof bytes - 1) == 6 && strcmp(bytes, "a\r\nb\r\n") == 0);
    // A write to a file opened for reading fails, and its close says so.
    CHECK(!platformWriteFile(reader, "x", 1));
    CHECK(!platformCloseFile(reader));
    CHECK(platformCloseFile(file));
    CHECK(strcmp(readWhole("battery.log"), "a\r\nb\r\n") == 0);

    // The trace file stays open all run; it can still be read.
    PlatformFile* trace = platformOpenFile("trace.log", FileOpen::Create);
    CHECK(trace && writeText(trace, "t"));
    CHECK(strcmp(readWhole("trace.log"), "t") == 0);
    CHECK(platformCloseFile(trace));

    // Replacing: the new content in the old name, the temporary gone.
    writeWhole("settings.ini", "old");
    file = platformOpenFile("settings.in~", FileOpen::Create);
    CHECK(file && writeText(file, "new") && platformCloseFile(file));
    CHECK(platformReplaceFile("settings.in~", "settings.ini"));
    CHECK(strcmp(readWhole("settings.ini"), "new") == 0);
    CHECK(!exists("settings.in~"));
    CHECK(platformReplaceFile("settings.ini", "fresh.ini"));  // no target yet
    CHECK(strcmp(readWhole("fresh.ini"), "new") == 0 && !exists("settings.ini"));
    // A failed replacement changes nothing.
    CHECK(!platformReplaceFile("missing.in~", "fresh.ini"));
    CHECK(strcmp(readWhole("fresh.ini"), "new") == 0);
    writeWhole("locked.in~", "newer");
    HANDLE locked = CreateFileA("fresh.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(!platformReplaceFile("locked.in~", "fresh.ini"));
    CloseHandle(locked);
    CHECK(strcmp(readWhole("fresh.ini"), "new") == 0 && strcmp(readWhole("locked.in~"), "newer") == 0);

    // A save's temporary: a new name each time, beside the target.
    char first[MAX_PATH], second[MAX_PATH];
    PlatformFile* one = platformCreateTemporaryFile("sub\\settings.ini", first, sizeof first);
    CHECK(one == nullptr);  // no such folder
    one = platformCreateTemporaryFile("settings.ini", first, sizeof first);
    PlatformFile* two = platformCreateTemporaryFile("settings.ini", second, sizeof second);
    CHECK(one && two && strcmp(first, second) != 0 && strncmp(first, "~cw", 3) == 0);
    CHECK(one && writeText(one, "temp") && platformCloseFile(one) && platformCloseFile(two));
    CHECK(strcmp(readWhole(first), "temp") == 0);
    // A read-only file is not replaced, as on Windows (Wine would).
    writeWhole("readonly.ini", "kept");
    SetFileAttributesA("readonly.ini", FILE_ATTRIBUTE_READONLY);
    CHECK(!platformReplaceFile(first, "readonly.ini"));
    CHECK(strcmp(readWhole("readonly.ini"), "kept") == 0 && exists(first));
    SetFileAttributesA("readonly.ini", FILE_ATTRIBUTE_NORMAL);
    // Only a file on a disk is read: a device is not.
    CHECK(platformOpenFile("NUL", FileOpen::Read) == nullptr);

    // The settings lock: a writer holds it alone, readers share it.
    CHECK(platformLockFile("celwrd.LCK", false) == nullptr);  // none made yet: no save under way
    PlatformFile* writing = platformLockFile("celwrd.LCK", true);
    CHECK(writing != nullptr && exists("celwrd.LCK"));
    CHECK(platformLockFile("celwrd.LCK", false) == nullptr);  // waits a few seconds, then goes on without
    platformUnlockFile(writing);
    PlatformFile* reading = platformLockFile("celwrd.LCK", false);
    PlatformFile* alsoReading = platformLockFile("celwrd.LCK", false);
    CHECK(reading && alsoReading);
    platformUnlockFile(alsoReading);
    platformUnlockFile(reading);
    platformUnlockFile(nullptr);

    // A name in Shift-JIS whose trail byte is a backslash stays one name.
    const char* japanese = "\x95\x5c\x83\x65\x83\x58\x83\x67.txt";  // 表テスト.txt
    file = platformOpenFile(japanese, FileOpen::Create);
    CHECK(file && writeText(file, "jp") && platformCloseFile(file));
    CHECK(strcmp(readWhole(japanese), "jp") == 0);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"\x8868\x30c6\x30b9\x30c8.txt", &found);
    CHECK(search != INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);

    platformDeleteFile(japanese);
    CHECK(!exists(japanese));
    platformDeleteFile("missing.txt");

    // More files open at once than the record pool holds: the surplus fails
    // to open, as a locked file does, and the others are not disturbed.
    PlatformFile* open[12];
    char name[32];
    for (int i = 0; i < 12; ++i) {
        snprintf(name, sizeof name, "many%d.txt", i);
        open[i] = platformOpenFile(name, FileOpen::Append);
        CHECK((open[i] != nullptr) == (i < 8));
        if (open[i]) CHECK(writeText(open[i], name));
    }
    for (int i = 0; i < 8; ++i) CHECK(platformCloseFile(open[i]));
    CHECK(strcmp(readWhole("many7.txt"), "many7.txt") == 0);
    PlatformFile* again = platformOpenFile("many11.txt", FileOpen::Create);
    CHECK(again && platformCloseFile(again));
    CHECK(!platformCloseFile(nullptr) && !platformWriteFile(nullptr, "x", 1));
    return failures;
}

// ---------------------------------------------------------------- owners

bool believed(const char* path) {
    PlatformFile* file = platformOpenFile(path, FileOpen::Read);
    if (!file) return false;
    bool trusted = platformIsFileTrusted(file, path);
    platformCloseFile(file);
    return trusted;
}

// A folder that run_under_wine.sh prepared: "theirs.txt" belongs to another
// Unix user (Wine reports it as owned by Anonymous Logon), "linked.ini" is
// a Unix link to "target.ini"; below it files of ours, 0644 unless named
// "everyones" (0666), in folders 0755 ("closed"), 0777 ("open"), 1777
// ("sticky") and 0755 of another user ("theirs"); "closed/out.ini" is a
// link to "open/target.ini".
int testOwners(int argc, char** argv) {
    if (argc < 3) return 2;
    SetCurrentDirectoryA(argv[2]);
    writeWhole("mine.txt", "x");
    CHECK(believed("mine.txt"));
    CHECK(!believed("theirs.txt"));
    CHECK(!believed("missing.txt"));
    CHECK(believed("linked.ini"));
    CHECK(believed("closed\\mine.ini"));
    CHECK(!believed("closed\\everyones.ini"));
    CHECK(!believed("open\\mine.ini"));
    CHECK(!believed("sticky\\mine.ini"));
    CHECK(!believed("theirs\\mine.ini"));
    CHECK(!believed("closed\\out.ini"));
    // The folder of an absolute name, and of a name relative to a drive.
    char absolute[MAX_PATH];
    GetFullPathNameA("closed\\mine.ini", sizeof absolute, absolute, nullptr);
    CHECK(believed(absolute));
    char onDrive[] = "?:mine.txt";
    onDrive[0] = absolute[0];
    CHECK(believed(onDrive));
    // A save of the link replaces what it names.
    char target[MAX_PATH];
    CHECK(platformSaveTarget("linked.ini", target, sizeof target));
    size_t length = strlen(target);
    CHECK(length > 11 && strcmp(target + length - 11, "\\target.ini") == 0);
    CHECK(platformSaveTarget("new.ini", target, sizeof target) && strcmp(target, "new.ini") == 0);
    return failures;
}

// ---------------------------------------------------------------- acls

// The SDDL with each "{me}" replaced by the SID of the user the test runs as.
PSECURITY_DESCRIPTOR descriptorOf(const char* sddl, const char* me) {
    char text[1024];
    size_t length = 0;
    for (const char* at = sddl; *at && length + 1 < sizeof text;) {
        if (strncmp(at, "{me}", 4) == 0 && length + strlen(me) + 1 < sizeof text) {
            length += static_cast<size_t>(snprintf(text + length, sizeof text - length, "%s", me));
            at += 4;
        } else {
            text[length++] = *at++;
        }
    }
    text[length] = '\0';
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor, nullptr))
        printf("cannot make a descriptor of %s\n", text);
    return descriptor;
}

// Descriptors that Wine never builds from a Unix mode: it maps only the
// owner and the "other" bits (to Everyone), and a DACL set through the API
// is turned back into a mode. Each row: the owner and DACL, closed or not.
int testAcls() {
    HANDLE token;
    union {
        TOKEN_USER user;
        BYTE bytes[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    } self;
    DWORD size = 0;
    char* me = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, TokenUser, &self, sizeof self, &size) ||
        !ConvertSidToStringSidA(self.user.User.Sid, &me)) {
        printf("FAIL: no SID for the test's user\n");
        return 1;
    }
    CloseHandle(token);
    PSID user = self.user.User.Sid;
    struct Case {
        const char* sddl;
        bool closed;
        int line;
    };
    // A named user of the machine, not the test's.
#define OTHER "S-1-5-21-1-2-3-1002"
#define TRUSTED_INSTALLER "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
    const Case cases[] = {
        // What Wine makes of 0644, 0666 and a 0777 folder, and of a file of another Unix user.
        {"O:{me}D:(A;;FA;;;SY)(A;;FA;;;{me})(A;;0x1200a9;;;WD)", true, __LINE__},
        {"O:{me}D:(A;;FA;;;SY)(A;;FA;;;{me})(A;;0x1301ff;;;WD)", false, __LINE__},
        {"O:{me}D:(A;OICI;FA;;;SY)(A;OICI;FA;;;{me})(A;OICI;0x1301ff;;;WD)", false, __LINE__},
        {"O:AND:(A;;FA;;;SY)(A;;FA;;;AN)(A;;0x1200a9;;;WD)", false, __LINE__},
        // Owners: the Administrators and SYSTEM are trusted, a group or another user is not.
        {"O:BAD:(A;;FA;;;BA)(A;;FA;;;SY)(A;;FA;;;{me})", true, __LINE__},
        {"O:BUD:(A;;FA;;;SY)", false, __LINE__},
        {"O:" OTHER "D:(A;;FA;;;" OTHER ")", false, __LINE__},
        {"D:(A;;FA;;;SY)", false, __LINE__},
        // The owner's own entry, TrustedInstaller's, and the stand-ins for a creator.
        {"O:BAD:(A;;FA;;;BA)(A;;FA;;;OW)", true, __LINE__},
        {"O:{me}D:(A;;FA;;;" TRUSTED_INSTALLER ")", true, __LINE__},
        {"O:{me}D:(A;;FA;;;CO)(A;;FA;;;CG)", true, __LINE__},
        // Others that may read and run; others that may change it.
        {"O:{me}D:(A;;0x1200a9;;;BU)(A;;FR;;;AU)(A;;GR;;;WD)(A;;GX;;;" OTHER ")", true, __LINE__},
        {"O:{me}D:(A;;0x110180;;;BU)", true, __LINE__},  // delete, attributes: not its bytes
        {"O:{me}D:(A;;FW;;;BU)", false, __LINE__},
        {"O:{me}D:(A;OICIID;0x1301bf;;;AU)", false, __LINE__},  // a folder made under C:\ inherits this
        {"O:{me}D:(A;;0x4;;;AU)", false, __LINE__},             // append: C:\ itself gives this
        {"O:{me}D:(A;;FA;;;" OTHER ")", false, __LINE__},
        {"O:{me}D:(A;;0x40;;;" OTHER ")", false, __LINE__},  // delete what a folder holds
        {"O:{me}D:(A;;WD;;;BU)", false, __LINE__},
        {"O:{me}D:(A;;WO;;;BU)", false, __LINE__},
        {"O:{me}D:(A;;GW;;;WD)", false, __LINE__},
        // Entries only handed down to what a folder will hold.
        {"O:{me}D:(A;OICIIO;FA;;;BU)(A;OICIIO;FA;;;CO)", true, __LINE__},
        // A denial counts before the allowance, for the same SID or Everyone.
        {"O:{me}D:(D;;FA;;;BU)(A;;FA;;;BU)", true, __LINE__},
        {"O:{me}D:(D;;FA;;;WD)(A;;FA;;;AU)", true, __LINE__},
        {"O:{me}D:(A;;FA;;;BU)(D;;FA;;;BU)", false, __LINE__},
        {"O:{me}D:(D;;FA;;;AU)(A;;FA;;;BU)", false, __LINE__},
        {"O:{me}D:(D;;FW;;;BU)(A;;FA;;;BU)", false, __LINE__},  // may still change the DACL
        {"O:{me}D:(D;OICIIO;FA;;;BU)(A;;FA;;;BU)", false, __LINE__},
        // No DACL lets everyone in (the null one is made below: Wine reads
        // NO_ACCESS_CONTROL as an empty DACL); an empty one no one.
        {"O:{me}", false, __LINE__},
        {"O:{me}D:", true, __LINE__},
    };
#undef OTHER
#undef TRUSTED_INSTALLER
    for (const Case& row : cases) {
        PSECURITY_DESCRIPTOR descriptor = descriptorOf(row.sddl, me);
        bool closed = descriptor && securityIsClosedToOthers(descriptor, user);
        if (descriptor && closed != row.closed) printf("  %s\n", row.sddl);
        check(descriptor && closed == row.closed, row.closed ? "closed to others" : "open to others", row.line);
        LocalFree(descriptor);
    }
    LocalFree(me);
    SECURITY_DESCRIPTOR nullDacl;
    InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&nullDacl, user, FALSE);
    CHECK(SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE) && !securityIsClosedToOthers(&nullDacl, user));

    // Object entries (SDDL as Wine reads it has none), whose SID comes after
    // the GUIDs they carry; then a list that is not what it says: more
    // entries than it holds, an entry past its end, a SID that does not fit.
    union {
        ACL acl;
        BYTE bytes[256];
    } list;
    PSID users = nullptr;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users);
    auto reset = [&] {
        memset(&list, 0, sizeof list);
        InitializeAcl(&list.acl, sizeof list, ACL_REVISION);
        AddAccessAllowedAce(&list.acl, ACL_REVISION, FILE_GENERIC_READ, users);
    };
    // Laid out by hand: Wine has no AddAccessAllowedObjectAce.
    auto objectAce = [&](DWORD rights, DWORD flags) {
        memset(&list, 0, sizeof list);
        InitializeAcl(&list.acl, sizeof list, ACL_REVISION_DS);
        BYTE* ace = list.bytes + sizeof(ACL);
        DWORD at = offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType);
        if (flags & ACE_OBJECT_TYPE_PRESENT) at += sizeof(GUID);
        if (flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) at += sizeof(GUID);
        memset(ace + offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType), 0x5A, at - offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType));
        CopySid(GetLengthSid(users), ace + at, users);
        ACE_HEADER header = {ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, static_cast<WORD>(at + GetLengthSid(users))};
        memcpy(ace, &header, sizeof header);
        memcpy(ace + offsetof(ACCESS_ALLOWED_OBJECT_ACE, Mask), &rights, sizeof rights);
        memcpy(ace + offsetof(ACCESS_ALLOWED_OBJECT_ACE, Flags), &flags, sizeof flags);
        list.acl.AceCount = 1;
        return daclLetsOthersChange(&list.acl, user, user);
    };
    const DWORD both = ACE_OBJECT_TYPE_PRESENT | ACE_INHERITED_OBJECT_TYPE_PRESENT;
    CHECK(objectAce(FILE_ALL_ACCESS, 0));
    CHECK(!objectAce(FILE_GENERIC_READ, both));
    CHECK(!objectAce(FILE_GENERIC_READ, ACE_INHERITED_OBJECT_TYPE_PRESENT));
    reset();
    ACE_HEADER* first = reinterpret_cast<ACE_HEADER*>(list.bytes + sizeof(ACL));
    CHECK(!daclLetsOthersChange(&list.acl, user, user));
    list.acl.AceCount = 2;
    CHECK(daclLetsOthersChange(&list.acl, user, user));
    reset();
    first->AceSize = sizeof list;
    CHECK(daclLetsOthersChange(&list.acl, user, user));
    reset();
    reinterpret_cast<SID*>(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(first)->SidStart)->SubAuthorityCount = 15;
    CHECK(daclLetsOthersChange(&list.acl, user, user));
    FreeSid(users);

    // Random lists that end at a page no one may read: a read past the
    // list's size ends the test.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    BYTE* pages = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    DWORD unused;
    CHECK(pages && VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &unused));
    if (!pages) return failures;
    unsigned state = 12345;
    auto next = [&] { return (state = state * 1103515245u + 12345u) >> 16; };
    for (int round = 0; round < 20000; ++round) {
        WORD size = static_cast<WORD>(sizeof(ACL) + next() % 120);
        ACL* random = reinterpret_cast<ACL*>(pages + system.dwPageSize - size);
        for (WORD i = 0; i < size; ++i) reinterpret_cast<BYTE*>(random)[i] = static_cast<BYTE>(next());
        random->AclSize = size;
        random->AceCount = static_cast<WORD>(next() % 6);
        daclLetsOthersChange(random, user, user);
    }
    VirtualFree(pages, 0, MEM_RELEASE);
    return failures;
}

// ---------------------------------------------------------------- timers

int ticksA, ticksB, nestedEntries, reentered;
uintptr_t timerA, timerB;
bool insideNested;

void tickA() {
    if (++ticksA == 3) platformStopTimer(timerA);  // a tick may stop its own timer
}
void tickB() { ++ticksB; }

// Stands for a tick that opens a message box: its own loop dispatches.
void nestedTick() {
    ++nestedEntries;
    if (insideNested) {
        ++reentered;
        return;
    }
    insideNested = true;
    pumpMessages(350);
    insideNested = false;
}

// A timer armed to sleep through a span of local time: the steps of its
// grid (from its start) at which its first two ticks came.
constexpr int64_t kArmedPeriodMs = 250;
int armedSteps[2], armedTicks;
LARGE_INTEGER armedStart;

int64_t msSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
}

int64_t localMsNow() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME count;
    SystemTimeToFileTime(&local, &count);
    return static_cast<int64_t>((static_cast<uint64_t>(count.dwHighDateTime) << 32 | count.dwLowDateTime) / 10000);
}

void armedTick() {
    if (armedTicks < 2) armedSteps[armedTicks] = static_cast<int>(msSince(armedStart) / kArmedPeriodMs);
    ++armedTicks;
}

void runArmedTimer(int64_t quietMs) {
    armedTicks = 0;
    armedSteps[0] = armedSteps[1] = -1;
    QueryPerformanceCounter(&armedStart);
    uintptr_t timer = platformStartTimer(kArmedPeriodMs, armedTick);
    const int64_t now = localMsNow();
    platformArmTimer(timer, now - 1, now + quietMs);
    for (int waited = 0; armedTicks < 2 && waited < 3000; waited += 50) pumpMessages(50);
    platformStopTimer(timer);
}

// Quiet for two and a half steps, it wakes at the third step and ticks at
// every step after: never earlier, and not a step later. Load only makes a
// tick late, so of a few tries one must hit the step.
void checkArmedTimerWakesAtItsStep() {
    // The first timer also makes the window that hears the clock set.
    platformStopTimer(platformStartTimer(kArmedPeriodMs, armedTick));
    for (int attempt = 0; attempt < 3; ++attempt) {
        runArmedTimer(2 * kArmedPeriodMs + kArmedPeriodMs / 2);
        printf("armed timer: ticks at steps %d and %d\n", armedSteps[0], armedSteps[1]);
        CHECK(armedSteps[0] >= 3);  // never inside the quiet span
        if (armedSteps[0] == 3 && armedSteps[1] == 4) return;
    }
    CHECK(armedSteps[0] == 3 && armedSteps[1] == 4);
}

int testTimers() {
    checkArmedTimerWakesAtItsStep();
    timerA = platformStartTimer(100, tickA);
    timerB = platformStartTimer(100, tickB);
    CHECK(timerA != 0 && timerB != 0 && timerA != timerB);
    Sleep(250);
    CHECK(ticksA == 0 && ticksB == 0);  // only message dispatching runs them
    pumpMessages(1050);
    CHECK(ticksA == 3);
    CHECK(ticksB >= 6 && ticksB <= 12);
    platformStopTimer(timerB);
    int stoppedAt = ticksB;
    pumpMessages(300);
    CHECK(ticksB == stoppedAt);

    uintptr_t nested = platformStartTimer(100, nestedTick);
    pumpMessages(1000);
    platformStopTimer(nested);
    CHECK(nestedEntries >= 2);
    CHECK(reentered == 0);

    CHECK(platformStartTimer(100, nullptr) == 0);
    platformStopTimer(12345);  // not ours: nothing happens
    platformStopTimer(0);

    return failures;
}

// ---------------------------------------------------------------- programs

// Child: sleeps, then writes its current directory to FILE.
int childSleep(int argc, char** argv) {
    if (argc < 4) return 2;
    Sleep(static_cast<DWORD>(atoi(argv[2])));
    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof directory, directory);
    writeWhole(argv[3], directory);
    return 0;
}

int testPrograms() {
    makeWorkDirectory("programs");
    char here[MAX_PATH], sub[MAX_PATH], copy[MAX_PATH], marker[MAX_PATH], command[3 * MAX_PATH];

    // The program is found in, and runs in, its directory, and is waited
    // for; ours stays where it was.
    snprintf(sub, sizeof sub, "%s\\sub", workDirectory);
    CreateDirectoryA(sub, nullptr);
    snprintf(copy, sizeof copy, "%s\\sub-child.exe", sub);
    CHECK(CopyFileA(selfPath, copy, FALSE));
    snprintf(marker, sizeof marker, "%s\\waited.txt", workDirectory);
    snprintf(command, sizeof command, "sub-child.exe child-sleep 1000 \"%s\"", marker);
    ULONGLONG start = GetTickCount64();
    CHECK(platformRunProgramAndWait(command, "sub"));
    ULONGLONG took = GetTickCount64() - start;
    CHECK(took >= 950);
    CHECK(exists(marker) && strcmp(readWhole(marker), sub) == 0);
    CHECK(GetCurrentDirectoryA(sizeof here, here) && strcmp(here, workDirectory) == 0);
    // A directory that cannot be entered leaves it in ours.
    snprintf(command, sizeof command, "\"%s\" child-sleep 0 \"%s\"", selfPath, marker);
    CHECK(platformRunProgramAndWait(command, "no-such-directory"));
    CHECK(exists(marker) && strcmp(readWhole(marker), workDirectory) == 0);

    start = GetTickCount64();
    CHECK(!platformRunProgramAndWait("Z:\\no-such-dir\\no-such-program.exe", nullptr));
    CHECK(!platformRunProgramAndWait("", nullptr));
    CHECK(GetTickCount64() - start < 1000);
    static char huge[40000];
    memset(huge, 'a', sizeof huge - 1);
    CHECK(!platformRunProgramAndWait(huge, nullptr));  // longer than any command line

    // Launching does not wait.
    snprintf(marker, sizeof marker, "%s\\launched.txt", workDirectory);
    snprintf(command, sizeof command, "\"%s\" child-sleep 1000 \"%s\"", selfPath, marker);
    start = GetTickCount64();
    platformLaunchProgram(command, "sub");
    CHECK(GetTickCount64() - start < 1000);
    CHECK(!exists(marker));
    for (int i = 0; i < 100 && !exists(marker); ++i) Sleep(100);
    Sleep(200);  // let it finish writing before it is read, and before the process ends
    CHECK(exists(marker) && strcmp(readWhole(marker), sub) == 0);
    return failures;
}

// ---------------------------------------------------------------- DLLs and sound

bool loadedFromSystemDirectory(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(name);
    wchar_t path[MAX_PATH], system[MAX_PATH];
    if (!module || !GetModuleFileNameW(module, path, MAX_PATH) || !GetSystemDirectoryW(system, MAX_PATH)) return false;
    size_t length = wcslen(system);
    return _wcsnicmp(path, system, length) == 0 && path[length] == L'\\';
}

// Run from a copy of this program beside a planted, broken winmm.dll.
int testDllsPlanted() {
    CHECK(GetModuleHandleW(L"winmm.dll") == nullptr);  // not imported statically
    platformPlaySound("no-such-sound.wav");
    platformPlaySound("");
    CHECK(loadedFromSystemDirectory(L"winmm.dll"));

    // The current directory drops out of the DLL search.
    CHECK(LoadLibraryA("cwplant.dll") == nullptr && GetLastError() == ERROR_BAD_EXE_FORMAT);
    win32RestrictDllSearch();
    CHECK(LoadLibraryA("cwplant.dll") == nullptr && GetLastError() == ERROR_MOD_NOT_FOUND);
    CHECK(LoadLibraryW(L"version.dll") != nullptr);  // system DLLs still load
    Sleep(300);  // the asynchronous sound ends before the process does
    return failures;
}

int testDlls() {
    makeWorkDirectory("dlls");
    char copy[MAX_PATH], command[2 * MAX_PATH];
    snprintf(copy, sizeof copy, "%s\\platform_copy.exe", workDirectory);
    CHECK(CopyFileA(selfPath, copy, FALSE));
    writeWhole("winmm.dll", "not a program");
    writeWhole("cwplant.dll", "not a program");
    snprintf(command, sizeof command, "\"%s\" dlls-planted", copy);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        printf("FAIL: could not start the copy\n");
        return 1;
    }
    DWORD code = 1;
    CHECK(WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CHECK(code == 0);
    return failures;
}

// ---------------------------------------------------------------- windows

HWND testWindow;
// shell32 holds icons 1.. of its own; they stand in for the program's.
bool iconsFromShell;

WindowHandle handleOf(HWND window) { return reinterpret_cast<WindowHandle>(window); }

int iconWidth(HICON icon) {
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info)) return -1;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// Answers the message box with this caption once it is up; after 3 s
// closes whatever box there is, so a wrong caption fails rather than hangs.
const wchar_t* boxCaption;
int boxAnswer, boxWaits;
HWND boxOwner;
bool boxSeen, boxDone;

void answerBox() {
    if (boxDone) return;
    HWND box = FindWindowW(L"#32770", boxCaption);
    boxSeen = box != nullptr;
    if (!box && ++boxWaits > 30) box = FindWindowW(L"#32770", nullptr);
    if (!box) return;
    boxDone = true;
    boxOwner = GetWindow(box, GW_OWNER);
    PostMessageW(box, WM_COMMAND, boxAnswer, 0);
}

bool askAndAnswer(int answer) {
    boxCaption = L"Cellwarden \x78ba\x8a8d";  // 確認
    boxAnswer = answer;
    boxWaits = 0;
    boxSeen = boxDone = false;
    boxOwner = nullptr;
    uintptr_t timer = platformStartTimer(100, answerBox);
    bool yes = frontEndAskYesNo("\xe3\x82\xb5\xe3\x82\xb9\xe3\x83\x9a\xe3\x83\xb3\xe3\x83\x89",  // サスペンド
                                "Cellwarden \xe7\xa2\xba\xe8\xaa\x8d");
    platformStopTimer(timer);
    return yes;
}

int testWindows() {
    // Handles that are no window are never addressed.
    const WindowHandle notWindows[] = {0, 0x1234};
    for (WindowHandle none : notWindows) {
        frontEndSetCaption(none, "x");
        frontEndSetClassIcon(none, 1);
        CHECK(!frontEndTrayAdd(none, 1, "x"));
        CHECK(!frontEndTrayModify(none, 1, "x"));
        CHECK(!frontEndIsMinimisedAndVisible(none));
        frontEndHideWindow(none);
    }

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CellwardenTestMain";
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    RegisterClassW(&windowClass);
    testWindow = CreateWindowExW(0, L"CellwardenTestMain", L"start", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!testWindow) {
        printf("SKIPPED: no window could be made (no X display)\n");
        return kSkipped;
    }
    iconsFromShell = true;
    const WindowHandle window = handleOf(testWindow);

    frontEndSetCaption(window, "\x83\x65\x83\x58\x83\x67 50%");  // テスト 50%
    wchar_t caption[64];
    GetWindowTextW(testWindow, caption, 64);
    CHECK(wcscmp(caption, L"\x30c6\x30b9\x30c8 50%") == 0);

    HICON before = reinterpret_cast<HICON>(GetClassLongPtrW(testWindow, GCLP_HICON));
    frontEndSetClassIcon(window, 0xFFFFF);  // no such icon: the class keeps its own
    CHECK(reinterpret_cast<HICON>(GetClassLongPtrW(testWindow, GCLP_HICON)) == before);
    frontEndSetClassIcon(window, 1);
    HICON large = reinterpret_cast<HICON>(GetClassLongPtrW(testWindow, GCLP_HICON));
    HICON small = reinterpret_cast<HICON>(GetClassLongPtrW(testWindow, GCLP_HICONSM));
    CHECK(large != before && small != nullptr && large != small);
    CHECK(iconWidth(large) == GetSystemMetrics(SM_CXICON));
    CHECK(iconWidth(small) == GetSystemMetrics(SM_CXSMICON));

    // A tip longer than the shell takes is cut, not overrun.
    char longTip[200];
    for (size_t i = 0; i + 2 < sizeof longTip; i += 2) memcpy(longTip + i, "\x82\xa0", 2);
    longTip[sizeof longTip - 2] = '\0';
    NOTIFYICONDATAW trayRecord = {};
    trayRecord.cbSize = sizeof trayRecord;
    trayRecord.hWnd = testWindow;
    trayRecord.uID = kTrayIconId;
    CHECK(frontEndTrayAdd(window, 1, "50%"));
    CHECK(Shell_NotifyIconW(NIM_MODIFY, &trayRecord));
    CHECK(frontEndTrayModify(window, 2, longTip));
    frontEndTrayDelete(window);
    CHECK(!Shell_NotifyIconW(NIM_MODIFY, &trayRecord));  // the icon is gone
    // The shell lost the icon (Explorer restarted): the next update brings it back.
    CHECK(frontEndTrayModify(window, 1, "back"));
    CHECK(Shell_NotifyIconW(NIM_MODIFY, &trayRecord));
    frontEndTrayDelete(window);

    ShowWindow(testWindow, SW_SHOWNORMAL);
    CHECK(!frontEndIsMinimisedAndVisible(window));
    ShowWindow(testWindow, SW_SHOWMINNOACTIVE);
    pumpMessages(100);
    CHECK(frontEndIsMinimisedAndVisible(window));
    frontEndHideWindow(window);
    CHECK(!IsWindowVisible(testWindow) && !frontEndIsMinimisedAndVisible(window));

    // The question: UTF-8 caption, owned by the main window, true only for Yes.
    CHECK(askAndAnswer(IDYES));
    CHECK(boxSeen && boxOwner == testWindow);
    CHECK(!askAndAnswer(IDNO));
    CHECK(boxSeen);

    // After the window is gone, nothing addresses it.
    CHECK(frontEndTrayAdd(window, 1, "again"));
    DestroyWindow(testWindow);
    frontEndSetCaption(window, "x");
    CHECK(!frontEndTrayModify(window, 1, "x"));
    frontEndTrayDelete(window);  // the shell still knows the icon by handle and id
    return failures;
}

// ---------------------------------------------------------------- power

int testPower(int argc, char** argv) {
    if (argc < 5) return 2;
    PowerReading reading = {9, 9, 9};
    CHECK(platformGetPowerStatus(&reading));
    printf("power %d %d %d\n", reading.acLineStatus, reading.batteryFlag, reading.batteryLifePercent);
    CHECK(reading.acLineStatus == atoi(argv[2]));
    CHECK(reading.batteryFlag == atoi(argv[3]));
    CHECK(reading.batteryLifePercent == atoi(argv[4]));
    return failures;
}

// ---------------------------------------------------------------- health

// Wine lists no battery device: every way of reading gives none, and the
// reading on its own thread comes back all the same.
int testHealth() {
    HealthReading reading;
    reading.count = 99;
    CHECK(platformReadHealthNow(&reading));
    CHECK(reading.count == 0);
    CHECK(!platformFinishHealthRead(&reading));  // none started
    for (int round = 0; round < 2; ++round) {
        platformStartHealthRead(round == 1);
        platformStartHealthRead(false);  // while one runs: dropped
        reading.count = 99;
        bool taken = false;
        for (int waited = 0; waited < 10000 && !taken; waited += 10) {
            taken = platformFinishHealthRead(&reading);
            if (!taken) Sleep(10);
        }
        CHECK(taken);
        CHECK(reading.count == 0);
        CHECK(!platformFinishHealthRead(&reading));  // once per read
    }
    TIME_ZONE_INFORMATION zone;
    DWORD which = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias + (which == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : which == TIME_ZONE_ID_STANDARD ? zone.StandardBias : 0);
    printf("utc offset %d minutes, zone bias %ld\n", platformUtcOffsetMinutes(), static_cast<long>(bias));
    CHECK(platformUtcOffsetMinutes() == -bias);
    return failures;
}

}  // namespace

// The two things the front end's screen calls take from the rest of the
// front end: the main window and the module holding the icons.
WindowHandle frontEndMainWindow() { return reinterpret_cast<WindowHandle>(testWindow); }
HINSTANCE programInstance() { return iconsFromShell ? GetModuleHandleW(L"shell32.dll") : GetModuleHandleW(nullptr); }

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const char* group = argc > 1 ? argv[1] : "";
    int result = 2;
    if (strcmp(group, "text") == 0) result = testText();
    else if (strcmp(group, "files") == 0) result = testFiles();
    else if (strcmp(group, "owners") == 0) result = testOwners(argc, argv);
    else if (strcmp(group, "acls") == 0) result = testAcls();
    else if (strcmp(group, "timers") == 0) result = testTimers();
    else if (strcmp(group, "programs") == 0) result = testPrograms();
    else if (strcmp(group, "child-sleep") == 0) return childSleep(argc, argv);
    else if (strcmp(group, "dlls") == 0) result = testDlls();
    else if (strcmp(group, "dlls-planted") == 0) return testDllsPlanted();
    else if (strcmp(group, "windows") == 0) result = testWindows();
    else if (strcmp(group, "power") == 0) result = testPower(argc, argv);
    else if (strcmp(group, "health") == 0) result = testHealth();
    else printf("usage: platform_test text|files|owners DIR|acls|timers|programs|dlls|windows|health|power AC FLAG PERCENT\n");
    if (result == 0) printf("%s: all passed\n", group);
    return result == 0 || result == kSkipped ? result : 1;
}
