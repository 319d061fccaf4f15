#include "stats/extent.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"

#include <algorithm>

namespace meru::stats {

SizeRead read_sizes(std::string_view text, std::vector<int>& p)
{
    p.clear();
    for (const std::string& token : files::splitline(text, ',', 8)) {
        if (token.empty()) continue;
        const auto v = io::parse_int(token);
        if (!v) return SizeRead::bad_number;
        p.push_back(static_cast<int>(std::clamp<long long>(*v, -1000000, 1000000)));
    }
    if (p.empty()) return SizeRead::empty;
    for (int v : p)
        if (v < 1) return SizeRead::not_positive;
    for (std::size_t j = 1; j < p.size(); ++j)
        if (p[j] > p[j - 1]) return SizeRead::not_descending;
    if (p[0] > kMaxSize || static_cast<int>(p.size()) > kMaxSize) return SizeRead::too_large;
    return SizeRead::ok;
}

void set_extent(ExtentSettings& e, std::vector<int> bounds)
{
    e.bounds = std::move(bounds);
    if (e.upto) e.start = {1, {1}, {e.bounds.front()}, 0};
    else e.start = {e.qmax(), e.bounds, e.bounds, 0};
    const bool single = e.qmax() == 1 && e.bounds.front() == 1;
    switch (e.side) {
    case Side::Both:
        e.first_side = 0;
        e.last_side = single ? 0 : 1;
        e.one_side = single;
        break;
    case Side::AMinusOnly:
        e.first_side = e.last_side = 0;
        e.one_side = true;
        break;
    case Side::AOnly:
        e.first_side = e.last_side = 1;
        e.one_side = true;
        break;
    }
}

bool nextsize(SizeWalk& w, const std::vector<int>& bounds, int n)
{
    for (int k = 0; k < w.q; ++k) {
        if (w.p[k] < w.curbounds[k]) {
            const int v = w.p[k] + 1;
            std::fill(w.p.begin(), w.p.begin() + k + 1, v);
            return true;
        }
    }
    if (w.q >= static_cast<int>(bounds.size())) return false;
    w.q += 1;
    w.curbounds.assign(bounds.begin(), bounds.begin() + w.q);
    w.p.assign(static_cast<std::size_t>(w.q), 1);
    w.companion = n - w.q + 1;
    return true;
}

void itercheck(ExtentSettings& e, Notices& told)
{
    const bool was_upto = e.upto;
    if (!e.upto) {
        told.add_help("NOTE: up to in iterative mode");
        e.upto = true;
        e.start = {1, {1}, {e.bounds.empty() ? 1 : e.bounds.front()}, 0};
    }
    if ((!was_upto || e.start.q == 1) && !e.start.p.empty() && e.start.p.front() == 1 && !e.iter_note_shown) {
        told.add_help("NOTE: q=1 and p_1=1");
        e.iter_note_shown = true;
    }
}

namespace {

// The size vector as a blank and 2-digit numbers, in 11 characters.
std::string shape_field(const std::vector<int>& p)
{
    std::string s = " ";
    for (std::size_t j = 0; j < p.size() && j < 10; ++j) s += io::fmt_i(p[j], 2);
    return io::fmt_a(s, 11);
}

std::string mark(bool exact) { return exact ? " " : "~"; }

// A box line blank-padded to the box's width; a figure wider than its column
// keeps its digits and pushes the line's end out.
std::string to_width(std::string s, int width)
{
    if (s.size() < static_cast<std::size_t>(width)) s.resize(static_cast<std::size_t>(width), ' ');
    return s;
}

// The widths of the count columns: 7 digits (6 for the skipped), widened for
// the whole box when a count needs more, so that no count turns into "*" and
// every line keeps its columns under the headings.
struct BoxWidths {
    int classes = 7, exclusions = 7, searches = 7, done = 7, skipped = 6;

    void fit(const BoxLine& b)
    {
        const auto digits = [](long long v) { return static_cast<int>(std::to_string(v).size()); };
        classes = std::max(classes, digits(b.classes));
        exclusions = std::max(exclusions, digits(b.exclusions));
        searches = std::max(searches, digits(b.searches));
        done = std::max(done, digits(b.done));
        skipped = std::max(skipped, digits(b.skipped));
    }
    int anticipated() const { return classes - 7 + exclusions - 7 + searches - 7; }
    int actual() const { return done - 7 + skipped - 6; }
    int width() const { return ExtentBox::kWidth + anticipated() + actual(); }
};

std::string box_line(const BoxLine& b, const BoxWidths& w)
{
    std::string s = shape_field(b.p) + "| " + io::fmt_i(b.classes, w.classes) + mark(b.classes_exact);
    if (b.all_skipped) {
        s += " All skipped; subset of ";
        for (std::size_t j = 0; j < b.subset_of.size() && j < 10; ++j) s += io::fmt_i(b.subset_of[j], 2);
    } else {
        s += io::fmt_i(b.exclusions, w.exclusions) + "   " + io::fmt_f(b.subsearch, 5, 1) + mark(b.subsearch_exact) +
             "   " + io::fmt_i(b.searches, w.searches) + mark(b.searches_exact) + "   |" + io::fmt_i(b.done, w.done) +
             " " + io::fmt_i(b.skipped, w.skipped);
    }
    return to_width(std::move(s), w.width());
}

std::string overall_line(const BoxLine& t, const BoxWidths& w)
{
    return to_width(" Overall  |" + io::fmt_i(t.classes, w.classes) + " " + io::fmt_i(t.exclusions, w.exclusions) +
                        std::string(12, ' ') + io::fmt_i(t.searches, w.searches) + " " + "   |" +
                        io::fmt_i(t.done, w.done) + " " + io::fmt_i(t.skipped, w.skipped),
                    w.width());
}

} // namespace

void ExtentBox::reset()
{
    count_ = 0;
    rows_.clear();
    lines_.clear();
    total_ = {};
}

void ExtentBox::add(const BoxLine& b)
{
    count_ += 1;
    if (!b.all_skipped) {
        total_.classes += b.classes;
        total_.exclusions += b.exclusions;
        total_.searches += b.searches;
        total_.done += b.done;
        total_.skipped += b.skipped;
    }
    // The last stored line is kept for the closing line.
    if (static_cast<int>(rows_.size()) < kMaxLines - 1) rows_.push_back(b);
}

std::vector<std::string> ExtentBox::print(bool detailout)
{
    BoxWidths w;
    w.fit(total_);
    for (const BoxLine& b : rows_) w.fit(b);
    lines_.clear();
    for (const BoxLine& b : rows_) lines_.push_back(box_line(b, w));
    lines_.push_back(overall_line(total_, w));
    std::vector<std::string> out;
    if (!detailout) return out;
    const std::string dashes = " " + std::string(static_cast<std::size_t>(w.width()), '-');
    const auto pad = [](int n) { return io::fmt_x(n); };
    out.push_back(std::string(20, ' ') + " SEARCH EXTENT BOX");
    out.push_back(dashes);
    out.push_back("|           |             ANTICIPATED               " + pad(w.anticipated()) +
                  "|        ACTUAL        " + pad(w.actual()) + "|");
    out.push_back("| p_1...p_q | " + pad(w.classes - 7) + "#Class   " + pad(w.exclusions - 7) + "#Excl  #SubSch " +
                  pad(w.searches - 7) + "#Search | " + pad(w.done - 7) + "#Done    " + pad(w.skipped - 6) +
                  "#Skipped    |");
    out.push_back(dashes);
    for (const std::string& l : lines_) out.push_back(" |" + l + "|");
    out.push_back(dashes);
    return out;
}

} // namespace meru::stats
