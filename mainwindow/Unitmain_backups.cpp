// The main window's automatic backups: each database opened in the window is
// copied to the backup folder right before the first change of its session
// is written. The copy's bytes are taken at once (a fast copy inside the
// kernel); syncing, naming and trimming the folder run on a thread of their
// own so that the window never waits for the disk. A backup that fails is
// reported once and never stops the change.
#include <QMetaObject>
#include <chrono>

#include "Backups.h"
#include "DBManagerLogic.h"
#include "Include.h"
#include "Localizationkit.h"
#include "Logger.h"
#include "Platform.h"
#include "Settingsstorage.h"
#include "Unitmain.h"

void TFormMain::InstallBackupHook() {
  FBackupRunner =
      std::make_unique<CBackupRunner>([this](const std::string& path, const std::string& error) {
        if (!path.empty()) return;
        // Told on the window's thread, once the window gets to it.
        QMetaObject::invokeMethod(
            this, [this, error] { ReportBackupFailure(error); }, Qt::QueuedConnection);
      });
  FDataBase->SetBeforeFirstChange(
      [this](const std::string& fileName) { BackupBeforeFirstChange(fileName); });
}

void TFormMain::BackupBeforeFirstChange(const std::string& fileName) {
  // The writes of a closing window are no changes of the user's.
  if (FDestroyed || FBackupRunner == nullptr) return;
  Settings::CSettingsStorage& settings = GetSettings();
  std::string error;
  std::unique_ptr<CPendingBackup> backup =
      StartBackup(fileName, settings.GetBackupFolder(), StoredBackupPolicy(),
                  std::chrono::system_clock::now(), error);
  if (backup == nullptr) {
    // The change goes on; the user hears of it once the change is done.
    QMetaObject::invokeMethod(
        this, [this, error] { ReportBackupFailure(error); }, Qt::QueuedConnection);
    return;
  }
  FBackupRunner->Post(std::move(backup));
}

void TFormMain::ReportBackupFailure(const std::string& error) {
  const std::string text =
      GetLocalizedText(30815,
                       "The automatic backup of the database could not be made. Your changes "
                       "are stored, but there is no copy of the database as it was before them.") +
      "\n" + error;
  LogError(text);
  ShowMessage(text);
}

void TFormMain::WaitForBackups() {
  if (FBackupRunner != nullptr) FBackupRunner->Wait();
}
