#include <iostream>
#include <string>
#include <vector>

#include "BatchCommand.h"

namespace {
void PrintUsage(std::ostream& os) {
  os << "corvane-idf: IDF board import\n"
        "  corvane-idf                  about details\n"
        "  "
     << BatchUsage().substr(7) << "\n";
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(std::cout);
    return 0;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "batch") return RunBatch(args, std::cout, std::cerr);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(std::cout);
    return 0;
  }
  std::cerr << "corvane-idf: unknown command '" << command << "'\n";
  PrintUsage(std::cerr);
  return 2;
}
