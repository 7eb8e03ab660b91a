#include <gtest/gtest.h>

#include <cstring>

#include "chart_texts_win32.h"
#include "ui/layout/text_table.h"

// celwrd-chart.exe's own copy of the health texts must say what the
// program's Japanese table says, byte for byte.
TEST(ChartTexts, TheWindowsToolsHealthTextsAreTheJapaneseTables) {
    for (int id = IDS_HEALTH_BATTERY; id <= IDS_HEALTH_READING; ++id)
        EXPECT_STREQ(chartHealthText(id), kTextTable[0][id - IDS_FIRST]) << id;
    EXPECT_STREQ(chartHealthText(IDS_HEALTH_BATTERY - 1), "");
    EXPECT_STREQ(chartHealthText(IDS_HEALTH_READING + 1), "");
}
