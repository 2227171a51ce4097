#!/usr/bin/env bash
# The layer check on a copy of the tree with one include planted that points up, from power/
# to app/: the check must fail and name the file, the line and the include.
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
tar -C "$repo" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf - || exit 1
line=$(($(wc -l <"$copy/power/power_api.h") + 1))
echo '#include "app/launch.h"' >>"$copy/power/power_api.h"

output=$("$repo/tools/check-layers" "$copy")
status=$?
echo "$output"
[ "$status" -ne 0 ] || { echo "FAIL: the planted include passed"; exit 1; }
grep -qx "power/power_api.h:$line: includes \"app/launch.h\" from app/, a layer above power/" <<<"$output" ||
    { echo "FAIL: the planted include is not named"; exit 1; }
[ "$(grep -c ': includes ' <<<"$output")" -eq 1 ] || { echo "FAIL: more than the planted include"; exit 1; }
echo "ok: the planted include fails the check"
