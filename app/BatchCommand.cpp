#include "app/BatchCommand.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>

#include "CommonObjects/AtomicFile.h"
#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IDFfile.h"
#include "app/BatchPictures.h"
#include "app/CorvaneIdfCommandLauncher.h"
#include "import/IdfImportSettingsTable.h"
#include "platform/Platform.h"

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
  std::string StepFile;  // the assembly once more, under a name CAD programs know
  bool NoSettings = false;
  bool SaveSettings = false;
  bool ShowParts = false;
  std::vector<TSetValue> Sets;
  std::vector<std::string> SelectDesignators;
  std::vector<std::string> SelectPackages;
  std::vector<std::pair<std::string, std::string>> Heights;  // package, height text
  TBatchPictures Pictures;
};

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
struct EHelp {};  // --help: the usage is the answer

// Text settings that hold a number; an empty text means "none" where the dialog allows it.
struct TNumberSetting {
  const char* Name;
  bool MayBeEmpty;
};
constexpr TNumberSetting kNumberSettings[] = {
    {"ImportDefaultHeight", false},        {"CopperThickness", false},         {"BoardThickness", true},
    {"HoleFilterGreaterThanValue", false}, {"HoleFilterLessThanValue", false}, {"HolesPerFeature", false},
};
const TNumberSetting* FindNumberSetting(const std::string& name) {
  for (const auto& n : kNumberSettings)
    if (SameTextAscii(n.Name, name)) return &n;
  return nullptr;
}

const TSettingInfo* FindSetting(const std::string& name) {
  for (const auto* table : {&ImportDialogSettings(), &HostDialogSettings(), &EditorSettings()})
    for (const auto& s : *table)
      if (SameTextAscii(s.Name, name)) return &s;
  return nullptr;
}

bool ParseBoolean(const std::string& v, bool& out) {
  if (SameTextAscii(v, "true") || v == "1" || SameTextAscii(v, "yes") || SameTextAscii(v, "on"))
    return out = true, true;
  if (SameTextAscii(v, "false") || v == "0" || SameTextAscii(v, "no") || SameTextAscii(v, "off"))
    return out = false, true;
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
    throw EUsage("--set: setting '" + s->Name + "' takes true or false (1/0, yes/no), not '" + value + "'");
  if (s->Kind == TSettingKind::skInteger && !ParseInteger(value, n))
    throw EUsage("--set: setting '" + s->Name + "' takes an integer, not '" + value + "'");
  if (SameTextAscii(s->Name, "ImportHeightUnitsIndex") && (n < 0 || n > 2))
    throw EUsage("--set: setting '" + s->Name + "' takes 0 (millimetre), 1 (inch) or 2 (thou), not '" + value + "'");
  if (const TNumberSetting* num = FindNumberSetting(s->Name); num && !(num->MayBeEmpty && value.empty())) {
    double v;
    if (!TryStrToFloat(FixDecimalSeparator(value), v))
      throw EUsage("--set: setting '" + s->Name + "' takes a number, not '" + value + "'" +
                   (NumberShaped(FixDecimalSeparator(value)) ? " (out of range)" : ""));
    if (v < 0) throw EUsage("--set: setting '" + s->Name + "' takes a number of at least 0, not '" + value + "'");
    if (SameTextAscii(s->Name, "HolesPerFeature") && (!ParseInteger(value, n) || n < 1))
      throw EUsage("--set: setting '" + s->Name + "' takes a whole number of at least 1, not '" + value + "'");
  }
  return {s, value};
}

// A comma-separated list of names; an empty name is a slip of the pen, not a name.
std::vector<std::string> ParseNameList(const std::string& opt, const std::string& text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (name.empty()) throw EUsage(opt + " takes a comma-separated list of names, not '" + text + "'");
    names.push_back(name);
    if (comma == std::string::npos) return names;
    start = comma + 1;
  }
}

