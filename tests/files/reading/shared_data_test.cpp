// The public example data sets read under their example control files: record
// counts, and missing counts of columns against counts made from the raw text.
#include "support/reported_data.h"

#include <fstream>
#include <map>
#include <sstream>

using meru::test::run_data;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The example control file with its data-file name line pointing at DATA.
std::string example_cf(const std::string& mrc, const std::string& csv)
{
    std::string cf = slurp(std::string(MERU_EXAMPLES_DIR) + "/" + mrc);
    const auto at = cf.find("\n" + csv);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) cf.replace(at + 1, csv.size(), "DATA");
    return cf;
}

// Missing count of one line's variable in the analysis.
long long missing_of(const meru::test::DataRun& r, const std::string& name)
{
    const int j = r.var(name);
    for (int k = 2; k <= r.t.nlines; ++k)
        if (r.t.line[static_cast<size_t>(k)].var == j) return r.r.line[static_cast<size_t>(k)].missing;
    ADD_FAILURE() << "no line on " << name;
    return -1;
}

struct Example {
    const char* mrc;
    const char* csv;
    int rows;
    std::map<std::string, long long> missing; // counted with awk: ".", empty or negative cells
};

} // namespace

TEST(SharedData, ExamplesReadWithTheirCountsAndMissingValues)
{
    const std::vector<Example> examples{
        {"lung.mrc",
         "lung.csv",
         228,
         {{"inst", 1},
          {"time", 0},
          {"ph_ecog", 1},
          {"ph_karno", 1},
          {"pt_karno", 3},
          {"meal_cal", 47},
          {"wt_loss", 41}}},
        {"bcw.mrc", "bcw_orig.csv", 699, {{"barenuc", 16}, {"thick", 0}}},
        {"votes84.mrc", "votes84.csv", 435, {{"v01", 12}, {"v02", 48}, {"v16", 104}, {"repub", 0}}},
        {"pima.mrc", "pima_mass.csv", 532, {{"glu", 0}, {"bmi", 0}}},
        {"kyphosis.mrc", "kyphosis.csv", 81, {{"age", 0}}},
        {"birthwt.mrc", "birthwt.csv", 189, {{"bwt", 0}, {"race", 0}}},
    };
    for (const auto& ex : examples) {
        SCOPED_TRACE(ex.mrc);
        const std::string data = slurp(std::string(MERU_EXAMPLES_DIR) + "/" + ex.csv);
        auto r = run_data(example_cf(ex.mrc, ex.csv), data, ex.csv);
        EXPECT_EQ(r->r.errors, 0);
        EXPECT_FALSE(r->novalid);
        EXPECT_EQ(r->r.nread, ex.rows);
        EXPECT_EQ(r->r.nobsin, ex.rows);
        EXPECT_EQ(r->r.allmissing, 0);
        EXPECT_FALSE(r->called("help:NOTE: Mis-match expected # lines"));
        for (const auto& [name, count] : ex.missing) EXPECT_EQ(missing_of(*r, name), count) << name;
    }
}

TEST(SharedData, LungCutsFromMeanAndMedian)
{
    auto r =
        run_data(example_cf("lung.mrc", "lung.csv"), slurp(std::string(MERU_EXAMPLES_DIR) + "/lung.csv"), "lung.csv");
    // inst mean over its 227 values: 11.088106; time median by the boundary walk: 252.
    EXPECT_NEAR(r->t.att[2].cut1, 11.088106, 1e-4);
    EXPECT_FLOAT_EQ(static_cast<float>(r->t.att[3].cut1), 252);
    EXPECT_TRUE(r->logged("              50.0     252.0         49.56"));
    // sex: 138 men, 90 women.
    const int male = r->t.line[5].first_attribute();
    EXPECT_EQ(r->r.att[static_cast<size_t>(male)].positive, 138);
    EXPECT_EQ(r->r.att[static_cast<size_t>(male)].negative, 90);
}
