// Widgets and models stay bound: a user's action on a widget runs the model's handler, and what
// the handler changed shows in the widgets.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include "tests/ui/UiFixture.h"

TEST_F(UiWindowTest, AClickOnAWidgetRunsTheHandlerAndItsResultShows) {
  ShowPage(d->TabSheet3);
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->TabSheet3);
  auto* filter = Widget<QCheckBox>("HoleFilterCb");
  auto* size = Widget<QLineEdit>("HoleFilterSizeEdit");
  ASSERT_TRUE(filter && size);
  ASSERT_FALSE(d->HoleFilterSizeEdit.Enabled);
  EXPECT_FALSE(size->isEnabled());
  ClickOn(filter);
  EXPECT_TRUE(d->HoleFilterCb.Checked);
  EXPECT_TRUE(filter->isChecked());
  EXPECT_TRUE(d->HoleFilterSizeEdit.Enabled);
  EXPECT_TRUE(size->isEnabled());
  // ">=" shows its own size; typing one runs the change handling (">=" 100 lets every hole pass).
  ClickOn(Widget<QRadioButton>("GreaterThanRb"));
  EXPECT_TRUE(d->GreaterThanRb.Checked());
  EXPECT_EQ(size->text().toStdString(), d->FHoleFilterGreaterThanVal);
  size->setFocus();
  size->selectAll();
  QTest::keyClicks(size, QStringLiteral("100"));
  EXPECT_EQ(d->FHoleFilterGreaterThanVal, "100");

  // The filter's handling writes each hole box's hint: the number of holes that pass.
  controls::TCheckBox* box = nullptr;
  for (controls::TCheckBox* c :
       {&d->PlatedMountingCB, &d->NonPlatedMountingCB, &d->PlatedPinCB, &d->NonPlatedPinCB, &d->ViaHolesCB,
        &d->PlatedToolingCB, &d->NonPlatedToolingCB, &d->PlatedOtherCB, &d->NonPlatedOtherCB})
    if (!box && c->Enabled) box = c;
  ASSERT_NE(box, nullptr);
  const std::string count = box->Hint;
  EXPECT_EQ(Widget<QCheckBox>(box->Name.c_str())->toolTip().toStdString(), count);

  // Typing into Holes/Feature runs the hole filter's change handling.
  box->Hint = "stale";
  auto* perFeature = Widget<QLineEdit>("HolesPerFeatureEdit");
  ASSERT_TRUE(perFeature && perFeature->isEnabled());
  perFeature->setFocus();
  QTest::keyClick(perFeature, Qt::Key_5);
  EXPECT_EQ(d->HolesPerFeatureEdit.Text(), "2005");
  EXPECT_EQ(box->Hint, count);

  // A model change (the log choice) shows in the memo and the radio buttons.
  ShowPage(d->StatusTabSheet);
  auto* detail = Widget<QRadioButton>("DetailRadioButton");
  ClickOn(detail);
  EXPECT_TRUE(d->DetailRadioButton.Checked());
  EXPECT_FALSE(Widget<QRadioButton>("SummaryRadioButton")->isChecked());
  EXPECT_EQ(Widget<QPlainTextEdit>("LogMemo")->toPlainText().split(QLatin1Char('\n')).size(),
            static_cast<int>(d->FImportIDF->VerifyLog.Lines().size()));
  EXPECT_EQ(d->LogMemo.Lines, d->FImportIDF->VerifyLog.Lines());
}

TEST_F(UiWindowTest, HeightCellsTakeOnlyNumbersAndEnterFormatsThem) {
  ShowPage(d->SettingsTabSheet);
  auto* grid = Widget<QTableWidget>("HeightGrid");
  ASSERT_TRUE(grid && grid->rowCount() > 0);
  EXPECT_EQ(grid->item(0, 1)->text().toStdString(), d->HeightGrid.Cell(1, 0));
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);  // the package column
  grid->setFocus();
  grid->setCurrentCell(0, 1);
  QTest::keyClick(grid, Qt::Key_F2);
  auto* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("1.2"));
  QTest::keyClick(editor, Qt::Key_X);  // refused: "1.2x" is no number
  QTest::keyClick(editor, Qt::Key_3);
  EXPECT_EQ(editor->text().toStdString(), "1.23");
  QTest::keyClick(editor, Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return d->HeightGrid.Cell(1, 0) == "1.230"; })) << d->HeightGrid.Cell(1, 0);
  EXPECT_EQ(grid->item(0, 1)->text().toStdString(), "1.230");

  // The unit choice converts the shown heights; the grid follows the model.
  auto* units = Widget<QComboBox>("HeightUnitsCombo");
  units->setFocus();
  QTest::keyClick(units, Qt::Key_Down);
  EXPECT_EQ(d->HeightUnitsCombo.ItemIndex(), 1);
  EXPECT_EQ(grid->item(0, 1)->text().toStdString(), "0.04843");
  EXPECT_EQ(Widget<QLineEdit>("DefaultHeightEdit")->text().toStdString(), "0.39370");
}

TEST_F(UiWindowTest, TheColourGridPaintsEachColour) {
  ShowPage(d->SettingsTabSheet);
  auto* grid = Widget<QTableWidget>("ColourGrid");
  ASSERT_TRUE(grid && grid->rowCount() > 2);
  QApplication::processEvents();
  const QImage image = grid->viewport()->grab().toImage();
  for (int row = 0; row < grid->rowCount(); ++row) {
    const int colour = d->ColourGridDrawCell(1, row);
    if (colour < 0) continue;
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    if (!grid->viewport()->rect().contains(cell.center())) continue;
    const QColor painted = image.pixelColor(cell.center() * image.devicePixelRatio());
    EXPECT_EQ(painted, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF))
        << d->ColourGrid.Cell(0, row) << " " << d->ColourGrid.Cell(1, row);
  }
}

TEST_F(UiWindowTest, AnAccessKeyClicksItsControl) {
  ShowPage(d->SettingsTabSheet);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  ASSERT_FALSE(d->UseLibParts.Checked);
  QTest::keyClick(window->windowHandle(), Qt::Key_L, Qt::AltModifier);  // "Use &Library Parts"
  ASSERT_TRUE(WaitFor([&] { return d->UseLibParts.Checked; }));
  EXPECT_TRUE(d->LibSearchPathButton.Enabled);  // the click's handling ran
  EXPECT_TRUE(Widget<QCheckBox>("UseLibParts")->isChecked());
}
