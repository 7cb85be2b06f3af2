#include "corvane/Modules.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "host/CorvaneX_TLB.h"

namespace corvane {

using CorvaneX_TLB::ECVHostError;

std::vector<std::string> ModuleFolders() {
  std::vector<std::string> folders;
  // Of a file, named as it may be ("./corvane-idf"): its folder, normalised so that each is tried once.
  auto add = [&](const std::filesystem::path& file) {
    const std::string f = file.lexically_normal().parent_path().string();
    if (f.empty()) return;
    if (std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
  };
  std::error_code ec;
  add(std::filesystem::read_symlink("/proc/self/exe", ec));
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleFolders), &info) && info.dli_fname && *info.dli_fname)
    add(std::filesystem::absolute(info.dli_fname, ec));
#ifdef CORVANE_MODULE_BUILD_DIR
  add(std::filesystem::path(CORVANE_MODULE_BUILD_DIR) / "");
#endif
  return folders;
}

void* ModuleEntry(const std::string& file, const char* entry) {
  const std::vector<std::string> folders = ModuleFolders();
  std::string path;
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(folder + "/" + file, ec)) {
      path = folder + "/" + file;
      break;
    }
  }
  // Not in our folders: the system's own search (LD_LIBRARY_PATH, ...) has the last word.
  void* handle = dlopen(path.empty() ? file.c_str() : path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::string where;
    if (path.empty())
      for (const std::string& folder : folders) where += (where.empty() ? " (looked in " : ", ") + folder;
    const char* why = dlerror();
    throw ECVHostError("Cannot load " + file + ": " + (why ? why : "not found") + (where.empty() ? "" : where + ")"));
  }
  dlerror();
  void* found = dlsym(handle, entry);
  if (!found) {
    const char* why = dlerror();
    throw ECVHostError("Cannot load " + (path.empty() ? file : path) + ": " + (why ? why : "no entry point"));
  }
  return found;
}

void ModuleVersionMismatch(const std::string& file) {
  throw ECVHostError("Cannot load " + file + ": it was built for another version of this program");
}

}  // namespace corvane
