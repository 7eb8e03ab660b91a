// Two-way binding of controls to fields of a dialog's working copy: one
// table of rows per dialog, in the order in which the dialog refreshes and
// reads its controls. A user notice (a click, or an edit about to show
// changed text) carries the value from the control into the copy, a
// refresh carries it back, and reading takes every control at once.
#pragma once

#include <cstdint>

#include "dialogs/controls.h"
#include "dialogs/events.h"

struct NumberLimits {
    int32_t minimum;
    int32_t maximum;
};

// The value last shown in a numeric edit and the limits it is kept within.
struct BoundedNumber {
    int32_t value;
    int32_t minimum;
    int32_t maximum;
};

// What a numeric edit keeps beside its row: the number it shows, and the
// guard that keeps its refresh from reading back what it writes.
struct NumberEdit {
    BoundedNumber shown;
    bool guard;
};

enum class BindingKind {
    Check,   // field: 0 or 1
    Radio,   // field: the code of the checked button of the group
    Text,    // text: kNameSize bytes
    Number,  // field, within `limits`
    List,    // field: the selected entry, -1 none
};

// One bound control. Rows are written with designated initializers; what
// a kind does not use stays empty.
struct Binding {
    int id;
    BindingKind kind;
    int32_t* field = nullptr;              // Check, Radio, Number, List
    char* text = nullptr;                  // Text
    int32_t radioCode = 0;                 // Radio: code 0 is the group's default and stands first
    NumberLimits limits{};                 // Number
    NumberEdit* edit = nullptr;            // Number
    const char* const* entries = nullptr;  // List
    int entryCount = 0;                    // List
    int enables = 0;                       // Check: a control usable only while it is checked
    int disables = 0;                      // Check: a control usable only while it is not
};

// The binding of `id` in a table, or null.
const Binding* findBinding(const Binding* table, int count, int id);

// Handles one notice of a bound control; returns 1 (handled).
intptr_t handleBinding(const Binding& binding, WindowHandle dialog, ControlEvent event);

// Shows the copy's value in the control `id` when it has a row.
void refreshBinding(const Binding* table, int count, WindowHandle dialog, int id);

// Shows the whole copy, row by row; each numeric edit is set to its row's
// limits and the copy's value first.
void refreshBindings(const Binding* table, int count, WindowHandle dialog);

// Reads every control into the copy, row by row: check states as 0 or 1,
// a radio group as the code of its checked button (its default when none
// is), texts without control characters, numbers within their limits,
// list selections.
void readBindings(const Binding* table, int count, WindowHandle dialog);

// The copy as reading the controls would leave it, without controls: flags
// 0 or 1, radio codes of the group, list entries or none, numbers within
// their limits.
void normaliseBindings(const Binding* table, int count);

template <int N>
const Binding* findBinding(const Binding (&table)[N], int id) { return findBinding(table, N, id); }
template <int N>
void refreshBinding(const Binding (&table)[N], WindowHandle dialog, int id) { refreshBinding(table, N, dialog, id); }
template <int N>
void refreshBindings(const Binding (&table)[N], WindowHandle dialog) { refreshBindings(table, N, dialog); }
template <int N>
void readBindings(const Binding (&table)[N], WindowHandle dialog) { readBindings(table, N, dialog); }
template <int N>
void normaliseBindings(const Binding (&table)[N]) { normaliseBindings(table, N); }

// A numeric edit's text as the system reads an unsigned number: leading
// blanks skipped, digits up to the first other character; text that does
// not start with a digit reads as 0. Kept within minimum .. maximum.
int32_t readBoundedNumber(WindowHandle dialog, int id, int32_t minimum, int32_t maximum);

int32_t clampTo(int64_t value, int32_t minimum, int32_t maximum);
