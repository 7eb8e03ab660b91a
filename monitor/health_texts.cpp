#include "monitor/health_texts.h"

namespace {

// The program's own Japanese, half-width katakana as in its dialogs.
const HealthTexts kJapanese = {
    "ﾊﾞｯﾃﾘｰ",
    "合計",
    "ﾊﾞｯﾃﾘｰがありません",
    "ﾒｰｶｰ",
    "ﾓﾃﾞﾙ",
    "ｼﾘｱﾙ番号",
    "種類",
    "設計容量",
    "満充電容量",
    "健全度",
    "劣化度",
    "ｻｲｸﾙ数",
    "電力",
    "電圧",
    "(相対値)",
    "-",
    "劣化の速さ",
    "1か月に%sﾎﾟｲﾝﾄ",
    "100ｻｲｸﾙで%sﾎﾟｲﾝﾄ",
    "予測",
    "%d年%d月に80 %%に達する見込み",
    "この速さでは80 %に達しない見込み",
    "、",
    "読み取り中...",
};

}  // namespace

const HealthTexts& healthTexts() { return kJapanese; }
