#pragma once
// The Y menu's handler: every item of the Y menu reaches `ymenu`, which picks one
// mode from the requests (OK, Select Y, and the modes other parts of the program
// serve), chooses the Ys, fills their values and confirms the outcome: a summary
// of each Y, the discrete-Y dialog for a single Y with 3 to 5 categories, the
// serial-or-parallel question for several Ys. No Qt here: the dialogs come
// through YDialogs, messages through Services.
#include "files/dataset.h"
#include "files/tables.h"
#include "outcome/bygroup.h"
#include "outcome/outcome.h"
#include "outcome/ydialogs.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::outcome {

// The Y menu's items that were chosen.
struct YItems {
    bool ok = false;
    bool dist = false;
    bool scat = false;
    bool trans = false;
    bool sel = false;
    bool bygrp = false;
};

// The mode a call ended in.
enum class YMode {
    none,      // nothing to do (OK with a Y already confirmed, or no request)
    confirmed, // OK or Select Y went through the confirmation
    transform, // the modes served elsewhere: the handler reports which was asked
    scatter,
    distribution,
    bygroup,
};

struct YMenuContext {
    Outcome& y;
    files::ControlTables& tables;
    files::DataArrays& data;
    int nobs;                      // N: observations in the analysis
    std::vector<float>& ymat;      // five columns of data.n values
    std::span<const char> obsmask; // [i - 1]: observation i is in the analysis
    std::vector<char>& varischar;  // [j]: variable j holds character codes
    long long& nobsin;             // replaced by the total weight included
    ByGroup& bygroup;
    int& maxiter; // the search's iteration limit and its text
    std::string& maxitertext;
    std::string& msgline;
    YItems items;
    bool yoffered = false; // the OK item offers the default Y
    Services& sv;
    io::LogWriter& log;
    YDialogs& dialogs;
    std::function<void(const std::string&)> set_ok_text; // the OK item's new text
    bool yabandon = false;                               // out: cancelled or refused
};

YMode ymenu(YMenuContext& cx);

// Y k's values (k from 1) in `ymat`.
std::span<float> ycolumn(std::vector<float>& ymat, int n, int k);

// The OK item's text for the confirmed Ys.
std::string ok_text(const Outcome& y);

} // namespace meru::outcome
