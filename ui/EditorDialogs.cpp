#include "ui/EditorDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

namespace ui {

namespace {
// The dialog closes itself once its model has a modal result.
template <class F>
void CloseOnResult(QDialog* dlg, TBinder& b, F& form) {
  b.AfterAction = [dlg, &form] {
    if (form.ModalResult != platform::mrNone && dlg->isVisible()) dlg->done(form.ModalResult);
  };
  b.AddPush([dlg, &form] {
    if (dlg->windowTitle() != Q(form.Caption)) dlg->setWindowTitle(Q(form.Caption));
  });
}

// F1 on a control opens the help at its context number; a control without one opens the
// editor's topic.
void ContextHelp(QDialog* dlg, TBinder& b, const std::string& helpFile, const std::string& topic) {
  auto* key = new QShortcut(QKeySequence(Qt::Key_F1), dlg);
  QObject::connect(key, &QShortcut::activated, dlg, [&b, helpFile, topic] {
    const controls::TControl* c = b.ControlOf(QApplication::focusWidget());
    const std::string file = FindHelpFile(helpFile);
    if (file.empty()) {
      platform::Services().MessageDlg(helpFile + " does not exist", platform::TMsgDlgType::mtInformation,
                                      platform::mbOK);
      return;
    }
    const int context = c ? c->HelpContext : 0;
    platform::Services().ShowHelp(file, context ? std::string() : topic, context);
  });
}
}  // namespace

TSearchPathDialog::TSearchPathDialog(TSearchPath& form, QWidget* parent)
    : QDialog(parent), fForm(form), fBinder(new TBinder(this)) {
  setObjectName(QStringLiteral("SearchPath"));
  TBinder& b = *fBinder;
  QPushButton* up = b.Button(form.UpButton);
  QPushButton* down = b.Button(form.DownButton);
  up->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
  down->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
  up->setToolTip(QStringLiteral("Move Up"));
  down->setToolTip(QStringLiteral("Move Down"));
  auto* moves = new QVBoxLayout;
  moves->addWidget(up);
  moves->addWidget(down);
  moves->addStretch();
  auto* list = new QHBoxLayout;
  QListWidget* paths = b.List(form.PathList);
  paths->setMinimumSize(380, 160);
  list->addWidget(paths, 1);
  list->addLayout(moves);
  auto* folder = new QHBoxLayout;
  folder->addWidget(b.Edit(form.editFolder), 1);
  QPushButton* browse = b.Button(form.BrowseButton);
  browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  folder->addWidget(browse);
  folder->addWidget(b.Button(form.AddButton));
  folder->addWidget(b.Button(form.RemoveButton));
  auto* file = new QHBoxLayout;
  file->addWidget(b.Button(form.SaveTo));
  file->addWidget(b.Button(form.LoadFrom));
  QGroupBox* ascii = b.Group(form.AsciiFileGroup);
  ascii->setLayout(file);
  QPushButton* ok = b.Button(form.OKButton);
  ok->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ascii);
  buttons->addStretch();
  for (QPushButton* w : {ok, b.Button(form.CancelButton), b.Button(form.HelpButton)})
    buttons->addWidget(w, 0, Qt::AlignBottom);
  auto* v = new QVBoxLayout(this);
  v->addLayout(list, 1);
  v->addLayout(folder);
  v->addLayout(buttons);
  CloseOnResult(this, b, form);
  ContextHelp(this, b, form.FHelpFileName, form.FSearchPathHelpTopic);
  if (form.Left > 0 || form.Top > 0) move(form.Left, form.Top);
  b.PushAll();
}

void TSearchPathDialog::reject() {
  if (fForm.ModalResult == platform::mrNone) fForm.ModalResult = platform::mrCancel;
  QDialog::reject();
}

TXrefDialog::TXrefDialog(TPartXrefForm& form, QWidget* parent)
    : QDialog(parent), fForm(form), fBinder(new TBinder(this)) {
  setObjectName(QStringLiteral("PartXrefForm"));
  setSizeGripEnabled(true);
  TBinder& b = *fBinder;
  QTableWidget* grid = b.Grid(form.FootPrintGrid);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->horizontalHeader()->setSectionsClickable(true);
  // The part column takes what the package column leaves.
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  // The model keeps the column widths (it fits them and stores them on close).
  b.AddPush([grid, &form] {
    if (grid->columnCount() > 0 && grid->columnWidth(0) != form.ColWidths[0])
      grid->setColumnWidth(0, form.ColWidths[0]);
  });
  connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [&form](int c, int, int size) {
    if (c >= 0 && c < 2) form.ColWidths[c] = size;
  });
  connect(grid, &QTableWidget::itemSelectionChanged, this, [grid, &form] {
    const auto ranges = grid->selectedRanges();
    if (ranges.isEmpty()) return;
    form.SelectionTop = ranges.first().topRow() + form.FootPrintGrid.FixedRows;
    form.SelectionBottom = ranges.first().bottomRow() + form.FootPrintGrid.FixedRows;
  });
  // A left click on a heading sorts by package.
  connect(grid->horizontalHeader(), &QHeaderView::sectionPressed, this, [this, &form](int) {
    const bool modifier = QApplication::keyboardModifiers() != Qt::NoModifier;
    const bool left = QApplication::mouseButtons() & Qt::LeftButton;
    fBinder->Run([&form, left, modifier] { form.FootPrintGridMouseDown(0, left, modifier); });
  });
  auto* side = new QVBoxLayout;
  for (controls::TButton* button : {&form.ShowAllButton, &form.Load3dModel, &form.ClearEntryButton,
                                    &form.CopyToClipboardButton, &form.SaveAsButton})
    side->addWidget(b.Button(*button));
  side->addWidget(b.CheckBox(form.IncludePath));
  side->addStretch();
  QPushButton* ok = b.Button(form.OKButton);
  ok->setDefault(true);
  side->addWidget(ok);
  side->addWidget(b.Button(form.CancelButton));
  side->addWidget(b.Button(form.HelpButton));
  auto* h = new QHBoxLayout(this);
  h->addWidget(grid, 1);
  h->addLayout(side);
  CloseOnResult(this, b, form);
  ContextHelp(this, b, form.FHelpFilename, form.FXrefHelpTopic);
  resize(std::max(form.Width, 400), std::max(form.Height, 300));
  if (form.Left > 0 || form.Top > 0) move(form.Left, form.Top);
  b.PushAll();
}

void TXrefDialog::reject() {
  if (fForm.ModalResult == platform::mrNone) fForm.ModalResult = platform::mrCancel;
  QDialog::reject();
}

void TXrefDialog::resizeEvent(QResizeEvent* e) {
  fForm.Width = e->size().width();
  fForm.Height = e->size().height();
  QDialog::resizeEvent(e);
}

void TXrefDialog::moveEvent(QMoveEvent* e) {
  fForm.Left = x();
  fForm.Top = y();
  QDialog::moveEvent(e);
}

void InstallEditorLoops() {
  TSearchPath::RunModalLoop = [](TSearchPath& form) {
    TSearchPathDialog dlg(form, QApplication::activeWindow());
    dlg.exec();
  };
  TPartXrefForm::RunModalLoop = [](TPartXrefForm& form) {
    TXrefDialog dlg(form, QApplication::activeWindow());
    dlg.exec();
  };
  TPartXrefForm::TextWidth = [](const std::string& text) {
    return QFontMetrics(QApplication::font()).horizontalAdvance(Q(text));
  };
}

}  // namespace ui
