#include "host/CorvaneFileUtils.h"

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"

namespace CorvaneFileUtils {

void SaveAs(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName) {
  try {
    const CorvaneX_TLB::CVVariant folder(ExtractFileDir(aFileName));
    aSession->SaveAs(folder, RemoveExt(ExtractFileName(aFileName)));
  } catch (const std::exception&) {
  }
}

void SaveAsAndClose(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFilename,
                    bool aClose) {
  SaveAs(aSession, aFilename);
  if (aClose) aSession->Close(false);
}

}  // namespace CorvaneFileUtils
