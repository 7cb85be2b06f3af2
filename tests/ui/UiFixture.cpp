#include "tests/ui/UiFixture.h"

#include <fstream>

#ifdef IDF_TESTS_WITH_OCCT
#include "corvane/CorvaneServer.h"
#endif

namespace {
int gArgc = 1;
char gName[] = "ui_tests";
char* gArgv[] = {gName, nullptr};
}  // namespace

std::string CopySample(const TTempDir& dir) {
  for (const char* ext : {".emn", ".emp"})
    dir.Write(std::string("sample") + ext, ReadFileBytes(SamplesDir() + "sample" + ext));
  return dir.Path() + "sample.emn";
}

bool RegisterHost() {
#ifdef IDF_TESTS_WITH_OCCT
  corvane::RegisterCorvaneServer();
  return true;
#else
  return false;
#endif
}

void UiWindowTest::SetUp() {
  board = CopySample(dir);
  session = std::make_unique<ui::TQtSession>(gArgc, gArgv);
  session->Platform().PresetBoard = board;
  store = std::make_unique<TGetInfoFromRegistry>(std::make_shared<TRegistryMemoryMedium>());
  store->SetKey("Corvane\\IDF");
  d = std::make_unique<TCorvaneIdfImport>();
  d->FReg = store.get();
  d->FAssyExt = ".CV_ASM";
  d->FPartExt = ".CV_PRT";
  d->FHelpFileName = d->FHelpFile = IDF_HELP_SET ".chm";
  d->AssignCommonSettings("Corvane VAV Arizede");
  window = std::make_unique<ui::TImportWindow>(*d);
  window->show();
  window->activateWindow();
  d->Showing = true;
  window->Binder().Run([this] { d->ImportFormShow(); });
  ASSERT_TRUE(d->FFilesLoaded);
}

void UiWindowTest::TearDown() {
  window->Detach();
  window.reset();
  d.reset();
  session.reset();
}
