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

// Help context numbers of the window's own views (the help set's context map).
constexpr int kPreviewHelpContext = 2600;
constexpr int kModelHelpContext = 2610;

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
  // F1 or Help in one of the window's own views: its page of the help set.
  void ShowHelpOf(controls::TControl& view);

  TCorvaneIdfImport& fForm;
  TBinder* fBinder;
  QTabWidget* fPages = nullptr;
  TPreviewPage* fPreview = nullptr;
  // Stand-ins for the window's own views, which are no controls of the dialog, carrying their
  // help context numbers.
  controls::TControl fPreviewHelp{"PreviewPage"}, fModelHelp{"ModelWindow"};
  int fShownHeight = -1, fShownPage = -1;
  bool fHeightPending = false;
};

// Makes the dialog models show as Qt windows when they run modally.
void InstallModalLoops();

}  // namespace ui
