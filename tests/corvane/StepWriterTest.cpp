// The host's own STEP writer, checked with OpenCASCADE's reader as the oracle and against
// what its translator writes for the same model.
#include "corvane/StepData.h"
#include "corvane/StepText.h"
#include "tests/corvane/HostFixture.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace hosttest {
namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WrittenByOwnWriter(const std::string& path) {
  return FileText(path).find("'Corvane STEP writer'") != std::string::npos;
}

// Loops whose edges do not each start where the one before ended; readers warn and reorder.
int UnchainedLoops(const std::string& path) {
  corvane::TStepData d;
  if (!d.Parse(FileText(path))) return -1;
  using corvane::TStepData;
  auto ref = [&](std::string_view p) { return d.Find(TStepData::Refs(p).at(0)); };
  int bad = 0;
  for (const auto& e : d.Entities()) {
    if (e.Type() != "EDGE_LOOP") continue;
    std::vector<std::pair<int, int>> ends;  // start and end vertex of each oriented edge
    for (int oe : TStepData::Refs(TStepData::Params(e).at(1))) {
      auto p = TStepData::Params(*d.Find(oe));
      auto c = TStepData::Params(*ref(p.at(3)));
      int v0 = TStepData::Refs(c.at(1)).at(0), v1 = TStepData::Refs(c.at(2)).at(0);
      ends.push_back(p.at(4) == ".T." ? std::pair{v0, v1} : std::pair{v1, v0});
    }
    for (size_t i = 0; i < ends.size(); ++i)
      if (ends[i].second != ends[(i + 1) % ends.size()].first) {
        ++bad;
        break;
      }
  }
  return bad;
}

void ExpectSameBox(const readback::TBox& a, const readback::TBox& b) {
  for (auto [x, y] : {std::pair{a.X0, b.X0}, {a.Y0, b.Y0}, {a.Z0, b.Z0}, {a.X1, b.X1}, {a.Y1, b.Y1}, {a.Z1, b.Z1}})
    EXPECT_NEAR(x, y, 1e-6 * (1 + std::abs(y)));
}

class StepWriterTest : public HostTest {
 protected:
  void TearDown() override {
    corvane::UseTranslatorForWriting(false);
    HostTest::TearDown();
  }

  // A board with an arc-cornered cut-out (general cut), drilled holes (the quick cut), a
  // hole crossing the outline, and bosses on both caps.
  std::shared_ptr<ICVPartSession> MixedBoard(const std::string& name) {
    auto part = Board(10, 5.8, 0.16, name);
    auto slot = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Slot");
    auto f = slot->Get_Figures();
    f->AddLine(1, 1, 2, 1);
    f->AddCircularArcByCenterStartEnd(2, 1.5, 2, 1, 2, 2);
    f->AddLine(2, 2, 1, 2);
    f->AddLine(1, 2, 1, 1);
    EXPECT_FALSE(HasError(CutThroughAll(part, slot, "Slot")));
    auto holes = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes");
    for (int i = 0; i < 40; ++i) holes->Get_Figures()->AddCircle(4 + (i % 10) * 0.5, 1 + (i / 10) * 0.8, 0.1);
    EXPECT_FALSE(HasError(CutThroughAll(part, holes, "Holes")));
    auto edge = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "EdgeHole");
    edge->Get_Figures()->AddCircle(10, 5, 0.3);
    EXPECT_FALSE(HasError(CutThroughAll(part, edge, "EdgeHole")));
    for (bool top : {true, false}) {
      auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, top), top ? "Top" : "Bottom");
      s->Get_Figures()->AddRectangle(6, 4, 7, 5);
      EXPECT_FALSE(HasError(Boss(part, s, 0.01, false)));
    }
    part->Set_Color(0x1F7F3F);
    return part;
  }

  // A component's file: a block over the rectangle, High cm high, in its colour.
  std::string SavedChip(const std::string& name, double x0, double y0, double x1, double y1, double high,
                        int32_t color) {
    auto chip = NewPart(name);
    auto s = chip->Get_Sketches()->AddSketch(nullptr, XyPlane(chip), "Outline");
    s->Get_Figures()->AddRectangle(x0, y0, x1, y1);
    EXPECT_FALSE(HasError(Boss(chip, s, high, false)));
    chip->Set_Color(color);
    return Save(chip, name, ".CV_PRT");
  }

  // An occurrence moved to (x, y, z); Flipped then turns it upside down about the X-parallel
  // line through (0, y, z), as a bottom component.
  static std::shared_ptr<ICVOccurrence> Place(const std::shared_ptr<ICVAssemblySession>& assy, const std::string& file,
                                              const std::string& name, double x, double y, double z,
                                              bool flipped = false, int32_t color = -1) {
    auto factory = std::dynamic_pointer_cast<ICVSession>(assy)->Get_GeometryFactory();
    auto occ =
        assy->Get_RootOccurrence()->Get_Occurrences()->Add(file, factory->CreateTranslationTransformByXYZ(x, y, z));
    if (flipped)
      occ->ApplyTransform(
          factory->CreateRotationTransform(factory->CreateVector(1, 0, 0), factory->CreatePoint(0, y, z), kPi));
    occ->Set_Name(name);
    if (color != -1) occ->Set_Color(color);
    return occ;
  }
};

