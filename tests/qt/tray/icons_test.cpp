// The program's icons as QIcons: the generator's drawings at five sizes,
// made once per id.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QSize>

#include <set>

#include "resources/resource_ids.h"
#include "resources/icon_art.h"
#include "ui/qt/icons.h"

namespace {

TEST(ProgramIcon, HasTheFiveSizes) {
    for (int id = 1; id <= IDI_COUNT; ++id) {
        SCOPED_TRACE(id);
        QList<QSize> sizes = programIcon(id).availableSizes();
        EXPECT_EQ(sizes, (QList<QSize>{{16, 16}, {20, 20}, {24, 24}, {32, 32}, {48, 48}}));
    }
}

// Alpha exactly; the colour exactly where opaque, and within the rounding
// of premultiplied storage where partly transparent.
TEST(ProgramIcon, IsTheGeneratorsDrawing) {
    for (int id = 1; id <= IDI_COUNT; ++id) {
        for (int size : {16, 20, 24, 32, 48}) {
            SCOPED_TRACE(testing::Message() << "icon " << id << " at " << size);
            IconImage art;
            ASSERT_TRUE(drawIcon(id, size, 32, &art));
            QImage shown = programIcon(id).pixmap(size, size).toImage().convertToFormat(QImage::Format_RGBA8888);
            ASSERT_EQ(shown.size(), QSize(size, size));
            int wrong = 0;
            for (int y = 0; y < size; ++y) {
                const uchar* row = shown.constScanLine(y);
                for (int x = 0; x < size * 4; x += 4) {
                    const uint8_t* want = &art.pixels[(size_t(y) * size) * 4 + x];
                    int alpha = want[3];
                    if (row[x + 3] != alpha) ++wrong;
                    if (alpha == 0) continue;
                    int tolerance = alpha == 255 ? 0 : 1 + 255 / alpha;
                    for (int c = 0; c < 3; ++c)
                        if (std::abs(row[x + c] - want[c]) > tolerance) ++wrong;
                }
            }
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(ProgramIcon, IsMadeOncePerId) {
    for (int id = 1; id <= IDI_COUNT; ++id) EXPECT_EQ(programIcon(id).cacheKey(), programIcon(id).cacheKey());
    std::set<qint64> keys;
    for (int id = 1; id <= IDI_COUNT; ++id) keys.insert(programIcon(id).cacheKey());
    EXPECT_EQ(keys.size(), size_t(IDI_COUNT));
}

TEST(ProgramIcon, OtherIdsGiveIconOne) {
    for (int id : {0, -1, IDI_COUNT + 1, 10000}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(programIcon(id).cacheKey(), programIcon(IDI_BATTERY_PLAIN).cacheKey());
    }
}

}  // namespace
