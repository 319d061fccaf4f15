#include "mainloop/recordcount.h"

#include <algorithm>

namespace meru::mainloop {

namespace {

// A carriage return at `i` that is not directly followed by a line feed.
bool lone_cr(std::string_view b, std::size_t i) { return b[i] == '\r' && (i + 1 >= b.size() || b[i + 1] != '\n'); }

// Records ended by line feeds; a last record without one counts when it holds
// any character.
int lf_records(std::string_view b)
{
    const int ends = static_cast<int>(std::count(b.begin(), b.end(), '\n'));
    return ends + ((!b.empty() && b.back() != '\n') ? 1 : 0);
}

} // namespace

RecordCount count_records(std::string_view b, bool freefmt)
{
    RecordCount rc;
    if (!freefmt) {
        // Records end at LF, CR LF or a lone CR, as the record reader ends them.
        std::size_t i = 0;
        while (i < b.size()) {
            std::size_t j = i;
            while (j < b.size() && b[j] != '\n' && b[j] != '\r') {
                if (b[j] == '\0') {
                    rc.bad = true;
                    return rc;
                }
                ++j;
            }
            ++rc.n;
            if (j < b.size() && b[j] == '\r' && j + 1 < b.size() && b[j + 1] == '\n') ++j;
            i = j + 1;
        }
        return rc;
    }

    const std::size_t first_end = std::min(b.find('\n'), b.size());
    for (std::size_t i = 0; i < first_end; ++i)
        if (lone_cr(b, i)) rc.hascr = true;
    if (!rc.hascr) {
        rc.n = lf_records(b);
        return rc;
    }
    for (std::size_t i = 0; i < b.size(); ++i)
        if (lone_cr(b, i)) ++rc.n;
    rc.n += lf_records(b);
    return rc;
}

} // namespace meru::mainloop
