#pragma once
// Binds headless controls to Qt widgets: one widget per control. Widget signals become model
// calls (a click is the control's Click(), typing its SetText), and after every model call the
// state of every control is pushed back into its widget. The widgets hold no state of their own.
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "controls/Controls.h"
#include "controls/ListBox.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QWidget;
class QKeyEvent;

namespace ui {

QString Q(const std::string& s);

class TBinder : public QObject {
 public:
  explicit TBinder(QWidget* window);

  // Runs a user action on the model, then pushes every control. While an action runs (a build
  // pumps events through the platform), other actions are refused unless allowed while busy.
  void Run(const std::function<void()>& action, bool allowWhileBusy = false);
  void PushAll();
  bool Busy() const { return fDepth > 0; }
  // Runs after every action (the window closes itself on a modal result here).
  std::function<void()> AfterAction;

  QCheckBox* CheckBox(controls::TCheckBox& c);
  QRadioButton* Radio(controls::TRadioButton& c);
  QPushButton* Button(controls::TButton& c, bool allowWhileBusy = false);
  QLineEdit* Edit(controls::TEdit& c);
  QComboBox* Combo(controls::TComboBox& c);
  QLabel* Label(controls::TLabel& c);
  // A label showing a control's caption, whose access key focuses the control's widget.
  QLabel* CaptionLabel(controls::TControl& c, QWidget* buddy);
  QGroupBox* Group(controls::TGroupBox& c);
  QTableWidget* Grid(controls::TStringGrid& c);
  QListWidget* CheckList(controls::TCheckListBox& c);
  QListWidget* List(controls::TListBox& c);
  QPlainTextEdit* Memo(controls::TMemo& c, bool monospace, bool readOnly);
  QProgressBar* Progress(controls::TProgressBar& c);
  QTabWidget* Pages(controls::TPageControl& c);

  // A key on a widget runs an action (Enter, Up or Down in a field, space in a grid).
  void OnKeys(QWidget* w, std::vector<int> keys, std::function<void()> action);
  // Extra state pushed with every control (window title, window height).
  void AddPush(std::function<void()> push) { fPushes.push_back(std::move(push)); }

  controls::TControl* ControlOf(const QWidget* w) const;
  QWidget* WidgetOf(const controls::TControl& c) const;

 private:
  void Bind(controls::TControl& c, QWidget* w, std::function<void()> push, bool showState = true);
  QWidget* fWindow;
  int fDepth = 0;
  bool fPushing = false;
  std::vector<std::function<void()>> fPushes;
  std::map<const QWidget*, controls::TControl*> fControlOf;
  std::map<const controls::TControl*, QWidget*> fWidgetOf;
};

// What a typed character does to a line's text, from its cursor and selection: the text before,
// the text after, the character. False for keys that type no single ASCII character.
struct TTypedText {
  std::string Before, After;
  char Key = '\0';
};
bool TypedText(const QLineEdit* edit, const QKeyEvent* key, TTypedText& out);

}  // namespace ui
