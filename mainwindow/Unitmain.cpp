// TFormMain: construction, layout and texts.
#include "Unitmain.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include "ApplicationLogic.h"
#include "BankCheckLogic.h"
#include "ControlTexts.h"
#include "FittingLabel.h"
#include "Icons.h"
#include "Include.h"
#include "Mainlogic.h"
#include "Platform.h"
#include "Qtexts.h"
#include "ScheduleText.h"
#include "Settingsstorage.h"
#include "Skin.h"

namespace {

constexpr int kColumnCount = kFundsColumnCount;
constexpr int kFirstLeftPaneWidth = 262;  // the left pane at the first start

// A menu text as a tool button shows it: without its access-key marks.
QString WithoutAccessKey(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&&"));
  return text;
}

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormMain"));
  FContainer = nullptr;
  FLines = MakeImgLines();
  FAccountIcon = AccountIcon();
  FTexts = {"Incomings",
            "Expenses",
            "Planned expenditures",
            "Delete Transaction",
            "Reading file...",
            "No file opened",
            "Loading...",
            "Building Tree...",
            "Calculation...",
            "Ready",
            "Pardow report. Time interval:",
            "Can't open file",
            "Invalid password!",
            "Check for New Version? (Internet connection required)",
            "Balance",
            "Scheduled",
            "Budget"};
  // The log comes first, so that every service's banner follows it.
  const TProgramFolders folders = GetProgramFolders();
  FAppDataFolder = folders.resources;
  // The log's and the databases' folders may not exist yet on a first start
  // of an installed program; a failure shows later as a file that cannot be
  // written.
  std::error_code ignored;
  std::filesystem::create_directories(folders.log, ignored);
  std::filesystem::create_directories(folders.data, ignored);
  FLogger = std::make_unique<CLogger>(folders.log + "log.html");
  InitSettings(Settings::kRegistryPath, false);
  Settings::CSettingsStorage& settings = GetSettings();
  settings.SetLocaleFileName(settings.GetLocaleFileName(Settings::kDefaultLocaleFileName));
  SetShortDateFormatter(&ShortDateUtf8);

  CreateControls();
  CreateMenus();
  setMinimumSize(800, 480);
  const QRect screen = QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(0, 0, 1024, 768);
  const TWindowSize initial = DefaultWindowSize(screen.width(), screen.height());
  resize(initial.width, initial.height);
  move(100, 100);
  move(settings.GetPositionX(x()), settings.GetPositionY(y()));
  resize(settings.GetWindowWidth(width()), settings.GetWindowHeight(height()));
  const int leftWidth = std::max(220, settings.GetLeftPaneWidth(kFirstLeftPaneWidth));
  MainSplitter->setSizes({leftWidth, std::max(1, width() - leftWidth)});
  BtGroups->setChecked(settings.GetGroupsVisible(0));
  BtTypes->setChecked(settings.GetTypesVisible(0));
  BtMembers->setChecked(false);
  BtSections->setChecked(false);
  ApplyColumnToggles();

  ApplyLanguage();
  FContainer = std::make_unique<CBaseContainer>();
  FDataBase = &FContainer->GetDataBase();
  FDataBase->SetStepObserver([this](std::uint64_t serial) {
    FViewBeforeStep[serial] = CaptureView();
    // Once the change is made, the items (and their shortcuts) offer it.
    QTimer::singleShot(0, this, &TFormMain::ShowUndoRedo);
    while (FViewBeforeStep.size() > CUndoHistory::kMaxSteps + 50)
      FViewBeforeStep.erase(FViewBeforeStep.begin());
  });
  InstallBackupHook();
  EnableDataBaseControls(false);
  FTransactionsTree = std::make_unique<CTransactionsTree>(
      FundsTree, *FDataBase, FTexts[kTextIncomes], FTexts[kTextExpenses]);
  FShedulerTree = std::make_unique<CTransactionsTree>(ShedulerTree, *FDataBase,
                                                      FTexts[kTextIncomes], FTexts[kTextExpenses]);
  for (int tab = 0; tab < 2; ++tab) {
    CTransactionsTree* tree = tab == 0 ? FTransactionsTree.get() : FShedulerTree.get();
    tree->ShowTypes = settings.GetTypesVisible(tab);
    tree->GroupByName = settings.GetGroupsVisible(tab);
    tree->Progress = [this](std::size_t done, std::size_t total) {
      LoadProgress->setMaximum(static_cast<int>(total));
      LoadProgress->setValue(static_cast<int>(done));
      if (!RebuildIsSlow()) return;
      if (LoadProgress->isHidden()) {
        LoadProgress->show();
        StatusPanel0->repaint();
      }
      LoadProgress->repaint();
    };
  }
  static_cast<CFundsTree*>(FundsTree)->SetTree(FTransactionsTree.get(), FDataBase, &FLines,
                                               kTransactionsTab);
  static_cast<CFundsTree*>(ShedulerTree)
      ->SetTree(FShedulerTree.get(), FDataBase, &FLines, kSchedulerTab);
  // A planned transaction's row tells its schedule in words and its next due day.
  static_cast<CFundsTree*>(ShedulerTree)->ToolTipOf = [this](const CTransactionNode* node) {
    CPlnTransactionItem item;
    if (node->kind != NodeTransaction ||
        FDataBase->GetPlnTransaction(node->transactionId, item).id != node->transactionId)
      return QString();
    return Q(ScheduleToolTip(item.record.schedule, LocalizedScheduleWords(GetLocalizedText),
                             GetLocalizedText(30301, "Next due: %1"),
                             GetLocalizedText(30302, "No further occurrence")));
  };
  InstallListPainters();
}

