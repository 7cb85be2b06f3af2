// Grabs every page of the import dialog and both editors to PNG files, to look at the layout:
//   QT_QPA_PLATFORM=offscreen [QT_SCALE_FACTOR=2] ui_grab_pages OUTDIR [BOARD]
// Settings come from an empty store, so every option shows its default.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <iostream>

#include "app/CorvaneIdfCommandLauncher.h"
#include "ui/ImportWindow.h"
#include "ui/QtFrontEnd.h"

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
  const std::string board = argc > 2 ? argv[2] : std::string(IDF_SAMPLES "/sample.emn");
  ui::TQtSession session(argc, argv);
  QDir().mkpath(out);
  session.Platform().PresetBoard = board;
  TLaunchSetup setup;
  setup.Medium = std::make_shared<TRegistryMemoryMedium>();
  setup.BeforeShow = [&](TCorvaneIdfImport& d) {
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
      w->close();
    });
  };
  setup.AfterShow = [&](TCorvaneIdfImport& d) { session.CloseWindow(d); };
  RunIdfImport(false, setup);
  return 0;
}
