#pragma once
// The window's "Preview" page: the top view of the loaded board as the import would take it
// now (hole check boxes, hole filter, part selection).
#include <QWidget>

class QLabel;
class TBoardPreviewWidget;
class TIdfImportFormV4_XE2;

namespace ui {

class TPreviewPage : public QWidget {
 public:
  explicit TPreviewPage(TIdfImportFormV4_XE2& form, QWidget* parent = nullptr);

  TBoardPreviewWidget* View() const { return fView; }
  // The dialog may have changed: the view is rebuilt at once when shown and now is true (not
  // while a build holds the dialog), else the next time the page shows.
  void Invalidate(bool now);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void Refresh();
  TIdfImportFormV4_XE2& fForm;
  TBoardPreviewWidget* fView;
  QLabel* fHint;
  bool fStale = true;
};

}  // namespace ui
