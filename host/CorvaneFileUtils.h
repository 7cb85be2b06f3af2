#pragma once
// Saving host sessions under a full file name.
#include <memory>
#include <string>

#include "host/CorvaneX_TLB.h"

namespace CorvaneFileUtils {

// Saves into the file's folder under its name without extension (the host adds its own).
// A host error is swallowed; callers find out by the file's absence.
void SaveAs(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFileName);
// SaveAs, then Close(false) when aClose; errors of Close reach the caller.
void SaveAsAndClose(const std::shared_ptr<CorvaneX_TLB::ICVSession>& aSession, const std::string& aFilename,
                    bool aClose);

}  // namespace CorvaneFileUtils
