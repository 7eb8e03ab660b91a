#include "ui/layout/dialog_layout.h"

#include "base/language.h"

const DialogLayout& dialogLayout(DialogId dialog) {
    return programLanguage() == Language::English ? kEnglishDialogLayouts[dialog] : kDialogLayouts[dialog];
}
