#pragma once
// Stand-in for the placement list of the placements unit, with the members the model building
// reads; removed when that unit lands.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PcbObjectList.h"

class TIdfPartPlacementObject {
 public:
  TIdfPartPlacementObject(const std::string& aDes, const std::string& aPackageName, const std::string& /*aComment*/,
                          double aX, double aY, double aRot, bool aTop)
      : FDes(aDes), FPackageName(aPackageName), FX(aX), FY(aY), FRotation(aRot), FTop(aTop) {}
  std::string FDes, FPackageName, FPartName, FActualPart;
  double FX = 0, FY = 0, FRotation = 0, FHeight = 0;
  bool FTop = true;
  bool FAutoPart = false;
  TBoardOutlineObjectList FOutlineList;
};

class TIdfPartPlacementObjectList {
 public:
  int Count() const { return static_cast<int>(fItems.size()); }
  int Add(std::unique_ptr<TIdfPartPlacementObject> p) {
    fItems.push_back(std::move(p));
    return Count() - 1;
  }
  void Clear() { fItems.clear(); }
  TIdfPartPlacementObject& GetPartRecord(int Index) const { return *fItems.at(static_cast<std::size_t>(Index)); }

 private:
  std::vector<std::unique_ptr<TIdfPartPlacementObject>> fItems;
};
