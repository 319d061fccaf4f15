// Web pages: the address each Help item opens, and the message with the page's
// full path when no browser shows it.
#include "ui/webhelp.h"
#include "ui_fixture.h"

#include <QDir>
#include <QFile>
#include <algorithm>

using namespace meru;
using meru::test::ModalAnswerer;
using meru::test::UiTest;

namespace {

// A stand-in for the system's opener: writes its argument to a file and ends with
// `status`.
std::string fake_opener(const QTemporaryDir& dir, const std::string& name, int status, std::string& record)
{
    record = dir.filePath(QString::fromStdString(name + ".out")).toStdString();
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << "'\nexit " << status << "\n";
    QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(WebAddress, LaterItemsWinOverTheIndexPage)
{
    EXPECT_EQ(ui::web_address({false, false, true}, "/opt/meru"), "/opt/meru/index.html");
    EXPECT_EQ(ui::web_address({true, false, true}, "/opt/meru"), "/opt/meru/manual.html");
    EXPECT_EQ(ui::web_address({false, true, true}, "/opt/meru"), "/opt/meru/faq.html");
    EXPECT_EQ(ui::web_address({true, true, true}, "/opt/meru"), "/opt/meru/faq.html");
    EXPECT_EQ(ui::web_address({false, false, true}, ""), "./index.html");
    EXPECT_EQ(ui::web_address({}, "/opt/meru"), "");
}

TEST_F(UiTest, WebPageOpensThroughTheOpenerAndWaitsForIt)
{
    std::string record;
    const std::string opener = fake_opener(dir, "opener", 0, record);
    std::vector<std::string> topics;
    ctx.help = [&](std::string_view t) { topics.emplace_back(t); };
    std::string message;
    ui::webhelp(ctx, message, {false, true, true}, "/opt/meru", opener);
    EXPECT_EQ(slurp(record), "/opt/meru/faq.html");
    EXPECT_EQ(message, "NOTE: web browser");
    EXPECT_TRUE(topics.empty());
}

TEST_F(UiTest, WithoutABrowserTheMessageGivesThePagesFullPath)
{
    std::string record;
    const std::string broken = fake_opener(dir, "broken", 3, record);
    const std::string missing = dir.filePath("no-such-opener").toStdString();
    // An opener that fails (a desktop without a browser), one that is not there,
    // and none along PATH; the folder given relative and with a detour.
    for (const std::string& opener : {broken, missing, std::string("meru-no-such-opener-on-path")}) {
        ModalAnswerer answer({"OK"});
        std::string message;
        ui::webhelp(ctx, message, {true, false, true}, "/opt/meru/bin/..", opener);
        ASSERT_EQ(answer.shown.size(), 1u) << opener;
        EXPECT_NE(answer.shown[0].text.find("No web browser was found"), std::string::npos);
        EXPECT_NE(answer.shown[0].text.find("Open this page yourself: /opt/meru/manual.html"), std::string::npos);
    }
    EXPECT_EQ(slurp(record), "/opt/meru/bin/../manual.html");
    ModalAnswerer answer({"OK"});
    std::string message;
    ui::webhelp(ctx, message, {false, true, false}, "", missing);
    ASSERT_EQ(answer.shown.size(), 1u);
    EXPECT_NE(answer.shown[0].text.find(QDir::current().filePath("faq.html").toStdString()), std::string::npos);
    // Each message is in the log too, path and all.
    const auto lines = log_lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("/opt/meru/manual.html") != std::string::npos; }),
              3);
}
