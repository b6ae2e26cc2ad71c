// TFormMain: opening databases, the panes, the interval, refreshing the trees
// and keeping the window's state.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>

#include "ApplicationLogic.h"
#include "BankCheckLogic.h"
#include "DialogKit.h"
#include "Include.h"
#include "Mainlogic.h"
#include "Platform.h"
#include "Printing.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "Unitmain.h"
#include "Unitpasswordcheck.h"

namespace {

constexpr int kColumnCount = 8;
constexpr int kAccountRowHeight = 70;
constexpr int kCurrencyRowHeight = 20;

}  // namespace

// ---- Helpers ----

CDataBase& TFormMain::DataBase() {
  return *FDataBase;
}

bool TFormMain::IsDataBaseOpened() {
  return FDataBase != nullptr && FDataBase->IsOpened();
}

QString TFormMain::StatusText() const {
  return StatusPanel0->text();
}

void TFormMain::SetStatus(TMainText text, bool now) {
  StatusPanel0->setText(Q(FTexts[text]));
  if (now) StatusPanel0->repaint();  // the thread stays busy: show the state now
}

bool TFormMain::RebuildIsSlow() const {
  constexpr qint64 kSlowRebuildMs = 100;
  return FRebuildClock.isValid() && FRebuildClock.elapsed() >= kSlowRebuildMs;
}

void TFormMain::SetPathPanel(const QString& path) {
  StatusPanel1->setText(path);
  StatusPanel1->repaint();
}

CTransactionsTree* TFormMain::CurrentTree() {
  return FCurrentTab == 0 ? FTransactionsTree.get() : FShedulerTree.get();
}

QTreeWidget* TFormMain::CurrentTreeControl() {
  return FCurrentTab == 0 ? FundsTree : ShedulerTree;
}

bool TFormMain::SummaryPageShown() const {
  return AccountsPageControl->currentIndex() == 1;
}

std::uint32_t TFormMain::SelectedAccountId() const {
  const bool valid =
      FSelectedAccountRow >= 0 && FSelectedAccountRow < static_cast<int>(FAccounts.size());
  return valid ? FAccounts[FSelectedAccountRow].id : 0;
}

std::uint32_t TFormMain::BaseCurrencyId() const {
  const bool valid =
      FSelectedCurrencyRow >= 0 && FSelectedCurrencyRow < static_cast<int>(FCurrencies.size());
  return valid ? FCurrencies[FSelectedCurrencyRow].id : 0;
}

// ---- Start and end of the run ----

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!FActivated) {
    FActivated = true;
    QTimer::singleShot(0, this, &TFormMain::FormActivate);
  }
}

void TFormMain::FormActivate() {
  Settings::CSettingsStorage& settings = GetSettings();
  for (int i = 0; i < kColumnCount; ++i) {
    // A hidden column reads as 0 px wide: such a width is never restored.
    const int fallback = CFundsTree::DefaultColumnWidth(i);
    const int width = settings.GetColumnWidth(i, fallback);
    FColumnWidths[i] = width < CFundsTree::kNarrowestColumn ? fallback : width;
    for (QTreeWidget* tree : {FundsTree, ShedulerTree})
      tree->header()->resizeSection(i, FColumnWidths[i]);
  }
  EnableDataBaseControls(false);
  if (settings.GetWindowMaximized()) showMaximized();
  const std::string path =
      FStartFile.empty() ? settings.GetLastOpened(Settings::kDefaultLastOpened) : FStartFile;
  OpenDataBase(path);
  // A first start (or a last database moved away) finds no file: after the
  // message the manager opens, so that one can be created or picked at once.
  if (FStartFile.empty() && FManagerWhenLastIsMissing && !path.empty() && !IsDataBaseOpened() &&
      !FileExists(ResolveDatabasePath(path, settings.GetDataFolder())))
    BtMenuManagerClick();
  if (HasHomePage() && ShouldAskForUpdates(Today(), settings.GetLastUpdatesCheck()))
    AskForUpdates();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TFormMain::FormClose() {
  if (FDestroyed) return;
  Settings::CSettingsStorage& settings = GetSettings();
  if (!isMaximized()) {
    settings.SetPositionX(x());
    settings.SetPositionY(y());
    settings.SetWindowHeight(height());
    settings.SetWindowWidth(width());
  }
  settings.SetWindowMaximized(isMaximized());
  settings.SetLeftPaneWidth(MainSplitter->sizes().value(0, 262));
  for (int i = 0; i < kColumnCount; ++i) {
    const bool shown = !FundsTree->header()->isSectionHidden(i);
    const int width = shown ? FundsTree->header()->sectionSize(i) : FColumnWidths[i];
    settings.SetColumnWidth(
        i, width < CFundsTree::kNarrowestColumn ? CFundsTree::DefaultColumnWidth(i) : width);
  }
}

void TFormMain::FormDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  FreeSettings();
  FreeLocalization("");
  FTransactionsTree.reset();
  FShedulerTree.reset();
}

