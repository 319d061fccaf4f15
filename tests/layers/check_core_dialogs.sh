#!/usr/bin/env bash
# The computing core (files, partition, stats, search, srdfit under SRC, default:
# the src folder beside this one) shows the user nothing and asks nothing: no
# call of the message box, the plain box, the yes/no question, the note or a
# help topic, in its sources, headers and included fragments, directly or
# through a callback of those names. Its routines return what the user is to be
# told (a Notices value or a result), and the layers above show it. Comments do
# not count. Prints one line per call and exits with 1 when there is any.
set -u
source "$(dirname "$0")/source_files.sh"
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
            if [[ $code =~ (^|[^[:alnum:]_])(msgbox|msgok|quiz|note|helpshow)[[:space:]]*\( ]]; then
                echo "src/${file#"$src"/}:$n: the core calls ${BASH_REMATCH[2]}: return the message to the caller instead"
                bad=1
            fi
        done <"$file"
    done < <(source_files "$src/$folder")
done
exit "$bad"