TEST_F(StepWriterTest, PartReadsBackAsTheSolidThatWasWritten) {
  auto part = MixedBoard("Board \xCE\xA9 'one'");
  auto body = part->Get_Bodies()->Get_Item(0);
  const double volume = body->Get_Volume() * 1000;
  const int faces = body->Get_Faces()->Get_Count();
  auto own = Save(part, "Board \xCE\xA9 'one'", ".CV_PRT");
  ASSERT_TRUE(WrittenByOwnWriter(own));
  EXPECT_EQ(UnchainedLoops(own), 0);
  corvane::UseTranslatorForWriting(true);
  auto theirs = Save(part, "Translated", ".CV_PRT");
  EXPECT_EQ(readback::ReadPart(theirs).Name, "Translated");
  ASSERT_FALSE(WrittenByOwnWriter(theirs));

  auto a = readback::ReadPart(own), b = readback::ReadPart(theirs);
  EXPECT_TRUE(a.Valid) << a.Invalid;
  EXPECT_TRUE(b.Valid) << b.Invalid;
  EXPECT_NEAR(a.Volume, volume, 1e-6 * volume);
  EXPECT_NEAR(b.Volume, volume, 1e-6 * volume);
  EXPECT_EQ(a.Faces, faces);
  EXPECT_EQ(b.Faces, faces);
  EXPECT_TRUE(a.FacesConnectInOrder);
  ExpectSameBox(a.Box, b.Box);
  EXPECT_EQ(a.Name, "Board \xCE\xA9 'one'");
  EXPECT_EQ(a.Color, 0x1F7F3F);
  EXPECT_EQ(b.Color, 0x1F7F3F);
}

TEST_F(StepWriterTest, RoundComponentsReadBackWhole) {
  // A cylinder whose axis runs against its circles: the read-back must place the seam's two
  // parameter curves and the circles' period right.
  for (bool reverse : {false, true}) {
    auto part = NewPart("LED");
    auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "Outline");
    s->Get_Figures()->AddCircle(0.2, 0.1, 0.15);
    ASSERT_FALSE(HasError(Boss(part, s, 0.3, reverse)));
    auto f = readback::ReadPart(Save(part, "LED", ".CV_PRT"));
    EXPECT_TRUE(f.Valid) << f.Invalid;
    EXPECT_NEAR(f.Volume, kPi * 1.5 * 1.5 * 3, 1e-6 * f.Volume);
  }
}

TEST_F(StepWriterTest, CapsWithManyHolesAreWrittenAsTilesOfTheSameSolid) {
  auto part = Board(10, 5.8, 0.16);
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes");
  int n = 0;
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 12; ++j, ++n) s->Get_Figures()->AddCircle(0.3 + i * 0.45, 0.4 + j * 0.42, 0.08);
  ASSERT_FALSE(HasError(CutThroughAll(part, s)));
  auto body = part->Get_Bodies()->Get_Item(0);
  const double volume = body->Get_Volume() * 1000;
  auto ownFile = Save(part, "Own", ".CV_PRT");
  EXPECT_EQ(UnchainedLoops(ownFile), 0);
  auto own = readback::ReadPart(ownFile);
  corvane::UseTranslatorForWriting(true);
  auto theirs = readback::ReadPart(Save(part, "Theirs", ".CV_PRT"));
  EXPECT_EQ(theirs.MostInnerLoops, n);
  EXPECT_TRUE(own.Valid) << own.Invalid;
  EXPECT_NEAR(own.Volume, volume, 1e-6 * volume);
  ExpectSameBox(own.Box, theirs.Box);
  EXPECT_GT(own.Faces, body->Get_Faces()->Get_Count() + 4);  // each cap became several
  EXPECT_LE(own.MostInnerLoops, 64);
  EXPECT_TRUE(own.FacesConnectInOrder);
}

