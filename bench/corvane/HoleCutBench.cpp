// Board 100 x 58 mm with many drilled holes cut through all, then written as a part file.
// Run by hand: corvane_hole_bench [hole counts...] [--general] [--no-write] [--dir FOLDER]
//   --general  puts a pad over the first hole, so that hole takes the general boolean
//   --pads     instead of holes, stands that many square pads on the top face (one boss)
//   --random   holes at random places (some overlap, some cross the edge) on the board sized
//              for 10,000 grid holes
//   --bites    a 20 x 10 cm panel with that many mouse-bite holes on its edge
//   --boolean  cuts that are not of disjoint holes take the general boolean, as before
//   --check    runs OpenCASCADE's shape check on the result (slow: it grows with holes squared)
#include "corvane/CorvaneServer.h"

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

bool gCheck = false;

const char* Validity(const std::shared_ptr<ICVPartSession>& part) {
  if (!gCheck) return "";
  return corvane::BodyIsValid(part) ? "valid" : "INVALID";
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Processor time of this process; on a shared machine it tells more than wall time.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

std::shared_ptr<ICVExtrusionFeature> Boss(const std::shared_ptr<ICVPartSession>& p, const std::shared_ptr<ICVSketch>& s,
                                          double d, bool rev) {
  return p->Get_Features()->AddExtrudedBoss(s, d, CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr, nullptr, rev,
                                            int32_t(0), false, "Boss", "", "");
}

std::shared_ptr<ICVFace> TopFace(const std::shared_ptr<ICVPartSession>& p) {
  auto faces = p->Get_Bodies()->Get_Item(0)->Get_Faces();
  for (int i = 0; i < faces->Get_Count(); ++i) {
    auto f = faces->Get_Item(i);
    auto g = f->Get_Geometry();
    auto n = g->NormalAtPoint(g->PointAtParam(0.5, 0.5));
    double z = f->Get_IsSenseReversed() ? -n->Get_Z() : n->Get_Z();
    if (std::abs(z - 1) < 1e-4) return f;
  }
  return nullptr;
}

void Run(const std::shared_ptr<ICVRoot>& root, int holes, bool general, bool write, const fs::path& dir) {
  const double w = 10.0, h = 5.8, t = 0.16;  // cm
  auto part = root->CreateEmptyPart("Board" + std::to_string(holes), false);
  auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
  auto outline = part->Get_Sketches()->AddSketch(nullptr, planes->Get_Item(0), "Outline");
  outline->Get_Figures()->AddRectangle(0, 0, w, h);
  Boss(part, outline, t, true);
  int cols = static_cast<int>(std::ceil(std::sqrt(holes * w / h)));
  int rows = (holes + cols - 1) / cols;
  double pitch = std::min(w / (cols + 1), h / (rows + 1));
  double r = pitch * 0.3;
  if (general) {  // a pad over the first hole: drilling under it needs the general boolean
    auto pad = part->Get_Sketches()->AddSketch(nullptr, TopFace(part), "Pad");
    pad->Get_Figures()->AddRectangle(pitch - 2 * r, pitch - 2 * r, pitch + 2 * r, pitch + 2 * r);
    Boss(part, pad, 0.01, false);
  }

  auto t0 = std::chrono::steady_clock::now();
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, TopFace(part), "Holes");
  sketch->BeginChange();
  for (int i = 0; i < holes; ++i) sketch->Get_Figures()->AddCircle(pitch * (1 + i % cols), pitch * (1 + i / cols), r);
  sketch->EndChange();
  double tSketch = Seconds(t0);

  t0 = std::chrono::steady_clock::now();
  double c0 = CpuSeconds();
  bool closed = sketch->Get_IsClosed();
  auto cut = part->Get_Features()->AddExtrudedCutout(sketch, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0,
                                                     nullptr, nullptr, true, int32_t(0), false, "Holes", "", "");
  double tCut = Seconds(t0), cCut = CpuSeconds() - c0;
  bool err = std::dynamic_pointer_cast<ICVPartFeature>(cut)->Get_HasError();
  bool fast = corvane::LastCutWasFast(part);
  double vol = part->Get_Bodies()->Get_Item(0)->Get_Volume();
  double expect = (w * h - holes * M_PI * r * r) * t + (general ? 16 * r * r * 0.01 : 0);

  double tWrite = 0, cWrite = 0, tPlace = 0, tRead = 0;
  uintmax_t size = 0;
  if (write) {
    t0 = std::chrono::steady_clock::now();
    c0 = CpuSeconds();
    std::dynamic_pointer_cast<ICVSession>(part)->SaveAs(dir.string(), "Board" + std::to_string(holes));
    tWrite = Seconds(t0);
    cWrite = CpuSeconds() - c0;
    auto file = dir / ("Board" + std::to_string(holes) + ".CV_PRT");
    size = fs::file_size(file);
    // Placing the board in an assembly: as just written, then by parsing the file.
    auto place = [&](const std::shared_ptr<ICVRoot>& host) {
      auto assy = host->CreateEmptyAssembly("Assy");
      auto gf = std::dynamic_pointer_cast<ICVSession>(assy)->Get_GeometryFactory();
      auto t = std::chrono::steady_clock::now();
      assy->Get_RootOccurrence()->Get_Occurrences()->Add(file.string(), gf->CreateTranslationTransformByXYZ(0, 0, 0));
      return Seconds(t);
    };
    tPlace = place(root);
    corvane::ForgetWrittenFiles();
    auto other = std::dynamic_pointer_cast<ICVRoot>(corvane::CreateCorvaneServer()->Get_Root());
    tRead = place(other);
    other->Terminate();
  }

  std::printf(
      "%7d holes r=%.4f cm  sketch %.3f s  closed-check+cut %.3f s (cpu %.3f s, %s%s)  "
      "volume err %.1e\n",
      holes, r, tSketch, tCut, cCut, fast ? "quick" : "general", err ? ", FAILED" : "",
      std::abs(vol - expect) / expect);
  if (write)
    std::printf(
        "         STEP write %.3f s (cpu %.3f s) = %.1f us/hole, %.1f MB; placing it: as written %.3f s, "
        "parsed %.3f s\n",
        tWrite, cWrite, 1e6 * tWrite / holes, size / 1e6, tPlace, tRead);
  (void)closed;
}

