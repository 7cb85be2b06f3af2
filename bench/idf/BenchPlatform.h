#pragma once
// The platform of a benchmark run: answers the board dialog with the board, cancels every other
// dialog, keeps messages quiet.
#include <string>

#include "platform/Platform.h"

class TBenchPlatform : public platform::TConsolePlatform {
 public:
  explicit TBenchPlatform(std::string board) : fBoard(std::move(board)) {}
  bool FileDialog(platform::TFileDialogRequest& r) override {
    if (fAnswered || r.Title != "Select IDF Board file") return false;
    fAnswered = true;
    r.FileName = fBoard;
    return true;
  }
  int MessageDlg(const std::string&, platform::TMsgDlgType, platform::TMsgDlgButtons b) override {
    return (b & platform::mbNo) ? platform::mrNo : platform::mrOk;
  }
  void ShowMessage(const std::string&) override {}

 private:
  std::string fBoard;
  bool fAnswered = false;
};
