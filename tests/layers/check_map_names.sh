#!/usr/bin/env bash
# Every name the code map (docs/ARCHITECTURE.md under ROOT, default: the
# checkout holding this script) writes in backticks exists: a path (it holds a
# "/" or ends in a source extension) names a file or folder of the checkout,
# under src/ or from its root, with or without its extension, or the base name
# of one; any other text is split into identifiers, and each must occur as a
# word in the code (src, tests, bench, tools, the build files). "*" is a
# wildcard in both. Prints one line per name
# that is not found and exits with 1 when there is any.
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
map=$root/docs/ARCHITECTURE.md
code=("$root/src" "$root/tests" "$root/bench" "$root/tools" "$root/CMakeLists.txt" "$root/cmake")

path_exists() { # relative path, perhaps with a wildcard and a trailing "/"
    local p=${1%/} base
    compgen -G "$root/$p" >/dev/null || compgen -G "$root/src/$p" >/dev/null ||
        compgen -G "$root/src/$p.*" >/dev/null && return 0
    base=${p##*/}
    [[ -n $(find "$root/src" "$root/tests" "$root/bench" "$root/tools" -name "$base" -print -quit 2>/dev/null) ]]
}

bad=0
while IFS= read -r name; do
    [[ -z $name ]] && continue
    if [[ $name == */* || $name =~ \.(h|cpp|inc|sh|txt|md)$ ]]; then
        path_exists "$name" || { echo "$map: \`$name\` names no file or folder"; bad=1; }
        continue
    fi
    for word in $(grep -oE '[A-Za-z_][A-Za-z0-9_*]*' <<<"${name%%(*}"); do
        grep -rqE -- "\b${word//\*/[A-Za-z0-9_]*}\b" "${code[@]}" 2>/dev/null ||
            { echo "$map: \`$name\`: '$word' occurs nowhere in the code"; bad=1; }
    done
done < <(grep -o '`[^`]*`' "$map" | tr -d '`' | sort -u)
exit "$bad"
