// `corvane-idf batch --preview` and `--preview-3d`: the pictures written, and the usage errors.
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "app/BatchCommand.h"
#include "corvane/CorvaneServer.h"
#include "tests/preview/PreviewTestSupport.h"
#include "tests/support/TestFiles.h"

namespace {
const auto* const kQt = ::testing::AddGlobalTestEnvironment(new TOffscreenQt);

struct TRun {
  int Code;
  std::string Out, Err;
};
TRun Batch(const TTempDir& dir, std::vector<std::string> args) {
  corvane::RegisterCorvaneServer();
  std::ostringstream out, err;
  args.insert(args.begin(), SamplesDir() + "sample.emn");
  args.insert(args.end(), {"--no-settings", "--assembly-dir", dir.Path() + "asm"});
  const int code = RunBatch(args, out, err);
  return {code, out.str(), err.str()};
}

// Takes DISPLAY away for the scope and puts it back.
class TNoDisplay {
 public:
  TNoDisplay() {
    if (const char* d = std::getenv("DISPLAY")) fSaved = d;
    ::unsetenv("DISPLAY");
  }
  ~TNoDisplay() {
    if (fSaved) ::setenv("DISPLAY", fSaved->c_str(), 1);
  }

 private:
  std::optional<std::string> fSaved;
};
}  // namespace

TEST(PreviewBatch, WritesTheTopViewAtAFittingOrAGivenSize) {
  TTempDir dir;
  auto r = Batch(dir, {"--preview", dir.Path() + "top.png"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  QImage fit(QString::fromStdString(dir.Path() + "top.png"));
  ASSERT_FALSE(fit.isNull());
  // The 80 x 50 board: the longer side across.
  EXPECT_GT(fit.width(), fit.height());
  EXPECT_EQ(std::max(fit.width(), fit.height()), 1600);

  r = Batch(dir, {"--preview", dir.Path() + "top.PNG", "--preview-size", "400x300"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(QImage(QString::fromStdString(dir.Path() + "top.PNG")).size(), QSize(400, 300));

  r = Batch(dir, {"--preview", dir.Path() + "top.svg"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(ReadFileBytes(dir.Path() + "top.svg").find("<svg"), std::string::npos);
  // The build went on as without the picture.
  EXPECT_NE(r.Out.find("sample.CV_ASM"), std::string::npos) << r.Out;
}

TEST(PreviewBatch, BadPictureOptionsAreUsageErrors) {
  TTempDir dir;
  for (const char* size : {"400", "0x300", "400x", "400x300x2", "20000x100", "axb"}) {
    auto r = Batch(dir, {"--preview", dir.Path() + "top.png", "--preview-size", size});
    EXPECT_EQ(r.Code, 2) << size;
    EXPECT_NE(r.Err.find("--preview-size"), std::string::npos) << r.Err;
  }
  auto ext = Batch(dir, {"--preview", dir.Path() + "top.jpg"});
  EXPECT_EQ(ext.Code, 2);
  EXPECT_NE(ext.Err.find("must end in .svg or .png"), std::string::npos) << ext.Err;
  auto alone = Batch(dir, {"--preview-size", "400x300"});
  EXPECT_EQ(alone.Code, 2);
  EXPECT_NE(alone.Err.find("--preview-size needs --preview"), std::string::npos) << alone.Err;
  auto model = Batch(dir, {"--preview-3d", dir.Path() + "model.jpg"});
  EXPECT_EQ(model.Code, 2);
  EXPECT_NE(model.Err.find("must end in .png"), std::string::npos) << model.Err;
  auto folder = Batch(dir, {"--preview", dir.Path() + "missing/top.png"});
  EXPECT_EQ(folder.Code, 2);
  EXPECT_NE(folder.Err.find("cannot write"), std::string::npos) << folder.Err;
}

TEST(PreviewBatch, TheModelPictureWithoutADisplayFailsClearlyBeforeTheBuild) {
  TTempDir dir;
  TNoDisplay none;
  auto r = Batch(dir, {"--preview-3d", dir.Path() + "model.png"});
  EXPECT_EQ(r.Code, 2);
  EXPECT_NE(r.Err.find("needs an X display with OpenGL"), std::string::npos) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "model.png"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "asm")) << "built although the picture cannot be made";
}
