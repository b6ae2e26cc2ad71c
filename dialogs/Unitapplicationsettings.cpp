#include "Unitapplicationsettings.h"

#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <vector>

#include "ApplicationLogic.h"
#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Localizationkit.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Skin.h"

namespace {

constexpr int kDefaultQuickExpenses = 30;

// The folder that holds Lang/.
std::string AppDataFolder() {
  return GetProgramFolders().resources;
}

}  // namespace

TFormApplicationSettings::TFormApplicationSettings(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  GeneralTab = new QWidget;
  GeneralTab->setObjectName("GeneralTab");
  LanguageTab = new QWidget;
  LanguageTab->setObjectName("LanguageTab");
  PageControl->addTab(GeneralTab, QString());
  PageControl->addTab(LanguageTab, QString());
  LbMaxQuickExpenses = new QLabel(GeneralTab);
  LbMaxQuickExpenses->setObjectName("LbMaxQuickExpenses");
  TBQuickExpenses = new QSlider(Qt::Horizontal, GeneralTab);
  TBQuickExpenses->setObjectName("TBQuickExpenses");
  TBQuickExpenses->setRange(kQuickExpensesFirst, kQuickExpensesLast);
  TBQuickExpenses->setPageStep(1);
  TBQuickExpenses->setTickPosition(QSlider::TicksBelow);
  TBQuickExpenses->setTickInterval(1);
  LbQuickExpensesVal = new QLabel(QStringLiteral("10"), GeneralTab);
  LbQuickExpensesVal->setObjectName("LbQuickExpensesVal");
  LbQuickExpensesVal->setMinimumWidth(24);
  LbQuickExpensesVal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  CbEmptyCategories = new QCheckBox(GeneralTab);
  CbEmptyCategories->setObjectName("CbEmptyCategories");
  GBBackups = Named(new QGroupBox(GeneralTab), "GBBackups");
  LbBackupsKept = Named(new QLabel(GBBackups), "LbBackupsKept");
  SpBackupsKept = Named(new QSpinBox(GBBackups), "SpBackupsKept");
  SpBackupsKept->setRange(1, 999);
  LbBackupsSizeLimit = Named(new QLabel(GBBackups), "LbBackupsSizeLimit");
  SpBackupsSizeLimit = Named(new QSpinBox(GBBackups), "SpBackupsSizeLimit");
  SpBackupsSizeLimit->setRange(10, 10'000'000);
  SpBackupsSizeLimit->setSuffix(QStringLiteral(" MB"));
  SpBackupsSizeLimit->setGroupSeparatorShown(true);
  LbBackupsKept->setBuddy(SpBackupsKept);
  LbBackupsSizeLimit->setBuddy(SpBackupsSizeLimit);
  LbBackupFolder = Named(new QLabel(GBBackups), "LbBackupFolder");
  LbBackupFolder->setWordWrap(true);
  LbBackupFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  LanguagesList = new QListWidget(LanguageTab);
  LanguagesList->setObjectName("LanguagesList");
  const TOkCancel okCancel = MakeOkCancel(this);
  BtOk = okCancel.ok;
  BtCancel = okCancel.cancel;
  ApplyTexts({
      {CaptionOf(this), 12000, "Application Settings"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(BtCancel), 2, "Cancel"},
      {TabOf(PageControl, 1), 12001, "Language"},
      {TabOf(PageControl, 0), 12002, "General"},
      {CaptionOf(CbEmptyCategories), 12003, "Show empty categories"},
      {CaptionOf(LbMaxQuickExpenses), 12004, "Maximum quick expense items:"},
      {CaptionOf(GBBackups), 30800, "Automatic backups"},
      {CaptionOf(LbBackupsKept), 30801, "Backups kept per database:"},
      {CaptionOf(LbBackupsSizeLimit), 30802, "Size limit of all backups:"},
  });
  TBQuickExpenses->setValue(10);

  auto* quick = new QHBoxLayout;
  quick->addWidget(TBQuickExpenses, 1);
  quick->addWidget(LbQuickExpensesVal);
  auto* general = new QVBoxLayout(GeneralTab);
  general->addWidget(LbMaxQuickExpenses);
  general->addLayout(quick);
  general->addSpacing(8);
  general->addWidget(CbEmptyCategories);
  general->addSpacing(8);
  auto* backups = new QFormLayout(GBBackups);
  backups->addRow(LbBackupsKept, SpBackupsKept);
  backups->addRow(LbBackupsSizeLimit, SpBackupsSizeLimit);
  backups->addRow(LbBackupFolder);
  general->addWidget(GBBackups);
  general->addStretch();
  auto* languages = new QVBoxLayout(LanguageTab);
  languages->addWidget(LanguagesList);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl, 1);
  layout->addLayout(okCancel.row);
  resize(380, 360);

  connect(TBQuickExpenses, &QSlider::valueChanged, this,
          &TFormApplicationSettings::TBQuickExpensesChange);
  connect(LanguagesList, &QListWidget::itemDoubleClicked, this,
          &TFormApplicationSettings::BtOkClick);
  connect(BtOk, &QPushButton::clicked, this, &TFormApplicationSettings::BtOkClick);
}

