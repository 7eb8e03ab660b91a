// Two-way binding of controls to fields of a dialog's working copy. A user
// notice (a click, or an edit about to show changed text) carries the value
// from the control into the copy; a refresh carries it back.
#pragma once

#include <cstdint>

#include "dialogs/controls.h"
#include "dialogs/events.h"

// The value last shown in a numeric edit and the limits it is kept within.
struct BoundedNumber {
    int32_t value;
    int32_t minimum;
    int32_t maximum;
};

enum class BindingKind {
    Check,   // field: 0 or 1
    Radio,   // field: the code of the checked button of the pair
    Text,    // text: kNameSize bytes
    Number,  // field, within `number`'s limits, re-entry kept out by `guard`
    List,    // field: the selected entry
};

struct Binding {
    int id;
    BindingKind kind;
    int32_t* field;
    char* text;
    int32_t radioCode;
    BoundedNumber* number;
    bool* guard;
    const char* const* entries;  // List
    int entryCount;
    // After a click or a refresh of a check box (enabling an edit, say).
    void (*afterwards)(WindowHandle dialog);
};

// The binding of `id` in a table, or null.
const Binding* findBinding(const Binding* table, int count, int id);

// Handles one notice of a bound control; returns 1 (handled).
intptr_t handleBinding(const Binding& binding, WindowHandle dialog, ControlEvent event);

// Sends a refresh to the control `id` when it has a binding in `table`.
void refreshBinding(const Binding* table, int count, WindowHandle dialog, int id);

// ... to each id of `order`, in that order.
void refreshBindings(const Binding* table, int count, const int* order, int orderCount, WindowHandle dialog);

template <int N>
const Binding* findBinding(const Binding (&table)[N], int id) { return findBinding(table, N, id); }
template <int N>
void refreshBinding(const Binding (&table)[N], WindowHandle dialog, int id) { refreshBinding(table, N, dialog, id); }
template <int N, int M>
void refreshBindings(const Binding (&table)[N], const int (&order)[M], WindowHandle dialog) {
    refreshBindings(table, N, order, M, dialog);
}

// A numeric edit's text as the system reads an unsigned number: leading
// blanks skipped, digits up to the first other character; text that does
// not start with a digit reads as 0. Kept within minimum .. maximum.
int32_t readBoundedNumber(WindowHandle dialog, int id, int32_t minimum, int32_t maximum);

int32_t clampTo(int64_t value, int32_t minimum, int32_t maximum);
