// Other users of the machine, for what they can do to the program's files:
// accounts of the tests' own, made with useradd when missing (the tests
// run as root, on a fresh machine in CI) and kept for later runs.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct Account {
    std::string name;  // empty when the account could not be had
    uid_t uid = 0;
    gid_t gid = 0;
};

// The account `name` with a group of its own, or with `primaryGroup` (an
// existing group) as its primary group.
Account testAccount(const std::string& name, const std::string& primaryGroup = "");

// The group `group`, made when missing, with `member` listed in it; its
// id, or -1.
gid_t testGroupWith(const std::string& group, const std::string& member);

// Runs `argv` (no shell), as `account` through runuser unless that is
// empty; its exit code, -1 when it could not be run.
int runCommand(const std::vector<std::string>& argv, const std::string& account = "");

// Whether `account` may write `path`, as the kernel decides it for that
// user (access(2), through test -w).
bool canWrite(const std::string& account, const std::string& path);
