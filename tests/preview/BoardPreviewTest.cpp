// The top view of a loaded board: what is painted where, and what the SVG holds.
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "preview/BoardPreviewRenderer.h"
#include "preview/BoardPreviewWidget.h"
#include "tests/preview/PreviewTestSupport.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestFiles.h"

namespace {
const auto* const kQt = ::testing::AddGlobalTestEnvironment(new TOffscreenQt);

int Distance(QColor a, QColor b) {
  return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}
QColor Over(QColor top, QColor below) {
  const double a = top.alphaF();
  return QColor::fromRgbF(top.redF() * a + below.redF() * (1 - a), top.greenF() * a + below.greenF() * (1 - a),
                          top.blueF() * a + below.blueF() * (1 - a));
}
}  // namespace

class BoardPreview : public DialogTest {
 protected:
  void Load(const std::string& board) {
    d = ShowWith(board);
    ASSERT_TRUE(d->FFilesLoaded);
  }
  // The picture of the dialog's state and where a board point in millimetres lands in it.
  QImage Paint(QSize size = {1600, 1040}) {
    scene = BuildBoardPreviewScene(*d);
    view = preview::SceneToDevice(scene.Bounds(), size);
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    preview::PaintBoardPreview(p, scene, view, size);
    return image;
  }
  QPointF Mm(double x, double y) const {
    const TUnitsType u = d->FImportIDF->OutputUnits;
    return {ConvertToUnits(utMM, u, x), ConvertToUnits(utMM, u, y)};
  }
  QColor At(const QImage& image, double x, double y) const { return image.pixelColor(view.map(Mm(x, y)).toPoint()); }
  const TPreviewComponent& Component(const std::string& des) const {
    for (const auto& c : scene.Components)
      if (c.Designator == des) return c;
    throw std::runtime_error("no component " + des);
  }
  QColor Fill(const std::string& des) const { return preview::ComponentFill(Component(des), scene.HasSelection); }

  std::unique_ptr<TCorvaneIdfImport> d;
  TBoardPreviewScene scene;
  QTransform view;
};

TEST_F(BoardPreview, HolesComponentsAndBoardShowTheirColoursWhereTheyAre) {
  Load(SamplesDir() + "sample.emn");
  d->AllHolesCbButton.Click();
  QImage image = Paint();
  // Holes, solid while the import cuts them: mounting 3.2 NPTH at (4,4), plated via at (30,20).
  EXPECT_LE(Distance(At(image, 4, 4), preview::HoleColour(htMTG, false)), 2);
  EXPECT_LE(Distance(At(image, 30, 20), preview::HoleColour(htVIA, true)), 2);
  // A component's box in its side's colour: U1 on top, R2 below (rotated 270 and turned over).
  EXPECT_LE(Distance(At(image, 23.1, 43.3), Over(Fill("U1"), preview::kBoard)), 3);
  EXPECT_LE(Distance(At(image, 37.6, 14.3), Over(Fill("R2"), preview::kBoard)), 3);
  // Outside the outline and inside the round cut-out: the background.
  EXPECT_LE(Distance(At(image, -0.5, 25), preview::kBackground), 2);
  EXPECT_LE(Distance(At(image, 20, 25), preview::kBackground), 2);
  EXPECT_LE(Distance(At(image, 40, 25), preview::kBoard), 2);

  // Holes the check boxes leave out are drawn hollow: the board shows through their centres.
  d->NoneHolesCbButton.Click();
  image = Paint();
  EXPECT_LE(Distance(At(image, 4, 4), preview::kBoard), 2);
  EXPECT_GT(Distance(At(image, 4, 4), preview::HoleColour(htMTG, false)), 30);
}

