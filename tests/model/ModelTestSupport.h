#pragma once
// A shown import dialog whose placement list the test gives, with the recording host registered.
#include <algorithm>
#include <functional>

#include "tests/support/DialogTestSupport.h"
#include "tests/support/RecordingHost.h"

class TTestImport : public TCorvaneIdfImport {
 public:
  std::function<void(TTestImport&)> Prepare;
  // The test's own list, or the board's when the test gives none.
  void PrepareGlobalPlacementList() override {
    if (Prepare)
      Prepare(*this);
    else
      TCorvaneIdfImport::PrepareGlobalPlacementList();
  }
};

// A board of 100 x 50 mm, 1.6 mm thick, with extra sections after the outline.
inline std::string BoardText(const std::string& extra,
                             const std::string& outline = "0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n") {
  return ".HEADER\nBOARD_FILE 3.0 \"Sample CAD\" 2026/01/01.12:00:00 1\nsample_board MM\n.END_HEADER\n"
         ".BOARD_OUTLINE ECAD\n1.6\n" +
         outline + ".END_BOARD_OUTLINE\n" + extra;
}

class ModelTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    host = std::make_shared<recording::TRecordingHost>();
    host->Register();
  }
  void TearDown() override {
    CorvaneX_TLB::RegisterAutomationServer({});
    DialogTest::TearDown();
  }
  std::unique_ptr<TTestImport> Show(const std::string& board, const std::string& library = kSampleLibrary) {
    Write("b.emn", board);
    Write("b.emp", library);
    auto d = ShowWith<TTestImport>((dir / "b.emn").string());
    d->AssemblyPathEdit.SetText(Folder());
    d->AssignFileNames();
    for (controls::TCheckBox* cb : {&d->PlatedMountingCB,
                                    &d->NonPlatedMountingCB,
                                    &d->PlatedPinCB,
                                    &d->NonPlatedPinCB,
                                    &d->ViaHolesCB,
                                    &d->PlatedToolingCB,
                                    &d->NonPlatedToolingCB,
                                    &d->PlatedOtherCB,
                                    &d->NonPlatedOtherCB,
                                    &d->RouteKeepoutCB,
                                    &d->PlaceKeepoutCB,
                                    &d->ViaKeepoutCB,
                                    &d->RouteOutlineCB,
                                    &d->PlaceOutlineCB,
                                    &d->PlaceRegionCB,
                                    &d->DoPads,
                                    &d->DoVias,
                                    &d->DoTracks,
                                    &d->DoOverlays,
                                    &d->DoOverlayText,
                                    &d->DoPolygons})
      cb->Checked = false;
    host->Clear();
    return d;
  }
  // The calls to the named methods, in order, as text.
  std::vector<std::string> Only(std::initializer_list<const char*> methods) const {
    std::vector<std::string> out;
    for (const auto& c : host->Calls)
      if (std::any_of(methods.begin(), methods.end(), [&](const char* m) { return c.Method == m; }))
        out.push_back(c.Text());
    return out;
  }
  static bool Has(const TSearchStringList& log, const std::string& line) {
    return std::find(log.Lines().begin(), log.Lines().end(), line) != log.Lines().end();
  }
  static int CountStarting(const TSearchStringList& log, const std::string& prefix) {
    return static_cast<int>(std::count_if(log.Lines().begin(), log.Lines().end(),
                                          [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }
  std::shared_ptr<recording::TRecordingHost> host;
};
