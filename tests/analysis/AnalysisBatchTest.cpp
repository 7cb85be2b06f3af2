// `corvane-idf batch` with what the analysis reports, the selection and the height edits.
#include <sstream>

#include "app/BatchCommand.h"
#include "tests/analysis/AnalysisTestSupport.h"
#include "tests/support/TestFiles.h"
#ifdef IDF_TESTS_WITH_OCCT
#include "corvane/CorvaneServer.h"
#endif

namespace {
struct TRun {
  int Code;
  std::string Out, Err;
};
// The run builds the assembly; it goes to a folder of its own, never beside the sample files.
TRun Batch(std::vector<std::string> args) {
#ifdef IDF_TESTS_WITH_OCCT
  corvane::RegisterCorvaneServer();
#endif
  TTempDir assembly;
  std::ostringstream out, err;
  args.push_back("--no-settings");
  args.insert(args.end(), {"--assembly-dir", assembly.Path()});
  int code = RunBatch(args, out, err);
  return {code, out.str(), err.str()};
}
bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

class AnalysisBatch : public DialogTest {
 protected:
  std::string Sample() const { return SamplesDir() + "sample.emn"; }
};

TEST_F(AnalysisBatch, SummaryCarriesTheAnalysisAndTheHoleFilter) {
  auto r = Batch({Sample()});
  EXPECT_EQ(r.Code, 0) << r.Err << r.Out;
  for (const char* line : {"Route Outlines : 1\n", "Place Outlines : 2\n", "Route Keepouts : 3\n", "Via Keepouts : 1\n",
                           "Place Keepouts : 2\n", "Place Regions : 1\n", "Other Outlines : 4\n"})
    EXPECT_TRUE(Contains(r.Out, line)) << line << r.Out;
  EXPECT_FALSE(Contains(r.Out, "Hole Filter Summary"));
  auto f = Batch({Sample(), "--set", "HoleFilterOn=true", "--set", "HoleFilterGreaterThanSet=true", "--set",
                  "HoleFilterGreaterThanValue=1.0"});
  EXPECT_EQ(f.Code, 0) << f.Err;
  // ">=" 1.0 mm: both plated pins and the plated via.
  EXPECT_TRUE(Contains(f.Out, "\nHole Filter Summary\nPlated Pins:")) << f.Out;
  EXPECT_TRUE(Contains(f.Out, "Vias:")) << f.Out;
  EXPECT_FALSE(Contains(f.Out, "Plated Mounting: ")) << f.Out;
}

TEST_F(AnalysisBatch, SelectionOptionsCheckItemsAndChooseTheMode) {
  auto des = Batch({Sample(), "--select-designators", "r1,U1"});
  EXPECT_EQ(des.Code, 0) << des.Err;
  EXPECT_TRUE(Contains(des.Out, "---- Selection ----\nU1=SOIC8\nR1=R0805\nSelected placements : 2\n")) << des.Out;
  auto pkg = Batch({Sample(), "--select-packages", "r0805"});
  EXPECT_EQ(pkg.Code, 0) << pkg.Err;
  EXPECT_TRUE(Contains(pkg.Out, "R1=R0805\nR2=R0805\nR3=R0805\nSelected placements : 3\n")) << pkg.Out;
}

TEST_F(AnalysisBatch, HeightEditsAreInTheWorkingUnit) {
  auto r = Batch({Sample(), "--heights", "soic8=2.25,HEATSINK_15=12"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "---- Heights (mm) ----\nSOIC8\t2.250\n")) << r.Out;
  EXPECT_TRUE(Contains(r.Out, "HEATSINK_15\t12.000\n")) << r.Out;
}

TEST_F(AnalysisBatch, UnknownNamesAndBadNumbersAreUsageErrorsThatNameThem) {
  auto d = Batch({Sample(), "--select-designators", "R1,Q9"});
  EXPECT_EQ(d.Code, 2);
  EXPECT_TRUE(Contains(d.Err, "unknown designator 'Q9'")) << d.Err;
  EXPECT_FALSE(Contains(d.Out, "---- Summary"));
  auto p = Batch({Sample(), "--select-packages", "NOPE"});
  EXPECT_EQ(p.Code, 2);
  EXPECT_TRUE(Contains(p.Err, "unknown package 'NOPE'")) << p.Err;
  auto h = Batch({Sample(), "--heights", "SOIC8=tall"});
  EXPECT_EQ(h.Code, 2);
  EXPECT_TRUE(Contains(h.Err, "height of 'SOIC8' is not a number: 'tall'")) << h.Err;
  auto u = Batch({Sample(), "--heights", "NOPE=1"});
  EXPECT_EQ(u.Code, 2);
  EXPECT_TRUE(Contains(u.Err, "unknown package 'NOPE'")) << u.Err;
  auto both = Batch({Sample(), "--select-designators", "R1", "--select-packages", "SOIC8"});
  EXPECT_EQ(both.Code, 2);
  auto empty = Batch({Sample(), "--select-packages", "SOIC8,"});
  EXPECT_EQ(empty.Code, 2);
  EXPECT_TRUE(Contains(empty.Err, "--select-packages takes a comma-separated list")) << empty.Err;
}
