// Splitting a planar face with many holes into tiles for writing. Readers that heal every
// face spend time that grows much faster than the number of holes of one face; a grid of
// rectangular tiles, each with a few dozen holes, keeps that time near linear. The tiles lie
// inside the face's outline and no hole crosses their borders; what the tiles leave of the
// face (the band along the outline) stays one face.
#pragma once

#include <vector>

namespace corvane {

struct TTileBox {
  double X0, Y0, X1, Y1;
};

struct TTilePlan {
  std::vector<double> Xs, Ys;  // grid lines, increasing
  std::vector<char> Tile;      // per cell (column-major: i * (Ys.size() - 1) + j), 1 for a tile
  std::vector<int> WireCell;   // per inner loop: the cell it lies in, or -1 for the band

  int Columns() const { return static_cast<int>(Xs.size()) - 1; }
  int Rows() const { return static_cast<int>(Ys.size()) - 1; }
  bool IsTile(int i, int j) const { return i >= 0 && j >= 0 && i < Columns() && j < Rows() && Tile[i * Rows() + j]; }
};

// Outline: the face's outer loop as a closed polygon; Inner: the boxes of its inner loops;
// all in the plane's coordinates. False when no useful tiling exists.
bool PlanTiles(const std::vector<TTileBox>& Inner, const std::vector<std::pair<double, double>>& Outline,
               int MaxPerTile, TTilePlan& Plan);

}  // namespace corvane
