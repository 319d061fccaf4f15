#include "files/new_variable.h"

#include <algorithm>
#include <string>

namespace meru::files {

namespace {

std::vector<int>& sources(VariableTable& vars, int which) { return which == 2 ? vars.srcvar2 : vars.srcvar1; }

} // namespace

bool variable_room(const VariableTable& vars, const DataArrays& data)
{
    return vars.made < kMadeVariables && vars.nvar >= 0 && vars.nvar + 1 <= data.ncols;
}

int append_variable(VariableTable& vars, DataArrays& data, std::vector<char>& varischar, std::string_view name,
                    std::span<const float> values, bool character)
{
    if (!variable_room(vars, data)) return 0;
    const int var = vars.nvar + 1;
    if (!data.hold_column(var)) return 0;
    const auto at = static_cast<std::size_t>(var);
    if (vars.varname.size() <= at) vars.varname.resize(at + 1);
    vars.varname[at] = std::string(name.substr(0, kNameLen));
    if (varischar.size() <= at) varischar.resize(at + 1, 0);
    varischar[at] = character ? 1 : 0;
    for (int i = 1; i <= data.n; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        data.x(i, var) = k < values.size() ? values[k] : -1.0f;
    }
    vars.nvar = var;
    ++vars.made;
    set_source_variable(vars, var, 1, 0);
    set_source_variable(vars, var, 2, 0);
    return var;
}

std::vector<int> drop_variables(ControlTables& t, DataArrays& data, std::vector<char>& varischar,
                                std::span<const int> gone)
{
    VariableTable& v = t.vars;
    const int nvar = v.nvar;
    std::vector<int> map(static_cast<std::size_t>(nvar) + 1, 0);
    int kept = 0;
    for (int j = 1; j <= nvar; ++j) {
        if (std::find(gone.begin(), gone.end(), j) != gone.end()) continue;
        map[static_cast<std::size_t>(j)] = ++kept;
    }
    const auto to = [&](int j) { return j >= 1 && j <= nvar ? map[static_cast<std::size_t>(j)] : j; };
    for (int j = 1; j <= nvar; ++j) {
        const int k = to(j);
        if (k == 0 || k == j) continue;
        const auto J = static_cast<std::size_t>(j), K = static_cast<std::size_t>(k);
        if (J < v.varname.size()) v.varname[K] = v.varname[J];
        if (J < varischar.size()) varischar[K] = varischar[J];
        for (int which : {1, 2}) set_source_variable(v, k, which, to(source_variable(v, j, which)));
        if (j <= data.ncols)
            for (int i = 1; i <= data.n; ++i) data.x(i, k) = data.x(i, j);
    }
    for (int j = kept + 1; j <= nvar; ++j) {
        const auto J = static_cast<std::size_t>(j);
        if (J < v.varname.size()) v.varname[J].clear();
        if (J < varischar.size()) varischar[J] = 0;
        for (int which : {1, 2}) set_source_variable(v, j, which, 0);
        if (j <= data.ncols)
            for (int i = 1; i <= data.n; ++i) data.x(i, j) = -1.0f;
    }
    for (std::size_t l = 1; l < t.line.size() && static_cast<int>(l) <= t.nlines; ++l)
        t.line[l].var = to(t.line[l].var);
    v.ivar = to(v.ivar);
    v.rvar = to(v.rvar);
    v.made = std::max(0, v.made - (nvar - kept));
    v.nvar = kept;
    return map;
}

int source_variable(const VariableTable& vars, int var, int which)
{
    const std::vector<int>& s = which == 2 ? vars.srcvar2 : vars.srcvar1;
    return var >= 0 && static_cast<std::size_t>(var) < s.size() ? s[static_cast<std::size_t>(var)] : 0;
}

void set_source_variable(VariableTable& vars, int var, int which, int source)
{
    if (var < 0) return;
    std::vector<int>& s = sources(vars, which);
    if (s.size() <= static_cast<std::size_t>(var)) s.resize(static_cast<std::size_t>(var) + 1, 0);
    s[static_cast<std::size_t>(var)] = source;
}

std::vector<int> source_variables(const VariableTable& vars, int var)
{
    std::vector<int> out;
    const auto add = [&](int s) {
        if (s > 0 && std::find(out.begin(), out.end(), s) == out.end()) out.push_back(s);
    };
    for (int which : {1, 2}) {
        const int s = source_variable(vars, var, which);
        add(s);
        if (s > 0)
            for (int w2 : {1, 2}) add(source_variable(vars, s, w2));
    }
    return out;
}

} // namespace meru::files