TFormMain::~TFormMain() {
  // The controls outlive this destructor (QWidget deletes them later): none
  // of their last signals may reach a handler of a window that is gone.
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  FormDestroy();
  FContainer.reset();     // closes the database
  FBackupRunner.reset();  // waits for the backups still being written
  FLogger.reset();        // last: "DudoDov uninitialized" ends the log
}

// Paints the rows of a list through a function of the window.
class CRowPainterDelegate : public QStyledItemDelegate {
 public:
  using Painter = std::function<void(QPainter&, const QRect&, int row)>;
  CRowPainterDelegate(QObject* parent, int height, Painter painter)
      : QStyledItemDelegate(parent), height_(height), painter_(std::move(painter)) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    painter_(*painter, option.rect, index.row());
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(0, height_);
  }

 private:
  int height_;
  Painter painter_;
};

void TFormMain::InstallListPainters() {
  AccountsList->setItemDelegate(
      new CRowPainterDelegate(AccountsList, 70, [this](QPainter& p, const QRect& rect, int row) {
        if (row < 0 || row >= static_cast<int>(FAccounts.size())) return;
        TAccountCard card = AccountCardOf(FAccounts[row], *FDataBase, Q(FTexts[kTextBalance]),
                                          Q(FTexts[kTextBudget]));
        auto agreed = FAgreedDays.find(FAccounts[row].id);
        if (agreed != FAgreedDays.end())
          card.agreed = Q(AgreedCardText(FTextAgreedCard, agreed->second));
        PaintAccountRow(p, rect, row == FSelectedAccountRow, card, FLines, FAccountIcon);
      }));
  CurrenciesList->setItemDelegate(
      new CRowPainterDelegate(CurrenciesList, 20, [this](QPainter& p, const QRect& rect, int row) {
        if (row < 0 || row >= static_cast<int>(FCurrencies.size())) return;
        const std::uint32_t base = BaseCurrencyId();
        CCurrencyItem baseCurrency;
        FDataBase->GetCurrency(base, baseCurrency);
        const std::string rate =
            SummaryRateText(*FDataBase, FCurrencies[row].id, base, GetSettings().GetNumberFormat());
        PaintCurrencyRow(p, rect, row, row == FSelectedCurrencyRow,
                         StoredToQString(FCurrencies[row].fullName),
                         Q(rate.empty() ? GetLocalizedText(30300, "no rate") : rate),
                         rate.empty() ? QString() : StoredToQString(baseCurrency.name), FLines);
      }));
}

// ---- Layout ----

QToolButton* TFormMain::ToolButton(QToolBar* bar, const char* name, const char* text,
                                   const char* icon) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(QString::fromLatin1(text));
  button->setIcon(PardowIcon(icon));
  button->setIconSize(QSize(36, 36));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setMinimumSize(69, 59);
  button->setAutoRaise(true);
  bar->addWidget(button);
  return button;
}

