#pragma once
// Widget tests: one QApplication on the offscreen platform, and answers for the modal dialogs
// and message boxes that open while a test runs (file dialogs are typed into, as a user would).
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Runs each queued action on the next modal widget that opens (a file dialog, a message box,
// an editor), polling while the test or a modal loop pumps events.
class TModalAnswers {
 public:
  TModalAnswers();
  ~TModalAnswers();
  TModalAnswers& Then(std::function<void(QWidget*)> action);
  bool Done() const { return fActions.empty(); }
  // The titles and texts of the modal widgets answered, in order.
  std::vector<std::string> Seen;

 private:
  void Poll();
  std::deque<std::function<void(QWidget*)>> fActions;
  // Every widget answered so far: a dialog shows again when the one it opened closes.
  std::vector<QPointer<QWidget>> fAnswered;
  QTimer fTimer;
};

// Pumps events until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int ms = 10000);
// Types a file name into a file dialog opened in folder and accepts it.
void TypeFileName(QWidget* dialog, const std::string& folder, const std::string& name);
// Presses a button of a message box; its text is returned.
std::string Press(QWidget* box, QMessageBox::StandardButton button);
// A user's click on a widget (a check box reacts only on its box or label).
void ClickOn(QWidget* w);
