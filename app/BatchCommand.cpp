#include "BatchCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

#include "CorvaneIdfCommandLauncher.h"
#include "FileUtils.h"
#include "IDFfile.h"
#include "IdfImportSettingsTable.h"
#include "Platform.h"

namespace {
const char* const kKey = "\\Software\\Pellmark\\Corvane\\IDF";

struct TSetValue {
  const TSettingInfo* Setting;
  std::string Value;
};

struct TBatchOptions {
  std::string Board;
  std::string Library;
  std::string Log = "summary";
  std::string SettingsFile;
  std::string AssemblyDir;
  bool NoSettings = false;
  bool SaveSettings = false;
  bool ShowParts = false;
  std::vector<TSetValue> Sets;
};

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

const TSettingInfo* FindSetting(const std::string& name) {
  for (const auto* table : {&ImportDialogSettings(), &HostDialogSettings(), &EditorSettings()})
    for (const auto& s : *table)
      if (SameName(s.Name, name)) return &s;
  return nullptr;
}

bool ParseBoolean(const std::string& v, bool& out) {
  if (SameName(v, "true") || v == "1" || SameName(v, "yes") || SameName(v, "on")) return out = true, true;
  if (SameName(v, "false") || v == "0" || SameName(v, "no") || SameName(v, "off")) return out = false, true;
  return false;
}

bool ParseInteger(const std::string& v, int& out) {
  if (v.empty()) return false;
  std::size_t used = 0;
  try {
    long long n = std::stoll(v, &used, 10);
    if (used != v.size() || n < INT32_MIN || n > INT32_MAX) return false;
    out = static_cast<int>(n);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

TSetValue ParseSet(const std::string& arg) {
  const std::size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0) throw EUsage("--set takes NAME=VALUE, not '" + arg + "'");
  const std::string name = arg.substr(0, eq);
  const std::string value = arg.substr(eq + 1);
  const TSettingInfo* s = FindSetting(name);
  if (!s) throw EUsage("--set: '" + name + "' is no setting");
  bool b;
  int n;
  if (s->Kind == TSettingKind::skBoolean && !ParseBoolean(value, b))
    throw EUsage("--set: setting '" + s->Name + "' takes true or false, not '" + value + "'");
  if (s->Kind == TSettingKind::skInteger && !ParseInteger(value, n))
    throw EUsage("--set: setting '" + s->Name + "' takes an integer, not '" + value + "'");
  return {s, value};
}

TBatchOptions ParseArgs(const std::vector<std::string>& args) {
  TBatchOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const std::string& opt) -> std::string {
      if (i + 1 >= args.size()) throw EUsage("option " + opt + " needs a value");
      return args[++i];
    };
    if (a == "--library") {
      o.Library = value(a);
    } else if (a == "--log") {
      o.Log = value(a);
      if (o.Log != "summary" && o.Log != "detail" && o.Log != "error" && o.Log != "all")
        throw EUsage("--log takes summary, detail, error or all, not '" + o.Log + "'");
    } else if (a == "--assembly-dir") {
      o.AssemblyDir = value(a);
    } else if (a == "--settings") {
      o.SettingsFile = value(a);
    } else if (a == "--no-settings") {
      o.NoSettings = true;
    } else if (a == "--save-settings") {
      o.SaveSettings = true;
    } else if (a == "--show-parts") {
      o.ShowParts = true;
    } else if (a == "--set") {
      o.Sets.push_back(ParseSet(value(a)));
    } else if (!a.empty() && a[0] == '-') {
      throw EUsage("unknown option '" + a + "'");
    } else if (o.Board.empty()) {
      o.Board = a;
    } else {
      throw EUsage("more than one board file given ('" + a + "')");
    }
  }
  if (o.Board.empty()) throw EUsage("no board file given");
  return o;
}

bool Readable(const std::string& path) { return FileExists(path) && std::ifstream(path).good(); }

void PrintLog(std::ostream& out, const std::string& heading, const TSearchStringList& log) {
  out << "---- " << heading << " ----\n";
  for (const auto& l : log.Lines()) out << l << '\n';
}

