// Once a stop is asked for, nothing more is saved: the files of an earlier import stay as they were.
#include <gtest/gtest.h>

#include "corvane/CorvaneServer.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestFiles.h"

namespace {
class StopTest : public DialogTest {
 protected:
  // A first, complete import; then every file it wrote holds "OLD".
  std::unique_ptr<TCorvaneIdfImport> Imported() {
    corvane::RegisterCorvaneServer();
    auto d = ShowWith(WriteSample());
    d->AssemblyPathEdit.SetText(Folder());
    d->ImportButton.Click();
    files = d->FFilesWritten;
    EXPECT_EQ(files.size(), 3u);  // the auto part, the board part, the assembly
    for (const auto& f : files) std::ofstream(f) << "OLD";
    return d;
  }
  void ExpectAllOld() const {
    for (const auto& f : files) EXPECT_EQ(ReadFileBytes(f), "OLD") << f << " was written after the stop";
  }
  static bool InCaption(const TCorvaneIdfImport& d, const std::string& text) {
    return d.Caption.find(text) != std::string::npos;
  }
  std::vector<std::string> files;
};
}  // namespace

TEST_F(StopTest, AStopDuringTheBoardsBuildLeavesTheOldBoardPartAndAssembly) {
  auto d = Imported();
  const std::size_t written = d->FFilesWritten.size();
  // Pressed as the board's build begins; its first stop check sees it.
  d->OnProgressChange = [&] {
    if (InCaption(*d, "Creating Board Outline Part")) d->StopButtonClick();
  };
  d->ImportButton.Click();
  ExpectAllOld();
  EXPECT_EQ(d->FFilesWritten.size(), written);
  EXPECT_EQ(d->FImportIDF->ErrorLog.Lines().back().rfind("Received Stop Request : ", 0), 0u);
}

TEST_F(StopTest, AStopWhileAnAutoPartIsBuiltSavesNeitherItNorWhatFollows) {
  Imported();
  // A new dialog has handled no part yet, so it builds the auto part again.
  auto d = ShowWith(Folder() + "sample.emn");
  d->AssemblyPathEdit.SetText(Folder());
  // Pressed during the extrusion; the check after it, before the save, sees it.
  d->OnProgressChange = [&] {
    if (InCaption(*d, "Extruding: RES_0805")) d->StopButtonClick();
  };
  d->ImportButton.Click();
  ExpectAllOld();
  EXPECT_TRUE(d->FFilesWritten.empty());
}
