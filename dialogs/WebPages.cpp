#include "WebPages.h"

#include <QDesktopServices>
#include <QDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "Include.h"
#include "Platform.h"

namespace {

TWebPageHook& Hook() {
  static TWebPageHook hook;
  return hook;
}

void ReportNotOpened(const QUrl& url) {
  ShowMessage(GetLocalizedText(24145, "The page could not be opened in a web browser:") + "\n" +
              url.toString().toStdString() + "\n\n" +
              GetLocalizedText(30205, "No web browser could open it."));
}

// xdg-open starts whatever the desktop opens web pages with; it reports
// "no browser" only through its exit code, so it is watched to the end
// instead of being started and forgotten. It may run as long as the
// browser it started: the process is left to end on its own.
bool StartXdgOpen(const QUrl& url) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (program.isEmpty()) return false;
  auto* process = new QProcess;
  process->setProgram(program);
  process->setArguments({url.toString(QUrl::FullyEncoded)});
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(process, &QProcess::finished, process,
                   [process, url](int code, QProcess::ExitStatus status) {
                     if (status != QProcess::NormalExit || code != 0) ReportNotOpened(url);
                     process->deleteLater();
                   });
  QObject::connect(process, &QProcess::errorOccurred, process,
                   [process, url](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     ReportNotOpened(url);
                     process->deleteLater();
                   });
  process->start();
  return true;
}

}  // namespace

void OpenWebPage(const QUrl& url) {
  if (Hook()) {
    if (!Hook()(url)) ReportNotOpened(url);
    return;
  }
  if (StartXdgOpen(url)) return;
  if (!QDesktopServices::openUrl(url)) ReportNotOpened(url);
}

QWidget* OpenUserGuide(const std::string& programFolder, QWidget* parent) {
  const std::string path = programFolder + "docs/guide.html";
  if (!FileExists(path)) {
    ShowMessage(GetLocalizedText(24144, "The user guide was not found. It was looked for at:") +
                "\n" + path);
    return nullptr;
  }
  // Shown in a window of the program's own, beside the main window, so that
  // it can be read on a computer without a web browser; web links in it
  // still go to the browser.
  auto* window = new QDialog(parent, Qt::Window);
  window->setObjectName("GuideWindow");
  window->setAttribute(Qt::WA_DeleteOnClose);
  auto* browser = new QTextBrowser(window);
  browser->setObjectName("GuideBrowser");
  browser->setOpenExternalLinks(true);
  browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  window->setWindowTitle(browser->documentTitle());
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->resize(760, 640);
  window->show();
  return window;
}

void SetWebPageHook(TWebPageHook hook) {
  Hook() = std::move(hook);
}
