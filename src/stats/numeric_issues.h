#pragma once
// Problems met by the special functions (bad arguments, a series or continued
// fraction that did not converge). The functions themselves stay pure and fast:
// they only set a flag here, and NumericMessages tells the caller which
// messages to show, each text once per run, so a long search never raises one
// message box per candidate.
#include <string_view>
#include <vector>

namespace meru::stats {

struct NumericIssues {
    enum Flag : unsigned {
        betai_bad_x = 1u << 0,         // x outside [0, 1] in betai
        gammq_bad_args = 1u << 1,      // x < 0 or a <= 0 in gammq
        gser_no_convergence = 1u << 2, // series of the incomplete gamma function
        gcf_no_convergence = 1u << 3,  // continued fraction of the incomplete gamma function
    };
    unsigned flags = 0;

    void raise(Flag f) { flags |= f; }
    bool has(Flag f) const { return (flags & f) != 0; }
    bool any() const { return flags != 0; }
};

// The user's message text for one flag (with the trailing "$" that ends a message).
std::string_view numeric_issue_text(NumericIssues::Flag f);

// The messages of raised flags, each distinct message once for the lifetime of
// this object (one run: a search, a statistics pass); later occurrences are only
// counted. Create one per run.
class NumericMessages {
public:
    // The texts the caller is to show (in message boxes, in this order) for the
    // flags raised in `issues` for the first time; flags raised before are only
    // counted. Clears the flags.
    std::vector<std::string_view> report(NumericIssues& issues);
    // Occurrences that were not shown because their message had already been shown.
    int repeats() const { return repeats_; }

private:
    unsigned shown_ = 0;
    int repeats_ = 0;
};

} // namespace meru::stats
