#pragma once
// The launcher and the host-facing entry: they create the settings store and the import
// dialog, run the request and free both.
#include <functional>
#include <memory>

#include "CommonObjects/GetRegInfoExt.h"
#include "host/dialog/ValdrinIdfImportForm.h"

struct TLaunchSetup {
  // Where the settings live; the per-user settings file when empty.
  std::shared_ptr<IRegistryMedium> Medium;
  // Around the modal dialog: a batch run gives its options here and reads the results.
  std::function<void(TCorvaneIdfImport&)> BeforeShow;
  std::function<void(TCorvaneIdfImport&)> AfterShow;
};

// aAbout: the About details only; otherwise the import dialog.
void RunIdfImport(bool aAbout, const TLaunchSetup& setup = {});
// The host's request (0 dialog, 1 About, 2 help, 3 About test) with the host's root object.
void Run_Import(int ActionIndex, const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root, const TLaunchSetup& setup = {});
