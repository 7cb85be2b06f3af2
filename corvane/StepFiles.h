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

struct TModelFile {
  std::string Name;
  TopoDS_Shape Shape;  // centimetres
  int32_t Color = -1;  // 0x00BBGGRR, -1 for none
};

struct TPlacedModel {
  std::shared_ptr<const TModelFile> Model;
  gp_Trsf Placement;  // centimetres
  int32_t Color = -1;
};

void WritePartFile(const std::string& Path, const TModelFile& Part);
// Each distinct model is written once, with one instance per placement.
void WriteAssemblyFile(const std::string& Path, const std::string& Name, const std::vector<TPlacedModel>& Placements);
// Reads any STEP file as one model; several roots come back as one compound.
std::shared_ptr<TModelFile> ReadModelFile(const std::string& Path);

// The model of a part file this process wrote, while the file is unchanged (same time
// and size); placing a freshly made board then costs no parsing.
std::shared_ptr<const TModelFile> FindWrittenPart(const std::string& Path);
void ForgetWrittenParts();
// A part file written under a temporary name and renamed keeps its remembered model.
void MoveWrittenPart(const std::string& From, const std::string& To);

}  // namespace corvane
