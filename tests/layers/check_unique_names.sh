#!/usr/bin/env bash
# No two source files under SRC (default: the src folder) share a base name, so
# that a name alone says which file is meant. Prints each shared name with its
# files and exits with 1 when there is any.
set -u
source "$(dirname "$0")/source_files.sh"
src=${1:-$(cd "$(dirname "$0")/../../src" && pwd)}
shared=$(source_files "$src" | xargs -0 -r basename -a | sort | uniq -d)
[[ -z $shared ]] && exit 0
for name in $shared; do echo "$name:" $(find "$src" -type f -name "$name" | sort); done
exit 1
