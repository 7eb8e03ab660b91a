// celwrd-chart.exe carries no string tables of its own (its resources are
// its version information only): the health texts it prints, in the
// program's Japanese, until the tool follows the chosen language. The
// Linux tests hold them to the tables of resources/celwrd.rc.
#include "chart_texts_win32.h"

namespace {

const char* const kHealthJapanese[] = {
    "ﾊﾞｯﾃﾘｰ", "合計", "ﾊﾞｯﾃﾘｰがありません", "ﾒｰｶｰ", "ﾓﾃﾞﾙ", "ｼﾘｱﾙ番号", "種類", "設計容量", "満充電容量", "健全度",
    "劣化度", "ｻｲｸﾙ数", "電力", "電圧", "(相対値)", "-", "劣化の速さ", "1か月に%sﾎﾟｲﾝﾄ", "100ｻｲｸﾙで%sﾎﾟｲﾝﾄ", "予測",
    "%d年%d月に80 %%に達する見込み", "この速さでは80 %に達しない見込み", "、", "読み取り中...",
};
static_assert(sizeof kHealthJapanese / sizeof kHealthJapanese[0] == IDS_HEALTH_READING - IDS_HEALTH_BATTERY + 1);

}  // namespace

const char* chartHealthText(int id) {
    const unsigned index = static_cast<unsigned>(id - IDS_HEALTH_BATTERY);
    return index < sizeof kHealthJapanese / sizeof kHealthJapanese[0] ? kHealthJapanese[index] : "";
}

#ifdef _WIN32
const char* text(int id) { return chartHealthText(id); }
#endif
