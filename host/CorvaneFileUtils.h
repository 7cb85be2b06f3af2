#pragma once
// Saving host sessions under a full file name.
#include <memory>
#include <string>

#include "CommonObjects/IdfStrUtils.h"
#include "host/CorvaneX_TLB.h"

namespace CorvaneFileUtils {

// Saves into the file's folder under its name without extension (the host adds its own).
// A host error reaches the caller: the old file stays in place when a save fails, so its
// presence says nothing. What the host notes on the save goes to aDetailLog when given.
void SaveAs(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName,
            TSearchStringList* aDetailLog = nullptr);
// SaveAs, then Close(false) when aClose; errors of Close reach the caller.
void SaveAsAndClose(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFilename,
                    bool aClose, TSearchStringList* aDetailLog = nullptr);
// The host's note on the last save of aSession (which wrote aFileName) as a line of aDetailLog.
void ReportSaveNote(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName,
                    TSearchStringList* aDetailLog);

// Why the file at aPath cannot be a part file ("is empty", "is not a readable part file"), or
// empty when it looks like one: a STEP file, by its first bytes.
std::string PartFileFault(const std::string& aPath);

}  // namespace CorvaneFileUtils
