// corvane-idf batch --show-parts with the library settings given through --set.
#include "app/BatchCommand.h"
#include "tests/dialog/DialogTestSupport.h"

TEST_F(DialogTest, BatchShowPartsPrintsTheBindingAndTheDetailLogCarriesTheSearch) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "lib" / "deep");
  Write("lib/deep/R0805_X.CV_ASM", "x");
  Write("map.xrf", "RES_0805=R0805_X\n");
  platform::SetServices(saved);
  std::ostringstream out, err;
  const int rc = RunBatch({board, "--no-settings", "--show-parts", "--log", "detail", "--set", "UseLibParts=true",
                           "--set", "ImportLibSearchPath=" + Folder() + "lib", "--set", "SearchSubDirectories=true",
                           "--set", "UsePartXref=true", "--set", "PackageXrefFile=" + Folder() + "map.xrf"},
                          out, err);
  // The run also builds the assembly; without a host registered here that ends in the error log.
  EXPECT_NE(rc, 2) << err.str();
  const std::string text = out.str();
  EXPECT_NE(text.find("---- Show Parts ----\nR1 = " + Folder() + "lib/deep/R0805_X.CV_ASM\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Found directory : deep\n"), std::string::npos);
  EXPECT_NE(text.find("Part exists : " + Folder() + "lib/deep/R0805_X.CV_ASM\n"), std::string::npos);

  // Without library parts the placement is an auto part in the assembly folder.
  std::ostringstream out2, err2;
  EXPECT_NE(RunBatch({board, "--no-settings", "--show-parts"}, out2, err2), 2) << err2.str();
  EXPECT_NE(out2.str().find("R1 = " + Folder() + "sampleAutoParts/RES_0805.CV_PRT\n"), std::string::npos) << out2.str();
}
