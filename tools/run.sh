#!/usr/bin/env bash
# Builds MERU and starts it (set-up included).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERU_TESTS=OFF -DMERU_BENCH=OFF >/dev/null
cmake --build build --target meru
# Without an argument the file dialogs start in the example data sets.
exec build/bin/meru "${@:-$PWD/examples}"
