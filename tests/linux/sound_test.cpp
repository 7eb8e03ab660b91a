// The WAV reader on good and broken files, and the player through
// libcanberra on ALSA's file plugin (over the null device), which writes
// what it is given to a file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/linux_platform.h"
#include "platform/linux/wav_format.h"
#include "test_files.h"

namespace {

void put16(std::string& s, uint32_t v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8 & 0xFF); }
void put32(std::string& s, uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); }

std::string chunk(const char* id, const std::string& body) {
    std::string s(id, 4);
    put32(s, static_cast<uint32_t>(body.size()));
    s += body;
    if (body.size() & 1) s += '\0';
    return s;
}

std::string fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, int blockAlign = -1) {
    std::string s;
    uint16_t align = blockAlign >= 0 ? static_cast<uint16_t>(blockAlign) : static_cast<uint16_t>(channels * bits / 8);
    put16(s, tag), put16(s, channels), put32(s, rate), put32(s, rate * align), put16(s, align), put16(s, bits);
    return s;
}

std::string extensibleBody(uint16_t realTag, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::string s = fmtBody(0xFFFE, channels, rate, bits);
    put16(s, 22), put16(s, bits), put32(s, 0);
    put16(s, realTag);
    s += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return s;
}

std::string riff(const std::string& chunks, int sizeField = -1) {
    std::string s = "RIFF";
    put32(s, sizeField >= 0 ? static_cast<uint32_t>(sizeField) : static_cast<uint32_t>(4 + chunks.size()));
    return s + "WAVE" + chunks;
}

std::string samples(size_t bytes, char seed) {
    std::string s(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i) s[i] = static_cast<char>(seed + i * 7);
    return s;
}

std::string pcm16(size_t frames, char seed = 1) {
    return riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", samples(frames * 2, seed)));
}

TEST(WavFormat, ReadsThePlayableLayouts) {
    const struct {
        const char* name;
        std::string file;
        WavSample sample;
        uint16_t channels;
        uint32_t rate;
        uint64_t dataOffset, frames;
    } cases[] = {
        {"16-bit mono", pcm16(100), WavSample::S16, 1, 8000, 44, 100},
        {"8-bit stereo", riff(chunk("fmt ", fmtBody(1, 2, 22050, 8)) + chunk("data", samples(50, 3))),
         WavSample::U8, 2, 22050, 44, 25},
        {"24-bit", riff(chunk("fmt ", fmtBody(1, 2, 48000, 24)) + chunk("data", samples(60, 3))), WavSample::S24, 2,
         48000, 44, 10},
        {"float", riff(chunk("fmt ", fmtBody(3, 1, 44100, 32)) + chunk("data", samples(40, 3))), WavSample::F32, 1,
         44100, 44, 10},
        {"extensible PCM", riff(chunk("fmt ", extensibleBody(1, 2, 44100, 16)) + chunk("data", samples(40, 3))),
         WavSample::S16, 2, 44100, 68, 10},
        {"odd LIST chunk first, padded",
         riff(chunk("LIST", "abc") + chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", samples(8, 3))),
         WavSample::S16, 1, 8000, 56, 4},
        {"data cut short: what is there",
         riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", samples(200, 3))).substr(0, 44 + 51),
         WavSample::S16, 1, 8000, 44, 25},
        {"RIFF size far too large", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", samples(8, 3)), 1 << 30),
         WavSample::S16, 1, 8000, 44, 4},
    };
    for (const auto& c : cases) {
        WavFormat format{};
        ASSERT_TRUE(parseWavBytes(reinterpret_cast<const uint8_t*>(c.file.data()), c.file.size(), &format)) << c.name;
        EXPECT_EQ(format.sample, c.sample) << c.name;
        EXPECT_EQ(format.channels, c.channels) << c.name;
        EXPECT_EQ(format.rate, c.rate) << c.name;
        EXPECT_EQ(format.dataOffset, c.dataOffset) << c.name;
        EXPECT_EQ(format.frameCount, c.frames) << c.name;
    }
}

TEST(WavFormat, RefusesWhatItCannotPlaySafely) {
    const std::string data = chunk("data", samples(16, 3));
    const std::string fmt = chunk("fmt ", fmtBody(1, 1, 8000, 16));
    std::string huge = riff(fmt) + "data";
    put32(huge, 0xFFFFFFF0u);  // claims 4 GB, holds nothing
    std::string hugeChunk = riff("LIST");
    put32(hugeChunk, 0xFFFFFFFFu);
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"not RIFF", "RIFX" + riff(fmt + data).substr(4)},
        {"not WAVE", riff(fmt + data).replace(8, 4, "AVI ")},
        {"header only", riff("")},
        {"no fmt", riff(data)},
        {"data before fmt", riff(data + fmt)},
        {"two fmt chunks", riff(fmt + fmt + data)},
        {"no data", riff(fmt)},
        {"empty data", riff(fmt + chunk("data", ""))},
        {"less than one frame", riff(chunk("fmt ", fmtBody(1, 2, 8000, 16)) + chunk("data", "abc"))},
        {"data size beyond the file", huge},
        {"chunk size beyond the file", hugeChunk + fmt + data},
        {"ADPCM", riff(chunk("fmt ", fmtBody(2, 1, 8000, 4, 256)) + data)},
        {"12-bit", riff(chunk("fmt ", fmtBody(1, 1, 8000, 12, 2)) + data)},
        {"block align that lies", riff(chunk("fmt ", fmtBody(1, 2, 8000, 16, 2)) + data)},
        {"no channels", riff(chunk("fmt ", fmtBody(1, 0, 8000, 16, 0)) + data)},
        {"nine channels", riff(chunk("fmt ", fmtBody(1, 9, 8000, 16)) + data)},
        {"rate 0", riff(chunk("fmt ", fmtBody(1, 1, 0, 16)) + data)},
        {"short fmt", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16).substr(0, 14)) + data)},
        {"extensible, not PCM", riff(chunk("fmt ", extensibleBody(2, 1, 8000, 16)) + data)},
        {"float of 64 bits", riff(chunk("fmt ", fmtBody(3, 1, 8000, 64)) + data)},
    };
    for (const auto& c : cases) {
        WavFormat format{};
        EXPECT_FALSE(parseWavBytes(reinterpret_cast<const uint8_t*>(c.file.data()), c.file.size(), &format)) << c.name;
    }
    WavFormat format{};
    EXPECT_FALSE(parseWavBytes(nullptr, 10, &format));
    // The file ends inside the data chunk's header.
    std::string truncated = riff(fmt + data).substr(0, 40);
    EXPECT_FALSE(parseWavBytes(reinterpret_cast<const uint8_t*>(truncated.data()), truncated.size(), &format));
}

