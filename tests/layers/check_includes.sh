#!/usr/bin/env bash
# Checks every #include "folder/..." line of the sources under SRC (default: the
# src folder beside this one) against the layers of the program: a folder may
# include its own headers and those of the folders below it, never a folder
# above it or beside it (apart from the pairs named in same_band_allowed). Only
# the platform and the program's start include Qt headers (<QString>,
# <QtCore/QList>, <qglobal.h>): every other folder reaches Qt through the
# platform. An include in angle brackets of one of the program's folders
# (<settings/options.h>) is checked as the quoted form is, since the include
# paths let it compile. Sources, headers and included fragments of every usual
# extension are checked (source_files.sh). A folder missing from the table
# fails too: place every new folder in the table.
# Prints one line per wrong include and exits with 1 when there is any.
set -u
source "$(dirname "$0")/source_files.sh"
src=${1:-$(cd "$(dirname "$0")/../../src" && pwd)}

# Layers, lowest first; folders of equal rank form one band.
declare -A rank=(
    [platform/io]=0
    [core]=1
    [files]=2
    [partition]=3
    [stats]=4
    [search]=5 [srdfit]=5
    [platform]=6
    [ui]=7
    [settings]=8 [outcome]=8 [plots]=8 [rectdiag]=8 [tree]=8
    [mainloop]=9
    [app]=10
)
# Includes between folders of one band that are allowed (includer:included).
same_band_allowed=" outcome:plots outcome:tree rectdiag:plots "
# The folders that include Qt headers.
qt_allowed=" platform app "

# Sets REPLY to the table's folder of a path relative to src ("platform/io/x.h"
# -> platform/io, "ui/viewer/x.h" -> ui): platform/io, else the first component.
folder_of() {
    case $1 in
    platform/io/*) REPLY=platform/io ;;
    */*) REPLY=${1%%/*} ;;
    *) REPLY="" ;;
    esac
}

may_include() { # includer included
    local a=$1 b=$2
    [[ $a == "$b" ]] && return 0
    ((rank[$b] < rank[$a])) && return 0
    ((rank[$b] == rank[$a])) && [[ $same_band_allowed == *" $a:$b "* ]] && return 0
    return 1
}

bad=0
report() {
    echo "$1"
    bad=1
}

while IFS= read -r -d '' file; do
    rel=${file#"$src"/}
    folder_of "$rel"
    from=$REPLY
    if [[ -z $from || -z ${rank[$from]+x} ]]; then
        report "src/$rel: folder '${from:-src}' is not in the layer table of $(basename "$0")"
        continue
    fi
    n=0
    while IFS= read -r line; do
        n=$((n + 1))
        [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]*) ]] || continue
        delim=${BASH_REMATCH[1]} path=${BASH_REMATCH[2]}
        if [[ $delim == "<" ]]; then
            if [[ $qt_allowed != *" $from "* && $path =~ ^(Q|qt|q[[:alnum:]_]*\.h$) ]]; then
                report "src/$rel:$n: $from may not include <$path> (only the platform includes Qt)"
            fi
            folder_of "$path"
            [[ -n $REPLY && -n ${rank[$REPLY]+x} ]] || continue
        fi
        folder_of "$path"
        to=$REPLY
        if [[ -z $to ]]; then
            report "src/$rel:$n: include \"$path\" names no folder (write it from src/)"
        elif [[ -z ${rank[$to]+x} ]]; then
            report "src/$rel:$n: include \"$path\" is of a folder not in the layer table"
        elif ! may_include "$from" "$to"; then
            report "src/$rel:$n: $from may not include \"$path\" ($to is not below $from)"
        fi
    done <"$file"
done < <(source_files "$src")

exit "$bad"
