#pragma once
// Help:Website, Help:Manual and Help:FAQs: a page of the product's web site in the
// system's web browser; the program waits while the browser's opener runs.
#include <string>
#include <string_view>

namespace meru::ui {

struct Context;

// The product's web site; its pages lie under this address.
constexpr std::string_view kWebSite = "https://meru.example.org/";
constexpr std::string_view kManualPage = "manual.aspx";
constexpr std::string_view kFaqPage = "faq.aspx";

// The Help item flags of the request: Manual, FAQs, Website.
struct WebRequest {
    bool manual = false;
    bool faq = false;
    bool web = false;
};

// The address the request opens: the FAQ page before the manual before the home
// page (Help:Manual also raises the Website flag); empty when no flag is raised.
std::string web_address(const WebRequest& request);

// Opens the request's page with `opener` (a program name looked up along PATH, or
// a path). `message` receives the note of the step reached. The current folder
// cannot be read: the log line "Failed to locate current directory". No opener:
// the help topic "ERROR: Internet Explorer not found". The opener fails: the note
// "Failure in SYSTEMQQ accessing MERU website $".
void webhelp(Context& ctx, std::string& message, const WebRequest& request, const std::string& opener = "xdg-open");

} // namespace meru::ui
