#!/bin/sh
# Fails when a source file includes a header of a layer above its own, or
# when a source folder is missing from the layer list.
#   tools/check_layers.sh [root]     (root defaults to the checkout)
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
find src -name '*.cpp' -o -name '*.h' | sort | awk '
    FNR == NR {
        if ($0 ~ /^[ \t]*(#|$)/) next
        for (i = 3; i <= NF; i++) { rank[$i] = rows; layer[$i] = $1 }
        rows++
        next
    }
    function folder(path) { sub(/\/[^\/]*$/, "", path); return path }
    {
        file = $0
        dir = folder(file)
        if (!(dir in rank)) { printf "%s: folder %s has no layer in tools/layers.txt\n", file, dir; bad++; next }
        while ((getline line < file) > 0) {
            if (line !~ /^[ \t]*#[ \t]*include[ \t]*"/) continue
            inc = line
            sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
            if (inc !~ /\//) continue
            idir = folder("src/" inc)
            if (!(idir in rank)) continue
            if (rank[idir] > rank[dir]) {
                printf "%s: includes %s, which is in layer %s above its own layer %s\n", file, inc, layer[idir], layer[dir]
                bad++
            }
        }
        close(file)
    }
    END { if (bad) { printf "%d upward include(s)\n", bad; exit 1 } }
' tools/layers.txt -
