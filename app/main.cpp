// pardow: the desktop program.
//
//   pardow [--screenshot FILE.png]
//
// With --screenshot the program starts as usual, opens the last database,
// waits until the window says it is ready, saves a picture of the main window
// and closes it the normal way (its state stored, the log completed).
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>

#include "Enginetexts.h"
#include "Platform.h"
#include "Textcodec.h"
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
  QString screenshot;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = QString::fromLocal8Bit(argv[i + 1]);
  CApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pardow"));
  if (screenshot.isEmpty()) {
    SetMessageHook([](const std::string& text) {
      QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Pardow"),
                               StoredToQString(LocalizeEngineMessage(text)));
    });
  }
  try {
    TFormMain form;
    form.show();
    if (!screenshot.isEmpty()) TakeScreenshot(form, screenshot);
    return app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QStringLiteral("Pardow"), QString::fromUtf8(e.what()));
    return 1;
  }
}
