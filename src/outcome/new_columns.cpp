#include "outcome/new_columns.h"

#include "core/services.h"
#include "files/new_variable.h"
#include "stats/new_attribute.h"

#include <string>

namespace meru::outcome {

namespace {

void no_room(Services& sv, const char* what)
{
    std::string text = std::string("No room for a new ") + what + "$";
    sv.msgbox(text, BoxKind::Ok, true);
}

} // namespace

int add_variable(files::VariableTable& vars, files::DataArrays& data, std::vector<char>& varischar,
                 std::string_view name, std::span<const float> values, bool character, Services& sv)
{
    const int var = files::append_variable(vars, data, varischar, name, values, character);
    if (var == 0) no_room(sv, "variable");
    return var;
}

int add_binary_attribute(files::ControlTables& t, files::DataArrays& data, int var, Services& sv)
{
    const stats::NewAttribute made = stats::append_binary_attribute(t, data, var);
    if (made.no_room) no_room(sv, "attribute");
    return made.att;
}

} // namespace meru::outcome
