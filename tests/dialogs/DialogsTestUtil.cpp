#include "DialogsTestUtil.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <cmath>

#include "Platform.h"

CMessages::CMessages() {
  SetMessageHook([this](const std::string& text) { texts.push_back(text); });
}
CMessages::~CMessages() {
  SetMessageHook({});
}

CTestBase::CTestBase() {
  db.Create(dir.filePath("test.vlt").toStdString());
  CAccountItem account;
  account.name = "Bank";
  account.record.currencyId = dollar;
  bank = db.AddAccount(account);
  account.name = "Savings";
  account.record.currencyId = euro;
  savings = db.AddAccount(account);
  db.SetExchangeRate(dollar, euro, 0.8);
}

std::uint32_t CTestBase::AddSubType(const std::string& name, std::uint32_t parent) {
  CSubTypeItem item;
  item.name = name;
  item.record.parentId = parent;
  return db.AddSubType(item);
}

std::uint32_t CTestBase::AddExpense(const std::string& description, double amount, float quantity) {
  CTransactionItem item;
  item.description = description;
  item.record.date = EncodeDate(2007, 4, 1);
  item.record.fromAccount = cash;
  item.record.amountOut = item.record.amountIn = M(amount);
  item.record.quantity = quantity;
  return db.AddTransaction(item);
}

std::vector<CTransactionItem> CTestBase::Transactions() {
  std::vector<CTransactionItem> items;
  for (std::uint32_t id = 101; id < 400; ++id) {
    CTransactionItem item;
    if (db.GetTransaction(id, item).id != 0) items.push_back(item);
  }
  return items;
}

Money M(double units) {
  return std::llround(units * 10000);
}

QRgb StripColor(int strip) {
  return qRgb(20 * strip, 255 - 20 * strip, 100 + strip);
}

const QPixmap& LinesImage() {
  static const QPixmap image = [] {
    QPixmap pixmap(192, 200);
    QPainter painter(&pixmap);
    for (int k = 0; k < 10; ++k) painter.fillRect(0, k * 20, 192, 20, QColor(StripColor(k)));
    return pixmap;
  }();
  return image;
}

void OnModal(std::function<void(QWidget*)> action, QWidget* outer) {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, action, outer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != outer && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    } else if (++*ticks > 500) {
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
