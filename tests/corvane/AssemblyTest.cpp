#include "host/CorvaneFileUtils.h"
#include "tests/corvane/HostFixture.h"

#include <fstream>
#include <functional>

namespace hosttest {
namespace {

// A component 0.4 x 0.2 cm, 0.1 cm high, standing on its XY plane.
class AssemblyTest : public HostTest {
 protected:
  std::string MakeComponent(const std::string& name, int32_t color = -1) {
    auto part = NewPart(name);
    auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), name);
    s->Get_Figures()->AddRectangle(0, 0, 0.4, 0.2);
    EXPECT_FALSE(HasError(Boss(part, s, 0.1, false)));
    if (color != -1) part->Set_Color(color);
    return Save(part, name, ".CV_PRT");
  }

  std::shared_ptr<ICVGeometryFactory> Factory() {
    return std::dynamic_pointer_cast<ICVSession>(Asm)->Get_GeometryFactory();
  }
  std::shared_ptr<ICVTransformation> Move(double x, double y, double z) {
    return Factory()->CreateTranslationTransformByXYZ(x, y, z);
  }
  std::shared_ptr<ICVTransformation> Rotate(double ax, double ay, double az, double px, double py, double pz,
                                            double degrees) {
    return Factory()->CreateRotationTransform(Factory()->CreateVector(ax, ay, az), Factory()->CreatePoint(px, py, pz),
                                              degrees * kPi / 180);
  }
  std::shared_ptr<ICVOccurrence> Add(const std::string& file, std::shared_ptr<ICVTransformation> t) {
    return Asm->Get_RootOccurrence()->Get_Occurrences()->Add(file, t);
  }
  // Placement as the import does it: translation, then for the bottom side the half turn
  // about an X-parallel axis, then the turn about the vertical.
  std::shared_ptr<ICVOccurrence> Place(const std::string& file, bool top, double x, double y, double t, double rot) {
    auto occ = Add(file, Move(x, y, top ? 0 : -t));
    if (top) {
      if (rot != 0) occ->ApplyTransform(Rotate(0, 0, 1, x, y, 0, rot));
    } else {
      occ->ApplyTransform(Rotate(1, 0, 0, 0, y, -t, 180));
      occ->ApplyTransform(Rotate(0, 0, 1, x, y, 0, 180 - rot));
    }
    return occ;
  }

  std::shared_ptr<ICVAssemblySession> Asm;
};

TEST_F(AssemblyTest, PlacementsLandWhereTheBoardSays) {
  auto file = MakeComponent("R0805");
  Asm = Root->CreateEmptyAssembly("Board_Assy");
  const double t = 0.16;
  Place(file, true, 2, 1, t, 0);
  Place(file, true, 5, 3, t, 90);
  Place(file, false, 7, 2, t, 0);
  Place(file, false, 4, 4, t, 90);
  auto facts = readback::ReadAssembly(Save(Asm, "Board_Assy", ".CV_ASM"));
  EXPECT_EQ(facts.Name, "Board_Assy");
  EXPECT_EQ(facts.DistinctParts, 1);
  ASSERT_EQ(facts.Components.size(), 4u);
  EXPECT_EQ(facts.Components[0].PartName, "R0805");
  // Millimetres; the component is 4 x 2 x 1 mm.
  ExpectBox(facts.Components[0].Box, 20, 10, 0, 24, 12, 1);
  ExpectBox(facts.Components[1].Box, 48, 30, 0, 50, 34, 1);        // turned 90 about (50, 30)
  ExpectBox(facts.Components[2].Box, 66, 20, -2.6, 70, 22, -1.6);  // under the board, mirrored in X
  ExpectBox(facts.Components[3].Box, 40, 40, -2.6, 42, 44, -1.6);  // bottom, 90: turned by 90 after the flip
}

TEST_F(AssemblyTest, ApplyTransformComposesInWorldCoordinates) {
  auto file = MakeComponent("C1");
  Asm = Root->CreateEmptyAssembly("A");
  auto occ = Add(file, Move(1, 0, 0));
  occ->ApplyTransform(Rotate(0, 0, 1, 0, 0, 0, 90));  // about the world origin, after the move
  auto m = occ->Get_Transform()->Get_Matrix();
  EXPECT_NEAR(m[3], 0, 1e-12);
  EXPECT_NEAR(m[7], 1, 1e-12);
}

TEST_F(AssemblyTest, NamesAndColoursSurviveSaving) {
  auto board = MakeComponent("PCB", 16711680);
  auto comp = MakeComponent("CAP", 255);
  Asm = Root->CreateEmptyAssembly("Colours");
  auto b = Add(board, Move(0, 0, 0));
  b->Set_IsAnchored(true);
  b->Set_Color(65280);
  Add(comp, Move(1, 1, 0));
  EXPECT_TRUE(b->Get_IsAnchored());

  auto part = readback::ReadPart(board);
  EXPECT_EQ(part.Name, "PCB");
  EXPECT_EQ(part.Color, 16711680);
  auto facts = readback::ReadAssembly(Save(Asm, "Colours", ".CV_ASM"));
  ASSERT_EQ(facts.Components.size(), 2u);
  EXPECT_EQ(facts.DistinctParts, 2);
  EXPECT_EQ(facts.Components[0].PartName, "PCB");
  EXPECT_EQ(facts.Components[0].Color, 65280);
  EXPECT_EQ(facts.Components[1].PartName, "CAP");
  EXPECT_EQ(facts.Components[1].Color, -1);
}

