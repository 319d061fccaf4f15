#include "settings/censoring_dialog.h"

#include "core/services.h"
#include "files/tables.h"
#include "settings/attr_picker.h"
#include "stats/censoring_setup.h"
#include "stats/criteria.h"

namespace meru::settings {

namespace {

stats::CensoringChoice choice_of(const files::ControlTables& tables, int attribute, int side)
{
    stats::CensoringChoice c;
    if (attribute < 1 || attribute > tables.natt) return c;
    const files::Attribute& at = tables.att[static_cast<std::size_t>(attribute)];
    c.attribute = attribute;
    c.side = side;
    c.name = at.attname;
    c.chosen_label = at.attlab[static_cast<std::size_t>(side - 1)];
    c.other_label = at.attlab[static_cast<std::size_t>(2 - side)];
    return c;
}

} // namespace

bool logrank_setup(const CensoringSetup& in, stats::Censoring& censoring, FormDialog& dialog, Services& services,
                   io::LogWriter& log)
{
    if (censoring.in_force && !services.quiz("?Already specified censor attribute. Change it?")) {
        const stats::CensoringChoice kept = choice_of(in.tables, censoring.attribute, censoring.side);
        return stats::apply_censoring_choice(kept, true, static_cast<stats::Criterion>(in.icrit), in.base, in.yname,
                                             censoring, services, log);
    }
    in.msgline = "Criteria:Log-rank";
    const PickRange range{1, in.lastvar, 0, 1, false};
    const Pick pick =
        selattr(in.tables, in.varline, range, "Log rank: Cancel for no censoring, else pick censoring attribute",
                "Help:Censoring attribute", dialog, services, log);
    const stats::CensoringChoice c =
        pick.result == 0 ? stats::CensoringChoice{} : choice_of(in.tables, pick.attribute, pick.side + 1);
    return stats::apply_censoring_choice(c, false, static_cast<stats::Criterion>(in.icrit), in.base, in.yname,
                                         censoring, services, log);
}

} // namespace meru::settings
