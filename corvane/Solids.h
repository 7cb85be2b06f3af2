// Solid modelling behind the part features, on OpenCASCADE. Lengths in centimetres.
#pragma once

#include "Sketch2d.h"

#include <gp_Ax3.hxx>
#include <gp_Vec.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>

#include <string>
#include <unordered_map>
#include <vector>

class Geom_Surface;

namespace corvane {

// Sketch coordinates: origin and X direction of the frame; the frame's main direction is
// the sketch normal.
gp_Pnt SketchToWorld(const gp_Ax3& Frame, TPoint2 P);
TPoint2 WorldToSketch(const gp_Ax3& Frame, const gp_Pnt& P);

// Planar faces, one per region, whose normal is the frame's main direction.
std::vector<TopoDS_Face> MakeRegionFaces(const gp_Ax3& Frame, const std::vector<TFigure>& Figures,
                                         const std::vector<TLoop>& Loops,
                                         const std::vector<TRegion>& Regions);

// The body of a part with a feature tag per face, so faces keep the order of the
// features that made them (the base extrusion's faces first).
class TBodyState {
public:
  bool IsEmpty() const { return FShape.IsNull(); }
  const TopoDS_Shape& Shape() const { return FShape; }
  const std::vector<TopoDS_Face>& Faces();

  // Each returns an empty text on success, else why the body stays as it was.
  std::string AddBoss(int Tag, const gp_Ax3& Frame, const std::vector<TFigure>& Figures,
                      const std::vector<TLoop>& Loops, const std::vector<TRegion>& Regions,
                      const gp_Vec& Extrusion);
  // Depth <= 0 cuts through all in Direction.
  std::string Cut(int Tag, const gp_Ax3& Frame, const std::vector<TFigure>& Figures,
                  const std::vector<TLoop>& Loops, const std::vector<TRegion>& Regions,
                  const gp_Dir& Direction, double Depth);

  // How the last cut was made; for benchmarks and tests.
  bool LastCutWasFast() const { return FLastCutFast; }

private:
  // Faces keep the tag of the surface they lie on; faces on new surfaces get NewTag.
  void SetShape(const TopoDS_Shape& S, int NewTag);
  bool InitPrism(const TopoDS_Shape& Solid, const TopoDS_Face& Base, const gp_Vec& Extrusion);
  bool TryFastCut(int Tag, const gp_Ax3& Frame, const std::vector<TLoop>& Loops,
                  const gp_Dir& Direction);

  TopoDS_Shape FShape;
  std::unordered_map<const Geom_Surface*, int> FTags;
  std::vector<TopoDS_Face> FFaces;
  bool FFacesValid = false;
  bool FLastCutFast = false;

  // While the body is a single straight prism of one planar region, holes through it are
  // added by giving both caps another inner wire and the shell a cylinder wall, with no
  // boolean at all.
  struct TPrism {
    bool Valid = false;
    gp_Ax3 Frame;    // the base cap's plane
    gp_Vec Extrusion;
    TopoDS_Face Bottom, Top;         // as oriented in the shell
    std::vector<TopoDS_Face> Walls;  // every other face, as oriented in the shell
    std::vector<TLoop> Loops; // [0] is the outer boundary, in Frame coordinates
  } FPrism;
};

} // namespace corvane