TEST_F(BoardPreview, TheHoleFilterAndThePartSelectionShow) {
  Load(SamplesDir() + "sample.emn");
  // "Greater than" 1.2 mm leaves out the larger holes: the 3.2 mm mounting hole goes hollow,
  // the 1.0 mm pin at (20,40) stays solid; "less than" turns that round.
  d->HoleFilterCb.Click();
  d->GreaterThanRb.SetChecked(true);
  d->GreaterThanRbClick();
  d->HoleFilterSizeEdit.SetText("1.2");
  d->AllHolesCbButton.Click();
  QImage image = Paint();
  EXPECT_LE(Distance(At(image, 4, 4), preview::kBoard), 2);
  EXPECT_LE(Distance(At(image, 20, 40), preview::HoleColour(htPIN, true)), 2);
  d->LessThanRB.SetChecked(true);
  d->LessThanRBClick();
  d->HoleFilterSizeEdit.SetText("1.2");
  d->AllHolesCbButton.Click();
  image = Paint();
  EXPECT_LE(Distance(At(image, 4, 4), preview::HoleColour(htMTG, false)), 2);
  EXPECT_GT(Distance(At(image, 20, 40), preview::HoleColour(htPIN, true)), 30);

  // One designator chosen: it keeps its side's colour, the others go grey.
  d->DesignatorRadioButton.SetChecked(true);
  for (int i = 0; i < d->SelectedDesignatorsCheckListBox.Count(); ++i)
    if (d->DesignatorOfItem(i) == "U1") d->SelectedDesignatorsCheckListBox.SetChecked(i, true);
  image = Paint();
  ASSERT_TRUE(scene.HasSelection);
  EXPECT_TRUE(Component("U1").Selected);
  EXPECT_FALSE(Component("R2").Selected);
  QColor top = preview::kTopComponent, bottom = preview::kBottomComponent;
  top.setAlpha(preview::kComponentAlpha);
  bottom.setAlpha(preview::kComponentAlpha);
  EXPECT_LE(Distance(At(image, 23.1, 43.3), Over(top, preview::kBoard)), 3);
  EXPECT_GT(Distance(At(image, 37.6, 14.3), Over(bottom, preview::kBoard)), 30);
}

// Keep-outs and outlines follow their check boxes as the import does: hatched while it makes a
// feature of them, only outlined when it leaves them out.
TEST_F(BoardPreview, KeepoutsTheImportLeavesOutAreNotHatched) {
  Load(SamplesDir() + "sample.emn");
  ASSERT_TRUE(d->ViaKeepoutCB.Enabled);
  // Pixels off the board's colour inside the via keep-out at (42..48, 8..14), its edge left out.
  auto marked = [this](const QImage& image) {
    int n = 0;
    for (double x = 43; x <= 47; x += 0.05)
      for (double y = 9; y <= 13; y += 0.05) n += Distance(At(image, x, y), preview::kBoard) > 20;
    return n;
  };
  auto area = [this](TSectionType kind, const std::string& name = "") {
    for (const auto& a : scene.Areas)
      if (a.Kind == kind && (name.empty() || a.Name == name)) return a;
    throw std::runtime_error("no such area");
  };
  d->ViaKeepoutCB.Checked = true;
  d->DoPads.Checked = true;
  EXPECT_GT(marked(Paint()), 200);
  EXPECT_TRUE(area(stVIA_KEEPOUT).Imported);
  EXPECT_TRUE(area(stOTHER_OUTLINE, "TOPPADS").Imported);
  EXPECT_FALSE(area(stOTHER_OUTLINE, "HEATSPREADER").Imported) << "no feature is made of it";

  d->ViaKeepoutCB.Click();
  d->DoPads.Click();
  ASSERT_FALSE(d->ViaKeepoutCB.Checked);
  EXPECT_EQ(marked(Paint()), 0);
  EXPECT_FALSE(area(stVIA_KEEPOUT).Imported);
  EXPECT_FALSE(area(stOTHER_OUTLINE, "TOPPADS").Imported);
  // Still there: outlined, fainter.
  EXPECT_EQ(area(stVIA_KEEPOUT).Loops.size(), 1u);
}

