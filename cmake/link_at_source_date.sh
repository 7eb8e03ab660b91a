#!/bin/sh
# link_at_source_date.sh EPOCHFILE LINKER ARGS...: runs the linker with
# SOURCE_DATE_EPOCH from EPOCHFILE, the time it writes into a PE header.
epoch=$(cat "$1") || exit 1
shift
SOURCE_DATE_EPOCH=$epoch exec "$@"
