// Model building against the recording host: the calls, names, arguments and order.
#include <cmath>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/WinUtils.h"
#include "host/CorvaneFeatureUtils.h"
#include "host/CorvanePartUtils.h"
#include "tests/model/ModelTestSupport.h"

using namespace CorvaneX_TLB;
namespace fu = CorvaneFeatureUtils;
using recording::Num;

namespace {
std::shared_ptr<ICVRoot> NewRoot() {
  TAutomationHook hook;
  hook.ConnectKind = ckNewInstance;
  return std::dynamic_pointer_cast<ICVRoot>(hook.DefaultInterface()->Get_Root());
}

TOutlineObject Element(TElementType kind, double x1, double y1, double x2, double y2, double xc = 0, double yc = 0,
                       double r = 0, bool cw = false) {
  return TOutlineObject(kind, x1, y1, x2, y2, xc, yc, r, 0, 0, cw);
}

std::unique_ptr<TIdfPartPlacementObject> Placement(const std::string& des, const std::string& pkg,
                                                   const std::string& file, double x, double y, double rot, bool top,
                                                   double height = 0.2, bool autoPart = true) {
  auto p = std::make_unique<TIdfPartPlacementObject>(des, pkg, "", x, y, rot, top);
  p->FPartName = pkg;
  p->FActualPart = file;
  p->FAutoPart = autoPart;
  p->FHeight = height;
  for (auto& e : {Element(etLine, 0, 0, 0.2, 0), Element(etLine, 0.2, 0, 0.2, 0.1), Element(etLine, 0.2, 0.1, 0, 0.1),
                  Element(etLine, 0, 0.1, 0, 0)})
    p->FOutlineList.AddFromRecord(e);
  return p;
}

// Where a transform matrix sends a point.
std::array<double, 3> Apply(const std::array<double, 12>& m, double x, double y, double z) {
  return {m[0] * x + m[1] * y + m[2] * z + m[3], m[4] * x + m[5] * y + m[6] * z + m[7],
          m[8] * x + m[9] * y + m[10] * z + m[11]};
}
}  // namespace

TEST_F(ModelTest, SketchFiguresFollowTheOutlineWithClockwiseArcsSwapped) {
  auto d = Show(BoardText(""));
  auto part = NewRoot()->CreateEmptyPart("P", false);
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, nullptr, "S");
  TBoardOutlineObjectList list;
  list.AddFromRecord(Element(etLine, 0, 0, 1, 0));
  list.AddFromRecord(Element(etArc, 1, 0, 0, 1, 0, 0, 1, true));
  list.AddFromRecord(Element(etArc, 1, 0, 0, 1, 0, 0, 1, false));
  list.AddFromRecord(Element(etHole, 9, 9, 8, 8, 2, 3, 0.05));
  list.AddFromRecord(Element(etCircle, 0, 0, 0, 0, 4, 5, 0.5));
  list.AddFromRecord(Element(etRectangle, 0, 0, 2, 1));
  list.AddFromRecord(Element(etText, 0, 0, 2, 1));
  host->Clear();
  d->AddOutlineToSketch(sketch, list, false, false);
  EXPECT_EQ(Only({"BeginChange", "AddLine", "AddCircularArcByCenterStartEnd", "AddCircle", "AddRectangle", "Analyze",
                  "EndChange"}),
            (std::vector<std::string>{"Sketch[S].BeginChange()", "Figures[S].AddLine(0, 0, 1, 0)",
                                      "Figures[S].AddCircularArcByCenterStartEnd(0, 0, 0, 1, 1, 0)",
                                      "Figures[S].AddCircularArcByCenterStartEnd(0, 0, 1, 0, 0, 1)",
                                      "Figures[S].AddCircle(2, 3, real:0.05)", "Figures[S].AddCircle(4, 5, real:0.5)",
                                      "Figures[S].AddRectangle(0, 0, 2, 1)", "Sketch[S].EndChange()"}));
  EXPECT_EQ(d->FImportIDF->StatusLog.Last(), "S : Lines : 1; Arcs : 2; Circles : 2; Rectangles : 1");
}