// ---- Opening ----

void TFormMain::OpenDataBase(const std::string& path) {
  if (FDataBase == nullptr) return;
  Settings::CSettingsStorage& settings = GetSettings();
  const std::string resolved = ResolveDatabasePath(path, settings.GetDataFolder());
  // A file that cannot be opened at all is not tried, and the database that
  // is open stays open: the user is told why. (The open file itself is
  // locked by this window, so it is looked at only once it is closed.)
  std::error_code error;
  const bool same = IsDataBaseOpened() && !path.empty() &&
                    std::filesystem::equivalent(resolved, FDataBase->GetFileName(), error);
  if (!path.empty() && !same) {
    const TFileProblem problem = DatabaseFileProblem(resolved);
    if (problem != TFileProblem::kNone && IsDataBaseOpened()) {
      ReportUnopenedFile(path, resolved, problem, FOpeningFromReopenMenu);
      return;
    }
  }
  FDataBase->Close();
  FAgreedDays.clear();
  FViewBeforeStep.clear();
  EnableDataBaseControls(IsDataBaseOpened());
  FillAccountsList();
  FillCurrenciesList();
  if (path.empty()) return;
  SetStatus(kTextReadingFile);
  const TFileProblem problem = DatabaseFileProblem(resolved);
  if (problem != TFileProblem::kNone) {
    ReportUnopenedFile(path, resolved, problem, FOpeningFromReopenMenu);
    return;
  }
  FDataBase->Open(resolved);
  // A protected database stays closed unless the user knows its password.
  const bool refused = IsDataBaseOpened() &&
                       !TFormPasswordCheck::Unlock(this, *FDataBase, FTexts[kTextInvalidPassword]);
  if (refused) FDataBase->Close();
  LoadAgreedChecks();
  SetWorkingInterval(FDataBase->GetIntervalBegin(), FDataBase->GetIntervalEnd(), false);
  const bool open = IsDataBaseOpened();
  EnableDataBaseControls(open);
  FillCurrenciesList();
  FillAccountsList();
  settings.AddToReopenList(resolved);
  FillReopenMenu();
  settings.SetLastOpened(path);
  if (!IsDataBaseOpened()) {
    SetStatus(kTextNoFile);
    if (!refused) ShowMessage(FTexts[kTextCantOpen] + ": " + resolved);
  }
}

