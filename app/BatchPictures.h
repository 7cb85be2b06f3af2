#pragma once
// The pictures a batch run writes on request: the top view of the loaded board
// (`--preview FILE.svg|FILE.png [--preview-size WxH]`) and an isometric view of the written
// assembly (`--preview-3d FILE.png`).
#include <string>

class TIdfImportFormV4_XE2;

struct TBatchPictures {
  std::string TopView, TopViewSize, Model;
  bool Any() const { return !TopView.empty() || !Model.empty(); }
};

// Empty when the text is WxH with both sides between 16 and 16384 pixels, else the complaint.
std::string CheckPictureSize(const std::string& text);
// Empty when the pictures asked for can be made here, else why not; checked before the build
// so that a run never builds for minutes to fail at its last step.
std::string CheckPictures(const TBatchPictures& pictures);
// Each returns an empty text when the picture was written, else why not.
std::string WriteTopViewPicture(TIdfImportFormV4_XE2& dialog, const TBatchPictures& pictures);
std::string WriteModelPicture(const std::string& assemblyFile, const TBatchPictures& pictures);