std::string pcm24(const std::string& samples16) {
    std::string wide;
    for (size_t i = 0; i + 1 < samples16.size(); i += 2) wide += '\x7F', wide += samples16.substr(i, 2);
    return riff(chunk("fmt ", fmtBody(1, 1, 8000, 24)) + chunk("data", wide));
}

class Player : public testing::Test {
protected:
    ScratchDirectory dir;
    std::string out;

    void SetUp() override {
        out = dir / "played.raw";
        linuxSetSoundDevice(("file:FILE=" + out + ",FORMAT=raw").c_str());
        // The desktop's theme, with one sound of ours added; canberra's
        // cache of where sounds are lives here too.
        const std::string theme = dir / "data/sounds/freedesktop";
        mkdir((dir / "data").c_str(), 0755), mkdir((dir / "data/sounds").c_str(), 0755), mkdir(theme.c_str(), 0755);
        mkdir((theme + "/stereo").c_str(), 0755);
        writeWholeFile(theme + "/index.theme", "[Sound Theme]\nName=test\nDirectories=stereo\n[stereo]\nOutputProfile=stereo\n");
        writeWholeFile(theme + "/stereo/cellwarden-test.wav", pcm16(1500, 4));
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", dir.path().c_str(), 1);
    }

    // Plays `file` to its end; what reached the device.
    std::string play(const char* file) {
        unlink(out.c_str());
        platformPlaySound(file);
        linuxWaitSoundIdle();
        return readWholeFile(out);
    }
};

bool mapped(const char* library) {
    return readWholeFile("/proc/self/maps").find(library) != std::string::npos;
}

// A start loads none of the sound stack: the first sound opens it.
TEST_F(Player, TheSoundLibrariesOpenAtTheFirstSound) {
    if (linuxSoundCounts().requests > 0) GTEST_SKIP() << "a sound played before in this process";
    EXPECT_FALSE(mapped("/libcanberra.so"));
    EXPECT_FALSE(mapped("/libasound.so"));
    EXPECT_GT(play("").size(), 1000u);  // the beep
    EXPECT_TRUE(mapped("/libcanberra.so"));
}

// After a rest with nothing to play the sound stack is unloaded; the next
// sound loads it again and plays as before.
TEST_F(Player, AfterARestTheSoundLibrariesGoUntilTheNextSound) {
    writeWholeFile(dir / "ding.wav", pcm16(2000, 5));
    EXPECT_EQ(play((dir / "ding.wav").c_str()), samples(4000, 5));
    const uint32_t released = linuxSoundCounts().released;
    EXPECT_TRUE(mapped("/libasound.so"));
    linuxSetSoundRest(100);
    for (int i = 0; i < 1000 && linuxSoundCounts().released == released; ++i) usleep(10000);
    EXPECT_EQ(linuxSoundCounts().released, released + 1);
    EXPECT_FALSE(mapped("/libcanberra.so"));
    EXPECT_FALSE(mapped("/libasound.so"));
    linuxSetSoundRest(60000);
    EXPECT_EQ(play((dir / "ding.wav").c_str()), samples(4000, 5));
    EXPECT_TRUE(mapped("/libcanberra.so"));
    EXPECT_EQ(linuxSoundCounts().released, released + 1);
}

