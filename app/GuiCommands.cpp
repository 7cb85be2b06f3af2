#include "app/GuiCommands.h"

#include <filesystem>

#include "app/CorvaneIdfCommandLauncher.h"
#include "ui/QtFrontEnd.h"

int RunImportWindow(int& argc, char** argv, const std::string& board) {
  ui::TQtSession session(argc, argv);
  // A relative name means the folder the command was given in.
  session.Platform().PresetBoard = board.empty() ? board : std::filesystem::absolute(board).string();
  TLaunchSetup setup;
  setup.BeforeShow = [&session](TCorvaneIdfImport& d) { session.OpenWindow(d); };
  setup.AfterShow = [&session](TCorvaneIdfImport& d) { session.CloseWindow(d); };
  RunIdfImport(false, setup);
  return 0;
}

int RunAboutWindow(int& argc, char** argv) {
  ui::TQtSession session(argc, argv);
  RunIdfImport(true);
  return 0;
}
