// The program's own words in the chosen language (base/language.h): the
// string tables of resources/strings.rc, one per language, are their only
// source. The program's side defines the lookup: ui/win32 reads the
// program's resources, the Linux program and the tests a table generated
// from the same script (ui/layout).
#pragma once

#include "resources/resource_ids.h"

// The text of `id` (an IDS_ id), UTF-8, valid for the whole run; "" for
// any other id.
const char* text(int id);
