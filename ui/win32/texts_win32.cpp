// The program's own words from its string tables, in the language chosen at
// start. Each block of sixteen counted UTF-16 strings is found with its
// language id, so the thread's UI language has no say.
#include <windows.h>

#include <cstdint>

#include "base/language.h"
#include "base/texts.h"

namespace {

// UTF-8 of all the texts of one language, each ended by a zero; offset 0
// is the empty text, for one the table lacks.
char pool[32 * 1024];
uint16_t offsets[IDS_COUNT];
bool loaded;

// The counted string `index` (0..15) of a block, or nullptr.
const WCHAR* stringInBlock(const WCHAR* block, DWORD size, int index, int* length) {
    const WCHAR* end = block + size / sizeof(WCHAR);
    const WCHAR* p = block;
    for (int i = 0; p < end; ++i) {
        const int count = *p++;
        if (count > end - p) return nullptr;
        if (i == index) {
            *length = count;
            return p;
        }
        p += count;
    }
    return nullptr;
}

void load() {
    loaded = true;
    const WORD language = programLanguage() == Language::English ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                                                                 : MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    // The executable's own: celwrd.exe and celwrd-chart.exe both carry the tables.
    HMODULE module = GetModuleHandleW(nullptr);
    size_t used = 1;
    pool[0] = '\0';
    for (int index = 0; index < IDS_COUNT; ++index) {
        const int id = IDS_FIRST + index;
        offsets[index] = 0;
        HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                      MAKEINTRESOURCEW(id / 16 + 1), language);
        HGLOBAL handle = found ? LoadResource(module, found) : nullptr;
        const WCHAR* block = handle ? static_cast<const WCHAR*>(LockResource(handle)) : nullptr;
        int length = 0;
        const WCHAR* chars = block ? stringInBlock(block, SizeofResource(module, found), id % 16, &length) : nullptr;
        if (!chars || length == 0 || used + 1 >= sizeof pool) continue;
        const int room = static_cast<int>(sizeof pool - used - 1);
        const int written = WideCharToMultiByte(CP_UTF8, 0, chars, length, pool + used, room, nullptr, nullptr);
        if (written <= 0) continue;
        pool[used + static_cast<size_t>(written)] = '\0';
        offsets[index] = static_cast<uint16_t>(used);
        used += static_cast<size_t>(written) + 1;
    }
}

}  // namespace

const char* text(int id) {
    const unsigned index = static_cast<unsigned>(id - IDS_FIRST);
    if (index >= IDS_COUNT) return "";
    if (!loaded) load();
    return pool + offsets[index];
}