// The console platform of a batch run: the board named on the command line answers the board
// dialog, every other dialog is cancelled, messages go to the error stream.
class TBatchPlatform : public platform::TConsolePlatform {
 public:
  TBatchPlatform(std::string board, std::ostream& err) : fBoard(std::move(board)), fErr(err) {}
  bool FileDialog(platform::TFileDialogRequest& request) override {
    if (fBoardAnswered || request.Title != "Select IDF Board file") return false;
    fBoardAnswered = true;
    request.FileName = fBoard;
    return true;
  }
  int MessageDlg(const std::string& text, platform::TMsgDlgType, platform::TMsgDlgButtons buttons) override {
    ClearProgress();
    fErr << text << '\n';
    if (buttons & platform::mbNo) return platform::mrNo;
    if (buttons & platform::mbCancel) return platform::mrCancel;
    return platform::mrOk;
  }
  void ShowMessage(const std::string& text) override {
    ClearProgress();
    fErr << text << '\n';
  }

  // The running phase and its progress on one terminal line, redrawn at most ten times a second
  // and whenever the phase changes.
  void ShowProgress(const TIdfImportFormV4_XE2& d) {
    if (!fTerminal) return;
    std::string phase = d.Caption;
    if (phase.rfind(d.FStaticCaption, 0) == 0) phase.erase(0, d.FStaticCaption.size());
    const std::string dash = "  -  ", dots = " . . .";
    if (phase.rfind(dash, 0) == 0) phase.erase(0, dash.size());
    if (phase.size() >= dots.size() && phase.compare(phase.size() - dots.size(), dots.size(), dots) == 0)
      phase.erase(phase.size() - dots.size());
    const auto now = std::chrono::steady_clock::now();
    if (phase == fPhase && now - fLastDraw < std::chrono::milliseconds(100)) return;
    fPhase = phase;
    fLastDraw = now;
    const int max = d.ProgressBar1.Max, pos = d.ProgressBar1.Position;
    std::string bar;
    if (max > 0) {
      const int width = 30, filled = std::clamp(pos * width / max, 0, width);
      bar = " [" + std::string(filled, '#') + std::string(width - filled, '-') + "] " + std::to_string(pos) + "/" +
            std::to_string(max);
    }
    if (phase.size() > 60) phase = phase.substr(0, 57) + "...";
    fErr << "\r\033[K" << phase << bar << std::flush;
    fDrawn = true;
  }
  void ClearProgress() {
    if (!fDrawn) return;
    fErr << "\r\033[K" << std::flush;
    fDrawn = false;
  }
  bool fTerminal = false;

 private:
  std::string fBoard;
  std::ostream& fErr;
  bool fBoardAnswered = false;
  std::string fPhase;
  std::chrono::steady_clock::time_point fLastDraw{};
  bool fDrawn = false;
};

// Installs a platform for the scope of the run and puts the previous one back.
class TServicesScope {
 public:
  explicit TServicesScope(std::shared_ptr<platform::IPlatform> p) : fSaved(platform::SetServices(std::move(p))) {}
  ~TServicesScope() { platform::SetServices(fSaved); }
  TServicesScope(const TServicesScope&) = delete;
  TServicesScope& operator=(const TServicesScope&) = delete;

 private:
  std::shared_ptr<platform::IPlatform> fSaved;
};
}  // namespace

