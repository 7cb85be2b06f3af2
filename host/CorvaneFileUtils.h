#pragma once
// Saving host sessions under a full file name.
#include <memory>
#include <string>

#include "host/CorvaneX_TLB.h"

namespace CorvaneFileUtils {

// Saves into the file's folder under its name without extension (the host adds its own).
// A host error reaches the caller: the old file stays in place when a save fails, so its
// presence says nothing.
void SaveAs(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName);
// SaveAs, then Close(false) when aClose; errors of Close reach the caller.
void SaveAsAndClose(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFilename,
                    bool aClose);

// Why the file at aPath cannot be a part file ("is empty", "is not a readable part file"), or
// empty when it looks like one: a STEP file, by its first bytes.
std::string PartFileFault(const std::string& aPath);

}  // namespace CorvaneFileUtils
