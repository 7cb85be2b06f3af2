// Grabs every page of the import dialog and both editors to PNG files, to look at the layout:
//   QT_QPA_PLATFORM=offscreen [QT_SCALE_FACTOR=2] ui_grab_pages OUTDIR [BOARD]
// On an X display (xvfb-run -s -noreset) it also grabs the 3D view after the build.
// Settings come from an empty store, so every option shows its default.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>

#include "app/CorvaneIdfCommandLauncher.h"
#include "ui/HelpWindow.h"
#include "ui/ImportWindow.h"
#include "ui/ModelWindow.h"
#include "ui/QtFrontEnd.h"
#ifdef IDF_GRAB_WITH_HOST
#include "corvane/CorvaneServer.h"
#endif

namespace {
void Save(QWidget* w, const QString& file) {
  w->grab().save(file);
  std::cout << file.toStdString() << "  " << w->width() << "x" << w->height() << "\n";
}

// Grabs the modal editor that the click opens, then cancels it.
void GrabEditor(ui::TImportWindow& w, controls::TButton& button, const QString& file) {
  QTimer::singleShot(300, [file] {
    QWidget* editor = QApplication::activeModalWidget();
    if (!editor) return;
    Save(editor, file);
    editor->close();
  });
  w.Binder().Run([&button] { button.Click(); });
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: ui_grab_pages OUTDIR [BOARD]\n";
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  ui::TQtSession session(argc, argv);
#ifdef IDF_GRAB_WITH_HOST
  corvane::RegisterCorvaneServer();
#endif
  // The build writes beside the board: the sample goes to a folder of its own.
  QTemporaryDir work;
  std::string board = argc > 2 ? argv[2] : std::string();
  if (board.empty()) {
    for (const char* ext : {".emn", ".emp"})
      QFile::copy(QStringLiteral(IDF_SAMPLES "/sample") + QLatin1String(ext),
                  work.filePath(QStringLiteral("sample")) + QLatin1String(ext));
    board = work.filePath(QStringLiteral("sample.emn")).toStdString();
  }
  QDir().mkpath(out);
  session.Platform().PresetBoard = board;
  TLaunchSetup setup;
  setup.Medium = std::make_shared<TRegistryMemoryMedium>();
  setup.BeforeShow = [&](TCorvaneIdfImport& d) {
    d.FHelpFileName = d.FHelpFile = IDF_HELP_SET ".chm";  // the help set of the source tree
    session.OpenWindow(d);
    QTimer::singleShot(500, [&d, out] {
      ui::TImportWindow* w = ui::TImportWindow::Of(d);
      QTabWidget* pages = w->Pages();
      for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        for (int k = 0; k < 5; ++k) QApplication::processEvents();
        Save(w, QStringLiteral("%1/page%2_%3.png").arg(out).arg(i).arg(pages->widget(i)->objectName()));
      }
      pages->setCurrentIndex(1);
      QApplication::processEvents();
      d.UseLibParts.Checked = true;
      d.UseXrefCheckbox.Checked = true;
      d.UpdateUseLibPartsAndUseXref();
      GrabEditor(*w, d.LibSearchPathButton, out + QStringLiteral("/editor_searchpath.png"));
      GrabEditor(*w, d.EditXrefButton, out + QStringLiteral("/editor_xref.png"));
      // The help window at the Options tab's hole filter, as F1 on that box opens it.
      ui::THelpWindow::Instance().Open(d.FHelpFileName, "", d.HoleFilterCb.HelpContext);
      QApplication::processEvents();
      Save(&ui::THelpWindow::Instance(), out + QStringLiteral("/help_holefilter.png"));
      ui::THelpWindow::Instance().Open(d.FHelpFileName, "", ui::kPreviewHelpContext);
      QApplication::processEvents();
      Save(&ui::THelpWindow::Instance(), out + QStringLiteral("/help_preview.png"));
      ui::THelpWindow::CloseIfOpen();
      // The window while a build runs (its first event), then the Status tab and message after it.
      auto* during = new QTimer(w);
      QObject::connect(during, &QTimer::timeout, [w, out, during] {
        auto* bar = w->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        if (!bar || bar->value() == 0) return;
        during->stop();
        Save(w, out + QStringLiteral("/building.png"));
        std::cout << "  title while building: " << w->windowTitle().toStdString() << "\n";
      });
      during->start(0);
      QTimer::singleShot(400, [out] {
        if (QWidget* box = QApplication::activeModalWidget()) {
          Save(box, out + QStringLiteral("/advice.png"));
          box->close();
        }
      });
      w->findChild<QPushButton*>(QStringLiteral("ImportButton"))->click();
      Save(w, out + QStringLiteral("/after_build.png"));
      // The 3D view of what the build wrote, where one can be drawn (an X display).
      if (ui::ModelViewAvailable()) {
        w->findChild<QPushButton*>(QStringLiteral("ShowModelButton"))->click();
        if (auto* model = w->findChild<QWidget*>(QStringLiteral("ModelWindow"))) {
          QElapsedTimer shown;
          shown.start();
          while (shown.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
          Save(model, out + QStringLiteral("/model.png"));
          model->close();
        }
      }
      w->close();
    });
  };
  setup.AfterShow = [&](TCorvaneIdfImport& d) { session.CloseWindow(d); };
  RunIdfImport(false, setup);
  return 0;
}
