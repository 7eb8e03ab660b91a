#!/bin/sh
# What a user reads comes from the string tables of resources/strings.rc, in
# the chosen language, so no Japanese word may stand in a string literal of
# the code: an English user would meet it. Prints each offending line;
# fails when there is one. The exceptions, each for its reason:
#   - font names (ＭＳ Ｐゴシック, ＭＳ ゴシック): the templates' and the
#     report's fonts, never shown as text;
#   - the autostart entry's Comment[ja]: a Japanese desktop shows it, an
#     English one its Comment.
cd "$(dirname "$0")/../.."
japanese='"[^"]*[\x{3000}-\x{30FF}\x{3400}-\x{4DBF}\x{4E00}-\x{9FFF}\x{F900}-\x{FAFF}\x{FF00}-\x{FFEF}][^"]*"'
found=$(grep -rnP "$japanese" --include='*.cpp' --include='*.h' platform base settings actions monitor app dialogs ui tools |
  grep -vE '^[^:]*(_test\.cpp|/test_[a-z_]*\.h|/log_test_lines\.h):' |
  grep -vE '^[^:]*:[0-9]+:\s*//' |
  grep -vP 'ＭＳ Ｐ?ゴシック' |
  grep -vE '^platform/linux/autostart\.cpp:[0-9]+:\s*"Comment\[ja\]=')
[ -z "$found" ] && exit 0
echo "Japanese in string literals of the code (put it in resources/strings.rc's string tables):"
echo "$found"
exit 1
