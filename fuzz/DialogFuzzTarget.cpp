#include "fuzz/DialogFuzzTarget.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CommonObjects/ScopeExit.h"
#include "app/CorvaneIdfCommandLauncher.h"
#include "bench/idf/BenchPlatform.h"
#include "fuzz/IdfFuzzTarget.h"
#include "host/dialog/FigureChecks.h"
#include "tests/support/RecordingHost.h"

namespace fs = std::filesystem;

// tmpfs where there is one: thousands of executions a minute should not wear a disk.
fs::path DialogFuzzScratchFolder() {
  std::error_code ec;
  const fs::path shm = "/dev/shm";
  const fs::path base = fs::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0 ? shm : fs::temp_directory_path();
  return base / ("corvane-dialog-fuzz-" + std::to_string(::getpid()));
}

namespace {
// The calls whose numbers the modelling kernel takes as geometry.
bool TakesGeometry(const std::string& method) {
  for (const char* m : {"AddLine", "AddCircularArcByCenterStartEnd", "AddCircle", "AddRectangle", "AddExtrudedBoss",
                        "AddExtrudedCutout", "CreateVector", "CreatePoint", "CreateRotationTransform",
                        "CreateTranslationTransformByXYZ"})
    if (method == m) return true;
  return false;
}

// Every number in the call's arguments ("1.5", "real:0.16", "Vector(0, 0, 1)") finite and in range.
bool NumbersInRange(const recording::TCall& c) {
  for (const std::string& arg : c.Args) {
    const std::size_t colon = arg.find(':');
    std::string text = colon == std::string::npos ? arg : arg.substr(colon + 1);
    // Texts and objects named after the file ("Sketch[Place 1e999]") hold no geometry.
    if (text.find_first_of("\"[") != std::string::npos) continue;
    for (char& ch : text)
      if (ch == '(' || ch == ')' || ch == ',') ch = ' ';
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find(' ', at), text.size());
      const std::string word = text.substr(at, end - at);
      at = end + 1;
      char* stop = nullptr;
      const double v = std::strtod(word.c_str(), &stop);
      if (word.empty() || *stop != '\0') continue;  // a name such as Vector or Sketch[Board]
      if (!std::isfinite(v) || std::abs(v) > figurechecks::kLengthLimit) return false;
    }
  }
  return true;
}

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}
}  // namespace

TDialogFuzzRun DialogFuzzImport(const std::uint8_t* data, std::size_t size) {
  const auto [board, library] = SplitFuzzInput(data, size);
  const fs::path dir = DialogFuzzScratchFolder();
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  const TScopeExit removeScratch([&dir] {
    std::error_code ec;
    fs::remove_all(dir, ec);
  });
  WriteText(dir / "board.emn", board);
  // Without a library text the dialog looks for board.emp beside the board and finds none.
  if (!library.empty()) WriteText(dir / "board.emp", library);

  const platform::TDecimalSeparatorGuard separator;
  const auto saved = platform::SetServices(std::make_shared<TBenchPlatform>((dir / "board.emn").string()));
  auto host = std::make_shared<recording::TRecordingHost>();
  // The assembly places only parts whose files are there.
  host->Script.SaveLeavesFiles = true;
  host->Register();
  const TScopeExit restore([&saved] {
    CorvaneX_TLB::RegisterAutomationServer({});
    platform::SetServices(saved);
  });

  TDialogFuzzRun run;
  TLaunchSetup setup;
  setup.Medium = std::make_shared<TRegistryMemoryMedium>();
  // What a batch run does once the dialog has shown the analysed board.
  setup.AfterShow = [&dir, &run](TCorvaneIdfImport& d) {
    for (controls::TCheckBox* cb : {&d.PlatedMountingCB,
                                    &d.NonPlatedMountingCB,
                                    &d.PlatedPinCB,
                                    &d.NonPlatedPinCB,
                                    &d.ViaHolesCB,
                                    &d.PlatedToolingCB,
                                    &d.NonPlatedToolingCB,
                                    &d.PlatedOtherCB,
                                    &d.NonPlatedOtherCB,
                                    &d.RouteKeepoutCB,
                                    &d.PlaceKeepoutCB,
                                    &d.ViaKeepoutCB,
                                    &d.RouteOutlineCB,
                                    &d.PlaceOutlineCB,
                                    &d.PlaceRegionCB,
                                    &d.OtherOutlineCB,
                                    &d.DoPads,
                                    &d.DoVias,
                                    &d.DoTracks,
                                    &d.DoOverlays,
                                    &d.DoOverlayText,
                                    &d.DoPolygons})
      cb->Checked = true;
    d.AssemblyDirCb.Checked = false;
    d.AssemblyPathEdit.SetText((dir / "out").string() + "/");
    d.ImportButton.Click();
    run.Errors = d.FImportIDF->ErrorLog.Lines();
  };
  RunIdfImport(false, setup);
  run.HostCalls = std::move(host->Calls);
  for (const auto& c : run.HostCalls)
    if (TakesGeometry(c.Method) && !NumbersInRange(c)) run.AbsurdCalls.push_back(c.Text());
  return run;
}

int DialogFuzzOne(const std::uint8_t* data, std::size_t size) {
  const auto run = DialogFuzzImport(data, size);
  if (!run.AbsurdCalls.empty()) {
    std::fprintf(stderr, "absurd host call: %s\n", run.AbsurdCalls.front().c_str());
    std::abort();
  }
  return 0;
}
