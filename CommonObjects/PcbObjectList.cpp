#include "CommonObjects/PcbObjectList.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "CommonObjects/IdfStrUtils.h"
#include "platform/Platform.h"

TOutlineObject::TOutlineObject(TElementType aElement, double aX1, double aY1, double aX2, double aY2, double aXC,
                               double aYC, double aRad, double aStartAngle, double aEndAngle, bool aIsCw)
    : FElement(aElement),
      FX1(aX1),
      FY1(aY1),
      FX2(aX2),
      FY2(aY2),
      FXC(aXC),
      FYC(aYC),
      FRad(aRad),
      FStartAngle(aStartAngle),
      FEndAngle(aEndAngle),
      FIsCw(aIsCw) {
  switch (FElement) {
    case etArc:
      // The reader passes arcs as end points and centre only.
      if (FRad == 0 && FStartAngle == 0 && FEndAngle == 0)
        CalcArcDetails(FXC, FYC, FX1, FY1, FX2, FY2, FRad, FStartAngle, FEndAngle);
      break;
    case etCircle:
      FX1 = FXC - FRad;
      FY1 = FYC - FRad;
      FX2 = FXC + FRad;
      FY2 = FYC + FRad;
      FStartAngle = 0;
      FEndAngle = 360;
      break;
    default: break;
  }
}

TOutlineObject TOutlineObject::CreateFromRecord(const TOutlineObject& aRec) {
  TOutlineObject o(aRec.FElement, aRec.FX1, aRec.FY1, aRec.FX2, aRec.FY2, aRec.FXC, aRec.FYC, aRec.FRad,
                   aRec.FStartAngle, aRec.FEndAngle, aRec.FIsCw);
  o.AddProperties(aRec);
  return o;
}

void TOutlineObject::SwapPoints() {
  std::swap(FX1, FX2);
  std::swap(FY1, FY2);
  FIsCw = !FIsCw;
  CalculateArcAnglesUsingEndPointsWithTolerance(0);
}

void TOutlineObject::AddProperties(const TOutlineObject& aRec) {
  FLoopLabel = aRec.FLoopLabel;
  FIsCw = aRec.FIsCw;
  FIsMountingHole = aRec.FIsMountingHole;
  FIsVia = aRec.FIsVia;
  FIsKeepout = aRec.FIsKeepout;
  FKeepoutType = aRec.FKeepoutType;
  FComment = aRec.FComment;
  FFontName = aRec.FFontName;
  fLayerName = aRec.fLayerName;
  fNetName = aRec.fNetName;
  FIdfHoleType = aRec.FIdfHoleType;
  FPlated = aRec.FPlated;
  fWidthOrHeight = aRec.fWidthOrHeight;
  FHoleSize = aRec.FHoleSize;
  FSourceSection = aRec.FSourceSection;
  FSourceLine = aRec.FSourceLine;
  fTextHeight = aRec.fTextHeight;
  fIsTtFont = aRec.fIsTtFont;
  fTextIsBold = aRec.fTextIsBold;
  fTextIsItalic = aRec.fTextIsItalic;
  fTextWidthFactor = aRec.fTextWidthFactor;
  fTextHeightFactor = aRec.fTextHeightFactor;
}

// Counter-clockwise numbering: 1 upper right, 2 upper left, 3 lower left, 4 lower right.
int TOutlineObject::GetQuadrant(double xp, double yp, double xc, double yc) {
  int q = 1;
  if (xp >= xc && yp >= yc) q = 1;
  if (xp < xc && yp > yc) q = 2;
  if (xp <= xc && yp <= yc) q = 3;
  if (xp > xc && yp < yc) q = 4;
  return q;
}

double TOutlineObject::GetAngleOnAxis(double xp, double yp, double xc, double yc, double tol) {
  if (SameValue(xp, 0, tol) && SameValue(yp, 0, tol) && SameValue(xc, 0, tol) && SameValue(yc, 0, tol)) return 0;
  if (SameValue(yp, yc, tol) && xp > xc) return 0;
  if (SameValue(xp, xc, tol) && yp > yc) return 90;
  if (SameValue(yp, yc, tol) && xp < xc) return 180;
  if (SameValue(xp, xc, tol) && yp < yc) return 270;
  return -1;
}

