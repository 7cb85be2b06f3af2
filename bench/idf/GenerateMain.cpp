// idf-generate DIR NAME HOLES PLACEMENTS PACKAGES: writes DIR/NAME.emn and DIR/NAME.emp.
#include <cstdlib>
#include <iostream>

#include "bench/idf/IdfGenerator.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: idf-generate DIR NAME HOLES PLACEMENTS PACKAGES\n";
    return 2;
  }
  TIdfGeneratorOptions o;
  o.Holes = std::atoi(argv[3]);
  o.Placements = std::atoi(argv[4]);
  o.Packages = std::atoi(argv[5]);
  std::cout << WriteIdfPair(o, argv[1], argv[2]) << "\n";
  return 0;
}
