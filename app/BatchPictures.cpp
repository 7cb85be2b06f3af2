#include "app/BatchPictures.h"

#include <charconv>
#include <exception>
#include <string_view>

#include "CommonObjects/IdfEnums.h"

#ifdef CORVANE_IDF_WITH_PREVIEW
#include "preview/BoardPreviewRenderer.h"
#endif
#ifdef CORVANE_IDF_WITH_MODEL_VIEW
#include "corvane/AssemblyView.h"
#endif

namespace {
bool ParseSize(const std::string& text, int& w, int& h) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  const char* end = text.data() + text.size();
  auto a = std::from_chars(text.data(), text.data() + x, w);
  auto b = std::from_chars(text.data() + x + 1, end, h);
  return a.ec == std::errc() && a.ptr == text.data() + x && b.ec == std::errc() && b.ptr == end;
}
constexpr int kMinSide = 16, kMaxSide = 16384;
}  // namespace

std::string CheckPictureSize(const std::string& text) {
  int w = 0, h = 0;
  if (!ParseSize(text, w, h) || w < kMinSide || h < kMinSide || w > kMaxSide || h > kMaxSide)
    return "--preview-size takes WIDTHxHEIGHT in pixels (16 to 16384), not '" + text + "'";
  return {};
}

std::string CheckPictures(const TBatchPictures& pictures) {
  if (!pictures.TopViewSize.empty() && pictures.TopView.empty()) return "--preview-size needs --preview";
  if (pictures.Model.empty()) return {};
  const std::string& m = pictures.Model;
  if (m.size() < 4 || !SameTextAscii(std::string_view(m).substr(m.size() - 4), ".png"))
    return "--preview-3d: the picture's name must end in .png, not '" + m + "'";
#ifdef CORVANE_IDF_WITH_MODEL_VIEW
  if (auto why = corvane::ModelViewUnavailableReason(); !why.empty()) return "--preview-3d: " + why;
  return {};
#else
  return "--preview-3d: this program is built without the 3D viewer";
#endif
}

std::string WriteTopViewPicture([[maybe_unused]] TIdfImportFormV4_XE2& dialog,
                                [[maybe_unused]] const TBatchPictures& pictures) {
#ifdef CORVANE_IDF_WITH_PREVIEW
  int w = 0, h = 0;
  if (!pictures.TopViewSize.empty()) ParseSize(pictures.TopViewSize, w, h);
  try {
    preview::WriteBoardPreview(BuildBoardPreviewScene(dialog), pictures.TopView, QSize(w, h));
    return {};
  } catch (const std::exception& e) {
    return std::string("--preview: ") + e.what();
  }
#else
  return "--preview: this program is built without Qt";
#endif
}

std::string WriteModelPicture([[maybe_unused]] const std::string& assemblyFile,
                              [[maybe_unused]] const TBatchPictures& pictures) {
#ifdef CORVANE_IDF_WITH_MODEL_VIEW
  try {
    corvane::WriteAssemblyPicture(assemblyFile, pictures.Model, 1280, 960);
    return {};
  } catch (const std::exception& e) {
    return std::string("--preview-3d: ") + e.what();
  }
#else
  return "--preview-3d: this program is built without the 3D viewer";
#endif
}
