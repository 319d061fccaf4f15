// The View step: the four View requests in their order, each in the viewer, with
// their progress texts; the notes and file dialogs when no analysis is open; and
// the data viewer's name row.
#include "program_fixture.h"

#include "mainloop/view_requests.h"
#include "platform/script_host.h"
#include "ui/ui_fixture.h"

namespace meru::test {
namespace {

TEST_F(ProgramTest, ViewRequestsRunInOrderAndWithoutAnAnalysisAskForAFile)
{
    std::vector<std::string> topics;
    program->ui.help = [&](std::string_view t) { topics.emplace_back(t); };
    program->log.close(); // no analysis: no log either
    platform::FrameScriptHost host(frame, program->menus);
    int ended = -1;
    host.set_exit([&](int status) { ended = status; });
    auto script = make_script("file cancel\nfile cancel\nfile cancel\nfile cancel\n", host);
    program->ui.host.script = script.get();
    frame.set_journaling(true);

    mainloop::MenuFlags& f = program->flags;
    f.qview = f.vlog = f.vdata = f.vcf = f.vother = true;
    EXPECT_EQ(mainloop::dispatch(*program), mainloop::Flow::loop_head);
    program->ui.host.script = nullptr;

    // Output, Data and .MRC file have no file without an analysis: the note, then
    // the file dialog; Other files goes to the dialog at once. No problem with a
    // folder is reported: there is none to change to.
    EXPECT_EQ(topics, (std::vector<std::string>(3, "NOTE: no file yet assigned")));
    EXPECT_EQ(script->position(), 4u);
    EXPECT_EQ(ended, -1);
    const auto texts = progress_texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "..viewing output log  ");
    EXPECT_EQ(texts.back(), "..viewing data  ");
    EXPECT_TRUE(program->outnote); // no log was shown
}

TEST_F(ProgramTest, TheControlFileViewerHasAWindowItemThatViewsItAgain)
{
    const std::string cf = dir.filePath("small.mrc").toStdString();
    std::ofstream(cf) << "Title\n*\n";
    program->analysis = std::make_unique<mainloop::Analysis>();
    program->analysis->cfname = cf;
    platform::FrameScriptHost host(frame, program->menus);
    auto script = make_script("key 91 Esc\n", host);
    platform::install_script_hook(*script);
    program->ui.host.script = script.get();
    program->flags.qview = program->flags.vcf = true;
    mainloop::dispatch(*program);
    program->ui.host.script = nullptr;
    platform::remove_script_hook();

    mainloop::clear_requests(program->flags);
    choose("Window", cf.substr(0, 39)); // the item names the file
    EXPECT_TRUE(program->flags.qview);
    EXPECT_TRUE(program->flags.vcf);
    EXPECT_FALSE(program->flags.vdata);
}

TEST_F(ProgramTest, DataNameRowHoldsTheIdentifierAndWeightAtTheirColumns)
{
    mainloop::Analysis a;
    a.tables.format.freefmt = true;
    a.tables.vars.varname = {"", "age", "start", ""};
    a.tables.vars.nvar = 2;
    // Read as "_id_ age _freq_ start": the identifier and the weight left the list.
    a.tables.vars.hasid = true;
    a.tables.vars.idcol = 1;
    a.tables.vars.hasfreq = true;
    a.tables.vars.freqcol = 3;
    EXPECT_EQ(mainloop::data_name_row(a), "_id_     age      _freq_   start    ");
    a.tables.vars.hasid = false;
    a.tables.vars.freqcol = 4;
    EXPECT_EQ(mainloop::data_name_row(a), "age      start    _freq_   ");
    a.tables.format.freefmt = false;
    a.tables.format.fmttext = "(F5.1,2X,I3)";
    EXPECT_EQ(mainloop::data_name_row(a), "Fixed format, raw data. Format=(F5.1,2X,I3)");
}

} // namespace
} // namespace meru::test
