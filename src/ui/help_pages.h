#pragma once
// The manual and the answers to frequent questions as local web pages, made from
// the help source when the program is built and laid next to the executable:
// Help:Manual, Help:FAQs and Help:Website open them (webhelp.h). No Qt here.
#include "ui/helpsource.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::ui {

inline constexpr std::string_view kIndexPage = "index.html";
inline constexpr std::string_view kManualPage = "manual.html";
inline constexpr std::string_view kFaqPage = "faq.html";

struct HelpPages {
    std::string index;  // the about text with links to the two pages below
    std::string manual; // every topic of the Help Topics list, with a contents list
    std::string faq;    // what the program's notes, errors and questions mean
};

// The pages of the topics, in source order. A topic goes to the manual when its
// first name is listed in Help Topics (is_listable), else to the questions page.
HelpPages help_pages(const std::vector<HelpSourceTopic>& topics);

// `text` with &, <, > and " written as HTML entities.
std::string html_escape(std::string_view text);

} // namespace meru::ui
