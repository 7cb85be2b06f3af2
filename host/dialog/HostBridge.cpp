// The calls into the host's automation interface made by the dialog itself.
#include "ValdrinIdfImportForm.h"

// Until the host interface is part of the build no object can be recognised as the host root,
// so a host request does nothing.
std::shared_ptr<CorvaneX_TLB::ICVRoot> TCorvaneIdfImport::QueryRoot(
    const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& /*Root*/) {
  return nullptr;
}

std::string TCorvaneIdfImport::RootVersionText() { return {}; }
