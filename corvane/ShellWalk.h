// One walk over the faces of a shell, down to its vertices, for the STEP writer: every distinct
// edge and vertex (the same shape at the same place) gets a number once, every wire becomes its
// edges' numbers in order. Writing then needs no second look at the topology, and no copies of
// shape handles in its loops.
#pragma once

#include <TopAbs_Orientation.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Vertex.hxx>

#include <utility>
#include <vector>

namespace corvane {

// Numbers of shapes told apart as OpenCASCADE's IsSame does: same TShape, same location. An
// open-addressing table keyed by the TShape: a board holds hundreds of thousands of edges.
class TShapeNumbers {
 public:
  void Reserve(size_t N);
  // The shape's number; Added says whether it was seen for the first time.
  int Of(const TopoDS_Shape& S, bool& Added);
  int Count() const { return FCount; }

 private:
  // Most shapes have one location: that one needs no list of its own. An extrusion's far cap
  // reuses the near cap's edges and vertices at another location, which makes them others.
  struct TSlot {
    const void* Key = nullptr;
    TopLoc_Location Loc;
    int Id = 0;
    int Others = -1;  // first of the slot's other locations in FOthers
  };
  struct TOther {
    TopLoc_Location Loc;
    int Id, Next;
  };
  size_t SlotOf(const void* Key) const;
  std::vector<TSlot> FSlots;
  std::vector<TOther> FOthers;
  int FCount = 0;
  size_t FUsed = 0;
  int FShift = 64;
};

class TShellWalk {
 public:
  // An edge as a wire holds it, with the orientation composed down to it.
  struct TUse {
    int Edge;
    TopAbs_Orientation Orientation;
  };
  struct TWire {
    TopoDS_Shape Shape;
    int First = 0, Count = 0;  // its uses in Uses()
    bool Reversed = false;
  };
  struct TFace {
    TopoDS_Face Shape;
    int FirstWire = 0, Wires = 0;
    bool OnlyWires = true;  // false when the face holds something else than wires of edges
  };
  struct TEdge {
    TopoDS_Edge Shape;
    int V0 = -1, V1 = -1;  // its vertices as the edge runs forward; -1 for none
  };

  void Reserve(size_t Faces);
  // The faces of the shell; edges and vertices keep their numbers from shell to shell.
  void Walk(const TopoDS_Shell& Shell);

  const std::vector<TFace>& Faces() const { return FFaces; }
  const std::vector<TWire>& Wires() const { return FWires; }
  const std::vector<TUse>& Uses() const { return FUses; }
  const std::vector<TEdge>& Edges() const { return FEdges; }
  const std::vector<TopoDS_Vertex>& Vertices() const { return FVertices; }

  // The number of an edge, numbering it (and its vertices) when new.
  int EdgeOf(const TopoDS_Edge& E);
  // Where the use starts and ends as walked; -1 for a missing vertex.
  int FirstVertex(const TUse& U) const;
  int LastVertex(const TUse& U) const;

  // The faces so that each shares an edge with one before it (breadth first), as indices into
  // Faces(). The default reader's orientation fix grows a shell from its first face and, after
  // each face it adds, looks for the next one from the start of the list: faces in any other
  // order make it quadratic in the faces of the shell.
  std::vector<int> ConnectedOrder() const;

 private:
  std::vector<TFace> FFaces;
  std::vector<TWire> FWires;
  std::vector<TUse> FUses;
  std::vector<int> FAdjacent;  // per face, the edges it holds, in order
  std::vector<int> FAdjacentStart;
  std::vector<TEdge> FEdges;
  std::vector<TopoDS_Vertex> FVertices;
  TShapeNumbers FEdgeNumbers, FVertexNumbers;
};

}  // namespace corvane
