// The texts celwrd-chart.exe looks up with text() (base/texts.h).
#pragma once

#include "base/texts.h"

// The Japanese text of an IDS_HEALTH_ id; "" for any other id.
const char* chartHealthText(int id);
