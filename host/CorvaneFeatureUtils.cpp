#include "host/CorvaneFeatureUtils.h"

#include <cmath>

namespace CorvaneFeatureUtils {

std::vector<std::shared_ptr<ICVDesignPlane>> GetPlanes(const std::shared_ptr<ICVDesignSession>& Session) {
  std::vector<std::shared_ptr<ICVDesignPlane>> planes;
  if (!Session) return planes;
  auto all = Session->Get_DesignPlanes();
  if (!all) return planes;
  const int32_t n = all->Get_Count();
  for (int32_t i = 0; i < n; ++i)
    if (auto p = all->Get_Item(CVVariant(i))) planes.push_back(std::move(p));
  return planes;
}

bool XyPlaneNormalTest(const std::shared_ptr<ICVVector>& Normal) {
  return Normal && Normal->Get_X() == 0 && Normal->Get_Y() == 0 && Normal->Get_Z() == 1;
}

std::shared_ptr<ICVDesignPlane> GetXyPlane(const std::shared_ptr<ICVDesignSession>& Session) {
  for (auto& p : GetPlanes(Session))
    if (XyPlaneNormalTest(p->Get_Normal())) return p;
  return nullptr;
}

std::shared_ptr<ICVBody> GetFirstBody(const std::shared_ptr<ICVPartSession>& Part) {
  if (!Part) return nullptr;
  auto bodies = Part->Get_Bodies();
  if (!bodies || bodies->Get_Count() <= 0) return nullptr;
  return bodies->Get_Item(CVVariant(int32_t(0)));
}

std::vector<std::shared_ptr<ICVFace>> GetFaces(const std::shared_ptr<ICVBody>& Body) {
  std::vector<std::shared_ptr<ICVFace>> faces;
  if (!Body) return faces;
  auto all = Body->Get_Faces();
  if (!all) return faces;
  const int32_t n = all->Get_Count();
  for (int32_t i = 0; i < n; ++i)
    if (auto f = std::dynamic_pointer_cast<ICVFace>(all->Get_Item(CVVariant(i)))) faces.push_back(std::move(f));
  return faces;
}

namespace {
bool Near(double a, double b) { return std::abs(a - b) <= kNormalTolerance; }
}  // namespace

bool TopNormalTest(double X, double Y, double Z) { return Near(X, 0) && Near(Y, 0) && Near(Z, 1); }
bool BottomNormalTest(double X, double Y, double Z) { return Near(X, 0) && Near(Y, 0) && Near(Z, -1); }

bool TopOrBottomSurfaceTest(const std::shared_ptr<ICVSurface>& Surface, bool aTop, bool SenseReversed) {
  if (!Surface) return false;
  auto point = Surface->PointAtParam(0.5, 0.5);
  if (!point) return false;
  auto normal = Surface->NormalAtPoint(point);
  if (!normal) return false;
  const double x = normal->Get_X(), y = normal->Get_Y();
  double z = normal->Get_Z();
  if (SenseReversed) z = -z;
  return aTop ? TopNormalTest(x, y, z) : BottomNormalTest(x, y, z);
}

std::shared_ptr<ICVFace> GetTopOrBottomFaceFromBody(const std::shared_ptr<ICVBody>& Body, bool aTop) {
  for (auto& face : GetFaces(Body))
    if (TopOrBottomSurfaceTest(face->Get_Geometry(), aTop, face->Get_IsSenseReversed())) return face;
  return nullptr;
}

void AnalyseAndFixSketch(const std::shared_ptr<ICVSketch>& Sketch, double Tol,
                         std::vector<std::string>& AnalysisResultList) {
  auto data = Sketch->Analyze(true, true, true, true, true, true, Tol);
  if (!data) return;
  std::vector<std::string> lines;
  auto add = [&lines](const std::shared_ptr<IObjectCollector>& c, const char* label) {
    const int32_t n = c ? c->Get_Count() : 0;
    if (n > 0) lines.push_back(label + std::to_string(n));
  };
  add(data->Get_DisjointEnds(), "Disjoint ends: ");
  add(data->Get_OpenLoops(), "Open Loops: ");
  add(data->Get_Intersections(), "Intersections: ");
  add(data->Get_OverLaps(), "Overlaps: ");
  add(data->Get_DegenerateFigures(), "Degenerate Figures: ");
  if (lines.empty()) return;
  AnalysisResultList.push_back("Sketch Analysis Results for : " + Sketch->Get_Name());
  AnalysisResultList.insert(AnalysisResultList.end(), lines.begin(), lines.end());
}

}  // namespace CorvaneFeatureUtils
