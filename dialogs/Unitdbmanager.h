// TFormDBManager: picks the database file to work with. It lists the
// database files of the data folder, creates a new one, deletes one, or
// opens any file through a file dialog, and answers the chosen path. It also
// lists the automatic backups of the selected database and restores one.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Backups.h"
#include "Omrindb.h"

class TFormDBManager : public QDialog {
  Q_OBJECT

 public:
  explicit TFormDBManager(QWidget* parent = nullptr);
  ~TFormDBManager() override;

  // Shows the data folder's files and answers the path to open: "..\" and
  // a file name of the data folder, a full path, or "" when the window was
  // closed without a choice (and when `database` is missing). `database`
  // is used only to create new files and is left closed.
  std::string Execute(CDataBase* database);
  // Called with a file's path before the manager deletes or replaces it, so
  // that whoever holds that file open can close it first.
  using TReleaseFile = std::function<void(const std::string& path)>;
  void SetReleaseFile(TReleaseFile release) { FReleaseFile = std::move(release); }

 private slots:
  void BtOpenClick();
  void BtOpenCustomClick();
  void BtNewClick();
  void BtDelClick();
  void LBFilesDblClick(QListWidgetItem* item);
  void BtConvertClick();
  void UpdateCommands();
  void BtRestoreClick();
  void FillBackups();

 private:
  void FillFiles();
  // Counts the listed backups' transactions on a thread of its own and shows
  // each count when it is ready; StopCounting waits for that thread.
  void StartCounting();
  void StopCounting();
  void ShowCounts(int generation, std::size_t row, const CBackupCounts& counts);
  std::string SelectedFile() const;

  CDataBase* FDataBase = nullptr;
  std::string FDataFolder;  // ends with '/'
  std::string FResult;
  std::string FDeleteQuestion;
  std::string FCreateError;
  TReleaseFile FReleaseFile;
  std::string FBackupFolder;           // ends with '/'
  std::vector<CBackupEntry> FBackups;  // the rows of LVBackups
  int FBackupsGeneration = 0;          // counts shown only for the list they were made for
  std::thread FCounter;
  std::atomic<bool> FStopCounting{false};

  // The controls, each named by its objectName.
  QGroupBox* GBWorkFolder = nullptr;
  QLineEdit* EdWorkFolder = nullptr;
  QPushButton* BtBrowse = nullptr;
  QGroupBox* GBFiles = nullptr;
  QListWidget* LBFiles = nullptr;
  QPushButton* BtOpen = nullptr;
  QPushButton* BtNew = nullptr;
  QPushButton* BtDel = nullptr;
  QPushButton* BtConvert = nullptr;
  QGroupBox* GBBackups = nullptr;
  QTreeWidget* LVBackups = nullptr;
  QPushButton* BtRestore = nullptr;
  QPushButton* BtOpenCustom = nullptr;
  QPushButton* BtClose = nullptr;
  QFileDialog* SaveDialog1 = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
};