TEST_F(ModelTest, SketchAnalysisReportsOnlyProblemsAndTheChangeAlwaysEnds) {
  auto d = Show(BoardText(""));
  auto part = NewRoot()->CreateEmptyPart("P", false);
  TBoardOutlineObjectList empty;
  auto clean = part->Get_Sketches()->AddSketch(nullptr, nullptr, "Clean");
  const int verifyBefore = d->FImportIDF->VerifyLog.Count();
  host->Clear();
  d->AddOutlineToSketch(clean, empty, true, true);
  EXPECT_EQ(Only({"Analyze"}),
            (std::vector<std::string>{"Sketch[Clean].Analyze(true, true, true, true, true, true, 0.0001)"}));
  EXPECT_EQ(d->FImportIDF->StatusLog.Last(), "Clean : Lines : 0; Arcs : 0; Circles : 0; Rectangles : 0");
  EXPECT_EQ(d->FImportIDF->VerifyLog.Count(), verifyBefore);

  host->Script.DisjointEnds = 2;
  host->Script.DegenerateFigures = 1;
  auto dirty = part->Get_Sketches()->AddSketch(nullptr, nullptr, "Dirty");
  d->AddOutlineToSketch(dirty, empty, false, true);
  const auto& v = d->FImportIDF->VerifyLog.Lines();
  ASSERT_EQ(v.size(), static_cast<std::size_t>(verifyBefore + 3));
  EXPECT_EQ(v[verifyBefore], "Sketch Analysis Results for : Dirty");
  EXPECT_EQ(v[verifyBefore + 1], "Disjoint ends: 2");
  EXPECT_EQ(v[verifyBefore + 2], "Degenerate Figures: 1");

  // A figure the host refuses ends the sketch's change before the error goes on.
  host->Script.FailOn("AddLine", "no line");
  TBoardOutlineObjectList one;
  one.AddFromRecord(Element(etLine, 0, 0, 1, 0));
  auto failing = part->Get_Sketches()->AddSketch(nullptr, nullptr, "F");
  host->Clear();
  EXPECT_THROW(d->AddOutlineToSketch(failing, one, true, true), ECVHostError);
  EXPECT_EQ(host->Calls.back().Text(), "Sketch[F].EndChange()");
}

TEST_F(ModelTest, PlanesAndFacesAreFoundByTheirNormals) {
  host->Script.PlaneNormals = {{0, 0, 0.99999}, {0, 0, 1}};
  auto part = NewRoot()->CreateEmptyPart("P", false);
  auto design = std::dynamic_pointer_cast<ICVDesignSession>(part);
  auto xy = fu::GetXyPlane(design);
  ASSERT_TRUE(xy);
  EXPECT_EQ(xy->Get_Name(), "XZ");  // the second plane: only an exact (0, 0, 1) counts
  host->Script.PlaneNormals = {{0, 0, 0.99999}};
  EXPECT_FALSE(fu::GetXyPlane(design));

  auto body = fu::GetFirstBody(part);
  ASSERT_TRUE(body);
  // The scripted board: face 1 faces up; face 2 has an upward surface used reversed.
  host->Clear();
  ASSERT_TRUE(fu::GetTopOrBottomFaceFromBody(body, true));
  EXPECT_EQ(host->CallsTo("PointAtParam").back().Object, "Surface#1");
  host->Clear();
  ASSERT_TRUE(fu::GetTopOrBottomFaceFromBody(body, false));
  EXPECT_EQ(host->CallsTo("PointAtParam").back().Object, "Surface#2");
  host->Script.Faces = {{0, 0.00011, 1, false, 0}, {0, 0, 1, false, 0, true}};
  EXPECT_FALSE(fu::GetTopOrBottomFaceFromBody(body, true));
  host->Script.Faces = {{0, 0.0001, -1, false, 0}};
  EXPECT_TRUE(fu::GetTopOrBottomFaceFromBody(body, false));
  host->Script.BodyCount = 0;
  EXPECT_FALSE(fu::GetFirstBody(part));
}

TEST_F(ModelTest, ExtrusionAndCutArgumentsAndTheirFailures) {
  auto d = Show(BoardText(""));
  auto part = NewRoot()->CreateEmptyPart("P", false);
  auto sketch = part->Get_Sketches()->AddSketch(nullptr, nullptr, "S");
  host->Clear();
  EXPECT_TRUE(d->LocalExtrudeSketch(part->Get_Features(), sketch, true, 0.16, "Boss"));
  EXPECT_TRUE(d->LocalCutSketch(part->Get_Features(), sketch, "Cut"));
  EXPECT_EQ(Only({"AddExtrudedBoss", "AddExtrudedCutout"}),
            (std::vector<std::string>{
                "Features[P].AddExtrudedBoss(Sketch[S], real:0.16, 0, nil, nil, 0, 0, nil, nil, true, int:0, false, "
                "\"Boss\", \"\", \"\")",
                "Features[P].AddExtrudedCutout(Sketch[S], int:1, 4, nil, nil, 0, 0, nil, nil, true, int:0, false, "
                "\"Cut\", \"\", \"\")"}));
  host->Script.FailOn("AddExtrudedBoss", "boss refused");
  host->Script.FailOn("AddExtrudedCutout", "cut refused");
  EXPECT_FALSE(d->LocalExtrudeSketch(part->Get_Features(), sketch, false, 1, "B2"));
  EXPECT_FALSE(d->LocalCutSketch(part->Get_Features(), sketch, "C2"));
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Exception : Exception during Extrusion for : B2 | boss refused"));
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Exception : Exception during Cut for : C2 | cut refused"));
}