TEST_F(Player, FilesAndThemeSoundsReachTheDeviceAs16BitSamples) {
    writeWholeFile(dir / "ding.wav", pcm16(4000, 5));
    writeWholeFile(dir / "wide.WAV", pcm24(samples(3000, 6)));
    const struct {
        std::string name, heard;
    } cases[] = {
        {dir / "ding.wav", samples(8000, 5)},
        {dir / "wide.WAV", samples(3000, 6)},  // 24 bits: the upper 16 of each
        {"cellwarden-test", samples(3000, 4)},
    };
    for (const auto& c : cases) {
        LinuxSoundCounts before = linuxSoundCounts();
        EXPECT_EQ(play(c.name.c_str()), c.heard) << c.name;
        LinuxSoundCounts after = linuxSoundCounts();
        EXPECT_EQ(after.requests - before.requests, 1u) << c.name;
        EXPECT_EQ(after.files - before.files, 1u) << c.name;
        EXPECT_EQ(after.beeps, before.beeps) << c.name;
    }
}

TEST_F(Player, WhatCannotBePlayedGivesTheBeep) {
    std::string beep = play("");
    ASSERT_GT(beep.size(), 1000u);
    writeWholeFile(dir / "text.wav", "not a sound at all");
    writeWholeFile(dir / "adpcm.wav", riff(chunk("fmt ", fmtBody(2, 1, 8000, 4, 256)) + chunk("data", samples(512, 1))));
    writeWholeFile(dir / "text.ogg", "OggS but no more");
    mkfifo((dir / "fifo.wav").c_str(), 0644);
    const std::string files[] = {dir / "missing.wav", dir / "text.wav", dir / "adpcm.wav", dir / "text.ogg",
                                 dir / "fifo.wav", dir.path(), dir / std::string(5000, 'w'),
                                 "no-such-sound-in-any-theme"};
    for (const std::string& file : files) {
        LinuxSoundCounts before = linuxSoundCounts();
        EXPECT_EQ(play(file.c_str()), beep) << file.substr(0, 80);
        EXPECT_EQ(linuxSoundCounts().beeps - before.beeps, 1u) << file.substr(0, 80);
    }
    EXPECT_EQ(play(nullptr), beep);
}

// Asked to stop, a sound on a real device stops within a block; here the
// one cut off may still finish writing, so only the counts tell.
TEST_F(Player, ANewSoundCutsOffTheOneStillPlaying) {
    // The file plugin writes into a FIFO that is not read yet: the long
    // sound stalls in the middle, whatever the speed of the machine.
    std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    linuxSetSoundDevice(("file:FILE=" + fifo + ",FORMAT=raw").c_str());
    writeWholeFile(dir / "long.wav", pcm16(400000, 1));
    writeWholeFile(dir / "short.wav", pcm16(3000, 9));
    LinuxSoundCounts before = linuxSoundCounts();
    platformPlaySound((dir / "long.wav").c_str());
    for (int i = 0; i < 500 && linuxSoundCounts().started == before.started; ++i) usleep(10000);
    platformPlaySound((dir / "short.wav").c_str());
    // Nothing is read before the short one has started: the long one has
    // been cut off by then, not drained to its end.
    for (int i = 0; i < 1000 && linuxSoundCounts().started - before.started < 2; ++i) usleep(10000);

    // Read until both are done and every writer has let go of the FIFO
    // (a closed reader would leave a writer waiting for ever).
    char buf[65536];
    bool done = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(45);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        pollfd p{reader, POLLIN, 0};
        poll(&p, 1, 50);
        ssize_t n = read(reader, buf, sizeof buf);
        if (n > 0) continue;
        LinuxSoundCounts now = linuxSoundCounts();
        done = n == 0 && now.files - before.files == 1 && now.cut - before.cut == 1;
        if (!done) usleep(10000);  // between writers the FIFO reports a hang-up at once
    }
    ASSERT_TRUE(done) << "the sounds did not end within 45 s: " << linuxSoundCounts().files - before.files
                      << " played, " << linuxSoundCounts().cut - before.cut << " cut off";
    linuxWaitSoundIdle();
    close(reader);
    LinuxSoundCounts after = linuxSoundCounts();
    EXPECT_EQ(after.started - before.started, 2u);
    EXPECT_EQ(after.cut - before.cut, 1u);
    EXPECT_EQ(after.files - before.files, 1u);
    EXPECT_EQ(after.beeps, before.beeps);
}

TEST_F(Player, ADeviceThatCannotBeOpenedPlaysNothingAndReturns) {
    linuxSetSoundDevice("cellwarden_no_such_device");
    writeWholeFile(dir / "ding.wav", pcm16(100));
    LinuxSoundCounts before = linuxSoundCounts();
    platformPlaySound((dir / "ding.wav").c_str());
    linuxWaitSoundIdle();
    LinuxSoundCounts after = linuxSoundCounts();
    EXPECT_EQ(after.files, before.files);
    EXPECT_EQ(after.beeps, before.beeps);
}

}  // namespace
