// The whole import with the OpenCASCADE host: files written, read back and measured.
#include <cmath>
#include <numbers>
#include <sstream>

#include "CommonObjects/FileUtils.h"
#include "app/BatchCommand.h"
#include "corvane/CorvaneServer.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/support/ReadBack.h"
#include "tests/support/TestFiles.h"

namespace {
constexpr double kPiValue = std::numbers::pi;

class EndToEnd : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    corvane::RegisterCorvaneServer();
  }
  void TearDown() override {
    CorvaneX_TLB::RegisterAutomationServer({});
    DialogTest::TearDown();
  }
};

// A 0.4 x 0.2 cm package whose library outline starts at its origin.
void AddPlacement(TTestImport& d, const std::string& des, const std::string& pkg, double x, double y, double rot,
                  bool top, double height) {
  auto p = std::make_unique<TIdfPartPlacementObject>(des, pkg, "", x, y, rot, top);
  p->FPartName = pkg;
  p->FActualPart = d.FCreatedPartsPath + pkg + d.FPartExt;
  p->FAutoPart = true;
  p->FHeight = height;
  const double pts[5][2] = {{0, 0}, {0.4, 0}, {0.4, 0.2}, {0, 0.2}, {0, 0}};
  for (int i = 0; i < 4; ++i)
    p->FOutlineList.AddFromRecord(
        TOutlineObject(etLine, pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1], 0, 0, 0, 0, 0, false));
  d.FPartPlaceList.Add(std::move(p));
}
}  // namespace

TEST_F(EndToEnd, BoardWithHolesAndPlacedPartsOpensWithItsGeometry) {
  // 100 x 50 x 1.6 mm, a 10 mm round cut-out, three holes of three categories.
  Write("b.emn", BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n1.0 30 10 PTH U1 PIN ECAD\n"
                           "0.5 40 10 PTH BOARD VIA ECAD\n.END_DRILLED_HOLES\n",
                           "0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n1 70 25 0\n1 75 25 360\n"));
  Write("b.emp", kSampleLibrary);
  auto d = ShowWith<TTestImport>((dir / "b.emn").string());
  d->AssemblyDirCb.Checked = false;
  d->AssemblyPathEdit.SetText(Folder() + "out/");
  d->DefaultHeightEdit.SetText("3");
  for (controls::TCheckBox* cb : {&d->NonPlatedMountingCB, &d->PlatedPinCB, &d->ViaHolesCB}) cb->Checked = true;
  d->Prepare = [](TTestImport& t) {
    t.FPartPlaceList.Clear();
    AddPlacement(t, "R1", "R0805", 2, 3, 0, true, 0.06);
    AddPlacement(t, "R2", "R0805", 5, 3, 90, true, 0.06);
    AddPlacement(t, "C1", "C0603", 6, 2, 0, false, 0);  // no height: the default
  };
  d->ImportButton.Click();

  const std::string board = d->FBoardPartFilename, assembly = d->FAssemblyFilename;
  ASSERT_TRUE(FileExists(board)) << d->FImportIDF->ErrorLog.Text();
  ASSERT_TRUE(FileExists(assembly)) << d->FImportIDF->ErrorLog.Text();
  EXPECT_EQ(d->FImportIDF->ErrorLog.Lines(),
            (std::vector<std::string>{"Warning : C0603 height is zero, default used"}));

  const auto part = readback::ReadPart(board);
  EXPECT_EQ(part.Name, RemoveExt(ExtractFileName(board)));
  const double holes = kPiValue * (1.5 * 1.5 + 0.5 * 0.5 + 0.25 * 0.25);
  EXPECT_NEAR(part.Volume, (5000 - kPiValue * 25 - holes) * 1.6, 0.05);
  ExpectBox(part.Box, 0, 0, -1.6, 100, 50, 0);
  EXPECT_EQ(part.Color, 16711680);

  const auto c0603 = readback::ReadPart(d->FCreatedPartsPath + "C0603.CV_PRT");
  EXPECT_NEAR(c0603.Box.Z1 - c0603.Box.Z0, 3.0, 1e-6);

  const auto assy = readback::ReadAssembly(assembly);
  EXPECT_EQ(assy.DistinctParts, 3);
  ASSERT_EQ(assy.Components.size(), 4u);
  EXPECT_EQ(assy.Components[0].PartName, part.Name);
  EXPECT_EQ(assy.Components[0].Color, d->GetPrefixColour("PCB"));
  ExpectBox(assy.Components[1].Box, 20, 30, 0, 24, 32, 0.6);
  ExpectBox(assy.Components[2].Box, 48, 30, 0, 50, 34, 0.6);          // turned a quarter about its origin
  ExpectBox(assy.Components[3].Box, 56, 20, -1.6 - 3, 60, 22, -1.6);  // under the board, mirrored in X
  EXPECT_EQ(assy.Components[1].Color, d->GetPrefixColour("R"));
  EXPECT_EQ(d->FFilesWritten.size(), 4u);

  // A second import in the same dialog builds no part it has handled.
  const auto before = std::filesystem::last_write_time(d->FCreatedPartsPath + "R0805.CV_PRT");
  d->ImportButton.Click();
  EXPECT_EQ(std::filesystem::last_write_time(d->FCreatedPartsPath + "R0805.CV_PRT"), before);
  EXPECT_EQ(readback::ReadAssembly(assembly).Components.size(), 4u);
}