TEST_F(ModelTest, BoardPartIsExtrudedHoledSavedAndItsInstanceEnded) {
  auto d =
      Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n4.0 20 10 NPTH BOARD MTG ECAD\n"
                     "1.0 30 10 PTH BOARD PIN ECAD\n.END_DRILLED_HOLES\n"));
  d->NonPlatedMountingCB.Checked = true;
  d->PlatedPinCB.Checked = true;
  d->CreatePcbPartNew(true);
  const std::string name = RemoveExt(ExtractFileName(d->FBoardPartFilename));
  EXPECT_EQ(Only({"NewInstance", "Initialize", "CreateEmptyPart", "Set_Color", "AddSketch", "AddExtrudedBoss",
                  "AddExtrudedCutout", "AddCircle", "SaveAs", "Close", "Terminate"}),
            (std::vector<std::string>{
                "Server.NewInstance()", "Hook#1.Initialize(\"\", \"\", \"\", false, 0)",
                "Root#1.CreateEmptyPart(\"" + name + "\", false)", "Part[" + name + "].Set_Color(65280)",
                "Sketches[" + name + "].AddSketch(nil, Plane[XY], \"BoardOutline\")",
                "Features[" + name +
                    "].AddExtrudedBoss(Sketch[BoardOutline], real:0.16, 0, nil, nil, 0, 0, nil, nil, "
                    "true, int:0, false, \"BoardOutline\", \"\", \"\")",
                "Part[" + name + "].Set_Color(16711680)",
                // One sketch and one cut per hole list, on the top face.
                "Sketches[" + name + "].AddSketch(nil, Face#1, \"NonPlatedMountingHolesSketch\")",
                "Figures[NonPlatedMountingHolesSketch].AddCircle(1, 1, real:0.15)",
                "Figures[NonPlatedMountingHolesSketch].AddCircle(2, 1, real:0.2)",
                "Features[" + name +
                    "].AddExtrudedCutout(Sketch[NonPlatedMountingHolesSketch], int:1, 4, nil, nil, 0, 0, "
                    "nil, nil, true, int:0, false, \"NonPlatedMountingHoles\", \"\", \"\")",
                "Sketches[" + name + "].AddSketch(nil, Face#1, \"PlatedPinHolesSketch\")",
                "Figures[PlatedPinHolesSketch].AddCircle(3, 1, real:0.05)",
                "Features[" + name +
                    "].AddExtrudedCutout(Sketch[PlatedPinHolesSketch], int:1, 4, nil, nil, 0, 0, nil, "
                    "nil, true, int:0, false, \"PlatedPinHoles\", \"\", \"\")",
                "Part[" + name + "].SaveAs(\"" + Folder() + "\", \"" + name + "\")", "Part[" + name + "].Close(false)",
                "Root#1.Terminate()"}));
  // Holes are cut without the healing analysis.
  EXPECT_EQ(host->CountOf("Analyze"), 1);
  EXPECT_TRUE(Has(d->FImportIDF->VerifyLog, "Added 2 holes to NonPlatedMountingHoles"));
  EXPECT_TRUE(Has(d->FImportIDF->VerifyLog, "Board Outline feature created"));
  EXPECT_EQ(CountStarting(d->FImportIDF->SummaryLog, "Time for creating outline part : "), 1);
}

TEST_F(ModelTest, BoardPartWithoutOutlineOrWithAnOpenHoleSketch) {
  auto d = Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n", ""));
  d->NonPlatedMountingCB.Checked = true;
  d->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddSketch"), 0);
  EXPECT_EQ(host->CountOf("SaveAs"), 1);  // the empty part is still saved
  EXPECT_EQ(host->CountOf("Terminate"), 1);

  auto d2 = Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n"));
  d2->NonPlatedMountingCB.Checked = true;
  host->Script.SketchIsClosed = false;
  d2->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddExtrudedCutout"), 0);
  EXPECT_TRUE(Has(d2->FImportIDF->ErrorLog, "Cut Extrude failed for NonPlatedMountingHoles | Sketch is Open"));
}

