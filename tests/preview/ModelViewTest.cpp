// The 3D view: pictures of a built assembly in its colours, and no picture of nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/BatchCommand.h"
#include "corvane/AssemblyView.h"
#include "corvane/CorvaneServer.h"
#include "preview/AssemblyViewWidget.h"
#include "tests/support/TestFiles.h"

namespace {
// Shares of a picture's pixels: the board's green, the red of the resistors, the black of the
// integrated circuit (the sample's colour list), and the grey background.
struct TShares {
  double Board = 0, Red = 0, Black = 0, Background = 0;
  double BoardGreen = 0;  // mean green of the board's pixels
};
TShares SharesOf(const QImage& image) {
  TShares s;
  const double n = double(image.width()) * image.height();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const int r = c.red(), g = c.green(), b = c.blue();
      if (g > r + 40 && g > b + 40) {
        s.Board += 1 / n;
        s.BoardGreen += g;
      } else if (r > g + 80 && r > b + 80)
        s.Red += 1 / n;
      else if (std::max({r, g, b}) < 50)
        s.Black += 1 / n;
      else if (std::abs(r - g) < 16 && std::abs(g - b) < 24 && r > 170)
        s.Background += 1 / n;
    }
  if (s.Board > 0) s.BoardGreen /= s.Board * n;
  return s;
}

class ModelView : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!corvane::ModelViewUnavailableReason().empty()) return;
    corvane::RegisterCorvaneServer();
    fDir = new TTempDir;
    std::ostringstream out, err;
    const int code = RunBatch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", fDir->Path(),
                               "--preview-3d", fDir->Path() + "batch.png"},
                              out, err);
    fBatchStatus = code;
    fBatchErr = err.str();
  }
  static void TearDownTestSuite() {
    delete fDir;
    fDir = nullptr;
  }
  void SetUp() override {
    const std::string why = corvane::ModelViewUnavailableReason();
    if (!why.empty()) GTEST_SKIP() << why;
  }
  static std::string Assembly() { return fDir->Path() + "sample.CV_ASM"; }

  static inline TTempDir* fDir = nullptr;
  static inline int fBatchStatus = -1;
  static inline std::string fBatchErr;
};
}  // namespace

TEST_F(ModelView, BatchPictureShowsTheBoardAndItsComponentsInTheirColours) {
  ASSERT_EQ(fBatchStatus, 0) << fBatchErr;
  const QImage image(QString::fromStdString(fDir->Path() + "batch.png"));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1280, 960));
  const TShares s = SharesOf(image);
  // Seen at an angle, the board fills much of the picture; the parts are small but there.
  EXPECT_GT(s.Board, 0.10);
  EXPECT_GT(s.Background, 0.10);
  EXPECT_GT(s.Red, 0.0005);
  EXPECT_GT(s.Black, 0.0005);
  EXPECT_GT(s.Board, 5 * (s.Red + s.Black));
}

TEST_F(ModelView, AnEmptyAssemblyIsAnErrorNotABlankPicture) {
  auto hook = corvane::CreateCorvaneServer();
  auto root = std::dynamic_pointer_cast<CorvaneX_TLB::ICVRoot>(hook->Get_Root());
  auto assembly = root->CreateEmptyAssembly("Empty");
  std::dynamic_pointer_cast<CorvaneX_TLB::ICVSession>(assembly)->SaveAs(fDir->Path(), "Empty");
  root->Terminate();
  const std::string png = fDir->Path() + "empty.png";
  EXPECT_THROW(corvane::WriteAssemblyPicture(fDir->Path() + "Empty.CV_ASM", png, 320, 240), corvane::EModelViewError);
  EXPECT_THROW(corvane::WriteAssemblyPicture(fDir->Path() + "missing.CV_ASM", png, 320, 240), corvane::EModelViewError);
  EXPECT_FALSE(std::filesystem::exists(png));
}

TEST_F(ModelView, WidgetDrawsTheAssemblyInQtsFrameBuffer) {
  static int argc = 1;
  static char name[] = "model_view_tests";
  static char* argv[] = {name, nullptr};
  // The X display, also where the rest of the suite runs on the offscreen platform.
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  if (!QApplication::instance()) new QApplication(argc, argv);
  ASSERT_TRUE(TAssemblyViewWidget::Available());
  auto* w = new TAssemblyViewWidget;
  w->resize(640, 480);
  w->Load(Assembly());
  w->show();
  QApplication::processEvents();
  const QImage iso = w->grabFramebuffer();
  ASSERT_TRUE(w->Error().isEmpty()) << w->Error().toStdString();
  const TShares s = SharesOf(iso);
  EXPECT_GT(s.Board, 0.10);
  EXPECT_GT(s.Red + s.Black, 0.0005);
  // Qt's frame buffer holds plain colours: the board is as light as in the off-screen picture.
  const TShares batch = SharesOf(QImage(QString::fromStdString(fDir->Path() + "batch.png")));
  EXPECT_NEAR(s.BoardGreen, batch.BoardGreen, 20);
  // Seen from below only the bottom side's parts show; the board still fills the view.
  w->SetDirection(corvane::vdBottom);
  const TShares below = SharesOf(w->grabFramebuffer());
  EXPECT_GT(below.Board, 0.10);
  delete w;  // releases the viewer inside its own context
}

// The view shows an assembly this process wrote from the shapes it holds; read back from the
// file, as any other file is, the picture is the same. Last: it makes the process forget them.
TEST_F(ModelView, TheShapesHeldAndTheFileReadBackGiveTheSamePicture) {
  ASSERT_EQ(fBatchStatus, 0) << fBatchErr;
  const std::string held = fDir->Path() + "held.png", read = fDir->Path() + "read.png";
  corvane::WriteAssemblyPicture(Assembly(), held, 640, 480);
  corvane::ForgetWrittenFiles();
  corvane::WriteAssemblyPicture(Assembly(), read, 640, 480);
  const TShares a = SharesOf(QImage(QString::fromStdString(held)));
  const TShares b = SharesOf(QImage(QString::fromStdString(read)));
  EXPECT_GT(a.Board, 0.10);
  EXPECT_NEAR(a.Board, b.Board, 0.01);
  EXPECT_NEAR(a.Red, b.Red, 0.2 * b.Red + 0.0005);
  EXPECT_NEAR(a.Black, b.Black, 0.2 * b.Black + 0.0005);
  EXPECT_NEAR(a.Background, b.Background, 0.01);
  EXPECT_NEAR(a.BoardGreen, b.BoardGreen, 8);
}
