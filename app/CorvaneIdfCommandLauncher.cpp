#include "app/CorvaneIdfCommandLauncher.h"

#include "CommonObjects/WinUtils.h"
#include "host/CorvaneX_TLB.h"
#include "host/HostInstance.h"

namespace {
const char* const kAppKey = "Corvane\\IDF";
const char* const kProduct = "Corvane VAV Arizede";

// The dialog and the store it borrows, freed in the right order whatever happens.
struct TLaunch {
  explicit TLaunch(const TLaunchSetup& setup) : Store(setup.Medium) {
    Store.SetKey(kAppKey);
    Dialog = std::make_unique<TCorvaneIdfImport>();
    Dialog->FReg = &Store;
    Dialog->FAssyExt = ".CV_ASM";
    Dialog->FPartExt = ".CV_PRT";
  }
  ~TLaunch() {
    Dialog->FReg = nullptr;
    Dialog->fCorvaneRoot.reset();
    Dialog.reset();
  }
  TLaunch(const TLaunch&) = delete;
  TLaunch& operator=(const TLaunch&) = delete;
  TGetInfoFromRegistry Store;
  std::unique_ptr<TCorvaneIdfImport> Dialog;
};

// A root of a new host instance for a program that runs on its own; empty when no host is
// registered (the dialog then works up to the model building).
std::shared_ptr<CorvaneX_TLB::ICVRoot> NewHostRoot() {
  if (!CorvaneX_TLB::AutomationServerRegistered()) return nullptr;
  CorvaneX_TLB::TAutomationHook hook;
  hook.ConnectKind = CorvaneX_TLB::ckNewInstance;
  return std::dynamic_pointer_cast<CorvaneX_TLB::ICVRoot>(hook.DefaultInterface()->Get_Root());
}
}  // namespace

void RunIdfImport(bool aAbout, const TLaunchSetup& setup) {
  // No component-object library to initialise on this platform.
  TLaunch launch(setup);
  TCorvaneIdfImport& d = *launch.Dialog;
  // The About details need no host; the import gets a host instance of its own.
  // Ended after the dialog has shown its logs: an instance that is already gone needs no report.
  THostInstance host(nullptr);
  if (!aAbout) host.Root = NewHostRoot();
  d.fCorvaneRoot = host.Root;
  d.FHelpFileName = GetDLLPath(true) + "Help/" + "CorvaneIdf.chm";
  d.FHelpFile = d.FHelpFileName;
  d.AssignCommonSettings(kProduct);
  if (aAbout) {
    d.ShowAboutDetails(kProduct, "Corvane", "0");
    return;
  }
  if (setup.BeforeShow) setup.BeforeShow(d);
  d.ShowModal();
  if (setup.AfterShow) setup.AfterShow(d);
}

void Run_Import(int ActionIndex, const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root, const TLaunchSetup& setup) {
  TLaunch launch(setup);
  launch.Dialog->Run_Import(ActionIndex, Root);
}
