#include "stats/numeric_issues.h"

namespace meru::stats {

std::string_view numeric_issue_text(NumericIssues::Flag f)
{
    switch (f) {
    case NumericIssues::betai_bad_x: return "bad argument x in betai $";
    case NumericIssues::gammq_bad_args: return "x<0 or a<=0 in gammq$";
    case NumericIssues::gser_no_convergence: return "a too large, ITMAX too small in gser$";
    case NumericIssues::gcf_no_convergence: return "a too large, ITMAX too small in gcf$";
    }
    return {};
}

std::vector<std::string_view> NumericMessages::report(NumericIssues& issues)
{
    std::vector<std::string_view> show;
    for (auto f : {NumericIssues::betai_bad_x, NumericIssues::gammq_bad_args, NumericIssues::gser_no_convergence,
                   NumericIssues::gcf_no_convergence}) {
        if (!issues.has(f)) continue;
        if (shown_ & f) {
            ++repeats_;
        } else {
            shown_ |= f;
            show.push_back(numeric_issue_text(f));
        }
    }
    issues.flags = 0;
    return show;
}

} // namespace meru::stats
