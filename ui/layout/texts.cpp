#include "base/texts.h"

#include "base/language.h"
#include "ui/layout/text_table.h"

const char* text(int id) {
    const unsigned index = static_cast<unsigned>(id - IDS_FIRST);
    if (index >= IDS_COUNT) return "";
    return kTextTable[programLanguage() == Language::English ? 1 : 0][index];
}
