#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/BatchCommand.h"
#include "app/CorvaneIdfCommandLauncher.h"
#include "platform/TerminalPlatform.h"
#ifdef CORVANE_IDF_WITH_QT
#include "app/GuiCommands.h"
#include "ui/QtFrontEnd.h"
#endif
#ifdef CORVANE_IDF_WITH_HOST
#include "corvane/CorvaneServer.h"
#endif

namespace {
#if defined(CORVANE_IDF_QT_PROGRAM) || defined(CORVANE_IDF_WITH_QT)
bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* v = std::getenv(name); v && *v) return true;
  return false;
}
#endif

#ifdef CORVANE_IDF_QT_PROGRAM
// The windows and the top-view picture need Qt, which this program does not load: the program
// beside it that has Qt takes over with the same arguments.
[[noreturn]] void HandOverToQt(char** argv) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string qt = (self.parent_path() / CORVANE_IDF_QT_PROGRAM).string();
  ::execv(qt.c_str(), argv);
  std::cerr << "corvane-idf: cannot start " << qt << ": " << std::strerror(errno) << "\n";
  std::exit(2);
}

bool WantsTopView(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--preview") return true;
  return false;
}
#endif

void PrintUsage(std::ostream& os) {
  os << "corvane-idf: IDF board import\n"
        "  corvane-idf                  about details\n"
        "  corvane-idf about            about details in a message box\n"
        "  corvane-idf import [BOARD]   the import dialog\n"
        "  corvane-idf --version        the version\n"
        "  corvane-idf --help           this text (corvane-idf batch --help: the batch options)\n"
        "  "
     << BatchUsage().substr(7) << "\n";
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef CORVANE_IDF_WITH_HOST
  corvane::RegisterCorvaneServer();
#endif
#ifdef CORVANE_IDF_QT_PROGRAM
  const bool withQt = args.empty()
                          ? DisplayAvailable() && ::isatty(0) == 0
                          : args[0] == "import" || args[0] == "about" || (args[0] == "batch" && WantsTopView(args));
  if (withQt) HandOverToQt(argv);
#endif
  if (args.empty()) {
#ifdef CORVANE_IDF_WITH_QT
    // Started from a desktop menu: no terminal to answer on, so a box.
    if (DisplayAvailable() && ::isatty(0) == 0) return RunAboutWindow(argc, argv);
#endif
    // The About details and their question go to the terminal.
    platform::SetServices(std::make_shared<platform::TTerminalPlatform>(std::cin, std::cout, ::isatty(0) != 0));
    RunIdfImport(true);
    return 0;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "batch") return RunBatch(args, std::cout, std::cerr, ::isatty(2) != 0);
  if (command == "import" || command == "about") {
#ifdef CORVANE_IDF_WITH_QT
    if (command == "about") return RunAboutWindow(argc, argv);
    if (args.size() > 1) {
      std::cerr << "corvane-idf: import takes at most one board file\n";
      return 2;
    }
    return RunImportWindow(argc, argv, args.empty() ? std::string() : args.front());
#else
    std::cerr << "corvane-idf: '" << command << "' needs the Qt front end, which this build leaves out\n";
    return 2;
#endif
  }
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(std::cout);
    return 0;
  }
  if (command == "--version") {
    std::cout << "corvane-idf " << CORVANE_IDF_VERSION << "\n";
    return 0;
  }
  std::cerr << "corvane-idf: unknown command '" << command << "'\n";
  PrintUsage(std::cerr);
  return 2;
}
