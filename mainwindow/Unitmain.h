// TFormMain: the main window and the owner of everything that lives for the
// whole run: the logger, the settings storage, the localization kit, the one
// finance database and the two transaction trees. It shows one working
// interval of the open database as the two trees, the accounts and the
// summary in a base currency.
#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Backups.h"
#include "Logger.h"
#include "Mainlogic.h"
#include "Node.h"
#include "Omrindb.h"
#include "Skin.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TFormExport;
class TFormImport;
class TFormFind;

// Indexes of the window's message texts.
enum TMainText {
  kTextIncomes,
  kTextExpenses,
  kTextPlanned,
  kTextDeleteTransaction,
  kTextReadingFile,
  kTextNoFile,
  kTextLoading,
  kTextBuilding,
  kTextCalculation,
  kTextReady,
  kTextPrintTitle,
  kTextCantOpen,
  kTextInvalidPassword,
  kTextCheckVersion,
  kTextBalance,
  kTextScheduled,
  kTextBudget,
  kTextCount
};

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // (Re)creates the localization kit and applies every text of the window.
  void ApplyLanguage();
  // Closes the current database and opens `path` ("..\" = data folder). A
  // file that is missing, locked or out of reach is reported and the
  // current database stays open.
  void OpenDataBase(const std::string& path);
  void FillAccountsList();
  void FillCurrenciesList();
  // The two panes' shared steps: empty `list` and show the file state (true
  // when a file is open); then `count` rows of `height` with the stored row
  // selected (the first when it is gone; -1 for none) into `selected`.
  bool BeginPaneFill(QListWidget* list);
  void FillPaneRows(QListWidget* list, std::size_t count, int height, int stored, int& selected);
  // Reloads the accounts' figures and shows the total in the base currency.
  void ShowBalance();
  // Rebuilds both trees for the current pane selection.
  void RebuildTrees(bool full);
  // `calculated`: the trees' totals are already those of their nodes (a
  // build has just made them).
  void RefreshTotals(bool sort, bool calculated = false);
  void SetWorkingInterval(Date begin, Date end, bool rebuild);
  void EnableDataBaseControls(bool open);
  void FillReopenMenu();
  // Tells why the database `resolved` (given as `path`) cannot be opened and,
  // for a file picked in the Reopen menu (`fromList`) that is gone or out of
  // reach, offers to take it out of the list.
  void ReportUnopenedFile(const std::string& path, const std::string& resolved,
                          TFileProblem problem, bool fromList);
  // Places one stored transaction (kind 204) or planned transaction (205)
  // into the tree of its kind.
  void InsertTransaction(int kind, std::uint32_t id);
  // Fills the quick-expense menu (BtFastExpenceClick shows it).
  void FillExpensesMenu();
  // A database counts as open when its open check passes.
  bool IsDataBaseOpened();
  // The file the first activation opens instead of the last database
  // ("" = the last one, as stored in the settings).
  void SetStartFile(const std::string& path) { FStartFile = path; }
  // Whether a start whose last database is not found opens the database
  // manager (on by default; off while nobody is at the screen).
  void SetManagerWhenLastIsMissing(bool open) { FManagerWhenLastIsMissing = open; }

  // Returns once the backups handed to the background are written.
  void WaitForBackups();

  CDataBase& DataBase();
  CTransactionsTree* FundsTreeNodes() { return FTransactionsTree.get(); }
  CTransactionsTree* ShedulerTreeNodes() { return FShedulerTree.get(); }
  const QPixmap& LinesImage() const { return FLines; }
  const std::string& Text(TMainText index) const { return FTexts[index]; }
  // The text of status panel 0.
  QString StatusText() const;
  // The count and sums of the selected transactions shown in the status
  // line while more than one is selected; empty otherwise.
  QString SelectionText() const;
  // The ids of the transaction rows selected in the current tab's tree, each
  // once, in the order of the rows (group and category rows do not count).
  std::vector<std::uint32_t> SelectedTransactionIds();
  int CurrentTab() const { return FCurrentTab; }
  int SortColumn() const { return FOrder.column; }
  bool SortDescending() const { return FOrder.descending; }

 public slots:
  void FormActivate();
  void BtPrevMonthClick();
  void BtNextMonthClick();
  void AccountsListClick();
  void AccountsPageControlChange(int index);
  void CurrenciesListClick();
  void TransactionsTabChange(int index);
  void BtTypesClick();
  void BtGroupsClick();
  void FundsHeaderSectionClick(int column);
  void FundsHeaderSectionResize(int column, int oldSize, int newSize);
  void BtMenuPrintClick();
  void ReopenClick();
  // Transaction commands.
  void BtNewClick();
  void New_CopyClick();
  void EditClick();
  void DeleteClick();
  void FundsTreeDblClick(QTreeWidgetItem* item);
  void FundsTreeMouseDown(const QPoint& position);
  void FundsTreeGetSelectedIndex();
  void BtMenuTransactionClick();
  void BtFastExpenceClick();
  void ExpenceMenuItemClick();
  void BtSectionsClick();
  void BtMembersClick();
  // The categories window on its income, family-member or section tab.
  void BtTypesDirClick();
  void BtMembersListClick();
  void BtSectionsListClick();
  // The custom interval picker on the working interval.
  void BtCalendarClick();
  // The currencies, accounts and exchange-rate windows, and the account
  // editor on a double-clicked account card.
  void BtCurrencesDirClick();
  void BtAccountsDirClick();
  void BtExchangeRateClick();
  void AccountsListDblClick();
  void AccountsListMouseDown(const QPoint& position);
  void CheckBankClick();
  // The reports window on the working interval.
  void BtReportsClick();
  // The export and import windows (made at their first use and kept, so
  // that they keep their choices), and the undoing of the last import.
  void BtExportClick();
  void BtImportClick();
  void UndoImportClick();
  // Shows whether the last import can be undone, naming its file.
  void ShowUndoImport();
  // Undo and Redo of the last step of changes (Ctrl+Z; Ctrl+Shift+Z or
  // Ctrl+Y), and their menu items named after the step.
  void UndoClick();
  void RedoClick();
  void ShowUndoRedo();
  // The database manager, the database and application settings, About,
  // Exit, and the web pages: help, home page and the new-version reminder.
  void BtMenuManagerClick();
  void BtMenuDBSettingsClick();
  void BtSettingsClick();
  void About1Click();
  void Exit1Click();
  void CheckUpdatesClick();
  void Pardowhelp1Click();
  void PardowHomePage1Click();
  // Stores today as the day of the last check, then asks whether to open
  // the page about new versions.
  void AskForUpdates();
  // The find window over the whole database (Ctrl+F), and what it asks:
  // the editor on a match, and the match's month with the match selected.
  void FindClick();
  void FindOpenTransaction(std::uint32_t id);
  void FindShowInMonth(std::uint32_t id);
  // The categorizing rules (Tools / Rules...), and a rule made from the
  // selected expense or income row (its menu item).
  void RulesClick();
  void MakeRuleClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  // The account cards and currency rows are painted from the caches.
  void InstallListPainters();
  void CreateMenus();
  QWidget* CreateLeftSide();
  QWidget* CreateRightSide();
  // A button of ToolBar1 with `text` under the icon PardowIcon(icon).
  QToolButton* ToolButton(QToolBar* bar, const char* name, const char* text, const char* icon);
  // Shows `text` in the status bar; painted at once unless `now` is false,
  // for states that pass too quickly to be seen.
  void SetStatus(TMainText text, bool now = true);
  // The rebuild of the trees has run long enough for its states and its
  // progress to be worth painting while it goes on.
  bool RebuildIsSlow() const;
  void SetPathPanel(const QString& path);
  CTransactionsTree* CurrentTree();
  QTreeWidget* CurrentTreeControl();
  std::uint32_t SelectedAccountId() const;
  std::uint32_t BaseCurrencyId() const;
  bool SummaryPageShown() const;
  void FormClose();
  // The selected node of the current tab's tree, or nullptr.
  CTransactionNode* SelectedNode();
  // The transaction of the one selected row when it is an expense or an
  // income of the Transactions tab (what a rule can be made from), else 0.
  std::uint32_t RuleRowId();
  int TabKind() const;
  // Shows or hides the member and section columns of the current tab.
  void ApplyColumnToggles();
  void OpenCategories(int tabIndex);
  void FormDestroy();
  // Selects the rows of the stored transactions `ids` of the current tab.
  void SelectTransactions(const std::vector<std::uint32_t>& ids);
  // Selects the row of stored transaction `id` (kind 204 on the
  // Transactions tab, 205 on the Scheduler tab) and scrolls it into view.
  void SelectTransaction(int kind, std::uint32_t id);
  // Shows the column order in use in both headers.
  void ShowSortIndicator();
  // New (as copy) and the quick expenses: stores a new transaction through
  // the editor and shows it selected.
  void ShowAdded(int kind, std::uint32_t id);
  // Edit and Delete with several transactions selected: the bulk edit
  // dialog, or one question and one batch of deletes; then the rows of what
  // the file now holds, the changed ones selected again.
  void BulkEdit(const std::vector<std::uint32_t>& ids);
  void BulkDelete(const std::vector<std::uint32_t>& ids);
  // Shows or hides the selection's count and sums in the status line.
  void ShowSelection(const std::vector<std::uint32_t>& ids);
  // What the trees showed as a step of changes began: the tab, the expanded
  // rows and the selected transactions. An undone step shows it again.
  struct CViewState {
    int tab = 0;
    std::vector<std::vector<std::uint64_t>> expanded;  // rows as paths of node keys
    std::vector<std::uint32_t> selected;
  };
  CViewState CaptureView();
  void RestoreView(const CViewState& view);
  // After an undo or redo: everything shown again from the file.
  void ShowAfterReplay();

  std::map<std::uint64_t, CViewState> FViewBeforeStep;  // by step serial, recent steps

  // Automatic backups (Unitmain_backups.cpp): the database's hook that backs
  // up each opened file before its first change, the copy itself, and the
  // one message when it fails.
  void InstallBackupHook();
  void BackupBeforeFirstChange(const std::string& fileName);
  void ReportBackupFailure(const std::string& error);

  // Owned for the whole run, in the order they are created.
  std::unique_ptr<CLogger> FLogger;
  std::unique_ptr<CBaseContainer> FContainer;
  CDataBase* FDataBase = nullptr;  // owned by FContainer
  std::unique_ptr<CTransactionsTree> FTransactionsTree;
  std::unique_ptr<CTransactionsTree> FShedulerTree;

  std::string FAppDataFolder;  // Lang/ and docs/ live here
  std::array<std::string, kTextCount> FTexts;
  std::array<std::string, 12> FMonthNames;
  int FCurrentTab = 0;
  TTreeOrder FOrder;            // the order of both trees, chosen in their header
  QElapsedTimer FRebuildClock;  // started as the trees begin to be rebuilt
  bool FActivated = false;      // FormActivate has run
  bool FDestroyed = false;      // FormDestroy has run
  int FSelectedAccountRow = -1;
  int FSelectedCurrencyRow = -1;
  // Reads the agreed bank checks of the open database for the cards; tells
  // the user once about a companion file that is damaged or unreadable.
  void LoadAgreedChecks();
  std::map<std::uint32_t, Date> FAgreedDays;  // last agreed bank check per account
  std::string FTextAgreedCard;                // "Agreed with bank on %1"
  TAccountItems FAccounts;                    // one entry per row of AccountsList
  TCurrencyItems FCurrencies;                 // one entry per row of CurrenciesList
  QPixmap FLines;                             // ImgLines: the strip picture
  QIcon FAccountIcon;                         // ToolImages image 1
  bool FSyncingHeaders = false;               // a header width is being copied to the other tree
  std::string FStartFile;                     // opened at the first activation when set
  bool FManagerWhenLastIsMissing = true;
  bool FOpeningFromReopenMenu = false;  // ReopenClick is opening a file
  TFormExport* FExportForm = nullptr;   // children of the window, made on first use
  TFormImport* FImportForm = nullptr;
  TFormFind* FFindForm = nullptr;  // made on first use, kept with its query
  // Each column's width while shown, kept while it is hidden.
  std::array<int, kFundsColumnCount> FColumnWidths{};
  // Finishes the backups off the window's thread.
  std::unique_ptr<CBackupRunner> FBackupRunner;

  // Controls, named as the window names them.
  QToolBar* ToolBar1 = nullptr;
  QSplitter* MainSplitter = nullptr;  // the left pane | the trees
  QToolButton* BtCurrencesDir = nullptr;
  QToolButton* BtAccountsDir = nullptr;
  QToolButton* BtTypesDir = nullptr;
  QToolButton* BtMembersList = nullptr;
  QToolButton* BtSectionsList = nullptr;
  QToolButton* BtMenuDBSettings = nullptr;
  QToolButton* BtExport = nullptr;
  QToolButton* BtImport = nullptr;
  QToolButton* BtSettings = nullptr;
  QToolButton* BtReports = nullptr;
  QWidget* DatePanel = nullptr;
  QToolButton* BtPrevMonth = nullptr;
  QToolButton* BtCalendar = nullptr;
  QToolButton* BtNextMonth = nullptr;
  QLabel* LbCurrentDate = nullptr;
  QTabWidget* AccountsPageControl = nullptr;
  QWidget* AccountsTab = nullptr;
  QListWidget* AccountsList = nullptr;
  QWidget* SummaryTab = nullptr;
  QLabel* LbBalance = nullptr;
  QLabel* LbBalanceValue = nullptr;
  QLabel* LbScheduled = nullptr;
  QLabel* LbScheduledValue = nullptr;
  QLabel* LbCurrency = nullptr;
  QLabel* LbExchangeRate = nullptr;
  QListWidget* CurrenciesList = nullptr;
  QPushButton* BtExchangeRate = nullptr;
  QTabBar* TransactionsTab = nullptr;
  QStackedWidget* TreesStack = nullptr;
  QTreeWidget* FundsTree = nullptr;
  QTreeWidget* ShedulerTree = nullptr;
  QToolBar* ToolBar2 = nullptr;
  QToolButton* BtSections = nullptr;
  QToolButton* BtMembers = nullptr;
  QToolButton* BtTypes = nullptr;
  QToolButton* BtGroups = nullptr;
  QPushButton* BtFastExpence = nullptr;
  QPushButton* BtNew = nullptr;
  QPushButton* BtNewCopy = nullptr;
  QPushButton* BtEdit = nullptr;
  QPushButton* BtDel = nullptr;
  QLabel* StatusPanel0 = nullptr;
  QLabel* StatusPanel1 = nullptr;
  QLabel* StatusSelection = nullptr;
  QProgressBar* LoadProgress = nullptr;
  QMenu* MnFile = nullptr;
  QMenu* MnReopen = nullptr;
  QMenu* MnTransaction = nullptr;
  QMenu* MnLists = nullptr;
  QMenu* MnTools = nullptr;
  QMenu* MnHelp = nullptr;
  QMenu* FundsMenu = nullptr;
  QMenu* ExpensesMenu = nullptr;
  QAction* MnDBManager = nullptr;
  QAction* MnPrint = nullptr;
  QAction* MnExit = nullptr;
  QAction* MnNew = nullptr;
  QAction* MnNewCopy = nullptr;
  QAction* MnEdit = nullptr;
  QAction* MnDelete = nullptr;
  QAction* MnUndoImport = nullptr;
  QAction* MnUndo = nullptr;
  QAction* MnRedo = nullptr;
  QAction* MnFastExpence = nullptr;
  QAction* MnFind = nullptr;
  QAction* MnCurrences = nullptr;
  QAction* MnAccounts = nullptr;
  QAction* MnTypes = nullptr;
  QAction* MnMembers = nullptr;
  QAction* MnSections = nullptr;
  QAction* MnReports = nullptr;
  QAction* MnSettings = nullptr;
  QAction* MnDBSettings = nullptr;
  QAction* MnExport = nullptr;
  QAction* MnImport = nullptr;
  QAction* MnOnlineHelp = nullptr;
  QAction* MnHomePage = nullptr;
  QAction* MnCheckVersion = nullptr;
  QAction* MnAbout = nullptr;
  QAction* PmNew = nullptr;
  QAction* PmNewCopy = nullptr;
  QAction* PmEdit = nullptr;
  QAction* PmDelete = nullptr;
  QAction* PmCheckBank = nullptr;  // in FundsMenu and AccountsMenu
  QAction* PmMakeRule = nullptr;
  QAction* MnRules = nullptr;
  QMenu* AccountsMenu = nullptr;  // the account cards' menu
};
