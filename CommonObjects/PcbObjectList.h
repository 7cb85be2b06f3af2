#pragma once
// Outline elements: lines, arcs, circles and holes with their angle arithmetic.
#include <string>

#include "IdfEnums.h"
#include "MathUtils.h"

class TOutlineObject {
 public:
  TOutlineObject() = default;
  TOutlineObject(TElementType aElement, double aX1, double aY1, double aX2, double aY2, double aXC,
                 double aYC, double aRad, double aStartAngle, double aEndAngle, bool aIsCw);
  static TOutlineObject CreateFromRecord(const TOutlineObject& aRec);

  void SwapPoints();
  void AddProperties(const TOutlineObject& aRec);
  static int GetQuadrant(double xp, double yp, double xc, double yc);
  static double GetAngleOnAxis(double xp, double yp, double xc, double yc, double tol);
  static double CalculateAngle(double xp, double yp, double xc, double yc, double tol);
  void CalculateArcAnglesUsingEndPointsWithTolerance(double aTol);
  void CalculateArcAnglesUsingEndPoints() { CalculateArcAnglesUsingEndPointsWithTolerance(0); }
  void ScaleObject(double aFactor);
  void MirrorObject(bool AroundX, bool AroundY, bool ReverseArcs);
  bool HoleFilterTest(bool aIsGreaterThan, double aHoleFilerDiameterValue, double aTolerance) const;

  TElementType FElement = etLine;
  double FX1 = 0, FY1 = 0;
  double FX2 = 0, FY2 = 0;
  double FXC = 0, FYC = 0;
  double FRad = 0;
  double FStartAngle = 0, FEndAngle = 0;
  int FLoopLabel = 0;
  bool FIsCw = false;
  bool FIsMountingHole = false, FIsVia = false, FIsKeepout = false;
  std::string FKeepoutType, FComment, FFontName, fLayerName, fNetName;
  TIdfHoleType FIdfHoleType = htIdfOther;
  bool FPlated = false;
  double fWidthOrHeight = 0, FHoleSize = 0, fTextHeight = 0;
  bool fIsTtFont = false, fTextIsBold = false, fTextIsItalic = false;
  double fTextWidthFactor = 1.0, fTextHeightFactor = 1.0;
};