TEST_F(AssemblyTest, SavedAssemblyServesAsOccurrenceAndFilesAreReread) {
  auto file = MakeComponent("U1");
  Asm = Root->CreateEmptyAssembly("Sub");
  Add(file, Move(1, 0, 0));
  Add(file, Move(2, 0, 0));
  auto sub = Save(Asm, "Sub", ".CV_ASM");

  auto top = Root->CreateEmptyAssembly("Top");
  auto occ = top->Get_RootOccurrence()->Get_Occurrences()->Add(sub, Move(0, 5, 0));
  ASSERT_TRUE(occ);
  EXPECT_EQ(occ->Get_Name(), "Sub:1");
  auto facts = readback::ReadAssembly(Save(top, "Top", ".CV_ASM"));
  ASSERT_EQ(facts.Components.size(), 1u);
  ExpectBox(facts.Components[0].Box, 10, 50, 0, 24, 52, 1);

  // Rewriting a part file replaces what the instance had read.
  auto part = NewPart("U1");
  auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "S");
  s->Get_Figures()->AddRectangle(0, 0, 1, 1);
  ASSERT_FALSE(HasError(Boss(part, s, 0.1, false)));
  Save(part, "U1", ".CV_PRT");
  auto again = Root->CreateEmptyAssembly("Again");
  again->Get_RootOccurrence()->Get_Occurrences()->Add(file, Move(0, 0, 0));
  auto re = readback::ReadAssembly(Save(again, "Again", ".CV_ASM"));
  ExpectBox(re.Components[0].Box, 0, 0, 0, 10, 10, 1);
}

TEST_F(AssemblyTest, SaveAllWritesReferencedFilesBesideTheAssembly) {
  auto file = MakeComponent("L1");
  Asm = Root->CreateEmptyAssembly("Vault");
  Add(file, Move(0, 0, 0));
  fs::create_directory(Dir / "vault");
  std::dynamic_pointer_cast<ICVSession>(Asm)->SaveAll((Dir / "vault").string());
  EXPECT_TRUE(fs::exists(Dir / "vault" / "Vault.CV_ASM"));
  EXPECT_TRUE(fs::exists(Dir / "vault" / "L1.CV_PRT"));
}

TEST_F(AssemblyTest, PartFileReplacedOnDiskIsReadAgain) {
  auto file = MakeComponent("X1");  // known to the process as just written
  readback::WriteForeignBox(file, 5, 5, 5);
  Asm = Root->CreateEmptyAssembly("A");
  Add(file, Move(0, 0, 0));
  auto facts = readback::ReadAssembly(Save(Asm, "A", ".CV_ASM"));
  ExpectBox(facts.Components[0].Box, 0, 0, 0, 5, 5, 5);
}

// A path given once more may name another file by then: a link turned elsewhere.
TEST_F(AssemblyTest, TheSamePathTurnedToAnotherFileIsReadAgain) {
  auto small = MakeComponent("S1");
  auto big = (Dir / "big.CV_PRT").string();
  readback::WriteForeignBox(big, 5, 5, 5);
  const auto link = Dir / "lib.CV_PRT";
  fs::create_symlink(small, link);
  Asm = Root->CreateEmptyAssembly("A");
  Add(link.string(), Move(0, 0, 0));
  fs::remove(link);
  fs::create_symlink(big, link);
  Add(link.string(), Move(0, 0, 0));
  auto facts = readback::ReadAssembly(Save(Asm, "A", ".CV_ASM"));
  ASSERT_EQ(facts.Components.size(), 2u);
  EXPECT_EQ(facts.DistinctParts, 2);
  ExpectBox(facts.Components[0].Box, 0, 0, 0, 4, 2, 1);
  ExpectBox(facts.Components[1].Box, 0, 0, 0, 5, 5, 5);
}

TEST_F(AssemblyTest, ForeignStepFileServesAsLibraryPart) {
  auto file = (Dir / "vendor.CV_PRT").string();
  readback::WriteForeignBox(file, 3, 2, 1);  // millimetres
  Asm = Root->CreateEmptyAssembly("A");
  Add(file, Move(1, 1, 0));
  auto facts = readback::ReadAssembly(Save(Asm, "A", ".CV_ASM"));
  ASSERT_EQ(facts.Components.size(), 1u);
  ExpectBox(facts.Components[0].Box, 10, 10, 0, 13, 12, 1);
}

