#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/support/TestFiles.h"

namespace {

using namespace CorvaneX_TLB;
using recording::TRecordingHost;

class RecordingHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host = std::make_shared<TRecordingHost>();
    Host->Register();
  }
  void TearDown() override { RegisterAutomationServer(nullptr); }
  std::shared_ptr<ICVRoot> Connect() {
    Hook.ConnectKind = ckNewInstance;
    auto intf = Hook.DefaultInterface();
    intf->Initialize("", "", "", false, 0);
    return std::dynamic_pointer_cast<ICVRoot>(intf->Get_Root());
  }
  std::shared_ptr<TRecordingHost> Host;
  TAutomationHook Hook;
};

TEST_F(RecordingHostTest, RecordsCallsWithArgumentsInOrder) {
  auto root = Connect();
  ASSERT_TRUE(root);
  auto part = root->CreateEmptyPart("Board", false);
  auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
  auto plane = planes->Get_Item(int32_t(0));
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, plane, "Board_Sketch");
  sketch->Get_Figures()->AddCircle(1.5, 2, 0.05);
  sketch->Get_Figures()->AddLine(0, 0, 1, 0);
  auto f = part->Get_Features()->AddExtrudedBoss(sketch, 0.16, CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr, nullptr,
                                                 true, int32_t(0), false, "Board", "", "");
  EXPECT_FALSE(std::dynamic_pointer_cast<ICVPartFeature>(f)->Get_HasError());

  std::vector<std::string> expected = {
      "Server.NewInstance()",
      "Hook#1.Initialize(\"\", \"\", \"\", false, 0)",
      "Hook#1.Get_Root()",
      "Root#1.CreateEmptyPart(\"Board\", false)",
      "Part[Board].Get_DesignPlanes()",
      "DesignPlanes[Part[Board]].Get_Item(int:0)",
      "Part[Board].Get_Sketches()",
      "Sketches[Board].AddSketch(nil, Plane[XY], \"Board_Sketch\")",
      "Sketch[Board_Sketch].Get_Figures()",
      "Figures[Board_Sketch].AddCircle(1.5, 2, real:0.05)",
      "Sketch[Board_Sketch].Get_Figures()",
      "Figures[Board_Sketch].AddLine(0, 0, 1, 0)",
      "Part[Board].Get_Features()",
      "Features[Board].AddExtrudedBoss(Sketch[Board_Sketch], real:0.16, 0, nil, nil, 0, 0, nil, nil, true, "
      "int:0, false, \"Board\", \"\", \"\")",
      "Feature[Board].Get_HasError()",
  };
  EXPECT_EQ(Host->CallTexts(), expected);
  EXPECT_EQ(sketch->Get_Figures()->Get_Count(), 2);
}

TEST_F(RecordingHostTest, ScriptedFailuresNilsAndAnswers) {
  Host->Script.FailOn("AddExtrudedCutout", "cut refused");
  Host->Script.NilOn("AddSketch", 2);
  Host->Script.SketchIsClosed = false;
  Host->Script.OpenLoops = 3;
  auto root = Connect();
  auto part = root->CreateEmptyPart("P", false);
  auto sk = part->Get_Sketches();
  auto s1 = sk->AddSketch(nullptr, nullptr, "A");
  EXPECT_TRUE(s1);
  EXPECT_FALSE(sk->AddSketch(nullptr, nullptr, "B"));
  EXPECT_TRUE(sk->AddSketch(nullptr, nullptr, "C"));
  EXPECT_FALSE(s1->Get_IsClosed());
  EXPECT_EQ(s1->Analyze(true, true, true, true, true, true, 1e-4)->Get_OpenLoops()->Get_Count(), 3);
  try {
    part->Get_Features()->AddExtrudedCutout(s1, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0, nullptr, nullptr,
                                            true, int32_t(0), false, "Holes", "", "");
    ADD_FAILURE() << "expected the scripted error";
  } catch (const ECVHostError& e) {
    EXPECT_STREQ(e.what(), "cut refused");
  }
  EXPECT_EQ(Host->CountOf("AddExtrudedCutout"), 1);  // recorded although it failed
}

TEST_F(RecordingHostTest, FacesAndTransformsFollowTheScript) {
  auto root = Connect();
  auto part = root->CreateEmptyPart("P", false);
  auto faces = part->Get_Bodies()->Get_Item(int32_t(0))->Get_Faces();
  ASSERT_EQ(faces->Get_Count(), 4);
  auto bottom = faces->Get_Item(int32_t(2));
  EXPECT_TRUE(bottom->Get_IsSenseReversed());
  auto surf = bottom->Get_Geometry();
  EXPECT_DOUBLE_EQ(surf->NormalAtPoint(surf->PointAtParam(0.5, 0.5))->Get_Z(), 1);

  auto assy = root->CreateEmptyAssembly("A");
  auto gf = std::dynamic_pointer_cast<ICVSession>(assy)->Get_GeometryFactory();
  auto occ = assy->Get_RootOccurrence()->Get_Occurrences()->Add(std::string("/p/R0805.CV_PRT"),
                                                                gf->CreateTranslationTransformByXYZ(1, 0, 0));
  occ->ApplyTransform(gf->CreateRotationTransform(gf->CreateVector(0, 0, 1), gf->CreatePoint(0, 0, 0), M_PI / 2));
  auto m = occ->Get_Transform()->Get_Matrix();
  EXPECT_NEAR(m[3], 0, 1e-12);
  EXPECT_NEAR(m[7], 1, 1e-12);
  auto calls = Host->CallsTo("ApplyTransform");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Text(), "Occurrence[R0805:1].ApplyTransform(Transform#2)");
  EXPECT_EQ(Host->CallsTo("CreateRotationTransform")[0].Args[0], "Vector(0, 0, 1)");
}

TEST_F(RecordingHostTest, InterfacesCanBeWithheld) {
  Host->Script.SessionsAreHostSessions = false;
  Host->Script.PartsAreDesignSessions = false;
  auto root = Connect();
  auto part = root->CreateEmptyPart("P", false);
  EXPECT_FALSE(std::dynamic_pointer_cast<ICVSession>(part));
  EXPECT_FALSE(std::dynamic_pointer_cast<ICVDesignSession>(part));
  EXPECT_FALSE(std::dynamic_pointer_cast<ICVSession>(root->CreateEmptyAssembly("A")));

  Host->Script.RootIsICVRoot = false;
  TAutomationHook other;
  other.ConnectKind = ckNewInstance;
  EXPECT_FALSE(std::dynamic_pointer_cast<ICVRoot>(other.DefaultInterface()->Get_Root()));
  EXPECT_EQ(Host->InstancesStarted, 2);
}

}  // namespace

TEST_F(RecordingHostTest, SavedFilesAreLeftOnlyWhenTheScriptAsks) {
  TTempDir dir;
  auto root = Connect();
  auto part = std::dynamic_pointer_cast<ICVSession>(root->CreateEmptyPart("Board", false));
  auto assembly = std::dynamic_pointer_cast<ICVSession>(root->CreateEmptyAssembly("Asm"));
  part->SaveAs(dir.Path(), "Quiet");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Quiet.CV_PRT"));
  Host->Script.SaveLeavesFiles = true;
  part->SaveAs(dir.Path(), "Board");
  assembly->SaveAs(dir.Path(), "Asm");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "Board.CV_PRT"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "Asm.CV_ASM"));
  EXPECT_EQ(Host->CountOf("SaveAs"), 3);
}
