#include "host/CorvanePartUtils.h"

#include <numbers>

namespace CorvanePartUtils {

namespace {
std::shared_ptr<ICVGeometryFactory> Factory(const std::shared_ptr<ICVAssemblySession>& Session) {
  auto session = std::dynamic_pointer_cast<ICVSession>(Session);
  return session ? session->Get_GeometryFactory() : nullptr;
}

TXform Rotation(const std::shared_ptr<ICVAssemblySession>& Session, double ax, double ay, double az, double px,
                double py, double pz, double radians) {
  auto f = Factory(Session);
  if (!f) return nullptr;
  auto axis = f->CreateVector(ax, ay, az);
  auto point = f->CreatePoint(px, py, pz);
  return f->CreateRotationTransform(axis, point, radians);
}
}  // namespace

TXform CreateMoveXform(const std::shared_ptr<ICVAssemblySession>& Session, double x, double y, double z) {
  auto f = Factory(Session);
  return f ? f->CreateTranslationTransformByXYZ(x, y, z) : nullptr;
}

TXform CreateRotateXform(const std::shared_ptr<ICVAssemblySession>& Session, double x, double y, double angle) {
  return Rotation(Session, 0, 0, 1, x, y, 0, angle * std::numbers::pi / 180);
}

TXform CreateBottomLayerRotateXform(const std::shared_ptr<ICVAssemblySession>& Session, double y,
                                    double BoardThickness) {
  return Rotation(Session, 1, 0, 0, 0, y, BoardThickness, std::numbers::pi);
}

TPlacementXforms CreatePartPlacementTransforms(const std::shared_ptr<ICVAssemblySession>& Session, bool aTop, double ax,
                                               double ay, double aBoardThickness, double aRot) {
  TPlacementXforms x;
  if (aTop) {
    x.Placement = CreateMoveXform(Session, ax, ay, 0);
    x.Rotation = CreateRotateXform(Session, ax, ay, aRot);
    return x;
  }
  x.Placement = CreateMoveXform(Session, ax, ay, -aBoardThickness);
  x.Rotation = CreateRotateXform(Session, ax, ay, 180 - aRot);
  x.Bottom = CreateBottomLayerRotateXform(Session, ay, -aBoardThickness);
  return x;
}

}  // namespace CorvanePartUtils
