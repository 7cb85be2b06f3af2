#pragma once
// A host instance that one step starts and ends: whichever way the step leaves, the instance is
// terminated and its hook disconnected, and a terminate that fails is reported, never lost.
#include <functional>
#include <memory>
#include <string>

#include "host/CorvaneX_TLB.h"

class THostInstance {
 public:
  // Gets the host's error text of a failed terminate. Without one the failure is dropped: only
  // for an instance that outlives every log.
  using TReport = std::function<void(const std::string& ErrorText)>;
  explicit THostInstance(TReport ReportFailedTerminate) : fReport(std::move(ReportFailedTerminate)) {}
  ~THostInstance() { End(); }
  THostInstance(const THostInstance&) = delete;
  THostInstance& operator=(const THostInstance&) = delete;

  // Terminates the root (once) and disconnects the hook; the step may end it early.
  void End();

  CorvaneX_TLB::TAutomationHook Hook;
  std::shared_ptr<CorvaneX_TLB::ICVRoot> Root;  // set by whoever connects; empty when none started

 private:
  TReport fReport;
};
