#include "CommonObjects/FileUtils.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

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

namespace {
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

uint64_t Fnv1a(const std::string& text) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}
}  // namespace

std::string SafeFileName(const std::string& name, std::size_t MaxBytes) {
  std::string out = name;
  for (char& c : out)
    if (IsControl(static_cast<unsigned char>(c)) || c == '/') c = '_';
  if (out.empty() || out == "." || out == "..") return "Unnamed";
  if (out.size() <= MaxBytes) return out;
  char hash[20];
  std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(Fnv1a(name)));
  std::size_t keep = MaxBytes > 17 ? MaxBytes - 17 : 0;
  // Never cut a UTF-8 sequence in two.
  while (keep > 0 && (static_cast<unsigned char>(out[keep]) & 0xC0) == 0x80) --keep;
  return out.substr(0, keep) + hash;
}

std::string EscapeControls(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (IsControl(u) && c != '\t') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}
