#include "CommonObjects/WinUtils.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include "CommonObjects/FileUtils.h"
#include "platform/Platform.h"

#ifndef CORVANE_IDF_VERSION
#define CORVANE_IDF_VERSION ""
#endif

std::string ModuleFileName() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string GetDLLPath(bool FileNameOnly) {
  std::string path = ModuleFileName();
  if (!FileNameOnly) return path;
  return ExtractFileDir(path);
}

std::string GetWindowsTempFolder() {
  std::string t;
  if (const char* v = std::getenv("Temp"); v && *v)
    t = v;
  else if (const char* v2 = std::getenv("TMPDIR"); v2 && *v2)
    t = v2;
  else
    t = "/tmp";
  if (t.back() != '/') t += '/';
  return t;
}

std::string SelectFolderAlt(const std::string& aCaption, const std::string& aStartFolder) {
  try {
    return platform::Services().SelectFolder(aCaption, aStartFolder);
  } catch (...) {
    // A failing picker counts as a cancelled one.
    return {};
  }
}

std::string BuiltVersion() { return CORVANE_IDF_VERSION; }

std::string FileVersionString(const std::string& version) {
  // Keep the first three parts; the build number is not shown.
  std::string out;
  int parts = 0;
  std::size_t i = 0;
  while (i <= version.size() && parts < 3) {
    std::size_t dot = version.find('.', i);
    std::string part = version.substr(i, dot == std::string::npos ? std::string::npos : dot - i);
    if (part.empty()) break;
    out += (parts ? "." : "") + part;
    ++parts;
    if (dot == std::string::npos) break;
    i = dot + 1;
  }
  return out;
}

std::string FileVersionString() { return FileVersionString(BuiltVersion()); }

bool GetModuleFileDate(std::time_t& when) {
  struct stat st {};
  const std::string path = ModuleFileName();
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  when = st.st_mtime;
  return true;
}

std::string ShortDateText(const std::time_t* when) {
  std::tm t{};
  if (when) {
    localtime_r(when, &t);
  } else {
    t.tm_year = -1;  // 1899
    t.tm_mon = 11;
    t.tm_mday = 30;
  }
  return platform::RegionalShortDate(t);
}
