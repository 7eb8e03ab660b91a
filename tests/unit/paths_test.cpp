#include "base/paths.h"

#include <string>

#include "sim_test.h"

namespace {

struct Split {
    std::string dir, name, ext;
};

Split split(const char* path) {
    char dir[kPathSize], name[kPathSize], ext[kPathSize];
    splitPath(path, dir, name, ext);
    return Split{dir, name, ext};
}

std::string make(const char* dir, const char* name, const char* ext, bool takeNameExtension = false) {
    char out[kPathSize];
    return makePath(dir, name, ext, out, takeNameExtension);
}

class Paths : public SimTest {};

TEST_F(Paths, SplitsIntoDirectoryNameAndExtension) {
    struct Row {
        const char* path;
        const char* dir;
        const char* name;
        const char* ext;
    } rows[] = {
        {"C:\\TOOLS\\celwrd.exe", "C:\\TOOLS\\", "celwrd", ".exe"},
        {"\"C:\\TOOLS\\\\celwrd.exe\"", "C:\\TOOLS\\", "celwrd", ".exe"},
        {"celwrd", "", "celwrd", ""},
        {"my.tool.exe", "", "my.tool", ".exe"},
        {"C:/a//b\\/c/x.y", "C:\\a\\b\\c\\", "x", ".y"},
        {"\\\\server\\share\\\\x.exe", "\\\\server\\share\\", "x", ".exe"},
        {"C:celwrd.exe", "C:", "celwrd", ".exe"},
        {"C:\\dir.d\\noext", "C:\\dir.d\\", "noext", ""},
        {"a\"b\\c\"d.e\"f", "ab\\", "cd", ".ef"},
        {"", "", "", ""},
    };
    for (const Row& row : rows) {
        Split parts = split(row.path);
        EXPECT_EQ(parts.dir, row.dir) << row.path;
        EXPECT_EQ(parts.name, row.name) << row.path;
        EXPECT_EQ(parts.ext, row.ext) << row.path;
    }
}

TEST_F(Paths, AbsentOutputsAreNotProduced) {
    char name[kPathSize] = "unchanged";
    splitPath("C:\\x\\y.z", PathOut{}, name, PathOut{});
    EXPECT_STREQ(name, "y");
    splitPath(nullptr, PathOut{}, name, PathOut{});
    EXPECT_STREQ(name, "");
}

TEST_F(Paths, BuildsTheProgramsOwnFileNames) {
    EXPECT_EQ(make("C:\\TOOLS\\", "celwrd", "*.INI"), "C:\\TOOLS\\celwrd.INI");
    EXPECT_EQ(make("C:\\TOOLS\\", "my.tool", "*.INI"), "C:\\TOOLS\\my.INI");
    EXPECT_EQ(make("C:\\TOOLS\\", "AUTOEXEC.*", "*.CLW"), "C:\\TOOLS\\AUTOEXEC.CLW");
    EXPECT_EQ(make("C:\\TOOLS\\", "CELWRD.LOG", "CELWRD.LOG"), "C:\\TOOLS\\CELWRD.LOG");
    EXPECT_EQ(make("C:\\TOOLS\\", "CELWRDDB.LOG", nullptr, true), "C:\\TOOLS\\CELWRDDB.LOG");
    EXPECT_EQ(make("", "celwrd", "*.HLP"), "celwrd.HLP");
    EXPECT_EQ(make("C:\\TOOLS\\celwrd.exe", "C:\\TOOLS\\celwrd.exe", "*.HLP"), "C:\\TOOLS\\celwrd.HLP");
    EXPECT_EQ(make("C:\\", "name", "*"), "C:\\name");
    EXPECT_EQ(make("C:\\", "name", ""), "C:\\name");
    EXPECT_EQ(make("\"C:\\q\\\"", "\"na\"me", "\"*.e\"x"), "C:\\q\\name.ex");
    EXPECT_EQ(make(nullptr, nullptr, nullptr), "");
    EXPECT_EQ(make("C:/x//", "a.b", "c.d", true), "C:\\x\\a.b");
}

// Linux: the program's files beside it under a directory with slashes.
TEST_F(Paths, SlashSystemsKeepTheirSeparator) {
    sim::setPathSeparator('/');
    Split parts = split("/home/user//bin/celwrd");
    EXPECT_EQ(parts.dir, "/home/user/bin/");
    EXPECT_EQ(parts.name, "celwrd");
    EXPECT_EQ(make("/opt/cell warden/", "celwrd", "*.INI"), "/opt/cell warden/celwrd.INI");
    EXPECT_EQ(make("/opt/x/", "AUTOEXEC.*", "*.CLW"), "/opt/x/AUTOEXEC.CLW");
    sim::setPathSeparator('\\');
}

TEST_F(Paths, ShiftJisTrailBytesAreNotSeparators) {
    // "ソ" is 0x83 0x5C: its second byte is a backslash.
    const char* path = "C:\\\x83\x5C\\x.exe";
    Split parts = split(path);
    EXPECT_EQ(parts.dir, "C:\\\x83\x5C\\");
    EXPECT_EQ(parts.name, "x");
    EXPECT_EQ(make(parts.dir.c_str(), "x", "*.INI"), "C:\\\x83\x5C\\x.INI");
    EXPECT_EQ(split("\x95\x5C.exe").name, "\x95\x5C");

    sim::setCodePage(1252);  // no lead bytes: the same bytes are two characters
    EXPECT_EQ(split(path).dir, "C:\\\x83\\");
}

TEST_F(Paths, TooLongAResultIsRefusedNotCut) {
    std::string longDir = "C:\\" + std::string(300, 'd') + "\\";
    EXPECT_EQ(split((longDir + "x.exe").c_str()).dir, "");
    EXPECT_EQ(split((longDir + "x.exe").c_str()).name, "x");
    EXPECT_EQ(make(longDir.c_str(), "x", "*.INI"), "");
    char small[8];
    EXPECT_STREQ(makePath("C:\\", "abcd", "*.INI", small, false), "");
    EXPECT_STREQ(makePath("C:\\", "ab", "*.I", small, false), "C:\\ab.I");
}

}  // namespace
