#include "ui/PreviewPage.h"

#include <QLabel>
#include <QVBoxLayout>
#include <exception>

#include "preview/BoardPreviewWidget.h"

namespace ui {

namespace {
const QString kHint = QStringLiteral(
    "Wheel: zoom    Drag: pan    Double-click: whole board    Pointer on a part: designator, package, height    F1: "
    "help");
}  // namespace

TPreviewPage::TPreviewPage(TIdfImportFormV4_XE2& form, QWidget* parent)
    : QWidget(parent), fForm(form), fView(new TBoardPreviewWidget), fHint(new QLabel(kHint)) {
  fView->setObjectName(QStringLiteral("BoardPreview"));
  // The page asks the window for this room when it is shown; the dialog's own pages are lower.
  fView->setMinimumSize(480, 300);
  fHint->setObjectName(QStringLiteral("BoardPreviewHint"));
  fHint->setWordWrap(true);
  auto* v = new QVBoxLayout(this);
  v->addWidget(fView, 1);
  v->addWidget(fHint);
}

void TPreviewPage::Invalidate(bool now) {
  fStale = true;
  if (now && isVisible()) Refresh();
}

void TPreviewPage::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (fStale) Refresh();
}

void TPreviewPage::Refresh() {
  fStale = false;
  try {
    fView->ShowDialogState(fForm);
    fHint->setText(kHint);
  } catch (const std::exception& e) {
    // A picture of a half-read board would mislead: an empty view and the reason.
    fView->SetScene({});
    fHint->setText(QStringLiteral("No top view: ") + QString::fromStdString(e.what()));
  }
}

}  // namespace ui