double TOutlineObject::CalculateAngle(double xp, double yp, double xc, double yc, double tol) {
  double a = GetAngleOnAxis(xp, yp, xc, yc, tol);
  if (a != -1) return a;
  if (xp == xc) return -1;
  double b = std::atan(std::fabs(yp - yc) / std::fabs(xp - xc)) * 180.0 / kPi;
  switch (GetQuadrant(xp, yp, xc, yc)) {
    case 1: return b;
    case 2: return 180.0 - b;
    case 3: return 180.0 + b;
    default: return 360.0 - b;
  }
}

void TOutlineObject::CalculateArcAnglesUsingEndPointsWithTolerance(double aTol) {
  FStartAngle = CalculateAngle(FX1, FY1, FXC, FYC, aTol);
  FEndAngle = CalculateAngle(FX2, FY2, FXC, FYC, aTol);
}

void TOutlineObject::ScaleObject(double aFactor) {
  for (double* f : {&FX1, &FY1, &FX2, &FY2, &FXC, &FYC, &FRad, &fWidthOrHeight, &FHoleSize, &fTextHeight})
    *f *= aFactor;
}

void TOutlineObject::MirrorObject(bool AroundX, bool AroundY, bool ReverseArcs) {
  if (AroundX) {
    FX1 = -FX1;
    FX2 = -FX2;
    FXC = -FXC;
  }
  if (AroundY) {
    FY1 = -FY1;
    FY2 = -FY2;
    FYC = -FYC;
  }
  if ((AroundX || AroundY) && ReverseArcs && FElement == etArc) FIsCw = !FIsCw;
}

bool TOutlineObject::HoleFilterTest(bool aIsGreaterThan, double aHoleFilerDiameterValue, double aTolerance) const {
  int c = CompareValue(FRad, aHoleFilerDiameterValue / 2.0, aTolerance);
  return aIsGreaterThan ? c <= 0 : c >= 0;
}

// ===================== TBoardOutlineObjectList =====================

namespace {

bool IsClosedKind(TElementType e) { return (e >= etCircle && e <= etOctagonalPad) || (e >= etHole && e <= etSphere); }

// Number text as a message shows it.
std::string FloatText(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s(buf);
  for (char& c : s)
    if (c == '.') c = platform::GetDecimalSeparator();
  return s;
}

// value * factor; an overflow or invalid product is reported and leaves the value as it was.
void ScaleField(double& value, double factor) {
  const double r = value * factor;
  if (std::isnan(r) && !std::isnan(value) && !std::isnan(factor)) {
    platform::Services().ShowMessage("Invalid floating point operation");
    return;
  }
  if (std::isinf(r) && std::isfinite(value) && std::isfinite(factor)) {
    platform::Services().ShowMessage("Floating point overflow");
    return;
  }
  value = r;
}

// End points of the elements still waiting to be chained, bucketed in square cells eight
// tolerances wide. A query looks at the cells that meet its window widened by half a tolerance,
// a margin that keeps rounding in the cell arithmetic from ever losing a point in the window
// (usually one cell, at most four). With a zero tolerance the window is exact equality and the
// cell is the point itself.
class TEndPointIndex {
 public:
  // x1, y1, x2, y2 of every element, copied once so that building does not visit the elements.
  using TEnds = std::vector<std::array<double, 4>>;

  TEndPointIndex(const TEnds& ends, const std::vector<char>& alive, double tolerance)
      : fAlive(alive), fTol(tolerance), fExact(tolerance == 0), fCell(8 * tolerance), fReach(1.5 * tolerance) {
    const std::size_t n = ends.size();
    std::size_t points = 0;
    for (std::size_t i = 0; i < n; ++i) points += alive[i] ? 2 : 0;
    std::size_t capacity = 16;
    while (capacity < 2 * points) capacity *= 2;
    fSlots.assign(capacity, TSlot{});
    fMask = capacity - 1;

    fPointCell.assign(2 * n, kNone);
    for (std::size_t i = 0; i < n; ++i) {
      if (!alive[i]) continue;
      const auto& e = ends[i];
      fPointCell[2 * i] = CellFor(KeyOf(e[0], e[1]));
      fPointCell[2 * i + 1] = CellFor(KeyOf(e[2], e[3]));
    }
    std::uint32_t at = 0;
    for (TSlot& c : fSlots) {
      if (c.head == kNone) continue;
      c.begin = c.head = c.end = at;
      at += c.dead;  // counted in dead while sizing
      c.dead = 0;
    }
    fEntries.resize(at);
    // Filled in element order, so every cell lists its points by ascending element index.
    for (std::size_t i = 0; i < n; ++i) {
      if (!alive[i]) continue;
      const auto& e = ends[i];
      fEntries[fSlots[fPointCell[2 * i]].end++] = TEntry{static_cast<std::uint32_t>(2 * i), e[0], e[1]};
      fEntries[fSlots[fPointCell[2 * i + 1]].end++] = TEntry{static_cast<std::uint32_t>(2 * i + 1), e[2], e[3]};
    }
  }

