// The default control file written for a data file that has none.
#include "data_fixture.h"

#include "files/makecf.h"
#include "platform/io/records.h"

#include <cmath>
#include <fstream>
#include <sstream>

using meru::files::CfNotes;
using meru::files::DefaultCfFiles;
using meru::test::read_data;

namespace {

std::vector<std::string> lines_of(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return meru::io::split_records(s.str());
}

std::string text_of(const std::string& path)
{
    std::string t;
    for (const auto& l : lines_of(path)) t += l + "\n";
    return t;
}

using meru::files::CfNote;
using Notes = std::vector<CfNote>;

const char* kSurvey = "id,weight,weight,grp\n1,\"1,234\",60,a\n2,50,,B\n3,-7,70,\"C\"\n4,?,80,b\n";

} // namespace

TEST(Makecf, WritesTheSixLineDefault)
{
    CfNotes notes;
    DefaultCfFiles f{meru::test::temp_path("survey.mrc"), "SURVEY.CSV", "SURVEY.CSV", true, false};
    ASSERT_TRUE(meru::files::makecf(f, false, notes));
    EXPECT_EQ(lines_of(f.cfpath), (std::vector<std::string>{"MERU generated .mrc file from data file SURVEY.CSV", "*",
                                                            "_all_ mean", "*", "free comma", " SURVEY.CSV"}));
    EXPECT_EQ(notes.items, (Notes{{CfNote::Kind::info,
                                   "No associated .mrc file for data SURVEY.CSV           Will make default $"}}));
    f.tab = true;
    CfNotes quiet;
    ASSERT_TRUE(meru::files::makecf(f, true, quiet));
    EXPECT_EQ(lines_of(f.cfpath)[4], "free tab");
    EXPECT_TRUE(quiet.items.empty());
}

TEST(Makecf, UnwritablePathIsReported)
{
    CfNotes notes;
    DefaultCfFiles f{"/nonexistent-folder/x.mrc", "X.CSV", "X.CSV", true, false};
    EXPECT_FALSE(meru::files::makecf(f, true, notes));
    EXPECT_EQ(notes.items, (Notes{{CfNote::Kind::ok, "Cannot create control file in makecf /nonexistent-folder/x.mrc "
                                                     "(No such file or directory) $"}}));
    CfNotes again;
    const auto pass = meru::files::re_makecf(f, {}, false, again);
    EXPECT_FALSE(pass.written);
    EXPECT_EQ(again.items, (Notes{{CfNote::Kind::ok, "Cannot create control file re_makecf /nonexistent-folder/x.mrc "
                                                     "(No such file or directory) $"}}));
}

TEST(Makecf, DefaultFileReadsBackWithOneAttributePerVariableAtItsMean)
{
    CfNotes notes;
    DefaultCfFiles f{meru::test::temp_path("three.mrc"), "three.csv", "DATA", true, false};
    ASSERT_TRUE(meru::files::makecf(f, true, notes));
    auto r = read_data(text_of(f.cfpath), "a,b,c\n1,10,5\n3,20,-1\n", "three.csv");
    ASSERT_EQ(r->t.nlines, 4);
    for (int k = 2; k <= 4; ++k) EXPECT_EQ(r->t.line[k].ncuts, 1);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[2].cut1), 2);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[3].cut1), 15);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[4].cut1), 5);
    EXPECT_EQ(r->r.nread, 2);
    EXPECT_EQ(r->r.nread, r->r.expected); // every record counted was read
}

