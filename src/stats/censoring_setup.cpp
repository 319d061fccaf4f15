#include "stats/censoring_setup.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "stats/logrank.h"

namespace meru::stats {

std::string censoring_side_text(std::string_view name, std::string_view label)
{
    std::string text = files::squeeze(io::fmt_a(name, 8) + io::fmt_a(label, 20), '$');
    if (text.size() > 28) text.resize(28);
    return text;
}

bool apply_censoring_choice(const CensoringChoice& choice, bool kept, Criterion criterion, const SampleView& base,
                            std::string_view yname, Censoring& censoring, Notices& told, io::LogWriter& log)
{
    if (choice.attribute < 1) {
        censoring.in_force = false;
        censoring.attribute = 1;
        censoring.other_side.clear();
        log.write("No censoring");
    } else {
        censoring.in_force = true;
        censoring.attribute = choice.attribute;
        censoring.side = choice.side == 2 ? 2 : 1;
        censoring.other_side = censoring_side_text(choice.name, choice.other_label);
        log.write(io::fmt_a("Censor attribute : " + censoring_side_text(choice.name, choice.chosen_label), 47));
    }
    if (!kept) censpct(base, censoring, yname, told);
    const bool lrinc = incidence_mode(criterion, censoring);
    if (lrinc) told.line(log, "Log-rank - incidence rates will be calculated");
    return lrinc;
}

} // namespace meru::stats
