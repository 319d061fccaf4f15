#include "mainloop/help_routines.h"

#include "mainloop/program.h"
#include "ui/help.h"
#include "ui/webhelp.h"

namespace meru::mainloop {

void install_help(Program& p)
{
    ui::install_help(p.ui, p.help_files);
    p.help.topics = [&p](bool tipmode) { ui::helptopics(p.ui, p.help_files, tipmode); };
    p.help.web = [&p](bool manual, bool faq, bool web) {
        std::string message;
        ui::webhelp(p.ui, message, {manual, faq, web}, p.folder);
    };
}

} // namespace meru::mainloop
