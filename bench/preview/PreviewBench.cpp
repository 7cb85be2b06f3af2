// The top view of a generated board (scene, painting, files) and, with --3d, the 3D view's
// first picture of its assembly. Medians of several runs, wall clock.
// Run by hand: preview_bench [HOLES PLACEMENTS] [--runs N] [--3d [--keep DIR]]
//   default 1000 450, 15 runs; --keep writes the assembly into DIR and keeps it
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/idf/BenchPlatform.h"
#include "bench/idf/IdfGenerator.h"
#include "corvane/CorvaneServer.h"
#include "host/dialog/ValdrinIdfImportForm.h"
#include "platform/Platform.h"
#include "preview/BoardPreviewRenderer.h"
#include "tests/support/TestFiles.h"
#ifdef IDF_BENCH_MODEL_VIEW
#include "corvane/AssemblyView.h"
#endif

namespace {

double Median(int runs, const std::function<void()>& work) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const auto a = std::chrono::steady_clock::now();
    work();
    t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count());
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  int holes = 1000, placements = 450, runs = 15;
  bool model = false;
  std::string keep;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--3d"))
      model = true;
    else if (!std::strcmp(argv[i], "--keep") && i + 1 < argc)
      keep = argv[++i];
    else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else
      sizes.push_back(std::atoi(argv[i]));
  }
  if (sizes.size() == 2) holes = sizes[0], placements = sizes[1];
  preview::EnsureGuiApplication();
  corvane::RegisterCorvaneServer();

  TTempDir dir;
  TIdfGeneratorOptions o;
  o.Holes = holes;
  o.Placements = placements;
  const std::string board = WriteIdfPair(o, dir.Path(), "bench");
  auto saved = platform::SetServices(std::make_shared<TBenchPlatform>(board));
  auto medium = std::make_shared<TRegistryMemoryMedium>();
  TGetInfoFromRegistry store(medium);
  store.SetKey("Corvane\\IDF");
  TCorvaneIdfImport d;
  d.FReg = &store;
  d.FAssyExt = ".CV_ASM";
  d.FPartExt = ".CV_PRT";
  d.ShowModal();
  d.AllHolesCbButton.Click();

  TBoardPreviewScene scene;
  const double build = Median(runs, [&] { scene = BuildBoardPreviewScene(d); });
  const QSize size = preview::FittingSize(scene.Bounds());
  QImage image(size, QImage::Format_RGB32);
  const double paint = Median(runs, [&] {
    QPainter p(&image);
    preview::PaintBoardPreview(p, scene, preview::SceneToDevice(scene.Bounds(), size), size);
  });
  const double png = Median(std::max(1, runs / 3), [&] { preview::WriteBoardPreview(scene, dir.Path() + "t.png"); });
  const double svg = Median(std::max(1, runs / 3), [&] { preview::WriteBoardPreview(scene, dir.Path() + "t.svg"); });
  std::printf("board: %zu holes, %zu placements, picture %dx%d, median of %d runs\n", scene.Holes.size(),
              scene.Components.size(), size.width(), size.height(), runs);
  std::printf("top view  scene %.4f s  paint %.4f s  scene+paint %.4f s  | png file %.4f s  svg file %.4f s\n", build,
              paint, build + paint, png, svg);

#ifdef IDF_BENCH_MODEL_VIEW
  if (model) {
    d.AssemblyDirCb.Checked = false;
    d.AssemblyPathEdit.SetText(keep.empty() ? dir.Path() + "asm/" : keep + "/");
    d.ImportButton.Click();
    const std::string assembly = d.FAssemblyFilename;
    const int n = std::max(1, runs / 5);
    // From the written assembly to its first picture: the shapes this process holds, then the
    // file read back as another program's would be.
    for (bool memory : {true, false}) {
      if (!memory) corvane::ForgetWrittenFiles();
      double load = 0, picture = 0;
      const double total = Median(n, [&] {
        corvane::TAssemblyView view;
        const auto a = std::chrono::steady_clock::now();
        view.Load(assembly);
        const auto b = std::chrono::steady_clock::now();
        view.WritePicture(dir.Path() + "m.png", 1280, 960);
        load = std::chrono::duration<double>(b - a).count();
        picture = std::chrono::duration<double>(std::chrono::steady_clock::now() - b).count();
      });
      std::printf(
          "3D view   %-22s first picture %.3f s (median of %d; last run: load and mesh %.3f s, picture %.3f s)\n",
          memory ? "from the shapes held:" : "re-reading the file:", total, n, load, picture);
    }
  }
#else
  if (model) std::printf("3D view: not built\n");
#endif
  platform::SetServices(saved);
  return 0;
}