TEST_F(ModelTest, FeatureBossesStandOnTheirFaceWithBottomListsMirrored) {
  const std::string pads =
      ".OTHER_OUTLINE ECAD\nBOTTOMPADS 0.035 BOTTOM\n0 0 0 0\n0 90 0 0\n0 90 40 0\n0 0 0 0\n"
      "1 10 10 0\n1 20 10 0\n1 20 20 0\n1 10 10 0\n.END_OTHER_OUTLINE\n"
      ".OTHER_OUTLINE ECAD\nTOPPADS 0.035 TOP\n0 0 0 0\n0 90 0 0\n0 90 40 0\n0 0 0 0\n"
      "1 10 10 0\n1 20 10 0\n1 20 20 0\n1 10 10 0\n.END_OTHER_OUTLINE\n"
      ".PLACE_KEEPOUT MCAD\nBOTTOM 2\n0 50 10 0\n0 60 10 0\n0 55 10 90\n.END_PLACE_KEEPOUT\n";
  auto d = Show(BoardText(pads));
  d->FWeHaveSpecialOutlines = true;
  d->DoPads.Checked = true;
  d->PlaceKeepoutCB.Checked = true;
  d->CopperThickness.SetText("0.035");
  d->CreatePcbPartNew(true);
  const std::string name = RemoveExt(ExtractFileName(d->FBoardPartFilename));
  EXPECT_EQ(Only({"AddSketch", "AddLine", "AddCircularArcByCenterStartEnd"}),
            (std::vector<std::string>{
                "Sketches[" + name + "].AddSketch(nil, Plane[XY], \"BoardOutline\")",
                "Figures[BoardOutline].AddLine(0, 0, 10, 0)", "Figures[BoardOutline].AddLine(10, 0, 10, 5)",
                "Figures[BoardOutline].AddLine(10, 5, 0, 5)", "Figures[BoardOutline].AddLine(0, 5, 0, 0)",
                // Bottom copper: X negated, on the bottom face (face 2).
                "Sketches[" + name + "].AddSketch(nil, Face#2, \"BottomPadsSketch\")",
                "Figures[BottomPadsSketch].AddLine(-1, 1, -2, 1)", "Figures[BottomPadsSketch].AddLine(-2, 1, -2, 2)",
                "Figures[BottomPadsSketch].AddLine(-2, 2, -1, 1)",
                "Sketches[" + name + "].AddSketch(nil, Face#1, \"TopPadsSketch\")",
                "Figures[TopPadsSketch].AddLine(1, 1, 2, 1)", "Figures[TopPadsSketch].AddLine(2, 1, 2, 2)",
                "Figures[TopPadsSketch].AddLine(2, 2, 1, 1)",
                // A bottom keep-out is mirrored with its arcs turned round.
                "Sketches[" + name + "].AddSketch(nil, Face#2, \"PlaceKeepout_1_BottomSketch\")",
                "Figures[PlaceKeepout_1_BottomSketch].AddLine(-5, 1, -6, 1)",
                "Figures[PlaceKeepout_1_BottomSketch].AddCircularArcByCenterStartEnd(-5.75, 0.75, -5.5, 1, -6, 1)"}));
  const auto bosses = host->CallsTo("AddExtrudedBoss");
  ASSERT_EQ(bosses.size(), 4u);
  EXPECT_EQ(bosses[1].Args[1], "real:0.0035");
  EXPECT_EQ(bosses[1].Args[9], "false");
  EXPECT_EQ(bosses[1].Args[12], "\"BottomPads\"");
  EXPECT_EQ(bosses[3].Args[1], "real:0.2");
  EXPECT_EQ(bosses[3].Args[12], "\"PlaceKeepout_1_Bottom\"");
}

TEST_F(ModelTest, ZeroHeightFeatureListIsReportedAndTheOthersGoOn) {
  const std::string sections =
      ".OTHER_OUTLINE ECAD\nTOPPADS 0 TOP\n0 0 0 0\n0 90 0 0\n0 90 40 0\n0 0 0 0\n"
      "1 10 10 0\n1 20 10 0\n1 20 20 0\n1 10 10 0\n.END_OTHER_OUTLINE\n"
      ".ROUTE_KEEPOUT ECAD\nTOP\n0 0 0 0\n0 10 0 0\n0 10 10 0\n0 0 0 0\n.END_ROUTE_KEEPOUT\n";
  auto d = Show(BoardText(sections));
  d->FWeHaveSpecialOutlines = true;
  d->DoPads.Checked = d->RouteKeepoutCB.Checked = true;
  d->CopperThickness.SetText("");
  d->CreatePcbPartNew(true);
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Failed to add : TopPads | extrusion thickness is zero"));
  ASSERT_EQ(host->CountOf("AddExtrudedBoss"), 2);
  EXPECT_EQ(host->CallsTo("AddExtrudedBoss")[1].Args[12], "\"RouteKeepout_1_Top\"");
}