  // Whether every coordinate can be keyed with the margin intact.
  static bool CanIndex(const TEnds& ends, double tolerance) {
    if (!(tolerance >= 0) || !std::isfinite(8 * tolerance)) return false;
    const double cell = 8 * tolerance;
    constexpr double kLimit = 1099511627776.0;  // 2^40 cells from the origin
    for (const auto& p : ends) {
      for (double v : p) {
        if (!std::isfinite(v)) return false;
        if (tolerance > 0 && std::fabs(v / cell) >= kLimit) return false;
      }
    }
    return ends.size() < (1u << 30);
  }

  // Lowest index of a waiting element with an end point in the window around (x, y); -1 if none.
  // The query point is usually an indexed end itself (point code 2 * element + end, or -1
  // when not), whose cell is then known without hashing.
  long FindFirst(double x, double y, long point) {
    long best = -1;
    const TKey key = KeyOf(x, y);
    std::uint32_t home = point >= 0 ? fPointCell[static_cast<std::size_t>(point)] : kNone;
    if (home == kNone) home = Find(key);
    if (fExact) return home != kNone ? FirstInCell(home, x, y, best) : best;
    const std::int64_t x0 = Floor(x - fReach), x1 = Floor(x + fReach);
    const std::int64_t y0 = Floor(y - fReach), y1 = Floor(y + fReach);
    for (std::int64_t kx = x0; kx <= x1; ++kx)
      for (std::int64_t ky = y0; ky <= y1; ++ky) {
        const TKey k{kx, ky};
        const std::uint32_t c = k == key ? home : Find(k);
        if (c != kNone) best = FirstInCell(c, x, y, best);
      }
    return best;
  }

