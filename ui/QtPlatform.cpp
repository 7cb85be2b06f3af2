#include "ui/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <cmath>

#include "ui/HelpWindow.h"

namespace ui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

// "Line one\n\rLine two" and "\r\n" breaks as plain line feeds.
QString DisplayText(const std::string& text) {
  QString t = Q(text);
  t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t.trimmed();
}
}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // Qt reads the patterns from a trailing "(...)": the description's own one would win.
    description.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    out << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return out;
}

QString QtSelectedFilter(const std::string& filter, int filterIndex) {
  const QStringList filters = QtNameFilters(filter);
  if (filters.isEmpty()) return {};
  const int i = filterIndex <= 1 ? 0 : filterIndex - 1;
  return filters.value(i, filters.first());
}

bool TQtPlatform::FileDialog(platform::TFileDialogRequest& request) {
  if (!PresetBoard.empty() && !request.Save && request.Title == "Select IDF Board file") {
    request.FileName = PresetBoard;
    PresetBoard.clear();
    return true;
  }
  QFileDialog dlg(QApplication::activeWindow(), Q(request.Title));
  // One look on every desktop, and a dialog the tests can drive.
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  // The callers ask their own overwrite question where they have one.
  dlg.setOption(QFileDialog::DontConfirmOverwrite);
  dlg.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtNameFilters(request.Filter);
  if (!filters.isEmpty()) {
    dlg.setNameFilters(filters);
    dlg.selectNameFilter(QtSelectedFilter(request.Filter, request.FilterIndex));
  }
  if (!request.DefaultExt.empty()) dlg.setDefaultSuffix(Q(request.DefaultExt).remove(QLatin1Char('.')));
  if (!request.InitialDir.empty()) dlg.setDirectory(Q(request.InitialDir));
  if (!request.FileName.empty()) dlg.selectFile(Q(request.FileName));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  request.FileName = dlg.selectedFiles().first().toStdString();
  return true;
}

std::string TQtPlatform::SelectFolder(const std::string& caption, const std::string& startFolder) {
  QFileDialog dlg(QApplication::activeWindow(), Q(caption));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::ShowDirsOnly);
  dlg.setFileMode(QFileDialog::Directory);
  if (!startFolder.empty()) dlg.setDirectory(Q(startFolder));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().first().toStdString();
}

bool TQtPlatform::SelectColour(int& colour) {
  // Colour values hold red in the low byte.
  const QColor start(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  const QColor c =
      QColorDialog::getColor(start, QApplication::activeWindow(), QString(), QColorDialog::DontUseNativeDialog);
  if (!c.isValid()) return false;
  colour = c.red() | (c.green() << 8) | (c.blue() << 16);
  return true;
}

int TQtPlatform::MessageDlg(const std::string& text, platform::TMsgDlgType kind, platform::TMsgDlgButtons buttons) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title = AppTitle;
  switch (kind) {
    case platform::TMsgDlgType::mtWarning:
      icon = QMessageBox::Warning;
      title = QStringLiteral("Warning");
      break;
    case platform::TMsgDlgType::mtError:
      icon = QMessageBox::Critical;
      title = QStringLiteral("Error");
      break;
    case platform::TMsgDlgType::mtInformation:
      icon = QMessageBox::Information;
      title = QStringLiteral("Information");
      break;
    case platform::TMsgDlgType::mtConfirmation:
      icon = QMessageBox::Question;
      title = QStringLiteral("Confirm");
      break;
    case platform::TMsgDlgType::mtCustom: break;
  }
  struct TMap {
    platform::TMsgDlgBtn Ours;
    QMessageBox::StandardButton Qt;
    int Result;
  };
  static const TMap kButtons[] = {
      {platform::mbYes, QMessageBox::Yes, platform::mrYes},
      {platform::mbNo, QMessageBox::No, platform::mrNo},
      {platform::mbOK, QMessageBox::Ok, platform::mrOk},
      {platform::mbCancel, QMessageBox::Cancel, platform::mrCancel},
      {platform::mbAbort, QMessageBox::Abort, platform::mrAbort},
      {platform::mbRetry, QMessageBox::Retry, platform::mrRetry},
      {platform::mbIgnore, QMessageBox::Ignore, platform::mrIgnore},
  };
  QMessageBox box(icon, title, DisplayText(text), QMessageBox::NoButton, QApplication::activeWindow());
  for (const TMap& m : kButtons)
    if (buttons & m.Ours) box.addButton(m.Qt);
  if (box.buttons().isEmpty()) box.addButton(QMessageBox::Ok);
  box.exec();
  const auto* clicked = box.clickedButton();
  for (const TMap& m : kButtons)
    if (clicked && box.standardButton(const_cast<QAbstractButton*>(clicked)) == m.Qt) return m.Result;
  // Closed by Escape or the window's close box: the box's cancel answer.
  if (buttons & platform::mbCancel) return platform::mrCancel;
  if (buttons & platform::mbNo) return platform::mrNo;
  return platform::mrCancel;
}

void TQtPlatform::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, AppTitle, DisplayText(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool TQtPlatform::HasClipboard() { return QGuiApplication::clipboard() != nullptr; }

void TQtPlatform::SetClipboardText(const std::string& text) {
  if (QClipboard* c = QGuiApplication::clipboard()) c->setText(Q(text));
}

std::string TQtPlatform::GetClipboardText() {
  QClipboard* c = QGuiApplication::clipboard();
  return c ? c->text().toStdString() : std::string();
}

bool TQtPlatform::ShowHelp(const std::string& helpFile, const std::string& topic, int context) {
  return THelpWindow::Instance().Open(helpFile, topic, context);
}

void TQtPlatform::CloseHelp() { THelpWindow::CloseIfOpen(); }

void TQtPlatform::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int TQtPlatform::ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

}  // namespace ui
