#include <gtest/gtest.h>

#include <sstream>

#include "app/BatchCommand.h"
#ifdef IDF_TESTS_WITH_OCCT
#include "corvane/CorvaneServer.h"
#endif
#include "tests/idf/IdfTestHelpers.h"

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
  if (!args.empty()) args.insert(args.end(), {"--assembly-dir", assembly.Path()});
  std::ostringstream out, err;
  int code = RunBatch(args, out, err);
  return {code, out.str(), err.str()};
}
}  // namespace

TEST(Batch, SampleBoardPrintsItsSummaryAndSucceeds) {
  TScopedScriptedPlatform scripted;
  auto r = Batch({SamplesDir() + "sample.emn"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  EXPECT_NE(r.Out.find("Drilled Holes: \t\t11"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("Parts:         \t\t6"), std::string::npos);
  EXPECT_NE(r.Out.find("Elec Parts\t\t3"), std::string::npos);
  EXPECT_NE(r.Out.find("Mech Parts\t\t1"), std::string::npos);
  EXPECT_EQ(r.Out.find("---- Error"), std::string::npos);
  auto all = Batch({SamplesDir() + "sample.emn", "--log", "all"});
  EXPECT_NE(all.Out.find("---- Detail ----"), std::string::npos);
  EXPECT_NE(all.Out.find("---- Warning ----"), std::string::npos);
}

TEST(Batch, IdfTwoSampleInThou) {
  TScopedScriptedPlatform scripted;
  auto r = Batch({SamplesDir() + "sample_v2.emn"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  EXPECT_NE(r.Out.find("Board IDF Ver:\t\t2.0"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("Board Units:   \t\tTHOU"), std::string::npos);
}

TEST(Batch, ErrorsGiveExitOneAndAreListed) {
  TScopedScriptedPlatform scripted;
  TTempDir dir;
  const std::string b = dir.Write("e.emn", std::string(kHeader3) + ".NOTES\n1 1 1\n.END_NOTES\n");
  auto r = Batch({b});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Out.find("---- Error ----\nNOTES> Line:6 incorrect number of fields\n"), std::string::npos) << r.Out;
  auto blanks = Batch({dir.Write("blank.emn", "  \n\n")});
  EXPECT_EQ(blanks.Code, 1);
  EXPECT_NE(blanks.Out.find("Exception : LoadFiles | no IDF data to read"), std::string::npos) << blanks.Out;
}

TEST(Batch, UsageAndUnreadableFilesGiveExitTwo) {
  TScopedScriptedPlatform scripted;
  EXPECT_EQ(Batch({}).Code, 2);
  EXPECT_EQ(Batch({"a.emn", "b.emn"}).Code, 2);
  EXPECT_EQ(Batch({"a.emn", "--log"}).Code, 2);
  auto bad = Batch({SamplesDir() + "sample.emn", "--log", "everything"});
  EXPECT_EQ(bad.Code, 2);
  EXPECT_NE(bad.Err.find("--log"), std::string::npos);
  auto missing = Batch({"/nonexistent/board.emn"});
  EXPECT_EQ(missing.Code, 2);
  EXPECT_NE(missing.Err.find("cannot read board file"), std::string::npos);
  EXPECT_EQ(Batch({SamplesDir() + "sample.emn", "--library", "/nonexistent/x.emp"}).Code, 2);
  EXPECT_EQ(missing.Out, "");
}

TEST(Batch, ExplicitLibraryFile) {
  if (SharedIdfDir().empty()) GTEST_SKIP() << "shared IDF test data not found";
  TScopedScriptedPlatform scripted;
  auto r = Batch({SharedIdfDir() + "board.emn", "--library", SharedIdfDir() + "library.emp"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  EXPECT_NE(r.Out.find("Elec Parts\t\t5"), std::string::npos);
}