std::vector<std::pair<std::string, std::string>> ParseHeights(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& item : ParseNameList("--heights", text)) {
    // The value is a number, so the last "=" ends the package name.
    const std::size_t eq = item.rfind('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == item.size())
      throw EUsage("--heights takes PACKAGE=VALUE,..., not '" + item + "'");
    out.emplace_back(item.substr(0, eq), item.substr(eq + 1));
  }
  return out;
}

TBatchOptions ParseArgs(const std::vector<std::string>& args) {
  TBatchOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const std::string& opt) -> std::string {
      if (i + 1 >= args.size()) throw EUsage("option " + opt + " needs a value");
      return args[++i];
    };
    if (a == "--help" || a == "-h") {
      throw EHelp{};
    } else if (a == "--library") {
      o.Library = value(a);
    } else if (a == "--log") {
      o.Log = value(a);
      if (o.Log != "summary" && o.Log != "detail" && o.Log != "error" && o.Log != "all")
        throw EUsage("--log takes summary, detail, error or all, not '" + o.Log + "'");
    } else if (a == "--assembly-dir") {
      o.AssemblyDir = value(a);
    } else if (a == "--step") {
      o.StepFile = value(a);
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
    } else if (a == "--select-designators") {
      o.SelectDesignators = ParseNameList(a, value(a));
    } else if (a == "--select-packages") {
      o.SelectPackages = ParseNameList(a, value(a));
    } else if (a == "--heights") {
      auto h = ParseHeights(value(a));
      o.Heights.insert(o.Heights.end(), h.begin(), h.end());
    } else if (a == "--preview") {
      o.Pictures.TopView = value(a);
    } else if (a == "--preview-size") {
      o.Pictures.TopViewSize = value(a);
      if (auto e = CheckPictureSize(o.Pictures.TopViewSize); !e.empty()) throw EUsage(e);
    } else if (a == "--preview-3d") {
      o.Pictures.Model = value(a);
    } else if (!a.empty() && a[0] == '-') {
      throw EUsage("unknown option '" + a + "'");
    } else if (o.Board.empty()) {
      o.Board = a;
    } else {
      throw EUsage("more than one board file given ('" + a + "')");
    }
  }
  if (o.Board.empty()) throw EUsage("no board file given");
  if (auto e = CheckPictures(o.Pictures); !e.empty()) throw EUsage(e);
  // Only the chosen mode's list counts; two modes at once would silently drop one.
  if (!o.SelectDesignators.empty() && !o.SelectPackages.empty())
    throw EUsage("--select-designators and --select-packages exclude each other");
  return o;
}

// Checks the named items of the selection list of one mode; an unknown name is a usage error.
void CheckNamedItems(controls::TCheckListBox& list, const std::vector<std::string>& names, const char* what,
                     const std::function<std::string(int)>& keyOfItem) {
  for (const std::string& name : names) {
    bool found = false;
    for (int i = 0; i < list.Count(); ++i)
      if (SameTextAscii(keyOfItem(i), name)) {
        list.SetChecked(i, true);
        found = true;
      }
    if (!found) throw EUsage(std::string("unknown ") + what + " '" + name + "'");
  }
}

void ApplyAnalysisOptions(const TBatchOptions& o, TCorvaneIdfImport& d) {
  if (!o.SelectDesignators.empty()) {
    CheckNamedItems(d.SelectedDesignatorsCheckListBox, o.SelectDesignators, "designator", [&d](int i) {
      const std::string& item = d.SelectedDesignatorsCheckListBox.Item(i);
      return d.DesignatorOfItem(i).value_or(item.substr(0, item.find('=')));
    });
    d.DesignatorRadioButton.SetChecked(true);
  }
  if (!o.SelectPackages.empty()) {
    CheckNamedItems(d.SelectedPackageNamesCheckListBox, o.SelectPackages, "package",
                    [&d](int i) { return d.SelectedPackageNamesCheckListBox.Item(i); });
    d.PackageNameRadioButton.SetChecked(true);
  }
  for (const auto& [package, text] : o.Heights) {
    double v;
    if (!TryStrToFloat(text, v))
      throw EUsage("--heights: height of '" + package + "' is " +
                   (NumberShaped(text) ? "out of range" : "not a number") + ": '" + text + "'");
    int row = -1;
    for (int r = 0; r < d.HeightGrid.RowCount() && row < 0; ++r)
      if (!d.HeightGrid.Cell(0, r).empty() && SameTextAscii(d.HeightGrid.Cell(0, r), package)) row = r;
    if (row < 0) throw EUsage("--heights: unknown package '" + package + "' (not in the height grid)");
    d.HeightGrid.SetCell(1, row, FormatFloat(v, d.FPrecision));  // as the grid writes what is typed
  }
  if (!o.Heights.empty()) d.UpdateIdfWithHeight();
}

