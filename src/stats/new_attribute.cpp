#include "stats/new_attribute.h"

#include "stats/membership_kernels.h"

#include <string>
#include <vector>

namespace meru::stats {

namespace {

std::string padded(std::string s, std::size_t n)
{
    s.resize(n, ' ');
    return s;
}

} // namespace

bool attribute_room(const files::ControlTables& t, const files::DataArrays& data)
{
    const int a = t.natt + 1;
    const int l = t.nlines + 1;
    return a <= data.maxatt && a < static_cast<int>(t.att.size()) && l < static_cast<int>(t.line.size());
}

NewAttribute append_binary_attribute(files::ControlTables& t, files::DataArrays& data, int var)
{
    if (var < 1 || var > t.vars.nvar || var > data.ncols || !attribute_room(t, data) ||
        !data.hold_attribute(t.natt + 1))
        return {0, true};
    std::vector<float> values(static_cast<std::size_t>(data.n));
    for (int i = 1; i <= data.n; ++i) values[static_cast<std::size_t>(i - 1)] = data.x(i, var);
    int natt = t.natt;
    const DataColumn column{std::span<float>(data.xdata.data(), data.xdata.size()), data.n, var};
    if (!newattr(std::span<std::uint8_t>(data.abyte.data(), data.abyte.size()), data.lc, data.n, natt, column,
                 values))
        return {};
    const int a = natt;
    const int l = t.nlines + 1;
    const std::string& name = t.vars.varname[static_cast<std::size_t>(var)];
    files::AttrLine& line = t.line[static_cast<std::size_t>(l)];
    line = files::AttrLine{};
    line.name = name;
    line.var = var;
    line.type = 'n';
    line.ncuts = 1;
    line.attoff = a; // the line before ends at a - 1 unless added attributes follow it
    line.universe = "01";
    line.universe_given = true;
    line.inuse = 1;
    files::Attribute& att = t.att[static_cast<std::size_t>(a)];
    att = files::Attribute{};
    att.attlab = {padded("=0", files::kLabelLen), padded("=1", files::kLabelLen)};
    att.savedlab = att.attlab;
    att.attline = l;
    std::string attname = padded(name, files::kNameLen);
    for (char& c : attname)
        if (c == ' ') c = '$';
    att.attname = attname;
    att.codes = "1";
    att.signbyte = 1;
    att.added = false;
    t.natt = a;
    t.nlines = l;
    return {a, false};
}

} // namespace meru::stats
