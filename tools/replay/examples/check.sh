#!/usr/bin/env bash
# check.sh REPLAY EXPECTED [ARGS...]: the replay's output must equal EXPECTED.
# Run from the source tree, so that the paths in the output stay the same.
set -euo pipefail
replay=$1
expected=$2
shift 2
diff -u "$expected" <("$replay" "$@")