// Holes at random places; the volume is checked against the same holes' area by sampling.
void RunRandom(const std::shared_ptr<ICVRoot>& root, int holes) {
  const double w = 10.0, h = 5.8, t = 0.16;
  int cols = static_cast<int>(std::ceil(std::sqrt(10000 * w / h)));
  double pitch = std::min(w / (cols + 1), h / ((10000 + cols - 1) / cols + 1));
  double r = pitch * 0.3;
  auto part = root->CreateEmptyPart("Random" + std::to_string(holes), false);
  auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
  auto outline = part->Get_Sketches()->AddSketch(nullptr, planes->Get_Item(0), "Outline");
  outline->Get_Figures()->AddRectangle(0, 0, w, h);
  Boss(part, outline, t, true);
  std::mt19937 rng(holes);
  std::uniform_real_distribution<double> ux(0, w), uy(0, h);
  std::vector<std::pair<double, double>> at(holes);
  for (auto& p : at) p = {ux(rng), uy(rng)};
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, TopFace(part), "Holes");
  for (auto [x, y] : at) sketch->Get_Figures()->AddCircle(x, y, r);
  auto t0 = std::chrono::steady_clock::now();
  double c0 = CpuSeconds();
  auto cut = part->Get_Features()->AddExtrudedCutout(sketch, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0,
                                                     nullptr, nullptr, true, int32_t(0), false, "Holes", "", "");
  double tCut = Seconds(t0), cCut = CpuSeconds() - c0;
  bool err = std::dynamic_pointer_cast<ICVPartFeature>(cut)->Get_HasError();
  double vol = part->Get_Bodies()->Get_Item(0)->Get_Volume();
  // Area left by sampling a fine grid against a bucket grid of the holes.
  const int gx = 2000, gy = 1160;
  int bx = static_cast<int>(w / (2 * r)), by = static_cast<int>(h / (2 * r));
  std::vector<std::vector<int>> bucket(bx * by);
  for (int i = 0; i < holes; ++i) {
    int cx = std::min(bx - 1, static_cast<int>(at[i].first / w * bx));
    int cy = std::min(by - 1, static_cast<int>(at[i].second / h * by));
    bucket[cy * bx + cx].push_back(i);
  }
  long solid = 0;
  for (int iy = 0; iy < gy; ++iy)
    for (int ix = 0; ix < gx; ++ix) {
      double x = (ix + 0.5) * w / gx, y = (iy + 0.5) * h / gy;
      int cx = std::min(bx - 1, static_cast<int>(x / w * bx)), cy = std::min(by - 1, static_cast<int>(y / h * by));
      bool hit = false;
      for (int dy = -1; dy <= 1 && !hit; ++dy)
        for (int dx = -1; dx <= 1 && !hit; ++dx) {
          int qx = cx + dx, qy = cy + dy;
          if (qx < 0 || qy < 0 || qx >= bx || qy >= by) continue;
          for (int i : bucket[qy * bx + qx])
            if (std::hypot(x - at[i].first, y - at[i].second) < r) hit = true;
        }
      solid += hit ? 0 : 1;
    }
  double expect = w * h * t * solid / (double(gx) * gy);
  std::printf("%7d random holes r=%.4f cm  cut %.3f s (cpu %.3f s, %s%s)  volume %.9g cm3, vs. sampled area %.1e  %s\n",
              holes, r, tCut, cCut, corvane::LastCutWasFast(part) ? "in the plane" : "boolean", err ? ", FAILED" : "",
              vol, std::abs(vol - expect) / expect, Validity(part));
  std::fputs(corvane::LastCutNote(part).c_str(), stdout);
}

