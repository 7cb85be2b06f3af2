// Reads the host's files back with OpenCASCADE, in millimetres, for checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace readback {

struct TBox {
  double X0, Y0, Z0, X1, Y1, Z1;
};

struct TSolidFacts {
  std::string Name;
  int32_t Color = -1;  // 0x00BBGGRR or -1
  double Volume = 0;   // mm^3
  int Faces = 0;
  int MostInnerLoops = 0;  // of any one face
  // In every shell each face after the first shares an edge with a face before it: readers
  // that fix face orientation take quadratic time on shells in any other order.
  bool FacesConnectInOrder = false;
  TBox Box{};
  // Every face passes the shape check and every shell is closed and oriented; read without
  // the reader's shape fixing, which would repair a wrong file silently.
  bool Valid = false;
  std::string Invalid;  // what failed first
};

struct TComponentFacts {
  std::string Name;  // the instance's
  std::string PartName;
  int32_t Color = -1;
  TBox Box{};         // placed, mm
  double Volume = 0;  // mm^3
};

struct TAssemblyFacts {
  std::string Name;
  int DistinctParts = 0;
  std::vector<TComponentFacts> Components;
  std::vector<std::string> Warnings;  // what the reader found wrong in the file
};

// Files are read with shape fixing off; only missing parameter-space curves are computed.
TSolidFacts ReadPart(const std::string& Path);
TAssemblyFacts ReadAssembly(const std::string& Path);

// A plain STEP file of a box, as another CAD system would write it (millimetres).
void WriteForeignBox(const std::string& Path, double Dx, double Dy, double Dz, int Products = 1);
// The same, with a cylindrical hole through its middle, written in inches ("IN") or
// millimetres ("MM"); sizes in millimetres.
void WriteForeignDrilledBox(const std::string& Path, double Dx, double Dy, double Dz, double HoleRadius,
                            const std::string& Unit);

// Each side of the box within a thousandth of a millimetre.
inline void ExpectBox(const TBox& b, double x0, double y0, double z0, double x1, double y1, double z1) {
  EXPECT_NEAR(b.X0, x0, 1e-3);
  EXPECT_NEAR(b.Y0, y0, 1e-3);
  EXPECT_NEAR(b.Z0, z0, 1e-3);
  EXPECT_NEAR(b.X1, x1, 1e-3);
  EXPECT_NEAR(b.Y1, y1, 1e-3);
  EXPECT_NEAR(b.Z1, z1, 1e-3);
}

}  // namespace readback
