// pardow: the desktop program.
//
//   pardow [FILE.vlt] [--screenshot FILE.png]
//   pardow --help | --version
//
// FILE.vlt is opened instead of the database opened last (a file manager and
// the desktop entry call the program this way). With --screenshot the program starts as usual,
// opens the last database, waits until the window says it is ready, saves a picture of the main
// window and closes it the normal way (its state stored, the log completed).
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "DialogKit.h"
#include "Icons.h"
#include "Mainlogic.h"
#include "Unitmain.h"

namespace {

// Shows an exception that escapes an event handler instead of ending the
// program without a word.
class CApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      QMessageBox::critical(activeWindow(), QStringLiteral("Pardow"), QString::fromUtf8(e.what()));
    }
    return false;
  }
};

// Saves a picture of `form` once it has finished its start-up, then closes it.
void TakeScreenshot(TFormMain& form, const QString& file) {
  auto* timer = new QTimer(&form);
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, &form, [&form, file, timer, waited] {
    const QString status = form.StatusText();
    const bool ready = status == QString::fromUtf8(form.Text(kTextReady).c_str()) ||
                       status == QString::fromUtf8(form.Text(kTextNoFile).c_str());
    if (!ready && ++*waited < 600) return;
    timer->stop();
    if (!form.grab().save(file)) std::cerr << "pardow: cannot write " << file.toStdString() << "\n";
    form.close();
  });
  timer->start(100);
}

}  // namespace

int main(int argc, char** argv) {
  const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case TCommandLine::kHelp:
      std::cout << CommandLineUsage();
      return 0;
    case TCommandLine::kVersion:
      std::cout << "Pardow " << ProgramVersion() << "\n";
      return 0;
    case TCommandLine::kError:
      std::cerr << "pardow: " << line.error << "\n" << CommandLineUsage();
      return 2;
    case TCommandLine::kRun:
      break;
  }
  CApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pardow"));
  // The window's icon, and the desktop entry (pardow.desktop) that a
  // Wayland desktop matches the window with.
  QApplication::setWindowIcon(ApplicationIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("pardow"));
  const QString screenshot = QString::fromLocal8Bit(line.screenshot.c_str());
  if (screenshot.isEmpty()) {
    InstallMessageBoxes();
  } else {
    // Nobody is at the screen while a picture is taken: every question (the
    // update reminder among them) is answered No.
    SetConfirmationHook(
        [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::No; });
  }
  try {
    TFormMain form;
    // A relative name means the folder the program was started from.
    if (!line.file.empty())
      form.SetStartFile(
          QFileInfo(QString::fromLocal8Bit(line.file.c_str())).absoluteFilePath().toStdString());
    form.SetManagerWhenLastIsMissing(screenshot.isEmpty());
    form.show();
    if (!screenshot.isEmpty()) TakeScreenshot(form, screenshot);
    return app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QStringLiteral("Pardow"), QString::fromUtf8(e.what()));
    return 1;
  }
}
