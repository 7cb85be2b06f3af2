#pragma once
// One component placement of the import: what the board file says about it, the part file it is
// bound to, and (on the first placement of each package) the package outline and height.
#include <memory>
#include <string>
#include <vector>

#include "CommonObjects/PcbObjectList.h"

class TIdfPartPlacementObject {
 public:
  TIdfPartPlacementObject(const std::string& aDes, const std::string& aPackageName, const std::string& aComment,
                          double aX, double aY, double aRot, bool aTop);
  virtual ~TIdfPartPlacementObject() = default;
  TIdfPartPlacementObject(const TIdfPartPlacementObject&) = delete;
  TIdfPartPlacementObject& operator=(const TIdfPartPlacementObject&) = delete;

  std::string FDes;
  std::string FPackageName;
  std::string FComment;  // the IDF part number
  double FX = 0, FY = 0;
  double FRotation = 0;  // degrees, as the record gives it
  double FHeight = 0;    // 0: no library section gave one
  bool FTop = true;
  std::string FPartFolder;  // with its trailing delimiter, or empty
  std::string FPartName;
  std::string FPartExt;
  std::string FPartConfig;
  std::string FAttributeName;
  std::string FActualPart;  // the file that will be placed
  bool FAutoPart = false;
  bool FIsElectrical = true;
  int FPlaceSectionIndex = 0;
  double FIdfOffset = 0;
  TBoardOutlineObjectList FOutlineList;
};

// Owns its placements; insertion order is the board file's order.
class TIdfPartPlacementObjectList {
 public:
  int Count() const { return static_cast<int>(fItems.size()); }
  bool Empty() const { return fItems.empty(); }
  void Clear() { fItems.clear(); }
  int Add(std::unique_ptr<TIdfPartPlacementObject> aPlacement);
  // Raises EListIndexError outside 0..Count()-1.
  TIdfPartPlacementObject& GetPartRecord(int Index) const;
  // First placement whose package equals the name, ASCII letters folded; -1 when none.
  int GetIndexOfPackageName(const std::string& aPackageName) const;
  // Clears the electrical flag on every placement of that package.
  void SetAsMechPart(const std::string& PackageName);

  std::vector<std::unique_ptr<TIdfPartPlacementObject>>::const_iterator begin() const { return fItems.begin(); }
  std::vector<std::unique_ptr<TIdfPartPlacementObject>>::const_iterator end() const { return fItems.end(); }

 private:
  std::vector<std::unique_ptr<TIdfPartPlacementObject>> fItems;
};
