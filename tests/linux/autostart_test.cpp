// The user's configuration folders and the autostart entry: written where
// the XDG rules say, valid for the desktop, starting the program by
// exactly its path, and removed again; never for a program another user
// could replace, and never in a folder of someone else's. Needs root: a
// folder only root can write on the way to /, and another user.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "accounts.h"
#include "platform/linux/config_folder.h"
#include "platform/linux/linux_platform.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// The Exec value read back as a desktop reads it: the string rule (a
// backslash escapes the next byte), then the quoting rule, then %%.
std::string startedPath(const std::string& file) {
    std::string text = readWholeFile(file);
    size_t at = text.find("\nExec=");
    if (at == std::string::npos) return "<no Exec>";
    std::string value = text.substr(at + 6, text.find('\n', at + 6) - at - 6), unescaped, path;
    for (size_t i = 0; i < value.size(); ++i)
        unescaped += value[i] == '\\' && i + 1 < value.size() ? value[++i] : value[i];
    if (unescaped.size() < 2 || unescaped.front() != '"' || unescaped.back() != '"') return "<not quoted>";
    for (size_t i = 1; i + 1 < unescaped.size(); ++i) {
        char c = unescaped[i];
        if (c == '\\') {
            c = unescaped[++i];
        } else if (c == '%' && unescaped[i + 1] == '%') {
            ++i;
        }
        path += c;
    }
    return path;
}

bool closedToOthers(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && info.st_uid == 0 && (info.st_mode & 022) == 0;
}

class Autostart : public testing::Test {
protected:
    std::string safe, config, entry, home;
    Account other;

    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root: a folder only root can write on the way to /";
        // A program under /run can be replaced only by root.
        ASSERT_TRUE(closedToOthers("/") && closedToOthers("/run"));
        safe = "/run/cw-autostart-XXXXXX";
        ASSERT_NE(mkdtemp(safe.data()), nullptr);
        ASSERT_EQ(chmod(safe.c_str(), 0755), 0);
        config = safe + "/config";
        entry = config + "/autostart/cellwarden.desktop";
        ASSERT_EQ(setenv("XDG_CONFIG_HOME", config.c_str(), 1), 0);
        if (const char* was = getenv("HOME")) home = was;
        other = testAccount("cwother");
        ASSERT_FALSE(other.name.empty());
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        if (!home.empty()) setenv("HOME", home.c_str(), 1);
        std::error_code ignored;
        if (!safe.empty()) fs::remove_all(safe, ignored);
    }

    // A folder under the safe one, made with `mode` for `owner`.
    std::string folder(const std::string& name, mode_t mode = 0755, uid_t owner = 0) {
        const std::string path = safe + "/" + name;
        fs::create_directories(path);
        EXPECT_EQ(chown(path.c_str(), owner, owner ? other.gid : 0), 0);
        EXPECT_EQ(chmod(path.c_str(), mode), 0);
        return path;
    }
    static std::string program(const std::string& folder, mode_t mode = 0755) {
        const std::string path = folder + "/celwrd";
        writeWholeFile(path, "#!/bin/sh\n");
        EXPECT_EQ(chmod(path.c_str(), mode), 0);
        return path;
    }
    bool setOn(const std::string& path) {
        char where[4096];
        return linuxSetAutostart(true, path.c_str(), where, sizeof where);
    }
};

TEST_F(Autostart, TheEntryStartsTheProgramByItsExactPathAndGoesAgain) {
    const std::string path = folder("a b/bs\\dir") + "/cel\"w$r`d%u'&;";
    writeWholeFile(path, "#!/bin/sh\n");
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
    char where[4096];
    ASSERT_TRUE(linuxSetAutostart(true, path.c_str(), where, sizeof where));
    EXPECT_EQ(where, entry);
    EXPECT_EQ(startedPath(entry), path);
    const bool validator = access("/usr/bin/desktop-file-validate", X_OK) == 0;
    EXPECT_TRUE(validator) << "desktop-file-validate is missing (Debian: desktop-file-utils)";
    if (validator) {
        EXPECT_EQ(std::system(("/usr/bin/desktop-file-validate '" + entry + "'").c_str()), 0);
    }
    // No line break can be carried: refused, the entry as it was.
    EXPECT_FALSE(linuxSetAutostart(true, "/opt/a\nb/celwrd", where, sizeof where));
    EXPECT_EQ(startedPath(entry), path);
    EXPECT_TRUE(linuxSetAutostart(false, nullptr, where, sizeof where));
    EXPECT_FALSE(exists(entry));
    EXPECT_TRUE(linuxSetAutostart(false, nullptr, where, sizeof where));
}