  // Call after the element at index has been marked as no longer waiting.
  void Remove(std::size_t index) {
    const std::uint32_t a = fPointCell[2 * index], b = fPointCell[2 * index + 1];
    ++fSlots[a].dead;
    ++fSlots[b].dead;
    CompactIfSparse(a);
    if (b != a) CompactIfSparse(b);
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct TKey {
    std::int64_t a = 0, b = 0;
    bool operator==(const TKey&) const = default;
  };
  // A cell lives in its hash slot, so that finding it brings its bounds along.
  struct TSlot {
    TKey key;
    std::uint32_t begin = 0, head = kNone, end = 0;  // head: kNone while free; entries before it are gone
    std::uint32_t dead = 0;                          // gone entries between head and end
  };
  struct TEntry {
    std::uint32_t code;  // 2 * element index + end
    double x, y;
  };

  std::int64_t Floor(double v) const { return static_cast<std::int64_t>(std::floor(v / fCell)); }

  TKey KeyOf(double x, double y) const {
    // -0 and 0 are the same point.
    if (fExact)
      return TKey{std::bit_cast<std::int64_t>(x == 0 ? 0.0 : x), std::bit_cast<std::int64_t>(y == 0 ? 0.0 : y)};
    return TKey{Floor(x), Floor(y)};
  }

  std::size_t SlotOf(const TKey& k) const {
    // Neighbouring cells differ in low bits only; the final mix spreads them over the table.
    std::uint64_t h = static_cast<std::uint64_t>(k.a) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(k.b) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return static_cast<std::size_t>(h) & fMask;
  }

  std::uint32_t Find(const TKey& k) const {
    for (std::size_t s = SlotOf(k);; s = (s + 1) & fMask) {
      const TSlot& slot = fSlots[s];
      if (slot.head == kNone) return kNone;
      if (slot.key == k) return static_cast<std::uint32_t>(s);
    }
  }

  // While sizing, a cell counts its points in dead.
  std::uint32_t CellFor(const TKey& k) {
    for (std::size_t s = SlotOf(k);; s = (s + 1) & fMask) {
      TSlot& slot = fSlots[s];
      if (slot.head == kNone) {
        slot.key = k;
        slot.head = 0;
      }
      if (slot.key == k) {
        ++slot.dead;
        return static_cast<std::uint32_t>(s);
      }
    }
  }

  long FirstInCell(std::uint32_t cellId, double x, double y, long best) {
    TSlot& cell = fSlots[cellId];
    while (cell.head < cell.end && !fAlive[fEntries[cell.head].code >> 1]) {
      ++cell.head;
      --cell.dead;
    }
    for (std::uint32_t i = cell.head; i < cell.end; ++i) {
      const TEntry& e = fEntries[i];
      const long index = static_cast<long>(e.code >> 1);
      if (best >= 0 && index >= best) break;
      if (!fAlive[static_cast<std::size_t>(index)]) continue;
      if (std::fabs(e.x - x) <= fTol && std::fabs(e.y - y) <= fTol) return index;
    }
    return best;
  }

  void CompactIfSparse(std::uint32_t cellId) {
    TSlot& cell = fSlots[cellId];
    if (cell.dead * 2 <= cell.end - cell.head) return;
    std::uint32_t out = cell.head;
    for (std::uint32_t i = cell.head; i < cell.end; ++i)
      if (fAlive[fEntries[i].code >> 1]) fEntries[out++] = fEntries[i];
    cell.end = out;
    cell.dead = 0;
  }

  const std::vector<char>& fAlive;
  double fTol;
  bool fExact;
  double fCell;
  double fReach;
  std::vector<TSlot> fSlots;
  std::size_t fMask = 0;
  std::vector<TEntry> fEntries;
  std::vector<std::uint32_t> fPointCell;
};

}  // namespace

std::size_t TBoardOutlineObjectList::CheckedIndex(int index, std::size_t limit) const {
  if (index < 0 || static_cast<std::size_t>(index) >= limit)
    throw EListIndexError("List index out of bounds (" + std::to_string(index) + ")");
  return static_cast<std::size_t>(index);
}

TOutlineObject& TBoardOutlineObjectList::GetRecord(int index) const { return *Items(index); }

const TBoardOutlineObjectList::TElement& TBoardOutlineObjectList::Items(int index) const {
  return fItems[CheckedIndex(index, fItems.size())];
}

int TBoardOutlineObjectList::Add(TElement aElement) {
  fItems.push_back(std::move(aElement));
  return Count() - 1;
}

void TBoardOutlineObjectList::Insert(int index, TElement aElement) {
  fItems.insert(fItems.begin() + static_cast<std::ptrdiff_t>(CheckedIndex(index, fItems.size() + 1)),
                std::move(aElement));
}

void TBoardOutlineObjectList::Delete(int index) {
  fItems.erase(fItems.begin() + static_cast<std::ptrdiff_t>(CheckedIndex(index, fItems.size())));
}

TBoardOutlineObjectList::TElement TBoardOutlineObjectList::Extract(int index) {
  const std::size_t i = CheckedIndex(index, fItems.size());
  TElement e = std::move(fItems[i]);
  fItems.erase(fItems.begin() + static_cast<std::ptrdiff_t>(i));
  return e;
}

void TBoardOutlineObjectList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckedIndex(newIndex, fItems.size());
  TElement e = Extract(curIndex);
  fItems.insert(fItems.begin() + newIndex, std::move(e));
}

int TBoardOutlineObjectList::IndexOf(const TOutlineObject* aElement) const {
  for (std::size_t i = 0; i < fItems.size(); ++i)
    if (fItems[i].get() == aElement) return static_cast<int>(i);
  return -1;
}

int TBoardOutlineObjectList::AddFromRecord(const TOutlineObject& Rec) {
  return Add(std::make_shared<TOutlineObject>(TOutlineObject::CreateFromRecord(Rec)));
}

