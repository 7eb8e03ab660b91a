// Files through the platform: one operation per open, writes that fail are
// reported, and the replace that the settings file relies on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "platform/platform.h"
#include "test_files.h"

namespace {

bool writeThrough(const std::string& path, FileOpen mode, const std::string& text) {
    PlatformFile* file = platformOpenFile(path.c_str(), mode);
    if (!file) return false;
    bool written = platformWriteFile(file, text.data(), text.size());
    return platformCloseFile(file) && written;
}

std::string readThrough(const std::string& path) {
    PlatformFile* file = platformOpenFile(path.c_str(), FileOpen::Read);
    if (!file) return "<missing>";
    std::string content;
    char buf[7];  // small, so that reads continue where the last one ended
    size_t got;
    while ((got = platformReadFile(file, buf, sizeof buf)) > 0) content.append(buf, got);
    platformCloseFile(file);
    return content;
}

TEST(Files, CreateTruncatesAppendAddsReadReturnsTheBytes) {
    ScratchDirectory dir;
    std::string path = dir / "log.txt";
    EXPECT_EQ(readThrough(path), "<missing>");
    ASSERT_TRUE(writeThrough(path, FileOpen::Append, "one\r\n"));
    ASSERT_TRUE(writeThrough(path, FileOpen::Append, "two\r\n"));
    EXPECT_EQ(readThrough(path), "one\r\ntwo\r\n");
    ASSERT_TRUE(writeThrough(path, FileOpen::Create, std::string("a\0b", 3)));
    EXPECT_EQ(readThrough(path), std::string("a\0b", 3));
    // A read-only open refuses writes and says so at its close.
    PlatformFile* file = platformOpenFile(path.c_str(), FileOpen::Read);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(platformWriteFile(file, "x", 1));
    EXPECT_FALSE(platformCloseFile(file));
}

TEST(Files, WhatIsNoPlainFileIsNotOpenedAndNothingHangs) {
    ScratchDirectory dir;
    std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (FileOpen mode : {FileOpen::Read, FileOpen::Create, FileOpen::Append}) {
        EXPECT_EQ(platformOpenFile(dir.path().c_str(), mode), nullptr);
        EXPECT_EQ(platformOpenFile(fifo.c_str(), mode), nullptr);
        EXPECT_EQ(platformOpenFile("", mode), nullptr);
        EXPECT_EQ(platformOpenFile(nullptr, mode), nullptr);
        EXPECT_EQ(platformOpenFile((dir / "missing/x").c_str(), mode), nullptr);
    }
    // A settings file or script linked to a device is no file to read: it
    // never ends.
    std::string zero = dir / "AUTOEXEC.CLW";
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    EXPECT_EQ(platformOpenFile(zero.c_str(), FileOpen::Read), nullptr);
    std::string longName = dir / std::string(5000, 'n');
    EXPECT_EQ(platformOpenFile(longName.c_str(), FileOpen::Create), nullptr);
}

TEST(Files, AFullDiskIsAFailedWriteNotASuccess) {
    PlatformFile* file = platformOpenFile("/dev/full", FileOpen::Create);
    if (!file) GTEST_SKIP() << "no /dev/full here";
    std::string line(100, 'x');
    EXPECT_FALSE(platformWriteFile(file, line.data(), line.size()));
    EXPECT_FALSE(platformCloseFile(file));
}

TEST(Files, ClosedRecordsAreReusedAndTheOpenOnesAreBounded) {
    ScratchDirectory dir;
    std::vector<PlatformFile*> open;
    for (int i = 0; i < 64; ++i) {
        PlatformFile* file = platformOpenFile((dir / std::to_string(i)).c_str(), FileOpen::Create);
        if (!file) break;
        open.push_back(file);
    }
    EXPECT_GE(open.size(), 5u);  // trace, log, settings, script and a temporary
    EXPECT_LT(open.size(), 64u);
    for (PlatformFile* file : open) EXPECT_TRUE(platformCloseFile(file));
    // Thousands of log lines later, the pool is still whole.
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(writeThrough(dir / "log", FileOpen::Append, "x")) << i;
    EXPECT_EQ(readThrough(dir / "log").size(), 2000u);
}

TEST(Files, ReplaceSwapsInTheNewFileOrLeavesBothAlone) {
    ScratchDirectory dir;
    std::string target = dir / "celwrd.INI", source = dir / "celwrd.IN~";
    writeWholeFile(target, "old");
    writeWholeFile(source, "new");
    ASSERT_TRUE(platformReplaceFile(source.c_str(), target.c_str()));
    EXPECT_EQ(readWholeFile(target), "new");
    EXPECT_FALSE(exists(source));

    // A missing source, a target that is a directory with files in it, a
    // target in a missing directory: false, and nothing moved.
    EXPECT_FALSE(platformReplaceFile((dir / "none").c_str(), target.c_str()));
    EXPECT_EQ(readWholeFile(target), "new");
    std::string busy = dir / "busy";
    mkdir(busy.c_str(), 0755);
    writeWholeFile(busy + "/inside", "kept");
    writeWholeFile(source, "newer");
    EXPECT_FALSE(platformReplaceFile(source.c_str(), busy.c_str()));
    EXPECT_EQ(readWholeFile(source), "newer");
    EXPECT_EQ(readWholeFile(busy + "/inside"), "kept");
    EXPECT_FALSE(platformReplaceFile(source.c_str(), (dir / "missing/target").c_str()));
    EXPECT_EQ(readWholeFile(source), "newer");
    EXPECT_FALSE(platformReplaceFile("", target.c_str()));
}

TEST(Files, TheSettingsWriteKeepsTheOldFileWholeAndLeavesNoTemporary) {
    ScratchDirectory dir;
    std::string target = dir / "celwrd.INI";
    ASSERT_TRUE(writeFileReplacing(target.c_str(), "first\r\n", 7));
    ASSERT_TRUE(writeFileReplacing(target.c_str(), "second\r\n", 8));
    EXPECT_EQ(readWholeFile(target), "second\r\n");

    // The target cannot be replaced (a directory holding a file): it stays,
    // and the temporary written beside it is gone again.
    std::string blocked = dir / "blocked.INI";
    mkdir(blocked.c_str(), 0755);
    writeWholeFile(blocked + "/inside", "kept");
    EXPECT_FALSE(writeFileReplacing(blocked.c_str(), "lost\r\n", 6));
    EXPECT_EQ(readWholeFile(blocked + "/inside"), "kept");
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) entries += entry.exists();
    EXPECT_EQ(entries, 2);  // celwrd.INI and blocked.INI: no temporary
}

}  // namespace
