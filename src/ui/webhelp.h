#pragma once
// Help:Website, Help:Manual and Help:FAQs: the index, manual or FAQ page laid next
// to the executable by the build (help_pages.h), in the system's web browser;
// the program serves its events while the browser's opener runs.
#include <string>
#include <string_view>

namespace meru::ui {

struct Context;

// The Help item flags of the request: Manual, FAQs, Website.
struct WebRequest {
    bool manual = false;
    bool faq = false;
    bool web = false;
};

// The page the request opens, in `folder` (the program's folder): the FAQ page
// before the manual before the index page (Help:Manual also raises the Website
// flag); empty when no flag is raised.
std::string web_address(const WebRequest& request, const std::string& folder);

// Opens the request's page with `opener` (a program name looked up along PATH, or
// a path). `message` receives the note of the step reached. The current folder
// cannot be read: the log line "Failed to locate current directory". No opener,
// or an opener that fails (a desktop without a browser): a message box, also
// logged, that no web browser was found, with the page's full path.
void webhelp(Context& ctx, std::string& message, const WebRequest& request, const std::string& folder,
             const std::string& opener = "xdg-open");

} // namespace meru::ui