// The entry runs the program by its path at every log-in: whoever can
// write the program or a folder above it can put their own in its place.
TEST_F(Autostart, AProgramAnotherUserCouldReplaceGetsNoEntry) {
    const std::string fine = program(folder("fine"));
    char found[4096];
    EXPECT_FALSE(linuxFindReplaceable(fine.c_str(), found, sizeof found)) << found;
    EXPECT_TRUE(setOn(fine));

    const std::string open = folder("open", 0777), theirs = folder("theirs", 0777, other.uid),
                      sticky = folder("sticky", 01777), owned = folder("owned", 0755, other.uid),
                      shared = folder("shared"), file = folder("file"), aside = folder("aside", 0777);
    ASSERT_EQ(runCommand({"setfacl", "-m", "u:cwother:rwx", shared}), 0);
    fs::create_directory_symlink(folder("aside/inner"), safe + "/link");
    program(aside + "/inner");
    struct Row {
        const char* what;
        std::string program, place;
    } rows[] = {
        {"a folder everyone may write", program(open), open},
        {"a private folder in another user's open one", program(folder("theirs/mine", 0700)), theirs},
        {"under a sticky folder such as /tmp", program(folder("sticky/mine")), sticky},
        {"a folder of another user's", program(owned), owned},
        {"a folder another user's ACL entry may write", program(shared), shared},
        {"a program everyone may write", program(file, 0666), file + "/celwrd"},
        {"a link to a folder in an open one", safe + "/link/celwrd", aside},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(canWrite(other.name, row.place));
        ASSERT_TRUE(linuxFindReplaceable(row.program.c_str(), found, sizeof found));
        EXPECT_EQ(found, row.place);
        ASSERT_EQ(unlink(entry.c_str()), 0);
        EXPECT_FALSE(setOn(row.program));
        EXPECT_EQ(errno, EPERM);
        EXPECT_FALSE(exists(entry));
        ASSERT_TRUE(setOn(fine));
    }
}

// A desktop skips an entry whose Exec line is not UTF-8, so the command
// must not say it worked.
TEST_F(Autostart, APathThatIsNotUtf8GetsNoEntry) {
    struct Row {
        const char* name;
        bool utf8;
    } rows[] = {
        {"caf\xc3\xa9", true}, {"\xe3\x83\x90\xe3\x83\x83\xe3\x83\x86\xe3\x83\xaa", true}, {"\xf0\x9f\x94\x8b", true},
        {"caf\xe9", false},    {"\xc0\xaf", false},  {"\xed\xa0\x80", false},  {"\xf4\x90\x80\x80", false},
        {"\xe3\x83", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = program(folder(row.name));
        const bool written = setOn(path);
        const int why = errno;
        EXPECT_EQ(written, row.utf8);
        EXPECT_EQ(exists(entry), row.utf8);
        if (!row.utf8) {
            EXPECT_EQ(why, EILSEQ);
        }
        unlink(entry.c_str());
    }
}

// su without -, sudo without -H: root with another user's $HOME keeps to
// its own home, and makes no folder in one of someone else's.
TEST_F(Autostart, TheUsersFoldersAreTheirOwnWhateverTheEnvironmentSays) {
    const std::string theirs = folder("home-of-other", 0755, other.uid);
    ASSERT_EQ(setenv("HOME", theirs.c_str(), 1), 0);
    unsetenv("XDG_CONFIG_HOME");
    char named[4096];
    ASSERT_TRUE(configFolder("cellwarden", named, sizeof named));
    EXPECT_EQ(named, std::string(getpwuid(geteuid())->pw_dir) + "/.config/cellwarden/");

    // Named by the environment, still nothing is made in their folders.
    const std::string fine = program(folder("fine"));
    for (const char* made : {"", "/.config"}) {
        SCOPED_TRACE(made);
        if (*made) {
            ASSERT_EQ(mkdir((theirs + made).c_str(), 0700), 0);
            ASSERT_EQ(chown((theirs + made).c_str(), other.uid, other.gid), 0);
        }
        ASSERT_EQ(setenv("XDG_CONFIG_HOME", (theirs + "/.config").c_str(), 1), 0);
        errno = 0;
        EXPECT_FALSE(linuxFilesFolder("/usr/bin/", named, sizeof named));
        EXPECT_EQ(errno, EPERM);
        EXPECT_FALSE(setOn(fine));
        EXPECT_FALSE(exists(theirs + "/.config/cellwarden"));
        EXPECT_FALSE(exists(theirs + "/.config/autostart"));
    }
    // Nor is a folder of theirs taken where the program would keep its files.
    const std::string kept = theirs + "/.config/cellwarden";
    ASSERT_EQ(mkdir(kept.c_str(), 0700), 0);
    ASSERT_EQ(chown(kept.c_str(), other.uid, other.gid), 0);
    EXPECT_FALSE(linuxFilesFolder("/usr/bin/", named, sizeof named));

    // In a folder of the user's own all is made, for the user alone.
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", config.c_str(), 1), 0);
    ASSERT_TRUE(linuxFilesFolder("/usr/bin/", named, sizeof named));
    EXPECT_EQ(named, config + "/cellwarden/");
    EXPECT_EQ(fs::status(named).permissions(), fs::perms::owner_all);
}

}  // namespace
