// How long a STEP file takes to open in OpenCASCADE's reader with its default shape healing,
// the reader most CAD programs on it use. Run by hand: corvane_read_bench FILE...
#include <IFSelect_ReturnStatus.hxx>
#include <STEPControl_Reader.hxx>
#include <TopExp_Explorer.hxx>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    STEPControl_Reader r;
    if (r.ReadFile(argv[i]) != IFSelect_RetDone) {
      std::printf("%s: cannot read\n", argv[i]);
      continue;
    }
    auto t1 = std::chrono::steady_clock::now();
    r.TransferRoots();
    TopoDS_Shape s = r.OneShape();
    auto t2 = std::chrono::steady_clock::now();
    int faces = 0;
    for (TopExp_Explorer ex(s, TopAbs_FACE); ex.More(); ex.Next()) ++faces;
    std::printf("%s: parse %.3f s, transfer with healing %.3f s, %d faces\n", argv[i],
                std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count(), faces);
    std::fflush(stdout);
  }
  return 0;
}
