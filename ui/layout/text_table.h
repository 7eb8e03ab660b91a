// The string tables of resources/strings.rc, generated at build time.
#pragma once

#include "resources/resource_ids.h"

// [0] Japanese, [1] English, each by id - IDS_FIRST.
extern const char* const kTextTable[2][IDS_COUNT];
