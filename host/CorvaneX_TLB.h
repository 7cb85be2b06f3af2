// Automation interfaces of the Corvane host. Lengths are centimetres, angles radians,
// texts UTF-8. Interfaces are held by std::shared_ptr; querying an interface is
// std::dynamic_pointer_cast and an empty pointer is the nil result callers test.
// A failing call throws ECVHostError.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

namespace CorvaneX_TLB {

class ECVHostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Empty, a whole number, a real or a text; the empty state is the "no value" argument.
using CVVariant = std::variant<std::monostate, int32_t, double, std::string>;

inline bool VarIsEmpty(const CVVariant& v) { return std::holds_alternative<std::monostate>(v); }
// A number held either way; text or empty throws.
double VarToDouble(const CVVariant& v);
int32_t VarToInt(const CVVariant& v);
std::string VarToString(const CVVariant& v);

enum CVPartFeatureEndCondition : int32_t {
  CV_TO_DEPTH = 0,
  CV_THROUGH_ALL = 4,
};

// Colours are 0x00BBGGRR; CV_NO_COLOR leaves the host's own.
constexpr int32_t CV_NO_COLOR = -1;

class ICVUnknown {
 public:
  virtual ~ICVUnknown() = default;
};
using ICVUnknownPtr = std::shared_ptr<ICVUnknown>;

class ICVVector : public virtual ICVUnknown {
 public:
  virtual double Get_X() = 0;
  virtual double Get_Y() = 0;
  virtual double Get_Z() = 0;
};

class ICVPoint : public virtual ICVUnknown {
 public:
  virtual double Get_X() = 0;
  virtual double Get_Y() = 0;
  virtual double Get_Z() = 0;
};

// A rigid motion; the matrix is row-major 3x4 (rotation | translation in cm).
class ICVTransformation : public virtual ICVUnknown {
 public:
  virtual std::array<double, 12> Get_Matrix() = 0;
};

class ICVGeometryFactory : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVVector> CreateVector(double X, double Y, double Z) = 0;
  virtual std::shared_ptr<ICVPoint> CreatePoint(double X, double Y, double Z) = 0;
  virtual std::shared_ptr<ICVTransformation> CreateRotationTransform(std::shared_ptr<ICVVector> Axis,
                                                                     std::shared_ptr<ICVPoint> Point, double Angle) = 0;
  virtual std::shared_ptr<ICVTransformation> CreateTranslationTransformByXYZ(double X, double Y, double Z) = 0;
};

class ICVDesignPlane : public virtual ICVUnknown {
 public:
  virtual std::string Get_Name() = 0;
  virtual std::shared_ptr<ICVVector> Get_Normal() = 0;
};

class ICVDesignPlanes : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual std::shared_ptr<ICVDesignPlane> Get_Item(const CVVariant& Index) = 0;
};

class IObjectCollector : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
};

class IAnalyzedSketchData : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<IObjectCollector> Get_DisjointEnds() = 0;
  virtual std::shared_ptr<IObjectCollector> Get_OpenLoops() = 0;
  virtual std::shared_ptr<IObjectCollector> Get_OverLaps() = 0;
  virtual std::shared_ptr<IObjectCollector> Get_Intersections() = 0;
  virtual std::shared_ptr<IObjectCollector> Get_DegenerateFigures() = 0;
};

class ICVSketchFigures : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual ICVUnknownPtr AddLine(double X1, double Y1, double X2, double Y2) = 0;
  // Counter-clockwise (about the sketch normal) from start to end.
  virtual ICVUnknownPtr AddCircularArcByCenterStartEnd(double XC, double YC, double XS, double YS, double XE,
                                                       double YE) = 0;
  virtual ICVUnknownPtr AddCircle(double XC, double YC, const CVVariant& Radius) = 0;
  virtual ICVUnknownPtr AddRectangle(double X1, double Y1, double X2, double Y2) = 0;
};

