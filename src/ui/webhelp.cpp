#include "ui/webhelp.h"

#include "platform/child_wait.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "ui/context.h"
#include "ui/help_pages.h"
#include "ui/messages.h"

#include <filesystem>
#include <optional>

namespace meru::ui {

namespace {


std::optional<std::string> locate(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return io::file_exists(program) ? std::optional<std::string>(program) : std::nullopt;
    return io::find_on_path(program);
}

// No program showed the page: says so and gives the page's full path, so that
// the user can open it in a browser of their own (in a box and in the log).
void no_browser(Context& ctx, std::string& message, const std::string& address)
{
    std::error_code ec;
    const std::filesystem::path page = std::filesystem::absolute(address, ec).lexically_normal();
    message = "No web browser was found (the desktop's opener could not show the page). Open this page yourself: " +
              (ec ? address : page.string()) + "$";
    msgbox(ctx, message, BoxKind::Ok, true);
}

} // namespace

std::string web_address(const WebRequest& request, const std::string& folder)
{
    std::string_view page;
    if (request.web) page = kIndexPage;
    if (request.manual) page = kManualPage;
    if (request.faq) page = kFaqPage;
    if (page.empty()) return {};
    return (folder.empty() ? std::string(".") : folder) + "/" + std::string(page);
}

void webhelp(Context& ctx, std::string& message, const WebRequest& request, const std::string& folder,
             const std::string& opener)
{
    if (!io::current_folder()) {
        ctx.log.write("Failed to locate current directory");
        return;
    }
    message = "NOTE: web browser";
    const std::string address = web_address(request, folder);
    if (address.empty()) return;
    const auto program = locate(opener);
    if (!program || platform::open_url(address, *program) != 0) no_browser(ctx, message, address);
}

} // namespace meru::ui
