#include "settings/options_dialog.h"

#include "core/services.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

namespace meru::settings {

namespace ids = options_ids;

namespace {

Form options_form(const Options& o)
{
    Form f;
    f.on = {{ids::kFullred, o.fullred},     {ids::kPrimattr, o.primattr},   {ids::kTiedlast, o.tiedlast},
            {ids::kDispgraph, o.dispgraph}, {ids::kDetailout, o.detailout}, {ids::kTurbo, o.turboon},
            {ids::kShowtip, o.showtip},     {ids::kSkipset, o.skipset},     {ids::kSkipcomb, o.skipcomb}};
    f.on[ids::kSkipNone] = !o.skipset && !o.skipcomb;
    return f;
}

constexpr const char* kFullredLabel = " Full Boolean reductions   ";
constexpr const char* kPrimattrLabel = " Attributes are primitive  ";

std::string missing_line(const Options& o)
{
    const char* missing = o.skipcomb  ? "Skip if missing in combination"
                          : o.skipset ? "Skip if missing in attribute set"
                                      : kSkipNoneText;
    return std::string(" Missing attributes handled by: ") + missing;
}

void write_block(const Options& o, Services& services, io::LogWriter& log)
{
    services.actlog("%Options");
    log.write(missing_line(o));
    const std::pair<const char*, bool> lines[] = {
        {kFullredLabel, o.fullred},
        {kPrimattrLabel, o.primattr},
        {" Iied: Use last found      ", o.tiedlast},
        {" Detailed output           ", o.detailout},
        {" Display grahics in search ", o.dispgraph},
        {" Turbo on                  ", o.turboon},
        {" Tip of Day                ", o.showtip},
    };
    for (const auto& [label, flag] : lines) log.write(label + files::yesno(flag));
}

} // namespace

bool optdlg(Options& o, FormDialog& dialog, Services& services, io::LogWriter& log)
{
    const bool graph_before = o.dispgraph;
    for (;;) {
        Form f = options_form(o);
        const int closed = dialog.run(ids::kDialog, f);
        if (closed == kMissing) {
            log.write(io::list_record("Error: dialog box 8 not found"));
            return false;
        }
        if (closed == kCancel) return false;
        const bool full = f.is_on(ids::kFullred);
        const bool prim = f.is_on(ids::kPrimattr);
        if (full && prim) {
            std::string text = "Primitive attributes & Full Boolean reduction incompatible.$";
            services.msgbox(text, BoxKind::Ok, false);
            if (o.primattr) o.fullred = false;
            else if (o.fullred) o.primattr = false;
            continue;
        }
        o.fullred = full;
        o.primattr = prim;
        o.tiedlast = f.is_on(ids::kTiedlast);
        o.dispgraph = f.is_on(ids::kDispgraph);
        if (o.dispgraph && !graph_before) services.helpshow("NOTE: display graphics");
        o.detailout = f.is_on(ids::kDetailout);
        o.turboon = f.is_on(ids::kTurbo);
        o.skipset = f.is_on(ids::kSkipset);
        o.skipcomb = f.is_on(ids::kSkipcomb);
        o.showtip = f.is_on(ids::kShowtip);
        if (o.skipcomb) o.skipset = false;
        write_block(o, services, log);
        return true;
    }
}

std::vector<std::string> options_in_force(const Options& o)
{
    std::vector<std::string> lines{missing_line(o)};
    if (o.fullred) lines.push_back(kFullredLabel + files::yesno(true));
    if (o.primattr) lines.push_back(kPrimattrLabel + files::yesno(true));
    return lines;
}

} // namespace meru::settings