void PrintSelection(std::ostream& out, TCorvaneIdfImport& d) {
  d.GetSelectedPackages();
  d.GetSelectedDesignators();
  out << "---- Selection ----\n";
  const TSection* s = d.FImportIDF->FindFirstSection(stPLACEMENT);
  int n = 0;
  for (int i = 0; s && i < s->Count(); ++i) {
    const TDataRec& r = s->Items(i);
    if (!d.PartSelectionCheckExt(r.PackageName) && !d.ThisDesignatorIsSelectedExt(r.Designator)) continue;
    out << EscapeControls(r.Designator) << '=' << EscapeControls(r.PackageName) << '\n';
    ++n;
  }
  out << "Selected placements : " << n << '\n';
}

void PrintHeights(std::ostream& out, const TCorvaneIdfImport& d) {
  out << "---- Heights (" << d.BoardThicknessUnitsLabel.Caption << ") ----\n";
  for (int r = 0; r < d.HeightGrid.RowCount(); ++r)
    if (!d.HeightGrid.Cell(0, r).empty()) out << d.HeightGrid.Cell(0, r) << '\t' << d.HeightGrid.Cell(1, r) << '\n';
}

bool Readable(const std::string& path) { return FileExists(path) && std::ifstream(path).good(); }

// Lines that begin with "Warning" report what was done instead; they are no errors.
bool HasErrors(const TSearchStringList& log) {
  for (const auto& l : log.Lines())
    if (l.rfind("Warning", 0) != 0) return true;
  return false;
}

// The dialog writes its default height in the working unit with that unit's decimals, and on
// showing treats a text without the decimal separator as never set (it becomes 10 mm). A
// height given on the command line is meant as it stands, so it is written the dialog's way.
void WriteDefaultHeightInWorkingUnit(const TBatchOptions& o, TGetInfoFromRegistry& store) {
  const TSetValue* height = nullptr;
  for (const auto& s : o.Sets)
    if (SameTextAscii(s.Setting->Name, "ImportDefaultHeight")) height = &s;
  if (!height) return;
  double v = 0;
  TryStrToFloat(FixDecimalSeparator(height->Value), v);
  const int unit = store.GetIntegerFromRegistry("ImportHeightUnitsIndex");
  const int decimals = unit == 1 ? 5 : unit == 2 ? 2 : 3;
  platform::TDecimalSeparatorGuard guard;
  const bool ignoreRegional = store.GetBooleanFromRegistryExt("IgnoreRegionalDecimalPoint", true);
  platform::SetDecimalSeparator(ignoreRegional ? '.' : platform::RegionalDecimalSeparator());
  store.SetStringInRegistry("ImportDefaultHeight", FormatFloat(v, decimals));
}

