#include "ui/help_pages.h"

#include "platform/io/strings.h"
#include "ui/helpindex.h"

namespace meru::ui {

namespace {

const char* const kStyle = "body{font-family:sans-serif;max-width:48em;margin:1em auto;padding:0 1em}"
                           "pre{white-space:pre-wrap;font-family:inherit}";

std::string page_start(std::string_view title)
{
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + html_escape(title) +
           "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<p><a href=\"" + std::string(kIndexPage) +
           "\">MERU</a> | <a href=\"" + std::string(kManualPage) + "\">Manual</a> | <a href=\"" +
           std::string(kFaqPage) + "\">FAQs</a></p>\n<h1>" + html_escape(title) + "</h1>\n";
}

const char* const kPageEnd = "</body>\n</html>\n";

std::string text_block(const HelpSourceTopic& t)
{
    std::string s = "<pre>";
    for (std::size_t i = 0; i < t.lines.size(); ++i) s += (i > 0 ? "\n" : "") + html_escape(t.lines[i]);
    return s + "</pre>\n";
}

std::string name_of(const HelpSourceTopic& t) { return t.names.empty() ? std::string() : io::trim(t.names.front()); }

// One section a topic, each with its anchor "t<n>" (n its place in the source),
// after a contents list of links to them.
std::string sections(const std::vector<HelpSourceTopic>& topics, const std::vector<std::size_t>& chosen)
{
    std::string contents = "<ul>\n", body;
    for (const std::size_t k : chosen) {
        const std::string id = "t" + std::to_string(k + 1);
        const std::string name = html_escape(name_of(topics[k]));
        contents += "<li><a href=\"#" + id + "\">" + name + "</a></li>\n";
        body += "<h2 id=\"" + id + "\">" + name + "</h2>\n" + text_block(topics[k]);
    }
    return contents + "</ul>\n" + body;
}

} // namespace

std::string html_escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

HelpPages help_pages(const std::vector<HelpSourceTopic>& topics)
{
    std::vector<std::size_t> manual, faq;
    const HelpSourceTopic* about = nullptr;
    for (std::size_t k = 0; k < topics.size(); ++k) {
        const std::string name = name_of(topics[k]);
        (is_listable(name) ? manual : faq).push_back(k);
        for (const auto& n : topics[k].names)
            if (!about && io::trim(n) == "About MERU") about = &topics[k];
    }
    HelpPages p;
    p.index = page_start("MERU");
    if (about) p.index += text_block(*about);
    p.index += "<ul>\n<li><a href=\"" + std::string(kManualPage) +
               "\">Manual</a>: every topic of Help Topics</li>\n<li><a href=\"" + std::string(kFaqPage) +
               "\">FAQs</a>: what the program's notes, errors and questions mean</li>\n</ul>\n" + kPageEnd;
    p.manual = page_start("MERU manual") + sections(topics, manual) + kPageEnd;
    p.faq = page_start("MERU: frequent questions") +
            "<p>What does the program mean when it shows one of these notes, errors or questions?</p>\n" +
            sections(topics, faq) + kPageEnd;
    return p;
}

} // namespace meru::ui