TEST_F(StepWriterTest, ReversedHoleWallsAreCaughtByTheOracle) {
  auto part = Board(5, 5, 0.16);
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes");
  s->Get_Figures()->AddCircle(2, 2, 0.2);
  ASSERT_FALSE(HasError(CutThroughAll(part, s)));
  auto file = Save(part, "Board", ".CV_PRT");
  ASSERT_TRUE(readback::ReadPart(file).Valid);
  // The wall turned inside out: a reader that heals would still see the right solid.
  std::string text = FileText(file);
  size_t cyl = text.find("CYLINDRICAL_SURFACE");
  ASSERT_NE(cyl, std::string::npos);
  std::string id = text.substr(text.rfind('#', cyl), text.find('=', text.rfind('#', cyl)) - text.rfind('#', cyl));
  size_t face = text.find("," + id + ",.");
  ASSERT_NE(face, std::string::npos);
  size_t sense = face + id.size() + 2;
  text[sense + 1] = text[sense + 1] == 'T' ? 'F' : 'T';
  std::ofstream(file) << text;
  corvane::ForgetWrittenFiles();
  EXPECT_FALSE(readback::ReadPart(file).Valid);
}

TEST_F(StepWriterTest, AssemblyNamesColoursAndPlacesEachInstance) {
  auto board = MixedBoard("PCB_Board");
  auto boardFile = Save(board, "PCB_Board", ".CV_PRT");
  auto chipFile = SavedChip("SOIC8", -0.25, -0.2, 0.25, 0.2, 0.15, 0x808080);

  for (bool translator : {false, true}) {
    SCOPED_TRACE(translator ? "translator" : "own writer");
    corvane::UseTranslatorForWriting(translator);
    auto assy = Root->CreateEmptyAssembly("Assy");
    Place(assy, boardFile, "PCB_Board", 0, 0, 0, false, 0x00FF00);
    Place(assy, chipFile, "U8", 3, 4, 0, false, 0x0000FF);
    Place(assy, chipFile, "U9 'bottom'", 6, 1, -0.16, true);
    auto file = Save(assy, "Assy", ".CV_ASM");
    EXPECT_EQ(WrittenByOwnWriter(file), !translator);

    auto facts = readback::ReadAssembly(file);
    EXPECT_EQ(facts.Warnings, std::vector<std::string>{});
    EXPECT_EQ(facts.Name, "Assy");
    EXPECT_EQ(facts.DistinctParts, 2);
    ASSERT_EQ(facts.Components.size(), 3u);
    EXPECT_EQ(facts.Components[0].Name, "PCB_Board");
    EXPECT_EQ(facts.Components[1].Name, "U8");
    EXPECT_EQ(facts.Components[2].Name, "U9 'bottom'");
    EXPECT_EQ(facts.Components[1].PartName, "SOIC8");
    EXPECT_EQ(facts.Components[0].Color, 0x00FF00);
    EXPECT_EQ(facts.Components[1].Color, 0x0000FF);
    EXPECT_EQ(facts.Components[2].Color, -1);  // its part's own colour applies
    const double boardVolume = board->Get_Bodies()->Get_Item(0)->Get_Volume() * 1000;
    EXPECT_NEAR(facts.Components[0].Volume, boardVolume, 1e-6 * boardVolume);
    ExpectSameBox(facts.Components[1].Box, {27.5, 38, 0, 32.5, 42, 1.5});
    ExpectSameBox(facts.Components[2].Box, {57.5, 8, -3.1, 62.5, 12, -1.6});
  }
}

