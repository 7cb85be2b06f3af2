#pragma once
// The import dialog's window: the pages and controls of the dialog model laid out with Qt
// layouts and bound to the model, the progress bar and Stop above the pages, and the window's
// own views of the board: the "Preview" page and "Show Model".
#include <QDialog>

#include "host/dialog/ValdrinIdfImportForm.h"
#include "ui/Binder.h"

class QTabWidget;

namespace ui {

class TPreviewPage;

class TImportWindow : public QDialog {
 public:
  explicit TImportWindow(TCorvaneIdfImport& form, QWidget* parent = nullptr);
  ~TImportWindow() override;

  TBinder& Binder() { return *fBinder; }
  TCorvaneIdfImport& Form() { return fForm; }
  QTabWidget* Pages() const { return fPages; }
  // The top view page, after the dialog's own pages.
  TPreviewPage* Preview() const { return fPreview; }
  // The window that shows a dialog model; null when it has none.
  static TImportWindow* Of(const TIdfImportFormV4_XE2& form);
  // Lets go of the model's progress notice; call while the model still lives.
  void Detach();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  QWidget* ImportPage();
  QWidget* SettingsPage();
  QWidget* OptionsPage();
  QWidget* SelectPartsPage();
  QWidget* FeatureNamesPage();
  QWidget* StatusPage();
  QWidget* MemoPage(controls::TMemo& memo);
  // Title, bar, Stop, page visibility and height: what a build changes while it runs.
  void PushProgress();
  void PushHeight();
  void ShowHelpForFocus();

  TCorvaneIdfImport& fForm;
  TBinder* fBinder;
  QTabWidget* fPages = nullptr;
  TPreviewPage* fPreview = nullptr;
  int fShownHeight = -1, fShownPage = -1;
  bool fHeightPending = false;
};

// Makes the dialog models show as Qt windows when they run modally.
void InstallModalLoops();

}  // namespace ui
