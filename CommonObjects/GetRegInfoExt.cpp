#include "CommonObjects/GetRegInfoExt.h"

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"
#include "CommonObjects/ScopeExit.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      // A line break inside a value would end the line; keep the file one value per line.
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// Reads a quoted text starting at s[i] == '"'; leaves i after the closing quote.
bool Unquote(const std::string& s, std::size_t& i, std::string& out) {
  if (i >= s.size() || s[i] != '"') return false;
  ++i;
  out.clear();
  while (i < s.size()) {
    char c = s[i++];
    if (c == '"') return true;
    if (c == '\\' && i < s.size()) {
      char e = s[i++];
      out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else {
      out += c;
    }
  }
  return false;
}

std::string StripCR(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
  return line;
}

std::string ErrnoText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

void MakeDirs(const std::string& dir) {
  if (dir.empty()) return;
  std::string partial;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    partial = dir.substr(0, pos);
    if (!partial.empty()) ::mkdir(partial.c_str(), 0700);
  }
}

// Holds an exclusive advisory lock for the lifetime of the object.
class TFileLock {
 public:
  explicit TFileLock(const std::string& path) {
    fFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fFd < 0) throw ERegistryError(ErrnoText("cannot open lock file", path));
    while (::flock(fFd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fFd);
        throw ERegistryError(ErrnoText("cannot lock", path));
      }
    }
  }
  ~TFileLock() {
    ::flock(fFd, LOCK_UN);
    ::close(fFd);
  }
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

 private:
  int fFd = -1;
};

}  // namespace

// ---------------- TRegFile ----------------

TRegFile TRegFile::Parse(const std::string& text) {
  TRegFile f;
  TKey* current = nullptr;
  std::size_t pos = 0;
  std::string pending;  // a value continued over several lines ("\" at the end)
  while (pos <= text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string line = StripCR(text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos));
    pos = nl == std::string::npos ? text.size() + 1 : nl + 1;
    if (!pending.empty()) {
      std::size_t b = line.find_first_not_of(" \t");
      line = pending + (b == std::string::npos ? std::string() : line.substr(b));
      pending.clear();
    }
    if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
      line.pop_back();
      pending = line;
      continue;
    }
    if (line.empty() || line == "REGEDIT4" || line.rfind("Windows Registry Editor", 0) == 0) continue;
    if (line.front() == '[' && line.back() == ']') {
      current = &f.FindOrAdd(line.substr(1, line.size() - 2));
      continue;
    }
    if (!current) continue;  // values before any key belong nowhere
    TRegValue v;
    std::string name;
    std::size_t i = 0;
    if (Unquote(line, i, name) && i < line.size() && line[i] == '=') {
      std::string data = line.substr(i + 1);
      std::size_t j = 0;
      std::string s;
      uint32_t d = 0;
      if (!data.empty() && data[0] == '"' && Unquote(data, j, s) && j == data.size()) {
        v.Kind = TRegValue::rkString;
        v.Text = s;
      } else if (data.rfind("dword:", 0) == 0 && TryHexToUInt32(std::string_view(data).substr(6), d)) {
        v.Kind = TRegValue::rkDWord;
        v.DWord = d;
      } else {
        v.Kind = TRegValue::rkOther;
        v.Raw = data;
      }
      current->Values.emplace_back(name, v);
    } else {
      // Not a value line (comment, default value, damage): kept as it is.
      v.Kind = TRegValue::rkOther;
      v.Raw = line;
      current->Values.emplace_back(std::string(), v);
    }
  }
  return f;
}

std::string TRegFile::Format() const {
  std::string out = "REGEDIT4\n";
  for (const auto& k : Keys) {
    out += "\n[" + k.Path + "]\n";
    for (const auto& [name, v] : k.Values) {
      if (name.empty() && v.Kind == TRegValue::rkOther) {
        out += v.Raw + "\n";
        continue;
      }
      out += Quote(name) + "=";
      if (v.Kind == TRegValue::rkString) {
        out += Quote(v.Text);
      } else if (v.Kind == TRegValue::rkDWord) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", v.DWord);
        out += buf;
      } else {
        out += v.Raw;
      }
      out += "\n";
    }
  }
  return out;
}

TRegFile::TKey* TRegFile::Find(const std::string& path) {
  for (auto& k : Keys)
    if (SameTextAscii(k.Path, path)) return &k;
  return nullptr;
}

