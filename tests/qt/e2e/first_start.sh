#!/usr/bin/env bash
# A first start as a new Linux user meets it: no settings file, so the
# tray icon is on and the main window shows once; the alerts sound with the
# desktop's theme sounds through libcanberra, and the full and low alerts
# also come as desktop notifications that carry the charge.
. "$(dirname "$0")/harness.sh"
qe_begin "$@"

# A notification service on the session bus, logging what it is asked.
$QE_PYTHON -m dbusmock --template notification_daemon -l "$QE_WORK/notices.log" >"$QE_WORK/notify.log" 2>&1 &
QE_PIDS+=($!)
notifications_ready() {
  gdbus introspect --session --dest org.freedesktop.Notifications --object-path /org/freedesktop/Notifications >/dev/null
}
qe_until 10 "the mock notification service did not start" notifications_ready

# The desktop's theme, with its four sounds of our own: each a WAV of its
# own length, so that what was played tells which. Every sound reaches
# ALSA's default device, here a file plugin that hands each to a script.
theme=$HOME/.local/share/sounds/freedesktop
mkdir -p "$theme/stereo" "$QE_WORK/heard"
printf '[Sound Theme]\nName=test\nDirectories=stereo\n\n[stereo]\nOutputProfile=stereo\n' >"$theme/index.theme"
declare -A frames=([power-plug]=1000 [power-unplug]=2000 [complete]=3000 [dialog-warning]=4000)
for name in "${!frames[@]}"; do
  $QE_PYTHON - "$theme/stereo/$name.wav" "${frames[$name]}" <<'PY'
import struct, sys
frames = int(sys.argv[2])
data = bytes(range(256)) * (frames * 2 // 256 + 1)
data = data[:frames * 2]
fmt = struct.pack('<HHIIHH', 1, 1, 8000, 16000, 2, 16)
body = b'WAVE' + b'fmt ' + struct.pack('<I', 16) + fmt + b'data' + struct.pack('<I', len(data)) + data
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY
done
printf '#!/bin/sh\nexec cat >"%s/$(date +%%s%%N)"\n' "$QE_WORK/heard" >"$QE_WORK/capture"
chmod +x "$QE_WORK/capture"
printf 'pcm.!default { type file slave.pcm "null" file "|%s" format "raw" }\n' "$QE_WORK/capture" >"$HOME/.asoundrc"
export CANBERRA_DRIVER=alsa

# The sounds heard so far, by name, oldest first.
heard() {
  local file size name
  for file in $(ls "$QE_WORK/heard" | sort -n); do
    size=$(stat -c %s "$QE_WORK/heard/$file")
    for name in "${!frames[@]}"; do [ "$size" = $((frames[$name] * 2)) ] && printf '%s ' "$name"; done
  done
}
heard_is() { [ "$(heard)" = "$1" ]; }
# The notifications asked for, one a line.
notices() { grep -a 'Notify "Cellwarden"' "$QE_WORK/notices.log" 2>/dev/null; }
notices_say() { [ "$(notices | wc -l)" = "$1" ] && notices | tail -n 1 | grep -q -- "$2"; }

power_set "$QE_POWER" 0 Discharging 21
qe_start
qe_wait_caption '^21%' 20
main=$(qe_main_window)
qe_until 10 "no tray icon on a first start" $QE_TRAY tip
qe_until 10 "the main window did not show on a first start" bash -c "! xprop -id $main WM_STATE | grep -q Iconic"
qe_until 10 "the battery's sound was not the theme's: $(heard)" heard_is "power-unplug "

# The low alert: its sound and a notification with the charge.
power_set "$QE_POWER" 0 Discharging 20
qe_until 10 "no low alert heard: $(heard)" heard_is "power-unplug dialog-warning "
qe_until 10 "no notification of the low alert: $(notices)" notices_say 1 ' 20%'
# The full alert, charging at the threshold.
power_set "$QE_POWER" 1 Charging 95
qe_until 10 "no full alert heard: $(heard)" heard_is "power-unplug dialog-warning complete "
qe_until 10 "no notification of the full alert: $(notices)" notices_say 2 ' 95%'

# The tray menu's exit saves the defaults the user had.
$QE_TRAY context
qe_until 10 "no menu popped up" bash -c "[ \$(xdotool search --onlyvisible --pid $QE_PID 2>/dev/null | wc -l) -ge 2 ]"
xdotool key Up Return
qe_wait_exit 10
[ "$QE_STATUS" = 0 ] || qe_fail "exit code $QE_STATUS"
[ "$(qe_ini Cscreen.Sshowtasktray)" = 1 ] || qe_fail "the tray icon's default was not saved"
[ "$(qe_ini Csound.Sdischargefilename)" = power-unplug ] || qe_fail "the sounds' defaults were not saved"

# Once only: the next start keeps the window put away.
qe_start
qe_wait_caption '^95%' 20
main=$(qe_main_window)
iconic() { xprop -id "$main" WM_STATE | grep -q Iconic; }
qe_until 10 "the main window did not start minimised" iconic
# Whatever the start does to the window it has asked by its second refresh,
# and the window manager has done it once it answers.
qe_wait_refreshes 2 10
qe_wm_sync
iconic || qe_fail "the main window showed on a start with settings"
qe_log "passed"
