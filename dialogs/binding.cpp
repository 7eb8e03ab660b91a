#include "dialogs/binding.h"

#include <cstdio>

#include "base/text_util.h"
#include "settings/settings.h"

const Binding* findBinding(const Binding* table, int count, int id) {
    for (int i = 0; i < count; ++i)
        if (table[i].id == id) return &table[i];
    return nullptr;
}

int32_t clampTo(int64_t value, int32_t minimum, int32_t maximum) {
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return static_cast<int32_t>(value);
}

// Saturates rather than wraps: "99999999999" is far above any maximum,
// not some small or negative number.
static int64_t parseUnsigned(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value < INT64_C(1) << 40) value = value * 10 + (*p - '0');
    return value;
}

int32_t readBoundedNumber(WindowHandle dialog, int id, int32_t minimum, int32_t maximum) {
    char text[64];
    controlText(dialog, id, text, sizeof text);
    return clampTo(parseUnsigned(text), minimum, maximum);
}

static void noticeFromUser(const Binding& b, WindowHandle dialog, ControlEvent event) {
    switch (b.kind) {
    case BindingKind::Check:
        *b.field = controlChecked(dialog, b.id) ? 1 : 0;
        break;
    case BindingKind::Radio:
        if (event == ControlEvent::Clicked) *b.field = b.radioCode;
        break;
    case BindingKind::Text:
        if (event == ControlEvent::Edited) controlText(dialog, b.id, b.text, kNameSize);
        break;
    case BindingKind::Number:
        if (event != ControlEvent::Edited || b.edit->guard) break;
        b.edit->guard = true;
        *b.field = readBoundedNumber(dialog, b.id, b.edit->shown.minimum, b.edit->shown.maximum);
        b.edit->guard = false;
        break;
    case BindingKind::List:
        break;  // read with the whole dialog
    }
}

static void showFromCopy(const Binding& b, WindowHandle dialog) {
    switch (b.kind) {
    case BindingKind::Check: setControlChecked(dialog, b.id, *b.field != 0); break;
    case BindingKind::Radio: setControlChecked(dialog, b.id, *b.field == b.radioCode); break;
    case BindingKind::Text: setControlText(dialog, b.id, b.text); break;
    case BindingKind::Number: {
        if (b.edit->guard) break;
        // Writing the text makes the edit report an update at once; the
        // guard keeps that from reading back what is being written.
        b.edit->guard = true;
        char text[16];
        formatText(text, "%d", *b.field);
        setControlText(dialog, b.id, text);
        b.edit->shown.value = *b.field;
        b.edit->guard = false;
        break;
    }
    case BindingKind::List: fillList(dialog, b.id, b.entries, b.entryCount, *b.field); break;
    }
}

// A check box that makes another control usable or not.
static void enableLinked(const Binding& b, WindowHandle dialog) {
    if (b.enables) enableControl(dialog, b.enables, *b.field != 0);
    if (b.disables) enableControl(dialog, b.disables, *b.field == 0);
}

intptr_t handleBinding(const Binding& binding, WindowHandle dialog, ControlEvent event) {
    if (event == ControlEvent::Refresh) showFromCopy(binding, dialog);
    else if (event == ControlEvent::Clicked || event == ControlEvent::Edited) noticeFromUser(binding, dialog, event);
    else return 1;
    if (binding.kind == BindingKind::Check) enableLinked(binding, dialog);
    return 1;
}

void refreshBinding(const Binding* table, int count, WindowHandle dialog, int id) {
    if (const Binding* b = findBinding(table, count, id)) handleBinding(*b, dialog, ControlEvent::Refresh);
}

void refreshBindings(const Binding* table, int count, WindowHandle dialog) {
    for (int i = 0; i < count; ++i)
        if (table[i].kind == BindingKind::Number)
            table[i].edit->shown = {*table[i].field, table[i].limits.minimum, table[i].limits.maximum};
    for (int i = 0; i < count; ++i) handleBinding(table[i], dialog, ControlEvent::Refresh);
}

static void readControl(const Binding& b, WindowHandle dialog) {
    switch (b.kind) {
    case BindingKind::Check: *b.field = controlChecked(dialog, b.id) ? 1 : 0; break;
    case BindingKind::Radio:
        if (b.radioCode == 0) *b.field = 0;
        if (controlChecked(dialog, b.id)) *b.field = b.radioCode;
        break;
    case BindingKind::Text: {
        char text[kNameSize];
        controlText(dialog, b.id, text, sizeof text);
        setText(b.text, text);  // a name with a line break would split the settings file
        break;
    }
    case BindingKind::Number: *b.field = readBoundedNumber(dialog, b.id, b.limits.minimum, b.limits.maximum); break;
    case BindingKind::List: *b.field = listSelection(dialog, b.id); break;
    }
}

void readBindings(const Binding* table, int count, WindowHandle dialog) {
    for (int i = 0; i < count; ++i) readControl(table[i], dialog);
}

static bool isCodeOfGroup(const Binding* table, int count, const int32_t* field) {
    for (int i = 0; i < count; ++i)
        if (table[i].kind == BindingKind::Radio && table[i].field == field && table[i].radioCode == *field) return true;
    return false;
}

void normaliseBindings(const Binding* table, int count) {
    for (int i = 0; i < count; ++i) {
        const Binding& b = table[i];
        switch (b.kind) {
        case BindingKind::Check: *b.field = *b.field != 0; break;
        case BindingKind::Radio:
            if (!isCodeOfGroup(table, count, b.field)) *b.field = 0;
            break;
        case BindingKind::Text: break;
        case BindingKind::Number: *b.field = clampTo(*b.field, b.limits.minimum, b.limits.maximum); break;
        case BindingKind::List:
            if (*b.field < 0 || *b.field >= b.entryCount) *b.field = -1;
            break;
        }
    }
}
