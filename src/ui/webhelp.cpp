#include "ui/webhelp.h"

#include "platform/child_wait.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "ui/context.h"
#include "ui/help_pages.h"
#include "ui/messages.h"

#include <optional>

namespace meru::ui {

namespace {

// The help topic shown when no program opens web pages.
constexpr std::string_view kNoBrowserTopic = "ERROR: Internet Explorer not found";

std::optional<std::string> locate(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return io::file_exists(program) ? std::optional<std::string>(program) : std::nullopt;
    return io::find_on_path(program);
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
    message = "NOTE: MS Internet Explorer";
    const auto program = locate(opener);
    if (!program) {
        message = std::string(kNoBrowserTopic);
        helpshow(ctx, message);
        return;
    }
    const std::string address = web_address(request, folder);
    if (address.empty()) return;
    if (platform::open_url(address, *program) != 0) {
        std::string note_text = "Failure in SYSTEMQQ accessing MERU website $";
        note(ctx, note_text, NoteKind::Cut79, false);
    }
}

} // namespace meru::ui
