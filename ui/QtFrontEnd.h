#pragma once
// What a Qt program needs around the dialog models: the application object, the fonts, the Qt
// platform services and the modal loops, and the import window around one dialog.
#include <memory>
#include <string>

#include "host/dialog/ValdrinIdfImportForm.h"
#include "ui/QtPlatform.h"

class QApplication;

namespace ui {

class TImportWindow;

class TQtSession {
 public:
  // Uses the running QApplication, or makes one.
  TQtSession(int& argc, char** argv);
  ~TQtSession();
  TQtSession(const TQtSession&) = delete;
  TQtSession& operator=(const TQtSession&) = delete;

  TQtPlatform& Platform() { return *fPlatform; }
  // Shows the import window of a dialog before its show sequence runs (the board file dialog
  // then opens over it); the modal loop runs in it.
  void OpenWindow(TCorvaneIdfImport& dialog);
  void CloseWindow(TCorvaneIdfImport& dialog);

 private:
  std::unique_ptr<QApplication> fApp;
  std::shared_ptr<TQtPlatform> fPlatform;
  std::shared_ptr<platform::IPlatform> fSaved;
  std::unique_ptr<TImportWindow> fWindow;
};

}  // namespace ui
