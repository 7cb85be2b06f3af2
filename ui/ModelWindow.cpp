#include "ui/ModelWindow.h"

#ifdef IDF_UI_WITH_MODEL_VIEW
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Platform.h"
#include "preview/AssemblyViewWidget.h"
#endif

namespace ui {

#ifdef IDF_UI_WITH_MODEL_VIEW
namespace {
class TModelWindow : public QDialog {
 public:
  explicit TModelWindow(QWidget* owner) : QDialog(owner), fView(new TAssemblyViewWidget) {
    setObjectName(QStringLiteral("ModelWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);
    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, corvane::TViewDirection> views[] = {
        {"&Top", corvane::vdTop}, {"&Bottom", corvane::vdBottom}, {"&Isometric", corvane::vdIsometric}};
    for (auto [caption, direction] : views) {
      auto* b = Add(buttons, caption);
      connect(b, &QPushButton::clicked, fView, [this, d = direction] { fView->SetDirection(d); });
    }
    connect(Add(buttons, "&Fit"), &QPushButton::clicked, fView, [this] { fView->Fit(); });
    buttons->addStretch();
    connect(Add(buttons, "&Help"), &QPushButton::clicked, this, [this] { Help(); });
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { Help(); });
    connect(Add(buttons, "&Close"), &QPushButton::clicked, this, &QDialog::close);
    auto* v = new QVBoxLayout(this);
    v->addWidget(fView, 1);
    v->addLayout(buttons);
    resize(900, 640);
  }
  TAssemblyViewWidget* View() const { return fView; }
  std::function<void()> OnHelp;

 private:
  void Help() {
    if (OnHelp) OnHelp();
  }
  QPushButton* Add(QHBoxLayout* row, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);  // the keys T, B, I and F stay with the view
    row->addWidget(b);
    return b;
  }
  TAssemblyViewWidget* fView;
};
}  // namespace

bool ModelViewAvailable() { return TAssemblyViewWidget::Available(); }

void ShowModelWindow(QWidget* owner, const std::string& file, std::function<void()> help) {
  // Only this file makes children of that name.
  auto* w =
      static_cast<TModelWindow*>(owner->findChild<QDialog*>(QStringLiteral("ModelWindow"), Qt::FindDirectChildrenOnly));
  const bool fresh = !w;
  if (fresh) w = new TModelWindow(owner);
  w->OnHelp = std::move(help);
  try {
    w->View()->Load(file);
  } catch (const std::exception& e) {
    if (fresh) delete w;
    platform::Services().MessageDlg(e.what(), platform::TMsgDlgType::mtError, platform::mbOK);
    return;
  }
  w->setWindowTitle(QStringLiteral("Model - ") + QFileInfo(QString::fromStdString(file)).fileName());
  w->show();
  w->raise();
  w->activateWindow();
  w->View()->setFocus();
  // The view meets OpenGL once it is on the screen; a view that cannot draw says why.
  QTimer::singleShot(0, w, [w] {
    if (!w->View()->Error().isEmpty())
      platform::Services().MessageDlg("The 3D view cannot draw: " + w->View()->Error().toStdString(),
                                      platform::TMsgDlgType::mtError, platform::mbOK);
  });
}
#else
bool ModelViewAvailable() { return false; }
void ShowModelWindow(QWidget*, const std::string&, std::function<void()>) {}
#endif

}  // namespace ui