namespace {
struct TBatchResult {
  int Code;
  std::string Out, Err;
};
TBatchResult RunBoard(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunBatch(args, out, err);
  return {code, out.str(), err.str()};
}

// Files the run reported, each re-opened: the board part, every auto part and the assembly
// with one occurrence per placement on the side of the board it belongs to.
void CheckRun(const TBatchResult& r, const std::string& folder) {
  std::vector<std::string> files;
  std::istringstream in(r.Out.substr(r.Out.find("---- Files written ----\n") + 24));
  for (std::string line; std::getline(in, line) && line.rfind("----", 0) != 0;) files.push_back(line);
  ASSERT_GE(files.size(), 2u) << r.Out << r.Err;
  const std::string assembly = files.back();
  EXPECT_EQ(assembly.rfind(folder, 0), 0u);
  const auto board = readback::ReadPart(files[files.size() - 2]);
  EXPECT_GT(board.Volume, 0);
  const double bottom = board.Box.Z0;
  EXPECT_NEAR(board.Box.Z1, 0, 1e-6);
  for (std::size_t i = 0; i + 2 < files.size(); ++i) EXPECT_GT(readback::ReadPart(files[i]).Volume, 0) << files[i];
  const auto assy = readback::ReadAssembly(assembly);
  ASSERT_FALSE(assy.Components.empty());
  EXPECT_EQ(assy.Components[0].PartName, board.Name);
  for (std::size_t i = 1; i < assy.Components.size(); ++i) {
    const auto& b = assy.Components[i].Box;
    // Each component stands on the top face or hangs from the bottom face.
    EXPECT_TRUE(std::abs(b.Z0) < 1e-3 || std::abs(b.Z1 - bottom) < 1e-3) << assy.Components[i].PartName;
  }
}
}  // namespace

// Every placement whose part file exists is one occurrence, in list order after the board, standing
// on the top face or hanging from the bottom face, with the placement point inside its box.
void CheckPlacements(const TCorvaneIdfImport& d) {
  const auto assy = readback::ReadAssembly(d.FAssemblyFilename);
  const double t = d.FImportIDF->BoardThickness * 10;
  std::vector<const TIdfPartPlacementObject*> placed;
  for (const auto& p : d.FPartPlaceList)
    if (FileExists(p->FActualPart)) placed.push_back(p.get());
  ASSERT_EQ(assy.Components.size(), placed.size() + 1);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const auto& p = *placed[i];
    const auto& b = assy.Components[i + 1].Box;
    SCOPED_TRACE(p.FDes);
    if (p.FTop) {
      EXPECT_NEAR(b.Z0, 0, 1e-3);
    } else {
      EXPECT_NEAR(b.Z1, -t, 1e-3);
    }
    EXPECT_GE(p.FX * 10, b.X0 - 1e-3);
    EXPECT_LE(p.FX * 10, b.X1 + 1e-3);
    EXPECT_GE(p.FY * 10, b.Y0 - 1e-3);
    EXPECT_LE(p.FY * 10, b.Y1 + 1e-3);
  }
}

TEST_F(EndToEnd, SampleBoardsPlaceEverySelectedComponent) {
  for (const char* name : {"sample", "sample_v2"}) {
    SCOPED_TRACE(name);
    for (const char* ext : {".emn", ".emp"})
      std::filesystem::copy_file(SamplesDir() + name + ext, dir / (std::string(name) + ext));
    auto d = ShowWith<TTestImport>(Folder() + name + ".emn");
    d->AssemblyDirCb.Checked = false;
    d->AssemblyPathEdit.SetText(Folder() + name + "-out/");
    d->ImportButton.Click();
    ASSERT_TRUE(FileExists(d->FAssemblyFilename)) << d->FImportIDF->ErrorLog.Text();
    EXPECT_GT(readback::ReadPart(d->FBoardPartFilename).Volume, 0);
    EXPECT_GE(d->FPartPlaceList.Count(), 2);
    CheckPlacements(*d);
  }
}

TEST_F(EndToEnd, BatchBuildsTheSharedBoards) {
  const std::string shared = SharedIdfDir();
  if (shared.empty()) GTEST_SKIP() << "shared IDF test data not found";
  // esp.emn, the largest, goes through the dialog below.
  const std::vector<std::vector<std::string>> runs = {{shared + "ain.emn"},
                                                      {shared + "board.emn", "--library", shared + "library.emp"}};
  int n = 0;
  for (auto args : runs) {
    const std::string out = Folder() + "run" + std::to_string(++n) + "/";
    args.insert(args.end(), {"--assembly-dir", out, "--no-settings", "--settings", Folder() + "s.reg"});
    auto r = RunBoard(args);
    EXPECT_NE(r.Code, 2) << r.Err;
    CheckRun(r, out);
  }
  // Placements checked one by one on the largest of them.
  const std::string out = Folder() + "esp/";
  std::filesystem::create_directories(out);
  for (const char* f : {"esp.emn", "esp.emp"}) std::filesystem::copy_file(shared + f, out + f);
  auto d = ShowWith<TTestImport>(out + "esp.emn");
  d->AssemblyDirCb.Checked = false;
  d->AssemblyPathEdit.SetText(out + "asm/");
  d->ImportButton.Click();
  ASSERT_TRUE(FileExists(d->FAssemblyFilename)) << d->FImportIDF->ErrorLog.Text();
  EXPECT_GT(d->FPartPlaceList.Count(), 10);
  CheckPlacements(*d);
}
