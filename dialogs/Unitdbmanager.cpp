#include "Unitdbmanager.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
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
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(BtOpenCustom);
  bottom->addStretch();
  bottom->addWidget(BtClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GBWorkFolder);
  layout->addWidget(GBFiles, 1);
  layout->addLayout(bottom);
  resize(440, 360);

  connect(BtOpen, &QPushButton::clicked, this, &TFormDBManager::BtOpenClick);
  connect(BtNew, &QPushButton::clicked, this, &TFormDBManager::BtNewClick);
  connect(BtDel, &QPushButton::clicked, this, &TFormDBManager::BtDelClick);
  connect(BtConvert, &QPushButton::clicked, this, &TFormDBManager::BtConvertClick);
  connect(BtOpenCustom, &QPushButton::clicked, this, &TFormDBManager::BtOpenCustomClick);
  connect(BtClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(LBFiles, &QListWidget::itemDoubleClicked, this, &TFormDBManager::LBFilesDblClick);
  connect(LBFiles, &QListWidget::itemSelectionChanged, this, &TFormDBManager::UpdateCommands);
  ApplyControlIcons(this);
}

std::string TFormDBManager::Execute(CDataBase* database) {
  if (database == nullptr) {
    LogError("[DataBase Manager] Not initialized!");
    return {};
  }
  FDataBase = database;
  FResult.clear();
  FDataFolder = GetSettings().GetDataFolder();
  EdWorkFolder->setText(Q(FDataFolder));
  SaveDialog1->setDirectory(Q(FDataFolder));
  OpenDialog1->setDirectory(Q(FDataFolder));
  FillFiles();
  const bool chosen = exec() == QDialog::Accepted;
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
  UpdateCommands();
}

void TFormDBManager::UpdateCommands() {
  const bool selected = LBFiles->currentItem() != nullptr && LBFiles->currentItem()->isSelected();
  BtOpen->setEnabled(selected);
  BtDel->setEnabled(selected);
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
