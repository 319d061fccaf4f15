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
    int topm = 10;                    // m of "Top m attributes"
    std::string maxitertext = "6";    // maximum iterations as typed
    int maxiter = 6;
    std::string topmbox = " 10"; // the Top m box as last shown, kept between showings

    // Iterative mode and Decide positivity as they were before Tree was chosen
    // (choosing Tree clears them), held until the Tree strategy ends.
    struct BeforeTree {
        bool iterative = true;
        bool decidepos = true;
    };
    std::optional<BeforeTree> before_tree;
};

} // namespace meru::settings
