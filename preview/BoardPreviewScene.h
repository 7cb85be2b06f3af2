#pragma once
// What the top view shows of a loaded board, gathered from the dialog model: the board with its
// cut-outs, the outline and keep-out sections, every drilled hole with the state the import
// would give it, and every placement with its package outline. Lengths are in the file set's
// output unit, Y up.
#include <QPolygonF>
#include <QRectF>
#include <string>
#include <vector>

#include "CommonObjects/IdfEnums.h"

class TIdfImportFormV4_XE2;
class TIDFfile;
class TSection;

struct TPreviewHole {
  QPointF Centre;
  double Radius = 0;
  THoleType HoleType = htNONE;
  bool Plated = false;
  // Its check box is on and it passes the hole filter: the import cuts it.
  bool Cut = false;
};

// An outline or keep-out section.
struct TPreviewArea {
  TSectionType Kind = stNONE;
  TLayerType Layer = ltNONE;
  std::string Name;
  std::vector<QPolygonF> Loops;
  // The import makes a board feature of it under the current check boxes.
  bool Imported = false;
};

struct TPreviewComponent {
  std::string Designator, Package;
  QPointF Position;
  bool Top = true;
  // Taken by the import under the current part selection.
  bool Selected = true;
  // Package height in the working unit; negative when unknown.
  double Height = -1;
  // The package outline placed on the board; empty when the library has no outline for it.
  std::vector<QPolygonF> Outline;
};

struct TBoardPreviewScene {
  std::vector<QPolygonF> Board;  // outer loop and cut-outs, filled even-odd
  std::vector<TPreviewArea> Areas;
  std::vector<TPreviewHole> Holes;
  std::vector<TPreviewComponent> Components;
  // Some parts are chosen on the selection page; only those are imported.
  bool HasSelection = false;
  // The working unit: its label and how many of its units make one scene unit.
  std::string UnitLabel = "mm";
  double WorkingUnitsPerSceneUnit = 1;
  int Precision = 3;

  // The extent of everything drawn: parts overhanging the board edge are part of the picture.
  QRectF Bounds() const;
  // The topmost component under a point (top side first); nullptr when there is none.
  const TPreviewComponent* ComponentAt(const QPointF& p) const;
};

// The scene of the dialog's current file set, selection and hole options. Refreshes the
// dialog's selected package and designator lists, as the import does before it uses them.
TBoardPreviewScene BuildBoardPreviewScene(TIdfImportFormV4_XE2& dialog);

// The closed polygons of a section's loops (arcs and circles as polylines), in its lengths.
std::vector<QPolygonF> SectionLoops(TIDFfile& idf, const TSection& section);