TEST_F(ModelTest, AutoPartsAreModelledOncePerNameEachInItsOwnInstance) {
  auto d = Show(BoardText(""));
  d->FDefaultAutoPartHeight = 0.5;
  const std::string r = Folder() + "R0805.CV_PRT", c = Folder() + "C0603.CV_PRT";
  d->FPartPlaceList.Add(Placement("R1", "R0805", r, 1, 1, 0, true, 0.06));
  d->FPartPlaceList.Add(Placement("R2", "R0805", r, 2, 1, 0, true, 0.06));
  d->FPartPlaceList.Add(Placement("C1", "C0603", c, 3, 1, 0, true, 0));
  auto lib = Placement("U1", "LIBPART", Folder() + "lib.CV_PRT", 4, 1, 0, true, 0.1, false);
  d->FPartPlaceList.Add(std::move(lib));
  d->CreateAutoParts();
  EXPECT_EQ(Only({"NewInstance", "CreateEmptyPart", "Terminate"}),
            (std::vector<std::string>{"Server.NewInstance()", "Root#1.CreateEmptyPart(\"R0805\", false)",
                                      "Root#1.Terminate()", "Server.NewInstance()",
                                      "Root#2.CreateEmptyPart(\"C0603\", false)", "Root#2.Terminate()"}));
  const auto bosses = host->CallsTo("AddExtrudedBoss");
  ASSERT_EQ(bosses.size(), 2u);
  EXPECT_EQ(bosses[0].Args[1], "real:0.06");
  EXPECT_EQ(bosses[0].Args[9], "false");
  EXPECT_EQ(bosses[0].Args[12], "\"PcbPartOutline\"");
  EXPECT_EQ(bosses[1].Args[1], "real:0.5");
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Warning : C0603 height is zero, default used"));
  EXPECT_TRUE(Has(d->FImportIDF->VerifyLog, "Extrude created for : R0805"));
  EXPECT_EQ(host->CallsTo("SaveAs")[0].Text(), "Part[R0805].SaveAs(\"" + Folder() + "\", \"R0805\")");
  EXPECT_EQ(d->FFileLoadList.Lines(), (std::vector<std::string>{"R0805", "C0603", "LIBPART"}));
  EXPECT_TRUE(d->FPartPlaceList.GetPartRecord(0).FOutlineList.Empty());
  EXPECT_EQ(CountStarting(d->FImportIDF->SummaryLog, "Time for creating parts : "), 1);

  // A second import in the same dialog passes over the names already handled.
  host->Clear();
  d->FPartPlaceList.GetPartRecord(0).FOutlineList.AddFromRecord(Element(etLine, 0, 0, 1, 0));
  d->CreateAutoParts();
  EXPECT_EQ(host->InstancesStarted, 2);
  EXPECT_EQ(host->CountOf("NewInstance"), 0);
}

TEST_F(ModelTest, ReusedOrUnreachablePartsStartNoModelling) {
  auto d = Show(BoardText(""));
  Write("R0805.CV_PRT", "ISO-10303-21;\n");  // looks like a part file: re-used as it is
  d->ReUseCreatedParts.Checked = true;
  d->FPartPlaceList.Add(Placement("R1", "R0805", Folder() + "R0805.CV_PRT", 1, 1, 0, true));
  auto empty = Placement("C1", "EMPTY", Folder() + "EMPTY.CV_PRT", 1, 1, 0, true);
  empty->FOutlineList.Clear();
  d->FPartPlaceList.Add(std::move(empty));
  d->CreateAutoParts();
  EXPECT_EQ(host->InstancesStarted, 0);
  EXPECT_EQ(d->FFileLoadList.Lines(), (std::vector<std::string>{"R0805", "EMPTY"}));

  CorvaneX_TLB::RegisterAutomationServer({});
  d->FPartPlaceList.Add(Placement("U1", "NOHOST", Folder() + "NOHOST.CV_PRT", 1, 1, 0, true));
  d->CreateAutoParts();
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Failed to connect to Valdrin for Auto Part : NOHOST"));
  EXPECT_EQ(CountStarting(d->FImportIDF->ErrorLog, "Exception : Exception conneecting to Corvane | "), 1);
}

