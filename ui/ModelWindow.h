#pragma once
// The 3D view of an assembly the dialog wrote, in a window of its own with the standard views.
#include <functional>
#include <string>

class QWidget;

namespace ui {

// Whether this program can show a 3D view here: built with the viewer, on an X display with
// OpenGL. Without it the dialog offers no "Show Model".
bool ModelViewAvailable();

// Opens the model window over owner (or brings it back) showing the file as it is now; a file
// the view cannot read is reported in a message box. help runs on its Help button and F1.
void ShowModelWindow(QWidget* owner, const std::string& file, std::function<void()> help = {});

}  // namespace ui
