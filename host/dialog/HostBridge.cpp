// The calls into the host's automation interface made by the dialog itself.
#include "host/CorvaneX_TLB.h"
#include "host/dialog/ValdrinIdfImportForm.h"

std::shared_ptr<CorvaneX_TLB::ICVRoot> TCorvaneIdfImport::QueryRoot(
    const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root) {
  return std::dynamic_pointer_cast<CorvaneX_TLB::ICVRoot>(Root);
}

std::string TCorvaneIdfImport::RootVersionText() { return fCorvaneRoot ? fCorvaneRoot->Get_version() : std::string(); }
