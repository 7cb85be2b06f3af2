#include "CommonObjects/GetRegInfoExt.h"

#include "CommonObjects/AtomicFile.h"
#include "CommonObjects/FileLock.h"
#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

}  // namespace

// ---------------- TRegFile ----------------

TRegFile TRegFile::Parse(const std::string& text) {
  TRegFile f;
  TKey* current = nullptr;
  std::size_t pos = 0;
  int lineNo = 0;
  std::string pending;  // a value continued over several lines ("\" at the end)
  auto foreign = [&f, &lineNo](const std::string& line) {
    if (f.ForeignLineNo == 0) {
      f.ForeignLineNo = lineNo;
      f.ForeignLine = line;
    }
  };
  while (pos <= text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::string line = StripCR(text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos));
    pos = nl == std::string::npos ? text.size() + 1 : nl + 1;
    ++lineNo;
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
    if (!current) {
      // Text before the first key is no value of ours, but it is the user's: kept for a rewrite.
      f.Preamble.push_back(line);
      foreign(line);
      continue;
    }
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
      if (line.front() != ';' && line.rfind("@=", 0) != 0) foreign(line);
      v.Kind = TRegValue::rkOther;
      v.Raw = line;
      current->Values.emplace_back(std::string(), v);
    }
  }
  return f;
}

std::string TRegFile::Format() const {
  std::string out = "REGEDIT4\n";
  for (const auto& l : Preamble) out += l + "\n";
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

namespace {
// Why the store at path cannot be a store, or empty; a missing file is fine.
std::string RefusalOf(const std::string& path, const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return "settings store " + path + " is a folder, not a file";
  if (S_ISFIFO(st.st_mode)) return "settings store " + path + " is a FIFO, not a file";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "settings store " + path + " is a device, not a file";
  if (!S_ISREG(st.st_mode)) return "settings store " + path + " is not a regular file";
  if (st.st_size > TRegistryFileMedium::kMaxSize)
    return "settings store " + path + " is too large for a settings store (" + std::to_string(st.st_size) + " bytes)";
  return {};
}
}  // namespace

TRegFile TRegistryFileMedium::Load(bool mustExist, bool& existed) {
  existed = false;
  struct stat st {};
  if (::stat(fPath.c_str(), &st) != 0) {
    if (errno == ENOENT && !mustExist) return {};
    throw ERegistryError(ErrnoText("cannot read settings", fPath));
  }
  if (std::string why = RefusalOf(fPath, st); !why.empty()) throw ERegistryError(why);
  // Non-blocking, and checked again once open: the path may have changed in between.
  const int fd = ::open(fPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw ERegistryError(ErrnoText("cannot read settings", fPath));
  std::string text, why;
  if (::fstat(fd, &st) != 0) {
    why = ErrnoText("cannot read settings", fPath);
  } else {
    why = RefusalOf(fPath, st);
  }
  char buf[8192];
  while (why.empty()) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      why = ErrnoText("cannot read settings", fPath);
    } else if (text.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaxSize)) {
      why = "settings store " + fPath + " is too large for a settings store";
    } else {
      text.append(buf, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (!why.empty()) throw ERegistryError(why);
  existed = true;
  TRegFile f = TRegFile::Parse(text);
  if (f.ForeignLineNo > 0 && !fWarned && OnForeignLine) {
    fWarned = true;
    OnForeignLine("settings store " + fPath + ": line " + std::to_string(f.ForeignLineNo) +
                  " is not a setting and is kept as it is: " + f.ForeignLine);
  }
  return f;
}

void TRegistryFileMedium::CheckWritable() {
  struct stat st {};
  if (::stat(fPath.c_str(), &st) != 0) {
    if (errno == ENOENT) return;
    throw ERegistryError(ErrnoText("cannot write settings", fPath));
  }
  if (std::string why = RefusalOf(fPath, st); !why.empty()) throw ERegistryError(why);
  // A store its owner made read-only stays as it is, whoever runs the program (root included).
  if ((st.st_mode & 0222) == 0 || ::access(fPath.c_str(), W_OK) != 0)
    throw ERegistryError("settings store " + fPath + " is read-only; it is left as it is");
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
  CheckWritable();
  MakeDirs(ExtractFileFolder(fPath));
  // The lock sits on its own file beside the real store: the store itself is replaced, so a
  // lock on it would be lost, and two links to one store must share the lock.
  std::error_code ec;
  std::string real = std::filesystem::weakly_canonical(fPath, ec).string();
  if (ec || real.empty()) real = fPath;
  TFileLock lock(real + ".lock", TFileLock::lwBlock);
  if (!lock.Locked()) throw ERegistryError("cannot lock " + real + ".lock: " + lock.Error());
  bool existed;
  TRegFile f = Load(false, existed);
  change(f);
  try {
    TAtomicFile out(fPath, 0600);  // a new store is the user's own
    out.Write(f.Format());
    if (BeforeReplace) BeforeReplace(out.TempPath());
    out.Commit();
  } catch (const EAtomicFileError& e) {
    throw ERegistryError(e.what());
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