void TFormMain::CreateControls() {
  setFont(WindowFont());

  ToolBar1 = addToolBar(QStringLiteral("Main"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  // The bar's own size, or it shrinks its buttons' icons to the style's 24 px.
  ToolBar1->setIconSize(QSize(36, 36));
  BtCurrencesDir = ToolButton(ToolBar1, "BtCurrencesDir", "Currencies", "currencies");
  BtAccountsDir = ToolButton(ToolBar1, "BtAccountsDir", "Accounts", "accounts");
  BtTypesDir = ToolButton(ToolBar1, "BtTypesDir", "Categories", "categories");
  BtMembersList = ToolButton(ToolBar1, "BtMembersList", "Family", "family");
  BtSectionsList = ToolButton(ToolBar1, "BtSectionsList", "Sections", "sections");
  ToolBar1->addSeparator();
  BtMenuDBSettings = ToolButton(ToolBar1, "BtMenuDBSettings", "DataBase", "database");
  BtExport = ToolButton(ToolBar1, "BtExport", "Export", "export");
  BtImport = ToolButton(ToolBar1, "BtImport", "Import", "import");
  ToolBar1->addSeparator();
  BtSettings = ToolButton(ToolBar1, "BtSettings", "Settings", "settings");
  BtReports = ToolButton(ToolBar1, "BtReports", "Reports", "reports");

  // The left pane and the trees share the width as the user drags it.
  MainSplitter = new QSplitter(Qt::Horizontal, this);
  MainSplitter->setObjectName(QStringLiteral("MainSplitter"));
  MainSplitter->setContentsMargins(4, 4, 4, 4);
  MainSplitter->setChildrenCollapsible(false);
  MainSplitter->addWidget(CreateLeftSide());
  MainSplitter->addWidget(CreateRightSide());
  MainSplitter->setStretchFactor(0, 0);
  MainSplitter->setStretchFactor(1, 1);
  setCentralWidget(MainSplitter);

  StatusPanel0 = new QLabel(this);
  StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
  StatusPanel0->setMinimumWidth(270);
  StatusPanel1 = new QLabel(this);
  StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  StatusPanel1->setMinimumWidth(500);
  LoadProgress = new QProgressBar(this);
  LoadProgress->setObjectName(QStringLiteral("LoadProgress"));
  LoadProgress->setMaximumWidth(150);
  LoadProgress->setMaximumHeight(14);
  LoadProgress->setTextVisible(false);
  LoadProgress->hide();
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(StatusPanel0);
  statusBar()->addWidget(LoadProgress);
  statusBar()->addWidget(StatusPanel1, 1);
  // The count and sums of several selected transactions (ShowSelection).
  StatusSelection = new QLabel(this);
  StatusSelection->setObjectName(QStringLiteral("StatusSelection"));
  StatusSelection->hide();
  statusBar()->addPermanentWidget(StatusSelection);
}

QWidget* TFormMain::CreateLeftSide() {
  auto* left = new QWidget(this);
  left->setMinimumWidth(220);
  auto* layout = new QVBoxLayout(left);
  layout->setContentsMargins(0, 0, 0, 0);

  DatePanel = new QWidget(left);
  DatePanel->setObjectName(QStringLiteral("DatePanel"));
  auto* dates = new QHBoxLayout(DatePanel);
  dates->setContentsMargins(0, 0, 0, 0);
  dates->setSpacing(1);
  auto glyphButton = [&](const char* name, const char* icon) {
    auto* button = new QToolButton(DatePanel);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(PardowIcon(icon));
    button->setIconSize(QSize(20, 20));
    button->setAutoRaise(true);
    return button;
  };
  BtPrevMonth = glyphButton("BtPrevMonth", "previous");
  BtCalendar = glyphButton("BtCalendar", "calendar");
  BtNextMonth = glyphButton("BtNextMonth", "next");
  LbCurrentDate = new CFittingLabel(DatePanel);
  LbCurrentDate->setObjectName(QStringLiteral("LbCurrentDate"));
  LbCurrentDate->setAlignment(Qt::AlignCenter);
  StyleIntervalCaption(LbCurrentDate);
  dates->addWidget(BtPrevMonth);
  dates->addWidget(LbCurrentDate, 1);
  dates->addWidget(BtCalendar);
  dates->addWidget(BtNextMonth);
  layout->addWidget(DatePanel);

  AccountsPageControl = new QTabWidget(left);
  AccountsPageControl->setObjectName(QStringLiteral("AccountsPageControl"));
  AccountsTab = new QWidget;
  AccountsTab->setObjectName(QStringLiteral("AccountsTab"));
  auto* accountsLayout = new QVBoxLayout(AccountsTab);
  accountsLayout->setContentsMargins(2, 2, 2, 2);
  AccountsList = new QListWidget(AccountsTab);
  AccountsList->setObjectName(QStringLiteral("AccountsList"));
  AccountsList->setUniformItemSizes(true);
  accountsLayout->addWidget(AccountsList);
  AccountsPageControl->addTab(AccountsTab, QStringLiteral("Accounts"));

  SummaryTab = new QWidget;
  SummaryTab->setObjectName(QStringLiteral("SummaryTab"));
  auto* summary = new QVBoxLayout(SummaryTab);
  summary->setContentsMargins(2, 2, 2, 2);
  auto* box = new QGroupBox(SummaryTab);
  auto* boxLayout = new QGridLayout(box);
  LbBalance = new QLabel(QStringLiteral("Balance"), box);
  LbBalance->setObjectName(QStringLiteral("LbBalance"));
  LbBalanceValue = new QLabel(box);
  LbBalanceValue->setObjectName(QStringLiteral("LbBalanceValue"));
  LbBalanceValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont balanceFont = LbBalanceValue->font();
  balanceFont.setPixelSize(15);
  balanceFont.setBold(true);
  LbBalanceValue->setFont(balanceFont);
  LbScheduled = new QLabel(QStringLiteral("Scheduled"), box);
  LbScheduled->setObjectName(QStringLiteral("LbScheduled"));
  LbScheduledValue = new QLabel(box);
  LbScheduledValue->setObjectName(QStringLiteral("LbScheduledValue"));
  boxLayout->addWidget(LbBalance, 0, 0);
  boxLayout->addWidget(LbBalanceValue, 1, 0);
  boxLayout->addWidget(LbScheduled, 2, 0);
  boxLayout->addWidget(LbScheduledValue, 3, 0);
  summary->addWidget(box);
  auto* captions = new QHBoxLayout;
  LbCurrency = new QLabel(QStringLiteral("Base currency"), SummaryTab);
  LbCurrency->setObjectName(QStringLiteral("LbCurrency"));
  LbExchangeRate = new QLabel(QStringLiteral("Exchange rate"), SummaryTab);
  LbExchangeRate->setObjectName(QStringLiteral("LbExchangeRate"));
  captions->addWidget(LbCurrency);
  captions->addStretch();
  captions->addWidget(LbExchangeRate);
  summary->addLayout(captions);
  CurrenciesList = new QListWidget(SummaryTab);
  CurrenciesList->setObjectName(QStringLiteral("CurrenciesList"));
  CurrenciesList->setUniformItemSizes(true);
  summary->addWidget(CurrenciesList, 1);
  BtExchangeRate = new QPushButton(QStringLiteral("Edit exchange rate"), SummaryTab);
  BtExchangeRate->setObjectName(QStringLiteral("BtExchangeRate"));
  BtExchangeRate->setIcon(PardowIcon("exchange-rate"));
  summary->addWidget(BtExchangeRate);
  AccountsPageControl->addTab(SummaryTab, QStringLiteral("Summary"));
  layout->addWidget(AccountsPageControl, 1);

  connect(BtPrevMonth, &QToolButton::clicked, this, &TFormMain::BtPrevMonthClick);
  connect(BtNextMonth, &QToolButton::clicked, this, &TFormMain::BtNextMonthClick);
  // A row chosen with the mouse or the keyboard selects the account or the
  // base currency.
  connect(AccountsList, &QListWidget::currentRowChanged, this, &TFormMain::AccountsListClick);
  connect(CurrenciesList, &QListWidget::currentRowChanged, this, &TFormMain::CurrenciesListClick);
  connect(AccountsPageControl, &QTabWidget::currentChanged, this,
          &TFormMain::AccountsPageControlChange);
  return left;
}

QWidget* TFormMain::CreateRightSide() {
  auto* right = new QWidget(this);
  auto* layout = new QVBoxLayout(right);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  TransactionsTab = new QTabBar(right);
  TransactionsTab->setObjectName(QStringLiteral("TransactionsTab"));
  TransactionsTab->addTab(QStringLiteral("Transactions"));
  TransactionsTab->addTab(QStringLiteral("Scheduler"));
  TransactionsTab->setDrawBase(false);
  layout->addWidget(TransactionsTab);

  auto* middle = new QHBoxLayout;
  TreesStack = new QStackedWidget(right);
  auto makeTree = [&](const char* name) {
    auto* tree = new CFundsTree(TreesStack);
    tree->setObjectName(QString::fromLatin1(name));
    tree->header()->setSectionsClickable(true);
    tree->header()->setSortIndicatorShown(true);
    // FundsTreeDblClick expands and collapses; the tree's own toggle would
    // undo it.
    tree->setExpandsOnDoubleClick(false);
    TreesStack->addWidget(tree);
    return tree;
  };
  FundsTree = makeTree("FundsTree");
  ShedulerTree = makeTree("ShedulerTree");
  FundsTree->header()->setObjectName(QStringLiteral("FundsHeader"));
  FundsTree->horizontalScrollBar()->setObjectName(QStringLiteral("FundsScroll"));
  FundsTree->horizontalScrollBar()->setSingleStep(20);
  FundsTree->horizontalScrollBar()->setPageStep(100);
  middle->addWidget(TreesStack, 1);

  ToolBar2 = new QToolBar(right);
  ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
  ToolBar2->setOrientation(Qt::Vertical);
  ToolBar2->setIconSize(QSize(22, 22));
  auto toggle = [&](const char* name, const char* icon) {
    auto* button = new QToolButton(ToolBar2);
    button->setObjectName(QString::fromLatin1(name));
    button->setCheckable(true);
    button->setIcon(PardowIcon(icon));
    button->setIconSize(QSize(22, 22));
    ToolBar2->addWidget(button);
    return button;
  };
  BtSections = toggle("BtSections", "sections");
  BtMembers = toggle("BtMembers", "family");
  BtTypes = toggle("BtTypes", "categories");
  BtGroups = toggle("BtGroups", "groups");
  middle->addWidget(ToolBar2);
  layout->addLayout(middle, 1);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), right);
    b->setObjectName(QString::fromLatin1(name));
    // Never narrower than its text: a longer language widens the window instead.
    b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    buttons->addWidget(b);
    return b;
  };
  BtFastExpence = button("BtFastExpence", "Quick Expense");
  buttons->addStretch();
  BtNew = button("BtNew", "New...");
  BtNewCopy = button("BtNewCopy", "New (as copy)...");
  BtEdit = button("BtEdit", "Edit");
  BtDel = button("BtDel", "Delete");
  BtNewCopy->setEnabled(false);
  BtEdit->setEnabled(false);
  BtDel->setEnabled(false);
  for (auto [b, icon] : {std::pair{BtFastExpence, "quick-expense"},
                         {BtNew, "new"},
                         {BtNewCopy, "copy"},
                         {BtEdit, "edit"},
                         {BtDel, "delete"}})
    b->setIcon(PardowIcon(icon));
  layout->addLayout(buttons);

  connect(TransactionsTab, &QTabBar::currentChanged, this, &TFormMain::TransactionsTabChange);
  connect(BtNew, &QPushButton::clicked, this, &TFormMain::BtNewClick);
  connect(BtNewCopy, &QPushButton::clicked, this, &TFormMain::New_CopyClick);
  connect(BtEdit, &QPushButton::clicked, this, &TFormMain::EditClick);
  connect(BtDel, &QPushButton::clicked, this, &TFormMain::DeleteClick);
  connect(BtFastExpence, &QPushButton::clicked, this, &TFormMain::BtFastExpenceClick);
  connect(BtSections, &QToolButton::clicked, this, &TFormMain::BtSectionsClick);
  connect(BtMembers, &QToolButton::clicked, this, &TFormMain::BtMembersClick);
  for (QTreeWidget* tree : {FundsTree, ShedulerTree}) {
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QTreeWidget::itemDoubleClicked, this, &TFormMain::FundsTreeDblClick);
    connect(tree, &QTreeWidget::customContextMenuRequested, this, &TFormMain::FundsTreeMouseDown);
    connect(tree, &QTreeWidget::currentItemChanged, this, &TFormMain::FundsTreeGetSelectedIndex);
    connect(tree, &QTreeWidget::itemSelectionChanged, this, &TFormMain::FundsTreeGetSelectedIndex);
  }
  connect(BtTypes, &QToolButton::clicked, this, &TFormMain::BtTypesClick);
  connect(BtGroups, &QToolButton::clicked, this, &TFormMain::BtGroupsClick);
  for (QTreeWidget* tree : {FundsTree, ShedulerTree}) {
    connect(tree->header(), &QHeaderView::sectionClicked, this,
            &TFormMain::FundsHeaderSectionClick);
    connect(tree->header(), &QHeaderView::sectionResized, this,
            &TFormMain::FundsHeaderSectionResize);
  }
  return right;
}