void TFormMain::ReportUnopenedFile(const std::string& path, const std::string& resolved,
                                   TFileProblem problem, bool fromList) {
  Settings::CSettingsStorage& settings = GetSettings();
  if (!IsDataBaseOpened()) {
    SetStatus(kTextNoFile);
    settings.SetLastOpened(path);
  }
  std::string reason;
  switch (problem) {
    case TFileProblem::kMissing:
      reason = GetLocalizedText(30201,
                                "The file does not exist: it was deleted, moved or renamed, or "
                                "its drive is not connected.");
      break;
    case TFileProblem::kLocked:
      reason =
          GetLocalizedText(30202, "The file is open in another Pardow window or another program.");
      break;
    default:
      reason = GetLocalizedText(30203, "You have no permission to read and write this file.");
      break;
  }
  const std::string text = FTexts[kTextCantOpen] + ": " + resolved + "\n" + reason;
  // A file that is gone or out of reach may leave the Reopen list; one that
  // another program holds open is still wanted there.
  const bool offer = fromList && problem != TFileProblem::kLocked;
  if (offer &&
      AskConfirmation(this,
                      Q(text + "\n\n" + GetLocalizedText(30204, "Remove it from the Reopen list?")),
                      QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
    settings.RemoveFromReopenList(resolved);
  } else {
    if (!offer) ShowMessage(text);
    settings.AddToReopenList(resolved);
  }
  FillReopenMenu();
}

void TFormMain::FillReopenMenu() {
  MnReopen->clear();
  const std::vector<std::string> paths = GetSettings().GetReopenList();
  for (std::size_t k = 0; k < paths.size(); ++k) {
    QAction* entry = MnReopen->addAction(Q(paths[k]));
    entry->setObjectName(QStringLiteral("OpenLast_%1").arg(k));
    entry->setToolTip(Q(paths[k]));
    entry->setData(Q(paths[k]));
    connect(entry, &QAction::triggered, this, &TFormMain::ReopenClick);
  }
  if (paths.empty()) {
    QAction* none = MnReopen->addAction(QStringLiteral("<none>"));
    none->setObjectName(QStringLiteral("OpenNone"));
    none->setEnabled(false);
  }
}

void TFormMain::ReopenClick() {
  auto* entry = qobject_cast<QAction*>(sender());
  if (entry == nullptr) return;
  FOpeningFromReopenMenu = true;
  OpenDataBase(entry->data().toString().toStdString());
  FOpeningFromReopenMenu = false;
}

void TFormMain::EnableDataBaseControls(bool open) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           BtPrevMonth, BtNextMonth, BtMenuDBSettings, BtAccountsDir, BtCurrencesDir, BtTypesDir,
           BtMembersList, BtSectionsList, BtExport, BtImport, BtReports, BtTypes, BtNew,
           BtFastExpence, BtCalendar, BtMembers, BtSections, BtExchangeRate})
    w->setEnabled(open);
  for (QAction* a :
       {MnExport, MnImport, MnCurrences, MnAccounts, MnTypes, MnMembers, MnSections, MnReports})
    a->setEnabled(open);
  FundsTree->header()->setEnabled(open);
  ShedulerTree->header()->setEnabled(open);
  MnPrint->setEnabled(open);
  MnDBSettings->setEnabled(open);
  MnTransaction->setEnabled(open);
  for (QAction* a : MnTransaction->actions()) a->setEnabled(open);
  if (!open) {
    SetStatus(kTextNoFile);
    LbCurrentDate->clear();
    LbBalanceValue->clear();
  }
  Settings::CSettingsStorage& settings = GetSettings();
  BtTypes->setChecked(open && settings.GetTypesVisible(FCurrentTab));
  // The column toggles keep the state stored for the tab while a file is open.
  BtMembers->setChecked(open && settings.GetMemberssVisible(FCurrentTab));
  BtSections->setChecked(open && settings.GetSectionsVisible(FCurrentTab));
  ApplyColumnToggles();
  // Edit, Delete and New (as copy) follow the selection, not the open state.
  if (open) FundsTreeGetSelectedIndex();
  ShowUndoImport();
  ShowUndoRedo();
}

// ---- The panes ----

bool TFormMain::BeginPaneFill(QListWidget* list) {
  list->clear();
  const bool open = IsDataBaseOpened();
  SetStatus(open ? kTextLoading : kTextNoFile);
  SetPathPanel(open ? Q(FDataBase->GetFileName()) : QString());
  return open;
}

void TFormMain::FillPaneRows(QListWidget* list, std::size_t count, int height, int stored,
                             int& selected) {
  for (std::size_t i = 0; i < count; ++i) {
    auto* row = new QListWidgetItem(list);
    row->setSizeHint(QSize(0, height));
  }
  // The row stored in the file, or the first when that one is gone.
  selected = stored >= 0 && stored < static_cast<int>(count) ? stored : count == 0 ? -1 : 0;
  if (selected >= 0) list->setCurrentRow(selected);
}

void TFormMain::FillAccountsList() {
  FAccounts.clear();
  FSelectedAccountRow = -1;
  if (BeginPaneFill(AccountsList)) {
    FAccounts = FDataBase->GetAccountItems();
    FillPaneRows(AccountsList, FAccounts.size(), kAccountRowHeight, FDataBase->GetSelectedAccount(),
                 FSelectedAccountRow);
    if (FSelectedAccountRow >= 0) FDataBase->SetSelectedAccount(FSelectedAccountRow);
  }
  RebuildTrees(true);
}

void TFormMain::LoadAgreedChecks() {
  FAgreedDays.clear();
  if (!IsDataBaseOpened()) return;
  CCompanionLoad load;
  FAgreedDays = LoadAgreedDays(FDataBase->GetFileName(), load);
  // A damaged file is moved aside as it is read: it is reported this once.
  const std::string problem = CompanionProblemText(load);
  if (problem.empty()) return;
  LogWarning(CompanionLoadText(load));  // with what was wrong, in the log's words
  ShowMessage(problem);
}

