// The whole import, phase by phase, with every hole category chosen: generated boards and the
// largest board of the shared test files.
// Run by hand: model_bench [HOLES/PLACEMENTS ...] [--shared] [--overlapping] [--translator] [--dir FOLDER]
//   --translator   writes the files through OpenCASCADE's translator instead of the host's writer
//   --overlapping  keeps the generator's random hole positions, some of which overlap
//   default sizes 1000/200 10000/2000 100000/20000
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/idf/BenchPlatform.h"
#include "bench/idf/IdfGenerator.h"
#include "corvane/CorvaneServer.h"
#include "host/dialog/ValdrinIdfImportForm.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

struct TMark {
  std::string Phase;
  Clock::time_point Wall;
  double Cpu;
};

// Marks the phase boundaries the dialog passes through.
class TBenchImport : public TCorvaneIdfImport {
 public:
  std::vector<TMark> Marks;
  void Mark(const std::string& phase) {
    if (Marks.empty() || Marks.back().Phase != phase) Marks.push_back({phase, Clock::now(), CpuSeconds()});
  }
  void InitSelectionLists() override {
    Mark("analysis");
    TCorvaneIdfImport::InitSelectionLists();
  }
  void PrepareGlobalPlacementList() override {
    Mark("placement list");
    TCorvaneIdfImport::PrepareGlobalPlacementList();
    Mark("auto parts");
  }
};

void RunOne(const std::string& label, const std::string& board, const std::string& out) {
  auto services = std::make_shared<TBenchPlatform>(board);
  auto saved = platform::SetServices(services);
  auto medium = std::make_shared<TRegistryMemoryMedium>();
  TGetInfoFromRegistry store(medium);
  store.SetKey("Corvane\\IDF");
  TBenchImport d;
  d.FReg = &store;
  d.FAssyExt = ".CV_ASM";
  d.FPartExt = ".CV_PRT";
  d.AssignCommonSettings("Corvane VAV Arizede");
  d.Mark("load");
  d.ShowModal();
  d.Mark("(settings)");
  for (controls::TCheckBox* cb :
       {&d.PlatedMountingCB, &d.NonPlatedMountingCB, &d.PlatedPinCB, &d.NonPlatedPinCB, &d.ViaHolesCB,
        &d.PlatedToolingCB, &d.NonPlatedToolingCB, &d.PlatedOtherCB, &d.NonPlatedOtherCB})
    cb->Checked = true;
  d.HoleFilterCb.Checked = false;
  d.AssemblyDirCb.Checked = false;
  d.AssemblyPathEdit.SetText(out);
  d.OnProgressChange = [&d] {
    const std::string& c = d.Caption;
    if (c.find("Creating Board Outline Part") != std::string::npos)
      d.Mark("board part");
    else if (c.find("Placing PCB Part") != std::string::npos)
      d.Mark("placing");
    else if (c.find("Saving Assembly") != std::string::npos)
      d.Mark("saving");
  };
  d.ImportButton.Click();
  d.Mark("end");
  platform::SetServices(saved);

  std::map<std::string, std::pair<double, double>> phase;
  for (std::size_t i = 0; i + 1 < d.Marks.size(); ++i)
    phase[d.Marks[i].Phase] = {std::chrono::duration<double>(d.Marks[i + 1].Wall - d.Marks[i].Wall).count(),
                               d.Marks[i + 1].Cpu - d.Marks[i].Cpu};
  const double total = std::chrono::duration<double>(d.Marks.back().Wall - d.Marks.front().Wall).count();
  std::printf("%-22s", label.c_str());
  for (const char* p : {"load", "analysis", "placement list", "auto parts", "board part", "placing", "saving"}) {
    auto it = phase.find(p);
    std::printf(" %8.3f", it == phase.end() ? 0.0 : it->second.first);
  }
  std::printf(" | %8.3f s  placed %d  errors %d\n", total, d.FPartPlaceList.Count(), d.FImportIDF->ErrorLog.Count());
  // The same phases in processor time: what the wall time spends waiting (the disk's flush of
  // each file, a busy machine) is the difference.
  std::printf("%-22s", "  (cpu s)");
  for (const char* p : {"load", "analysis", "placement list", "auto parts", "board part", "placing", "saving"}) {
    auto it = phase.find(p);
    std::printf(" %8.3f", it == phase.end() ? 0.0 : it->second.second);
  }
  std::printf(" | %8.3f s\n", d.Marks.back().Cpu - d.Marks.front().Cpu);
  for (int i = 0; i < std::min(3, d.FImportIDF->ErrorLog.Count()); ++i)
    std::printf("    error: %s\n", d.FImportIDF->ErrorLog[i].c_str());
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::pair<int, int>> sizes;
  bool shared = false, overlapping = false;
  std::string dir = (fs::temp_directory_path() / "corvane-model-bench").string();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--shared")
      shared = true;
    else if (a == "--overlapping")
      overlapping = true;
    else if (a == "--translator")
      corvane::UseTranslatorForWriting(true);
    else if (a == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else {
      int h = 0, p = 0;
      if (std::sscanf(a.c_str(), "%d/%d", &h, &p) == 2) sizes.push_back({h, p});
    }
  }
  if (sizes.empty() && !shared) sizes = {{1000, 200}, {10000, 2000}, {100000, 20000}};
  fs::create_directories(dir);
  corvane::RegisterCorvaneServer();
  std::printf("%-22s %8s %8s %8s %8s %8s %8s %8s | %s\n", "board (wall s)", "load", "analysis", "plc.list", "autoprt",
              "board", "placing", "saving", "total");
  for (auto [holes, placements] : sizes) {
    TIdfGeneratorOptions o;
    o.Holes = holes;
    o.Placements = placements;
    ScaleToHoles(o);
    // Random positions let some holes overlap, which no board file would have.
    o.Grid = !overlapping;
    const std::string name = "gen" + std::to_string(holes);
    const std::string board = WriteIdfPair(o, dir, name);
    const std::string out = dir + "/" + name + "-out/";
    fs::remove_all(out);
    RunOne(std::to_string(holes) + "/" + std::to_string(placements), board, out);
  }
  if (shared) {
    std::string largest;
    std::uintmax_t size = 0;
    const fs::path sd = IDF_SHARED_TESTDATA;
    if (fs::is_directory(sd))
      for (const auto& e : fs::directory_iterator(sd))
        if (e.path().extension() == ".emn" && e.file_size() > size &&
            e.path().filename().string().find("invalid") == std::string::npos)
          size = e.file_size(), largest = e.path().string();
    if (largest.empty()) {
      std::printf("shared IDF test data not found\n");
    } else {
      fs::remove_all(dir + "/shared-out/");
      RunOne(fs::path(largest).filename().string(), largest, dir + "/shared-out/");
    }
  }
  return 0;
}
