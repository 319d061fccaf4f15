#!/usr/bin/env bash
# The computing core (files, partition, stats, search, srdfit under SRC, default:
# the src folder beside this one) never asks the user anything: no call of the
# message box, the plain box or the yes/no question. Its routines return what
# the user is to be told, and the layers above show it. Comments do not count.
# Prints one line per call and exits with 1 when there is any.
set -u
src=${1:-$(cd "$(dirname "$0")/../../src" && pwd)}
core=(files partition stats search srdfit)

bad=0
for folder in "${core[@]}"; do
    [[ -d $src/$folder ]] || continue
    while IFS= read -r -d '' file; do
        n=0
        while IFS= read -r line; do
            n=$((n + 1))
            code=${line%%//*}
            if [[ $code =~ (^|[^[:alnum:]_])(msgbox|msgok|quiz)[[:space:]]*\( ]]; then
                echo "src/${file#"$src"/}:$n: the core calls ${BASH_REMATCH[2]}: return the message to the caller instead"
                bad=1
            fi
        done <"$file"
    done < <(find "$src/$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
done
exit "$bad"
