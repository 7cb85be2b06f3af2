#pragma once
// What an outline list may send to a host sketch. Figures that cannot be real (not finite,
// absurdly far or large) must never reach the modelling kernel, and one bad figure must cost
// only that figure (or its loop), never the whole sketch.
#include <string>
#include <vector>

#include "CommonObjects/PcbObjectList.h"

namespace figurechecks {

// Lengths beyond this many centimetres (10 km) are taken as damaged input.
constexpr double kLengthLimit = 1e6;
// Finite and within kLengthLimit: a length, position or angle the kernel may be given.
bool InRange(double V);
// A number as the refusal messages print it ("1.5", "1e+307", "inf").
std::string NumberText(double V);

// The figures of List fit for a sketch, in order. A hole or circle with no size, or any figure
// with a value out of range, is left out; a line or arc out of range takes its whole loop with
// it, since the loop cannot close without it. One text per refusal is added to Problems.
void SketchableFigures(const TBoardOutlineObjectList& List, double Tol, const std::string& Unit,
                       TBoardOutlineObjectList& Kept, std::vector<std::string>& Problems);

// The loops of a board outline (label 0 the outer loop, the others cut-outs) that can be built:
// closed within Tol, enclosing an area, and, for cut-outs, neither covering the outer loop nor
// lying outside it (that loop would add a solid of its own, not take material away). Problems
// gets one text per loop left out; returns false when the outer loop itself cannot be built.
bool BuildableBoardLoops(const TBoardOutlineObjectList& List, double Tol, const std::string& Unit,
                         TBoardOutlineObjectList& Kept, std::vector<std::string>& Problems);

}  // namespace figurechecks
