#pragma once
// The Ys as the settings dialogs check them: per Y its name, whether it is binary,
// its categories, largest value, whole-number test, nominal declaration and
// variance; the category values of the first Y in ascending order; serial mode.
// The main routine fills it from the outcome description. No Qt here.
#include <string>
#include <vector>

namespace meru::settings {

struct YInfo {
    std::string name; // 20 characters at most; messages use the first 8
    bool binary = true;
    int ncat = 2;         // distinct values
    double ymax = 1.0;    // largest value
    bool nonint = false;  // some value is not a whole number
    bool nominal = false; // the variable is declared nominal
    double variance = 0.0;
};

struct YDescription {
    std::vector<YInfo> ys;    // 1 to 5
    std::vector<double> cats; // category values of the first Y, ascending
    bool serialy = false;     // several Ys analysed one after another
    bool parallel() const { return ys.size() > 1 && !serialy; }
};

} // namespace meru::settings
