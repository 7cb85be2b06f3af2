#pragma once
// Boards written for the analysis tests and a dialog shown with them.
#include <algorithm>
#include <string>

#include "tests/support/DialogTestSupport.h"

inline const char* kHeader = ".HEADER\nBOARD_FILE 3.0 \"Test\" 2026/01/01.12:00:00 1\ntest_board MM\n.END_HEADER\n";
inline const char* kOutline =
    ".BOARD_OUTLINE ECAD\n1.6\n0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n.END_BOARD_OUTLINE\n";
inline const char* kEmptyLibrary = ".HEADER\nLIBRARY_FILE 3.0 \"Test\" 2026/01/01.12:00:00 1\n.END_HEADER\n";

// A closed square section body (outline, keep-out or region) at x.
inline std::string Square(int x) {
  const std::string a = std::to_string(x), b = std::to_string(x + 5);
  return "0 " + a + " 1 0\n0 " + b + " 1 0\n0 " + b + " 6 0\n0 " + a + " 6 0\n0 " + a + " 1 0\n";
}
inline std::string Other(const std::string& name, const std::string& layer = "TOP") {
  return ".OTHER_OUTLINE ECAD\n" + name + " 0.035 " + layer + "\n" + Square(10) + ".END_OTHER_OUTLINE\n";
}

class AnalysisTest : public DialogTest {
 protected:
  // Writes board and library under stem and shows the dialog with them.
  std::unique_ptr<TCorvaneIdfImport> Show(const std::string& board, const std::string& library = kEmptyLibrary,
                                          const std::string& stem = "b") {
    Write(stem + ".emn", std::string(kHeader) + board);
    Write(stem + ".emp", library);
    return ShowWith((dir / (stem + ".emn")).string());
  }
  static bool Has(const TSearchStringList& log, const std::string& line) {
    const auto& l = log.Lines();
    return std::find(l.begin(), l.end(), line) != l.end();
  }
  static int CountOf(const TSearchStringList& log, const std::string& line) {
    const auto& l = log.Lines();
    return static_cast<int>(std::count(l.begin(), l.end(), line));
  }
};
