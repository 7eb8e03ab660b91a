#include "accounts.h"

#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

Account testAccount(const std::string& name, const std::string& primaryGroup) {
    if (!getpwnam(name.c_str())) {
        std::vector<std::string> add = {"useradd", "--no-create-home", "--shell", "/usr/sbin/nologin"};
        if (primaryGroup.empty()) add.push_back("--user-group");
        else add.insert(add.end(), {"--no-user-group", "--gid", primaryGroup});
        add.push_back(name);
        // Another test process may be making it at the same moment: what
        // counts is that it is there afterwards.
        runCommand(add);
    }
    const passwd* user = getpwnam(name.c_str());
    if (!user) return Account{};
    return Account{name, user->pw_uid, user->pw_gid};
}

gid_t testGroupWith(const std::string& group, const std::string& member) {
    if (!getgrnam(group.c_str())) runCommand({"groupadd", group});
    const struct group* found = getgrnam(group.c_str());
    if (!found) return static_cast<gid_t>(-1);
    bool listed = false;
    for (char** name = found->gr_mem; *name; ++name) listed = listed || member == *name;
    const gid_t gid = found->gr_gid;
    if (!listed && runCommand({"usermod", "--append", "--groups", group, member}) != 0) return static_cast<gid_t>(-1);
    return gid;
}

int runCommand(const std::vector<std::string>& argv, const std::string& account) {
    std::vector<std::string> words;
    if (!account.empty()) words = {"runuser", "-u", account, "--"};
    words.insert(words.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (std::string& word : words) args.push_back(word.data());
    args.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool canWrite(const std::string& account, const std::string& path) {
    return runCommand({"test", "-w", path}, account) == 0;
}
