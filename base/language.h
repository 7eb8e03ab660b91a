// The language of what the program says: Japanese, its own, or English.
// Chosen once at start, before any window or message; everything the
// program writes to files (settings, log, trace, health history) is the
// same in both.
#pragma once

#include <cstdint>

enum class Language : uint8_t { Japanese, English };

// The chosen language; Japanese until setProgramLanguage is called.
Language programLanguage();
void setProgramLanguage(Language language);

// "ja" or "en" (exactly) as a language; false for anything else.
bool languageOfName(const char* name, Language* language);

// The name of a language as languageOfName reads it: "ja" or "en". The help
// page marks each language's part with it.
const char* languageName(Language language);

// The option "--lang ja|en" or "--lang=ja|en" in a command line split as
// the program splits it (blanks, double quotes). 1 with `language` set
// when present with a good value, -1 when present with another value or
// none, 0 when absent. The last one counts. The option leaves "-A" and
// "-$" as they are: the command line's own reading skips a word that
// begins with "--", and takes the value as a further argument, which
// nothing uses.
int languageOption(const char* commandLine, Language* language);

// Linux: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set
// and not empty, in that order (nullptr for one that is not set). "ja..."
// is Japanese; "C", "POSIX" or none is Japanese, the program's own;
// anything else is English. LANGUAGE's first entry counts.
Language languageOfLocale(const char* const (&values)[4]);

// Windows: the user's UI language id (GetUserDefaultUILanguage).
Language languageOfLangId(uint16_t langId);