void PrintLog(std::ostream& out, const std::string& heading, const TSearchStringList& log) {
  out << "---- " << heading << " ----\n";
  for (const auto& l : log.Lines()) out << EscapeControls(l) << '\n';
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
    const int max = d.ProgressBar1.Max, pos = d.ProgressBar1.Position;
    // A new phase or a new total is drawn at once, or the bar would show the last phase's total.
    if (phase == fPhase && max == fMax && now - fLastDraw < std::chrono::milliseconds(100)) return;
    fPhase = phase;
    fMax = max;
    fLastDraw = now;
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
  int fMax = -1;
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
         "                         [--select-designators LIST | --select-packages LIST] [--heights PACKAGE=VALUE,...]\n"
         "                         [--show-parts] [--step FILE] [--preview FILE.svg|FILE.png [--preview-size WxH]]\n"
         "                         [--preview-3d FILE.png]";
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  TBatchOptions o;
  try {
    o = ParseArgs(args);
  } catch (const EHelp&) {
    out << BatchUsage() << "\n";
    return 0;
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
  if (o.Library.empty()) {
    // The library found beside the board must be readable too, or the board would be built
    // without its components and the run would look fine.
    TIDFfile probe;
    probe.DeriveLibraryFile(o.Board, false);
    const std::string& lib = probe.LibFile.Path;
    struct stat st {};
    if (!probe.LibFile.Extension.empty() && ::stat(lib.c_str(), &st) == 0 && !Readable(lib)) {
      err << "corvane-idf batch: cannot read library file '" << lib << "'"
          << (S_ISDIR(st.st_mode)    ? " (a folder)"
              : !S_ISREG(st.st_mode) ? " (not a regular file)"
                                     : "")
          << "\n";
      return 2;
    }
  }

  // A file dialog answers with a full path; so does the command line standing in for it.
  o.Board = std::filesystem::absolute(o.Board).lexically_normal().string();
  if (!o.Library.empty()) o.Library = std::filesystem::absolute(o.Library).lexically_normal().string();
  if (!o.StepFile.empty()) o.StepFile = std::filesystem::absolute(o.StepFile).lexically_normal().string();
  if (!o.AssemblyDir.empty())
    o.AssemblyDir = IncludeTrailingPathDelimiter(std::filesystem::absolute(o.AssemblyDir).lexically_normal().string());

  // The run works on a copy of the store in memory; the user's store changes only on request.
  auto file = std::make_shared<TRegistryFileMedium>(o.SettingsFile.empty() ? TRegistryFileMedium::DefaultPath()
                                                                           : o.SettingsFile);
  file->OnForeignLine = [&err](const std::string& message) {
    err << "corvane-idf batch: warning: " << message << "\n";
  };
  auto memory = std::make_shared<TRegistryMemoryMedium>();
  try {
    if (!o.NoSettings) memory->CopyFrom(*file, kKey);
    // Refused before the work, not after it.
    if (o.SaveSettings) file->CheckWritable();
  } catch (const ERegistryError& e) {
    err << "corvane-idf batch: " << e.what() << "\n";
    return 2;
  }
  {
    TGetInfoFromRegistry preset(memory);
    preset.FRegDir = kKey;
    for (const auto& s : o.Sets) {
      bool b = false;
      int n = 0;
      switch (s.Setting->Kind) {
        case TSettingKind::skText: preset.SetStringInRegistry(s.Setting->Name, s.Value); break;
        case TSettingKind::skBoolean:
          ParseBoolean(s.Value, b);
          preset.SetBooleanInRegistry(s.Setting->Name, b);
          break;
        case TSettingKind::skInteger:
          ParseInteger(s.Value, n);
          preset.SetIntegerInRegistry(s.Setting->Name, n);
          break;
      }
    }
    WriteDefaultHeightInWorkingUnit(o, preset);
  }

  auto services = std::make_shared<TBatchPlatform>(o.Board, err);
  services->fTerminal = errIsTerminal;
  TServicesScope scope(services);
  platform::InstallInterruptHandler();
  platform::TDecimalSeparatorGuard separator;

  int status = 0, pictureStatus = 0;
  std::string saveError;
  TLaunchSetup setup;
  setup.Medium = memory;
  setup.BeforeShow = [&](TCorvaneIdfImport& d) {
    d.FLibraryFileOverride = o.Library;
    // Ctrl-C is the Stop button: the next stop check ends the work.
    services->OnInterrupt = [&d] { d.StopButtonClick(); };
  };
  setup.AfterShow = [&](TCorvaneIdfImport& d) {
    // Options that act on the analysed board come first, so that the build sees them.
    try {
      ApplyAnalysisOptions(o, d);
    } catch (const EUsage& e) {
      services->OnInterrupt = nullptr;
      err << "corvane-idf batch: " << e.what() << "\n";
      status = 2;
      return;
    }
    // The top view shows the board as the build will take it.
    if (!o.Pictures.TopView.empty())
      if (auto e = WriteTopViewPicture(d, o.Pictures); !e.empty()) {
        err << "corvane-idf batch: " << e << "\n";
        pictureStatus = 2;
      }
    // The show sequence has loaded and analysed the board; now the build, as the button does it.
    if (!o.AssemblyDir.empty()) d.AssemblyPathEdit.SetText(o.AssemblyDir);
    d.OnProgressChange = [&d, &services] { services->ShowProgress(d); };
    const std::size_t writtenBefore = d.FFilesWritten.size();
    d.ImportButton.Click();
    d.OnProgressChange = nullptr;
    services->ClearProgress();
    services->OnInterrupt = nullptr;
    if (!d.fOkToContinue) {
      // The dialog stops silently here and stays open; a batch run must say that it built nothing.
      d.FImportIDF->ErrorLog.Add(d.FAssemblyFolderError.empty() ? "The import did not start: nothing was built"
                                                                : d.FAssemblyFolderError);
    }
    if (o.ShowParts) {
      // The Options tab's button: the binding of every placement, its search in the detail log.
      d.ShowPartUsageButton.Click();
      out << "---- Show Parts ----\n";
      for (const auto& l : d.PartUsageLines()) out << EscapeControls(l) << '\n';
    }
    const TIDFfile& idf = *d.FImportIDF;
    if (o.Log == "summary" || o.Log == "all") PrintLog(out, "Summary", idf.SummaryLog);
    if (o.Log == "detail" || o.Log == "all") PrintLog(out, "Detail", idf.VerifyLog);
    if (o.Log == "all" || !idf.WarningLog.Empty()) PrintLog(out, "Warning", idf.WarningLog);
    if (o.Log == "error" || !idf.ErrorLog.Empty()) PrintLog(out, "Error", idf.ErrorLog);
    if (!o.SelectDesignators.empty() || !o.SelectPackages.empty()) PrintSelection(out, d);
    if (!o.Heights.empty()) PrintHeights(out, d);
    status = HasErrors(idf.ErrorLog) ? 1 : 0;
    bool stepWritten = false;
    if (!o.StepFile.empty()) {
      const bool written = std::find(d.FFilesWritten.begin() + writtenBefore, d.FFilesWritten.end(),
                                     d.FAssemblyFilename) != d.FFilesWritten.end();
      try {
        if (!written) throw EAtomicFileError("no assembly was written");
        CopyFileAtomically(d.FAssemblyFilename, o.StepFile);
        stepWritten = true;
      } catch (const EAtomicFileError& e) {
        err << "corvane-idf batch: --step " << o.StepFile << ": " << e.what() << "\n";
        status = 2;
      }
    }
    if (d.FFilesWritten.size() > writtenBefore) {
      out << "---- Files written ----\n";
      for (std::size_t i = writtenBefore; i < d.FFilesWritten.size(); ++i)
        out << EscapeControls(d.FFilesWritten[i]) << '\n';
      if (stepWritten) out << EscapeControls(o.StepFile) << '\n';
    }
    if (!o.Pictures.Model.empty()) {
      const bool written = std::find(d.FFilesWritten.begin() + static_cast<std::ptrdiff_t>(writtenBefore),
                                     d.FFilesWritten.end(), d.FAssemblyFilename) != d.FFilesWritten.end();
      const std::string e =
          written ? WriteModelPicture(d.FAssemblyFilename, o.Pictures) : "--preview-3d: no assembly was written";
      if (!e.empty()) {
        err << "corvane-idf batch: " << e << "\n";
        pictureStatus = 2;
      }
    }
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
  return pictureStatus ? pictureStatus : status;
}
