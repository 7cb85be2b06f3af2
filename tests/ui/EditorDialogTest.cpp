// The two editors opened from the Settings tab: edits made in their windows reach their files
// and come back to the import dialog.
#include <sys/stat.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "tests/ui/UiFixture.h"

namespace {
template <class W>
W* Child(QWidget* parent, const char* name) {
  W* w = parent->findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}
}  // namespace

TEST_F(UiWindowTest, SearchPathEditorAddsAFolderSavesTheListAndHandsItBack) {
  const std::string lib = dir.Path() + "lib";
  ::mkdir(lib.c_str(), 0777);
  ShowPage(d->SettingsTabSheet);
  ClickOn(Widget<QCheckBox>("UseLibParts"));
  ASSERT_TRUE(d->LibSearchPathButton.Enabled);
  TModalAnswers answers;
  answers
      .Then([&](QWidget* editor) {
        auto* folder = Child<QLineEdit>(editor, "editFolder");
        folder->setFocus();
        QTest::keyClicks(folder, QString::fromStdString(lib));
        Child<QPushButton>(editor, "AddButton")->click();
        Child<QPushButton>(editor, "SaveTo")->click();  // answered below, inside this click
        Child<QPushButton>(editor, "OKButton")->click();
      })
      .Then([&](QWidget* save) { TypeFileName(save, dir.Path(), "paths.sp"); });
  Widget<QPushButton>("LibSearchPathButton")->click();
  ASSERT_TRUE(answers.Done());
  EXPECT_EQ(answers.Seen[0], "Part Search Path");
  EXPECT_EQ(answers.Seen[1], "Save ");
  ASSERT_EQ(d->LibSearchPathCombobox.Items.size(), 2u);
  EXPECT_EQ(d->LibSearchPathCombobox.Items[1], lib);
  EXPECT_EQ(Widget<QComboBox>("LibSearchPathCombobox")->itemText(1).toStdString(), lib);
  const std::string written = ReadFileBytes(dir.Path() + "paths.sp");
  EXPECT_NE(written.find(lib + "\r\n"), std::string::npos) << written;
}

TEST_F(UiWindowTest, CrossReferenceEditorBrowsesAPartAndWritesTheFileOnOk) {
  const std::string parts = dir.Path() + "parts/";
  ::mkdir(parts.c_str(), 0777);
  dir.Write("parts/R0805.CV_PRT", "ISO-10303-21;\n");
  ShowPage(d->SettingsTabSheet);
  ClickOn(Widget<QCheckBox>("UseLibParts"));
  ClickOn(Widget<QCheckBox>("UseXrefCheckbox"));
  ASSERT_TRUE(d->EditXrefButton.Enabled);
  std::string cell;
  TModalAnswers answers;
  answers
      .Then([&](QWidget* editor) {
        auto* grid = Child<QTableWidget>(editor, "FootPrintGrid");
        int row = -1;
        for (int r = 0; r < grid->rowCount(); ++r)
          if (grid->item(r, 0)->text() == QLatin1String("R0805")) row = r;
        ASSERT_GE(row, 0);
        const QRect rect = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rect.center());  // the part dialog
        cell = grid->item(row, 1)->text().toStdString();
        Child<QPushButton>(editor, "OKButton")->click();  // no file yet: the save dialog
      })
      .Then([&](QWidget* open) { TypeFileName(open, parts, "R0805.CV_PRT"); })
      .Then([&](QWidget* save) { TypeFileName(save, dir.Path(), "board.xrf"); });
  Widget<QPushButton>("EditXrefButton")->click();
  ASSERT_TRUE(answers.Done());
  EXPECT_EQ(answers.Seen[1], "Browsing Part for R0805");
  EXPECT_EQ(answers.Seen[2], "Cross Reference Filename");
  EXPECT_EQ(cell, parts + "R0805.CV_PRT");
  EXPECT_EQ(d->XrefEdit.Text(), dir.Path() + "board.xrf");
  EXPECT_EQ(Widget<QLineEdit>("XrefEdit")->text().toStdString(), d->XrefEdit.Text());
  EXPECT_NE(ReadFileBytes(dir.Path() + "board.xrf").find("R0805=" + parts + "R0805.CV_PRT"), std::string::npos);
}
