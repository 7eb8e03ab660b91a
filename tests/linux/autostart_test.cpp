// The autostart entry: written where the XDG rules say, valid for the
// desktop, starting the program by exactly its path, and removed again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/linux/linux_platform.h"
#include "test_files.h"

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

TEST(Autostart, TheEntryStartsTheProgramByItsExactPathAndGoesAgain) {
    ScratchDirectory dir;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::string entry = dir / "autostart/cellwarden.desktop";
    const std::string program = "/opt/a b/bs\\dir/cel\"w$r`d%u'&;";
    char where[4096];
    ASSERT_TRUE(linuxSetAutostart(true, program.c_str(), where, sizeof where));
    EXPECT_EQ(where, entry);
    EXPECT_EQ(startedPath(entry), program);
    const bool validator = access("/usr/bin/desktop-file-validate", X_OK) == 0;
    EXPECT_TRUE(validator) << "desktop-file-validate is missing (Debian: desktop-file-utils)";
    if (validator) {
        EXPECT_EQ(std::system(("/usr/bin/desktop-file-validate '" + entry + "'").c_str()), 0);
    }
    // No line break can be carried: refused, the entry as it was.
    EXPECT_FALSE(linuxSetAutostart(true, "/opt/a\nb/celwrd", where, sizeof where));
    EXPECT_EQ(startedPath(entry), program);
    EXPECT_TRUE(linuxSetAutostart(false, nullptr, where, sizeof where));
    EXPECT_FALSE(exists(entry));
    EXPECT_TRUE(linuxSetAutostart(false, nullptr, where, sizeof where));
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
