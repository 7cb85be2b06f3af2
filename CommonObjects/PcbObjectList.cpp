#include "PcbObjectList.h"

#include <cmath>

TOutlineObject::TOutlineObject(TElementType aElement, double aX1, double aY1, double aX2, double aY2,
                               double aXC, double aYC, double aRad, double aStartAngle,
                               double aEndAngle, bool aIsCw)
    : FElement(aElement), FX1(aX1), FY1(aY1), FX2(aX2), FY2(aY2), FXC(aXC), FYC(aYC), FRad(aRad),
      FStartAngle(aStartAngle), FEndAngle(aEndAngle), FIsCw(aIsCw) {
  switch (FElement) {
    case etArc:
      // The reader passes arcs as end points and centre only.
      if (FRad == 0 && FStartAngle == 0 && FEndAngle == 0)
        CalcArcDetails(FXC, FYC, FX1, FY1, FX2, FY2, FRad, FStartAngle, FEndAngle);
      break;
    case etCircle:
      FX1 = FXC - FRad;
      FY1 = FYC - FRad;
      FX2 = FXC + FRad;
      FY2 = FYC + FRad;
      FStartAngle = 0;
      FEndAngle = 360;
      break;
    default:
      break;
  }
}

TOutlineObject TOutlineObject::CreateFromRecord(const TOutlineObject& aRec) {
  TOutlineObject o(aRec.FElement, aRec.FX1, aRec.FY1, aRec.FX2, aRec.FY2, aRec.FXC, aRec.FYC,
                   aRec.FRad, aRec.FStartAngle, aRec.FEndAngle, aRec.FIsCw);
  o.AddProperties(aRec);
  return o;
}

void TOutlineObject::SwapPoints() {
  std::swap(FX1, FX2);
  std::swap(FY1, FY2);
  FIsCw = !FIsCw;
  CalculateArcAnglesUsingEndPointsWithTolerance(0);
}

void TOutlineObject::AddProperties(const TOutlineObject& aRec) {
  FLoopLabel = aRec.FLoopLabel;
  FIsCw = aRec.FIsCw;
  FIsMountingHole = aRec.FIsMountingHole;
  FIsVia = aRec.FIsVia;
  FIsKeepout = aRec.FIsKeepout;
  FKeepoutType = aRec.FKeepoutType;
  FComment = aRec.FComment;
  FFontName = aRec.FFontName;
  fLayerName = aRec.fLayerName;
  fNetName = aRec.fNetName;
  FIdfHoleType = aRec.FIdfHoleType;
  FPlated = aRec.FPlated;
  fWidthOrHeight = aRec.fWidthOrHeight;
  FHoleSize = aRec.FHoleSize;
  fTextHeight = aRec.fTextHeight;
  fIsTtFont = aRec.fIsTtFont;
  fTextIsBold = aRec.fTextIsBold;
  fTextIsItalic = aRec.fTextIsItalic;
  fTextWidthFactor = aRec.fTextWidthFactor;
  fTextHeightFactor = aRec.fTextHeightFactor;
}

// Counter-clockwise numbering: 1 upper right, 2 upper left, 3 lower left, 4 lower right.
int TOutlineObject::GetQuadrant(double xp, double yp, double xc, double yc) {
  int q = 1;
  if (xp >= xc && yp >= yc) q = 1;
  if (xp < xc && yp > yc) q = 2;
  if (xp <= xc && yp <= yc) q = 3;
  if (xp > xc && yp < yc) q = 4;
  return q;
}

double TOutlineObject::GetAngleOnAxis(double xp, double yp, double xc, double yc, double tol) {
  if (SameValue(xp, 0, tol) && SameValue(yp, 0, tol) && SameValue(xc, 0, tol) && SameValue(yc, 0, tol))
    return 0;
  if (SameValue(yp, yc, tol) && xp > xc) return 0;
  if (SameValue(xp, xc, tol) && yp > yc) return 90;
  if (SameValue(yp, yc, tol) && xp < xc) return 180;
  if (SameValue(xp, xc, tol) && yp < yc) return 270;
  return -1;
}

double TOutlineObject::CalculateAngle(double xp, double yp, double xc, double yc, double tol) {
  double a = GetAngleOnAxis(xp, yp, xc, yc, tol);
  if (a != -1) return a;
  if (xp == xc) return -1;
  double b = std::atan(std::fabs(yp - yc) / std::fabs(xp - xc)) * 180.0 / kPi;
  switch (GetQuadrant(xp, yp, xc, yc)) {
    case 1: return b;
    case 2: return 180.0 - b;
    case 3: return 180.0 + b;
    default: return 360.0 - b;
  }
}

void TOutlineObject::CalculateArcAnglesUsingEndPointsWithTolerance(double aTol) {
  FStartAngle = CalculateAngle(FX1, FY1, FXC, FYC, aTol);
  FEndAngle = CalculateAngle(FX2, FY2, FXC, FYC, aTol);
}

void TOutlineObject::ScaleObject(double aFactor) {
  for (double* f : {&FX1, &FY1, &FX2, &FY2, &FXC, &FYC, &FRad, &fWidthOrHeight, &FHoleSize, &fTextHeight})
    *f *= aFactor;
}

void TOutlineObject::MirrorObject(bool AroundX, bool AroundY, bool ReverseArcs) {
  if (AroundX) {
    FX1 = -FX1;
    FX2 = -FX2;
    FXC = -FXC;
  }
  if (AroundY) {
    FY1 = -FY1;
    FY2 = -FY2;
    FYC = -FYC;
  }
  if ((AroundX || AroundY) && ReverseArcs && FElement == etArc) FIsCw = !FIsCw;
}

bool TOutlineObject::HoleFilterTest(bool aIsGreaterThan, double aHoleFilerDiameterValue,
                                    double aTolerance) const {
  int c = CompareValue(FRad, aHoleFilerDiameterValue / 2.0, aTolerance);
  return aIsGreaterThan ? c <= 0 : c >= 0;
}
