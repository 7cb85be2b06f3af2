#pragma once
#include <memory>

#include "CommonObjects/PcbObjectList.h"

inline std::shared_ptr<TOutlineObject> Line(double x1, double y1, double x2, double y2) {
  return std::make_shared<TOutlineObject>(etLine, x1, y1, x2, y2, 0, 0, 0, 0, 0, false);
}
inline std::shared_ptr<TOutlineObject> Arc(double x1, double y1, double x2, double y2, double xc, double yc, bool cw) {
  return std::make_shared<TOutlineObject>(etArc, x1, y1, x2, y2, xc, yc, 0, 0, 0, cw);
}
inline std::shared_ptr<TOutlineObject> Circle(double xc, double yc, double r) {
  return std::make_shared<TOutlineObject>(etCircle, 0, 0, 0, 0, xc, yc, r, 0, 360, false);
}
inline std::shared_ptr<TOutlineObject> Hole(double xc, double yc, double r) {
  return std::make_shared<TOutlineObject>(etHole, 0, 0, 0, 0, xc, yc, r, 0, 360, false);
}