void TBoardOutlineObjectList::AddDataFromList(const TBoardOutlineObjectList& aList) {
  // Indexed, so that copying a list into itself copies its original elements once.
  const int n = aList.Count();
  for (int i = 0; i < n; ++i) AddFromRecord(*aList.fItems[static_cast<std::size_t>(i)]);
}

void TBoardOutlineObjectList::AddListProperties(const TBoardOutlineObjectList& List) {
  FLineCount = List.FLineCount;
  FArcCount = List.FArcCount;
  fNumLoops = List.fNumLoops;
  fOffSet = List.fOffSet;
  fBodyHeight = List.fBodyHeight;
  fListName = List.fListName;
  fAttributeName = List.fAttributeName;
  fMlBaseFeatureAttributeName = List.fMlBaseFeatureAttributeName;
  fTop = List.fTop;
  fExtrudeSingleDir = List.fExtrudeSingleDir;
  fReverseExtrudeDir = List.fReverseExtrudeDir;
  fColour = List.fColour;
  fOpacity = List.fOpacity;
  fOutlineType = List.fOutlineType;
  fLogstr = List.fLogstr;
  fCylRx = List.fCylRx;
  fCylRy = List.fCylRy;
  fCylRz = List.fCylRz;
  fBodyBasePlaneId = List.fBodyBasePlaneId;
  fFolderName = List.fFolderName;
  fLayerName = List.fLayerName;
  fListNetName = List.fListNetName;
  fListComment = List.fListComment;
  fPriority = List.fPriority;
}

void TBoardOutlineObjectList::AddFromList(const TBoardOutlineObjectList& aList) {
  AddDataFromList(aList);
  AddListProperties(aList);
}

void TBoardOutlineObjectList::FreeListObjects() {
  for (auto it = fItems.rbegin(); it != fItems.rend(); ++it) it->reset();
}

void TBoardOutlineObjectList::ApplyFactor(double aFactor) {
  for (const auto& e : fItems) e->ScaleObject(aFactor);
  ScaleField(fOffSet, aFactor);
  ScaleField(fBodyHeight, aFactor);
}

void TBoardOutlineObjectList::Mirror(bool AroundX, bool AroundY, bool ReverseArcs) {
  for (const auto& e : fItems) e->MirrorObject(AroundX, AroundY, ReverseArcs);
}

int TBoardOutlineObjectList::CountLoops() {
  int highest = 0;
  for (const auto& e : fItems) highest = std::max(highest, e->FLoopLabel);
  fNumLoops = highest + 1;
  return fNumLoops;
}

void TBoardOutlineObjectList::DeleteLoopZero() {
  TBoardOutlineObjectList kept;
  kept.fNumLoops = fNumLoops;
  kept.FLineCount = FLineCount;
  kept.FArcCount = FArcCount;
  kept.fBodyHeight = fBodyHeight;
  kept.fOffSet = fOffSet;
  kept.fListName = fListName;
  kept.fAttributeName = fAttributeName;
  kept.fTop = fTop;
  for (const auto& e : fItems)
    if (e->FLoopLabel != 0) kept.AddFromRecord(*e);
  Clear();
  AddFromList(kept);
}

bool TBoardOutlineObjectList::PointsEqual(double X1, double Y1, double X2, double Y2, double tol) {
  const double dx = std::fabs(X1 - X2);
  const double dy = std::fabs(Y1 - Y2);
  if (std::isnan(dx) || std::isnan(dy) || std::isnan(tol)) {
    platform::Services().ShowMessage(FloatText(X1) + " " + FloatText(X2));
    return false;
  }
  return dx <= tol && dy <= tol;
}

bool TBoardOutlineObjectList::MatchObjectAtEitherEndAndClose(TOutlineObject& NextRec, const TOutlineObject& Rec,
                                                             double StartX, double StartY, double tolerance,
                                                             double closetolerance, bool& LoopClosed) {
  LoopClosed = false;
  bool found = PointsEqual(NextRec.FX1, NextRec.FY1, Rec.FX2, Rec.FY2, tolerance);
  if (!found && PointsEqual(NextRec.FX2, NextRec.FY2, Rec.FX2, Rec.FY2, tolerance)) {
    NextRec.SwapPoints();
    found = true;
  }
  if (found) LoopClosed = PointsEqual(NextRec.FX2, NextRec.FY2, StartX, StartY, closetolerance);
  return found;
}

