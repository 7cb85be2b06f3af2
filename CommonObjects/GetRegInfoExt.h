#pragma once
// The settings store: typed named values under one key of the current user. On this platform
// the key lives in a per-user text file in the registry export format; batch runs can hold the
// values in memory instead. Every read has a fixed fallback, so a missing or unreadable value
// never stops the caller.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// One stored value. Values of a kind we do not know (hex:..., a broken line) are kept verbatim
// and count as unreadable for every typed read.
struct TRegValue {
  enum TKind { rkString, rkDWord, rkOther } Kind = rkString;
  std::string Text;    // rkString
  uint32_t DWord = 0;  // rkDWord
  std::string Raw;     // rkOther: the text after "=" as found
};

// Raised by a medium that cannot read or write its key (unreadable file, refused write).
class ERegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the values live. Key paths begin with a separator: "\Software\Pellmark\Corvane\IDF".
class IRegistryMedium {
 public:
  virtual ~IRegistryMedium() = default;
  // The value, or nothing when the key or the value is absent. Raises ERegistryError when the
  // key exists but cannot be read.
  virtual std::optional<TRegValue> Read(const std::string& key, const std::string& name) = 0;
  // Creates the key when needed. Raises ERegistryError when the write is refused.
  virtual void Write(const std::string& key, const std::string& name, const TRegValue& value) = 0;
  // Every value of a key, in stored order (empty when absent).
  virtual std::vector<std::pair<std::string, TRegValue>> Values(const std::string& key) = 0;
};

// The parsed content of a registry export file: keys in file order, values in key order.
class TRegFile {
 public:
  struct TKey {
    std::string Path;
    std::vector<std::pair<std::string, TRegValue>> Values;
  };
  static TRegFile Parse(const std::string& text);
  std::string Format() const;
  TKey* Find(const std::string& path);
  TKey& FindOrAdd(const std::string& path);
  std::vector<TKey> Keys;
  std::vector<std::string> Preamble;  // lines before the first key, written back as found
  // The first line that is not in the export format (1-based; 0 when there is none).
  int ForeignLineNo = 0;
  std::string ForeignLine;
};

// The per-user settings file. Writes take an exclusive lock on a lock file beside it, re-read
// the file, change the one value and replace the file atomically (temporary file, flush,
// rename), so concurrent writers lose nothing and a crash never leaves a half-written store.
// A symbolic link is followed. Anything that is not a regular file of a store's size (a device,
// a FIFO, a folder, a file of many megabytes) is refused and left alone, and so is a read-only
// store: ERegistryError names it.
class TRegistryFileMedium : public IRegistryMedium {
 public:
  explicit TRegistryFileMedium(std::string path) : fPath(std::move(path)) {}
  // $CORVANE_IDF_SETTINGS, else $XDG_CONFIG_HOME/pellmark/registry.reg, else ~/.config/...
  static std::string DefaultPath();
  const std::string& Path() const { return fPath; }

  std::optional<TRegValue> Read(const std::string& key, const std::string& name) override;
  void Write(const std::string& key, const std::string& name, const TRegValue& value) override;
  std::vector<std::pair<std::string, TRegValue>> Values(const std::string& key) override;
  // Writes many values of one key in one replacement.
  void WriteAll(const std::string& key, const std::vector<std::pair<std::string, TRegValue>>& values);
  // Raises ERegistryError when a write would be refused; nothing is created.
  void CheckWritable();

  static constexpr long long kMaxSize = 4 << 20;  // far above any real store
  // Told once, on the first read, of a line that is not in the export format.
  std::function<void(const std::string& message)> OnForeignLine;

  // Runs after the temporary file is complete and before it replaces the store; lets tests
  // interrupt a write at the worst moment.
  std::function<void(const std::string& tempPath)> BeforeReplace;

 private:
  TRegFile Load(bool mustExist, bool& existed);
  void Update(const std::function<void(TRegFile&)>& change);
  std::string fPath;
  bool fWarned = false;
};

// Values held in memory only (batch runs work on such a copy of the user's store).
class TRegistryMemoryMedium : public IRegistryMedium {
 public:
  std::optional<TRegValue> Read(const std::string& key, const std::string& name) override;
  void Write(const std::string& key, const std::string& name, const TRegValue& value) override;
  std::vector<std::pair<std::string, TRegValue>> Values(const std::string& key) override;
  // Copies every value of a key from another medium.
  void CopyFrom(IRegistryMedium& source, const std::string& key);
  bool RefuseWrites = false;  // simulates a store that cannot be written

 private:
  TRegFile fData;
};

class TGetInfoFromRegistry {
 public:
  static constexpr const char* kPrefix = "\\Software\\Pellmark\\";
  // Without a medium, the per-user settings file.
  explicit TGetInfoFromRegistry(std::shared_ptr<IRegistryMedium> medium = nullptr);

  void SetKey(const std::string& AppKey) { FRegDir = kPrefix + AppKey; }
  std::string GetBaseAppKey() const;
  const std::string& RegDir() const { return FRegDir; }
  IRegistryMedium& Medium() { return *fMedium; }
  std::shared_ptr<IRegistryMedium> MediumPtr() const { return fMedium; }

  int GetIntegerFromRegistry(const std::string& Name);
  int GetIntegerFromRegistryExt(const std::string& Name, int Default);
  bool GetBooleanFromRegistry(const std::string& Name);
  bool GetBooleanFromRegistryExt(const std::string& Name, bool Default);
  std::string GetStringFromRegistry(const std::string& Name);
  std::string GetStringFromRegistryExt(const std::string& Name, const std::string& Default);
  bool SetIntegerInRegistry(const std::string& Name, int Value);
  bool SetBooleanInRegistry(const std::string& Name, bool Value);
  bool SetStringInRegistry(const std::string& Name, const std::string& Value);

  std::string FRegDir;

 private:
  // Absent: nothing; unreadable: throws ERegistryError (also for a value of another kind).
  std::optional<TRegValue> ReadRaw(const std::string& Name);
  std::shared_ptr<IRegistryMedium> fMedium;
};
