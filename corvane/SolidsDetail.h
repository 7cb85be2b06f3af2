// Shape helpers shared by the body's features (Solids.cpp) and its cuts in the plane
// (PlaneCut.cpp).
#pragma once

#include "corvane/Sketch2d.h"

#include <Message_ProgressIndicator.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax3.hxx>

#include <chrono>

namespace corvane::detail {

TopoDS_Vertex MakeVertex(const gp_Pnt& P, double Tol);
TopoDS_Wire MakeCircleWire(const gp_Ax3& Frame, TPoint2 C, double R, bool Ccw);
// The loop in the coordinates of another frame on a parallel plane.
TLoop MapLoop(const TLoop& L, const gp_Ax3& From, const gp_Ax3& To);
// A copy of a cap with the same surface, place and wires, forward so that wires added to it
// keep their own orientation; the caller restores the cap's orientation.
TopoDS_Face CopyCap(const TopoDS_Face& F);
gp_Dir PlaneNormal(const TopoDS_Face& F);

// Answers OpenCASCADE's question "stop?" from the host's stop poll, at most every 50 ms.
class TStopIndicator : public Message_ProgressIndicator {
 public:
  Standard_Boolean UserBreak() override;
  void Show(const Message_ProgressScope&, const Standard_Boolean) override {}
  bool Stopped() const { return FStopped; }

 private:
  std::chrono::steady_clock::time_point FNext{};
  bool FStopped = false;
};

// The host's stop poll between the steps of a long feature, at most every 50 ms.
class TStepStop {
 public:
  bool operator()();

 private:
  std::chrono::steady_clock::time_point FNext{};
};

}  // namespace corvane::detail
