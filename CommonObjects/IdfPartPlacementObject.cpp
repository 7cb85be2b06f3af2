#include "CommonObjects/IdfPartPlacementObject.h"

#include "CommonObjects/IdfStrUtils.h"
#include "platform/Platform.h"

TIdfPartPlacementObject::TIdfPartPlacementObject(const std::string& aDes, const std::string& aPackageName,
                                                 const std::string& aComment, double aX, double aY, double aRot,
                                                 bool aTop) {
  try {
    FDes = aDes;
    FPackageName = aPackageName;
    FComment = aComment;
    FX = aX;
    FY = aY;
    FRotation = aRot;
    FTop = aTop;
  } catch (const std::exception&) {
    // Only running out of memory gets here; the caller keeps the object as far as it got.
    platform::Services().MessageDlg("Exception creating placement object", platform::TMsgDlgType::mtError,
                                    platform::mbOK);
  }
}

int TIdfPartPlacementObjectList::Add(std::unique_ptr<TIdfPartPlacementObject> aPlacement) {
  fItems.push_back(std::move(aPlacement));
  return Count() - 1;
}

TIdfPartPlacementObject& TIdfPartPlacementObjectList::GetPartRecord(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListIndexError("List index out of bounds (" + std::to_string(Index) + ")");
  return *fItems[static_cast<std::size_t>(Index)];
}

int TIdfPartPlacementObjectList::GetIndexOfPackageName(const std::string& aPackageName) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextAscii(fItems[static_cast<std::size_t>(i)]->FPackageName, aPackageName)) return i;
  return -1;
}

void TIdfPartPlacementObjectList::SetAsMechPart(const std::string& PackageName) {
  for (const auto& p : fItems)
    if (SameTextAscii(p->FPackageName, PackageName)) p->FIsElectrical = false;
}
