#!/bin/sh
# The include check passes on a tree whose includes run downward and fails,
# naming the file, once one include runs upward.
set -u
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tools" "$tmp/src/app/base" "$tmp/src/game"
cp "$src/tools/check_layers.sh" "$src/tools/layers.txt" "$tmp/tools/"
printf '#include "app/base/text.h"\n' > "$tmp/src/game/match.cpp"
printf '#pragma once\n' > "$tmp/src/app/base/text.h"
sh "$tmp/tools/check_layers.sh" "$tmp" || { echo "downward include refused"; exit 1; }
printf '#include "game/match.h"\n' > "$tmp/src/app/base/text.cpp"
out=$(sh "$tmp/tools/check_layers.sh" "$tmp")
status=$?
[ $status -ne 0 ] || { echo "upward include accepted"; exit 1; }
echo "$out" | grep -q 'src/app/base/text.cpp: includes game/match.h' || { echo "report does not name the file: $out"; exit 1; }
mkdir -p "$tmp/src/stray" && rm "$tmp/src/app/base/text.cpp"
printf '\n' > "$tmp/src/stray/x.cpp"
sh "$tmp/tools/check_layers.sh" "$tmp" >/dev/null && { echo "folder without a layer accepted"; exit 1; }
exit 0
