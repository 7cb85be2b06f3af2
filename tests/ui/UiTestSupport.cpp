#include "tests/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <cstdlib>

namespace {
int gArgc = 1;
char gName[] = "ui_tests";
char* gArgv[] = {gName, nullptr};

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    fApp = new QApplication(gArgc, gArgv);
  }
  void TearDown() override {
    delete fApp;
    fApp = nullptr;
  }

 private:
  QApplication* fApp = nullptr;
};
const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);
}  // namespace

TModalAnswers::TModalAnswers() {
  fTimer.setInterval(30);
  QObject::connect(&fTimer, &QTimer::timeout, [this] { Poll(); });
  fTimer.start();
}

TModalAnswers::~TModalAnswers() { fTimer.stop(); }

TModalAnswers& TModalAnswers::Then(std::function<void(QWidget*)> action) {
  fActions.push_back(std::move(action));
  return *this;
}

void TModalAnswers::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || fActions.empty() || !modal->isVisible()) return;
  for (const auto& w : fAnswered)
    if (w == modal) return;
  fAnswered.emplace_back(modal);
  auto action = std::move(fActions.front());
  fActions.pop_front();
  std::string seen = modal->windowTitle().toStdString();
  if (std::getenv("UI_TEST_TRACE"))
    std::fprintf(stderr, "modal: %s %s\n", modal->metaObject()->className(), seen.c_str());
  if (auto* box = qobject_cast<QMessageBox*>(modal)) seen += ": " + box->text().toStdString();
  Seen.push_back(seen);
  // Later: the dialog's exec() must be running before it is answered.
  QTimer::singleShot(0, modal, [action, modal] { action(modal); });
}

bool WaitFor(const std::function<bool()>& condition, int ms) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(10);
  }
  return true;
}

void TypeFileName(QWidget* dialog, const std::string& folder, const std::string& name) {
  auto* dlg = qobject_cast<QFileDialog*>(dialog);
  ASSERT_NE(dlg, nullptr) << "not a file dialog: " << dialog->metaObject()->className();
  dlg->setDirectory(QString::fromStdString(folder));
  auto* edit = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(edit, nullptr);
  edit->clear();
  QTest::keyClicks(edit, QString::fromStdString(name));
  QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
}

std::string Press(QWidget* box, QMessageBox::StandardButton button) {
  auto* b = qobject_cast<QMessageBox*>(box);
  if (!b) return "not a message box";
  const std::string text = b->text().toStdString();
  if (QAbstractButton* w = b->button(button)) w->click();
  return text;
}

void ClickOn(QWidget* w) {
  // Near the left edge: the box and the start of the label of a check box.
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(8, w->height() / 2));
}
