#pragma once
// Headless control model. The dialogs own these as members and implement their handlers as
// methods; a front end mirrors them with widgets, tests drive them like a user would.
//
// Conventions shared by every control:
//  - changing an edit's or a combo box's text fires OnChange, whoever changes it;
//  - setting Checked from code fires nothing; Click() is the user's click (toggle, then handler).
#include <functional>
#include <string>
#include <vector>

namespace controls {

using TNotifyEvent = std::function<void()>;
// A key typed into a control; the handler may replace it, or drop it by setting it to '\0'.
using TKeyPressEvent = std::function<void(char& key)>;

class TControl {
 public:
  explicit TControl(std::string name = {}) : Name(std::move(name)) {}
  virtual ~TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  std::string Name;
  std::string Caption;  // "&" marks the access key
  std::string Hint;
  bool Enabled = true;
  bool Visible = true;
  int HelpContext = 0;
  int Height = 0;
  bool TabStop = true;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnExit;  // focus leaves the control
  TKeyPressEvent OnKeyPress;

  // Whether a user can reach the control at all.
  bool Usable() const { return Enabled && Visible; }
  // The user double-clicks the control.
  void DblClick() {
    if (Usable() && OnDblClick) OnDblClick();
  }
  // Focus leaves the control.
  void Exit() {
    if (OnExit) OnExit();
  }
  // Caption without its access-key marks ("&&" stays a literal "&").
  std::string PlainCaption() const;
};

class TLabel : public TControl {
 public:
  using TControl::TControl;
};

class TGroupBox : public TControl {
 public:
  using TControl::TControl;
};

class TButton : public TControl {
 public:
  using TControl::TControl;
  int ModalResult = 0;  // the result the button gives its form when clicked
  // A user click: only an enabled, visible button reacts.
  void Click() {
    if (Usable() && OnClick) OnClick();
  }
};

class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  bool Checked = false;
  // A user click: toggles, then runs the handler. Disabled boxes ignore clicks.
  void Click() {
    if (!Usable()) return;
    Checked = !Checked;
    if (OnClick) OnClick();
  }
};

class TRadioButton : public TControl {
 public:
  using TControl::TControl;
  // Buttons that share a group uncheck each other.
  void SetGroup(std::vector<TRadioButton*>* group) { fGroup = group; }
  bool Checked() const { return fChecked; }
  // From code: no handler runs, but the group stays exclusive.
  void SetChecked(bool value);
  // A user click checks the button (it never unchecks) and runs the handler.
  void Click() {
    if (!Usable()) return;
    SetChecked(true);
    if (OnClick) OnClick();
  }

 private:
  bool fChecked = false;
  std::vector<TRadioButton*>* fGroup = nullptr;
};

class TEdit : public TControl {
 public:
  using TControl::TControl;
  TNotifyEvent OnChange;
  bool ReadOnly = false;
  const std::string& Text() const { return fText; }
  // Fires OnChange when the text differs from the old one.
  void SetText(const std::string& text);
  // The user types one character at the end of the text (backspace = '\b' removes the last).
  void TypeChar(char key);

 private:
  std::string fText;
};

class TComboBox : public TControl {
 public:
  using TControl::TControl;
  TNotifyEvent OnChange;
  std::vector<std::string> Items;
  int ItemIndex() const { return fItemIndex; }
  // From code: no handler runs. An index outside the items selects nothing (-1).
  void SetItemIndex(int index);
  std::string Text() const;
  // The user picks an item from the list: select it, then OnChange.
  void Select(int index);
  // The user types a character while the box has focus; only OnKeyPress decides.
  void TypeChar(char key);

 private:
  int fItemIndex = -1;
};

class TStringGrid : public TControl {
 public:
  using TControl::TControl;
  int ColCount() const { return fColCount; }
  int RowCount() const { return fRowCount; }
  void SetColCount(int n);
  void SetRowCount(int n);
  // Reading outside the grid gives an empty text; writing outside grows nothing and is ignored.
  std::string Cell(int col, int row) const;
  void SetCell(int col, int row, const std::string& text);
  int FixedRows = 0;
  int FixedCols = 0;
  int Row = 0;
  int Col = 0;

 private:
  int fColCount = 5;
  int fRowCount = 5;
  std::vector<std::vector<std::string>> fCells;  // [row][col]
  void Resize();
};

class TCheckListBox : public TControl {
 public:
  using TControl::TControl;
  int Count() const { return static_cast<int>(fItems.size()); }
  const std::string& Item(int i) const { return fItems.at(static_cast<std::size_t>(i)); }
  bool Checked(int i) const { return fChecked.at(static_cast<std::size_t>(i)); }
  void SetChecked(int i, bool value) { fChecked.at(static_cast<std::size_t>(i)) = value; }
  int Add(const std::string& item, bool checked = false);
  void Clear();
  int Columns = 0;

 private:
  std::vector<std::string> fItems;
  std::vector<bool> fChecked;
};

class TMemo : public TControl {
 public:
  using TControl::TControl;
  std::vector<std::string> Lines;
  bool ScrollBarVertical = false;
  // The text a double-click selected (a word of a line); set by the front end or a test.
  std::string SelText;
  std::string Text() const;
};

class TProgressBar : public TControl {
 public:
  using TControl::TControl;
  int Min = 0;
  int Max = 100;
  int Position = 0;
  int Step = 10;
  // Advances by Step, never beyond Max.
  void StepIt();
};

class TTabSheet : public TControl {
 public:
  using TControl::TControl;
  TNotifyEvent OnShow;  // runs whenever the sheet becomes the active page
  int PageIndex = -1;
};

class TPageControl : public TControl {
 public:
  using TControl::TControl;
  TNotifyEvent OnChange;  // only the user's page change fires it
  void AddPage(TTabSheet* sheet);
  int PageCount() const { return static_cast<int>(fPages.size()); }
  TTabSheet* Page(int i) const { return fPages.at(static_cast<std::size_t>(i)); }
  TTabSheet* ActivePage() const { return fActive; }
  int ActivePageIndex() const { return fActive ? fActive->PageIndex : -1; }
  // From code: the sheet's OnShow runs, OnChange does not.
  void SetActivePage(TTabSheet* sheet);
  // The user clicks a tab: the sheet shows, then OnChange.
  void SelectPage(TTabSheet* sheet);

 private:
  std::vector<TTabSheet*> fPages;
  TTabSheet* fActive = nullptr;
};

// The window the controls sit on.
class TForm : public TControl {
 public:
  using TControl::TControl;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int ModalResult = 0;
  bool Showing = false;
  TControl* ActiveControl = nullptr;  // the control with the focus
};

}  // namespace controls