void TFormMain::FillCurrenciesList() {
  FCurrencies.clear();
  FSelectedCurrencyRow = -1;
  if (BeginPaneFill(CurrenciesList)) {
    FCurrencies = FDataBase->GetCurrencyItems();
    FillPaneRows(CurrenciesList, FCurrencies.size(), kCurrencyRowHeight,
                 FDataBase->GetSelectedCurrency(), FSelectedCurrencyRow);
    if (FSelectedCurrencyRow >= 0) FDataBase->SetSelectedCurrency(FSelectedCurrencyRow);
  }
  RebuildTrees(true);
}

void TFormMain::ShowBalance() {
  if (!IsDataBaseOpened()) {
    LbBalanceValue->clear();  // no figure of a file that is closed
    return;
  }
  FAccounts = FDataBase->GetAccountItems();
  AccountsList->viewport()->update();
  const std::uint32_t base = BaseCurrencyId();
  const Money total = TotalBalance(FAccounts, base, *FDataBase);
  CCurrencyItem currency;
  FDataBase->GetCurrency(base, currency);
  LbBalanceValue->setText(Q(MoneyToStr(total)) + " " + StoredToQString(currency.name));
  LbBalanceValue->setStyleSheet(total >= 0 ? QStringLiteral("color: rgb(0, 96, 0);")
                                           : QStringLiteral("color: rgb(204, 0, 0);"));
  LbScheduled->hide();
  LbScheduledValue->hide();
}

void TFormMain::AccountsListClick() {
  const int row = AccountsList->currentRow();
  if (row < 0 || row == FSelectedAccountRow || FDataBase == nullptr) return;
  FDataBase->SetSelectedAccount(row);
  FSelectedAccountRow = row;
  RebuildTrees(true);
}

void TFormMain::AccountsPageControlChange(int) {
  if (IsDataBaseOpened()) RebuildTrees(true);
}

void TFormMain::CurrenciesListClick() {
  const int row = CurrenciesList->currentRow();
  if (row < 0 || row == FSelectedCurrencyRow || FDataBase == nullptr) return;
  FDataBase->SetSelectedCurrency(row);
  FSelectedCurrencyRow = row;
  RebuildTrees(false);
  CurrenciesList->viewport()->update();
}

// ---- Trees ----

void TFormMain::RebuildTrees(bool full) {
  if (!FTransactionsTree || !FShedulerTree) return;
  if (FSelectedAccountRow < 0 || !IsDataBaseOpened()) {
    FTransactionsTree->Clear();
    FShedulerTree->Clear();
    return;
  }
  // A month step of a large book takes a few milliseconds: painting the
  // states and the progress bar would take longer than the work. They are
  // painted only once the rebuild has run for a noticeable time.
  FRebuildClock.start();
  TTransactionInterval::iterator first, last;
  TPlnTransactionInterval::iterator plnFirst, plnLast;
  FDataBase->GetTransactions(first, last);
  FDataBase->GetPlnTransactions(plnFirst, plnLast);
  SetStatus(kTextBuilding, RebuildIsSlow());
  LoadProgress->setValue(0);
  const bool showEmpty = GetSettings().GetShowEmptyCategories();
  if (SummaryPageShown()) {
    FTransactionsTree->BuildInCurrency(first, last, BaseCurrencyId(), full, showEmpty);
    FShedulerTree->BuildInCurrency(plnFirst, plnLast, BaseCurrencyId(), full, showEmpty);
  } else {
    FTransactionsTree->BuildForAccount(first, last, SelectedAccountId(), full, showEmpty);
    FShedulerTree->BuildForAccount(plnFirst, plnLast, SelectedAccountId(), full, showEmpty);
  }
  LoadProgress->hide();
  SetStatus(kTextCalculation, RebuildIsSlow());
  RefreshTotals(true, true);
  SetStatus(kTextReady, false);  // painted by the event loop
  FRebuildClock.invalidate();
  // Planned transactions that could not be stored: shown once, not again
  // at every refresh that runs into the same failure.
  const std::string applyFailure = FDataBase->TakeApplyFailure();
  if (!applyFailure.empty())
    ShowMessage("Planned transactions could not be stored: " + applyFailure);
}

