#include "base/language.h"

#include <cstring>

static Language chosen = Language::Japanese;

Language programLanguage() { return chosen; }

void setProgramLanguage(Language language) { chosen = language; }

const char* languageName(Language language) { return language == Language::English ? "en" : "ja"; }

bool languageOfName(const char* name, Language* language) {
    if (strcmp(name, "ja") == 0) *language = Language::Japanese;
    else if (strcmp(name, "en") == 0) *language = Language::English;
    else return false;
    return true;
}

// Blanks as the command line's own reading has them: control bytes and
// the space.
static bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// One word: up to the first blank outside double quotes. Copied without
// the quotes into `word` (cut to its size), so a quoted value reads the
// same as a bare one.
static const char* nextWord(const char* p, char* word, size_t size) {
    size_t length = 0;
    bool quoted = false;
    for (; *p && (quoted || !isBlank(*p)); ++p) {
        if (*p == '"') quoted = !quoted;
        else if (length + 1 < size) word[length++] = *p;
    }
    word[length] = '\0';
    return p;
}

int languageOption(const char* commandLine, Language* language) {
    static constexpr char kOption[] = "--lang";
    static constexpr size_t kOptionLength = sizeof kOption - 1;
    int found = 0;
    bool valueNext = false;
    const char* p = commandLine ? commandLine : "";
    for (;;) {
        while (*p && isBlank(*p)) ++p;
        if (!*p) break;
        char word[16];
        p = nextWord(p, word, sizeof word);
        const char* value = nullptr;
        if (valueNext) {
            valueNext = false;
            value = word;
        } else if (strcmp(word, kOption) == 0) {
            valueNext = true;
            found = -1;  // until a value comes
            continue;
        } else if (strncmp(word, kOption, kOptionLength) == 0 && word[kOptionLength] == '=') {
            value = word + kOptionLength + 1;
        } else {
            continue;
        }
        Language named;
        if (languageOfName(value, &named)) {
            *language = named;
            found = 1;
        } else {
            found = -1;
        }
    }
    return found;
}

Language languageOfLocale(const char* const (&values)[4]) {
    for (const char* value : values) {
        if (!value || !*value) continue;
        if (value[0] == 'j' && value[1] == 'a') return Language::Japanese;
        // LANGUAGE is a list ("en_GB:ja"); locales name a code set after a dot.
        size_t length = strcspn(value, ":.@");
        if ((length == 1 && value[0] == 'C') || (length == 5 && strncmp(value, "POSIX", 5) == 0))
            return Language::Japanese;
        return Language::English;
    }
    return Language::Japanese;
}

Language languageOfLangId(uint16_t langId) {
    constexpr uint16_t kJapanese = 0x11;  // LANG_JAPANESE, the primary language's ten bits
    return (langId & 0x3ff) == kJapanese ? Language::Japanese : Language::English;
}
