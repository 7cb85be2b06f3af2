#pragma once
// Writes large, valid IDF 3.0 board/library pairs for benchmarks.
#include <string>

struct TIdfGeneratorOptions {
  int Holes = 1000;
  int Placements = 200;
  int Packages = 20;
  double Width = 100.0;  // mm
  double Height = 58.0;  // mm
  unsigned Seed = 1;
  // Holes on a jittered grid instead of at random, so that no two overlap (as on a real
  // board); overlapping holes send the cut down the general boolean.
  bool Grid = false;
};

// Grows the board with the square root of the holes beyond 1000, so that hole density stays
// that of a real board.
void ScaleToHoles(TIdfGeneratorOptions& O);

// Returns the board text; library receives the library text.
std::string GenerateIdfBoard(const TIdfGeneratorOptions& o, std::string& library);
// Writes dir/name.emn and dir/name.emp; returns the board path.
std::string WriteIdfPair(const TIdfGeneratorOptions& o, const std::string& dir, const std::string& name);