class ICVSketch : public virtual ICVUnknown {
 public:
  virtual std::string Get_Name() = 0;
  virtual void BeginChange() = 0;
  virtual void EndChange() = 0;
  virtual std::shared_ptr<ICVSketchFigures> Get_Figures() = 0;
  virtual bool Get_IsClosed() = 0;
  virtual std::shared_ptr<IAnalyzedSketchData> Analyze(bool DisjointEnds, bool OpenLoops, bool OverLaps,
                                                       bool Intersections, bool DegenerateFigures, bool HealSketch,
                                                       double Tolerance) = 0;
};

class ICVOccurrence;

class ICVSketches : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual std::shared_ptr<ICVSketch> Get_Item(const CVVariant& Index) = 0;
  // PlaneOrFace is a design plane or a planar face of the part's body.
  virtual std::shared_ptr<ICVSketch> AddSketch(std::shared_ptr<ICVOccurrence> Occurrence, ICVUnknownPtr PlaneOrFace,
                                               const std::string& Name) = 0;
};

class ICVPartFeature : public virtual ICVUnknown {
 public:
  virtual std::string Get_Name() = 0;
  virtual bool Get_HasError() = 0;
  virtual std::string Get_ErrorText() = 0;
};

class ICVExtrusionFeature : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVSketch> Get_Sketch() = 0;
};

class ICVPartFeatures : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual std::shared_ptr<ICVPartFeature> Get_Item(const CVVariant& Index) = 0;
  virtual std::shared_ptr<ICVExtrusionFeature> AddExtrudedBoss(
      std::shared_ptr<ICVSketch> Sketch, const CVVariant& Depth, CVPartFeatureEndCondition EndCondition,
      std::shared_ptr<ICVOccurrence> EndOccurrence, ICVUnknownPtr EndTarget, double Offset, int32_t OffsetFlags,
      std::shared_ptr<ICVOccurrence> EndOccurrence2, ICVUnknownPtr EndTarget2, bool Reverse, const CVVariant& Depth2,
      bool BothDirections, const std::string& Name, const std::string& Description, const std::string& Reserved) = 0;
  virtual std::shared_ptr<ICVExtrusionFeature> AddExtrudedCutout(
      std::shared_ptr<ICVSketch> Sketch, const CVVariant& Depth, CVPartFeatureEndCondition EndCondition,
      std::shared_ptr<ICVOccurrence> EndOccurrence, ICVUnknownPtr EndTarget, double Offset, int32_t OffsetFlags,
      std::shared_ptr<ICVOccurrence> EndOccurrence2, ICVUnknownPtr EndTarget2, bool Reverse, const CVVariant& Depth2,
      bool BothDirections, const std::string& Name, const std::string& Description, const std::string& Reserved) = 0;
};

class ICVSurface : public virtual ICVUnknown {
 public:
  // U and V run 0..1 over the face's parameter range.
  virtual std::shared_ptr<ICVPoint> PointAtParam(double U, double V) = 0;
  // Normal of the underlying surface; the face may use it reversed.
  virtual std::shared_ptr<ICVVector> NormalAtPoint(std::shared_ptr<ICVPoint> Point) = 0;
};

class ICVFace : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVSurface> Get_Geometry() = 0;
  virtual bool Get_IsSenseReversed() = 0;
  virtual double Get_Area() = 0;
};

class ICVFaces : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual std::shared_ptr<ICVFace> Get_Item(const CVVariant& Index) = 0;
};

class ICVBody : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVFaces> Get_Faces() = 0;
  virtual double Get_Volume() = 0;
};

class ICVBodies : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual std::shared_ptr<ICVBody> Get_Item(const CVVariant& Index) = 0;
};

class ICVSession : public virtual ICVUnknown {
 public:
  virtual std::string Get_Name() = 0;
  // Writes Folder/Name plus the session's extension (.CV_PRT or .CV_ASM).
  virtual void SaveAs(const CVVariant& Folder, const std::string& Name) = 0;
  // Writes the session and the files it references into Folder.
  virtual void SaveAll(const std::string& Folder) = 0;
  virtual void Close(bool SaveChanges) = 0;
  virtual std::shared_ptr<ICVGeometryFactory> Get_GeometryFactory() = 0;
  // What the last save has to say about how it wrote its file (such as a file that took the
  // slower general writer); empty when nothing.
  virtual std::string Get_SaveNote() { return {}; }
};