// The chain always continues with the lowest-indexed waiting element that fits, trying its
// first point before its second, as a scan from the front finds it. The end-point index finds
// that element without the scan; inputs it cannot key (non-finite points, coordinates far
// beyond the tolerance's reach) are scanned.
bool TBoardOutlineObjectList::ChainElements(TBoardOutlineObjectList& theList, double tolerance, double closetolerance,
                                            std::vector<TElement>& chained, std::vector<std::size_t>& starts) {
  std::vector<TElement> items = std::move(theList.fItems);
  theList.fItems.clear();
  const std::size_t n = items.size();
  chained.reserve(chained.size() + n);
  std::vector<char> alive(n, 1);
  // Built when the first open element needs a partner: a hole list never needs it.
  std::unique_ptr<TEndPointIndex> index;
  bool scan = false;
  std::size_t head = 0;
  bool ok = true;

  auto take = [&](std::size_t i) {
    alive[i] = 0;
    if (index) index->Remove(i);
    chained.push_back(items[i]);
  };

  while (true) {
    while (head < n && !alive[head]) ++head;
    if (head == n) break;
    starts.push_back(chained.size());
    const TOutlineObject* f = items[head].get();
    // The indexed end at f's second point; the first element of the first loop is taken
    // before the index exists.
    long fPoint = index ? static_cast<long>(2 * head + 1) : -1;
    take(head);
    const double startX = f->FX1, startY = f->FY1;
    bool finished = IsClosedKind(f->FElement);
    while (!finished) {
      if (!index && !scan) {
        TEndPointIndex::TEnds ends(n);
        for (std::size_t i = 0; i < n; ++i) {
          const TOutlineObject& e = *items[i];
          ends[i] = {e.FX1, e.FY1, e.FX2, e.FY2};
        }
        if (TEndPointIndex::CanIndex(ends, tolerance))
          index = std::make_unique<TEndPointIndex>(ends, alive, tolerance);
        else
          scan = true;
      }
      bool closed = false;
      long k = -1;
      if (index) {
        k = index->FindFirst(f->FX2, f->FY2, fPoint);
        if (k >= 0) {
          TOutlineObject& next = *items[static_cast<std::size_t>(k)];
          const bool cw = next.FIsCw;
          MatchObjectAtEitherEndAndClose(next, *f, startX, startY, tolerance, closetolerance, closed);
          // Its second point is now its original second, or its first when it was turned round.
          fPoint = 2 * k + (next.FIsCw == cw ? 1 : 0);
        }
      } else {
        for (std::size_t i = head; i < n && k < 0; ++i)
          if (alive[i] &&
              MatchObjectAtEitherEndAndClose(*items[i], *f, startX, startY, tolerance, closetolerance, closed))
            k = static_cast<long>(i);
      }
      if (k < 0) break;
      f = items[static_cast<std::size_t>(k)].get();
      take(static_cast<std::size_t>(k));
      finished = closed;
    }
    if (!finished) {
      ok = false;
      break;
    }
  }

  index.reset();
  for (std::size_t i = 0; i < n; ++i)
    if (alive[i]) theList.fItems.push_back(std::move(items[i]));
  return ok;
}

bool TBoardOutlineObjectList::CreateLoops(TBoardOutlineObjectList& theList, double tolerance, double closetolerance,
                                          TOutlineLoopSet& Loops) {
  std::vector<TElement> chained;
  std::vector<std::size_t> starts;
  const bool ok = ChainElements(theList, tolerance, closetolerance, chained, starts);
  const std::size_t made = ok ? starts.size() : starts.size() - 1;
  if (ok) {
    for (std::size_t i = 0; i < made; ++i) {
      auto loop = std::make_unique<TBoardOutlineObjectList>();
      const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : chained.size();
      loop->fItems.assign(chained.begin() + static_cast<std::ptrdiff_t>(starts[i]),
                          chained.begin() + static_cast<std::ptrdiff_t>(end));
      Loops.push_back(std::move(loop));
    }
    return !Loops.empty();
  }
  // A chain that cannot be closed hands everything back to this list: the loops made so far
  // (emptied, but left in the set), then the chain, then what the list held.
  std::vector<TElement> front;
  for (auto& loop : Loops) {
    front.insert(front.end(), loop->fItems.begin(), loop->fItems.end());
    loop->Clear();
  }
  for (std::size_t i = 0; i < made; ++i) Loops.push_back(std::make_unique<TBoardOutlineObjectList>());
  front.insert(front.end(), chained.begin(), chained.end());
  front.insert(front.end(), std::make_move_iterator(fItems.begin()), std::make_move_iterator(fItems.end()));
  fItems = std::move(front);
  return false;
}