TEST_F(ModelTest, PlacementTransformsPutComponentsOnTheirSide) {
  auto d = Show(BoardText(""));
  auto assy = NewRoot()->CreateEmptyAssembly("A");
  Write("p.CV_PRT", "x");
  const std::string file = Folder() + "p.CV_PRT";
  host->Clear();
  auto top0 = d->PlacePartExt(file, assy, true, 1, 2, 0.16, 0);
  EXPECT_EQ(Only({"CreateTranslationTransformByXYZ", "CreateRotationTransform", "Add", "ApplyTransform"}),
            (std::vector<std::string>{"GeometryFactory[A].CreateTranslationTransformByXYZ(1, 2, 0)",
                                      "GeometryFactory[A].CreateRotationTransform(Vector(0, 0, 1), Point(1, 2, 0), 0)",
                                      "Occurrences[root:A].Add(\"" + file + "\", Transform#1)"}));
  host->Clear();
  auto top90 = d->PlacePartExt(file, assy, true, 1, 2, 0.16, 90);
  EXPECT_EQ(Only({"CreateRotationTransform", "ApplyTransform"}),
            (std::vector<std::string>{
                "GeometryFactory[A].CreateRotationTransform(Vector(0, 0, 1), Point(1, 2, 0), " + Num(M_PI / 2) + ")",
                "Occurrence[p:2].ApplyTransform(Transform#4)"}));
  host->Clear();
  auto bottom0 = d->PlacePartExt(file, assy, false, 1, 2, 0.16, 0);
  EXPECT_EQ(Only({"CreateTranslationTransformByXYZ", "CreateRotationTransform", "ApplyTransform"}),
            (std::vector<std::string>{
                "GeometryFactory[A].CreateTranslationTransformByXYZ(1, 2, -0.16)",
                "GeometryFactory[A].CreateRotationTransform(Vector(0, 0, 1), Point(1, 2, 0), " + Num(M_PI) + ")",
                "GeometryFactory[A].CreateRotationTransform(Vector(1, 0, 0), Point(0, 2, -0.16), " + Num(M_PI) + ")",
                "Occurrence[p:3].ApplyTransform(Transform#7)", "Occurrence[p:3].ApplyTransform(Transform#6)"}));
  host->Clear();
  auto bottom180 = d->PlacePartExt(file, assy, false, 1, 2, 0.16, 180);
  EXPECT_EQ(host->CountOf("ApplyTransform"), 2);  // the zero turn is still applied
  EXPECT_EQ(host->CallsTo("CreateRotationTransform")[0].Args[2], "0");

  // Where the component's local top point (0.1, 0, 0.2) lands.
  auto at = [](const std::shared_ptr<ICVOccurrence>& o) {
    return Apply(o->Get_Transform()->Get_Matrix(), 0.1, 0, 0.2);
  };
  auto p = at(top90);
  EXPECT_NEAR(p[0], 1, 1e-9);
  EXPECT_NEAR(p[1], 2.1, 1e-9);
  EXPECT_NEAR(p[2], 0.2, 1e-9);
  p = at(bottom0);  // below the board, seen from below: local +X becomes world -X
  EXPECT_NEAR(p[0], 0.9, 1e-9);
  EXPECT_NEAR(p[1], 2, 1e-9);
  EXPECT_NEAR(p[2], -0.36, 1e-9);
  p = at(bottom180);
  EXPECT_NEAR(p[0], 1.1, 1e-9);
  EXPECT_NEAR(p[2], -0.36, 1e-9);
  EXPECT_TRUE(top0);
}

namespace {
// A board whose part files already exist, as the recording host writes none.
std::unique_ptr<TTestImport> ReadyToImport(ModelTest& t, std::function<std::unique_ptr<TTestImport>()> show,
                                           const std::string& folder) {
  auto d = show();
  d->NonPlatedMountingCB.Checked = true;
  d->AssemblyDirCb.Checked = false;
  d->Prepare = [folder](TTestImport& i) {
    i.FPartPlaceList.Clear();
    i.FPartPlaceList.Add(Placement("R1", "R0805", folder + "R0805.CV_PRT", 1, 1, 0, true, 0.06));
    i.FPartPlaceList.Add(Placement("U1", "SOIC", folder + "SOIC.CV_PRT", 3, 2, 90, false, 0.1));
    i.FPartPlaceList.Add(Placement("X1", "GONE", folder + "missing/GONE.CV_PRT", 3, 2, 0, true, 0.1, false));
  };
  (void)t;
  return d;
}
}  // namespace

