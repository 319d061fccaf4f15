#pragma once
// The program-wide option flags of the Options dialog. Seven of them are kept
// in the preferences file from one run to the next; `dispgraph` and `turboon`
// take their start values at every start.
namespace meru::settings {

struct Options {
    bool fullred = false;   // full Boolean reduction
    bool primattr = false;  // attributes are primitive
    bool tiedlast = true;   // tied partitions: use the last one found
    bool detailout = false; // detailed output
    bool dispgraph = false; // display graphics while searching (not saved)
    bool turboon = true;    // Turbo data compression (not saved)
    bool skipset = false;   // skip observations missing in the attribute set
    bool skipcomb = false;  // skip observations with any missing in the combination
    bool showtip = false;   // show the tip of the day at start-up
};

} // namespace meru::settings
