#pragma once
// Transforms that put a component on the top or bottom of the board at its IDF position and
// rotation. Each asks the assembly for its geometry factory; none gives nil transforms.
#include <memory>

#include "host/CorvaneX_TLB.h"

namespace CorvanePartUtils {

using namespace CorvaneX_TLB;
using TXform = std::shared_ptr<ICVTransformation>;

TXform CreateMoveXform(const std::shared_ptr<ICVAssemblySession>& Session, double x, double y, double z);
// About the vertical through (x, y, 0); angle in degrees.
TXform CreateRotateXform(const std::shared_ptr<ICVAssemblySession>& Session, double x, double y, double angle);
// Half a turn about the X-parallel line through (0, y, BoardThickness); callers pass -t.
TXform CreateBottomLayerRotateXform(const std::shared_ptr<ICVAssemblySession>& Session, double y,
                                    double BoardThickness);

struct TPlacementXforms {
  TXform Placement, Rotation, Bottom;  // Bottom is nil on the top side
};
TPlacementXforms CreatePartPlacementTransforms(const std::shared_ptr<ICVAssemblySession>& Session, bool aTop, double ax,
                                               double ay, double aBoardThickness, double aRot);

}  // namespace CorvanePartUtils
