// The translator and the 3D view come from modules loaded on first use: a plain import must not
// load their toolkits, and what needs them must still find them.
#include <link.h>

#include <cstdio>
#include <fstream>

#include "bench/idf/IdfGenerator.h"
#include "corvane/Modules.h"
#include "corvane/StepFiles.h"
#include "tests/app/BatchFixture.h"

namespace {

bool Loaded(const std::string& part) {
  struct TSearch {
    const std::string& Part;
    bool Found = false;
  } search{part};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* s = static_cast<TSearch*>(data);
        if (info->dlpi_name && std::string(info->dlpi_name).find(s->Part) != std::string::npos) s->Found = true;
        return 0;
      },
      &search);
  return search.Found;
}

const char* const kLateToolkits[] = {"libTKSTEP.",  "libTKXDESTEP",     "libTKXCAF",   "libTKV3d",
                                     "libTKOpenGl", "corvane_exchange", "corvane_view"};

#ifdef IDF_PROGRAM
// What a command prints on its standard output; its exit status in code.
std::string Output(const std::string& command, int& code) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  code = ::pclose(p);
  return out;
}
#endif

}  // namespace

#ifdef IDF_PROGRAM
TEST(Programs, TheBatchProgramLoadsNoQtAndHandsTheWindowsAndTheTopViewToTheOneThatHasIt) {
  int code = -1;
  const std::string lean = Output("LD_TRACE_LOADED_OBJECTS=1 '" IDF_PROGRAM "'", code);
  const std::string full = Output("LD_TRACE_LOADED_OBJECTS=1 '" IDF_QT_PROGRAM "'", code);
  ASSERT_NE(lean.find("libTKernel"), std::string::npos) << lean;
  EXPECT_EQ(lean.find("libQt6"), std::string::npos) << lean;
  ASSERT_NE(full.find("libQt6Widgets"), std::string::npos) << full;

  const TTempDir dir;
  const std::string picture = dir.Path() + "top.svg";
  const std::string out =
      Output("'" IDF_PROGRAM "' batch '" + SamplesDir() + "sample.emn' --no-settings --assembly-dir '" + dir.Path() +
                 "' --preview '" + picture + "' 2>&1",
             code);
  EXPECT_EQ(code, 0) << out;
  std::ifstream svg(picture);
  std::string head(200, '\0');
  svg.read(head.data(), head.size());
  EXPECT_NE(head.find("<svg"), std::string::npos) << out;
}
#endif

TEST_F(BatchTest, AnImportLoadsNeitherTheTranslatorNorTheViewUntilAFileIsRead) {
  // Seen by the check below, so that its silence means something.
  ASSERT_TRUE(Loaded("libTKernel"));
  for (const char* toolkit : kLateToolkits) ASSERT_FALSE(Loaded(toolkit)) << toolkit << " before the import";

  TIdfGeneratorOptions o;
  o.Holes = 300;
  o.Placements = 40;
  o.Packages = 8;
  o.Grid = true;
  const std::string board = WriteIdfPair(o, Folder(), "lazy");
  std::vector<std::string> args{board};
  for (const char* kind :
       {"NonPlatedMountingHoles", "NonPlatedOtherHoles", "NonPlatedPinHoles", "NonPlatedToolingHoles",
        "PlatedMountingHoles", "PlatedOtherHoles", "PlatedPinHoles", "PlatedToolingHoles", "ViaHoles"})
    args.insert(args.end(), {"--set", std::string("Do") + kind + "=true"});
  const TBatchRun r = Batch(args);
  ASSERT_EQ(r.Code, 0) << r.Out << r.Err;
  const std::string part = AssemblyDir() + "generated_boardOutline.CV_PRT";
  ASSERT_TRUE(std::filesystem::exists(part)) << r.Out;
  for (const char* toolkit : kLateToolkits) EXPECT_FALSE(Loaded(toolkit)) << toolkit << " after the import";

  // Reading a file needs the translator: its module comes in, and its failures stay host errors.
  corvane::ForgetWrittenParts();
  const auto model = corvane::ReadModelFile(part);
  EXPECT_TRUE(Loaded("corvane_exchange.so"));
  EXPECT_TRUE(Loaded("libTKSTEP."));
  EXPECT_EQ(model->Name, "generated_boardOutline");
  EXPECT_FALSE(model->Shape.IsNull());
  ASSERT_TRUE(model->Step);
  const std::string junk = Folder() + "junk.CV_PRT";
  std::ofstream(junk) << "not a model\n";
  try {
    corvane::ReadModelFile(junk);
    ADD_FAILURE() << "a file that is no STEP file was read";
  } catch (const CorvaneX_TLB::ECVHostError& e) {
    EXPECT_TRUE(Contains(e.what(), "is not a readable STEP file")) << e.what();
  }
}

TEST(ModuleLoading, AModuleThatCannotBeLoadedIsAHostErrorNamingItAndTheLoadersReason) {
  try {
    corvane::ModuleEntry("corvane_nosuch.so", "corvane_nosuch");
    ADD_FAILURE() << "a missing module loaded";
  } catch (const CorvaneX_TLB::ECVHostError& e) {
    const std::string why = e.what();
    EXPECT_NE(why.find("Cannot load corvane_nosuch.so: "), std::string::npos) << why;
    EXPECT_NE(why.find("cannot open shared object file"), std::string::npos) << why;
    EXPECT_NE(why.find(corvane::ModuleFolders().front()), std::string::npos) << why;
  }
  // A library without the entry point: the loader's own words again, and the library named.
  try {
    corvane::ModuleEntry("libm.so.6", "corvane_nosuch");
    ADD_FAILURE() << "an entry point that does not exist was found";
  } catch (const CorvaneX_TLB::ECVHostError& e) {
    EXPECT_NE(std::string(e.what()).find("libm.so.6: undefined symbol: corvane_nosuch"), std::string::npos) << e.what();
  }
}
