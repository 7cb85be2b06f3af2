#include "bench/idf/IdfGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {
void Append(std::string& s, const char* fmt, double a, double b, double c) {
  char buf[160];
  int n = std::snprintf(buf, sizeof buf, fmt, a, b, c);
  s.append(buf, static_cast<std::size_t>(n));
}
}  // namespace

void ScaleToHoles(TIdfGeneratorOptions& o) {
  const double scale = std::max(1.0, std::sqrt(o.Holes / 1000.0));
  o.Width *= scale;
  o.Height *= scale;
}

std::string GenerateIdfBoard(const TIdfGeneratorOptions& o, std::string& library) {
  std::mt19937 rng(o.Seed);
  std::uniform_real_distribution<double> ux(2.0, o.Width - 2.0), uy(2.0, o.Height - 2.0);
  std::string b;
  b.reserve(static_cast<std::size_t>(o.Holes) * 48 + static_cast<std::size_t>(o.Placements) * 64 + 4096);
  b += ".HEADER\nBOARD_FILE 3.0 \"Corvane Generator\" 2026/12/09.12:00:00 1\ngenerated_board MM\n.END_HEADER\n";
  b += ".BOARD_OUTLINE MCAD\n1.6\n";
  Append(b, "0 %.3f %.3f %.1f\n", 0, 0, 0);
  Append(b, "0 %.3f %.3f %.1f\n", o.Width, 0, 0);
  Append(b, "0 %.3f %.3f %.1f\n", o.Width, o.Height, 0);
  Append(b, "0 %.3f %.3f %.1f\n", 0, o.Height, 0);
  Append(b, "0 %.3f %.3f %.1f\n", 0, 0, 0);
  b += ".END_BOARD_OUTLINE\n.DRILLED_HOLES\n";
  const int cols = std::max(1, static_cast<int>(std::ceil(std::sqrt(o.Holes * o.Width / o.Height))));
  const int rows = std::max(1, (o.Holes + cols - 1) / cols);
  const double cw = (o.Width - 4) / cols, ch = (o.Height - 4) / rows;
  std::mt19937 gridRng(7);
  std::uniform_real_distribution<double> jitter(-0.15, 0.15);
  static const char* kinds[] = {"PTH %s PIN ECAD",     "PTH BOARD VIA ECAD", "NPTH BOARD MTG MCAD",
                                "PTH BOARD TOOL MCAD", "NPTH %s PIN ECAD",   "PTH BOARD OTHER MCAD"};
  for (int i = 0; i < o.Holes; ++i) {
    // Hole sizes stay small; random positions drawn either way keep the placements the same.
    const double dia = (i % 7 == 0) ? 0.8 : 0.3;
    double x = ux(rng), y = uy(rng);
    if (o.Grid) {
      y = 2 + ch * (i / cols + 0.5 + jitter(gridRng));
      x = 2 + cw * (i % cols + 0.5 + jitter(gridRng));
    }
    Append(b, "%.3f %.4f %.4f ", dia, x, y);
    char tail[64];
    const int k = (i % 10 < 6) ? 1 : (i % 10 < 8) ? 0 : (i % 10 == 8) ? 4 : (i % 3 == 0 ? 2 : (i % 3 == 1 ? 3 : 5));
    std::snprintf(tail, sizeof tail, kinds[k], ("U" + std::to_string(i % 997 + 1)).c_str());
    b += tail;
    b += '\n';
  }
  b += ".END_DRILLED_HOLES\n.PLACEMENT\n";
  for (int i = 0; i < o.Placements; ++i) {
    const int pkg = i % (o.Packages > 0 ? o.Packages : 1);
    b += "PKG" + std::to_string(pkg) + " PN-" + std::to_string(pkg) + " U" + std::to_string(i + 1) + "\n";
    Append(b, "%.3f %.3f 0.0 ", ux(rng), uy(rng), 0);
    b += std::to_string((i % 4) * 90) + ".0 " + (i % 5 == 4 ? "BOTTOM" : "TOP") + " PLACED\n";
  }
  b += ".END_PLACEMENT\n";

  library.clear();
  library += ".HEADER\nLIBRARY_FILE 3.0 \"Corvane Generator\" 2026/12/09.12:00:00 1\n.END_HEADER\n";
  for (int p = 0; p < o.Packages; ++p) {
    const double w = 1.0 + (p % 5), h = 0.6 + (p % 3);
    library += ".ELECTRICAL\nPKG" + std::to_string(p) + " PN-" + std::to_string(p) + " MM " +
               std::to_string(0.5 + (p % 4)) + "\n";
    Append(library, "0 %.3f %.3f 0\n", -w / 2, -h / 2, 0);
    Append(library, "0 %.3f %.3f 0\n", w / 2, -h / 2, 0);
    Append(library, "0 %.3f %.3f 0\n", w / 2, h / 2, 0);
    Append(library, "0 %.3f %.3f 0\n", -w / 2, h / 2, 0);
    Append(library, "0 %.3f %.3f 0\n", -w / 2, -h / 2, 0);
    library += ".END_ELECTRICAL\n";
  }
  return b;
}

std::string WriteIdfPair(const TIdfGeneratorOptions& o, const std::string& dir, const std::string& name) {
  std::string lib;
  const std::string board = GenerateIdfBoard(o, lib);
  const std::string bp = dir + "/" + name + ".emn", lp = dir + "/" + name + ".emp";
  std::ofstream(bp, std::ios::binary) << board;
  std::ofstream(lp, std::ios::binary) << lib;
  if (!std::ifstream(bp) || !std::ifstream(lp)) throw std::runtime_error("cannot write " + bp);
  return bp;
}