// The board's file goes into the assembly as it stands while it is as written; changed, it is
// parsed again, and gone, the assembly is made from the shapes in memory. All three read back
// alike.
TEST_F(StepWriterTest, AssemblyCopiesTheBoardFileOnlyWhileItIsAsWritten) {
  auto board = MixedBoard("PCB");
  auto boardFile = Save(board, "PCB", ".CV_PRT");
  auto chipFile = SavedChip("SOT23", 0, 0, 0.3, 0.15, 0.1, 0x202020);
  auto assy = Root->CreateEmptyAssembly("Assy");
  Place(assy, chipFile, "Q1", 1, 2, 0);
  Place(assy, boardFile, "PCB", 0, 0, 0, false, 0x00FF00);
  Place(assy, chipFile, "Q2", 4, 3, -0.16, true, 0x0000FF);

  auto dataOf = [](const std::string& text) {
    size_t from = text.find("\nDATA;\n") + 7;
    return text.substr(from, text.rfind("ENDSEC;") - from);
  };
  const std::string boardData = dataOf(FileText(boardFile));
  auto saved = [&](const std::string& name, bool copied) {
    auto file = Save(assy, name, ".CV_ASM");
    const std::string text = FileText(file);
    EXPECT_EQ(dataOf(text).compare(0, boardData.size(), boardData) == 0, copied) << name;
    // The reader skips text it cannot make sense of; the exchange format's rules are stricter.
    EXPECT_TRUE(corvane::TStepData().Parse(text)) << name;
    return readback::ReadAssembly(file);
  };
  auto copied = saved("Copied", true);
  ASSERT_EQ(copied.Components.size(), 3u);
  EXPECT_EQ(copied.DistinctParts, 2);
  EXPECT_EQ(copied.Components[1].Name, "PCB");
  EXPECT_EQ(copied.Components[1].PartName, "PCB");
  EXPECT_EQ(copied.Components[1].Color, 0x00FF00);
  EXPECT_EQ(copied.Components[2].Color, 0x0000FF);
  const double volume = board->Get_Bodies()->Get_Item(0)->Get_Volume() * 1000;
  EXPECT_NEAR(copied.Components[1].Volume, volume, 1e-6 * volume);
  ExpectSameBox(copied.Components[2].Box, {40, 28.5, -2.6, 43, 30, -1.6});  // turned under the board

  // Another header moves the data section within the file: copying the bytes recorded at
  // writing would cut entities apart.
  std::string text = FileText(boardFile);
  text.replace(text.find("FILE_NAME('PCB'"), 15, "FILE_NAME('PCB, edited elsewhere'");
  std::ofstream(boardFile, std::ios::binary) << text;
  auto reparsed = saved("Reparsed", false);
  fs::remove(boardFile);
  auto session = std::dynamic_pointer_cast<ICVSession>(assy);
  auto rebuilt = saved("Rebuilt", false);
  EXPECT_NE(session->Get_SaveNote().find("the file of PCB cannot be read"), std::string::npos)
      << session->Get_SaveNote();
  for (auto* other : {&reparsed, &rebuilt}) {
    ASSERT_EQ(other->Components.size(), 3u);
    EXPECT_EQ(other->DistinctParts, 2);
    for (size_t i = 0; i < 3; ++i) {
      SCOPED_TRACE(copied.Components[i].Name);
      EXPECT_EQ(other->Components[i].Name, copied.Components[i].Name);
      EXPECT_EQ(other->Components[i].PartName, copied.Components[i].PartName);
      EXPECT_EQ(other->Components[i].Color, copied.Components[i].Color);
      EXPECT_NEAR(other->Components[i].Volume, copied.Components[i].Volume, 1e-6 * copied.Components[i].Volume);
      ExpectSameBox(other->Components[i].Box, copied.Components[i].Box);
    }
  }
}

TEST_F(StepWriterTest, LibraryPartsInInchesAndMillimetresLandAtTheirSize) {
  const double r = 2;
  for (const char* unit : {"IN", "MM"}) {
    SCOPED_TRACE(unit);
    auto file = (Dir / (std::string("lib_") + unit + ".CV_PRT")).string();
    readback::WriteForeignDrilledBox(file, 25.4, 12.7, 5, r, unit);
    auto assy = Root->CreateEmptyAssembly("Lib");
    auto factory = std::dynamic_pointer_cast<ICVSession>(assy)->Get_GeometryFactory();
    auto occ =
        assy->Get_RootOccurrence()->Get_Occurrences()->Add(file, factory->CreateTranslationTransformByXYZ(1, 2, 0));
    occ->Set_Name("J1");
    auto out = Save(assy, std::string("Lib_") + unit, ".CV_ASM");
    EXPECT_TRUE(WrittenByOwnWriter(out));
    auto facts = readback::ReadAssembly(out);
    EXPECT_EQ(facts.Warnings, std::vector<std::string>{});
    ASSERT_EQ(facts.Components.size(), 1u);
    EXPECT_EQ(facts.Components[0].Name, "J1");
    ExpectSameBox(facts.Components[0].Box, {10, 20, 0, 35.4, 32.7, 5});
    const double volume = (25.4 * 12.7 - kPi * r * r) * 5;
    EXPECT_NEAR(facts.Components[0].Volume, volume, 1e-6 * volume);
  }
}

