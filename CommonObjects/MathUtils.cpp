#include "CommonObjects/MathUtils.h"

#include <algorithm>
#include <cmath>

double Radians(double Degrees) { return Degrees * 2.0 * kPi / 360.0; }

double VectMag(const T2DFloatPoint& P1, const T2DFloatPoint& P2) { return VectMag(P1.x, P1.y, P2.x, P2.y); }

double VectMag(double X1, double Y1, double X2, double Y2) {
  return std::sqrt((X2 - X1) * (X2 - X1) + (Y2 - Y1) * (Y2 - Y1));
}

void ArcOrigin(const T2DFloatPoint& P1, const T2DFloatPoint& P2, double ArcAngle, T2DFloatPoint& Result) {
  const double h = VectMag(P1, P2) / 2.0;
  const double r = h / std::sin(ArcAngle / 2.0);
  const double theta = std::atan2(P2.y - P1.y, P2.x - P1.x);
  const double phi = (kPi - ArcAngle) / 2.0;
  Result.x = P1.x + r * std::cos(theta + phi);
  Result.y = P1.y + r * std::sin(theta + phi);
}

T2DFloatPoint ArcOrigin(const T2DFloatPoint& P1, const T2DFloatPoint& P2, double ArcAngle) {
  T2DFloatPoint c;
  ArcOrigin(P1, P2, ArcAngle, c);
  return c;
}

double ConvertToUnits(TUnitsType FromUnits, TUnitsType ToUnits, double Value) {
  double metres;
  switch (FromUnits) {
    case utMM: metres = Value / 1000.0; break;
    case utTHOU: metres = Value * 2.54e-5; break;
    case utINCH: metres = Value * 0.0254; break;
    case utMETRE: metres = Value; break;
    case utCM: metres = Value / 100.0; break;
    default: metres = 1.0; break;
  }
  switch (ToUnits) {
    case utMM: return metres * 1000.0;
    case utTHOU: return metres * 1000000.0 / 25.4;
    case utINCH: return metres * 1000.0 / 25.4;
    case utMETRE: return metres;
    case utCM: return metres * 100.0;
    default: return 1.0;
  }
}

namespace {
// Quadrants of the arc-detail convention: 1 upper right, 2 lower right, 3 lower left, 4 upper left.
int QuadrantA(double xp, double yp, double xc, double yc) {
  int q = 1;
  if (xp >= xc && yp >= yc) q = 1;
  if (xp > xc && yp < yc) q = 2;
  if (xp <= xc && yp <= yc) q = 3;
  if (xp < xc && yp > yc) q = 4;
  return q;
}

double CalcAngle(double Px, double Py, double CX, double CY) {
  double a = 0;
  if (Px != CX) {
    a = std::atan((Py - CY) / (Px - CX)) * 180.0 / kPi;
    if (!std::isfinite(a)) a = 0;
  }
  int q = QuadrantA(Px, Py, CX, CY);
  if (q == 3 || q == 4) a += 180.0;
  return a;
}

double GetAngle(double Px, double Py, double CX, double CY) {
  if (Px == CX && Py > CY) return 90.0;
  if (Px == CX && Py < CY) return 270.0;
  return CalcAngle(Px, Py, CX, CY);
}
}  // namespace

void CalcArcDetails(double CX, double CY, double StartX, double StartY, double EndX, double EndY, double& Radius,
                    double& StartAngle, double& EndAngle) {
  Radius = VectMag(CX, CY, StartX, StartY);
  StartAngle = GetAngle(StartX, StartY, CX, CY);
  EndAngle = GetAngle(EndX, EndY, CX, CY);
}

bool SameValue(double a, double b, double t) {
  if (t == 0) t = std::max(std::min(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
  return std::fabs(a - b) <= t;
}

int CompareValue(double a, double b, double t) {
  if (SameValue(a, b, t)) return 0;
  return a < b ? -1 : 1;
}