TEST_F(ModelTest, WholeImportBuildsPartsBoardThenAssemblyWithTheBoardAnchored) {
  auto d = ReadyToImport(
      *this, [&] { return Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n")); },
      Folder());
  d->AssignFileNames();
  for (const std::string& f : {d->FBoardPartFilename, Folder() + "R0805.CV_PRT", Folder() + "SOIC.CV_PRT"})
    std::ofstream(f) << "x";
  d->ImportButton.Click();
  const std::string board = d->FBoardPartFilename;
  const std::string asmName = RemoveExt(ExtractFileName(d->FAssemblyFilename));
  EXPECT_EQ(
      Only({"CreateEmptyPart", "CreateEmptyAssembly", "Add", "Set_IsAnchored", "Terminate"}),
      (std::vector<std::string>{"Root#1.CreateEmptyPart(\"R0805\", false)", "Root#1.Terminate()",
                                "Root#2.CreateEmptyPart(\"SOIC\", false)", "Root#2.Terminate()",
                                "Root#3.CreateEmptyPart(\"" + RemoveExt(ExtractFileName(board)) + "\", false)",
                                "Root#3.Terminate()", "Root#4.CreateEmptyAssembly(\"" + asmName + "\")",
                                "Occurrences[root:" + asmName + "].Add(\"" + board + "\", Transform#1)",
                                "Occurrence[" + RemoveExt(ExtractFileName(board)) + ":1].Set_IsAnchored(true)",
                                "Occurrences[root:" + asmName + "].Add(\"" + Folder() + "R0805.CV_PRT\", Transform#3)",
                                "Occurrences[root:" + asmName + "].Add(\"" + Folder() + "SOIC.CV_PRT\", Transform#5)",
                                "Root#4.Terminate()"}));
  // The tree names the board after its part and each component after its designator.
  const auto names = host->CallsTo("Set_Name");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0].Text(), "Occurrence[" + RemoveExt(ExtractFileName(board)) + ":1].Set_Name(\"" +
                                 RemoveExt(ExtractFileName(board)) + "\")");
  for (std::size_t i = 1; i < names.size(); ++i)
    EXPECT_EQ(names[i].Args[0], "\"" + d->FPartPlaceList.GetPartRecord(static_cast<int>(i - 1)).FDes + "\"");
  // The board is coloured as "PCB", auto parts by their designator's first letter.
  const auto colours = host->CallsTo("Set_Color");
  ASSERT_GE(colours.size(), 3u);
  EXPECT_EQ(colours[colours.size() - 3].Args[0], std::to_string(d->GetPrefixColour("PCB")));
  EXPECT_EQ(colours[colours.size() - 2].Args[0], std::to_string(d->GetPrefixColour("R")));
  EXPECT_EQ(colours.back().Args[0], std::to_string(d->GetPrefixColour("U")));
  EXPECT_EQ(host->CallsTo("SaveAs").back().Text(),
            "Assembly[" + asmName + "].SaveAs(\"" + Folder() + "\", \"" + asmName + "\")");
  // The bottom part hangs under the board by the thickness the board part was built with.
  EXPECT_EQ(host->CallsTo("CreateTranslationTransformByXYZ").back().Text(),
            "GeometryFactory[" + asmName + "].CreateTranslationTransformByXYZ(3, 2, -0.16)");
  const TIDFfile& f = *d->FImportIDF;
  for (const char* line : {"Time for creating parts : ", "Time for creating outline part : ",
                           "Time for placing parts : ", "Time for Saving Assembly : ", "Time elapsed : "})
    EXPECT_EQ(CountStarting(f.SummaryLog, line), 1) << line;
  EXPECT_TRUE(f.ErrorLog.Empty()) << f.ErrorLog.Text();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Import Completed Without Errors"}));
  EXPECT_FALSE(d->StopButton.Visible);
  EXPECT_FALSE(d->UpdateButton.Visible);
}

TEST_F(ModelTest, AnchorPartsAndAMissingBoardPartFile) {
  auto d = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  d->AnchorPartsCb.Checked = true;
  d->AssignFileNames();
  for (const std::string& f : {Folder() + "R0805.CV_PRT", Folder() + "SOIC.CV_PRT"}) std::ofstream(f) << "x";
  // A part the host cannot place is named with the host's reason; the others are placed.
  host->Script.FailOn("Add", "Cannot load corvane_exchange.so: no such file", 1);
  // The recording host writes nothing, so the board part file is not there to place.
  d->ImportButton.Click();
  EXPECT_TRUE(
      Has(d->FImportIDF->ErrorLog, "Failed to Place Board Outline Part- " + d->FBoardPartFilename + " does not exist"));
  int named = 0;
  for (int i = 0; i < d->FImportIDF->ErrorLog.Count(); ++i) {
    const std::string& l = d->FImportIDF->ErrorLog[i];
    named +=
        l.starts_with("Failed to place part : ") && l.ends_with(" | Cannot load corvane_exchange.so: no such file");
  }
  EXPECT_EQ(named, 1);
  EXPECT_EQ(host->CountOf("Set_IsAnchored"), 1);
  EXPECT_EQ(Messages().back(), "There were errors during the Import process.\n\rGo to the Status tab for details.");
}

