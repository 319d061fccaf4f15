// Web pages: the address each Help item opens, the missing opener and the failing
// opener.
#include "ui/webhelp.h"
#include "ui_fixture.h"

#include <QFile>

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
    EXPECT_EQ(message, "NOTE: MS Internet Explorer");
    EXPECT_TRUE(topics.empty());
}

TEST_F(UiTest, WebPageWithoutAnOpenerShowsItsHelpTopic)
{
    std::vector<std::string> topics;
    ctx.help = [&](std::string_view t) { topics.emplace_back(t); };
    std::string message;
    ui::webhelp(ctx, message, {true, false, true}, "", dir.filePath("no-such-opener").toStdString());
    ui::webhelp(ctx, message, {true, false, true}, "", "meru-no-such-opener-on-path");
    EXPECT_EQ(topics, (std::vector<std::string>(2, "ERROR: Internet Explorer not found")));
    EXPECT_EQ(message, "ERROR: Internet Explorer not found");
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(UiTest, WebPageWhoseOpenerFailsGivesTheNote)
{
    std::string record;
    const std::string opener = fake_opener(dir, "broken", 3, record);
    ModalAnswerer answer({"OK"});
    std::string message;
    ui::webhelp(ctx, message, {true, false, true}, "/opt/meru", opener);
    EXPECT_EQ(slurp(record), "/opt/meru/manual.html");
    ASSERT_EQ(answer.shown.size(), 1u);
    EXPECT_EQ(answer.shown[0].caption, "FIY:");
    EXPECT_NE(answer.shown[0].text.find("Failure in SYSTEMQQ accessing MERU website"), std::string::npos);
    EXPECT_TRUE(log_lines().empty());
}
