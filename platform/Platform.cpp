#include "platform/Platform.h"

#include <signal.h>
#include <atomic>
#include <clocale>
#include <csignal>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <locale>
#include <mutex>
#include <sstream>

namespace platform {

namespace {
std::mutex gServicesMutex;
std::shared_ptr<IPlatform> gServices;
std::atomic<char> gDecimalSeparator{'\0'};
}  // namespace

IPlatform& Services() {
  std::lock_guard<std::mutex> lock(gServicesMutex);
  if (!gServices) gServices = std::make_shared<TConsolePlatform>();
  return *gServices;
}

std::shared_ptr<IPlatform> SetServices(std::shared_ptr<IPlatform> services) {
  std::lock_guard<std::mutex> lock(gServicesMutex);
  auto old = gServices;
  gServices = std::move(services);
  return old;
}

char RegionalDecimalSeparator() {
  static const char regional = [] {
    try {
      std::locale user("");
      char c = std::use_facet<std::numpunct<char>>(user).decimal_point();
      return (c == ',' || c == '.') ? c : '.';
    } catch (...) {
      return '.';  // no usable locale on this machine
    }
  }();
  return regional;
}

char GetDecimalSeparator() {
  char c = gDecimalSeparator.load();
  return c ? c : RegionalDecimalSeparator();
}

void SetDecimalSeparator(char separator) { gDecimalSeparator.store(separator); }

std::string RegionalDateTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[64];
  // Short date and long time of the user's locale when it has them, else ISO-like.
  try {
    static const std::locale user("");
    std::ostringstream os;
    os.imbue(user);
    os << std::put_time(&local, "%x %X");
    return os.str();
  } catch (...) {
    std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M:%S", &local);
    return buf;
  }
}

namespace {
std::string FormatRegional(const std::tm& t, const char* localeFormat, const char* fallback) {
  try {
    std::locale user("");
    std::ostringstream os;
    os.imbue(user);
    os << std::put_time(&t, localeFormat);
    return os.str();
  } catch (...) {
    char buf[64];
    std::strftime(buf, sizeof buf, fallback, &t);
    return buf;
  }
}
}  // namespace

std::string RegionalShortDate(const std::tm& date) { return FormatRegional(date, "%x", "%d/%m/%Y"); }

std::string RegionalTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatRegional(local, "%X", "%H:%M:%S");
}

bool TConsolePlatform::FileDialog(TFileDialogRequest&) { return false; }
std::string TConsolePlatform::SelectFolder(const std::string&, const std::string&) { return {}; }
bool TConsolePlatform::SelectColour(int&) { return false; }

int TConsolePlatform::MessageDlg(const std::string& text, TMsgDlgType, TMsgDlgButtons buttons) {
  std::cerr << text << std::endl;
  if (buttons & mbNo) return mrNo;
  if (buttons & mbCancel) return mrCancel;
  return mrOk;
}

void TConsolePlatform::ShowMessage(const std::string& text) { std::cerr << text << std::endl; }

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void OnSigInt(int) { gInterrupted = 1; }
}  // namespace

void InstallInterruptHandler() {
  struct sigaction sa {};
  sa.sa_handler = OnSigInt;
  sigemptyset(&sa.sa_mask);
  // One-shot: if nothing polls for the stop, a second Ctrl-C still ends the program.
  sa.sa_flags = SA_RESETHAND;
  ::sigaction(SIGINT, &sa, nullptr);
}

bool TakeInterrupt() {
  if (!gInterrupted) return false;
  gInterrupted = 0;
  return true;
}

void TConsolePlatform::ProcessMessages() {
  if (TakeInterrupt() && OnInterrupt) OnInterrupt();
}

bool TConsolePlatform::ShowHelp(const std::string&, const std::string&, int) { return false; }

}  // namespace platform