std::string BatchUsage() {
  return "usage: corvane-idf batch BOARD [--library FILE] [--assembly-dir DIR] [--log summary|detail|error|all]\n"
         "                         [--settings FILE | --no-settings] [--set NAME=VALUE]... [--save-settings]\n"
         "                         [--show-parts]";
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  TBatchOptions o;
  try {
    o = ParseArgs(args);
  } catch (const EUsage& e) {
    err << "corvane-idf batch: " << e.what() << "\n" << BatchUsage() << "\n";
    return 2;
  }
  if (!Readable(o.Board)) {
    err << "corvane-idf batch: cannot read board file '" << o.Board << "'\n";
    return 2;
  }
  if (!o.Library.empty() && !Readable(o.Library)) {
    err << "corvane-idf batch: cannot read library file '" << o.Library << "'\n";
    return 2;
  }

  // A file dialog answers with a full path; so does the command line standing in for it.
  o.Board = std::filesystem::absolute(o.Board).lexically_normal().string();
  if (!o.Library.empty()) o.Library = std::filesystem::absolute(o.Library).lexically_normal().string();
  if (!o.AssemblyDir.empty())
    o.AssemblyDir = IncludeTrailingPathDelimiter(std::filesystem::absolute(o.AssemblyDir).lexically_normal().string());

  // The run works on a copy of the store in memory; the user's store changes only on request.
  auto file = std::make_shared<TRegistryFileMedium>(o.SettingsFile.empty() ? TRegistryFileMedium::DefaultPath()
                                                                             : o.SettingsFile);
  auto memory = std::make_shared<TRegistryMemoryMedium>();
  if (!o.NoSettings) {
    try {
      memory->CopyFrom(*file, kKey);
    } catch (const ERegistryError& e) {
      err << "corvane-idf batch: " << e.what() << "\n";
      return 2;
    }
  }
  {
    TGetInfoFromRegistry preset(memory);
    preset.FRegDir = kKey;
    for (const auto& s : o.Sets) {
      bool b = false;
      int n = 0;
      switch (s.Setting->Kind) {
        case TSettingKind::skText: preset.SetStringInRegistry(s.Setting->Name, s.Value); break;
        case TSettingKind::skBoolean: ParseBoolean(s.Value, b); preset.SetBooleanInRegistry(s.Setting->Name, b); break;
        case TSettingKind::skInteger: ParseInteger(s.Value, n); preset.SetIntegerInRegistry(s.Setting->Name, n); break;
      }
    }
  }

  auto services = std::make_shared<TBatchPlatform>(o.Board, err);
  services->fTerminal = errIsTerminal;
  TServicesScope scope(services);
  platform::InstallInterruptHandler();
  platform::TDecimalSeparatorGuard separator;

  int status = 0;
  std::string saveError;
  TLaunchSetup setup;
  setup.Medium = memory;
  setup.BeforeShow = [&](TCorvaneIdfImport& d) {
    d.FLibraryFileOverride = o.Library;
    // Ctrl-C is the Stop button: the next stop check ends the work.
    services->OnInterrupt = [&d] { d.StopButtonClick(); };
  };
  setup.AfterShow = [&](TCorvaneIdfImport& d) {
    // The show sequence has loaded and analysed the board; now the build, as the button does it.
    if (!o.AssemblyDir.empty()) d.AssemblyPathEdit.SetText(o.AssemblyDir);
    d.OnProgressChange = [&d, &services] { services->ShowProgress(d); };
    const std::size_t writtenBefore = d.FFilesWritten.size();
    d.ImportButton.Click();
    d.OnProgressChange = nullptr;
    services->ClearProgress();
    services->OnInterrupt = nullptr;
    if (o.ShowParts) {
      // The Options tab's button: the binding of every placement, its search in the detail log.
      d.ShowPartUsageButton.Click();
      out << "---- Show Parts ----\n";
      for (const auto& l : d.PartUsageLines()) out << l << '\n';
    }
    const TIDFfile& idf = *d.FImportIDF;
    if (o.Log == "summary" || o.Log == "all") PrintLog(out, "Summary", idf.SummaryLog);
    if (o.Log == "detail" || o.Log == "all") PrintLog(out, "Detail", idf.VerifyLog);
    if (o.Log == "all") PrintLog(out, "Warning", idf.WarningLog);
    if (o.Log == "error" || !idf.ErrorLog.Empty()) PrintLog(out, "Error", idf.ErrorLog);
    if (d.FFilesWritten.size() > writtenBefore) {
      out << "---- Files written ----\n";
      for (std::size_t i = writtenBefore; i < d.FFilesWritten.size(); ++i) out << d.FFilesWritten[i] << '\n';
    }
    status = idf.ErrorLog.Empty() ? 0 : 1;
    if (!o.SaveSettings) return;
    d.SaveFeatureNames();
    d.SetRegSettings();
    d.LocalSetRegSettings();
    try {
      file->WriteAll(kKey, memory->Values(kKey));
    } catch (const ERegistryError& e) {
      saveError = e.what();
    }
  };
  RunIdfImport(false, setup);
  if (!saveError.empty()) {
    err << "corvane-idf batch: " << saveError << "\n";
    return 2;
  }
  return status;
}
