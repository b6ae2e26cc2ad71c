#include "WindowDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <memory>

void OnModal(std::function<void(QWidget*)> action, QWidget* outer, int timeoutMs) {
  constexpr int kTick = 10;
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  timer->setInterval(kTick);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, action, outer, timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != outer && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    } else if (++*ticks * kTick > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal window showed";
    }
  });
  timer->start();
}

void TypeInto(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClicks(box, text);
}

// Near the left edge: a radio button takes clicks on its mark and text only.
void Click(QWidget* button) {
  QTest::mouseClick(button, Qt::LeftButton, {},
                    QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
  const QPoint pos = tree->visualItemRect(item).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, pos);
}
