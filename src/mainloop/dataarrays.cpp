#include "mainloop/dataarrays.h"

#include "core/services.h"
#include "files/readdata.h"
#include "mainloop/analysis.h"
#include "platform/io/edit.h"

#include <new>
#include <span>
#include <stdexcept>

namespace meru::mainloop {

namespace {

void catastrophic(Services& sv)
{
    std::string text = "Catastrophic data array allocation error. $";
    sv.msgbox(text, BoxKind::Ok, true);
}

} // namespace

bool bounds_usable(const files::ScanCounts& c, Services& sv, std::string& msgline)
{
    msgline = "# attributes=" + io::fmt_i(c.attbound, 5) + " $";
    if (c.attbound > kMaxAttributes) {
        sv.helpshow("ERROR too many attributes");
        sv.msgok(msgline);
        return false;
    }
    if (c.varbound > kMaxVariableBound) {
        msgline = "# variables=" + io::fmt_i(c.varbound, 5) + " $";
        sv.helpshow("ERROR too many variables");
        sv.msgok(msgline);
        return false;
    }
    return true;
}

bool allocate_groups(std::span<const AllocationGroup> groups, Services& sv)
{
    bool ok = true;
    for (const auto& g : groups) {
        try {
            g.allocate();
        } catch (const std::bad_alloc&) {
            sv.msgok(std::string(g.failure));
            ok = false;
        } catch (const std::length_error&) {
            sv.msgok(std::string(g.failure));
            ok = false;
        }
    }
    if (!ok) catastrophic(sv);
    return ok;
}

bool allocate_tables(Analysis& a, const files::ScanCounts& c, Services& sv)
{
    files::ControlTables& t = a.tables;
    const files::DataFormat keep = t.format;
    t = files::ControlTables{};
    t.format = keep;
    t.dims.lc = c.attbound + files::kSpareSlots;
    t.dims.nv = c.varbound + files::kSpareSlots;
    t.dims.ncutx = c.cutbound < 1 ? 1 : c.cutbound;
    const auto nv = static_cast<std::size_t>(t.dims.nv) + 1;
    const AllocationGroup groups[] = {
        {"Unable to allocate arrays dim KMAX$", [&] { a.varline.assign(nv, 0); }},
        {"Unable to allocate arrays dim LC$", [&] { t.att.resize(static_cast<std::size_t>(t.dims.lc) + 1); }},
        {"Unable to allocate arrays dim NFMAX$",
         [&] {
             t.line.resize(nv);
             t.vars.varname.resize(nv);
         }},
    };
    if (!allocate_groups(groups, sv)) return false;
    a.naddatt = 0;
    return true;
}

bool allocate_observations(Analysis& a, int n, Services& sv)
{
    try {
        files::allocate_data(a.data, files::observation_shape(a.tables, n));
        a.xmask.assign(static_cast<std::size_t>(n) + 1, 0);
        a.ymat.assign(static_cast<std::size_t>(n) * 5, 0.0f);
    } catch (const std::exception&) {
        a.data = files::DataArrays{};
        a.xmask = {};
        a.ymat = {};
        catastrophic(sv);
        return false;
    }
    return true;
}

} // namespace meru::mainloop
