// The window's own views: the "Preview" page follows what the import would take, stays shown
// while handlers run, and "Show Model" is offered only where a 3D view can be drawn.
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "preview/BoardPreviewWidget.h"
#include "tests/ui/UiFixture.h"
#include "ui/PreviewPage.h"

namespace {
// A point of the board file (millimetres, the working unit) in the scene's unit.
QPointF At(const TBoardPreviewScene& s, double x, double y) { return QPointF(x, y) / s.WorkingUnitsPerSceneUnit; }

const TPreviewHole* HoleAt(const TBoardPreviewScene& s, double x, double y) {
  for (const auto& h : s.Holes)
    if (h.Centre == At(s, x, y)) return &h;
  return nullptr;
}

const TPreviewComponent* Part(const TBoardPreviewScene& s, const std::string& designator) {
  for (const auto& c : s.Components)
    if (c.Designator == designator) return &c;
  return nullptr;
}
}  // namespace

TEST_F(UiWindowTest, PreviewShowsTheLoadedBoardAndFollowsHoleBoxesAndSelection) {
  QTabWidget* pages = window->Pages();
  const int previewTab = pages->indexOf(window->Preview());
  ASSERT_EQ(previewTab, d->PageControl1.PageCount());
  EXPECT_EQ(pages->tabText(previewTab).toStdString(), "Preview");
  pages->setCurrentIndex(previewTab);
  TBoardPreviewWidget* view = window->Preview()->View();
  ASSERT_TRUE(view->isVisible());
  // U1 (SOIC8, 1.75 high) sits at 21.27, 42 on top.
  const QString hover = view->ToolTipAt(view->View().map(At(view->Scene(), 21.27, 42.0)));
  EXPECT_EQ(hover.toStdString(), "U1\nSOIC8\nHeight: 1.750 mm");
  EXPECT_TRUE(view->ToolTipAt(view->View().map(At(view->Scene(), 70.0, 20.0))).isEmpty());
  const TPreviewHole* mounting = HoleAt(view->Scene(), 76.0, 46.0);
  ASSERT_NE(mounting, nullptr);
  ASSERT_TRUE(d->PlatedMountingCB.Enabled);
  const bool cutBefore = d->PlatedMountingCB.Checked;
  EXPECT_EQ(mounting->Cut, cutBefore);
  const bool otherCut = HoleAt(view->Scene(), 4.0, 4.0)->Cut;

  // A handler run while the page shows leaves it shown; the model turning a page moves on.
  window->Binder().Run([] {});
  EXPECT_EQ(pages->currentIndex(), previewTab);

  auto viaKeepout = [](const TBoardPreviewScene& s) {
    for (const auto& a : s.Areas)
      if (a.Kind == stVIA_KEEPOUT) return a.Imported;
    throw std::runtime_error("no via keep-out");
  };
  const bool keepoutBefore = viaKeepout(view->Scene());
  EXPECT_EQ(keepoutBefore, d->ViaKeepoutCB.Checked);

  ShowPage(d->TabSheet3);
  ClickOn(Widget<QCheckBox>("PlatedMountingCB"));
  ASSERT_NE(d->PlatedMountingCB.Checked, cutBefore);
  ClickOn(Widget<QCheckBox>("ViaKeepoutCB"));
  ASSERT_NE(d->ViaKeepoutCB.Checked, keepoutBefore);
  ShowPage(d->FilterTab);
  ClickOn(Widget<QRadioButton>("DesignatorRadioButton"));
  auto* designators = Widget<QListWidget>("SelectedDesignatorsCheckListBox");
  ASSERT_NE(designators, nullptr);
  const auto u1 = designators->findItems(QStringLiteral("U1=SOIC8"), Qt::MatchExactly);
  ASSERT_EQ(u1.size(), 1);
  u1[0]->setCheckState(Qt::Checked);
  pages->setCurrentIndex(previewTab);
  const TBoardPreviewScene& scene = view->Scene();
  mounting = HoleAt(scene, 76.0, 46.0);
  ASSERT_NE(mounting, nullptr);
  EXPECT_NE(mounting->Cut, cutBefore);
  EXPECT_EQ(HoleAt(scene, 4.0, 4.0)->Cut, otherCut);  // the non-plated one stays
  EXPECT_NE(viaKeepout(scene), keepoutBefore);
  EXPECT_TRUE(scene.HasSelection);
  EXPECT_TRUE(Part(scene, "U1")->Selected);
  EXPECT_FALSE(Part(scene, "R1")->Selected);

  window->Binder().Run([this] { d->PageControl1.SetActivePage(&d->StatusTabSheet); });
  EXPECT_EQ(pages->currentIndex(), d->StatusTabSheet.PageIndex);
}

// Enabled by a build that saved its assembly: see the import tests.
TEST_F(UiWindowTest, ShowModelIsHiddenWithoutADisplayAndWaitsForABuild) {
  auto* show = Widget<QPushButton>("ShowModelButton");
  ASSERT_NE(show, nullptr);
  ShowPage(d->ImportTabSheet);
  // The suite runs on the offscreen platform: no OpenGL window can be had.
  EXPECT_FALSE(show->isVisible());
  EXPECT_FALSE(show->isEnabled());
}
