#pragma once
// The search path editor and the cross-reference editor as Qt dialogs bound to their models.
#include <QDialog>

#include "import/OrderedPaths.h"
#include "import/PartXref.h"
#include "ui/Binder.h"

namespace ui {

class TSearchPathDialog : public QDialog {
 public:
  explicit TSearchPathDialog(TSearchPath& form, QWidget* parent = nullptr);
  TBinder& Binder() { return *fBinder; }

 protected:
  void reject() override;

 private:
  TSearchPath& fForm;
  TBinder* fBinder;
};

class TXrefDialog : public QDialog {
 public:
  explicit TXrefDialog(TPartXrefForm& form, QWidget* parent = nullptr);
  TBinder& Binder() { return *fBinder; }

 protected:
  void reject() override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;

 private:
  TPartXrefForm& fForm;
  TBinder* fBinder;
};

// The editors' models open these dialogs when they run modally.
void InstallEditorLoops();

}  // namespace ui
