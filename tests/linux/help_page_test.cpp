// The page that stands in for the help file: beside the program, or in
// its package's documentation when installed.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "platform/linux/linux_platform.h"
#include "test_files.h"

namespace {

std::string helpPage(const std::string& helpPath) {
    char page[PATH_MAX];
    return linuxHelpPage(helpPath.c_str(), page, sizeof page) ? page : "<none>";
}

TEST(HelpPage, IsThePageBesideTheHelpFileWhenItExists) {
    ScratchDirectory dir;
    EXPECT_EQ(helpPage(dir / "celwrd.HLP"), "<none>");
    writeWholeFile(dir / "celwrd.html", "<p>");
    EXPECT_EQ(helpPage(dir / "celwrd.HLP"), dir / "celwrd.html");
    EXPECT_EQ(helpPage(dir.path() + "/" + std::string(5000, 'h') + ".HLP"), "<none>");
    EXPECT_EQ(helpPage(""), "<none>");
    char small[8];
    EXPECT_FALSE(linuxHelpPage((dir / "celwrd.HLP").c_str(), small, sizeof small)) << "never a path cut short";
}

TEST(HelpPage, OfAnInstalledProgramIsInItsPackage) {
    ScratchDirectory prefix;
    std::filesystem::create_directories(prefix.path() + "/bin");
    std::filesystem::create_directories(prefix.path() + "/share/doc/cellwarden");
    writeWholeFile(prefix / "share/doc/cellwarden/celwrd.html", "<p>");
    EXPECT_EQ(helpPage(prefix / "bin/celwrd.HLP"), prefix.path() + "/bin/../share/doc/cellwarden/celwrd.html");
}

}  // namespace
