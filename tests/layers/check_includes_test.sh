#!/usr/bin/env bash
# The include check and the core-dialog check on small made-up source trees:
# one file with one line each, which the check must accept or reject.
set -u
here=$(dirname "$0")
check="$here/check_includes.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() { # pass|fail FILE LINE
    local want=$1 file=$2 line=$3 got
    rm -rf "$work/src"
    mkdir -p "$work/src/$(dirname "$file")"
    printf '// made up\n%s\n' "$line" >"$work/src/$file"
    if out=$(bash "$check" "$work/src"); then got=pass; else got=fail; fi
    if [[ $got != "$want" ]]; then
        echo "FAIL: $file with '$line': expected $want, got $got ${out:+($out)}"
        failures=$((failures + 1))
    elif [[ $want == fail && $out != *"src/$file"* ]]; then
        echo "FAIL: $file with '$line': the report does not name the file: $out"
        failures=$((failures + 1))
    fi
}

expect fail stats/x.cpp '#include "mainloop/program.h"'
expect fail files/x.cpp '#include "ui/messages.h"'
expect fail platform/io/x.cpp '#include "platform/dialogs.h"'
expect fail core/x.h '#include "files/dataset.h"'
expect fail search/x.cpp '#include "platform/events.h"'
expect fail ui/x.cpp '#include "settings/options.h"'
expect fail plots/x.cpp '#include "outcome/outcome.h"'
expect fail plots/x.cpp '#include "rectdiag/attrkey_draw.h"'
expect fail settings/x.cpp '#include "tree/tree_rules.h"'
expect fail tree/x.cpp '#include "mainloop/program.h"'
expect fail mainloop/x.cpp '#include "app/main.h"'
expect fail stats/x.cpp '#include <QString>'
expect fail srdfit/x.cpp '#include <QPainter>'
expect fail srdfit/x.cpp '#include "rectdiag/srdwin.h"'
expect fail srdfit/x.cpp '#include "search/x.h"'
expect fail partition/x.cpp '#  include <QtCore/QList>'
expect fail ui/x.cpp '#include <QString>'
expect fail mainloop/x.cpp '#include <QCoreApplication>'
expect fail plots/x.h '#include <QPoint>'
expect fail platform/io/x.cpp '#include <QFile>'
expect fail newfolder/x.cpp '#include "core/services.h"'
expect fail stats/x.cpp '#include "newfolder/x.h"'
expect fail stats/x.cpp '#include "x.h"'
expect fail stats/x.cpp '#include <qglobal.h>'
expect fail search/x.inc '#include "ui/messages.h"'
expect fail search/x.inc '#include <QString>'
expect fail search/x.cpp '#include <settings/options.h>'
expect fail ui/x.h '#include <mainloop/program.h>'
expect fail stats/x.hh '#include "mainloop/program.h"'
expect fail search/x.ipp '#include "ui/messages.h"'
expect fail files/x.cc '#include <QFile>'
expect fail partition/x.tpp '#include "search/x.h"'

expect pass files/x.cpp '#include "core/services.h"'
expect pass files/x.cpp '#include "platform/io/format.h"'
expect pass stats/sub/x.cpp '#include "stats/sub/y.h"'
expect pass search/x.cpp '#include "stats/criteria.h"'
expect pass platform/x.cpp '#include "search/x.h"'
expect pass platform/x.cpp '#include <QString>'
expect pass app/main.cpp '#include <QApplication>'
expect pass ui/viewer/x.cpp '#include "ui/viewer/y.h"'
expect pass outcome/x.cpp '#include "plots/x.h"'
expect pass outcome/x.cpp '#include "tree/tree_rules.h"'
expect pass rectdiag/x.cpp '#include "plots/x.h"'
expect pass rectdiag/x.cpp '#include "srdfit/fit.h"'
expect pass srdfit/x.cpp '#include "stats/rnormal.h"'
expect pass settings/x.cpp '#include "ui/messages.h"'
expect pass mainloop/x.cpp '#include "outcome/outcome.h"'
expect pass app/main.cpp '#include "mainloop/program.h"'
expect pass stats/x.cpp '#include <vector>'
expect pass stats/x.cpp '#include <queue>'
expect pass search/x.cpp '#include <stats/criteria.h>'
expect pass files/x.cpp '#include <sys/stat.h>'

# The core shows and asks nothing, not even through a callback; comments do not count.
check="$here/check_core_dialogs.sh"
expect fail stats/x.cpp '    sv.msgbox(text, BoxKind::Ok, false);'
expect fail search/sub/x.h 'if (services->quiz ("?Go on?")) return;'
expect fail partition/x.cpp 'virtual int msgbox(std::string& text) = 0;'
expect fail srdfit/x.cpp 'msgbox(t);'
expect fail stats/x.cpp '    if (debug) services.msgok("enter$");'
expect fail search/x.cpp '    sv.note("NOTE: x $", NoteKind::Full, true);'
expect fail stats/x.cpp 'services.helpshow("NOTE: q>10");'
expect fail search/x.cpp '    hooks.helpshow("NOTE: Fix not working");'
expect fail partition/x.inc '    if (opt.services) opt.services->helpshow(topic);'
expect fail files/x.cpp 'note(run, "NOTE: negative attributes!");'
expect fail search/x.ipp '    sv.msgbox(text, BoxKind::Ok, false);'
expect fail stats/x.hh 'services.helpshow("NOTE: q>10");'
expect pass mainloop/x.cpp '    p.services.msgok(text);'
expect pass search/x.cpp '    told.add_note("NOTE: x $", NoteKind::Full, true);'
expect pass stats/x.cpp '    told.add_help("NOTE: q>10");'
expect pass search/x.cpp '    r.note = true;'
expect pass mainloop/x.cpp '    p.services.msgbox(text, BoxKind::Ok, false);'
expect pass files/x.cpp 'int n = 0; // the caller shows it with msgbox(text)'
expect pass stats/x.cpp 'std::string msgbox_text(int k);'

# The map's names: each backticked name must exist in the made-up tree.
check="$here/check_map_names.sh"
expect_map() { # pass|fail NAME
    local got
    rm -rf "$work/src" "$work/docs"
    mkdir -p "$work/src/search" "$work/docs"
    printf 'namespace search { struct Evaluator { int score(); }; }\n' >"$work/src/search/evaluate.h"
    printf 'The scorer `%s`.\n' "$2" >"$work/docs/ARCHITECTURE.md"
    if bash "$check" "$work" >/dev/null; then got=pass; else got=fail; fi
    [[ $got == "$1" ]] || { echo "FAIL: map naming \`$2\`: expected $1, got $got"; failures=$((failures + 1)); }
}
expect_map pass 'search::Evaluator::score()'
expect_map pass 'search/evaluate.h'
expect_map pass 'search/evaluate'
expect_map pass 'evaluate.h'
expect_map fail 'search::Evaluator::rank'
expect_map fail 'search/evaluate.cpp'
expect_map fail 'stats/'

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases as expected"
