#!/bin/sh
# Each seam speaks its own language. Prints each offending line; fails
# when there is one.
#   - The portable code and the Qt front end know no Windows message, its
#     parameters or the mouse codes of the tray's callback: only ui/win32/
#     translates those into the dialogs' own events.
#   - The tray's id and callback message are Windows' and written once.
#   - The operating system's layer shows nothing: platform/ calls no
#     function of the front-end seam (base/front_end.h), and no include of
#     it or of ui/ (tests/layout/check_layers.sh ranks them above).
cd "$(dirname "$0")/../.."
status=0
complain() {
    echo "$1"
    status=1
}

# WM_..., wParam, lParam, and the mouse messages 0x200 to 0x20E; X's
# window-manager properties (WM_NAME, WM_STATE, ...) are not Windows'.
x11='WM_(NAME|ICON_NAME|STATE|CLASS|HINTS|NORMAL_HINTS|PROTOCOLS|TRANSIENT_FOR|CLIENT_MACHINE|DELETE_WINDOW|TAKE_FOCUS|CHANGE_STATE)'
found=$(grep -rnE '\bWM_[A-Z]|\b[wl]Param\b|\b0x0*20[0-9A-Ea-e]\b' dialogs monitor app ui/qt | grep -vE "\\b$x11\\b")
[ -z "$found" ] || complain "Windows messages outside ui/win32/:
$found"

tray=$(grep -rlE '\b12345\b|\b0x8064\b' platform base settings actions monitor app dialogs ui resources | sort)
[ "$tray" = "ui/win32/ui_win32.h" ] || complain "the tray's id and message are written in: $(echo $tray)"

found=$(grep -rnE '\bfrontEnd[A-Z][A-Za-z]*\b|"base/front_end\.h"|"ui/' platform)
[ -z "$found" ] || complain "the platform layer reaches the screen:
$found"

exit $status