TEST_F(ModelTest, AStopAtAnyStopPointEndsTheImportUnsavedAndEveryInstanceEnded) {
  // A full run first, to count the stop points.
  int points = 0;
  {
    auto d = ReadyToImport(
        *this, [&] { return Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n")); },
        Folder());
    d->AssignFileNames();
    for (const std::string& f : {d->FBoardPartFilename, Folder() + "R0805.CV_PRT", Folder() + "SOIC.CV_PRT"})
      std::ofstream(f) << "x";
    scripted->OnProcessMessages = [&] { ++points; };
    d->ImportButton.Click();
  }
  ASSERT_GT(points, 5);
  for (int k = 1; k <= points; ++k) {
    SCOPED_TRACE("stop at point " + std::to_string(k));
    auto d = ReadyToImport(
        *this, [&] { return Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n")); },
        Folder());
    int n = 0;
    scripted->OnProcessMessages = [&] {
      if (++n == k) d->StopButton.Click();
    };
    scripted->Calls.clear();
    d->StopButton.Visible = true;
    d->ImportButton.Click();
    scripted->OnProcessMessages = nullptr;
    EXPECT_GE(CountStarting(d->FImportIDF->ErrorLog, "Received Stop Request : "), 1);
    EXPECT_EQ(host->CountOf("NewInstance"), host->CountOf("Terminate"));
    for (const auto& c : host->CallsTo("SaveAs")) EXPECT_EQ(c.Object.rfind("Assembly[", 0), std::string::npos);
    EXPECT_EQ(CountStarting(d->FImportIDF->SummaryLog, "Time for Saving Assembly : "), 0);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back().rfind("There were errors during the Import process.", 0), 0u);
    EXPECT_FALSE(d->fStopRequest);
  }
}

TEST_F(ModelTest, AStopWhilePlacingLeavesNoPlacingTime) {
  auto d = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  d->AssignFileNames();
  for (const std::string& f : {d->FBoardPartFilename, Folder() + "R0805.CV_PRT", Folder() + "SOIC.CV_PRT"})
    std::ofstream(f) << "x";
  scripted->OnProcessMessages = [&] {
    if (host->CountOf("CreateEmptyAssembly") && host->CountOf("Add") == 2) d->StopButtonClick();
  };
  d->ImportButton.Click();
  EXPECT_EQ(host->CountOf("Add"), 2);  // the board and the first component
  EXPECT_EQ(CountStarting(d->FImportIDF->SummaryLog, "Time for placing parts : "), 0);
  EXPECT_EQ(CountStarting(d->FImportIDF->ErrorLog, "Received Stop Request : "), 2);
}

TEST_F(ModelTest, AFailedAssemblyIsReportedNotShownAsSuccess) {
  auto d = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  d->AssignFileNames();
  std::ofstream(d->FBoardPartFilename) << "x";
  d->Prepare = [](TTestImport& i) { i.FPartPlaceList.Clear(); };
  host->Script.FailOn("SaveAs", "disk full", 2);  // the board part's save is the first
  d->ImportButton.Click();
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Exception : Create Assembly | disk full"));
  EXPECT_EQ(Messages().back(), "disk full");

  auto d2 = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  host->Script.Rules.clear();
  host->Script.NilOn("CreateEmptyAssembly");
  d2->ImportButton.Click();
  EXPECT_EQ(host->CountOf("Add"), 0);
  EXPECT_TRUE(Has(d2->FImportIDF->ErrorLog,
                  "Failed to create assembly : " + RemoveExt(ExtractFileName(d2->FAssemblyFilename))));
  EXPECT_NE(Messages().back(), "Import Completed Without Errors");

  auto d3 = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  host->Script.Rules.clear();
  host->Script.FailOn("CreateEmptyAssembly", "no licence");
  d3->ImportButton.Click();
  EXPECT_TRUE(Has(d3->FImportIDF->ErrorLog, "Exception : creating assembly : " +
                                                RemoveExt(ExtractFileName(d3->FAssemblyFilename)) + " | no licence"));
  EXPECT_EQ(host->CountOf("NewInstance"), host->CountOf("Terminate"));
}

TEST_F(ModelTest, EveryStepReportsAFailedTerminateOfItsInstanceTheSameWay) {
  auto d = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  host->Script.FailOn("Terminate", "instance lost");
  d->ImportButton.Click();
  // Two auto parts, the board part and the assembly's own instance, each ended once.
  EXPECT_EQ(host->CountOf("NewInstance"), 4);
  EXPECT_EQ(host->CountOf("Terminate"), 4);
  EXPECT_EQ(CountStarting(d->FImportIDF->ErrorLog, "Exception : Terminating Corvane | instance lost"), 4)
      << d->FImportIDF->ErrorLog.Text();
  // The assembly's instance ends before the closing advice, which therefore counts it.
  EXPECT_EQ(Messages().back().rfind("There were errors during the Import process.", 0), 0u) << Messages().back();
}

TEST_F(ModelTest, VaultSavesIntoTheTemporaryFolderWithoutTrailingSeparator) {
  auto d = ReadyToImport(
      *this, [&] { return Show(BoardText("")); }, Folder());
  d->UseVaultCb.Checked = true;
  d->fVaultAssemblyFolder = Folder();  // replaced by the button from the path field
  d->AssemblyPathEdit.SetText(Folder() + "vault/");
  d->Prepare = [](TTestImport& i) { i.FPartPlaceList.Clear(); };
  d->ImportButton.Click();
  const auto all = host->CallsTo("SaveAll");
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].Args[0], recording::Str(GetWindowsTempFolder()));
  EXPECT_EQ(all[1].Args[0], recording::Str(Folder() + "vault"));
  EXPECT_EQ(host->CountOf("Close"), 0);  // the board part stays open
}
