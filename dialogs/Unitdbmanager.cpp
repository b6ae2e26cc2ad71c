#include "Unitdbmanager.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>

#include "Companion.h"
#include "ControlTexts.h"
#include "DBManagerLogic.h"
#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "Unitconvert.h"

namespace {

const QString kFilter = QStringLiteral("Pardow Base (*.vlt)");

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode) {
  auto* dialog = new QFileDialog(parent);
  dialog->setObjectName(name);
  dialog->setNameFilter(kFilter);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
  // The program's own dialog: the same on every desktop, and tests drive it.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  return dialog;
}

// The database's own change is done; its companion file could not follow.
void ReportCompanionFailure(const std::string& error) {
  const std::string text =
      GetLocalizedText(30500, "The file kept beside the database could not be deleted:") + "\n" +
      error;
  LogWarning(text);
  ShowMessage(text);
}

// The moment of a backup in the user's time zone, as short date and time.
QString StampCaption(const TBackupStamp& stamp) {
  const QDateTime utc(QDate(stamp.year, stamp.month, stamp.day),
                      QTime(stamp.hour, stamp.minute, stamp.second), Qt::UTC);
  const QDateTime local = utc.toLocalTime();
  return ShortDateText(FromQDate(local.date())) + QLatin1Char(' ') +
         local.time().toString(QStringLiteral("HH:mm:ss"));
}

enum TBackupColumn { kColumnTaken, kColumnSize, kColumnCount, kColumnLastDay };

}  // namespace

