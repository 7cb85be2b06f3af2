#pragma once
// Plane arithmetic of the outline geometry and the length-unit conversion.
#include "CommonObjects/IdfEnums.h"

struct T2DFloatPoint {
  double x = 0;
  double y = 0;
};

constexpr double kPi = 3.14159265358979323846;

double Radians(double Degrees);
double VectMag(const T2DFloatPoint& P1, const T2DFloatPoint& P2);
double VectMag(double X1, double Y1, double X2, double Y2);
// Centre of the arc from P1 to P2 with included angle ArcAngle (radians, positive = CCW).
void ArcOrigin(const T2DFloatPoint& P1, const T2DFloatPoint& P2, double ArcAngle, T2DFloatPoint& Result);
T2DFloatPoint ArcOrigin(const T2DFloatPoint& P1, const T2DFloatPoint& P2, double ArcAngle);
// Units without a factor count as one metre (source) or give 1.0 (target).
double ConvertToUnits(TUnitsType FromUnits, TUnitsType ToUnits, double Value);
// Radius and the angles of both end points about the centre, degrees in (-90, 270].
void CalcArcDetails(double CX, double CY, double StartX, double StartY, double EndX, double EndY, double& Radius,
                    double& StartAngle, double& EndAngle);

// a ~ b within t; t = 0 means equal to twelve significant digits.
bool SameValue(double a, double b, double t);
int CompareValue(double a, double b, double t);
