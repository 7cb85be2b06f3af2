// Part and assembly files: STEP AP214 in millimetres with product names and colours.
// Shapes in memory are in centimetres.
#pragma once

#include <TopoDS_Shape.hxx>
#include <gp_Trsf.hxx>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TStepData;
struct TWrittenFile;

struct TModelFile {
  std::string Name;
  TopoDS_Shape Shape;  // centimetres
  int32_t Color = -1;  // 0x00BBGGRR, -1 for none
  // The entities of the file it came from or was written to; assemblies copy them.
  std::shared_ptr<const TStepData> Step;
  // Instead, for a part file this host wrote itself: where that file is and what lies where in
  // it. Assemblies copy its entities from the file while it is as written.
  std::shared_ptr<TWrittenFile> File;
};

struct TPlacedModel {
  std::shared_ptr<const TModelFile> Model;
  gp_Trsf Placement;  // centimetres
  int32_t Color = -1;
  std::string Name;  // the instance's name in the file
};

// Both return why the file went through OpenCASCADE's translator, or an empty text.
std::string WritePartFile(const std::string& Path, const TModelFile& Part);
// Each distinct model is written once, with one instance per placement.
std::string WriteAssemblyFile(const std::string& Path, const std::string& Name,
                              const std::vector<TPlacedModel>& Placements);
// Reads any STEP file as one model; several roots come back as one compound.
std::shared_ptr<TModelFile> ReadModelFile(const std::string& Path);

// Files are written without parameter-space curves; a reader that does not heal leaves
// curved faces without them. This computes only those, in time linear in the edges.
void AddMissingPCurves(const TopoDS_Shape& Shape);

// The model of a part file this process wrote, while the file is unchanged (same time
// and size); placing a freshly made board then costs no parsing.
std::shared_ptr<const TModelFile> FindWrittenPart(const std::string& Path);
void ForgetWrittenParts();
// The placements of an assembly file this process wrote, while the file is unchanged; the 3D
// view then shows the shapes in memory instead of parsing them back. Null otherwise.
std::shared_ptr<const std::vector<TPlacedModel>> FindWrittenAssembly(const std::string& Path);
// A part or assembly file written under a temporary name and renamed keeps its remembered model.
void MoveWrittenPart(const std::string& From, const std::string& To);

// Writes every file through OpenCASCADE's translator instead of the host's own writer
// (comparisons and benchmarks).
void UseTranslatorForWriting(bool Translator);

}  // namespace corvane
