#include <gtest/gtest.h>

#include "controls/Controls.h"

using namespace controls;

TEST(Controls, EditFiresOnChangeForEveryRealChangeOnly) {
  TEdit e;
  int changes = 0;
  e.OnChange = [&] { ++changes; };
  e.SetText("1");
  e.SetText("1");  // same text: nothing changed
  e.TypeChar('2');
  e.TypeChar('\b');
  EXPECT_EQ(e.Text(), "1");
  EXPECT_EQ(changes, 3);
}

TEST(Controls, EditKeyPressCanDropACharacter) {
  TEdit e;
  e.OnKeyPress = [](char& k) {
    if (k == 'x') k = '\0';
  };
  e.TypeChar('4');
  e.TypeChar('x');
  EXPECT_EQ(e.Text(), "4");
  e.ReadOnly = true;
  e.TypeChar('5');
  EXPECT_EQ(e.Text(), "4");
}

TEST(Controls, CheckBoxCodeVersusClick) {
  TCheckBox c;
  int clicks = 0;
  bool stateSeenByHandler = false;
  c.OnClick = [&] {
    ++clicks;
    stateSeenByHandler = c.Checked;
  };
  c.Checked = true;  // from code: no handler
  EXPECT_EQ(clicks, 0);
  c.Click();  // toggles first, then the handler sees the new state
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(c.Checked);
  EXPECT_FALSE(stateSeenByHandler);
  c.Enabled = false;
  c.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(c.Checked);
}

TEST(Controls, RadioButtonsOfAGroupAreExclusive) {
  std::vector<TRadioButton*> group;
  TRadioButton a, b;
  group = {&a, &b};
  a.SetGroup(&group);
  b.SetGroup(&group);
  a.SetChecked(true);
  int clicks = 0;
  b.OnClick = [&] { ++clicks; };
  b.Click();
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(a.Checked());
  b.Click();  // clicking a checked radio button keeps it checked
  EXPECT_TRUE(b.Checked());
  EXPECT_EQ(clicks, 2);
}

TEST(Controls, ComboBoxIndexAndText) {
  TComboBox c;
  c.Items = {"Millimeter", "Inch", "Thou"};
  int changes = 0;
  c.OnChange = [&] { ++changes; };
  c.SetItemIndex(1);
  EXPECT_EQ(c.Text(), "Inch");
  EXPECT_EQ(changes, 0);
  c.SetItemIndex(7);
  EXPECT_EQ(c.ItemIndex(), -1);
  EXPECT_EQ(c.Text(), "");
  c.Select(2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(c.Text(), "Thou");
}

TEST(Controls, GridCellsOutsideAreHarmless) {
  TStringGrid g;
  g.SetColCount(2);
  g.SetRowCount(1);
  g.SetCell(1, 0, "2.5");
  g.SetCell(5, 5, "lost");
  EXPECT_EQ(g.Cell(1, 0), "2.5");
  EXPECT_EQ(g.Cell(5, 5), "");
  g.SetRowCount(3);
  EXPECT_EQ(g.Cell(1, 0), "2.5");
  EXPECT_EQ(g.Cell(1, 2), "");
}

TEST(Controls, ProgressBarStopsAtMax) {
  TProgressBar p;
  p.Max = 2;
  p.Step = 1;
  p.StepIt();
  p.StepIt();
  p.StepIt();
  EXPECT_EQ(p.Position, 2);
}

TEST(Controls, PageControlShowVersusChange) {
  TPageControl pc;
  TTabSheet a, b;
  pc.AddPage(&a);
  pc.AddPage(&b);
  int shows = 0, changes = 0;
  b.OnShow = [&] { ++shows; };
  pc.OnChange = [&] { ++changes; };
  pc.SetActivePage(&b);
  EXPECT_EQ(pc.ActivePageIndex(), 1);
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(changes, 0);
  pc.SelectPage(&b);
  EXPECT_EQ(shows, 2);
  EXPECT_EQ(changes, 1);
}

TEST(Controls, PlainCaptionDropsAccessKeyMarks) {
  TButton b;
  b.Caption = "Create &Assembly";
  EXPECT_EQ(b.PlainCaption(), "Create Assembly");
  b.Caption = "Save && &Close";
  EXPECT_EQ(b.PlainCaption(), "Save & Close");
}
