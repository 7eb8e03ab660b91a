// The release, as the Windows programs' version resources, the packages'
// names and the Linux package read it (cmake/packaging.cmake, scripts/package).
#pragma once

#define CELLWARDEN_RELEASE "1.05A"
#define CELLWARDEN_FILE_VERSION 1, 5, 0, 0
#define CELLWARDEN_FILE_VERSION_TEXT "1.5.0.0"
#define CELLWARDEN_COMPANY "the Cellwarden authors"
#define CELLWARDEN_COPYRIGHT "Copyright (C) 2026 the Cellwarden authors"