TFormDBManager::TFormDBManager(QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  GBWorkFolder = new QGroupBox(this);
  GBWorkFolder->setObjectName("GBWorkFolder");
  EdWorkFolder = new QLineEdit(GBWorkFolder);
  EdWorkFolder->setObjectName("EdWorkFolder");
  EdWorkFolder->setReadOnly(true);
  EdWorkFolder->setEnabled(false);
  BtBrowse = new QPushButton(QStringLiteral("..."), GBWorkFolder);
  BtBrowse->setObjectName("BtBrowse");
  BtBrowse->hide();
  GBFiles = new QGroupBox(this);
  GBFiles->setObjectName("GBFiles");
  LBFiles = new QListWidget(GBFiles);
  LBFiles->setObjectName("LBFiles");
  LBFiles->setMinimumSize(260, 180);
  BtOpen = new QPushButton(GBFiles);
  BtOpen->setObjectName("BtOpen");
  BtOpen->setDefault(true);
  BtNew = new QPushButton(GBFiles);
  BtNew->setObjectName("BtNew");
  BtDel = new QPushButton(GBFiles);
  BtDel->setObjectName("BtDel");
  BtConvert = new QPushButton(LocalizedText(30770, "New from another program..."), GBFiles);
  BtConvert->setObjectName("BtConvert");
  BtConvert->setToolTip(
      LocalizedText(30797, "A new database from a QIF file, a GnuCash or a HomeBank book"));
  GBBackups = Named(new QGroupBox(this), "GBBackups");
  LVBackups = Named(new QTreeWidget(GBBackups), "LVBackups");
  LVBackups->setRootIsDecorated(false);
  LVBackups->setUniformRowHeights(true);
  LVBackups->setMinimumHeight(120);
  LVBackups->setHeaderLabels({LocalizedText(30805, "Taken"), LocalizedText(30806, "Size"),
                              LocalizedText(30807, "Transactions"),
                              LocalizedText(30808, "Last transaction")});
  // Every column as wide as its texts; the window is wide enough for them.
  LVBackups->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (int column : {kColumnSize, kColumnCount, kColumnLastDay})
    LVBackups->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  BtRestore = Named(new QPushButton(LocalizedText(30809, "Restore..."), GBBackups), "BtRestore");
  BtRestore->setToolTip(
      LocalizedText(30810,
                    "Replace the database with the selected backup; the database as it is now is "
                    "backed up first"));
  BtOpenCustom = new QPushButton(this);
  BtOpenCustom->setObjectName("BtOpenCustom");
  BtClose = new QPushButton(this);
  BtClose->setObjectName("BtClose");
  SaveDialog1 = MakeFileDialog(this, "SaveDialog1", QFileDialog::AcceptSave);
  OpenDialog1 = MakeFileDialog(this, "OpenDialog1", QFileDialog::AcceptOpen);
  FDeleteQuestion = "Delete file";
  FCreateError = "Can't create file";
  ApplyTexts({
      {CaptionOf(BtOpen), 11, "Open"},
      {CaptionOf(BtNew), 3, "New"},
      {CaptionOf(BtDel), 6, "Delete"},
      {CaptionOf(BtClose), 8, "Close"},
      {HintOf(BtBrowse), 20, "Browse..."},
      {CaptionOf(this), 14000, "DataBase Manager"},
      {CaptionOf(GBWorkFolder), 14001, "Work Folder"},
      {CaptionOf(GBFiles), 14002, "Files"},
      {CaptionOf(GBBackups), 30804, "Backups of the selected database"},
      {CaptionOf(BtOpenCustom), 14003, "Open File..."},
      {Store(&FDeleteQuestion), 14004},
      {Store(&FCreateError), 14005},
  });

  auto* folder = new QHBoxLayout(GBWorkFolder);
  folder->addWidget(EdWorkFolder, 1);
  folder->addWidget(BtBrowse);
  auto* commands = new QVBoxLayout;
  commands->addWidget(BtOpen);
  commands->addWidget(BtNew);
  commands->addWidget(BtDel);
  commands->addStretch();
  commands->addWidget(BtConvert);
  auto* files = new QHBoxLayout(GBFiles);
  files->addWidget(LBFiles, 1);
  files->addLayout(commands);
  auto* backupCommands = new QVBoxLayout;
  backupCommands->addWidget(BtRestore);
  backupCommands->addStretch();
  auto* backups = new QHBoxLayout(GBBackups);
  backups->addWidget(LVBackups, 1);
  backups->addLayout(backupCommands);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(BtOpenCustom);
  bottom->addStretch();
  bottom->addWidget(BtClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GBWorkFolder);
  layout->addWidget(GBFiles, 1);
  layout->addWidget(GBBackups, 1);
  layout->addLayout(bottom);
  resize(620, 540);

  connect(BtOpen, &QPushButton::clicked, this, &TFormDBManager::BtOpenClick);
  connect(BtNew, &QPushButton::clicked, this, &TFormDBManager::BtNewClick);
  connect(BtDel, &QPushButton::clicked, this, &TFormDBManager::BtDelClick);
  connect(BtConvert, &QPushButton::clicked, this, &TFormDBManager::BtConvertClick);
  connect(BtOpenCustom, &QPushButton::clicked, this, &TFormDBManager::BtOpenCustomClick);
  connect(BtClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(LBFiles, &QListWidget::itemDoubleClicked, this, &TFormDBManager::LBFilesDblClick);
  connect(LBFiles, &QListWidget::itemSelectionChanged, this, &TFormDBManager::UpdateCommands);
  connect(LBFiles, &QListWidget::itemSelectionChanged, this, &TFormDBManager::FillBackups);
  connect(LVBackups, &QTreeWidget::itemSelectionChanged, this, &TFormDBManager::UpdateCommands);
  connect(BtRestore, &QPushButton::clicked, this, &TFormDBManager::BtRestoreClick);
  ApplyControlIcons(this);
}

TFormDBManager::~TFormDBManager() {
  StopCounting();
}

std::string TFormDBManager::Execute(CDataBase* database) {
  if (database == nullptr) {
    LogError("[DataBase Manager] Not initialized!");
    return {};
  }
  FDataBase = database;
  FResult.clear();
  FDataFolder = GetSettings().GetDataFolder();
  FBackupFolder = GetSettings().GetBackupFolder();
  EdWorkFolder->setText(Q(FDataFolder));
  SaveDialog1->setDirectory(Q(FDataFolder));
  OpenDialog1->setDirectory(Q(FDataFolder));
  FillFiles();
  const bool chosen = exec() == QDialog::Accepted;
  StopCounting();
  FDataBase = nullptr;
  return chosen ? FResult : std::string();
}

void TFormDBManager::FillFiles() {
  LBFiles->clear();
  // By name, so that the list reads the same on every file system.
  const QStringList names = QDir(Q(FDataFolder))
                                .entryList({QStringLiteral("*.vlt")},
                                           QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  LBFiles->addItems(names);
  if (LBFiles->count() > 0) LBFiles->setCurrentRow(0);
  FillBackups();
  UpdateCommands();
}

void TFormDBManager::UpdateCommands() {
  const bool selected = !SelectedFile().empty();
  BtOpen->setEnabled(selected);
  BtDel->setEnabled(selected);
  BtRestore->setEnabled(selected && LVBackups->currentItem() != nullptr &&
                        LVBackups->currentItem()->isSelected());
}

std::string TFormDBManager::SelectedFile() const {
  const QListWidgetItem* item = LBFiles->currentItem();
  return item != nullptr && item->isSelected() ? item->text().toStdString() : std::string();
}

// ---- Backups ----

void TFormDBManager::FillBackups() {
  StopCounting();
  ++FBackupsGeneration;
  LVBackups->clear();
  const std::string name = SelectedFile();
  FBackups = name.empty() || FBackupFolder.empty() ? std::vector<CBackupEntry>()
                                                   : ListBackups(FBackupFolder, FDataFolder + name);
  const QLocale locale;
  for (const CBackupEntry& backup : FBackups) {
    auto* row = new QTreeWidgetItem(LVBackups);
    row->setText(kColumnTaken, StampCaption(backup.stamp));
    row->setToolTip(kColumnTaken, Q(backup.path));
    row->setText(kColumnSize, locale.formattedDataSize(static_cast<qint64>(backup.size), 1,
                                                       QLocale::DataSizeTraditionalFormat));
    row->setText(kColumnCount, QStringLiteral("…"));
    for (int column : {kColumnSize, kColumnCount, kColumnLastDay})
      row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  StartCounting();
  UpdateCommands();
}

void TFormDBManager::StartCounting() {
  std::vector<std::string> paths;
  for (const CBackupEntry& backup : FBackups) paths.push_back(backup.path);
  if (paths.empty()) return;
  FStopCounting = false;
  const int generation = FBackupsGeneration;
  FCounter = std::thread([this, paths, generation] {
    for (std::size_t row = 0; row < paths.size() && !FStopCounting; ++row) {
      const CBackupCounts counts = ScanBackupCounts(paths[row]);
      QMetaObject::invokeMethod(
          this, [this, generation, row, counts] { ShowCounts(generation, row, counts); },
          Qt::QueuedConnection);
    }
  });
}

void TFormDBManager::StopCounting() {
  FStopCounting = true;
  if (FCounter.joinable()) FCounter.join();
}

void TFormDBManager::ShowCounts(int generation, std::size_t row, const CBackupCounts& counts) {
  QTreeWidgetItem* item = LVBackups->topLevelItem(static_cast<int>(row));
  if (generation != FBackupsGeneration || item == nullptr) return;
  if (!counts.readable) {
    item->setText(kColumnCount, LocalizedText(30811, "damaged"));
    return;
  }
  QString count = QLocale().toString(static_cast<qulonglong>(counts.transactions));
  if (counts.damaged) {
    count += QStringLiteral(" *");
    item->setToolTip(kColumnCount, LocalizedText(30812, "The file is damaged after these records"));
  }
  item->setText(kColumnCount, count);
  item->setText(kColumnLastDay, counts.lastDay > 0 ? ShortDateText(counts.lastDay) : QString());
}

void TFormDBManager::BtRestoreClick() {
  const std::string name = SelectedFile();
  QTreeWidgetItem* item = LVBackups->currentItem();
  const int row = item != nullptr ? LVBackups->indexOfTopLevelItem(item) : -1;
  if (name.empty() || row < 0 || row >= static_cast<int>(FBackups.size())) return;
  const CBackupEntry backup = FBackups[static_cast<std::size_t>(row)];
  const QString question = LocalizedText(30813, "Replace the database %1 with its backup of %2?")
                               .arg(Q(name), StampCaption(backup.stamp)) +
                           QLatin1Char('\n') +
                           LocalizedText(30816, "The database as it is now is backed up first.");
  if (AskConfirmation(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  StopCounting();
  const std::string path = FDataFolder + name;
  if (FReleaseFile) FReleaseFile(path);
  std::string made, error;
  if (!RestoreBackup(backup.path, path, FBackupFolder, StoredBackupPolicy(), made, error)) {
    ShowMessage(GetLocalizedText(30814, "The backup could not be restored:") + "\n" + error);
    FillBackups();
    return;
  }
  FResult = DataFolderEntry(name);
  accept();
}

void TFormDBManager::BtOpenClick() {
  if (QListWidgetItem* item = LBFiles->currentItem()) LBFilesDblClick(item);
}

void TFormDBManager::LBFilesDblClick(QListWidgetItem* item) {
  if (item == nullptr) return;
  FResult = DataFolderEntry(item->text().toStdString());
  accept();
}

void TFormDBManager::BtOpenCustomClick() {
  if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
  FResult = OpenDialog1->selectedFiles().constFirst().toStdString();
  accept();
}

void TFormDBManager::BtNewClick() {
  if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) return;
  const std::string chosen = SaveDialog1->selectedFiles().constFirst().toStdString();
  const std::string path = DatabaseFileName(chosen);
  // The save dialog asked about the name the user typed; an existing file
  // under the name with ".vlt" added would be replaced without a word.
  if (path != chosen && FileExists(path) &&
      AskConfirmation(
          this, LocalizedText(24146, "This file exists already. Replace it?") + "\n" + Q(path),
          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  if (FReleaseFile && FileExists(path)) FReleaseFile(path);
  FDataBase->Create(path);
  if (FDataBase->IsOpened() && FDataBase->Close()) {
    // What was kept beside a file of that name belongs to it, not to the new one.
    std::string error;
    if (!DeleteCompanion(path, error)) ReportCompanionFailure(error);
    FResult = path;
    accept();
    return;
  }
  FDataBase->Close();
  ShowMessage(CreateError(FCreateError, path));
}

void TFormDBManager::BtConvertClick() {
  const std::string path = ConvertFromAnotherProgram(this, FDataFolder);
  if (path.empty()) {
    FillFiles();  // a database kept with differing balances shows in the list
    return;
  }
  FResult = path;
  accept();
}

void TFormDBManager::BtDelClick() {
  QListWidgetItem* item = LBFiles->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const std::string name = item->text().toStdString();
  if (AskConfirmation(this, Q(DeleteQuestion(FDeleteQuestion, name)),
                      QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  if (FReleaseFile) FReleaseFile(FDataFolder + name);
  std::string error, companionError;
  if (!DeleteDatabaseFile(FDataFolder + name, error, companionError)) {
    // The file is still there: it stays in the list, and the user is told.
    ShowMessage(GetLocalizedText(24143, "The file could not be deleted:") + " \"" + name + "\"\n" +
                error);
    return;
  }
  if (!companionError.empty()) ReportCompanionFailure(companionError);
  delete item;
  UpdateCommands();
}
