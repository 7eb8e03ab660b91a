// What another user can do to the files the program reads and writes:
// real files on a file system that keeps ACLs, real second accounts, and
// the program's side (trust_probe) run as root and, through runuser, as an
// ordinary user. Every arrangement is first confirmed from the other
// user's side: the kernel lets them write, or it does not. Needs root.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "accounts.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUser[] = "cwtrust";     // runs the program
constexpr char kOther[] = "cwother";    // would have it run their commands
constexpr char kShared[] = "cwshared";  // a group both are in
constexpr char kHost[] = "cwhost";      // runs the program; its group is the lodger's primary group
constexpr char kLodger[] = "cwlodger";  // made with useradd -g cwhost

enum class Verdict { Believed, Refused, NotOpened };

std::ostream& operator<<(std::ostream& out, Verdict verdict) {
    return out << (verdict == Verdict::Believed ? "believed" : verdict == Verdict::Refused ? "refused" : "not opened");
}

// Whether the file's access ACL names a user or a group.
bool hasNamedEntries(const std::string& path) {
    unsigned char acl[4096];
    const ssize_t length = getxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl);
    for (ssize_t at = 4; at + 8 <= length; at += 8)
        if (acl[at] == 0x02 || acl[at] == 0x08) return true;
    return false;
}

// What every test of a process shares: the accounts, a folder on a file
// system that keeps ACLs, and the probe where every account can run it.
struct Ground {
    std::string why;  // why there is none
    Account user, other, host, lodger;
    gid_t shared = 0;
    std::string base, probe;

    Ground() {
        user = testAccount(kUser);
        other = testAccount(kOther);
        host = testAccount(kHost);
        lodger = testAccount(kLodger, kHost);
        const gid_t sharedForUser = testGroupWith(kShared, kUser);
        shared = testGroupWith(kShared, kOther);
        if (user.name.empty() || other.name.empty() || host.name.empty() || lodger.name.empty() ||
            shared == static_cast<gid_t>(-1) || sharedForUser != shared) {
            why = "the test accounts could not be made (useradd, groupadd, usermod)";
            return;
        }
        if (lodger.gid != host.gid) {
            why = std::string(kLodger) + " does not have the primary group of " + kHost;
            return;
        }
        const std::vector<std::string> places = {fs::temp_directory_path().string(), TEST_BUILD_DIR, "/var/tmp"};
        for (const std::string& place : places) {
            if (takeBase(place)) break;
        }
        if (base.empty()) {
            why = "no folder on a file system with ACLs that the test accounts can reach (tried " + places[0] + ", " +
                  places[1] + ", " + places[2] + "; setfacl is in the package acl)";
            return;
        }
        if (base.rfind(places[0], 0) != 0)
            std::cerr << "note: " << places[0] << " keeps no ACLs or is out of the test accounts' reach; testing in "
                      << base << "\n";
        probe = base + "/trust_probe";
        std::error_code error;
        fs::copy_file(TRUST_PROBE, probe, error);
        if (error || chmod(probe.c_str(), 0755) != 0) why = "cannot copy " + std::string(TRUST_PROBE);
    }
    ~Ground() {
        std::error_code ignored;
        if (!base.empty()) fs::remove_all(base, ignored);
    }

    // A folder under `place` that takes an ACL entry and that both
    // accounts can enter.
    bool takeBase(const std::string& place) {
        std::string pattern = place + "/cw-trust-XXXXXX";
        if (!mkdtemp(pattern.data())) return false;
        const bool fits = chmod(pattern.c_str(), 0755) == 0 &&
                          runCommand({"setfacl", "-m", std::string("u:") + kOther + ":r", pattern}) == 0 &&
                          getxattr(pattern.c_str(), "system.posix_acl_access", nullptr, 0) > 0 &&
                          runCommand({"setfacl", "-b", pattern}) == 0 &&
                          runCommand({"test", "-x", pattern}, kUser) == 0 &&
                          runCommand({"test", "-x", pattern}, kOther) == 0;
        if (fits) base = pattern;
        else fs::remove_all(pattern);
        return fits;
    }
};

