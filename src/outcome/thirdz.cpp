#include "outcome/thirdz.h"

#include "core/services.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/io/logwriter.h"

namespace meru::outcome {
namespace {

void tell(Services& sv, std::string text) { sv.msgbox(text, BoxKind::Ok, true); }

} // namespace

std::vector<ZAttribute> z_attributes(const files::ControlTables& t, std::span<const int> attset)
{
    std::vector<ZAttribute> out;
    for (int line : attset) {
        if (line <= 1 || line > t.nlines || line >= static_cast<int>(t.line.size())) continue;
        const files::AttrLine& l = t.line[static_cast<std::size_t>(line)];
        for (int a = l.first_attribute(); a <= l.attoff; ++a) {
            if (a < 1 || a >= static_cast<int>(t.att.size())) continue;
            const files::Attribute& at = t.att[static_cast<std::size_t>(a)];
            std::string label = files::squeeze(" " + at.attname + at.attlab[1]);
            while (label.size() > 1 && label.back() == ' ') label.pop_back();
            out.push_back({label, a});
        }
    }
    return out;
}

void thirdz(ZChoice& z, const std::vector<std::string>& varnames, const std::vector<ZAttribute>& attributes,
            ScatterDialogs& dialogs, Services& sv, io::LogWriter& log)
{
    z.rotate = true;
    z.size = false;
    z.distinguish = false;
    z.none = false;
    ZView v;
    v.variables = varnames;
    for (const ZAttribute& a : attributes) v.attributes.push_back(a.label);
    v.variable_text = "Variable for 3D plot or Size by Z";
    v.attribute_text = "Attribute to distinguish points";
    for (;;) {
        z.cancelled = false;
        v.rotate = z.rotate;
        v.size = z.size;
        v.distinguish = z.distinguish;
        v.variable = v.attribute = 0;
        const int id = dialogs.third(v);
        if (v.variable < 0 || v.variable > static_cast<int>(varnames.size())) v.variable = 0;
        if (v.attribute < 0 || v.attribute > static_cast<int>(attributes.size())) v.attribute = 0;
        if (id == kDialogMissing) log.write(" Error: dialog box 5 not found");
        z.none = !v.rotate && !v.size && !v.distinguish;
        if (id == kDialogMissing || id == kCancel || z.none) {
            z.rotate = z.size = z.distinguish = false;
            z.cancelled = true;
            return;
        }
        z.rotate = v.rotate;
        z.size = v.size;
        z.distinguish = v.distinguish;
        if (id != kOk) {
            if (id == ids::kZHelp) sv.helpshow("Show third variable Z");
            continue;
        }
        if (z.distinguish && v.attribute > 0 && z.rotate) {
            tell(sv, "Cannot distinguish points in 3D plots. Do 3D plot anyway$");
            z.distinguish = false;
        }
        z.zvar = 0;
        if (z.rotate || z.size) {
            z.zvar = v.variable;
            if (z.distinguish && z.rotate) {
                tell(sv, "Cannot do 3D plots with distinguished points. Doing anyway$");
                z.distinguish = false;
            }
            if (v.variable == 0) {
                tell(sv, "Must choose from 3D plot or Size by Z list$");
                continue;
            }
        }
        if (z.distinguish && v.attribute == 0) {
            tell(sv, "Must choose from distinguish attribute list$");
            continue;
        }
        if (z.rotate && z.size) {
            tell(sv, "Cannot do 3D plots with Size by Z$");
            z.size = false;
            continue;
        }
        if (z.zvar > 0) z.zname = varnames[static_cast<std::size_t>(z.zvar - 1)].substr(0, 8);
        if (z.distinguish) {
            z.attribute = attributes[static_cast<std::size_t>(v.attribute - 1)].attribute;
            z.value = 1;
        }
        return;
    }
}

} // namespace meru::outcome
