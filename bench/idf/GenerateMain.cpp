// idf-generate DIR NAME HOLES PLACEMENTS PACKAGES [--grid]: writes DIR/NAME.emn and DIR/NAME.emp.
//   --grid  the board model_bench imports: grown with the holes, holes on a jittered grid
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "bench/idf/IdfGenerator.h"

int main(int argc, char** argv) {
  const bool grid = argc == 7 && std::strcmp(argv[6], "--grid") == 0;
  if (argc != 6 && !grid) {
    std::cerr << "usage: idf-generate DIR NAME HOLES PLACEMENTS PACKAGES [--grid]\n";
    return 2;
  }
  TIdfGeneratorOptions o;
  o.Holes = std::atoi(argv[3]);
  o.Placements = std::atoi(argv[4]);
  o.Packages = std::atoi(argv[5]);
  if (grid) {
    o.Grid = true;
    ScaleToHoles(o);
  }
  std::cout << WriteIdfPair(o, argv[1], argv[2]) << "\n";
  return 0;
}
