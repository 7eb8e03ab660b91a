// The source of kDialogLayouts as the build compiles it, and its writing.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "rc_dialogs.h"

// C++ for ui/layout/dialog_layout.h's table. Ids stay the script's
// expressions, so the compiler checks them against resource_ids.h.
// `scriptName` only goes into the opening comment.
// With `english`, kEnglishDialogLayouts follows from those templates.
std::string layoutTableSource(const RcDialog (&dialogs)[kDialogCount], const RcDialog (*english)[kDialogCount],
                              const char* scriptName);

// C++ for ui/layout/text_table.h's table, with the compiler checking that
// the ids run from IDS_FIRST in the script's order and IDS_COUNT is right.
std::string textTableSource(const std::vector<RcText>& texts, const char* scriptName);

// Puts `content` in the place of `path` through a temporary file and a
// rename, so no one sees it half written; leaves the file and its time stamp
// alone when it holds `content` already, so nothing is rebuilt for nothing.
// False with `error` filled when it cannot.
bool writeIfChanged(const char* path, const std::string& content, std::string& error);

// celwrd-rclayout RESOURCE_SCRIPT OUTPUT.cpp [TEXTS.cpp [STRINGS_SCRIPT]]:
// the layout table, and with TEXTS.cpp the string tables, read from
// STRINGS_SCRIPT when given, else from the resource script. Returns the exit status;
// messages go to `err`, an error in the script as "path:line: error: ...".
// On any error the output is left as it was.
int runRcLayout(int argc, char** argv, FILE* err);
