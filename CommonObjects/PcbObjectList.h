#pragma once
// Outline elements: lines, arcs, circles and holes with their angle arithmetic.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "CommonObjects/IdfEnums.h"
#include "CommonObjects/MathUtils.h"

class TOutlineObject {
 public:
  TOutlineObject() = default;
  TOutlineObject(TElementType aElement, double aX1, double aY1, double aX2, double aY2, double aXC, double aYC,
                 double aRad, double aStartAngle, double aEndAngle, bool aIsCw);
  static TOutlineObject CreateFromRecord(const TOutlineObject& aRec);

  void SwapPoints();
  void AddProperties(const TOutlineObject& aRec);
  static int GetQuadrant(double xp, double yp, double xc, double yc);
  static double GetAngleOnAxis(double xp, double yp, double xc, double yc, double tol);
  static double CalculateAngle(double xp, double yp, double xc, double yc, double tol);
  void CalculateArcAnglesUsingEndPointsWithTolerance(double aTol);
  void CalculateArcAnglesUsingEndPoints() { CalculateArcAnglesUsingEndPointsWithTolerance(0); }
  void ScaleObject(double aFactor);
  void MirrorObject(bool AroundX, bool AroundY, bool ReverseArcs);
  bool HoleFilterTest(bool aIsGreaterThan, double aHoleFilerDiameterValue, double aTolerance) const;

  TElementType FElement = etLine;
  double FX1 = 0, FY1 = 0;
  double FX2 = 0, FY2 = 0;
  double FXC = 0, FYC = 0;
  double FRad = 0;
  double FStartAngle = 0, FEndAngle = 0;
  int FLoopLabel = 0;
  bool FIsCw = false;
  bool FIsMountingHole = false, FIsVia = false, FIsKeepout = false;
  std::string FKeepoutType, FComment, FFontName, fLayerName, fNetName;
  TIdfHoleType FIdfHoleType = htIdfOther;
  bool FPlated = false;
  double fWidthOrHeight = 0, FHoleSize = 0, fTextHeight = 0;
  bool fIsTtFont = false, fTextIsBold = false, fTextIsItalic = false;
  double fTextWidthFactor = 1.0, fTextHeightFactor = 1.0;
  // Where the element was read: the section keyword and the record's line (0: not read).
  std::string FSourceSection;
  int FSourceLine = 0;
};

// clang-format off
#define IDF_OUTLINE_TYPES(X)                                                                            \
  X(otBoardOutline) X(otBoardCutOut) X(otPlaceKeepout) X(otPlaceOutline) X(otRouteKeepout)            \
  X(otRouteOutline) X(otViaKeepout) X(otPlaceRegion) X(otBodyExtruded) X(otBodyCylinder) X(otBodySphere)
// clang-format on
IDF_DECLARE_ENUM(TOutlineType, IDF_OUTLINE_TYPES)

class TBoardOutlineObjectList;
// A loop set owns its per-loop lists; the lists, as always, do not own their elements.
using TOutlineLoopSet = std::vector<std::unique_ptr<TBoardOutlineObjectList>>;

// Elements stand alone and are held by reference, so moving one between lists keeps its
// identity; FreeListObjects lets go of them explicitly.
class TBoardOutlineObjectList {
 public:
  using TElement = std::shared_ptr<TOutlineObject>;

  TBoardOutlineObjectList() = default;
  TBoardOutlineObjectList(const TBoardOutlineObjectList&) = delete;
  TBoardOutlineObjectList& operator=(const TBoardOutlineObjectList&) = delete;
  TBoardOutlineObjectList(TBoardOutlineObjectList&&) = default;
  TBoardOutlineObjectList& operator=(TBoardOutlineObjectList&&) = default;

  // The list part. Index errors raise EListIndexError.
  int Count() const { return static_cast<int>(fItems.size()); }
  bool Empty() const { return fItems.empty(); }
  TOutlineObject& GetRecord(int index) const;
  const TElement& Items(int index) const;
  int Add(TElement aElement);
  void Insert(int index, TElement aElement);
  void Delete(int index);
  TElement Extract(int index);
  void Move(int curIndex, int newIndex);
  int IndexOf(const TOutlineObject* aElement) const;
  void Clear() { fItems.clear(); }
  std::vector<TElement>::const_iterator begin() const { return fItems.begin(); }
  std::vector<TElement>::const_iterator end() const { return fItems.end(); }

  int AddFromRecord(const TOutlineObject& Rec);
  void AddDataFromList(const TBoardOutlineObjectList& aList);
  void AddListProperties(const TBoardOutlineObjectList& List);
  void AddFromList(const TBoardOutlineObjectList& aList);
  void FreeListObjects();
  void ApplyFactor(double aFactor);
  void Mirror(bool AroundX, bool AroundY, bool ReverseArcs);
  int CountLoops();
  void DeleteLoopZero();

  static bool PointsEqual(double X1, double Y1, double X2, double Y2, double tol);
  static bool MatchObjectAtEitherEndAndClose(TOutlineObject& NextRec, const TOutlineObject& Rec, double StartX,
                                             double StartY, double tolerance, double closetolerance, bool& LoopClosed);
  bool CreateLoops(TBoardOutlineObjectList& theList, double tolerance, double closetolerance, TOutlineLoopSet& Loops);
  bool MakeListWithTolerance(TBoardOutlineObjectList& theList, double tolerance, double closetolerance);
  void SortLoopLists(TOutlineLoopSet& Loops);
  static int GetOuterLoopIndex(const TOutlineLoopSet& Loops);
  static void GetTopRightCoordsFromLoop(const TBoardOutlineObjectList& List, double& xt, double& yt);
  static void GetTopRightCoordsFromObject(const TOutlineObject& Rec, double& x, double& y);
  static void GetTopRightCoordOfArc(const TOutlineObject& Rec, double& x, double& y);
  static TElement GetTopRightObject(const TBoardOutlineObjectList& List);
  static bool IsLoopCW(const TBoardOutlineObjectList& iList, int LoopNumber);

  int FLineCount = 0;
  int FArcCount = 0;
  int fNumLoops = 0;
  double fOffSet = 0;
  double fBodyHeight = 0;
  std::string fListName;
  std::string fAttributeName;
  std::string fMlBaseFeatureAttributeName;
  bool fTop = true;
  bool fExtrudeSingleDir = true;
  bool fReverseExtrudeDir = false;
  int fColour = 0;
  double fOpacity = 0;
  TOutlineType fOutlineType = otBoardOutline;
  std::string fLogstr;
  double fCylRx = 0, fCylRy = 0, fCylRz = 0;
  std::string fBodyBasePlaneId, fFolderName, fLayerName, fListNetName, fListComment;
  int fPriority = 0;

 private:
  using TSpan = std::span<const TElement>;
  std::size_t CheckedIndex(int index, std::size_t limit) const;
  // Moves theList's elements into chained, loop after loop, each loop starting at an index in
  // starts. False when a chain could not be closed; that chain is then the last range.
  static bool ChainElements(TBoardOutlineObjectList& theList, double tolerance, double closetolerance,
                            std::vector<TElement>& chained, std::vector<std::size_t>& starts);
  void AppendSortedLoops(std::vector<TSpan>& loops);
  static void TopRightOfLoop(TSpan loop, double& xt, double& yt);
  static int OuterLoopIndex(const std::vector<TSpan>& loops);
  static const TElement* TopRightObject(TSpan loop);
  static bool LoopIsCW(TSpan loop, int LoopNumber);

  std::vector<TElement> fItems;
};
