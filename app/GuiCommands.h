#pragma once
// The desktop commands: the import dialog in a window and the About box.
#include <string>

// `corvane-idf import [BOARD]`: the import dialog; with BOARD the board file dialog is skipped.
int RunImportWindow(int& argc, char** argv, const std::string& board);
// `corvane-idf about`, and the program started from a desktop menu: the About details in a box.
int RunAboutWindow(int& argc, char** argv);
