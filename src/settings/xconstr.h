#pragma once
// The X-constraint step run after the Strategy dialog: with "Constrain X space"
// ticked the user narrows the observations in X space to those in which chosen
// attributes take a chosen value; with it cleared a constraint in force is
// lifted. Constraints combine by intersection, at most five at a time.
#include "settings/form.h"

#include <functional>
#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}
namespace meru::files {
struct ControlTables;
struct DataArrays;
} // namespace meru::files

namespace meru::settings {

inline constexpr int kMaxXConstraints = 5;

// The X-space state of an open analysis. An opening starts a new analysis, so
// every opening starts without constraints.
struct XSpace {
    bool xspaceon = false;             // a constraint is in force
    long long nxspace = 0;             // weighted observations left by the last constraint
    int xconline = 0;                  // attribute line of the last constraint attribute
    int nxcon = 0;                     // constraints in force (0 .. 5)
    std::vector<std::string> xconlist; // their texts, 28 characters each
};

struct XConstrContext {
    bool& constrainx; // the Strategy option; cleared by a Cancel
    XSpace& xs;
    std::vector<char>& xmask;           // [1..N]: in X space
    const files::DataArrays& data;      // weights and attribute bytes
    int nread;                          // observations read
    const files::ControlTables& tables; // for the picker
    const std::vector<int>& varline;
    int lastvar;
    long long nobs_read;          // the weight read from the data file
    long long& nobs;              // the analysis's observation count
    bool& qrank;                  // the Rank request
    std::function<void()> yrange; // recomputes the Y ranges over the mask
    FormDialog& dialog;
    Services& services;
    io::LogWriter& log;
};

void xconstr(XConstrContext& cx);

} // namespace meru::settings
