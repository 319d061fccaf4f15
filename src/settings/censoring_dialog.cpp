#include "settings/censoring_dialog.h"

#include "core/services.h"
#include "files/tables.h"
#include "settings/attr_picker.h"
#include "stats/censoring_setup.h"
#include "stats/criteria.h"
#include "ui/messages.h"

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

bool apply_choice(const CensoringSetup& in, const stats::CensoringChoice& choice, bool kept,
                  stats::Censoring& censoring, Services& services, io::LogWriter& log)
{
    Notices told;
    const bool lrinc = stats::apply_censoring_choice(choice, kept, static_cast<stats::Criterion>(in.icrit), in.base,
                                                     in.yname, censoring, told, log);
    ui::tell(services, log, told);
    return lrinc;
}

} // namespace

bool logrank_setup(const CensoringSetup& in, stats::Censoring& censoring, FormDialog& dialog, Services& services,
                   io::LogWriter& log)
{
    if (censoring.in_force && !services.quiz("?Already specified censor attribute. Change it?")) {
        const stats::CensoringChoice kept = choice_of(in.tables, censoring.attribute, censoring.side);
        return apply_choice(in, kept, true, censoring, services, log);
    }
    in.msgline = "Criteria:Log-rank";
    const PickRange range{1, in.lastvar, 0, 1, false};
    const Pick pick =
        selattr(in.tables, in.varline, range, "Log rank: Cancel for no censoring, else pick censoring attribute",
                "Help:Censoring attribute", dialog, services, log);
    const stats::CensoringChoice c =
        pick.result == 0 ? stats::CensoringChoice{} : choice_of(in.tables, pick.attribute, pick.side + 1);
    return apply_choice(in, c, false, censoring, services, log);
}

} // namespace meru::settings
