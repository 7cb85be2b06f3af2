// The translator and the 3D view pull in toolkits whose symbols cost the program's start-up more
// than everything else it links; they live in modules loaded the first time they are needed.
#pragma once
#include <string>
#include <vector>

namespace corvane {

// Where modules are looked for, in order: the running program's folder, the folder of the file
// that holds this code (when the host is built as a shared library), and the build's module
// folder, so that tests and benchmarks anywhere in the build tree find them.
std::vector<std::string> ModuleFolders();

// The entry point `entry` of the module file `file` ("corvane_exchange.so"), loaded the first
// time. Raises ECVHostError naming the file and the loader's reason when that fails.
void* ModuleEntry(const std::string& file, const char* entry);

[[noreturn]] void ModuleVersionMismatch(const std::string& file);

// The object a module's factory makes for this program's interface version; raises ECVHostError
// when the module cannot be loaded or was built for another version.
template <class I>
I* NewModuleObject(const std::string& file, const char* entry, int version) {
  auto make = reinterpret_cast<I* (*)(int)>(ModuleEntry(file, entry));
  I* made = make(version);
  if (!made) ModuleVersionMismatch(file);
  return made;
}

}  // namespace corvane
