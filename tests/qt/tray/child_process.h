// A program the tests start: its standard output read line by line (or
// what it writes to a descriptor of its choosing, as Xvfb -displayfd and
// dbus-daemon --print-address do), its standard input written. It dies
// with the test process, and is killed when the object goes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

class ChildProcess {
public:
    struct Options {
        std::vector<std::string> env;  // "NAME=value" sets, "NAME" alone removes
        int reportFd = 1;              // the descriptor whose lines line() reads
        bool quiet = false;            // its standard error to /dev/null
    };

    ChildProcess() = default;
    ChildProcess(const std::vector<std::string>& args, const Options& options) { start(args, options); }
    ~ChildProcess() { stop(SIGKILL); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The program by its path, or found on PATH.
    bool start(std::vector<std::string> args, const Options& options) {
        stop(SIGKILL);
        std::vector<std::string> entries;
        for (char** e = environ; *e; ++e) entries.push_back(*e);
        for (const std::string& change : options.env) {
            std::string prefix = change.substr(0, change.find('=')) + "=";
            std::erase_if(entries, [&](const std::string& e) { return e.compare(0, prefix.size(), prefix) == 0; });
            if (change.find('=') != std::string::npos) entries.push_back(change);
        }
        if (args.empty()) return false;
        args[0] = findProgram(args[0]);
        if (args[0].empty()) return false;
        std::vector<char*> argv, envp;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : entries) envp.push_back(e.data());
        envp.push_back(nullptr);

        int report[2], input[2];
        if (pipe2(report, O_CLOEXEC) != 0) return false;
        if (pipe2(input, O_CLOEXEC) != 0) {
            close(report[0]);
            close(report[1]);
            return false;
        }
        int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        pid_t parent = getpid();
        // Only async-signal-safe calls between fork and exec: Qt's threads
        // may be running.
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            // dup2 onto itself keeps close-on-exec: clear it in every case.
            dup2(input[0], 0);
            fcntl(0, F_SETFD, 0);
            dup2(report[1], options.reportFd);
            fcntl(options.reportFd, F_SETFD, 0);
            if (options.reportFd != 1) dup2(devNull, 1);
            if (options.quiet) dup2(devNull, 2);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(devNull);
        close(report[1]);
        close(input[0]);
        out_ = report[0];
        in_ = input[1];
        if (pid_ < 0) {
            stop(SIGKILL);
            return false;
        }
        return true;
    }

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Readable when it has written (or ended): for an event loop to wait on.
    int outputFd() const { return out_; }

    // The next line it wrote; "" at its end or after `ms` (long: a loaded
    // machine is slow, and a line that comes costs no wait).
    std::string line(int ms = 20000) {
        std::string text;
        readLine(&text, ms);
        return text;
    }

    // The next line it wrote; false at its end or after `ms`.
    bool readLine(std::string* text, int ms = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                *text = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return true;
            }
            text->clear();
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd readable{out_, POLLIN, 0};
            if (out_ < 0 || left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return false;
            char chunk[512];
            ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0) return false;
            buffer_.append(chunk, static_cast<size_t>(got));
        }
    }

    void say(const std::string& text) {
        std::string line = text + "\n";
        if (in_ >= 0 && write(in_, line.data(), line.size()) < 0) {
        }
    }

    // Its exit code, or 128 + the signal that ended it; -1 when it runs on
    // after `ms`.
    int wait(int ms = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (pid_ > 0) {
            int status = 0;
            pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (done < 0 || std::chrono::steady_clock::now() > deadline) return -1;
            usleep(10000);
        }
        return -1;
    }

    void stop(int signal) {
        if (pid_ > 0) {
            kill(pid_, signal);
            if (wait(3000) == -1 && pid_ > 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
            pid_ = -1;
        }
        if (out_ >= 0) close(out_);
        if (in_ >= 0) close(in_);
        out_ = in_ = -1;
        buffer_.clear();
    }

    static std::string findProgram(const std::string& name) {
        if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
        const char* path = getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        for (size_t start = 0; start <= dirs.size();) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
        return "";
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string buffer_;
};
