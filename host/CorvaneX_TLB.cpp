#include "host/CorvaneX_TLB.h"

#include <mutex>

namespace CorvaneX_TLB {

double VarToDouble(const CVVariant& v) {
  if (auto d = std::get_if<double>(&v)) return *d;
  if (auto i = std::get_if<int32_t>(&v)) return *i;
  throw ECVHostError("Type mismatch: a number was expected");
}

int32_t VarToInt(const CVVariant& v) {
  if (auto i = std::get_if<int32_t>(&v)) return *i;
  if (auto d = std::get_if<double>(&v)) return static_cast<int32_t>(*d);
  throw ECVHostError("Type mismatch: a whole number was expected");
}

std::string VarToString(const CVVariant& v) {
  if (auto s = std::get_if<std::string>(&v)) return *s;
  if (auto i = std::get_if<int32_t>(&v)) return std::to_string(*i);
  if (auto d = std::get_if<double>(&v)) return std::to_string(*d);
  return {};
}

namespace {
struct TServerRegistry {
  std::mutex Lock;
  TAutomationServerFactory Factory;
  std::weak_ptr<IAutomationHook> Running;
};
TServerRegistry& Registry() {
  static TServerRegistry r;
  return r;
}
}  // namespace

void RegisterAutomationServer(TAutomationServerFactory Factory) {
  auto& r = Registry();
  std::lock_guard g(r.Lock);
  r.Factory = std::move(Factory);
  r.Running.reset();
}

namespace {
THostStopPoll& StopPoll() {
  static THostStopPoll poll;
  return poll;
}
}  // namespace

void SetHostStopPoll(THostStopPoll Poll) { StopPoll() = std::move(Poll); }

bool HostStopRequested() { return StopPoll() && StopPoll()(); }

bool AutomationServerRegistered() {
  auto& r = Registry();
  std::lock_guard g(r.Lock);
  return static_cast<bool>(r.Factory);
}

void TAutomationHook::Connect() {
  if (FIntf) return;
  auto& r = Registry();
  std::lock_guard g(r.Lock);
  if (ConnectKind == ckRunningOrNew) FIntf = r.Running.lock();
  if (!FIntf) {
    if (!r.Factory) throw ECVHostError("No Corvane host is registered on this system");
    FIntf = r.Factory();
    if (!FIntf) throw ECVHostError("The Corvane host could not be started");
    r.Running = FIntf;
  }
}

void TAutomationHook::Disconnect() { FIntf.reset(); }

std::shared_ptr<IAutomationHook> TAutomationHook::DefaultInterface() {
  Connect();
  return FIntf;
}

}  // namespace CorvaneX_TLB
