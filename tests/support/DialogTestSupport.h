#pragma once
// A dialog on a scripted platform with an in-memory settings store and a board in a temp folder.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "host/dialog/ValdrinIdfImportForm.h"
#include "tests/support/ScriptedStoreTest.h"

namespace fs = std::filesystem;

inline const char* kSampleBoard =
    ".HEADER\nBOARD_FILE 3.0 \"Sample CAD\" 2026/01/01.12:00:00 1\nsample_board MM\n.END_HEADER\n"
    ".BOARD_OUTLINE ECAD\n1.6\n0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n.END_BOARD_OUTLINE\n"
    ".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n"
    ".PLACEMENT\nRES_0805 R0805 R1\n20 20 0 0 TOP PLACED\n.END_PLACEMENT\n";
inline const char* kSampleLibrary =
    ".HEADER\nLIBRARY_FILE 3.0 \"Sample CAD\" 2026/01/01.12:00:00 1\n.END_HEADER\n"
    ".ELECTRICAL\nRES_0805 R0805 MM 0.6\n0 -1 -0.6 0\n0 1 -0.6 0\n0 1 0.6 0\n0 -1 0.6 0\n0 -1 -0.6 0\n"
    ".END_ELECTRICAL\n";

class DialogTest : public ScriptedStoreTest {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("corvane-dialog-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    ScriptedStoreTest::SetUp();
    TIdfImportFormV4_XE2::ApplicationHelpFile.clear();
  }
  void TearDown() override {
    ScriptedStoreTest::TearDown();
    fs::remove_all(dir);
  }
  std::string Folder() const { return dir.string() + "/"; }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(dir / name) << text; }
  // The sample board and its library; returns the board path.
  std::string WriteSample(const std::string& stem = "sample") const {
    Write(stem + ".emn", kSampleBoard);
    Write(stem + ".emp", kSampleLibrary);
    return (dir / (stem + ".emn")).string();
  }
  template <class Form = TCorvaneIdfImport>
  std::unique_ptr<Form> MakeDialog() {
    auto d = std::make_unique<Form>();
    d->FReg = store.get();
    d->FAssyExt = ".CV_ASM";
    d->FPartExt = ".CV_PRT";
    return d;
  }
  // Creates a dialog and shows it with the board picked in the first file dialog.
  template <class Form = TCorvaneIdfImport>
  std::unique_ptr<Form> ShowWith(const std::string& board) {
    auto d = MakeDialog<Form>();
    scripted->FileAnswers.push_back(board);
    d->ShowModal();
    return d;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& c : scripted->CallsOf("MessageDlg")) out.push_back(c.Text);
    return out;
  }

  fs::path dir;
};
