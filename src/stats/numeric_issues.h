#pragma once
// Problems met by the special functions (bad arguments, a series or continued
// fraction that did not converge). The functions themselves stay pure and fast:
// they only set a flag here, and the caller shows the messages through
// NumericMessages, each text once per run, so a long search never raises one
// message box per candidate.
#include <string_view>

namespace meru {
class Services;
}

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

// Shows the messages of raised flags, each distinct message once for the lifetime of
// this object (one run: a search, a statistics pass); later occurrences are only
// counted. Create one per run.
class NumericMessages {
public:
    explicit NumericMessages(Services& services) : services_(services) {}

    // Shows (first time) or counts (later) every flag raised in `issues`, then clears them.
    void report(NumericIssues& issues);
    // Occurrences that were not shown because their message had already been shown.
    int repeats() const { return repeats_; }

private:
    Services& services_;
    unsigned shown_ = 0;
    int repeats_ = 0;
};

} // namespace meru::stats
