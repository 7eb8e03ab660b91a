#!/bin/sh
# Every file includes headers of its own folder and of folders below it,
# never above. Prints each offending include; fails when there is one.
cd "$(dirname "$0")/../.."
order="platform base settings actions monitor app dialogs ui tools"
rank() {
    i=0
    for folder in $order; do
        [ "$folder" = "$1" ] && { echo $i; return; }
        i=$((i + 1))
    done
    echo -1
}
status=0
for folder in $order; do
    [ -d "$folder" ] || continue
    own=$(rank "$folder")
    for file in $(find "$folder" -name '*.h' -o -name '*.cpp' -o -name '*.rc'); do
        for included in $(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file"); do
            other=$(rank "$included")
            if [ "$other" -gt "$own" ]; then
                echo "$file includes a header of $included/"
                status=1
            fi
        done
    done
done
exit $status