TEST(ReMakecf, MeansThenNominalLinesOnRemake)
{
    CfNotes notes0;
    DefaultCfFiles f{meru::test::temp_path("survey.mrc"), "SURVEY.CSV", "DATA", true, false};
    ASSERT_TRUE(meru::files::makecf(f, true, notes0));
    auto r = read_data(text_of(f.cfpath), kSurvey, "survey.csv");
    ASSERT_EQ(r->r.nread, 4);
    EXPECT_EQ(r->t.vars.varname[3], "weight_2");
    const auto vars = meru::files::default_cf_variables(r->t, r->r);
    ASSERT_EQ(vars.size(), 4u);

    CfNotes first;
    const auto pass1 = meru::files::re_makecf(f, vars, false, first);
    EXPECT_TRUE(pass1.written);
    EXPECT_TRUE(pass1.nominal_seen);
    EXPECT_EQ(lines_of(f.cfpath), (std::vector<std::string>{"MERU re-generated .mrc file from data file SURVEY.CSV",
                                                            "*", "id       2.5", "weight   642.0", "weight_2 70.0",
                                                            "grp      11.0", "*", "free comma", " DATA"}));
    const std::string created = "NOTE: Default .mrc file is created:   " + f.cfpath;
    const std::string remade = "NOTE: Default .mrc file re-created:   " + f.cfpath;
    EXPECT_EQ(first.items, (Notes{{CfNote::Kind::help, "NOTE: Default .mrc file is created"},
                                  {CfNote::Kind::line, created + std::string(80 - created.size(), ' ')}}));

    CfNotes second;
    EXPECT_TRUE(meru::files::re_makecf(f, vars, true, second).written);
    const auto l = lines_of(f.cfpath);
    ASSERT_EQ(l.size(), 9u);
    EXPECT_EQ(l[2], "id        n1234 4");
    EXPECT_EQ(l[3], "weight   642.0");
    EXPECT_EQ(l[5], "grp       nABC B");
    EXPECT_EQ(second.items, (Notes{{CfNote::Kind::line, remade + std::string(80 - remade.size(), ' ')}}));
}

TEST(ReMakecf, NamesThatBreakTheGrammarAndMeansThatAreNotNumbers)
{
    CfNotes notes;
    DefaultCfFiles f{meru::test::temp_path("odd.mrc"), "odd.csv", "odd.csv", false, false};
    meru::files::DefaultCfVariable a;
    a.name = "a*b";
    a.mean = std::nan("");
    meru::files::DefaultCfVariable b;
    b.name = "!x\"";
    b.mean = 1.5;
    const auto pass = meru::files::re_makecf(f, {a, b}, false, notes);
    EXPECT_TRUE(pass.written);
    EXPECT_FALSE(pass.nominal_seen);
    const auto l = lines_of(f.cfpath);
    ASSERT_EQ(l.size(), 7u);
    EXPECT_EQ(l[2], "a_b      0");
    EXPECT_EQ(l[3], "_x_      1.5");
    EXPECT_EQ(l[5], "free space");
}

TEST(ReMakecf, HeaderNamesWithStarOrBangReadBackAsTheirLines)
{
    // A header may hold names that cannot start an attribute line; they become
    // the names the rewritten control file uses, so its lines find their variables.
    CfNotes notes;
    DefaultCfFiles f{meru::test::temp_path("star.mrc"), "star.csv", "DATA", true, false};
    ASSERT_TRUE(meru::files::makecf(f, true, notes));
    const char* data = "a*b,c!d\n1,10\n3,30\n";
    auto r = read_data(text_of(f.cfpath), data, "star.csv");
    EXPECT_EQ(r->t.vars.varname[1], "a_b");
    EXPECT_EQ(r->t.vars.varname[2], "c_d");
    ASSERT_TRUE(meru::files::re_makecf(f, meru::files::default_cf_variables(r->t, r->r), false, notes).written);
    auto again = read_data(text_of(f.cfpath), data, "star.csv");
    EXPECT_EQ(again->cf_errors, 0);
    ASSERT_EQ(again->t.nlines, 3);
    EXPECT_EQ(again->t.line[2].var, 1);
    EXPECT_EQ(again->t.line[3].var, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(again->t.att[2].cut1), 2);
    EXPECT_FLOAT_EQ(static_cast<float>(again->t.att[3].cut1), 20);
}

TEST(Makecf, APathTooLongForItsLineIsWrittenAsTheFileName)
{
    CfNotes notes;
    const std::string folder = "/" + std::string(90, 'd') + "/";
    DefaultCfFiles f{meru::test::temp_path("long.mrc"), "LONG.CSV", folder + "LONG.CSV", true, false};
    ASSERT_TRUE(meru::files::makecf(f, true, notes));
    EXPECT_EQ(lines_of(f.cfpath)[5], " LONG.CSV");
    f.datapath = "/data/short/LONG.CSV";
    ASSERT_TRUE(meru::files::makecf(f, true, notes));
    EXPECT_EQ(lines_of(f.cfpath)[5], " /data/short/LONG.CSV");
}
