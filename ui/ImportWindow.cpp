#include "ui/ImportWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <map>

#include "import/OrderedPaths.h"
#include "import/PartXref.h"
#include "platform/Platform.h"
#include "ui/EditorDialogs.h"
#include "ui/ModelWindow.h"
#include "ui/PreviewPage.h"

namespace ui {

namespace {
std::map<const TIdfImportFormV4_XE2*, TImportWindow*>& Windows() {
  static std::map<const TIdfImportFormV4_XE2*, TImportWindow*> w;
  return w;
}

// Height cells: a typed key goes through the dialog's number check before the editor takes it.
class THeightDelegate : public QStyledItemDelegate {
 public:
  THeightDelegate(TCorvaneIdfImport& form, QObject* parent) : QStyledItemDelegate(parent), fForm(form) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) line->installEventFilter(const_cast<THeightDelegate*>(this));
    fCol = index.column();
    fRow = index.row();
    return editor;
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    auto* line = qobject_cast<QLineEdit*>(o);
    if (line && e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        // Enter commits the cell, then rewrites it as a formatted number; it goes no further
        // (the dialog's default button would start an import).
        emit commitData(line);
        emit closeEditor(line);
        const int col = fCol, row = fRow;
        if (TImportWindow* w = TImportWindow::Of(fForm))
          w->Binder().Run([this, col, row] {
            fForm.HeightGrid.Col = col;
            fForm.HeightGrid.Row = row;
            fForm.HeightGridKeyDown();
          });
        return true;
      }
      TTypedText typed;
      if (TypedText(line, k, typed)) {
        controls::TStringGrid& g = fForm.HeightGrid;
        g.Col = fCol;
        g.Row = fRow;
        const std::string saved = g.Cell(fCol, fRow);
        // The check reads the cell with the key appended: judge the whole new text.
        g.SetCell(fCol, fRow, typed.After.substr(0, typed.After.size() - 1));
        char key = typed.After.back();
        if (g.OnKeyPress) g.OnKeyPress(key);
        g.SetCell(fCol, fRow, saved);
        if (key == '\0') return true;
      }
    }
    return QStyledItemDelegate::eventFilter(o, e);
  }

 private:
  TCorvaneIdfImport& fForm;
  mutable int fCol = 0, fRow = 0;
};

// Colour cells are painted as a swatch of their colour.
class TColourDelegate : public QStyledItemDelegate {
 public:
  TColourDelegate(TCorvaneIdfImport& form, QObject* parent) : QStyledItemDelegate(parent), fForm(form) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int colour = fForm.ColourGridDrawCell(index.column(), index.row());
    if (colour < 0) {
      QStyledItemDelegate::paint(p, option, index);
      return;
    }
    p->fillRect(option.rect, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    if (option.state & QStyle::State_Selected) {
      p->setPen(QPen(option.palette.highlight(), 2));
      p->drawRect(option.rect.adjusted(1, 1, -1, -1));
    }
  }

 private:
  TCorvaneIdfImport& fForm;
};

QGroupBox* WithLayout(QGroupBox* box, QLayout* layout) {
  box->setLayout(layout);
  return box;
}

QWidget* Page(QLayout* layout) {
  auto* w = new QWidget;
  w->setLayout(layout);
  return w;
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, bool stretch = true) {
  auto* r = new QHBoxLayout;
  for (QWidget* w : widgets) r->addWidget(w);
  if (stretch) r->addStretch();
  return r;
}

// A "..." button as wide as its text needs.
QPushButton* Narrow(QPushButton* b) {
  b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  return b;
}

// Grids whose columns share the width: the name column stretches, the value column fits.
void FitColumns(QTableWidget* grid, int valueWidth) {
  grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
  grid->setColumnWidth(1, valueWidth);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  // Room for seven rows, as the grids were drawn to show.
  grid->setMinimumHeight(7 * (grid->fontMetrics().height() + 6) + 4);
}
}  // namespace

TImportWindow* TImportWindow::Of(const TIdfImportFormV4_XE2& form) {
  auto it = Windows().find(&form);
  return it == Windows().end() ? nullptr : it->second;
}