void TFormMain::CreateMenus() {
  auto action = [&](QMenu* menu, const char* name, const char* text) {
    QAction* a = menu->addAction(QString::fromLatin1(text));
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  MnFile = menuBar()->addMenu(QStringLiteral("File"));
  MnFile->setObjectName(QStringLiteral("MnFile"));
  MnDBManager = action(MnFile, "MnDBManager", "DataBase Manager");
  MnReopen = MnFile->addMenu(QStringLiteral("Reopen"));
  MnReopen->setObjectName(QStringLiteral("MnReopen"));
  MnPrint = action(MnFile, "MnPrint", "Print...");
  MnPrint->setShortcut(QKeySequence::Print);
  MnFile->addSeparator();
  MnExit = action(MnFile, "MnExit", "Exit");
  MnExit->setShortcut(QKeySequence::Quit);

  MnTransaction = menuBar()->addMenu(QStringLiteral("Transaction"));
  MnTransaction->setObjectName(QStringLiteral("MnTransaction"));
  MnNew = action(MnTransaction, "MnNew", "New...");
  MnNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  MnNewCopy = action(MnTransaction, "MnNewCopy", "New (as copy)...");
  MnNewCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
  MnEdit = action(MnTransaction, "MnEdit", "Edit...");
  MnEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  MnDelete = action(MnTransaction, "MnDelete", "Delete");
  MnDelete->setShortcut(QKeySequence(Qt::Key_Delete));
  MnFastExpence = action(MnTransaction, "MnFastExpence", "Quick Expense...");
  MnFind = action(MnTransaction, "MnFind", "Find...");
  MnFind->setShortcut(QKeySequence::Find);
  MnTransaction->addSeparator();
  MnUndo = action(MnTransaction, "MnUndo", "Undo");
  MnUndo->setShortcut(QKeySequence::Undo);
  MnUndo->setIcon(UndoIcon());
  MnRedo = action(MnTransaction, "MnRedo", "Redo");
  MnRedo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  MnUndoImport = action(MnTransaction, "MnUndoImport", "Undo import");
  MnUndoImport->setIcon(UndoIcon());

  // The lists of the tool bar, reachable from the keyboard as well.
  MnLists = menuBar()->addMenu(QStringLiteral("Lists"));
  MnLists->setObjectName(QStringLiteral("MnLists"));
  MnCurrences = action(MnLists, "MnCurrences", "Currencies");
  MnAccounts = action(MnLists, "MnAccounts", "Accounts");
  MnTypes = action(MnLists, "MnTypes", "Categories");
  MnMembers = action(MnLists, "MnMembers", "Family");
  MnSections = action(MnLists, "MnSections", "Sections");

  MnTools = menuBar()->addMenu(QStringLiteral("Tools"));
  MnTools->setObjectName(QStringLiteral("MnTools"));
  MnDBSettings = action(MnTools, "MnDBSettings", "DataBase Settings");
  MnExport = action(MnTools, "MnExport", "Export");
  MnImport = action(MnTools, "MnImport", "Import");
  MnRules = action(MnTools, "MnRules", "Rules...");
  MnTools->addSeparator();
  MnReports = action(MnTools, "MnReports", "Reports");
  MnSettings = action(MnTools, "MnSettings", "Settings");

  MnHelp = menuBar()->addMenu(QStringLiteral("Help"));
  MnHelp->setObjectName(QStringLiteral("MnHelp"));
  MnOnlineHelp = action(MnHelp, "MnOnlineHelp", "On-line Help");
  MnOnlineHelp->setShortcut(QKeySequence::HelpContents);
  MnHomePage = action(MnHelp, "MnHomePage", "Pardow Home Page");
  MnCheckVersion = action(MnHelp, "MnCheckVersion", "Check for New Version");
  MnHelp->addSeparator();
  MnAbout = action(MnHelp, "MnAbout", "About...");

  FundsMenu = new QMenu(this);
  FundsMenu->setObjectName(QStringLiteral("FundsMenu"));
  PmNew = action(FundsMenu, "PmNew", "New...");
  PmNewCopy = action(FundsMenu, "PmNewCopy", "New (as copy)...");
  PmEdit = action(FundsMenu, "PmEdit", "Edit...");
  PmDelete = action(FundsMenu, "PmDelete", "Delete");
  FundsMenu->addSeparator();
  PmCheckBank = action(FundsMenu, "PmCheckBank", "Check against bank...");
  PmMakeRule = action(FundsMenu, "PmMakeRule", "Make a rule from this row...");
  AccountsMenu = new QMenu(this);
  AccountsMenu->setObjectName(QStringLiteral("AccountsMenu"));
  AccountsMenu->addAction(PmCheckBank);
  ExpensesMenu = new QMenu(this);
  ExpensesMenu->setObjectName(QStringLiteral("ExpensesMenu"));
  // Menu items show the icon of the tool bar button or command they share.
  const std::pair<QAction*, const char*> icons[] = {{MnDBManager, "database-manager"},
                                                    {MnReopen->menuAction(), "reopen"},
                                                    {MnPrint, "print"},
                                                    {MnExit, "exit"},
                                                    {MnNew, "new"},
                                                    {MnNewCopy, "copy"},
                                                    {MnEdit, "edit"},
                                                    {MnDelete, "delete"},
                                                    {MnDBSettings, "database"},
                                                    {MnExport, "export"},
                                                    {MnImport, "import"},
                                                    {MnFastExpence, "quick-expense"},
                                                    {MnCurrences, "currencies"},
                                                    {MnAccounts, "accounts"},
                                                    {MnTypes, "categories"},
                                                    {MnMembers, "family"},
                                                    {MnSections, "sections"},
                                                    {MnReports, "reports"},
                                                    {MnSettings, "settings"},
                                                    {MnOnlineHelp, "help"},
                                                    {MnHomePage, "home-page"},
                                                    {MnCheckVersion, "check-version"},
                                                    {MnAbout, "about"},
                                                    {PmNew, "new"},
                                                    {PmNewCopy, "copy"},
                                                    {PmEdit, "edit"},
                                                    {PmDelete, "delete"}};
  for (const auto& [item, icon] : icons) item->setIcon(PardowIcon(icon));

  connect(MnPrint, &QAction::triggered, this, &TFormMain::BtMenuPrintClick);
  // Each list item does what its tool bar button does.
  const std::pair<QAction*, void (TFormMain::*)()> lists[] = {
      {MnFastExpence, &TFormMain::BtFastExpenceClick},
      {MnCurrences, &TFormMain::BtCurrencesDirClick},
      {MnAccounts, &TFormMain::BtAccountsDirClick},
      {MnTypes, &TFormMain::BtTypesDirClick},
      {MnMembers, &TFormMain::BtMembersListClick},
      {MnSections, &TFormMain::BtSectionsListClick},
      {MnReports, &TFormMain::BtReportsClick},
      {MnSettings, &TFormMain::BtSettingsClick}};
  for (const auto& [item, handler] : lists) connect(item, &QAction::triggered, this, handler);
  for (QAction* a : {MnNew, PmNew}) connect(a, &QAction::triggered, this, &TFormMain::BtNewClick);
  for (QAction* a : {MnNewCopy, PmNewCopy})
    connect(a, &QAction::triggered, this, &TFormMain::New_CopyClick);
  for (QAction* a : {MnEdit, PmEdit}) connect(a, &QAction::triggered, this, &TFormMain::EditClick);
  for (QAction* a : {MnDelete, PmDelete})
    connect(a, &QAction::triggered, this, &TFormMain::DeleteClick);
  connect(MnTransaction, &QMenu::aboutToShow, this, &TFormMain::BtMenuTransactionClick);
  connect(BtTypesDir, &QToolButton::clicked, this, &TFormMain::BtTypesDirClick);
  connect(BtMembersList, &QToolButton::clicked, this, &TFormMain::BtMembersListClick);
  connect(BtSectionsList, &QToolButton::clicked, this, &TFormMain::BtSectionsListClick);
  connect(BtCalendar, &QToolButton::clicked, this, &TFormMain::BtCalendarClick);
  connect(BtCurrencesDir, &QToolButton::clicked, this, &TFormMain::BtCurrencesDirClick);
  connect(BtAccountsDir, &QToolButton::clicked, this, &TFormMain::BtAccountsDirClick);
  connect(BtExchangeRate, &QPushButton::clicked, this, &TFormMain::BtExchangeRateClick);
  connect(AccountsList, &QListWidget::itemDoubleClicked, this, &TFormMain::AccountsListDblClick);
  AccountsList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(AccountsList, &QListWidget::customContextMenuRequested, this,
          &TFormMain::AccountsListMouseDown);
  connect(PmCheckBank, &QAction::triggered, this, &TFormMain::CheckBankClick);
  connect(BtReports, &QToolButton::clicked, this, &TFormMain::BtReportsClick);
  connect(BtExport, &QToolButton::clicked, this, &TFormMain::BtExportClick);
  connect(MnExport, &QAction::triggered, this, &TFormMain::BtExportClick);
  connect(BtImport, &QToolButton::clicked, this, &TFormMain::BtImportClick);
  connect(MnImport, &QAction::triggered, this, &TFormMain::BtImportClick);
  connect(MnUndoImport, &QAction::triggered, this, &TFormMain::UndoImportClick);
  connect(MnUndo, &QAction::triggered, this, &TFormMain::UndoClick);
  connect(MnRedo, &QAction::triggered, this, &TFormMain::RedoClick);
  connect(MnTransaction, &QMenu::aboutToShow, this, &TFormMain::ShowUndoRedo);
  connect(MnFind, &QAction::triggered, this, &TFormMain::FindClick);
  connect(MnRules, &QAction::triggered, this, &TFormMain::RulesClick);
  connect(PmMakeRule, &QAction::triggered, this, &TFormMain::MakeRuleClick);
  connect(MnTransaction, &QMenu::aboutToShow, this, &TFormMain::ShowUndoImport);
  connect(MnExit, &QAction::triggered, this, &TFormMain::Exit1Click);
  connect(MnDBManager, &QAction::triggered, this, &TFormMain::BtMenuManagerClick);
  connect(BtMenuDBSettings, &QToolButton::clicked, this, &TFormMain::BtMenuDBSettingsClick);
  connect(MnDBSettings, &QAction::triggered, this, &TFormMain::BtMenuDBSettingsClick);
  connect(BtSettings, &QToolButton::clicked, this, &TFormMain::BtSettingsClick);
  connect(MnAbout, &QAction::triggered, this, &TFormMain::About1Click);
  connect(MnCheckVersion, &QAction::triggered, this, &TFormMain::CheckUpdatesClick);
  connect(MnOnlineHelp, &QAction::triggered, this, &TFormMain::Pardowhelp1Click);
  connect(MnHomePage, &QAction::triggered, this, &TFormMain::PardowHomePage1Click);
  // Without a home page there is nothing to point a browser at.
  MnHomePage->setVisible(HasHomePage());
  MnCheckVersion->setVisible(HasHomePage());
  FillReopenMenu();
}

void TFormMain::ApplyLanguage() {
  InitLocalization(FAppDataFolder +
                   GetSettings().GetLocaleFileName(Settings::kDefaultLocaleFileName));
  // Dates, calendars and month names speak the chosen language; the locale
  // the program started with is the base for each change.
  static const QLocale startLocale;
  QLocale::setDefault(LanguageLocale(GetLocalizedText(30409, ""), startLocale));
  // Qt's own words (Yes and No of the questions, the file dialogs) follow
  // too, where Qt ships them for the language; English needs none.
  static QTranslator qtTexts;
  QCoreApplication::removeTranslator(&qtTexts);
  if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTexts);
  LbCurrentDate->clear();
  setWindowTitle(QStringLiteral("Pardow ") + QString::fromLatin1(ProgramVersion()));
  const QLocale locale;
  // The month names default to the system's.
  for (int i = 0; i < 12; ++i)
    FMonthNames[i] = locale.standaloneMonthName(i + 1, QLocale::LongFormat).toStdString();
  const char* const* headers = CFundsTree::kColumnTitles;
  std::array<QString, kColumnCount> titles;
  auto title = [&](int column, std::uint32_t id) {
    return TControlText{Store(&titles[column]), id, headers[column]};
  };
  // Rows without a default take what the control or the kept text holds.
  const std::vector<TControlText> table = {
      {Store(&FMonthNames[0]), 100},
      {Store(&FMonthNames[1]), 101},
      {Store(&FMonthNames[2]), 102},
      {Store(&FMonthNames[3]), 103},
      {Store(&FMonthNames[4]), 104},
      {Store(&FMonthNames[5]), 105},
      {Store(&FMonthNames[6]), 106},
      {Store(&FMonthNames[7]), 107},
      {Store(&FMonthNames[8]), 108},
      {Store(&FMonthNames[9]), 109},
      {Store(&FMonthNames[10]), 110},
      {Store(&FMonthNames[11]), 111},
      {CaptionOf(BtCurrencesDir), 1003},
      {HintOf(BtCurrencesDir), 1004, "Currencies list"},
      {CaptionOf(BtAccountsDir), 1005},
      {HintOf(BtAccountsDir), 1006, "Accounts list"},
      {CaptionOf(BtTypesDir), 1007},
      {HintOf(BtTypesDir), 1008, "Categories list"},
      {TabOf(AccountsPageControl, 0), 1009, "Accounts"},
      {HintOf(AccountsList), 1010, ""},
      {TabOf(TransactionsTab, 0), 1011, "Transactions"},
      {TabOf(TransactionsTab, 1), 30410, "Scheduler"},
      {CaptionOf(BtReports), 30411, "Reports"},
      {HintOf(FundsTree), 1012, ""},
      title(0, 1013),
      title(1, 1014),
      title(2, 1015),
      title(3, 1016),
      title(4, 1017),
      {Nowhere(), 1018, ""},
      {HintOf(BtSections), 1019, "Show\\Hide Sections"},
      {HintOf(BtMembers), 1020, "Show\\Hide Family members"},
      {HintOf(BtTypes), 1021, "Show\\Hide Categoryes and Types"},
      {HintOf(BtGroups), 1022, "Group Transactions with same name"},
      {HintOf(BtPrevMonth), 1023, "Previous month"},
      {HintOf(BtNextMonth), 1024, "Next month"},
      {Nowhere(), 1025, ""},
      {CaptionOf(BtNew), 4, "&Add"},
      {HintOf(BtNew), 1026, ""},
      {CaptionOf(BtNewCopy), 10, "Add &copy"},
      {HintOf(BtNewCopy), 1027, ""},
      {CaptionOf(BtEdit), 5, "&Edit"},
      {HintOf(BtEdit), 1028, ""},
      {CaptionOf(BtDel), 6, "&Delete"},
      {HintOf(BtDel), 1029, ""},
      {CaptionOf(PmNew), 4, "&Add"},
      {CaptionOf(PmNewCopy), 10, "Add &copy"},
      {CaptionOf(PmEdit), 5, "&Edit"},
      {CaptionOf(PmDelete), 6, "&Delete"},
      {CaptionOf(PmCheckBank), 30518, "Check against &bank..."},
      {Store(&FTextAgreedCard), 30519, "Agreed with bank on %1"},
      {CaptionOf(MnFile), 1030, "&File"},
      {CaptionOf(MnReopen), 1031, "&Reopen"},
      {CaptionOf(MnPrint), 1032, "&Print..."},
      {CaptionOf(MnExit), 7, "E&xit"},
      {CaptionOf(MnTransaction), 1033, "&Transaction"},
      {CaptionOf(MnNew), 4, "&Add"},
      {CaptionOf(MnNewCopy), 10, "Add &copy"},
      {CaptionOf(MnEdit), 5, "&Edit"},
      {CaptionOf(MnDelete), 6, "&Delete"},
      {CaptionOf(MnHelp), 12, "&Help"},
      {CaptionOf(MnHomePage), 1034, "Pardow &Home Page"},
      {Nowhere(), 1035, ""},
      {CaptionOf(MnAbout), 1036, "&About..."},
      {Nowhere(), 1037, ""},
      {Store(&FTexts[kTextIncomes]), 1038},
      {Store(&FTexts[kTextExpenses]), 1039},
      {Store(&FTexts[kTextPlanned]), 1040},
      {Store(&FTexts[kTextDeleteTransaction]), 1041},
      {Store(&FTexts[kTextReadingFile]), 1042},
      {Store(&FTexts[kTextNoFile]), 1043},
      {Store(&FTexts[kTextLoading]), 1044},
      {Store(&FTexts[kTextBuilding]), 1045},
      {Store(&FTexts[kTextCalculation]), 1046},
      {Store(&FTexts[kTextReady]), 1047},
      {Store(&FTexts[kTextPrintTitle]), 1048},
      {CaptionOf(BtFastExpence), 1049, "Quick Expense"},
      {CaptionOf(MnDBManager), 1050, "&DataBase Manager"},
      {HintOf(BtCalendar), 1051, "Custom interval"},
      {Store(&FTexts[kTextCantOpen]), 1052},
      {CaptionOf(MnOnlineHelp), 1053, "&On-line Help"},
      {Nowhere(), 1054, ""},
      {Nowhere(), 1055, ""},
      {CaptionOf(MnCheckVersion), 1056, "&Check for New Version"},
      {CaptionOf(MnDBSettings), 1057, "DataBase &Settings"},
      {Store(&FTexts[kTextInvalidPassword]), 1058},
      {Nowhere(), 1059, ""},
      {Nowhere(), 1060, ""},
      {Store(&FTexts[kTextCheckVersion]), 1061},
      {CaptionOf(MnExport), 1062, "&Export"},
      {CaptionOf(MnTools), 1063, "T&ools"},
      {CaptionOf(MnImport), 1064, "&Import"},
      {Nowhere(), 1065, ""},
      {HintOf(BtExport), 1066, "Data export"},
      {HintOf(BtImport), 1067, "Data import"},
      {CaptionOf(BtSettings), 1068},
      {HintOf(BtSettings), 1069, "Application settings"},
      {CaptionOf(BtMembersList), 1070},
      {HintOf(BtMembersList), 1071, "Family members list"},
      {CaptionOf(BtSectionsList), 1072},
      {HintOf(BtSectionsList), 1073, "Sections list"},
      {CaptionOf(BtMenuDBSettings), 1074},
      {HintOf(BtMenuDBSettings), 1075, "DataBase settings"},
      {Store(&FTexts[kTextBalance]), 1076},
      {Store(&FTexts[kTextScheduled]), 1077},
      title(5, 1078),
      title(6, 1079),
      title(7, 1080),
      {Store(&FTexts[kTextBudget]), 1081},
      {TabOf(AccountsPageControl, 1), 1082, "Summary"},
      {CaptionOf(BtExchangeRate), 1083, "Edit exchange rate"},
      {CaptionOf(MnLists), 30210, "&Lists"},
      {CaptionOf(MnCurrences), 30211, "&Currencies"},
      {CaptionOf(MnAccounts), 30212, "&Accounts"},
      {CaptionOf(MnTypes), 30213, "Ca&tegories"},
      {CaptionOf(MnMembers), 30214, "&Family"},
      {CaptionOf(MnSections), 30215, "&Sections"},
      {CaptionOf(MnReports), 30216, "&Reports"},
      {CaptionOf(MnSettings), 30217, "Se&ttings"},
      {CaptionOf(MnFastExpence), 30218, "&Quick Expense..."},
      {CaptionOf(MnFind), 30600, "&Find..."},
      {CaptionOf(MnRules), 30701, "R&ules..."},
      {CaptionOf(PmMakeRule), 30702, "Make a &rule from this row..."},
      {CaptionOf(LbCurrency), 1084, "Base currency"},
      {CaptionOf(LbExchangeRate), 1085, "Exchange rate"},
  };
  ApplyTexts(table);
  // The tool bar shows the menus' words without their access keys.
  BtExport->setText(WithoutAccessKey(MnExport->text()));
  BtImport->setText(WithoutAccessKey(MnImport->text()));
  LbBalance->setText(Q(FTexts[kTextBalance]));
  LbScheduled->setText(Q(FTexts[kTextScheduled]));
  const QStringList labels(titles.begin(), titles.end());
  for (QTreeWidget* tree : {FundsTree, ShedulerTree}) {
    tree->setHeaderLabels(labels);
    for (int i = 1; i <= 4; ++i)
      tree->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
  }
  // A language with longer words widens the window rather than cutting the
  // tool bar's buttons or those below the tree.
  setMinimumWidth(
      std::max({800, centralWidget()->minimumSizeHint().width(), ToolBar1->sizeHint().width()}));
}