TEST(StepData, EntitiesAreFoundInAnyNumberingAndStringsHideNothing) {
  const std::string head = "ISO-10303-21;\nHEADER;\nFILE_NAME('DATA; #1=',$);\nENDSEC;\nDATA;\n";
  corvane::TStepData d;
  ASSERT_TRUE(d.Parse(head + "#5=PRODUCT('a;b','#7',$,(#2));\n#2 = PRODUCT_CONTEXT('',#9,'x');\n"
                             "/* note */ #9=( A() B('''') );\nENDSEC;\nEND-ISO-10303-21;\n"));
  ASSERT_EQ(d.Entities().size(), 3u);
  ASSERT_TRUE(d.Find(2));
  EXPECT_EQ(d.Find(2)->Type(), "PRODUCT_CONTEXT");
  EXPECT_EQ(d.Find(9)->Type(), "");  // complex
  EXPECT_EQ(d.Find(7), nullptr);
  auto p = corvane::TStepData::Params(*d.Find(5));
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0], "'a;b'");
  EXPECT_EQ(corvane::TStepData::Refs(d.Find(5)->Text()), (std::vector<int>{2}));
  EXPECT_FALSE(d.Parse(head + "#1=A();\n#1=B();\nENDSEC;\n"));  // numbered twice
  EXPECT_FALSE(d.Parse(head + "#1=A('open);\nENDSEC;\n"));
  EXPECT_FALSE(d.Parse("not a step file"));
}

TEST(StepText, NumbersAndStringsAreWrittenAsTheFormatWants) {
  auto real = [](double v) {
    std::string s;
    corvane::AppendStepReal(s, v);
    return s;
  };
  EXPECT_EQ(real(0.6 * 10), "6.");
  EXPECT_EQ(real(0.1 * 3 * 10), "3.");
  EXPECT_EQ(real(-0.0), "0.");
  EXPECT_EQ(real(1e-7), "1.E-07");
  EXPECT_EQ(real(-2.5e20), "-2.5E+20");
  EXPECT_EQ(real(123.456), "123.456");
  // Every real as printf's %.15g writes it, with the decimal point the format wants.
  auto reference = [](double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v == 0 ? 0.0 : v);
    std::string s = buf, mantissa = s.substr(0, s.find('e'));
    std::string exponent = s.find('e') == std::string::npos ? "" : "E" + s.substr(s.find('e') + 1);
    return mantissa + (mantissa.find('.') == std::string::npos ? "." : "") + exponent;
  };
  std::mt19937_64 rng(15);
  std::uniform_real_distribution<double> unit(0, 1);
  std::uniform_int_distribution<int> decade(-16, 17), places(0, 6);
  std::vector<double> values{1e15,    1e-13,  9.99999999999999e14, 999999999999999.6, 9.9999999999999996e-5,
                             0.00001, 0.0001, 99999.99999999995,   0.1 + 0.2};
  for (int i = 0; i < 200000; ++i) {
    const double scale = std::pow(10.0, decade(rng)), sign = i % 2 ? -1 : 1;
    const double p = std::pow(10.0, places(rng));
    values.push_back(sign * unit(rng) * scale);                              // all digits
    values.push_back(sign * std::round(unit(rng) * 1e5 * p) / p / 10 * 10);  // a few decimals, scaled
    values.push_back(sign * (std::round(unit(rng) * 1e14) + 0.5) * 1e-14);   // a half in the 16th digit
    values.push_back(std::nextafter(scale, i % 3 ? 0.0 : 1e300));            // next to a power of ten
  }
  int wrong = 0;
  for (double v : values)
    if (real(v) != reference(v) && ++wrong < 5) ADD_FAILURE() << v << ": " << real(v) << " vs " << reference(v);
  EXPECT_EQ(wrong, 0);
  std::vector<long> ints{0, 9, 10, 99, 100, 101, 999999, 1000000, -7, -10, LONG_MAX, LONG_MIN};
  for (int i = 0; i < 100000; ++i) ints.push_back(static_cast<long>(rng() >> (i % 64)) * (i % 3 ? 1 : -1));
  for (long v : ints) {
    corvane::TStepText t;
    t.Int(v);
    if (t.Out() != std::to_string(v) && ++wrong < 5) ADD_FAILURE() << v << ": " << t.Out();
  }
  EXPECT_EQ(wrong, 0);
  auto str = [](const std::string& v) {
    std::string s;
    corvane::AppendStepString(s, v);
    return s;
  };
  EXPECT_EQ(str("it's C:\\x"), "'it''s C:\\\\x'");
  EXPECT_EQ(str("R\xCE\xA9-\xE2\x82\xAC"), "'R\\X2\\03A9\\X0\\-\\X2\\20AC\\X0\\'");
  EXPECT_EQ(str("\xF0\x9F\x98\x80"), "'\\X4\\0001F600\\X0\\'");
  EXPECT_EQ(str("a\nb"), "'a\\X2\\000A\\X0\\b'");
  EXPECT_EQ(str("\xE9t\xE9"), "'\\X2\\00E9\\X0\\t\\X2\\00E9\\X0\\'");  // Latin-1 bytes stand for themselves
}

}  // namespace
}  // namespace hosttest