TEST_F(BoardPreview, TheSvgHoldsOneElementPerHole) {
  Load(SamplesDir() + "sample.emn");
  TTempDir out;
  for (bool all : {true, false}) {
    (all ? d->AllHolesCbButton : d->NoneHolesCbButton).Click();
    preview::WriteBoardPreview(BuildBoardPreviewScene(*d), out.Path() + "board.svg");
    const QString svg = QString::fromStdString(ReadFileBytes(out.Path() + "board.svg"));
    EXPECT_EQ(svg.count("<ellipse") + svg.count("<circle"), 11) << (all ? "all holes" : "no holes");
  }
  EXPECT_THROW(preview::WriteBoardPreview(BuildBoardPreviewScene(*d), out.Path() + "board.bmp"), std::runtime_error);
  EXPECT_THROW(preview::WriteBoardPreview(BuildBoardPreviewScene(*d), out.Path() + "no/such/board.png"),
               std::runtime_error);
}

TEST_F(BoardPreview, SharedBoardDrawsEveryHoleRecord) {
  const std::string dir = SharedIdfDir();
  if (dir.empty()) GTEST_SKIP() << "the shared IDF files are not there";
  Load(dir + "esp.emn");
  TTempDir out;
  preview::WriteBoardPreview(BuildBoardPreviewScene(*d), out.Path() + "esp.svg");
  const TSection* holes = d->FImportIDF->FindFirstSection(stDRILLED_HOLES);
  ASSERT_NE(holes, nullptr);
  const QString svg = QString::fromStdString(ReadFileBytes(out.Path() + "esp.svg"));
  EXPECT_EQ(svg.count("<ellipse") + svg.count("<circle"), holes->Count());
}

TEST_F(BoardPreview, WidgetZoomsAboutThePointerPansAndNamesTheComponentUnderIt) {
  Load(SamplesDir() + "sample.emn");
  TBoardPreviewWidget w;
  w.resize(800, 520);
  w.ShowDialogState(*d);
  const QPointF u1 = w.View().map(Mm(23.1, 43.3));
  EXPECT_EQ(w.ToolTipAt(u1).toStdString(), "U1\nSOIC8\nHeight: 1.750 mm");
  EXPECT_TRUE(w.ToolTipAt(w.View().map(Mm(40, 25))).isEmpty());

  const QPointF at(300, 200);
  const QPointF before = w.View().inverted().map(at);
  QWheelEvent wheel(at, w.mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(&w, &wheel);
  EXPECT_NEAR(w.View().m11(), 1.5625 * preview::SceneToDevice(w.Scene().Bounds(), w.size()).m11(), 1e-9);
  const QPointF after = w.View().inverted().map(at);
  EXPECT_NEAR(after.x(), before.x(), 1e-9);
  EXPECT_NEAR(after.y(), before.y(), 1e-9);

  // A drag moves the board with the pointer; the component follows.
  const QPointF u1Zoomed = w.View().map(Mm(23.1, 43.3));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), w.mapToGlobal(QPointF(100, 100)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent move(QEvent::MouseMove, QPointF(130, 80), w.mapToGlobal(QPointF(130, 80)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(130, 80), w.mapToGlobal(QPointF(130, 80)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  for (QMouseEvent* e : {&press, &move, &release}) QApplication::sendEvent(&w, e);
  EXPECT_EQ(w.ToolTipAt(u1Zoomed + QPointF(30, -20)).left(2).toStdString(), "U1");

  // A changed option on the same board keeps the view; a double click fits it again.
  const QTransform zoomed = w.View();
  d->NoneHolesCbButton.Click();
  w.ShowDialogState(*d);
  EXPECT_EQ(w.View(), zoomed);
  w.ResetView();
  EXPECT_EQ(w.View(), preview::SceneToDevice(w.Scene().Bounds(), w.size()));
}