bool TFormApplicationSettings::Execute() {
  Settings::CSettingsStorage& settings = GetSettings();
  FLocaleFileName = settings.GetLocaleFileName(Settings::kDefaultLocaleFileName);
  FillLanguages();
  FStoredQuickExpenses = settings.GetMaximumQuickExpenses(kDefaultQuickExpenses);
  TBQuickExpenses->setValue(QuickExpensesPosition(FStoredQuickExpenses));
  TBQuickExpensesChange(TBQuickExpenses->value());
  CbEmptyCategories->setChecked(settings.GetShowEmptyCategories());
  FStoredBackupsKept = settings.GetBackupsKept();
  FStoredBackupsSizeLimit = settings.GetBackupsSizeLimitMb();
  SpBackupsKept->setValue(FStoredBackupsKept);
  SpBackupsSizeLimit->setValue(FStoredBackupsSizeLimit);
  LbBackupFolder->setText(LocalizedText(30803, "Folder: %1").arg(Q(settings.GetBackupFolder())));
  PageControl->setCurrentIndex(0);
  return exec() == QDialog::Accepted;
}

void TFormApplicationSettings::FillLanguages() {
  LanguagesList->clear();
  const QStringList names = QDir(Q(AppDataFolder() + "Lang"))
                                .entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
  std::vector<std::string> entries;
  for (const QString& name : names) {
    entries.push_back(name.toStdString());
    // Each language under its own name; the file name when a file gives none.
    const std::string path = AppDataFolder() + "Lang/" + name.toStdString();
    const QString shown =
        Q(Localization::ReadLanguageFileText(path, Localization::kLanguageNameId));
    auto* item = new QListWidgetItem(shown.isEmpty() ? name : shown, LanguagesList);
    item->setData(Qt::UserRole, name);
    item->setToolTip(name);
  }
  const int selected = SelectedLanguage(entries, FLocaleFileName);
  if (selected >= 0) LanguagesList->setCurrentRow(selected);
}

void TFormApplicationSettings::TBQuickExpensesChange(int position) {
  LbQuickExpensesVal->setText(QString::number(QuickExpensesChosen(FStoredQuickExpenses, position)));
}

void TFormApplicationSettings::BtOkClick() {
  Settings::CSettingsStorage& settings = GetSettings();
  const QListWidgetItem* language = LanguagesList->currentItem();
  const std::string localeFileName =
      language != nullptr && language->isSelected()
          ? LocaleFileFor(language->data(Qt::UserRole).toString().toStdString())
          : FLocaleFileName;
  // All are written even when one fails, so that as much as possible is
  // kept; the user is told when any was not. The quick-expense count is
  // written only when the user chose another one.
  bool stored = settings.SetLocaleFileName(localeFileName);
  const int quickExpenses = QuickExpensesChosen(FStoredQuickExpenses, TBQuickExpenses->value());
  if (quickExpenses != FStoredQuickExpenses)
    stored = settings.SetMaximumQuickExpenses(quickExpenses) && stored;
  stored = settings.SetShowEmptyCategories(CbEmptyCategories->isChecked()) && stored;
  if (SpBackupsKept->value() != FStoredBackupsKept)
    stored = settings.SetBackupsKept(SpBackupsKept->value()) && stored;
  if (SpBackupsSizeLimit->value() != FStoredBackupsSizeLimit)
    stored = settings.SetBackupsSizeLimitMb(SpBackupsSizeLimit->value()) && stored;
  if (!stored) {
    ShowMessage(GetLocalizedText(24147, "The settings could not be stored.") + "\n" +
                settings.GetFileName());
    return;
  }
  accept();
}