void TFormMain::RefreshTotals(bool sort, bool calculated) {
  if (!calculated) {
    FTransactionsTree->CalculateTotals();
    FShedulerTree->CalculateTotals();
  }
  ShowBalance();
  if (sort) {
    // Both trees follow the chosen order, so the Scheduler tab shows its
    // categories first as well.
    SortTree(*FTransactionsTree, FOrder);
    SortTree(*FShedulerTree, FOrder);
  }
  ShowSortIndicator();
  FundsTree->viewport()->update();
  ShedulerTree->viewport()->update();
}

void TFormMain::TransactionsTabChange(int index) {
  FCurrentTab = index == 1 ? 1 : 0;
  TreesStack->setCurrentIndex(FCurrentTab);
  Settings::CSettingsStorage& settings = GetSettings();
  BtSections->setChecked(settings.GetSectionsVisible(FCurrentTab));
  BtMembers->setChecked(settings.GetMemberssVisible(FCurrentTab));
  BtTypes->setChecked(settings.GetTypesVisible(FCurrentTab));
  BtGroups->setChecked(settings.GetGroupsVisible(FCurrentTab));
  ApplyColumnToggles();
  FundsTreeGetSelectedIndex();
}

void TFormMain::BtTypesClick() {
  GetSettings().SetTypesVisible(FCurrentTab, BtTypes->isChecked());
  CurrentTree()->ShowTypes = BtTypes->isChecked();
  RebuildTrees(false);
}

void TFormMain::BtGroupsClick() {
  GetSettings().SetGroupsVisible(FCurrentTab, BtGroups->isChecked());
  CurrentTree()->GroupByName = BtGroups->isChecked();
  RebuildTrees(false);
}

void TFormMain::FundsHeaderSectionClick(int column) {
  if (!IsDataBaseOpened()) return;
  FOrder = {column, column == FOrder.column && !FOrder.descending};
  SortTree(*CurrentTree(), FOrder);
  ShowSortIndicator();
}

void TFormMain::ShowSortIndicator() {
  for (QTreeWidget* tree : {FundsTree, ShedulerTree})
    tree->header()->setSortIndicator(FOrder.column,
                                     FOrder.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TFormMain::FundsHeaderSectionResize(int column, int, int newSize) {
  // The two trees stand at the same place and share their column widths.
  // Hiding a column reports it 0 px wide: that width is neither kept nor
  // copied, so the column comes back at its width.
  if (FSyncingHeaders || newSize < CFundsTree::kNarrowestColumn) return;
  if (column >= 0 && column < kColumnCount) FColumnWidths[column] = newSize;
  // Each tree fits its description to the columns it shows.
  if (column == ColDescription) return;
  FSyncingHeaders = true;
  for (QTreeWidget* tree : {FundsTree, ShedulerTree})
    if (tree->header()->sectionSize(column) != newSize)
      tree->header()->resizeSection(column, newSize);
  FSyncingHeaders = false;
}

// ---- The interval ----

void TFormMain::SetWorkingInterval(Date begin, Date end, bool rebuild) {
  if (!IsDataBaseOpened() || begin > end) return;
  LbCurrentDate->setText(Q(IntervalCaption(begin, end, FMonthNames)));
  FDataBase->SetInterval(begin, end);
  if (rebuild) RebuildTrees(false);
}

void TFormMain::BtPrevMonthClick() {
  if (!IsDataBaseOpened()) return;
  const TInterval next = StepMonth(FDataBase->GetIntervalBegin(), FDataBase->GetIntervalEnd(), -1);
  SetWorkingInterval(next.begin, next.end, true);
}

void TFormMain::BtNextMonthClick() {
  if (!IsDataBaseOpened()) return;
  const TInterval next = StepMonth(FDataBase->GetIntervalBegin(), FDataBase->GetIntervalEnd(), 1);
  SetWorkingInterval(next.begin, next.end, true);
}

// ---- Printing ----

void TFormMain::BtMenuPrintClick() {
  if (!IsDataBaseOpened()) return;
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  // The selected branch is offered, and chosen, only when a row is
  // selected; otherwise the range is the whole tree, never an empty page.
  const bool selection = !FundsTree->selectedItems().isEmpty();
  dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
  dialog.setPrintRange(selection ? QAbstractPrintDialog::Selection
                                 : QAbstractPrintDialog::AllPages);
  if (dialog.exec() != QDialog::Accepted) return;
  const QString title = Q(FTexts[kTextPrintTitle]) + " " + LbCurrentDate->text();
  PrintTree(printer, *FTransactionsTree, *FundsTree, title,
            dialog.printRange() == QAbstractPrintDialog::Selection);
}