TRegFile::TKey& TRegFile::FindOrAdd(const std::string& path) {
  if (TKey* k = Find(path)) return *k;
  Keys.push_back({path, {}});
  return Keys.back();
}

namespace {
void SetValue(TRegFile& f, const std::string& key, const std::string& name, const TRegValue& value) {
  auto& k = f.FindOrAdd(key);
  for (auto& [n, v] : k.Values)
    if (!n.empty() && SameTextAscii(n, name)) {
      v = value;
      return;
    }
  k.Values.emplace_back(name, value);
}

std::optional<TRegValue> GetValue(TRegFile& f, const std::string& key, const std::string& name) {
  TRegFile::TKey* k = f.Find(key);
  if (!k) return std::nullopt;
  for (auto& [n, v] : k->Values)
    if (!n.empty() && SameTextAscii(n, name)) return v;
  return std::nullopt;
}
}  // namespace

// ---------------- file medium ----------------

std::string TRegistryFileMedium::DefaultPath() {
  if (const char* p = std::getenv("CORVANE_IDF_SETTINGS"); p && *p) return p;
  std::string base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
    base = x;
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    base = std::string(h) + "/.config";
  } else {
    base = "/tmp";
  }
  return base + "/pellmark/registry.reg";
}

TRegFile TRegistryFileMedium::Load(bool mustExist, bool& existed) {
  existed = false;
  FILE* f = std::fopen(fPath.c_str(), "rb");
  if (!f) {
    if (errno == ENOENT && !mustExist) return {};
    throw ERegistryError(ErrnoText("cannot read settings", fPath));
  }
  existed = true;
  std::string text;
  char buf[8192];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) throw ERegistryError("cannot read settings " + fPath);
  return TRegFile::Parse(text);
}

std::optional<TRegValue> TRegistryFileMedium::Read(const std::string& key, const std::string& name) {
  // The file is only ever replaced by rename, so a reader sees the old or the new store whole.
  bool existed;
  TRegFile f = Load(false, existed);
  return GetValue(f, key, name);
}

std::vector<std::pair<std::string, TRegValue>> TRegistryFileMedium::Values(const std::string& key) {
  bool existed;
  TRegFile f = Load(false, existed);
  TRegFile::TKey* k = f.Find(key);
  return k ? k->Values : std::vector<std::pair<std::string, TRegValue>>{};
}