// A panel with a row of mouse bites centred on each edge: each takes half a disc.
void RunBites(const std::shared_ptr<ICVRoot>& root, int bites) {
  const double w = 20.0, h = 10.0, t = 0.16, r = 0.025;
  auto part = root->CreateEmptyPart("Panel" + std::to_string(bites), false);
  auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
  auto outline = part->Get_Sketches()->AddSketch(nullptr, planes->Get_Item(0), "Outline");
  outline->Get_Figures()->AddRectangle(0, 0, w, h);
  Boss(part, outline, t, true);
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, TopFace(part), "Bites");
  const double pitch = 2 * (w + h - 1.0) / bites;  // corners kept clear
  int made = 0;
  for (double s = 0.5; s < w - 0.5 && made < bites; s += pitch, ++made) sketch->Get_Figures()->AddCircle(s, 0, r);
  for (double s = 0.5; s < h - 0.5 && made < bites; s += pitch, ++made) sketch->Get_Figures()->AddCircle(w, s, r);
  for (double s = 0.5; s < w - 0.5 && made < bites; s += pitch, ++made) sketch->Get_Figures()->AddCircle(s, h, r);
  for (double s = 0.5; s < h - 0.5 && made < bites; s += pitch, ++made) sketch->Get_Figures()->AddCircle(0, s, r);
  auto t0 = std::chrono::steady_clock::now();
  auto cut = part->Get_Features()->AddExtrudedCutout(sketch, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0,
                                                     nullptr, nullptr, true, int32_t(0), false, "Bites", "", "");
  double tCut = Seconds(t0);
  bool err = std::dynamic_pointer_cast<ICVPartFeature>(cut)->Get_HasError();
  double vol = part->Get_Bodies()->Get_Item(0)->Get_Volume();
  double expect = (w * h - made * M_PI * r * r / 2) * t;
  std::printf("%7d mouse bites  cut %.3f s (%s%s)  volume err %.1e  %s\n", made, tCut,
              corvane::LastCutWasFast(part) ? "in the plane" : "boolean", err ? ", FAILED" : "",
              std::abs(vol - expect) / expect, Validity(part));
}

void RunPads(const std::shared_ptr<ICVRoot>& root, int pads) {
  const double w = 10.0, h = 5.8, t = 0.16;
  auto part = root->CreateEmptyPart("Pads" + std::to_string(pads), false);
  auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
  auto outline = part->Get_Sketches()->AddSketch(nullptr, planes->Get_Item(0), "Outline");
  outline->Get_Figures()->AddRectangle(0, 0, w, h);
  Boss(part, outline, t, true);
  int cols = static_cast<int>(std::ceil(std::sqrt(pads * w / h)));
  double pitch = std::min(w / (cols + 1), h / ((pads + cols - 1) / cols + 1));
  double a = pitch * 0.25;
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, TopFace(part), "Pads");
  for (int i = 0; i < pads; ++i) {
    double x = pitch * (1 + i % cols), y = pitch * (1 + i / cols);
    sketch->Get_Figures()->AddRectangle(x - a, y - a, x + a, y + a);
  }
  auto t0 = std::chrono::steady_clock::now();
  auto boss = Boss(part, sketch, 0.0035, false);
  double tBoss = Seconds(t0);
  bool err = std::dynamic_pointer_cast<ICVPartFeature>(boss)->Get_HasError();
  double vol = part->Get_Bodies()->Get_Item(0)->Get_Volume();
  double expect = w * h * t + pads * 4 * a * a * 0.0035;
  std::printf("%7d pads  boss %.3f s%s  volume err %.2e\n", pads, tBoss, err ? " FAILED" : "",
              std::abs(vol - expect) / expect);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  bool general = false, write = true, pads = false, random = false, bites = false;
  fs::path dir = fs::temp_directory_path() / "corvane-bench";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--general")
      general = true;
    else if (a == "--no-write")
      write = false;
    else if (a == "--pads")
      pads = true;
    else if (a == "--random")
      random = true;
    else if (a == "--bites")
      bites = true;
    else if (a == "--check")
      gCheck = true;
    else if (a == "--boolean")
      corvane::UsePlaneCuts(false);
    else if (a == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else
      counts.push_back(std::atoi(a.c_str()));
  }
  if (counts.empty()) counts = {1000, 10000, 100000};
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  fs::create_directories(dir);
  auto root = std::dynamic_pointer_cast<ICVRoot>(corvane::CreateCorvaneServer()->Get_Root());
  for (int n : counts) {
    if (pads)
      RunPads(root, n);
    else if (random)
      RunRandom(root, n);
    else if (bites)
      RunBites(root, n);
    else
      Run(root, n, general, write, dir);
  }
  root->Terminate();
  return 0;
}
