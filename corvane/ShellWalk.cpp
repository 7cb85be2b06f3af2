#include "corvane/ShellWalk.h"

#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>

#include <cstdint>

namespace corvane {

void TShapeNumbers::Reserve(size_t n) {
  size_t size = 64;
  while (size < 2 * n) size *= 2;
  if (size <= FSlots.size()) return;
  std::vector<TSlot> old(size);
  old.swap(FSlots);
  FShift = 64;
  for (size_t k = size; k > 1; k /= 2) --FShift;
  for (TSlot& s : old)
    if (s.Key) FSlots[SlotOf(s.Key)] = std::move(s);
}

size_t TShapeNumbers::SlotOf(const void* key) const {
  // The product's high bits, which every bit of the address stirs.
  const size_t mask = FSlots.size() - 1;
  size_t i = static_cast<size_t>((reinterpret_cast<uintptr_t>(key) * 0x9E3779B97F4A7C15ull) >> FShift) & mask;
  while (FSlots[i].Key && FSlots[i].Key != key) i = (i + 1) & mask;
  return i;
}

int TShapeNumbers::Of(const TopoDS_Shape& s, bool& added) {
  if (2 * (FUsed + 1) > FSlots.size()) Reserve(FUsed + 1);
  const void* key = s.TShape().get();
  TSlot& at = FSlots[SlotOf(key)];
  added = !at.Key;
  if (added) {
    at.Key = key;
    at.Loc = s.Location();
    ++FUsed;
    return at.Id = FCount++;
  }
  if (at.Loc == s.Location()) return at.Id;
  for (int k = at.Others; k >= 0; k = FOthers[k].Next)
    if (FOthers[k].Loc == s.Location()) return FOthers[k].Id;
  added = true;
  FOthers.push_back({s.Location(), FCount, at.Others});
  at.Others = static_cast<int>(FOthers.size()) - 1;
  return FCount++;
}

void TShellWalk::Reserve(size_t faces) {
  // A hole's wall has three edges (two circles and the seam) and two vertices, and its two
  // circles are wires of the caps.
  FEdgeNumbers.Reserve(3 * faces);
  FVertexNumbers.Reserve(2 * faces);
  FEdges.reserve(3 * faces);
  FVertices.reserve(2 * faces);
  FFaces.reserve(faces);
  FWires.reserve(3 * faces);
  FUses.reserve(6 * faces);
  FAdjacent.reserve(6 * faces);
  FAdjacentStart.reserve(faces + 1);
}

int TShellWalk::EdgeOf(const TopoDS_Edge& e) {
  bool added;
  const int n = FEdgeNumbers.Of(e, added);
  if (!added) return n;
  TEdge& rec = FEdges.emplace_back();
  rec.Shape = e;
  // The vertices' own orientations tell the ends of the edge as it runs forward.
  for (TopoDS_Iterator v(e, false, true); v.More(); v.Next()) {
    const TopoDS_Shape& vs = v.Value();
    const TopAbs_Orientation o = vs.Orientation();
    if (o != TopAbs_FORWARD && o != TopAbs_REVERSED) continue;
    bool fresh;
    const int k = FVertexNumbers.Of(vs, fresh);
    if (fresh) FVertices.push_back(TopoDS::Vertex(vs));
    (o == TopAbs_FORWARD ? rec.V0 : rec.V1) = k;
  }
  return n;
}

int TShellWalk::FirstVertex(const TUse& u) const {
  const TEdge& e = FEdges[u.Edge];
  return u.Orientation == TopAbs_FORWARD ? e.V0 : u.Orientation == TopAbs_REVERSED ? e.V1 : -1;
}

int TShellWalk::LastVertex(const TUse& u) const {
  const TEdge& e = FEdges[u.Edge];
  return u.Orientation == TopAbs_FORWARD ? e.V1 : u.Orientation == TopAbs_REVERSED ? e.V0 : -1;
}

void TShellWalk::Walk(const TopoDS_Shell& shell) {
  FFaces.clear();
  FWires.clear();
  FUses.clear();
  FAdjacent.clear();
  FAdjacentStart.clear();
  for (TopoDS_Iterator it(shell, true, true); it.More(); it.Next()) {
    if (it.Value().ShapeType() != TopAbs_FACE) continue;
    TFace& face = FFaces.emplace_back();
    face.Shape = TopoDS::Face(it.Value());
    face.FirstWire = static_cast<int>(FWires.size());
    FAdjacentStart.push_back(static_cast<int>(FAdjacent.size()));
    for (TopoDS_Iterator w(face.Shape, true, true); w.More(); w.Next()) {
      const TopoDS_Shape& ws = w.Value();
      if (ws.ShapeType() != TopAbs_WIRE) {
        face.OnlyWires = false;
        if (ws.ShapeType() == TopAbs_EDGE) FAdjacent.push_back(EdgeOf(TopoDS::Edge(ws)));
        continue;
      }
      TWire& wire = FWires.emplace_back();
      wire.Shape = ws;
      wire.First = static_cast<int>(FUses.size());
      wire.Reversed = ws.Orientation() == TopAbs_REVERSED;
      for (TopoDS_Iterator e(ws, true, true); e.More(); e.Next()) {
        const TopoDS_Shape& es = e.Value();
        if (es.ShapeType() != TopAbs_EDGE) {
          face.OnlyWires = false;
          continue;
        }
        const int n = EdgeOf(TopoDS::Edge(es));
        FUses.push_back({n, es.Orientation()});
        FAdjacent.push_back(n);
      }
      wire.Count = static_cast<int>(FUses.size()) - wire.First;
    }
    face.Wires = static_cast<int>(FWires.size()) - face.FirstWire;
  }
  FAdjacentStart.push_back(static_cast<int>(FAdjacent.size()));
}

std::vector<int> TShellWalk::ConnectedOrder() const {
  const int faces = static_cast<int>(FFaces.size());
  // The faces of each edge, in the order of the faces.
  std::vector<int> start(FEdges.size() + 1, 0);
  for (int e : FAdjacent) ++start[e + 1];
  for (size_t e = 1; e < start.size(); ++e) start[e] += start[e - 1];
  std::vector<int> fill(start.begin(), start.end() - 1), facesOf(FAdjacent.size());
  for (int f = 0; f < faces; ++f)
    for (int k = FAdjacentStart[f]; k < FAdjacentStart[f + 1]; ++k) facesOf[fill[FAdjacent[k]]++] = f;
  std::vector<char> seen(faces, 0);
  std::vector<int> order;
  order.reserve(faces);
  for (int first = 0; first < faces; ++first) {
    if (seen[first]) continue;
    seen[first] = 1;
    order.push_back(first);
    for (size_t k = order.size() - 1; k < order.size(); ++k) {
      const int f = order[k];
      for (int a = FAdjacentStart[f]; a < FAdjacentStart[f + 1]; ++a) {
        const int e = FAdjacent[a];
        for (int g = start[e]; g < start[e + 1]; ++g)
          if (!seen[facesOf[g]]) seen[facesOf[g]] = 1, order.push_back(facesOf[g]);
      }
    }
  }
  return order;
}

}  // namespace corvane
