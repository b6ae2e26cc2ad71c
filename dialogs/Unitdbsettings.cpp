#include "Unitdbsettings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ControlTexts.h"
#include "DBManagerLogic.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Skin.h"

TFormDBSettings::TFormDBSettings(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  TabSecurity = new QWidget;
  TabSecurity->setObjectName("TabSecurity");
  PageControl->addTab(TabSecurity, QString());
  GBPasswordCheck = new QGroupBox(TabSecurity);
  GBPasswordCheck->setObjectName("GBPasswordCheck");
  CBPasswordEnable = new QCheckBox(GBPasswordCheck);
  CBPasswordEnable->setObjectName("CBPasswordEnable");
  LbPassword = new QLabel(GBPasswordCheck);
  LbPassword->setObjectName("LbPassword");
  EdPassword = new QLineEdit(GBPasswordCheck);
  EdPassword->setObjectName("EdPassword");
  EdPassword->setEchoMode(QLineEdit::Password);
  LbPassword->setBuddy(EdPassword);
  LbConfirm = new QLabel(GBPasswordCheck);
  LbConfirm->setObjectName("LbConfirm");
  EdConfirm = new QLineEdit(GBPasswordCheck);
  EdConfirm->setObjectName("EdConfirm");
  EdConfirm->setEchoMode(QLineEdit::Password);
  LbConfirm->setBuddy(EdConfirm);
  LbPasswordNote = new QLabel(TabSecurity);
  LbPasswordNote->setObjectName("LbPasswordNote");
  LbPasswordNote->setWordWrap(true);
  BtOK = new QPushButton(this);
  BtOK->setObjectName("BtOK");
  BtOK->setDefault(true);
  BtCancel = new QPushButton(this);
  BtCancel->setObjectName("BtCancel");
  FMismatch = "Password and Confirm not equal!";
  ApplyTexts({
      {CaptionOf(this), 16000, "DataBase Settings"},
      {TabOf(PageControl, 0), 16001, "Security"},
      {CaptionOf(GBPasswordCheck), 16002, "Password Check"},
      {CaptionOf(CBPasswordEnable), 16003, "Enabled"},
      {CaptionOf(LbPassword), 16004, "Password"},
      {CaptionOf(LbConfirm), 16005, "Confirm"},
      {Store(&FMismatch), 16006},
      {CaptionOf(BtOK), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
      {CaptionOf(LbPasswordNote), 24140,
       "The password keeps other people who use this computer from opening this database in "
       "Pardow; it does not encrypt the file."},
  });

  auto* fields = new QFormLayout;
  fields->addRow(LbPassword, EdPassword);
  fields->addRow(LbConfirm, EdConfirm);
  auto* group = new QVBoxLayout(GBPasswordCheck);
  group->addWidget(CBPasswordEnable);
  group->addLayout(fields);
  auto* tab = new QVBoxLayout(TabSecurity);
  tab->addWidget(GBPasswordCheck);
  tab->addWidget(LbPasswordNote);
  tab->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtOK);
  buttons->addWidget(BtCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl);
  layout->addLayout(buttons);
  LbPasswordNote->setMinimumWidth(300);
  EdPassword->setMinimumWidth(180);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(CBPasswordEnable, &QCheckBox::clicked, this, &TFormDBSettings::CBPasswordEnableClick);
  connect(BtOK, &QPushButton::clicked, this, &TFormDBSettings::BtOKClick);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  ApplyControlIcons(this);
}

bool TFormDBSettings::Execute(CDataBase& database) {
  if (!database.IsOpened()) return false;
  FDataBase = &database;
  // The boxes start with the stored password, so that OK without a change
  // keeps it.
  const QString stored = StoredToQString(database.GetPassword());
  CBPasswordEnable->setChecked(!stored.isEmpty());
  EdPassword->setText(stored);
  EdConfirm->setText(stored);
  CBPasswordEnableClick();
  PageControl->setCurrentIndex(0);
  const bool changed = exec() == QDialog::Accepted;
  FDataBase = nullptr;
  return changed;
}

void TFormDBSettings::CBPasswordEnableClick() {
  EdPassword->setEnabled(CBPasswordEnable->isChecked());
  EdConfirm->setEnabled(CBPasswordEnable->isChecked());
}

void TFormDBSettings::BtOKClick() {
  const std::string password = QStringToStored(EdPassword->text());
  std::string text;
  switch (
      DecidePassword(CBPasswordEnable->isChecked(), password, QStringToStored(EdConfirm->text()))) {
    case TPasswordChoice::kMismatch:
      ShowMessage(FMismatch);
      return;
    case TPasswordChoice::kEmpty:
      ShowMessage(GetLocalizedText(24141,
                                   "Type the password in both boxes, or uncheck Enabled to "
                                   "remove the password."));
      return;
    case TPasswordChoice::kStore:
      text = password;
      break;
    case TPasswordChoice::kRemove:
      break;
  }
  if (FDataBase->SetPassword(text)) {
    accept();
    return;
  }
  const std::string reason = FDataBase->GetLastWriteError();
  if (reason.empty()) {
    // Refused before anything was written: this password cannot be kept whole.
    ShowMessage(GetLocalizedText(24142, "This password can't be stored; please choose another."));
  } else {
    ShowNotStored(reason);
  }
}
