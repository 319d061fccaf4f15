#pragma once
// The Strategy settings: how the next search runs. The members hold their start
// values; `maxiter` is set from `maxitertext` by the Strategy dialog.
#include <optional>
#include <string>

namespace meru::settings {

struct StrategySettings {
    bool constrainx = false;          // run the X-constraint dialog after OK
    bool forcein = false;             // force an attribute into every candidate
    bool iterative = true;            // iterative mode
    bool treemode = false;            // Search:Go! grows a tree instead
    bool decidepos = true;            // the rank stage decides each attribute's positivity
    std::string attrsetspec = "1-10"; // which ranked attributes form the attribute set
    int topm = 10;                    // m of "Top m attributes" for the analysis in hand
    std::string maxitertext = "6";    // maximum iterations as typed
    int maxiter = 6;
    std::string topmbox = " 10"; // the Top m box as last shown, kept between showings
    // The m the user last typed, before any truncation to the attributes of the
    // data at hand: a newly opened analysis starts from it.
    int chosen_topm = 10;
    // The Top m box holds what the user typed and the dialog has not taken yet
    // (it was closed with "Set Extent Parameters"): it is shown again as typed.
    bool topm_typed = false;

    // The user's settings that the Tree strategy changed for itself (choosing
    // Tree clears Iterative mode and Decide positivity and makes the extent
    // single attributes), held until the Tree strategy ends and given back then.
    struct BeforeTree {
        bool iterative = true;
        bool decidepos = true;
        std::string sizetext; // the extent before the tree's; empty while the tree has not changed it
        int nfloatx = 1;
    };
    std::optional<BeforeTree> before_tree;
};

} // namespace meru::settings
