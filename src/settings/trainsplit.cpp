#include "settings/trainsplit.h"

#include "core/services.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "settings/attr_picker.h"
#include "stats/hypergeometric.h"

#include <algorithm>
#include <numeric>

namespace meru::settings {

namespace ids = split_ids;

namespace {

std::string training_share(long long count, long long total)
{
    const double pct = total > 0 ? 100.0 * static_cast<double>(count) / static_cast<double>(total) : 0.0;
    return io::fmt_i(count, 7) + "(" + io::fmt_f(pct, 7, 2) + "%) training observations";
}

// The note of a split; the log keeps its columns.
void split_note(SplitContext& cx, const std::string& text)
{
    cx.log.write(text);
    cx.services.note(text + "$", NoteKind::Cut79, false);
}

Form split_form(const SplitSettings& s, long long total)
{
    Form f;
    f.on[ids::kRepeatable] = s.repeatable;
    f.on[ids::kNonRepeatable] = s.nonrepeatable;
    f.on[ids::kByAttribute] = s.byattribute;
    f.text[ids::kSize] = s.sizetext;
    f.text[ids::kSizeLabel] = "Enter training sample size (<" + io::fmt_i(total, 5) + "), unless attribute defined";
    return f;
}

// The attribute-defined split; false when nothing was chosen. `text` receives
// the attribute's name and the chosen label (28 characters).
bool split_by_attribute(SplitContext& cx, long long& count, std::string& text)
{
    cx.msgline = "Training attribute";
    const PickRange range{1, cx.lastvar, 0, 1, false};
    const Pick pick =
        selattr(cx.tables, cx.varline, range, cx.msgline, "Help:Training attribute", cx.dialog, cx.services, cx.log);
    if (pick.result == 0) return false;
    count = 0;
    for (int i = 1; i <= cx.n; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        if (cx.data.ab(pick.attribute, i) == pick.side) {
            count += cx.obswt[k];
        } else {
            cx.testwt[k] += cx.obswt[k];
            cx.obswt[k] = 0;
        }
    }
    text = io::fmt_a(attribute_text(cx.tables, pick.attribute, pick.side + 1), 28);
    cx.log.write("Training sample:" + text);
    return true;
}

} // namespace

long long merge_split(std::vector<int>& obswt, std::vector<int>& testwt)
{
    for (std::size_t i = 0; i < obswt.size() && i < testwt.size(); ++i) {
        obswt[i] += testwt[i];
        testwt[i] = 0;
    }
    return std::accumulate(obswt.begin(), obswt.end(), 0LL);
}

void select_training(std::vector<int>& obswt, std::vector<int>& testwt, int n, long long size, long long total,
                     io::RandomStream& rng)
{
    // Each unit of weight joins the training sample with the share of places
    // left among the units left; an observation's units are drawn together, so
    // that the time follows the observations, not their total weight.
    long long m = size;
    long long r = total;
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const int w = std::max(obswt[k], 0);
        const auto taken = w > 0 && m > 0 ? static_cast<int>(stats::hypergeometric(r, m, w, rng)) : 0;
        m -= taken;
        r -= w;
        testwt[k] = obswt[k] - taken;
        obswt[k] = taken;
    }
}

SplitResult trainsplit(SplitSettings& s, SplitContext& cx)
{
    const int n = std::min({cx.n, static_cast<int>(cx.obswt.size()), static_cast<int>(cx.testwt.size())});
    cx.n = n;
    const long long total = merge_split(cx.obswt, cx.testwt);
    if (s.lastsize < 1) s.lastsize = static_cast<long long>(0.6666 * static_cast<double>(total));
    s.sizetext = io::fmt_i(s.lastsize, 6);
    for (;;) {
        Form f = split_form(s, total);
        const int closed = cx.dialog.run(ids::kDialog, f);
        if (closed == kMissing) {
            cx.log.write(io::list_record("Error: dialog box not found"));
            return {false, total};
        }
        if (closed != kOk) {
            cx.services.note("Cancel Training Sample dialog: Data set is not split $", NoteKind::Cut79, true);
            return {false, total};
        }
        s.repeatable = f.is_on(ids::kRepeatable);
        s.nonrepeatable = f.is_on(ids::kNonRepeatable);
        s.byattribute = f.is_on(ids::kByAttribute);
        s.sizetext = f.text[ids::kSize];
        long long count = 0;
        if (s.byattribute) {
            std::string text;
            if (!split_by_attribute(cx, count, text)) continue;
            split_note(cx, " " + training_share(count, total) + " in " + text);
        } else {
            if (!s.repeatable && !s.nonrepeatable) return {false, total};
            cx.rng.seed(s.repeatable ? 0 : -1);
            cx.log.write(io::list_record(s.repeatable ? " Repeatable random split" : " Non-repeatable random split"));
            const auto size = io::list_read_int(s.sizetext);
            if (!size || *size > total) {
                std::string text =
                    "Training sample size takes a whole number less than " + std::to_string(total) + "$";
                cx.services.msgbox(text, BoxKind::Ok, false);
                continue;
            }
            if (*size <= 10 || total - *size <= 10) {
                std::string text = " Require > 10 observations in a training/test sample$";
                cx.services.msgbox(text, BoxKind::Ok, false);
                continue;
            }
            select_training(cx.obswt, cx.testwt, n, *size, total, cx.rng);
            count = *size;
            split_note(cx, " There are " + training_share(count, total));
        }
        cx.msgline = "NOTE: Training/test";
        s.lastsize = count;
        return {true, count};
    }
}

void bootsamp(std::vector<int>& weights, int n, bool on, BootState& state, io::RandomStream& rng, io::LogWriter& log)
{
    n = std::min(n, static_cast<int>(weights.size()));
    if (!on) {
        log.write(io::list_record(" Bootstrap undone. Reverting to original data"));
        if (n >= 1 && state.saved) weights = state.weights;
        state.saved = false;
        return;
    }
    log.write(io::list_record(" Bootstrap sample is created for analysis"));
    if (n < 1) return;
    if (!state.saved) {
        state.weights = weights;
        state.saved = true;
    }
    std::fill(weights.begin(), weights.begin() + n, 0);
    for (int k = 0; k < n; ++k) {
        const int j = std::min(static_cast<int>(static_cast<double>(n) * rng.next()), n - 1);
        weights[static_cast<std::size_t>(j)] += 1;
    }
}

} // namespace meru::settings
