// How long a STEP file takes to open in OpenCASCADE's reader with its default shape healing,
// the reader most CAD programs on it use. Run by hand: corvane_read_bench [--runs N] FILE...
// Each file is read N times (default 1); the figures are medians. Processor time is given
// beside wall time because the machines this runs on are shared.
#include <IFSelect_ReturnStatus.hxx>
#include <STEPControl_Reader.hxx>
#include <TopExp_Explorer.hxx>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
  int runs = 1;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else
      files.push_back(a);
  }
  std::printf("%-40s %6s | %17s | %17s | %17s\n", "file", "faces", "parse wall/cpu s", "healing wall/cpu s",
              "total wall/cpu s");
  for (const std::string& file : files) {
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
      continue;
    }
    std::printf("%-40s %6d | %8.3f %8.3f | %8.3f %8.3f | %8.3f %8.3f\n", file.c_str(), faces, Median(parseWall),
                Median(parseCpu), Median(healWall), Median(healCpu), Median(wall), Median(cpu));
    std::fflush(stdout);
  }
  return 0;
}
