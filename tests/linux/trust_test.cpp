// What another user can plant: files and links in a folder they can write
// to must neither steer the program nor make it write where they choose.
// Real files in a scratch folder, a second user (nobody); needs root.
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/text_file.h"
#include "platform/platform.h"
#include "test_files.h"

namespace {

class Trust : public testing::Test {
protected:
    ScratchDirectory dir;
    uid_t nobody = 0;
    gid_t nogroup = 0;

    void SetUp() override {
        struct passwd* user = getpwnam("nobody");
        struct group* group = getgrnam("nogroup");
        if (geteuid() != 0 || !user || !group) GTEST_SKIP() << "needs root and the user nobody";
        nobody = user->pw_uid;
        nogroup = group->gr_gid;
    }

    // Whether the file at `name` (in the scratch folder) is believed.
    bool believed(const std::string& path) {
        PlatformFile* file = platformOpenFile(path.c_str(), FileOpen::Read);
        if (!file) return false;
        bool trusted = platformIsFileTrusted(file, path.c_str());
        platformCloseFile(file);
        return trusted;
    }
    std::string plant(const std::string& name, const std::string& target) {
        std::string link = dir / name;
        EXPECT_EQ(symlink(target.c_str(), link.c_str()), 0);
        EXPECT_EQ(lchown(link.c_str(), nobody, static_cast<gid_t>(-1)), 0);
        return link;
    }
    mode_t modeOf(const std::string& path) {
        struct stat info;
        return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
    }
};

TEST_F(Trust, OnlyFilesNoOneElseCouldHaveWrittenAreBelieved) {
    std::string own = dir / "own", theirs = dir / "theirs", shared = dir / "shared";
    writeWholeFile(own, "x");
    writeWholeFile(theirs, "x");
    writeWholeFile(shared, "x");
    ASSERT_EQ(chown(theirs.c_str(), nobody, nogroup), 0);
    EXPECT_TRUE(believed(own));
    EXPECT_FALSE(believed(theirs));
    // Group-writable: root's own group is root alone, nogroup is not.
    chmod(shared.c_str(), 0664);
    EXPECT_TRUE(believed(shared));
    ASSERT_EQ(chown(shared.c_str(), 0, nogroup), 0);
    EXPECT_FALSE(believed(shared));
    chmod(shared.c_str(), 0646);
    EXPECT_FALSE(believed(shared));
    // A link of ours to a file of ours is fine; one planted by nobody is not.
    EXPECT_EQ(symlink("own", (dir / "mine").c_str()), 0);
    EXPECT_TRUE(believed(dir / "mine"));
    EXPECT_FALSE(believed(plant("planted", own)));
    // A folder others can write to, the sticky /tmp kind included.
    for (mode_t folder : {01777, 0777, 0775}) {
        chmod(dir.path().c_str(), folder);
        if (folder == 0775) {
            ASSERT_EQ(chown(dir.path().c_str(), 0, nogroup), 0);
        }
        EXPECT_FALSE(believed(own)) << std::oct << folder;
    }
    chmod(dir.path().c_str(), 0700);
}

TEST_F(Trust, WritingNeverGoesThroughALinkSomeoneElsePlanted) {
    std::string victim = dir / "victim";
    writeWholeFile(victim, "mine\n");
    // The log, the trace, the settings: none goes through nobody's link.
    std::string log = plant("CELWRD.LOG", victim);
    EXPECT_EQ(platformOpenFile(log.c_str(), FileOpen::Append), nullptr);
    EXPECT_EQ(platformOpenFile(log.c_str(), FileOpen::Create), nullptr);
    std::string ini = plant("celwrd.INI", victim);
    EXPECT_FALSE(writeFileReplacing(ini.c_str(), "new\r\n", 5));
    // Nor does a save through the temporary name of old.
    plant("celwrd.IN~", victim);
    std::string settings = dir / "real.INI";
    EXPECT_TRUE(writeFileReplacing(settings.c_str(), "new\r\n", 5));
    EXPECT_EQ(readWholeFile(victim), "mine\n");
    EXPECT_TRUE(S_ISLNK(modeOf(ini)));
    EXPECT_TRUE(S_ISREG(modeOf(settings)));
    // A link of our own is followed.
    EXPECT_EQ(symlink("victim", (dir / "own.LOG").c_str()), 0);
    PlatformFile* file = platformOpenFile((dir / "own.LOG").c_str(), FileOpen::Append);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(platformWriteFile(file, "line\n", 5));
    EXPECT_TRUE(platformCloseFile(file));
    EXPECT_EQ(readWholeFile(victim), "mine\nline\n");
}

TEST_F(Trust, ASaveKeepsWhatTheFileIs) {
    std::string ini = dir / "celwrd.INI";
    writeWholeFile(ini, "old\r\n");
    chmod(ini.c_str(), 0600);
    ASSERT_TRUE(writeFileReplacing(ini.c_str(), "new\r\n", 5));
    EXPECT_EQ(modeOf(ini) & 07777, 0600u);
    // Read-only stays as it is, as on Windows.
    chmod(ini.c_str(), 0444);
    EXPECT_FALSE(writeFileReplacing(ini.c_str(), "newer\r\n", 7));
    EXPECT_EQ(readWholeFile(ini), "new\r\n");
    // A link (a dotfile manager's) stays a link; the file it names is replaced.
    ScratchDirectory dotfiles;
    std::string kept = dotfiles / "celwrd.INI", linked = dir / "linked.INI";
    writeWholeFile(kept, "old\r\n");
    ASSERT_EQ(symlink(kept.c_str(), linked.c_str()), 0);
    ASSERT_TRUE(writeFileReplacing(linked.c_str(), "new\r\n", 5));
    EXPECT_TRUE(S_ISLNK(modeOf(linked)));
    EXPECT_EQ(readWholeFile(kept), "new\r\n");
    // No temporary is left behind anywhere.
    for (const ScratchDirectory* folder : {&dir, &dotfiles})
        for (const auto& entry : std::filesystem::directory_iterator(folder->path()))
            EXPECT_EQ(entry.path().filename().string().find("~"), std::string::npos) << entry.path();
}

}  // namespace