void TRegistryFileMedium::Update(const std::function<void(TRegFile&)>& change) {
  MakeDirs(ExtractFileFolder(fPath));
  // The lock sits on its own file: the store itself is replaced, so a lock on it would be lost.
  TFileLock lock(fPath + ".lock");
  bool existed;
  TRegFile f = Load(false, existed);
  mode_t mode = 0600;
  struct stat st {};
  if (existed && ::stat(fPath.c_str(), &st) == 0) mode = st.st_mode & 07777;
  change(f);
  const std::string text = f.Format();

  const std::string temp = fPath + ".tmp." + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) throw ERegistryError(ErrnoText("cannot write settings", temp));
  // Until the rename has replaced the store, every way out removes the temporary file.
  TScopeExit removeTemp([&temp] { ::unlink(temp.c_str()); });
  std::size_t done = 0;
  bool ok = true;
  while (done < text.size()) {
    ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(w);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) throw ERegistryError(ErrnoText("cannot write settings", temp));
  if (BeforeReplace) BeforeReplace(temp);
  if (::rename(temp.c_str(), fPath.c_str()) != 0) throw ERegistryError(ErrnoText("cannot replace settings", fPath));
  removeTemp.Release();
  // Make the rename itself durable.
  int dfd = ::open(ExtractFileFolder(fPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

void TRegistryFileMedium::Write(const std::string& key, const std::string& name, const TRegValue& value) {
  Update([&](TRegFile& f) { SetValue(f, key, name, value); });
}

void TRegistryFileMedium::WriteAll(const std::string& key,
                                   const std::vector<std::pair<std::string, TRegValue>>& values) {
  Update([&](TRegFile& f) {
    for (const auto& [n, v] : values)
      if (!n.empty()) SetValue(f, key, n, v);
  });
}

// ---------------- memory medium ----------------

std::optional<TRegValue> TRegistryMemoryMedium::Read(const std::string& key, const std::string& name) {
  return GetValue(fData, key, name);
}

void TRegistryMemoryMedium::Write(const std::string& key, const std::string& name, const TRegValue& value) {
  if (RefuseWrites) throw ERegistryError("the settings store refuses writes");
  SetValue(fData, key, name, value);
}

std::vector<std::pair<std::string, TRegValue>> TRegistryMemoryMedium::Values(const std::string& key) {
  TRegFile::TKey* k = fData.Find(key);
  return k ? k->Values : std::vector<std::pair<std::string, TRegValue>>{};
}

void TRegistryMemoryMedium::CopyFrom(IRegistryMedium& source, const std::string& key) {
  for (const auto& [n, v] : source.Values(key))
    if (!n.empty()) SetValue(fData, key, n, v);
}

// ---------------- the store ----------------

TGetInfoFromRegistry::TGetInfoFromRegistry(std::shared_ptr<IRegistryMedium> medium)
    : fMedium(medium ? std::move(medium) : std::make_shared<TRegistryFileMedium>(TRegistryFileMedium::DefaultPath())) {}

std::string TGetInfoFromRegistry::GetBaseAppKey() const {
  std::string r = FRegDir;
  std::size_t p = r.find(kPrefix);
  if (p != std::string::npos) r.erase(p, std::strlen(kPrefix));
  return r;
}

std::optional<TRegValue> TGetInfoFromRegistry::ReadRaw(const std::string& Name) { return fMedium->Read(FRegDir, Name); }

int TGetInfoFromRegistry::GetIntegerFromRegistry(const std::string& Name) {
  try {
    auto v = ReadRaw(Name);
    if (!v || v->Kind != TRegValue::rkDWord) return -1;
    return static_cast<int32_t>(v->DWord);
  } catch (const ERegistryError&) {
    return -1;
  }
}

int TGetInfoFromRegistry::GetIntegerFromRegistryExt(const std::string& Name, int Default) {
  try {
    auto v = ReadRaw(Name);
    if (!v) return Default;
    if (v->Kind == TRegValue::rkDWord) return static_cast<int32_t>(v->DWord);
  } catch (const ERegistryError&) {
  }
  SetIntegerInRegistry(Name, Default);
  return Default;
}

bool TGetInfoFromRegistry::GetBooleanFromRegistry(const std::string& Name) {
  return GetBooleanFromRegistryExt(Name, false);
}

bool TGetInfoFromRegistry::GetBooleanFromRegistryExt(const std::string& Name, bool Default) {
  try {
    auto v = ReadRaw(Name);
    if (!v) return Default;
    if (v->Kind == TRegValue::rkDWord) return v->DWord != 0;
  } catch (const ERegistryError&) {
  }
  SetBooleanInRegistry(Name, Default);
  return Default;
}

std::string TGetInfoFromRegistry::GetStringFromRegistry(const std::string& Name) {
  try {
    auto v = ReadRaw(Name);
    if (v && v->Kind == TRegValue::rkString) return v->Text;
  } catch (const ERegistryError&) {
  }
  return {};
}

std::string TGetInfoFromRegistry::GetStringFromRegistryExt(const std::string& Name, const std::string& Default) {
  try {
    auto v = ReadRaw(Name);
    if (!v) return Default;
    if (v->Kind == TRegValue::rkString) return v->Text.empty() ? Default : v->Text;
  } catch (const ERegistryError&) {
  }
  SetStringInRegistry(Name, Default);
  return Default;
}

bool TGetInfoFromRegistry::SetIntegerInRegistry(const std::string& Name, int Value) {
  TRegValue v;
  v.Kind = TRegValue::rkDWord;
  v.DWord = static_cast<uint32_t>(Value);
  try {
    fMedium->Write(FRegDir, Name, v);
    return true;
  } catch (const ERegistryError&) {
    return false;
  }
}

bool TGetInfoFromRegistry::SetBooleanInRegistry(const std::string& Name, bool Value) {
  return SetIntegerInRegistry(Name, Value ? 1 : 0);
}

bool TGetInfoFromRegistry::SetStringInRegistry(const std::string& Name, const std::string& Value) {
  TRegValue v;
  v.Kind = TRegValue::rkString;
  v.Text = Value;
  try {
    fMedium->Write(FRegDir, Name, v);
    return true;
  } catch (const ERegistryError&) {
    return false;
  }
}
