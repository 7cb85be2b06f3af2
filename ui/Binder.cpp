#include "ui/Binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>

namespace ui {

QString Q(const std::string& s) { return QString::fromStdString(s); }

namespace {
// An event filter made of a function: true eats the event.
class TEventHook : public QObject {
 public:
  TEventHook(QObject* target, std::function<bool(QObject*, QEvent*)> f) : QObject(target), fFilter(std::move(f)) {
    target->installEventFilter(this);
  }
  bool eventFilter(QObject* o, QEvent* e) override { return fFilter(o, e); }

 private:
  std::function<bool(QObject*, QEvent*)> fFilter;
};

void Hook(QObject* target, std::function<bool(QObject*, QEvent*)> f) { new TEventHook(target, std::move(f)); }

std::vector<std::string> LinesOf(const QString& text) {
  std::vector<std::string> lines;
  for (const QString& l : text.split(QLatin1Char('\n'))) lines.push_back(l.toStdString());
  return lines;
}

QString JoinLines(const std::vector<std::string>& lines) {
  QStringList l;
  l.reserve(static_cast<int>(lines.size()));
  for (const auto& s : lines) l << Q(s);
  return l.join(QLatin1Char('\n'));
}
}  // namespace

bool TypedText(const QLineEdit* edit, const QKeyEvent* key, TTypedText& out) {
  const QString t = key->text();
  if (t.size() != 1 || t[0].unicode() < 0x20 || t[0].unicode() > 0x7E) return false;
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  QString text = edit->text();
  out.Before = text.toStdString();
  int pos = edit->cursorPosition();
  if (edit->hasSelectedText()) {
    pos = edit->selectionStart();
    text.remove(pos, static_cast<int>(edit->selectedText().size()));
  }
  text.insert(pos, t);
  out.After = text.toStdString();
  out.Key = static_cast<char>(t[0].unicode());
  return true;
}

TBinder::TBinder(QWidget* window) : QObject(window), fWindow(window) {}

void TBinder::Run(const std::function<void()>& action, bool allowWhileBusy) {
  if (fPushing || (fDepth > 0 && !allowWhileBusy)) return;
  ++fDepth;
  try {
    action();
  } catch (...) {
    --fDepth;
    PushAll();
    throw;
  }
  --fDepth;
  PushAll();
  if (fDepth == 0 && AfterAction) AfterAction();
}

void TBinder::PushAll() {
  if (fPushing) return;
  fPushing = true;
  for (auto& p : fPushes) p();
  fPushing = false;
}

void TBinder::Bind(controls::TControl& c, QWidget* w, std::function<void()> push, bool showState) {
  w->setObjectName(Q(c.Name));
  fControlOf[w] = &c;
  fWidgetOf[&c] = w;
  fPushes.push_back([&c, w, push = std::move(push), showState] {
    if (w->isEnabled() != c.Enabled) w->setEnabled(c.Enabled);
    if (showState && w->isVisibleTo(w->parentWidget()) != c.Visible) w->setVisible(c.Visible);
    if (w->toolTip() != Q(c.Hint)) w->setToolTip(Q(c.Hint));
    w->setProperty("helpContext", c.HelpContext);
    if (push) push();
  });
}

controls::TControl* TBinder::ControlOf(const QWidget* w) const {
  for (; w; w = w->parentWidget()) {
    auto it = fControlOf.find(w);
    if (it != fControlOf.end()) return it->second;
  }
  return nullptr;
}

QWidget* TBinder::WidgetOf(const controls::TControl& c) const {
  auto it = fWidgetOf.find(&c);
  return it == fWidgetOf.end() ? nullptr : it->second;
}

QCheckBox* TBinder::CheckBox(controls::TCheckBox& c) {
  auto* w = new QCheckBox(Q(c.Caption));
  Bind(c, w, [&c, w] {
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
    if (w->isChecked() != c.Checked) w->setChecked(c.Checked);
  });
  // The model toggles on Click(); the widget's own toggle is overwritten by the push.
  connect(w, &QCheckBox::clicked, this, [this, &c] { Run([&c] { c.Click(); }); });
  return w;
}

QRadioButton* TBinder::Radio(controls::TRadioButton& c) {
  auto* w = new QRadioButton(Q(c.Caption));
  w->setAutoExclusive(false);  // the model keeps its groups exclusive
  Bind(c, w, [&c, w] {
    if (w->isChecked() != c.Checked()) w->setChecked(c.Checked());
  });
  connect(w, &QRadioButton::clicked, this, [this, &c] { Run([&c] { c.Click(); }); });
  return w;
}

QPushButton* TBinder::Button(controls::TButton& c, bool allowWhileBusy) {
  auto* w = new QPushButton(Q(c.Caption));
  w->setAutoDefault(false);
  Bind(c, w, [&c, w] {
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
  });
  connect(w, &QPushButton::clicked, this, [this, &c, allowWhileBusy] { Run([&c] { c.Click(); }, allowWhileBusy); });
  return w;
}

QLineEdit* TBinder::Edit(controls::TEdit& c) {
  auto* w = new QLineEdit;
  Bind(c, w, [&c, w] {
    if (w->text() != Q(c.Text())) w->setText(Q(c.Text()));
    if (w->isReadOnly() != c.ReadOnly) w->setReadOnly(c.ReadOnly);
  });
  connect(w, &QLineEdit::textEdited, this,
          [this, &c](const QString& t) { Run([&c, t] { c.SetText(t.toStdString()); }); });
  Hook(w, [this, &c, w](QObject*, QEvent* e) {
    if (e->type() == QEvent::MouseButtonDblClick) {
      Run([&c] { c.DblClick(); });
      return true;
    }
    if (e->type() == QEvent::FocusOut) {
      Run([&c] { c.Exit(); });
      return false;
    }
    if (e->type() != QEvent::KeyPress || !c.OnKeyPress || w->isReadOnly()) return false;
    TTypedText typed;
    if (!TypedText(w, static_cast<QKeyEvent*>(e), typed)) return false;
    Run([&c, typed] {
      if (typed.After == typed.Before + typed.Key) {
        c.TypeChar(typed.Key);
        return;
      }
      // Typed inside the text: the key check reads the text up to the key's last character,
      // so it judges the whole new text.
      c.SetText(typed.After.substr(0, typed.After.size() - 1));
      char key = typed.After.back();
      c.OnKeyPress(key);
      c.SetText(key == '\0' ? typed.Before : typed.After);
    });
    return true;
  });
  return w;
}

QComboBox* TBinder::Combo(controls::TComboBox& c) {
  auto* w = new QComboBox;
  Bind(c, w, [&c, w] {
    QStringList items;
    for (const auto& i : c.Items) items << Q(i);
    QStringList shown;
    for (int i = 0; i < w->count(); ++i) shown << w->itemText(i);
    if (shown != items) {
      w->clear();
      w->addItems(items);
    }
    if (w->currentIndex() != c.ItemIndex()) w->setCurrentIndex(c.ItemIndex());
  });
  connect(w, &QComboBox::activated, this, [this, &c](int i) { Run([&c, i] { c.Select(i); }); });
  Hook(w, [this, &c](QObject*, QEvent* e) {
    if (e->type() != QEvent::KeyPress || !c.OnKeyPress) return false;
    const QString t = static_cast<QKeyEvent*>(e)->text();
    if (t.size() != 1 || t[0].unicode() < 0x20 || t[0].unicode() > 0x7E) return false;
    char key = static_cast<char>(t[0].unicode());
    Run([&c, &key] { c.TypeChar(key); });
    return key == '\0';
  });
  return w;
}

QLabel* TBinder::Label(controls::TLabel& c) {
  auto* w = new QLabel(Q(c.Caption));
  Bind(c, w, [&c, w] {
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
  });
  return w;
}

QLabel* TBinder::CaptionLabel(controls::TControl& c, QWidget* buddy) {
  auto* w = new QLabel(Q(c.Caption));
  w->setBuddy(buddy);
  fPushes.push_back([&c, w] {
    if (w->isEnabled() != c.Enabled) w->setEnabled(c.Enabled);
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
  });
  return w;
}

QGroupBox* TBinder::Group(controls::TGroupBox& c) {
  auto* w = new QGroupBox(Q(c.Caption));
  Bind(c, w, nullptr);
  return w;
}

QTableWidget* TBinder::Grid(controls::TStringGrid& c) {
  auto* w = new QTableWidget;
  w->horizontalHeader()->setVisible(c.FixedRows > 0);
  w->verticalHeader()->setVisible(false);
  w->setWordWrap(false);
  Bind(c, w, [&c, w] {
    const int fixed = c.FixedRows;
    const int rows = std::max(c.RowCount() - fixed, 0);
    if (w->columnCount() != c.ColCount()) w->setColumnCount(c.ColCount());
    if (w->rowCount() != rows) w->setRowCount(rows);
    for (int col = 0; col < c.ColCount(); ++col) {
      if (fixed > 0) {
        QTableWidgetItem* h = w->horizontalHeaderItem(col);
        if (!h || h->text() != Q(c.Cell(col, 0)))
          w->setHorizontalHeaderItem(col, new QTableWidgetItem(Q(c.Cell(col, 0))));
      }
      for (int row = 0; row < rows; ++row) {
        const QString text = Q(c.Cell(col, row + fixed));
        QTableWidgetItem* item = w->item(row, col);
        if (!item) {
          item = new QTableWidgetItem(text);
          item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
          w->setItem(row, col, item);
        } else if (item->text() != text) {
          item->setText(text);
        }
      }
    }
  });
  // The model's current cell follows the widget's.
  connect(w, &QTableWidget::currentCellChanged, this, [this, &c](int row, int col) {
    if (fPushing || row < 0 || col < 0) return;
    c.Row = row + c.FixedRows;
    c.Col = col;
  });
  connect(w, &QTableWidget::itemChanged, this, [this, &c](QTableWidgetItem* item) {
    if (fPushing) return;
    const int row = item->row() + c.FixedRows, col = item->column();
    const std::string text = item->text().toStdString();
    if (c.Cell(col, row) != text) Run([&c, col, row, text] { c.SetCell(col, row, text); });
  });
  connect(w, &QTableWidget::cellDoubleClicked, this, [this, &c](int row, int col) {
    Run([&c, row, col] {
      c.Row = row + c.FixedRows;
      c.Col = col;
      c.DblClick();
    });
  });
  return w;
}

QListWidget* TBinder::CheckList(controls::TCheckListBox& c) {
  auto* w = new QListWidget;
  Bind(c, w, [&c, w] {
    bool same = w->count() == c.Count();
    for (int i = 0; same && i < c.Count(); ++i) same = w->item(i)->text() == Q(c.Item(i));
    if (!same) {
      w->clear();
      for (int i = 0; i < c.Count(); ++i) {
        auto* item = new QListWidgetItem(Q(c.Item(i)), w);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(c.Checked(i) ? Qt::Checked : Qt::Unchecked);  // shows the box
      }
    }
    for (int i = 0; i < c.Count(); ++i) {
      const Qt::CheckState s = c.Checked(i) ? Qt::Checked : Qt::Unchecked;
      if (w->item(i)->checkState() != s) w->item(i)->setCheckState(s);
    }
  });
  connect(w, &QListWidget::itemChanged, this, [this, &c, w](QListWidgetItem* item) {
    if (fPushing) return;
    const int i = w->row(item);
    const bool on = item->checkState() == Qt::Checked;
    if (i >= 0 && i < c.Count() && c.Checked(i) != on) Run([&c, i, on] { c.SetChecked(i, on); });
  });
  return w;
}

QListWidget* TBinder::List(controls::TListBox& c) {
  auto* w = new QListWidget;
  w->setSelectionMode(QAbstractItemView::SingleSelection);
  Bind(c, w, [&c, w] {
    QStringList items;
    for (const auto& i : c.Items) items << Q(i);
    bool same = w->count() == items.size();
    for (int i = 0; same && i < w->count(); ++i) same = w->item(i)->text() == items[i];
    if (!same) {
      w->clear();
      w->addItems(items);
    }
    if (w->currentRow() != c.ItemIndex()) w->setCurrentRow(c.ItemIndex());
    if (c.ItemIndex() < 0) w->clearSelection();
  });
  connect(w, &QListWidget::itemClicked, this, [this, &c, w](QListWidgetItem* item) {
    const int i = w->row(item);
    Run([&c, i] { c.ClickItem(i); });
  });
  return w;
}

QPlainTextEdit* TBinder::Memo(controls::TMemo& c, bool monospace, bool readOnly) {
  auto* w = new QPlainTextEdit;
  w->setReadOnly(readOnly);
  w->setLineWrapMode(QPlainTextEdit::NoWrap);
  if (monospace) {
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    w->setFont(mono);
  }
  w->setVerticalScrollBarPolicy(c.ScrollBarVertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
  auto shown = std::make_shared<std::vector<std::string>>();
  Bind(c, w, [&c, w, shown] {
    if (*shown == c.Lines) return;
    *shown = c.Lines;
    w->setPlainText(JoinLines(c.Lines));
  });
  connect(w, &QPlainTextEdit::textChanged, this, [this, &c, w, shown] {
    if (fPushing) return;
    c.Lines = LinesOf(w->toPlainText());
    *shown = c.Lines;
  });
  // A double-click selects the blank-delimited word under the mouse, as the jump to an error's
  // line expects ("BOARD_OUTLINE>Line:12"), then runs the control's handler.
  Hook(w->viewport(), [this, &c, w](QObject*, QEvent* e) {
    if (e->type() != QEvent::MouseButtonDblClick) return false;
    const auto* m = static_cast<QMouseEvent*>(e);
    QTextCursor cur = w->cursorForPosition(m->position().toPoint());
    const QString line = cur.block().text();
    int start = cur.positionInBlock(), end = start;
    while (start > 0 && !line[start - 1].isSpace()) --start;
    while (end < line.size() && !line[end].isSpace()) ++end;
    cur.setPosition(cur.block().position() + start);
    cur.setPosition(cur.block().position() + end, QTextCursor::KeepAnchor);
    w->setTextCursor(cur);
    const std::string sel = line.mid(start, end - start).toStdString();
    Run([&c, sel] {
      c.SelText = sel;
      c.DblClick();
    });
    return true;
  });
  return w;
}

QProgressBar* TBinder::Progress(controls::TProgressBar& c) {
  auto* w = new QProgressBar;
  w->setTextVisible(false);
  Bind(c, w, [&c, w] {
    if (w->minimum() != c.Min || w->maximum() != c.Max) w->setRange(c.Min, std::max(c.Max, c.Min));
    if (w->value() != c.Position) w->setValue(c.Position);
  });
  return w;
}

QTabWidget* TBinder::Pages(controls::TPageControl& c) {
  auto* w = new QTabWidget;
  // Tabs after the model's pages belong to the window: one stays shown until the model turns
  // to another page.
  Bind(c, w, [&c, w, pushed = -1]() mutable {
    const int i = c.ActivePageIndex();
    const bool ownTab = w->currentIndex() >= c.PageCount();
    if (i >= 0 && w->currentIndex() != i && (!ownTab || i != pushed)) w->setCurrentIndex(i);
    pushed = i;
  });
  connect(w, &QTabWidget::currentChanged, this, [this, &c, w](int i) {
    if (fPushing || i < 0) return;
    if (Busy()) {
      // No page change while work runs: back to the model's page.
      w->setCurrentIndex(c.ActivePageIndex());
      return;
    }
    if (i >= c.PageCount()) return;
    Run([&c, i] { c.SelectPage(c.Page(i)); });
  });
  return w;
}

void TBinder::OnKeys(QWidget* w, std::vector<int> keys, std::function<void()> action) {
  Hook(w, [this, keys = std::move(keys), action = std::move(action)](QObject*, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    for (int k : keys)
      if (k == key) Run(action);
    return false;
  });
}

}  // namespace ui