const Ground& ground() {
    static Ground shared;
    return shared;
}

Account root() { return Account{"root", 0, 0}; }

class TrustGround : public testing::Test {
protected:
    std::string dir;

    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root: other users' files and runuser";
        ASSERT_EQ(ground().why, "");
        dir = ground().base + "/t-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    }
    void TearDown() override {
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }

    std::string at(const std::string& name) const { return dir + "/" + name; }

    // The probe as the program run by `who`.
    int asProgram(const Account& who, const std::vector<std::string>& args) const {
        std::vector<std::string> command = {ground().probe};
        command.insert(command.end(), args.begin(), args.end());
        return runCommand(command, who.uid == 0 ? "" : who.name);
    }
    Verdict judgedBy(const Account& who, const std::string& path) const {
        const int code = asProgram(who, {"read", path});
        return code == 0 ? Verdict::Believed : code == 1 ? Verdict::Refused : Verdict::NotOpened;
    }

    static void give(const std::string& path, uid_t uid, gid_t gid, mode_t mode) {
        ASSERT_EQ(lchown(path.c_str(), uid, gid), 0) << path;
        ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
    }
    static void setAcl(const std::vector<std::string>& args) {
        std::vector<std::string> command = {"setfacl"};
        command.insert(command.end(), args.begin(), args.end());
        ASSERT_EQ(runCommand(command), 0) << args.back();
    }
};

// The same tests with root and with an ordinary user running the program.
class Trust : public TrustGround, public testing::WithParamInterface<bool> {
protected:
    Account me() const { return GetParam() ? ground().user : root(); }
    const Account& other() const { return ground().other; }

    void SetUp() override {
        TrustGround::SetUp();
        if (!IsSkipped() && !HasFatalFailure()) give(dir, me().uid, me().gid, 0755);
    }
    Verdict judged(const std::string& path) const { return judgedBy(me(), path); }
    int asProgram(const std::vector<std::string>& args) const { return TrustGround::asProgram(me(), args); }

    // A file of the program's user, mode 0644 unless said.
    std::string mine(const std::string& name, const std::string& text = "x\n", mode_t mode = 0644) {
        const std::string path = at(name);
        writeWholeFile(path, text);
        give(path, me().uid, me().gid, mode);
        return path;
    }
    std::string plant(const std::string& name, const std::string& target) {
        const std::string link = at(name);
        EXPECT_EQ(symlink(target.c_str(), link.c_str()), 0);
        EXPECT_EQ(lchown(link.c_str(), other().uid, other().gid), 0);
        return link;
    }
};

INSTANTIATE_TEST_SUITE_P(AsRoot, Trust, testing::Values(false));
INSTANTIATE_TEST_SUITE_P(AsAUser, Trust, testing::Values(true));

TEST_P(Trust, OnlyFilesNoOneElseCouldHaveWrittenAreBelieved) {
    const std::string own = mine("own"), file = mine("file");
    EXPECT_EQ(judged(own), Verdict::Believed);
    ASSERT_FALSE(canWrite(kOther, own));

    struct Row {
        const char* what;
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool otherWrites;
        Verdict verdict;
    } rows[] = {
        {"another user's", other().uid, other().gid, 0644, true, Verdict::Refused},
        {"writable by the user's own group", me().uid, me().gid, 0664, false, Verdict::Believed},
        {"writable by a group the other is in", me().uid, ground().shared, 0664, true, Verdict::Refused},
        {"writable by everyone", me().uid, me().gid, 0646, true, Verdict::Refused},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        give(file, row.owner, row.group, row.mode);
        ASSERT_EQ(canWrite(kOther, file), row.otherWrites);
        EXPECT_EQ(judged(file), row.verdict);
    }

    // A link of the user's to a file of theirs is fine; one planted by
    // another user is not.
    ASSERT_EQ(symlink("own", at("link").c_str()), 0);
    give(at("link"), me().uid, me().gid, 0644);
    EXPECT_EQ(judged(at("link")), Verdict::Believed);
    EXPECT_EQ(judged(plant("planted", own)), Verdict::Refused);

    // A folder others can write in, the sticky /tmp kind included.
    for (mode_t mode : {01777, 0777, 0775}) {
        SCOPED_TRACE(mode);
        give(dir, me().uid, mode == 0775 ? ground().shared : me().gid, mode);
        ASSERT_TRUE(canWrite(kOther, dir));
        EXPECT_EQ(judged(own), Verdict::Refused);
    }
}

