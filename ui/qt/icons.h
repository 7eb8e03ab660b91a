// The program's 13 icons (resources/resource_ids.h) as QIcons, drawn at
// run time by the same generator as the Windows .ico files.
#pragma once

#include <QIcon>

// Icon `iconId` (1..13) with images of 16, 20, 24, 32 and 48 pixels; any
// other id gives icon 1. Made on the first call for each id and kept for
// the life of the process. Needs the QGuiApplication; GUI thread only.
QIcon programIcon(int iconId);
