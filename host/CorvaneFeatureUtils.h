#pragma once
// Planes, bodies and faces of a host part, and the host's sketch analysis: the pieces the
// model building needs to know where a sketch goes.
#include <memory>
#include <string>
#include <vector>

#include "host/CorvaneX_TLB.h"

namespace CorvaneFeatureUtils {

using namespace CorvaneX_TLB;

// Tolerance of the sketch analysis, in centimetres.
constexpr double kSketchTolerance = 0.0001;
// How far a face normal may stray from +-Z and still count as the top or bottom.
constexpr double kNormalTolerance = 0.0001;

std::vector<std::shared_ptr<ICVDesignPlane>> GetPlanes(const std::shared_ptr<ICVDesignSession>& Session);
// Exactly (0, 0, 1): the part's own XY plane, not a plane that merely looks like it.
bool XyPlaneNormalTest(const std::shared_ptr<ICVVector>& Normal);
std::shared_ptr<ICVDesignPlane> GetXyPlane(const std::shared_ptr<ICVDesignSession>& Session);

std::shared_ptr<ICVBody> GetFirstBody(const std::shared_ptr<ICVPartSession>& Part);
std::vector<std::shared_ptr<ICVFace>> GetFaces(const std::shared_ptr<ICVBody>& Body);

bool TopNormalTest(double X, double Y, double Z);
bool BottomNormalTest(double X, double Y, double Z);
bool TopOrBottomSurfaceTest(const std::shared_ptr<ICVSurface>& Surface, bool aTop, bool SenseReversed);
std::shared_ptr<ICVFace> GetTopOrBottomFaceFromBody(const std::shared_ptr<ICVBody>& Body, bool aTop);

// Runs the host's analysis with healing and appends one line per problem category found,
// headed by the sketch's name; a clean sketch adds nothing.
void AnalyseAndFixSketch(const std::shared_ptr<ICVSketch>& Sketch, double Tol,
                         std::vector<std::string>& AnalysisResultList);

}  // namespace CorvaneFeatureUtils
