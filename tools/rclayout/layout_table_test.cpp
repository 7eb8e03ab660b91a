#include "layout_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/layout/dialog_layout.h"

namespace {

// The table the build generated from resources/celwrd.rc.
TEST(Table, BuiltTableHoldsTheScript) { expectTableMatchesScript(kDialogLayouts, CELWRD_RC_PATH); }

TEST(Table, IdsAreThoseOfResourceIds) {
    std::string text = readTestFile(CELWRD_RC_PATH);
    RcDialog parsed[kDialogCount];
    RcError error{};
    ASSERT_TRUE(parseRcDialogs(text.data(), text.size(), parsed, error)) << error.message;
    const std::map<std::string, int> known = {
        {"IDC_STATIC_TEXT", IDC_STATIC_TEXT},     {"IDC_OK", IDC_OK},
        {"IDC_ITEM_FIRST", IDC_ITEM_FIRST},       {"IDC_ITEM_FIRST + 4", IDC_ITEM_FIRST + 4},
        {"IDC_LOG_BY_BATTERY", IDC_LOG_BY_BATTERY}, {"IDC_ACBATT_ENABLE", IDC_ACBATT_ENABLE},
        {"IDC_ACBATT_FILE", IDC_ACBATT_FILE},     {"IDC_LOG_TEXT", IDC_LOG_TEXT},
    };
    std::map<std::string, int> seen;
    for (int which = 0; which < kDialogCount; ++which) {
        ASSERT_EQ(kDialogLayouts[which].controlCount, static_cast<int>(parsed[which].controls.size()));
        for (int i = 0; i < kDialogLayouts[which].controlCount; ++i) {
            auto it = known.find(parsed[which].controls[i].id);
            if (it == known.end()) continue;
            EXPECT_EQ(kDialogLayouts[which].controls[i].id, it->second) << it->first;
            ++seen[it->first];
        }
    }
    EXPECT_EQ(seen.size(), known.size());
    EXPECT_EQ(seen["IDC_OK"], 3);  // the main, sound and health windows
}

class Run : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "rclayout-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        mkdir(dir_.c_str(), 0700);
        err_ = tmpfile();
        ASSERT_NE(err_, nullptr);
    }
    void TearDown() override { fclose(err_); }

    int run(std::string script, std::string output) {
        char* argv[] = {const_cast<char*>("celwrd-rclayout"), script.data(), output.data(), nullptr};
        return runRcLayout(3, argv, err_);
    }
    std::string messages() {
        std::string text(4096, '\0');
        rewind(err_);
        text.resize(fread(text.data(), 1, text.size(), err_));
        return text;
    }
    void write(const std::string& path, const std::string& text) {
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    static ino_t inode(const std::string& path) {
        struct stat info{};
        return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }

    std::string dir_;
    FILE* err_ = nullptr;
};

TEST_F(Run, WritesTheTableOnlyWhenItChanges) {
    std::string out = dir_ + "/table.cpp";
    remove(out.c_str());
    ASSERT_EQ(run(CELWRD_RC_PATH, out), 0) << messages();
    std::string first = readTestFile(out);
    EXPECT_NE(first.find("#include \"resources/resource_ids.h\""), std::string::npos);
    EXPECT_NE(first.find("IDC_ITEM_FIRST + 1"), std::string::npos);

    // The same table again: the file stays, so nothing is rebuilt.
    ino_t before = inode(out);
    ASSERT_EQ(run(CELWRD_RC_PATH, out), 0);
    EXPECT_EQ(inode(out), before);

    write(out, "stale");
    ASSERT_EQ(run(CELWRD_RC_PATH, out), 0);
    EXPECT_EQ(readTestFile(out), first);
    EXPECT_NE(inode(out), before);
    EXPECT_EQ(inode(out + ".tmp"), 0u);
    EXPECT_EQ(messages(), "");
}

TEST_F(Run, ABrokenScriptLeavesTheOutputAlone) {
    std::string script = dir_ + "/broken.rc", out = dir_ + "/table.cpp";
    write(script, "// broken\nVMID_Dlg_Main DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"open\nEND\n");
    write(out, "previous");
    EXPECT_EQ(run(script, out), 1);
    EXPECT_EQ(readTestFile(out), "previous");
    EXPECT_EQ(inode(out + ".tmp"), 0u);
    EXPECT_EQ(messages(), script + ":4: error: string without its closing quote\n");

    EXPECT_EQ(run(dir_ + "/missing.rc", out), 1);
    EXPECT_EQ(run(CELWRD_RC_PATH, dir_ + "/no-such-dir/table.cpp"), 1);
    EXPECT_NE(messages().find("cannot write"), std::string::npos);
    EXPECT_EQ(readTestFile(out), "previous");

    char* argv[] = {const_cast<char*>("celwrd-rclayout"), nullptr};
    EXPECT_EQ(runRcLayout(1, argv, err_), 2);
}

}  // namespace
