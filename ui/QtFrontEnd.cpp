#include "ui/QtFrontEnd.h"

#include <QApplication>
#include <QFont>

#include "import/OrderedPaths.h"
#include "import/PartXref.h"
#include "ui/HelpWindow.h"
#include "ui/ImportWindow.h"

namespace ui {

TQtSession::TQtSession(int& argc, char** argv) {
  if (!QApplication::instance()) fApp = std::make_unique<QApplication>(argc, argv);
  QApplication::setApplicationName(QStringLiteral("corvane-idf"));
  // One font everywhere, so the dialog looks the same on every desktop.
  QFont font(QStringLiteral("DejaVu Sans"), 9);
  font.setStyleHint(QFont::SansSerif);
  QApplication::setFont(font);
  fPlatform = std::make_shared<TQtPlatform>();
  fSaved = platform::SetServices(fPlatform);
  InstallModalLoops();
}

TQtSession::~TQtSession() {
  fWindow.reset();
  THelpWindow::CloseIfOpen();
  platform::SetServices(fSaved);
  TIdfImportFormV4_XE2::RunModalLoop = nullptr;
  TSearchPath::RunModalLoop = nullptr;
  TPartXrefForm::RunModalLoop = nullptr;
}

void TQtSession::OpenWindow(TCorvaneIdfImport& dialog) {
  fWindow = std::make_unique<TImportWindow>(dialog);
  fPlatform->AppTitle = QString::fromStdString(dialog.FApptitle);
  fWindow->show();
}

void TQtSession::CloseWindow(TCorvaneIdfImport& dialog) {
  if (fWindow && &fWindow->Form() == &dialog) {
    fWindow->Detach();
    fWindow.reset();
  }
}

}  // namespace ui
