#include "host/CorvaneFileUtils.h"

#include <fstream>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"

namespace CorvaneFileUtils {

void SaveAs(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName,
            TSearchStringList* aDetailLog) {
  const CorvaneX_TLB::CVVariant folder(ExtractFileDir(aFileName));
  aSession->SaveAs(folder, RemoveExt(ExtractFileName(aFileName)));
  ReportSaveNote(aSession, aFileName, aDetailLog);
}

void SaveAsAndClose(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFilename,
                    bool aClose, TSearchStringList* aDetailLog) {
  SaveAs(aSession, aFilename, aDetailLog);
  if (aClose) aSession->Close(false);
}

void ReportSaveNote(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName,
                    TSearchStringList* aDetailLog) {
  if (!aDetailLog) return;
  const std::string note = aSession->Get_SaveNote();
  if (!note.empty()) aDetailLog->Add("Saved " + ExtractFileName(aFileName) + " | " + note);
}

std::string PartFileFault(const std::string& aPath) {
  std::ifstream in(aPath, std::ios::binary);
  if (!in) return "is not a readable part file";
  std::string head(64, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  if (head.empty()) return "is empty";
  const std::size_t start = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  if (start == std::string::npos || head.compare(start, 12, "ISO-10303-21") != 0) return "is not a readable part file";
  return {};
}

}  // namespace CorvaneFileUtils
