// A host for tests of the model building: implements every automation interface, records
// each call with its arguments in order, and answers with scripted results.
//
// Calls read as   Object.Method(arg, ...)   e.g.
//   Root#1.CreateEmptyPart("Board", false)
//   Figures[Board_Sketch].AddCircle(1.5, 2, real:0.05)
//   Features[Board].AddExtrudedBoss(Sketch[Board_Sketch], real:0.16, 0, nil, nil, 0, 0, nil, nil, true, int:0, false,
//   "Board", "", "") Occurrence[R0805:1].ApplyTransform(Transform#3)
// Numbers print with up to 10 significant digits; variants as int:, real:, "text" or empty.
// Vectors and points print inline as Vector(x, y, z) and Point(x, y, z).
#pragma once

#include "host/CorvaneX_TLB.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace recording {

struct TCall {
  std::string Object;
  std::string Method;
  std::vector<std::string> Args;
  std::string Text() const;  // Object.Method(args)
};

struct TScriptedFace {
  double Nx = 0, Ny = 0, Nz = 1;  // normal of the surface
  bool SenseReversed = false;
  double Z = 0;           // height of PointAtParam
  bool NoNormal = false;  // NormalAtPoint gives nil
};

struct TScript {
  // Throws ECVHostError(Text) on the Nth call (1-based, 0 = every call) of Method.
  void FailOn(const std::string& Method, const std::string& Text, int Nth = 0);
  // Answers nil on the Nth call (1-based, 0 = every call) of Method; for methods that
  // return an interface.
  void NilOn(const std::string& Method, int Nth = 0);

  std::string Version = "Recording host 1.0";
  bool RootIsICVRoot = true;            // Get_Root supports ICVRoot
  bool SessionsAreHostSessions = true;  // parts and assemblies support ICVSession
  bool PartsAreDesignSessions = true;
  std::vector<std::array<double, 3>> PlaneNormals = {{0, 0, 1}, {0, -1, 0}, {1, 0, 0}};
  bool SketchIsClosed = true;
  bool FeatureHasError = false;
  bool AnalyzeGivesNil = false;
  int DisjointEnds = 0, OpenLoops = 0, OverLaps = 0, Intersections = 0, DegenerateFigures = 0;
  int BodyCount = 1;
  double BodyVolume = 1.0;  // what every body reports
  // SaveAs leaves an empty file (name + ".CV_PRT" or ".CV_ASM") in its folder, for builds that
  // go on only when the file they saved is there.
  bool SaveLeavesFiles = false;
  // A board: the top face (+Z at z = 0) and the bottom face (-Z at z = -t) among its sides.
  std::vector<TScriptedFace> Faces = {
      {1, 0, 0, false, 0}, {0, 0, 1, false, 0}, {0, 0, 1, true, -0.16}, {0, 1, 0, false, 0}};

  struct TRule {
    std::string Method;
    int Nth;
    bool Fail;
    std::string Text;
  };
  std::vector<TRule> Rules;
};

class TRecordingHost : public std::enable_shared_from_this<TRecordingHost> {
 public:
  TScript Script;
  std::vector<TCall> Calls;
  int InstancesStarted = 0;

  // A new host instance whose calls go into this log.
  std::shared_ptr<CorvaneX_TLB::IAutomationHook> NewInstance();
  // Makes TAutomationHook start instances of this host.
  void Register();

  std::vector<std::string> CallTexts() const;
  std::vector<TCall> CallsTo(const std::string& Method) const;
  int CountOf(const std::string& Method) const;
  void Clear() { Calls.clear(); }

  // Internal: records a call, applies the scripted rules; false means "answer nil".
  bool Record(const std::string& Object, const std::string& Method, std::vector<std::string> Args);
  std::string NextId(const std::string& Kind);

 private:
  std::map<std::string, int> FCallCounts, FIds;
};

// Argument formatting used in the log, for tests that build expected texts.
std::string Num(double V);
std::string Str(const std::string& S);
std::string Var(const CorvaneX_TLB::CVVariant& V);
std::string Bool(bool B);

}  // namespace recording