TEST_P(Trust, AnAclEntryThatLetsAnotherUserWriteIsRefused) {
    const std::string script = mine("AUTOEXEC.CLW");
    const std::string otherRw = std::string("u:") + kOther + ":rw";
    const std::string otherRwx = std::string("u:") + kOther + ":rwx";
    const std::string own = "u:" + std::to_string(me().uid) + ":rw,g:" + std::to_string(me().gid) + ":rw";
    struct Row {
        const char* what;
        std::vector<std::string> folderAcl, fileAcl;  // setfacl -m, after -b
        bool otherWritesFile, otherWritesFolder;
        Verdict verdict;
    } rows[] = {
        {"the other user on the folder and the file", {otherRwx}, {otherRw}, true, true, Verdict::Refused},
        {"the other user on the folder", {otherRwx}, {}, false, true, Verdict::Refused},
        {"the other user on the file", {}, {otherRw}, true, false, Verdict::Refused},
        {"a group the other is in", {}, {std::string("g:") + kShared + ":rw"}, true, false, Verdict::Refused},
        {"the mask takes the other's write away", {}, {otherRw + ",m::r"}, false, false, Verdict::Believed},
        {"entries of the user's own", {}, {own}, false, false, Verdict::Believed},
        {"the other may only read", {std::string("u:") + kOther + ":rx"}, {std::string("u:") + kOther + ":r"}, false,
         false, Verdict::Believed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        setAcl({"-b", dir, script});
        for (const std::string& entries : row.folderAcl) setAcl({"-m", entries, dir});
        for (const std::string& entries : row.fileAcl) setAcl({"-m", entries, script});
        ASSERT_EQ(canWrite(kOther, script), row.otherWritesFile);
        ASSERT_EQ(canWrite(kOther, dir), row.otherWritesFolder);
        EXPECT_EQ(judged(script), row.verdict);
    }
    // As ls shows it: the group bits are the ACL's mask, not a group's.
    setAcl({"-m", otherRw, script});
    struct stat info;
    ASSERT_EQ(stat(script.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u);
}

// A default ACL on the folder would hand every file made there to the
// users it names; the program's files carry just their mode.
TEST_P(Trust, FilesMadeInAFolderWithADefaultAclCarryJustTheirMode) {
    const std::string ini = mine("celwrd.INI", "old\r\n", 0664);
    setAcl({"-d", "-m", std::string("u:") + kOther + ":rwx", dir});
    ASSERT_FALSE(canWrite(kOther, dir));
    writeWholeFile(at("made-by-another-program"), "");
    ASSERT_TRUE(hasNamedEntries(at("made-by-another-program")));

    ASSERT_EQ(asProgram({"append", at("CELWRD.LOG"), "line\r\n"}), 0);
    ASSERT_EQ(asProgram({"create", at("CELWRDDB.LOG"), "trace\r\n"}), 0);
    ASSERT_EQ(asProgram({"save", ini, "new\r\n"}), 0);
    for (const char* name : {"CELWRD.LOG", "CELWRDDB.LOG", "celwrd.INI"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(hasNamedEntries(at(name)));
        EXPECT_FALSE(canWrite(kOther, at(name)));
        EXPECT_EQ(judged(at(name)), Verdict::Believed);
    }
    struct stat info;
    ASSERT_EQ(stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u);
    EXPECT_EQ(readWholeFile(ini), "new\r\n");
}

TEST_P(Trust, WritingNeverGoesThroughALinkSomeoneElsePlanted) {
    const std::string victim = mine("victim", "mine\n");
    // The log, the trace, the settings: none goes through the other's link.
    EXPECT_NE(asProgram({"append", plant("CELWRD.LOG", victim), "line\n"}), 0);
    EXPECT_NE(asProgram({"create", at("CELWRD.LOG"), "line\n"}), 0);
    EXPECT_NE(asProgram({"save", plant("celwrd.INI", victim), "new\r\n"}), 0);
    // Nor does a save through the temporary name of old.
    plant("celwrd.IN~", victim);
    EXPECT_EQ(asProgram({"save", at("real.INI"), "new\r\n"}), 0);
    EXPECT_EQ(readWholeFile(victim), "mine\n");
    EXPECT_TRUE(fs::is_symlink(at("celwrd.INI")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at("real.INI"))));
    // A link of the user's own is followed.
    ASSERT_EQ(symlink("victim", at("own.LOG").c_str()), 0);
    give(at("own.LOG"), me().uid, me().gid, 0644);
    EXPECT_EQ(asProgram({"append", at("own.LOG"), "line\n"}), 0);
    EXPECT_EQ(readWholeFile(victim), "mine\nline\n");
}

TEST_P(Trust, ASaveKeepsWhatTheFileIs) {
    const std::string ini = mine("celwrd.INI", "old\r\n", 0600);
    ASSERT_EQ(asProgram({"save", ini, "new\r\n"}), 0);
    struct stat info;
    ASSERT_EQ(stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(info.st_uid, me().uid);
    // Read-only stays as it is, as on Windows.
    give(ini, me().uid, me().gid, 0444);
    EXPECT_NE(asProgram({"save", ini, "newer\r\n"}), 0);
    EXPECT_EQ(readWholeFile(ini), "new\r\n");
    // A link (a dotfile manager's) stays a link; the file it names is replaced.
    const std::string dotfiles = at("dotfiles");
    ASSERT_EQ(mkdir(dotfiles.c_str(), 0755), 0);
    give(dotfiles, me().uid, me().gid, 0755);
    const std::string kept = mine("dotfiles/celwrd.INI", "old\r\n");
    ASSERT_EQ(symlink(kept.c_str(), at("linked.INI").c_str()), 0);
    give(at("linked.INI"), me().uid, me().gid, 0644);
    ASSERT_EQ(asProgram({"save", at("linked.INI"), "new\r\n"}), 0);
    EXPECT_TRUE(fs::is_symlink(at("linked.INI")));
    EXPECT_EQ(readWholeFile(kept), "new\r\n");
    // No temporary is left behind anywhere.
    for (const std::string& folder : {dir, dotfiles})
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find('~'), std::string::npos) << entry.path();
}

// `useradd -g cwhost cwlodger`: the group file lists no member of cwhost,
// yet the lodger writes what the group may write.
TEST_F(TrustGround, AGroupIsPrivateOnlyWhenNoOtherAccountHasItAsItsPrimaryGroup) {
    struct Row {
        Account runner, other;
        Verdict verdict;
    } rows[] = {
        {ground().host, ground().lodger, Verdict::Refused},
        {ground().user, ground().other, Verdict::Believed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.runner.name);
        const std::string folder = at(row.runner.name), script = folder + "/AUTOEXEC.CLW";
        ASSERT_EQ(mkdir(folder.c_str(), 0775), 0);
        give(folder, row.runner.uid, row.runner.gid, 0775);
        writeWholeFile(script, "[BOOT]\n/\ntrue\n");
        give(script, row.runner.uid, row.runner.gid, 0664);
        const struct group* group = getgrgid(row.runner.gid);
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(group->gr_name, row.runner.name);
        ASSERT_EQ(group->gr_mem[0], nullptr) << "a member is listed";
        ASSERT_EQ(canWrite(row.other.name, script), row.verdict == Verdict::Refused);
        ASSERT_EQ(canWrite(row.other.name, folder), row.verdict == Verdict::Refused);
        EXPECT_EQ(judgedBy(row.runner, script), row.verdict);
    }
}

}  // namespace
