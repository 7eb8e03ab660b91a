#include "app/file_chooser_setup.h"

#include <cstring>
#include <string>

#include "sim_test.h"

namespace {

// The filter list as its zero-separated pieces, up to the empty one.
std::string pieces(const char (&filter)[1024]) {
    std::string out;
    for (const char* p = filter; *p; p += strlen(p) + 1) out += std::string(p) + "|";
    return out;
}

class FileChooser : public SimTest {};

TEST_F(FileChooser, PreparesTheLogAndSoundChoosers) {
    prepareFileChoosers("C:\\TOOLS\\CELWRD.LOG");
    EXPECT_STREQ(logFileChooser.title, "ﾛｸﾞﾌｧｲﾙ名");
    EXPECT_EQ(pieces(logFileChooser.filter), "ﾛｸﾞﾌｧｲﾙ(*.LOG)|*.LOG|");
    EXPECT_STREQ(logFileChooser.file, "CELWRD");
    EXPECT_STREQ(logFileChooser.initialDirectory, "C:\\TOOLS\\");
    EXPECT_STREQ(logFileChooser.defaultExtension, "*.LOG");
    for (const FileChooserSetup& sound : soundFileChoosers) {
        EXPECT_EQ(pieces(sound.filter), "WAVﾌｧｲﾙ(*.WAV)|*.WAV|");
        EXPECT_STREQ(sound.file, "");
        EXPECT_STREQ(sound.initialDirectory, "");
    }
}

TEST_F(FileChooser, ExtraFiltersAndRefresh) {
    FileChooserSetup setup;
    setupFileChooser(setup, "T", "Logs", "*.LOG", "Text;*.TXT;All;*.*", "", "*.LOG", "");
    EXPECT_EQ(pieces(setup.filter), "Logs|*.LOG|Text|*.TXT|All|*.*|");
    refreshFileChooser(setup, "D:\\logs\\today.log");
    EXPECT_STREQ(setup.file, "D:\\logs\\today.log");
    EXPECT_STREQ(setup.initialDirectory, "D:\\logs\\");
}

TEST_F(FileChooser, AnOverlongFilterStillEndsWithItsEmptyString) {
    FileChooserSetup setup;
    memset(&setup, 'z', sizeof setup);
    std::string extra;
    for (int i = 0; i < 200; ++i) extra += "Desc" + std::to_string(i) + ";*.X" + std::to_string(i) + ";";
    setupFileChooser(setup, std::string(500, 't').c_str(), "D", "*.P", extra.c_str(), "", "", "");
    EXPECT_EQ(strlen(setup.title), 255u);
    EXPECT_EQ(setup.filter[1022], '\0');
    EXPECT_EQ(setup.filter[1023], '\0');
    EXPECT_EQ(pieces(setup.filter).substr(0, 12), "D|*.P|Desc0|");
}

}  // namespace
