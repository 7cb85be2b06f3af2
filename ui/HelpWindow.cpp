#include "ui/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextStream>
#include <QVBoxLayout>

#include "import/IdfImportV4_XE2.h"

namespace ui {

QPointer<THelpWindow> THelpWindow::sInstance;

std::map<int, QString> ReadContextMap(const QString& file) {
  std::map<int, QString> map;
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return map;
  QTextStream in(&f);
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) continue;
    bool ok = false;
    const int number = line.left(eq).trimmed().toInt(&ok);
    if (ok) map.emplace(number, line.mid(eq + 1).trimmed());  // the first entry of a number wins
  }
  return map;
}

QUrl HelpTarget(const std::string& helpFile, const std::string& topic, int context) {
  const QString folder = QString::fromStdString(FindHelpSetFolder(helpFile));
  if (folder.isEmpty()) return {};
  if (!topic.empty()) {
    const QString page = folder + QString::fromStdString(topic) + QStringLiteral(".html");
    return QFileInfo::exists(page) ? QUrl::fromLocalFile(page) : QUrl();
  }
  const std::map<int, QString> map = ReadContextMap(folder + QStringLiteral("context.map"));
  auto it = map.find(context);
  if (it == map.end()) it = map.find(1000);
  if (it == map.end()) return QUrl::fromLocalFile(folder + QStringLiteral("index.html"));
  const QString target = it->second;
  const int hash = target.indexOf(QLatin1Char('#'));
  QUrl url = QUrl::fromLocalFile(folder + (hash < 0 ? target : target.left(hash)));
  if (hash >= 0) url.setFragment(target.mid(hash + 1));
  return url;
}

THelpWindow& THelpWindow::Instance() {
  if (!sInstance) {
    sInstance = new THelpWindow;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, sInstance.data(), &QObject::deleteLater);
  }
  return *sInstance;
}

void THelpWindow::CloseIfOpen() {
  if (sInstance) sInstance->hide();
}

THelpWindow::THelpWindow() : fBrowser(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Corvane IDF Help"));
  setObjectName(QStringLiteral("HelpWindow"));
  fBrowser->setOpenExternalLinks(true);
  auto* back = new QPushButton(QStringLiteral("&Back"), this);
  auto* forward = new QPushButton(QStringLiteral("&Forward"), this);
  auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
  connect(back, &QPushButton::clicked, fBrowser, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, fBrowser, &QTextBrowser::forward);
  connect(contents, &QPushButton::clicked, this,
          [this] { fBrowser->setSource(fBrowser->source().resolved(QUrl(QStringLiteral("index.html")))); });
  connect(fBrowser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(fBrowser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(fBrowser);
  resize(720, 560);
}

bool THelpWindow::Open(const std::string& helpFile, const std::string& topic, int context) {
  const QUrl url = HelpTarget(helpFile, topic, context);
  if (url.isEmpty()) return false;
  fBrowser->setSource(url);
  show();
  raise();
  activateWindow();
  return true;
}

QUrl THelpWindow::CurrentUrl() const { return fBrowser->source(); }

}  // namespace ui