TImportWindow::TImportWindow(TCorvaneIdfImport& form, QWidget* parent)
    : QDialog(parent), fForm(form), fBinder(new TBinder(this)) {
  Windows()[&form] = this;
  setObjectName(QStringLiteral("IdfImportForm"));
  setSizeGripEnabled(true);
  TBinder& b = *fBinder;
  fPages = b.Pages(form.PageControl1);
  QWidget* pages[] = {ImportPage(),       SettingsPage(), OptionsPage(),          SelectPartsPage(),
                      FeatureNamesPage(), StatusPage(),   MemoPage(form.BrdMemo), MemoPage(form.LibMemo)};
  for (int i = 0; i < form.PageControl1.PageCount(); ++i) {
    controls::TTabSheet& sheet = *form.PageControl1.Page(i);
    fPages->addTab(pages[i], Q(sheet.Caption));
    pages[i]->setObjectName(Q(sheet.Name));
    pages[i]->setProperty("helpContext", sheet.HelpContext);
  }
  fPreview = new TPreviewPage(form);
  fPreviewHelp.HelpContext = kPreviewHelpContext;
  fModelHelp.HelpContext = kModelHelpContext;
  fPreview->setObjectName(QStringLiteral("PreviewPage"));
  fPages->addTab(fPreview, QStringLiteral("Preview"));
  // Every handler may change what the import takes; a build's own pushes leave the view be.
  b.AddPush([this] { fPreview->Invalidate(!fBinder->Busy()); });
  // The window's own page runs no handler, so nothing else sizes the window for it; and every
  // tab stays in sight rather than behind scroll arrows.
  connect(fPages, &QTabWidget::currentChanged, this, [this] { PushHeight(); });
  fPages->setUsesScrollButtons(false);
  auto* top = new QHBoxLayout;
  top->addWidget(b.Progress(form.ProgressBar1), 1);
  QPushButton* stop = b.Button(form.StopButton, true);
  top->addWidget(stop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(fPages, 1);

  b.AddPush([this] {
    if (windowTitle() != Q(fForm.Caption)) setWindowTitle(Q(fForm.Caption));
    PushHeight();
  });
  b.AfterAction = [this] {
    if (fForm.ModalResult != platform::mrNone && isVisible()) done(fForm.ModalResult);
  };
  form.OnProgressChange = [this] { PushProgress(); };
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  help->setContext(Qt::WindowShortcut);
  connect(help, &QShortcut::activated, this, [this] { ShowHelpForFocus(); });
  resize(680, 300);
  b.PushAll();
}

// The model may be gone already (an error that ended the dialog): only its address is used here.
TImportWindow::~TImportWindow() { Windows().erase(&fForm); }

void TImportWindow::Detach() { fForm.OnProgressChange = nullptr; }

QWidget* TImportWindow::ImportPage() {
  TBinder& b = *fBinder;
  TCorvaneIdfImport& f = fForm;
  auto* grid = new QGridLayout;
  int row = 0;
  for (auto [edit, button] : {std::pair{&f.BoardFilePathEdit, &f.BoardFilePathButton},
                              std::pair{&f.LibraryFilePathEdit, &f.LibraryFilePathButton},
                              std::pair{&f.AssemblyPathEdit, &f.AssemblyPathButton}}) {
    QLineEdit* e = b.Edit(*edit);
    e->setMinimumWidth(360);
    grid->addWidget(b.CaptionLabel(*edit, e), row, 0);
    grid->addWidget(e, row, 1);
    grid->addWidget(Narrow(b.Button(*button)), row, 2);
    ++row;
  }
  grid->addLayout(Row({b.CheckBox(f.AssemblyDirCb), b.CheckBox(f.UseVaultCb), b.Label(f.InVaultLabel)}), row, 1);
  grid->setColumnStretch(1, 1);
  QPushButton* import = b.Button(f.ImportButton);
  import->setDefault(true);
  auto* buttons = new QHBoxLayout;
  // Not a control of the dialog: the window offers it where a 3D view can be shown.
  auto* showModel = new QPushButton(QStringLiteral("Show Model"));
  showModel->setObjectName(QStringLiteral("ShowModelButton"));
  showModel->setAutoDefault(false);
  showModel->setToolTip(QStringLiteral("The 3D view of the assembly the last build wrote"));
  showModel->setVisible(ModelViewAvailable());
  connect(showModel, &QPushButton::clicked, this,
          [this] { ShowModelWindow(this, fForm.FLastAssemblyWritten, [this] { ShowHelpOf(fModelHelp); }); });
  b.AddPush([this, showModel] { showModel->setEnabled(!fBinder->Busy() && !fForm.FLastAssemblyWritten.empty()); });
  buttons->addWidget(showModel);
  buttons->addStretch();
  for (QPushButton* w : {import, b.Button(f.UpdateButton), b.Button(f.CancelButton), b.Button(f.HelpButton)})
    buttons->addWidget(w);
  auto* v = new QVBoxLayout;
  v->addWidget(WithLayout(b.Group(f.PathsGroupBox), grid));
  v->addStretch();
  v->addLayout(buttons);
  return Page(v);
}

QWidget* TImportWindow::SettingsPage() {
  TBinder& b = *fBinder;
  TCorvaneIdfImport& f = fForm;
  auto* lib = new QGridLayout;
  lib->addWidget(b.CheckBox(f.UseLibParts), 0, 0, 1, 4);
  QComboBox* paths = b.Combo(f.LibSearchPathCombobox);
  paths->setMinimumWidth(220);
  paths->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  lib->addWidget(b.Label(f.Label3), 1, 0);
  lib->addWidget(paths, 1, 1);
  lib->addWidget(Narrow(b.Button(f.LibSearchPathButton)), 1, 2);
  lib->addWidget(b.CheckBox(f.SearchSubDirs), 2, 1, 1, 3);
  lib->addWidget(b.CheckBox(f.UseXrefCheckbox), 3, 0, 1, 4);
  lib->addWidget(b.Label(f.XrefLabel), 4, 0);
  lib->addWidget(b.Edit(f.XrefEdit), 4, 1);
  lib->addWidget(Narrow(b.Button(f.XrefButton)), 4, 2);
  lib->addWidget(b.Button(f.EditXrefButton), 4, 3);
  lib->setColumnStretch(1, 1);

  auto* idf = new QVBoxLayout;
  idf->addWidget(b.CheckBox(f.ReUseCreatedParts));
  idf->addWidget(b.CheckBox(f.ReUseBoardPart));
  idf->addStretch();

  QTableWidget* colours = b.Grid(f.ColourGrid);
  colours->setItemDelegate(new TColourDelegate(f, colours));
  colours->setSelectionBehavior(QAbstractItemView::SelectRows);
  colours->setSelectionMode(QAbstractItemView::SingleSelection);
  colours->setEditTriggers(QAbstractItemView::NoEditTriggers);
  colours->horizontalHeader()->setVisible(false);
  b.AddPush([colours] { FitColumns(colours, 90); });
  b.OnKeys(colours, {Qt::Key_Space}, [&f] { f.ColourGridKeyDown(); });
  auto* colourBox = new QVBoxLayout;
  colourBox->addWidget(colours, 1);
  colourBox->addWidget(b.CheckBox(f.ColourCheckBox));

  QTableWidget* heights = b.Grid(f.HeightGrid);
  heights->setItemDelegate(new THeightDelegate(f, heights));
  heights->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  heights->setSelectionMode(QAbstractItemView::SingleSelection);
  heights->horizontalHeader()->setVisible(false);
  // Drawing fills a cleared height with the default one; only the height column can be chosen.
  b.AddPush([&f, heights] {
    for (int r = 0; r < f.HeightGrid.RowCount(); ++r) f.HeightGridDrawCell(1, r);
    for (int r = 0; r < heights->rowCount(); ++r)
      for (int c = 0; c < heights->columnCount(); ++c) {
        QTableWidgetItem* item = heights->item(r, c);
        if (!item) continue;
        item->setText(Q(f.HeightGrid.Cell(c, r)));
        bool can = true;
        f.HeightGridSelectCell(c, r, can);
        item->setFlags(can ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::ItemIsEnabled);
        item->setTextAlignment(c == 1 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
      }
    FitColumns(heights, heights->fontMetrics().horizontalAdvance(QStringLiteral("0000.00000")) + 12);
  });
  b.OnKeys(heights, {Qt::Key_Up, Qt::Key_Down, Qt::Key_Return, Qt::Key_Enter}, [&f] { f.HeightGridKeyDown(); });
  QLineEdit* defaultHeight = b.Edit(f.DefaultHeightEdit);
  defaultHeight->setMaximumWidth(100);
  b.OnKeys(defaultHeight, {Qt::Key_Up, Qt::Key_Down, Qt::Key_Return, Qt::Key_Enter},
           [&f] { f.DefaultHeightEditKeyDown(); });
  QComboBox* units = b.Combo(f.HeightUnitsCombo);
  auto* heightRow = new QGridLayout;
  heightRow->addWidget(b.CaptionLabel(f.DefaultHeightEdit, defaultHeight), 0, 0);
  heightRow->addWidget(defaultHeight, 0, 1);
  heightRow->addWidget(b.CaptionLabel(f.HeightUnitsCombo, units), 1, 0);
  heightRow->addWidget(units, 1, 1);
  heightRow->setColumnStretch(2, 1);
  auto* heightBox = new QVBoxLayout;
  heightBox->addWidget(heights, 1);
  heightBox->addLayout(heightRow);

  auto* g = new QGridLayout;
  g->addWidget(WithLayout(b.Group(f.LibPartsGroupBox), lib), 0, 0);
  g->addWidget(WithLayout(b.Group(f.IDFPartsGroupBox), idf), 0, 1);
  g->addWidget(WithLayout(b.Group(f.HeightGroupBox), heightBox), 1, 0);
  g->addWidget(WithLayout(b.Group(f.ColourGroupBox), colourBox), 1, 1);
  g->setColumnStretch(0, 3);
  g->setColumnStretch(1, 2);
  g->setRowStretch(1, 1);
  return Page(g);
}

QWidget* TImportWindow::OptionsPage() {
  TBinder& b = *fBinder;
  TCorvaneIdfImport& f = fForm;
  auto* misc = new QVBoxLayout;
  misc->addWidget(b.CheckBox(f.IgnoreRegionalDecPoint));
  misc->addWidget(b.CheckBox(f.AnchorPartsCb));
  misc->addWidget(b.CheckBox(f.ShowPartCreateCb));
  misc->addLayout(Row({b.Button(f.ShowPartUsageButton)}));

  auto* holes = new QGridLayout;
  const std::pair<controls::TCheckBox*, controls::TCheckBox*> pairs[] = {
      {&f.PlatedMountingCB, &f.NonPlatedMountingCB},
      {&f.PlatedPinCB, &f.NonPlatedPinCB},
      {&f.PlatedToolingCB, &f.NonPlatedToolingCB},
      {&f.PlatedOtherCB, &f.NonPlatedOtherCB},
  };
  int row = 0;
  for (auto [plated, nonPlated] : pairs) {
    holes->addWidget(b.CheckBox(*plated), row, 0);
    holes->addWidget(b.CheckBox(*nonPlated), row, 1);
    ++row;
  }
  holes->addWidget(b.CheckBox(f.ViaHolesCB), row, 0);
  holes->addLayout(Row({b.Button(f.AllHolesCbButton), b.Button(f.NoneHolesCbButton)}, false), row, 1);
  ++row;
  QLineEdit* size = b.Edit(f.HoleFilterSizeEdit);
  size->setMinimumWidth(size->fontMetrics().horizontalAdvance(QStringLiteral("0000.000")) + 12);
  auto* filter = new QHBoxLayout;
  filter->addWidget(b.Radio(f.GreaterThanRb));
  filter->addWidget(b.Radio(f.LessThanRB));
  filter->addWidget(size);
  filter->addWidget(b.Label(f.HoleFilterUnitsLabel));
  filter->addStretch();
  holes->addWidget(b.CheckBox(f.HoleFilterCb), row, 0);
  holes->addWidget(WithLayout(b.Group(f.HoleFilterGb), filter), row, 1);
  ++row;
  QLineEdit* perFeature = b.Edit(f.HolesPerFeatureEdit);
  perFeature->setMaximumWidth(90);
  holes->addLayout(Row({b.Label(f.HolesPerFeatureLabel), perFeature}), row, 0, 1, 2);

  auto* copper = new QGridLayout;
  QLineEdit* thickness = b.Edit(f.CopperThickness);
  thickness->setMaximumWidth(90);
  copper->addLayout(
      Row({b.CaptionLabel(f.CopperThicknessLabel, thickness), thickness, b.Label(f.CopperThicknessUnitsLabel)}), 0, 0,
      1, 2);
  controls::TCheckBox* features[] = {&f.DoPads, &f.DoVias, &f.DoTracks, &f.DoOverlays, &f.DoOverlayText, &f.DoPolygons};
  for (int i = 0; i < 6; ++i) copper->addWidget(b.CheckBox(*features[i]), 1 + i / 2, i % 2);

  QLineEdit* board = b.Edit(f.BrdThicknessEdit);
  board->setMaximumWidth(90);
  auto* boardBox = Row({new QLabel(QStringLiteral("Thickness:")), board, b.Label(f.BoardThicknessUnitsLabel)});

  auto* keepouts = new QVBoxLayout;
  for (controls::TCheckBox* c : {&f.RouteKeepoutCB, &f.PlaceKeepoutCB, &f.ViaKeepoutCB})
    keepouts->addWidget(b.CheckBox(*c));
  keepouts->addStretch();
  auto* outlines = new QVBoxLayout;
  for (controls::TCheckBox* c : {&f.RouteOutlineCB, &f.PlaceOutlineCB, &f.PlaceRegionCB, &f.OtherOutlineCB})
    outlines->addWidget(b.CheckBox(*c));
  outlines->addStretch();
  auto* suppress = new QVBoxLayout;
  suppress->addWidget(b.CheckBox(f.SuppressPlaceFeatures));

  auto* left = new QVBoxLayout;
  left->addWidget(WithLayout(b.Group(f.MiscGroupBox), misc));
  left->addWidget(WithLayout(b.Group(f.HolesGroupBox), holes));
  left->addStretch();
  auto* small = new QHBoxLayout;
  small->addWidget(WithLayout(b.Group(f.KeepoutGroup), keepouts));
  small->addWidget(WithLayout(b.Group(f.OutlineGroup), outlines));
  auto* right = new QVBoxLayout;
  right->addWidget(WithLayout(b.Group(f.CopperGroupBox), copper));
  right->addWidget(WithLayout(b.Group(f.BoardGroupBox), boardBox));
  right->addLayout(small);
  right->addWidget(WithLayout(b.Group(f.SuppressGroupBox), suppress));
  right->addStretch();
  auto* h = new QHBoxLayout;
  h->addLayout(left, 1);
  h->addLayout(right, 1);
  return Page(h);
}

QWidget* TImportWindow::SelectPartsPage() {
  TBinder& b = *fBinder;
  TCorvaneIdfImport& f = fForm;
  auto* sort = Row({b.Radio(f.DesignatorRadioButton), b.Radio(f.PackageNameRadioButton)});
  auto* v = new QVBoxLayout;
  v->addWidget(WithLayout(b.Group(f.SortByRadioGroup), sort));
  for (controls::TCheckListBox* list : {&f.SelectedDesignatorsCheckListBox, &f.SelectedPackageNamesCheckListBox}) {
    QListWidget* w = b.CheckList(*list);
    // Items flow down and on into further columns, as a multi-column check list does.
    w->setFlow(QListView::TopToBottom);
    w->setWrapping(true);
    w->setResizeMode(QListView::Adjust);
    w->setSpacing(2);
    w->setMinimumHeight(200);
    v->addWidget(w, 1);
  }
  v->addLayout(Row({b.Button(f.SelectAllButton), b.Button(f.SelectNoneButton)}));
  return Page(v);
}

QWidget* TImportWindow::FeatureNamesPage() {
  TBinder& b = *fBinder;
  TCorvaneIdfImport& f = fForm;
  auto form = [&b](std::initializer_list<controls::TEdit*> edits) {
    auto* l = new QFormLayout;
    l->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (controls::TEdit* e : edits) {
      QLineEdit* w = b.Edit(*e);
      l->addRow(b.CaptionLabel(*e, w), w);
    }
    return l;
  };
  auto* v = new QVBoxLayout;
  v->addLayout(form({&f.SketchTitle, &f.BoardOutlineName, &f.PartOutlineName}));
  auto* groups = new QHBoxLayout;
  groups->addWidget(WithLayout(b.Group(f.FeatureOutlinesGroupBox),
                               form({&f.PlaceOutlineName, &f.RouteOutlineName, &f.PlaceRegionName})));
  groups->addWidget(WithLayout(b.Group(f.FeatureKeepOutsGroupBox),
                               form({&f.PlaceKeepoutName, &f.RouteKeepoutName, &f.ViaKeepoutName})));
  v->addLayout(groups);
  v->addStretch();
  v->addLayout(Row({b.Button(f.SetFeatureNameDefaults)}));
  return Page(v);
}

QWidget* TImportWindow::StatusPage() {
  TBinder& b = *fBinder;
  TCorvaneIdfImport& f = fForm;
  auto* v = new QVBoxLayout;
  v->addLayout(Row({b.Radio(f.SummaryRadioButton), b.Radio(f.DetailRadioButton), b.Radio(f.ErrorRadioButton)}));
  v->addWidget(b.Memo(f.LogMemo, true, false), 1);
  return Page(v);
}

QWidget* TImportWindow::MemoPage(controls::TMemo& memo) {
  auto* v = new QVBoxLayout;
  v->addWidget(fBinder->Memo(memo, true, true));
  return Page(v);
}

void TImportWindow::PushHeight() {
  const int page = fPages->currentIndex();
  if ((fShownHeight == fForm.Height && fShownPage == page) || fHeightPending) return;
  // The dialog's page heights are minimum heights at its font setting's pixels per inch; the
  // page shown decides how much room the layout needs (the other pages ask for none).
  fHeightPending = true;
  QTimer::singleShot(0, this, [this] {
    fHeightPending = false;
    fShownPage = fPages->currentIndex();
    for (int i = 0; i < fPages->count(); ++i)
      fPages->widget(i)->setSizePolicy(i == fShownPage ? QSizePolicy::Preferred : QSizePolicy::Ignored,
                                       i == fShownPage ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    // Hidden pages do not pass their new policy on by themselves.
    if (auto* stack = fPages->findChild<QStackedWidget*>(); stack && stack->layout()) stack->layout()->invalidate();
    fPages->updateGeometry();
    if (layout()) layout()->invalidate();
    const int dpi = platform::Services().ScreenPixelsPerInch();
    const int base = fForm.FWeHaveLargeFonts ? 120 : 96;
    const int wanted = fForm.Height * dpi / base;
    if (layout()) layout()->activate();
    const int needed = minimumSizeHint().height();
    fShownHeight = fForm.Height;
    resize(width(), std::max(wanted, needed));
  });
}

void TImportWindow::PushProgress() {
  if (windowTitle() != Q(fForm.Caption)) setWindowTitle(Q(fForm.Caption));
  auto* bar = findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
  if (bar) {
    bar->setRange(fForm.ProgressBar1.Min, std::max(fForm.ProgressBar1.Max, fForm.ProgressBar1.Min));
    bar->setValue(fForm.ProgressBar1.Position);
    bar->setVisible(fForm.ProgressBar1.Visible);
  }
  if (QWidget* stop = fBinder->WidgetOf(fForm.StopButton)) stop->setVisible(fForm.StopButton.Visible);
  fPages->setVisible(fForm.PageControl1.Visible);
  PushHeight();
}

void TImportWindow::ShowHelpForFocus() {
  QWidget* focus = QApplication::focusWidget();
  controls::TControl* c = fBinder->ControlOf(focus);
  // The Preview page holds no control: the focus stays on the tab bar or where it was.
  if (fPages->currentWidget() == fPreview && (!c || c == &fForm.PageControl1)) return ShowHelpOf(fPreviewHelp);
  fForm.ActiveControl = c;
  fBinder->Run([this] { fForm.FormHelpKey(); });
}

void TImportWindow::ShowHelpOf(controls::TControl& view) {
  fForm.ActiveControl = &view;
  fBinder->Run([this] { fForm.FormHelpKey(); });
}

void TImportWindow::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  fShownPage = -1;  // a first layout: size for the page shown
  PushHeight();
}

void TImportWindow::closeEvent(QCloseEvent* e) {
  if (fBinder->Busy()) {
    // The build holds the dialog: closing asks it to stop instead.
    fForm.StopButtonClick();
    e->ignore();
    return;
  }
  fForm.ModalResult = platform::mrCancel;
  QDialog::closeEvent(e);
}

void TImportWindow::reject() {
  if (fBinder->Busy()) return;
  fForm.ModalResult = platform::mrCancel;
  QDialog::reject();
}

void InstallModalLoops() {
  TIdfImportFormV4_XE2::RunModalLoop = [](TIdfImportFormV4_XE2& form) {
    auto* host = dynamic_cast<TCorvaneIdfImport*>(&form);
    if (!host) return;
    TImportWindow* w = TImportWindow::Of(form);
    std::unique_ptr<TImportWindow> own;
    if (!w) {
      own = std::make_unique<TImportWindow>(*host);
      w = own.get();
    }
    w->Binder().PushAll();
    w->exec();
    w->Detach();
  };
  InstallEditorLoops();
}

}  // namespace ui
