#include "app/file_chooser_setup.h"

#include <cstring>

#include "base/paths.h"
#include "base/text_util.h"
#include "base/texts.h"

FileChooserSetup logFileChooser;
FileChooserSetup soundFileChoosers[6];

// Appends one zero-terminated piece to the filter list; the last two bytes
// of the list are kept for the terminators.
static size_t putFilterPiece(char (&filter)[1024], size_t at, const char* text, size_t length) {
    const size_t limit = sizeof filter - 2;
    if (at >= limit) return at;
    if (length > limit - at) length = limit - at;
    memcpy(filter + at, text, length);
    filter[at + length] = '\0';
    return at + length + 1;
}

static void buildFilter(char (&filter)[1024], const char* description, const char* pattern,
                        const char* extraFilters) {
    memset(filter, 0, sizeof filter);
    size_t at = putFilterPiece(filter, 0, description ? description : "",
                               description ? strlen(description) : 0);
    at = putFilterPiece(filter, at, pattern ? pattern : "", pattern ? strlen(pattern) : 0);
    for (const char* p = extraFilters; p && *p;) {
        const char* end = strchr(p, ';');
        size_t length = end ? static_cast<size_t>(end - p) : strlen(p);
        at = putFilterPiece(filter, at, p, length);
        p = end ? end + 1 : p + length;
    }
}

void setupFileChooser(FileChooserSetup& setup, const char* title, const char* description,
                      const char* pattern, const char* extraFilters, const char* currentPath,
                      const char* defaultExtension, const char* fileTitle) {
    char dir[kPathSize];
    char name[kPathSize];
    splitPath(currentPath, dir, name, PathOut{});
    copyText(setup.title, title);
    buildFilter(setup.filter, description, pattern, extraFilters);
    copyText(setup.file, name);
    copyText(setup.initialDirectory, dir);
    copyText(setup.defaultExtension, defaultExtension);
    copyText(setup.fileTitle, fileTitle);
}

void refreshFileChooser(FileChooserSetup& setup, const char* currentPath) {
    copyText(setup.file, currentPath);
    char dir[kPathSize];
    splitPath(currentPath, dir, PathOut{}, PathOut{});
    copyText(setup.initialDirectory, dir);
}

void prepareFileChoosers(const char* logFileName) {
    setupFileChooser(logFileChooser, text(IDS_LOG_CHOOSER_TITLE), text(IDS_LOG_CHOOSER_FILTER), "*.LOG", "",
                     logFileName, "*.LOG", "");
    for (FileChooserSetup& chooser : soundFileChoosers)
        setupFileChooser(chooser, text(IDS_WAV_CHOOSER_TITLE), text(IDS_WAV_CHOOSER_FILTER), "*.WAV", "", "", "*.WAV",
                         "");
}