class ICVDesignSession : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVDesignPlanes> Get_DesignPlanes() = 0;
};

class ICVPartSession : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Color() = 0;
  virtual void Set_Color(int32_t Color) = 0;
  virtual std::shared_ptr<ICVSketches> Get_Sketches() = 0;
  virtual std::shared_ptr<ICVPartFeatures> Get_Features() = 0;
  virtual std::shared_ptr<ICVBodies> Get_Bodies() = 0;
};

class ICVOccurrences;

class ICVOccurrence : public virtual ICVUnknown {
 public:
  virtual std::string Get_Name() = 0;
  // The instance's name in the assembly's tree and file.
  virtual void Set_Name(const std::string& Name) = 0;
  virtual std::string Get_FileName() = 0;
  virtual std::shared_ptr<ICVOccurrences> Get_Occurrences() = 0;
  // The new placement is Transform applied after the current one (world coordinates).
  virtual void ApplyTransform(std::shared_ptr<ICVTransformation> Transform) = 0;
  virtual std::shared_ptr<ICVTransformation> Get_Transform() = 0;
  virtual bool Get_IsAnchored() = 0;
  virtual void Set_IsAnchored(bool Anchored) = 0;
  virtual int32_t Get_Color() = 0;
  virtual void Set_Color(int32_t Color) = 0;
};

class ICVOccurrences : public virtual ICVUnknown {
 public:
  virtual int32_t Get_Count() = 0;
  virtual std::shared_ptr<ICVOccurrence> Get_Item(const CVVariant& Index) = 0;
  // FileName names a part or assembly file; Transform places it.
  virtual std::shared_ptr<ICVOccurrence> Add(const CVVariant& FileName,
                                             std::shared_ptr<ICVTransformation> Transform) = 0;
};

class ICVAssemblySession : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVOccurrence> Get_RootOccurrence() = 0;
};

class ICVRoot : public virtual ICVUnknown {
 public:
  virtual std::shared_ptr<ICVPartSession> CreateEmptyPart(const std::string& Name, bool Visible) = 0;
  virtual std::shared_ptr<ICVAssemblySession> CreateEmptyAssembly(const std::string& Name) = 0;
  virtual std::string Get_version() = 0;
  virtual void Terminate() = 0;
};

class IAutomationHook : public virtual ICVUnknown {
 public:
  virtual void Initialize(const std::string& ServerURL, const std::string& LoginID, const std::string& Password,
                          bool Reserved, int32_t Flags) = 0;
  // Supports ICVRoot when the host is up.
  virtual ICVUnknownPtr Get_Root() = 0;
};

// Starts a host instance. The program registers the OpenCASCADE host; tests register
// their own.
using TAutomationServerFactory = std::function<std::shared_ptr<IAutomationHook>()>;
void RegisterAutomationServer(TAutomationServerFactory Factory);
bool AutomationServerRegistered();

// A long host call (a cut or boss over many figures) asks this between its steps whether the
// user wants to stop, and then ends with a feature error. The client sets it for such calls.
using THostStopPoll = std::function<bool()>;
void SetHostStopPoll(THostStopPoll Poll);
bool HostStopRequested();

enum TConnectKind { ckRunningOrNew, ckNewInstance };

// Client side of the connection: DefaultInterface connects on first use.
class TAutomationHook {
 public:
  TAutomationHook() = default;
  ~TAutomationHook() { Disconnect(); }
  TAutomationHook(const TAutomationHook&) = delete;
  TAutomationHook& operator=(const TAutomationHook&) = delete;

  TConnectKind ConnectKind = ckRunningOrNew;
  void Connect();
  void Disconnect();
  std::shared_ptr<IAutomationHook> DefaultInterface();

 private:
  std::shared_ptr<IAutomationHook> FIntf;
};

}  // namespace CorvaneX_TLB