bool TBoardOutlineObjectList::MakeListWithTolerance(TBoardOutlineObjectList& theList, double tolerance,
                                                    double closetolerance) {
  fListName = theList.fListName;
  // Loops are kept as ranges of one vector rather than as lists of their own: a hole list
  // makes one loop per hole.
  std::vector<TElement> chained;
  std::vector<std::size_t> starts;
  if (!ChainElements(theList, tolerance, closetolerance, chained, starts)) {
    chained.insert(chained.end(), std::make_move_iterator(fItems.begin()), std::make_move_iterator(fItems.end()));
    fItems = std::move(chained);
    return false;
  }
  if (starts.empty()) return false;
  std::vector<TSpan> loops;
  loops.reserve(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : chained.size();
    loops.emplace_back(chained.data() + starts[i], end - starts[i]);
  }
  AppendSortedLoops(loops);
  CountLoops();
  return true;
}

void TBoardOutlineObjectList::SortLoopLists(TOutlineLoopSet& Loops) {
  if (Loops.empty()) return;
  std::vector<TSpan> loops;
  for (const auto& l : Loops) loops.emplace_back(l->fItems);
  const std::size_t o = static_cast<std::size_t>(OuterLoopIndex(loops));
  std::rotate(Loops.begin(), Loops.begin() + static_cast<std::ptrdiff_t>(o),
              Loops.begin() + static_cast<std::ptrdiff_t>(o) + 1);
  loops.clear();
  for (const auto& l : Loops) loops.emplace_back(l->fItems);
  AppendSortedLoops(loops);
}

// Outer loop first (moved to the front of loops), counter-clockwise as IsLoopCW judges it,
// the others clockwise, numbered in order.
void TBoardOutlineObjectList::AppendSortedLoops(std::vector<TSpan>& loops) {
  if (loops.empty()) return;
  const std::size_t o = static_cast<std::size_t>(OuterLoopIndex(loops));
  std::rotate(loops.begin(), loops.begin() + static_cast<std::ptrdiff_t>(o),
              loops.begin() + static_cast<std::ptrdiff_t>(o) + 1);
  std::size_t total = 0;
  for (const auto& l : loops) total += l.size();
  fItems.reserve(fItems.size() + total);
  int next = 1;
  for (std::size_t i = 0; i < loops.size(); ++i) {
    const TSpan loop = loops[i];
    const bool cw = LoopIsCW(loop, static_cast<int>(i));
    const int label = i == 0 ? 0 : next++;
    const bool reverse = i == 0 ? cw : !cw;
    if (reverse) {
      for (auto it = loop.rbegin(); it != loop.rend(); ++it) {
        (*it)->SwapPoints();
        (*it)->FLoopLabel = label;
        fItems.push_back(*it);
      }
    } else {
      for (const auto& e : loop) {
        e->FLoopLabel = label;
        fItems.push_back(e);
      }
    }
  }
}

int TBoardOutlineObjectList::OuterLoopIndex(const std::vector<TSpan>& loops) {
  if (loops.empty()) return 0;
  int best = 0;
  double hx = 0, hy = 0;
  TopRightOfLoop(loops[0], hx, hy);
  for (std::size_t i = 1; i < loops.size(); ++i) {
    double x = 0, y = 0;
    TopRightOfLoop(loops[i], x, y);
    if (x > hx && y > hy) {
      best = static_cast<int>(i);
      hx = x;
      hy = y;
    }
  }
  return best;
}

int TBoardOutlineObjectList::GetOuterLoopIndex(const TOutlineLoopSet& Loops) {
  std::vector<TSpan> loops;
  for (const auto& l : Loops) loops.emplace_back(l->fItems);
  return OuterLoopIndex(loops);
}

