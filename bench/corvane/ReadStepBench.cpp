// How long a STEP file takes to open in OpenCASCADE's reader with its default shape healing,
// the reader most CAD programs on it use. Run by hand:
//   corvane_read_bench [--runs N] [--translator] [--dir FOLDER] [HOLES...] [FILE...]
// A number writes a board part with that many drilled holes first (the host's own writer, or
// OpenCASCADE's translator with --translator) and reads that. Each file is read N times
// (default 1); the figures are medians. Processor time is given beside wall time because the
// machines this runs on are shared.
#include "corvane/CorvaneServer.h"

#include <IFSelect_ReturnStatus.hxx>
#include <STEPControl_Reader.hxx>
#include <TopExp_Explorer.hxx>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace CorvaneX_TLB;
namespace fs = std::filesystem;

namespace {

struct TTimes {
  double Wall = 0, Cpu = 0;
};

struct TClock {
  std::chrono::steady_clock::time_point Wall = std::chrono::steady_clock::now();
  std::clock_t Cpu = std::clock();
  TTimes Since(const TClock& t0) const {
    return {std::chrono::duration<double>(Wall - t0.Wall).count(), double(Cpu - t0.Cpu) / CLOCKS_PER_SEC};
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A 1.6 mm board of 100 x 58 mm, grown with the square root of the holes beyond 1,000 so
// that hole density stays that of a real board; 0.6 mm holes on a jittered grid.
std::string WriteBoard(const std::shared_ptr<ICVRoot>& root, int holes, const fs::path& dir) {
  const double scale = std::max(1.0, std::sqrt(holes / 1000.0));
  const double w = 10.0 * scale, h = 5.8 * scale, margin = 0.2, r = 0.03;  // cm
  const std::string name = "Board" + std::to_string(holes);
  auto part = root->CreateEmptyPart(name, false);
  auto top = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes()->Get_Item(0);
  auto outline = part->Get_Sketches()->AddSketch(nullptr, top, "Outline");
  outline->Get_Figures()->AddRectangle(0, 0, w, h);
  part->Get_Features()->AddExtrudedBoss(outline, 0.16, CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr, nullptr, true,
                                        int32_t(0), false, "Board", "", "");
  const int cols = static_cast<int>(std::ceil(std::sqrt(holes * w / h)));
  const int rows = (holes + cols - 1) / cols;
  const double cw = (w - 2 * margin) / cols, ch = (h - 2 * margin) / rows;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jitter(-0.15, 0.15);
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, top, "Holes");
  sketch->BeginChange();
  for (int i = 0; i < holes; ++i)
    sketch->Get_Figures()->AddCircle(margin + cw * (i % cols + 0.5 + jitter(rng)),
                                     margin + ch * (i / cols + 0.5 + jitter(rng)), r);
  sketch->EndChange();
  part->Get_Features()->AddExtrudedCutout(sketch, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0, nullptr,
                                          nullptr, true, int32_t(0), false, "Holes", "", "");
  std::dynamic_pointer_cast<ICVSession>(part)->SaveAs(dir.string(), name);
  return (dir / (name + ".CV_PRT")).string();
}

void Read(const std::string& file, int runs) {
  std::vector<double> parseWall, parseCpu, healWall, healCpu, wall, cpu;
  int faces = -1;
  for (int run = 0; run < runs; ++run) {
    TClock t0;
    STEPControl_Reader r;
    if (r.ReadFile(file.c_str()) != IFSelect_RetDone) break;
    TClock t1;
    r.TransferRoots();
    TopoDS_Shape s = r.OneShape();
    TClock t2;
    faces = 0;
    for (TopExp_Explorer ex(s, TopAbs_FACE); ex.More(); ex.Next()) ++faces;
    TTimes parse = t1.Since(t0), heal = t2.Since(t1), all = t2.Since(t0);
    parseWall.push_back(parse.Wall), parseCpu.push_back(parse.Cpu);
    healWall.push_back(heal.Wall), healCpu.push_back(heal.Cpu);
    wall.push_back(all.Wall), cpu.push_back(all.Cpu);
  }
  if (wall.empty()) {
    std::printf("%-40s cannot read\n", file.c_str());
    return;
  }
  std::printf("%-40s %6d | %8.3f %8.3f | %8.3f %8.3f | %8.3f %8.3f\n", file.c_str(), faces, Median(parseWall),
              Median(parseCpu), Median(healWall), Median(healCpu), Median(wall), Median(cpu));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 1;
  fs::path dir = fs::temp_directory_path() / "corvane-read-bench";
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else if (a == "--translator")
      corvane::UseTranslatorForWriting(true);
    else
      args.push_back(a);
  }
  std::shared_ptr<ICVRoot> root;
  std::printf("%-40s %6s | %17s | %17s | %17s\n", "file", "faces", "parse wall/cpu s", "healing wall/cpu s",
              "total wall/cpu s");
  for (const std::string& a : args) {
    if (a.find_first_not_of("0123456789") != std::string::npos) {
      Read(a, runs);
      continue;
    }
    if (!root) {
      fs::create_directories(dir);
      root = std::dynamic_pointer_cast<ICVRoot>(corvane::CreateCorvaneServer()->Get_Root());
    }
    Read(WriteBoard(root, std::atoi(a.c_str()), dir), runs);
  }
  if (root) root->Terminate();
  return 0;
}
