// Solid modelling behind the part features, on OpenCASCADE. Lengths in centimetres.
#pragma once

#include "corvane/Sketch2d.h"

#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax3.hxx>
#include <gp_Vec.hxx>

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
                                         const std::vector<TLoop>& Loops, const std::vector<TRegion>& Regions);

// The body of a part with a feature tag per face, so faces keep the order of the
// features that made them (the base extrusion's faces first).
class TBodyState {
 public:
  bool IsEmpty() const { return FShape.IsNull(); }
  const TopoDS_Shape& Shape() const { return FShape; }
  const std::vector<TopoDS_Face>& Faces();

  // Each returns an empty text on success, else why the body stays as it was.
  std::string AddBoss(int Tag, const gp_Ax3& Frame, const std::vector<TFigure>& Figures,
                      const std::vector<TLoop>& Loops, const std::vector<TRegion>& Regions, const gp_Vec& Extrusion);
  // Depth <= 0 cuts through all in Direction.
  std::string Cut(int Tag, const gp_Ax3& Frame, const std::vector<TFigure>& Figures, const std::vector<TLoop>& Loops,
                  const std::vector<TRegion>& Regions, const gp_Dir& Direction, double Depth);

  // Off: only disjoint round holes are cut in the plane (benchmarks compare the two).
  static inline bool PlaneCuts = true;
  // How the last cut was made; for benchmarks and tests.
  bool LastCutWasFast() const { return FLastCutFast; }
  // Why holes of the last cut took the general boolean, one reason a line with its count.
  const std::string& LastCutNote() const { return FLastCutNote; }

 private:
  // Faces keep the tag of the surface they lie on; faces on new surfaces get NewTag.
  void SetShape(const TopoDS_Shape& S, int NewTag);
  // The same for a body that holds every face of the last one and the faces Added.
  void SetShapeAdding(const TopoDS_Shape& S, const std::vector<TopoDS_Face>& Added, int NewTag);
  // One boolean of the body with the sketch's regions.
  std::string GeneralCut(int Tag, const gp_Ax3& Frame, const std::vector<TFigure>& Figures,
                         const std::vector<TLoop>& Loops, const std::vector<TRegion>& Regions, const gp_Dir& Direction,
                         double Depth);
  // Round holes through the slab, cut in the plane (PlaneCut.cpp). False when the cut is not
  // of that kind; else Error tells whether it was made.
  bool TryPlaneCut(int Tag, const gp_Ax3& Frame, const std::vector<TFigure>& Figures, const std::vector<TLoop>& Loops,
                   const gp_Dir& Direction, std::string& Error);

  TopoDS_Shape FShape;
  std::unordered_map<const Geom_Surface*, int> FTags;
  std::vector<TopoDS_Face> FFaces;
  bool FFacesValid = false;
  bool FLastCutFast = false;
  std::string FLastCutNote;
  void Note(const std::string& Why, size_t Holes);

  // While the body between its two cap planes is a straight prism (bosses only stand on
  // the caps, facing away; cuts go right through), round holes are cut in the plane: each
  // group of overlapping holes clear of everything already in the caps becomes another inner
  // wire of both caps and a wall of cylinder pieces, holes over the outline reshape the outer
  // wire and its walls; only holes that meet openings or bosses take a boolean.
  struct TSlab {
    bool Valid = false;
    gp_Ax3 Frame;                // the base cap's plane
    gp_Vec Extrusion;            // from the base cap to the other one
    TLoop Outer;                 // in Frame coordinates, as are the others
    std::vector<TLoop> Blocked;  // openings and footprints that holes must keep clear of
  } FSlab;
  // What the last cut in the plane made of the body, while the body is still its result: the
  // next cut takes the caps from here, as looking for them among the faces would compute the
  // parameter bounds of every wire of the caps, one a hole.
  struct TCaps {
    TopoDS_Shape Body;  // the body these belong to
    TopoDS_Shape Solid;
    TopoDS_Face Bottom, Top;
    TopoDS_Wire OuterBottom, OuterTop;  // null where not known yet
    std::vector<TopoDS_Face> Kept, Small;
    std::vector<TopoDS_Shape> Others;
  } FCaps;
  bool StandsOnCap(const gp_Ax3& Frame, const gp_Dir& Direction) const;
  bool SlabOnCutSide(const gp_Ax3& Frame, const gp_Dir& Direction) const;
  void Block(const gp_Ax3& Frame, const std::vector<TLoop>& Loops, const std::vector<TRegion>& Regions);
};

}  // namespace corvane
