#include "CommonObjects/FileUtils.h"

#include <dirent.h>
#include <sys/stat.h>

#include "CommonObjects/IdfStrUtils.h"

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FindFileIgnoringCase(const std::string& path) {
  if (FileExists(path)) return path;
  std::string dir = ExtractFileDir(path);
  std::string name = ExtractFileName(path);
  if (name.empty()) return {};
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (SameTextAscii(e->d_name, name) && FileExists(dir + e->d_name)) {
      found = dir + e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

std::string ExtractFileDir(const std::string& path) {
  std::size_t p = path.rfind('/');
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
  std::size_t p = path.rfind('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileFolder(const std::string& path) {
  const std::size_t p = path.rfind('/');
  if (p == std::string::npos) return ".";
  return p == 0 ? std::string("/") : path.substr(0, p);
}

namespace {
std::size_t ForeignNameStart(const std::string& name) {
  const std::size_t p = name.find_last_of("/\\");
  if (p != std::string::npos) return p + 1;
  const bool drive = name.size() >= 2 && name[1] == ':' && UpCaseAscii(name[0]) >= 'A' && UpCaseAscii(name[0]) <= 'Z';
  return drive ? 2 : 0;
}
}  // namespace

std::string ExtractForeignDir(const std::string& name) { return name.substr(0, ForeignNameStart(name)); }

std::string ExtractForeignName(const std::string& name) { return name.substr(ForeignNameStart(name)); }

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  return (!path.empty() && path.back() == '/') ? path : path + "/";
}
