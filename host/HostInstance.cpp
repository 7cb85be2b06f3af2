#include "host/HostInstance.h"

void THostInstance::End() {
  if (auto root = std::move(Root)) {
    try {
      root->Terminate();
    } catch (const std::exception& e) {
      if (fReport) fReport(e.what());
    } catch (...) {
      // Runs in destructors: nothing may leave.
      if (fReport) fReport("unknown error");
    }
  }
  Hook.Disconnect();
}