void TBoardOutlineObjectList::TopRightOfLoop(TSpan loop, double& xt, double& yt) {
  if (loop.empty()) return;
  GetTopRightCoordsFromObject(*loop[0], xt, yt);
  for (std::size_t i = 1; i < loop.size(); ++i) {
    double x = 0, y = 0;
    GetTopRightCoordsFromObject(*loop[i], x, y);
    if (x > xt) xt = x;
    if (y > yt) yt = y;
  }
}

void TBoardOutlineObjectList::GetTopRightCoordsFromLoop(const TBoardOutlineObjectList& List, double& xt, double& yt) {
  TopRightOfLoop(List.fItems, xt, yt);
}

void TBoardOutlineObjectList::GetTopRightCoordsFromObject(const TOutlineObject& Rec, double& x, double& y) {
  switch (Rec.FElement) {
    case etCircle:
      x = Rec.FXC + Rec.FRad;
      y = Rec.FYC + Rec.FRad;
      return;
    case etArc: GetTopRightCoordOfArc(Rec, x, y); return;
    default: break;
  }
  const bool second = Rec.FX2 == Rec.FX1 ? Rec.FY2 > Rec.FY1 : Rec.FY2 == Rec.FY1 ? true : Rec.FX2 > Rec.FX1;
  x = second ? Rec.FX2 : Rec.FX1;
  y = second ? Rec.FY2 : Rec.FY1;
}

void TBoardOutlineObjectList::GetTopRightCoordOfArc(const TOutlineObject& Rec, double& x, double& y) {
  const double x1 = Rec.FX1, y1 = Rec.FY1, x2 = Rec.FX2, y2 = Rec.FY2;
  const double xc = Rec.FXC, yc = Rec.FYC, r = Rec.FRad;
  const bool cw = Rec.FIsCw;
  if (x1 == x2) {
    x = xc + r;
    y = y1 > y2 ? y1 : y2;
  } else if (y1 == y2) {
    x = x1 > x2 ? x1 : x2;
    y = yc + r;
  } else if ((x1 > xc && y1 > yc && cw) || (x1 < xc && y1 > yc && !cw) || (x1 < xc && y1 < yc && !cw) ||
             (x1 > xc && y1 < yc && !cw)) {
    x = xc + r;
    y = yc + r;
  } else if (x2 > x1) {
    x = x2;
    y = y2;
  } else {
    x = x1;
    y = y1;
  }
}

const TBoardOutlineObjectList::TElement* TBoardOutlineObjectList::TopRightObject(TSpan loop) {
  if (loop.empty()) return nullptr;
  const TElement* best = &loop[0];
  double hx = 0, hy = 0;
  GetTopRightCoordsFromObject(**best, hx, hy);
  for (std::size_t i = 1; i < loop.size(); ++i) {
    double x = 0, y = 0;
    GetTopRightCoordsFromObject(*loop[i], x, y);
    if (x > hx || y > hy) {
      best = &loop[i];
      hx = x;
      hy = y;
    }
  }
  return best;
}

TBoardOutlineObjectList::TElement TBoardOutlineObjectList::GetTopRightObject(const TBoardOutlineObjectList& List) {
  const TElement* e = TopRightObject(List.fItems);
  return e ? *e : nullptr;
}

bool TBoardOutlineObjectList::LoopIsCW(TSpan loop, int LoopNumber) {
  const TElement* found = TopRightObject(loop);
  if (!found) return false;
  const TOutlineObject& e = **found;
  if (e.FElement == etCircle) return LoopNumber != 0;
  if (e.FElement == etArc) return e.FIsCw;
  if (e.FX1 == e.FX2 && e.FY1 > e.FY2) return true;
  if (e.FY1 == e.FY2 && e.FX1 < e.FX2) return true;
  return std::sqrt(e.FX1 * e.FX1 + e.FY1 * e.FY1) > std::sqrt(e.FX2 * e.FX2 + e.FY2 * e.FY2);
}

bool TBoardOutlineObjectList::IsLoopCW(const TBoardOutlineObjectList& iList, int LoopNumber) {
  return LoopIsCW(iList.fItems, LoopNumber);
}
