#pragma once
#include <memory>
#include <string>

#include "CommonObjects/IDFfile.h"
#include "platform/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"

// Installs a scripted platform for the test's lifetime and restores the previous one.
class TScopedScriptedPlatform {
 public:
  TScopedScriptedPlatform() : Platform(std::make_shared<platform::TScriptedPlatform>()) {
    fOld = platform::SetServices(Platform);
    platform::SetDecimalSeparator('.');
  }
  ~TScopedScriptedPlatform() {
    platform::SetServices(fOld);
    platform::SetDecimalSeparator('.');
  }
  std::shared_ptr<platform::TScriptedPlatform> Platform;

 private:
  std::shared_ptr<platform::IPlatform> fOld;
};

inline std::unique_ptr<TIDFfile> NewFileSet() {
  auto f = std::make_unique<TIDFfile>();
  f->OutputUnits = utCM;
  f->IgnoreRegionalDecPoint = true;
  f->SetDecimalSep();
  return f;
}

// Loads board (and library, when given) text through LoadFiles.
inline std::unique_ptr<TIDFfile> LoadText(const TTempDir& dir, const std::string& board,
                                          const std::string& library = {}, bool* ok = nullptr) {
  auto f = NewFileSet();
  f->BoardFile = TFilePath::Split(dir.Write("t.emn", board));
  if (!library.empty()) f->LibFile = TFilePath::Split(dir.Write("t.emp", library));
  bool r = f->LoadFiles();
  if (ok) *ok = r;
  return f;
}

inline const char* kHeader3 =
    ".HEADER\nBOARD_FILE 3.0 \"Test Writer\" 2026/01/01.00:00:00 1\ntestboard MM\n.END_HEADER\n";
inline const char* kHeader2 =
    ".HEADER\nBOARD_FILE 2.0 \"Test Writer\" 2026/01/01.00:00:00 1\ntestboard THOU\n.END_HEADER\n";
inline const char* kLibHeader = ".HEADER\nLIBRARY_FILE 3.0 \"Test Writer\" 2026/01/01 1\n.END_HEADER\n";
