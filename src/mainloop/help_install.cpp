#include "mainloop/help_routines.h"

#include "mainloop/program.h"

namespace meru::mainloop {

namespace {

void unavailable(Program& p, const std::string& item)
{
    const std::string text = "NOTE: " + item + " is not available yet";
    p.log.write(text);
    progress(p, text);
}

} // namespace

// The help topics use the interface context's display (ui::helpshow); until
// the help module reads the help files, that display names the topic in a box,
// and the topics list, the tips and the web pages say they are not there yet.
void install_help(Program& p)
{
    p.help.topics = [&p](bool tipmode) { unavailable(p, tipmode ? "Help:Tip of the Day" : "Help:Topics"); };
    p.help.web = [&p](bool manual, bool faq, bool) {
        unavailable(p, faq ? "Help:FAQs" : manual ? "Help:Manual" : "Help:Website");
    };
}

} // namespace meru::mainloop
