#include "Unitpasswordcheck.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Skin.h"

TFormPasswordCheck::TFormPasswordCheck(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  LbFileName = new QLabel(this);
  LbFileName->setObjectName("LbFileName");
  QFont bold = LbFileName->font();
  bold.setBold(true);
  LbFileName->setFont(bold);
  LbPassword = new QLabel(this);
  LbPassword->setObjectName("LbPassword");
  EdPassword = new QLineEdit(this);
  EdPassword->setObjectName("EdPassword");
  EdPassword->setEchoMode(QLineEdit::Password);
  EdPassword->setMinimumWidth(220);
  LbPassword->setBuddy(EdPassword);
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;
  ApplyTexts({
      {CaptionOf(this), 15000, "Enter Password"},
      {CaptionOf(LbPassword), 15001, "Password:"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LbFileName);
  layout->addWidget(LbPassword);
  layout->addWidget(EdPassword);
  layout->addLayout(okCancel.row);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormPasswordCheck::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  EdPassword->setFocus();
}

bool TFormPasswordCheck::Execute(const std::string& fileName, std::string& password) {
  LbFileName->setText(QFileInfo(Q(fileName)).fileName());
  LbFileName->setToolTip(Q(fileName));
  EdPassword->clear();
  if (exec() != QDialog::Accepted) return false;
  password = QStringToStored(EdPassword->text());
  return true;
}

bool TFormPasswordCheck::Unlock(QWidget* parent, CDataBase& database,
                                const std::string& invalidText) {
  const std::string stored = database.GetPassword();
  if (stored.empty()) return true;
  TFormPasswordCheck prompt(parent);
  std::string answer;
  while (prompt.Execute(database.GetFileName(), answer)) {
    if (answer == stored) return true;
    ShowMessage(invalidText);
  }
  return false;
}