// A library file of two products cannot be copied into the assembly: the whole assembly goes
// through the translator, and the save says so in the detail log.
TEST_F(AssemblyTest, AnAssemblyTheOwnWriterCannotCopyIsNotedInTheDetailLog) {
  auto pair = (Dir / "pair.CV_PRT").string();
  readback::WriteForeignBox(pair, 3, 2, 1, 2);
  auto single = MakeComponent("U1");
  Asm = Root->CreateEmptyAssembly("A");
  Add(single, Move(0, 0, 0));
  auto session = std::dynamic_pointer_cast<ICVSession>(Asm);
  TSearchStringList log;
  const std::string file = (Dir / "A.CV_ASM").string();
  CorvaneFileUtils::SaveAs(session, file, &log);
  EXPECT_EQ(session->Get_SaveNote(), "");
  EXPECT_EQ(log.Count(), 0);

  Add(pair, Move(0, 5, 0));
  CorvaneFileUtils::SaveAs(session, file, &log);
  const std::string note = session->Get_SaveNote();
  EXPECT_EQ(note.rfind("written through OpenCASCADE's translator: the file of ", 0), 0u) << note;
  EXPECT_NE(note.find("cannot be copied: it holds several products"), std::string::npos) << note;
  ASSERT_EQ(log.Count(), 1);
  EXPECT_EQ(log[0], "Saved A.CV_ASM | " + session->Get_SaveNote());
  auto facts = readback::ReadAssembly(file);
  EXPECT_EQ(facts.Components.size(), 2u);
}

TEST_F(AssemblyTest, BoardWithHolesKeepsItsVolumeThroughTheAssembly) {
  auto part = Board(10, 5.8, 0.16, "PCB");
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes");
  for (int i = 0; i < 30; ++i) s->Get_Figures()->AddCircle(0.5 + i * 0.3, 3, 0.1);
  ASSERT_FALSE(HasError(CutThroughAll(part, s)));
  auto file = Save(part, "PCB", ".CV_PRT");
  corvane::ForgetWrittenFiles();  // parse what was written
  Asm = Root->CreateEmptyAssembly("A");
  Add(file, Move(0, 0, 0));
  auto facts = readback::ReadAssembly(Save(Asm, "A", ".CV_ASM"));
  ASSERT_EQ(facts.Components.size(), 1u);
  EXPECT_NEAR(facts.Components[0].Volume, (58 - 30 * kPi * 0.01) * 0.16 * 1000, 1e-2);
}

// ------------------------------------------------------------- failures

void ExpectHostError(const std::function<void()>& f, const std::string& text) {
  try {
    f();
    ADD_FAILURE() << "no error; expected one saying: " << text;
  } catch (const ECVHostError& e) {
    EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
  }
}

TEST_F(AssemblyTest, FailuresRaiseHostErrorsWithClearText) {
  auto part = NewPart("P");
  ExpectHostError([&] { part->Get_Sketches()->AddSketch(nullptr, nullptr, "S"); }, "no plane or face");
  auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "Blank");
  ExpectHostError([&] { Boss(part, s, 1, false); }, "sketch \"Blank\" is empty");
  ExpectHostError([&] { CutThroughAll(part, s); }, "is empty");
  Asm = Root->CreateEmptyAssembly("A");
  ExpectHostError([&] { Add((Dir / "missing.CV_PRT").string(), Move(0, 0, 0)); }, "File not found");
  ExpectHostError([&] { Add("", Move(0, 0, 0)); }, "no part or assembly file");
  { std::ofstream(Dir / "junk.CV_PRT") << "not a step file"; }
  ExpectHostError([&] { Add((Dir / "junk.CV_PRT").string(), Move(0, 0, 0)); }, "junk.CV_PRT");
  ExpectHostError([&] { std::dynamic_pointer_cast<ICVSession>(part)->SaveAs((Dir / "nowhere").string(), "P"); },
                  "folder does not exist");
  std::dynamic_pointer_cast<ICVSession>(part)->Close(false);
  ExpectHostError([&] { part->Get_Sketches(); }, "has been closed");
  Root->Terminate();
  ExpectHostError([&] { Root->CreateEmptyPart("X", false); }, "terminated");
  Root.reset();
}

// ------------------------------------------------------------- connection

TEST(Connection, HookStartsRegisteredHostInstances) {
  RegisterAutomationServer(nullptr);
  {
    TAutomationHook hook;
    EXPECT_THROW(hook.DefaultInterface(), ECVHostError);
  }
  corvane::RegisterCorvaneServer();
  TAutomationHook a, b, c;
  a.ConnectKind = b.ConnectKind = ckNewInstance;
  auto ra = std::dynamic_pointer_cast<ICVRoot>(a.DefaultInterface()->Get_Root());
  auto rb = std::dynamic_pointer_cast<ICVRoot>(b.DefaultInterface()->Get_Root());
  ASSERT_TRUE(ra);
  ASSERT_TRUE(rb);
  EXPECT_NE(ra, rb);
  // Running-or-new finds the instance still held.
  EXPECT_EQ(c.DefaultInterface(), b.DefaultInterface());
  EXPECT_NE(ra->Get_version().find("OpenCASCADE"), std::string::npos);
  ra->Terminate();
  EXPECT_THROW(ra->CreateEmptyAssembly("A"), ECVHostError);
  EXPECT_NO_THROW(rb->CreateEmptyAssembly("B"));  // instances are independent
}

}  // namespace
}  // namespace hosttest
