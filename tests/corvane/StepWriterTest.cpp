#include "tests/corvane/HostFixture.h"

namespace hosttest {
namespace {

class StepWriterTest : public HostTest {
 protected:
  void TearDown() override {
    corvane::UseTranslatorForWriting(false);
    HostTest::TearDown();
  }
};

TEST_F(StepWriterTest, Probe2) {
  auto part = NewPart("B");
  auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "Outline");
  AddRectLoop(s, 0, 0, 10, 5.8);
  s->Get_Figures()->AddCircle(7, 3, 0.5);
  auto f = Boss(part, s, 0.16, true);
  Save(part, "B", ".CV_PRT");
  std::system(("cp " + (Dir / "B.CV_PRT").string() + " /tmp/").c_str());
}

TEST_F(StepWriterTest, Probe) {
  for (bool translator : {true, false}) {
    corvane::UseTranslatorForWriting(translator);
    auto part = Board(10, 5.8, 0.16);
    auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes");
    s->Get_Figures()->AddCircle(3, 3, 0.1);
    ASSERT_FALSE(HasError(CutThroughAll(part, s)));
    auto f = readback::ReadPart(Save(part, translator ? "T" : "O", ".CV_PRT"));
    EXPECT_NEAR(f.Volume, (58 - kPi * 0.01) * 0.16 * 1000, 1e-2) << translator;
    EXPECT_TRUE(f.Valid) << f.Invalid;
    std::system(("cp " + (Dir / (translator ? "T.CV_PRT" : "O.CV_PRT")).string() + " /tmp/").c_str());
  }
}

}  // namespace
}  // namespace hosttest
