// frmMain: construction of the controls in their design-time state.
#include "mainwindow/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

#include "editor/DocTabStrip.h"
#include "editor/DockPanels.h"
#include "editor/MenuItems.h"
#include "editor/ToolbarKeys.h"
#include "editor/frmNav.h"
#include "link/DownloadProgram.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/ImageList.h"
#include "platform/Twips.h"

namespace {
frmMain* g_instance = nullptr;
// The busy pointer while a byte waits for the quiet line, held for as long
// as the program's main window hosts the link.
std::unique_ptr<vxIO::QuietWaitNotice> g_quietWaitNotice;

// Panel widths of the status bar (twips): panel 1 takes what is left.
constexpr int kPanel2Width = 3000;
constexpr int kPanel3Width = 1800;
constexpr int kPanel4Width = 1200;

// Holds back the keys that the motion lock and disabled menus lock.  It
// watches the menu items (a disabled menu does not run its items by their
// shortcut keys either) and the editors of the document windows (whose own
// key handler runs the controller commands directly, past the menus).
class CommandLock : public QObject {
public:
    explicit CommandLock(frmMain* main) : QObject(main), main_(main) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Shortcut:
                if (auto* item = qobject_cast<QAction*>(watched)) return InDisabledMenu(item);
                break;
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
                if (main_->MotionLocked() && IsControllerKey(static_cast<QKeyEvent*>(event))) {
                    // Taken here: neither a menu shortcut nor the document
                    // window's key handler sees it.
                    event->accept();
                    return true;
                }
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool InDisabledMenu(const QAction* item) {
        for (QObject* o = item->parent(); o; o = o->parent()) {
            auto* menu = qobject_cast<QMenu*>(o);
            if (!menu) break;
            if (!menu->menuAction()->isEnabled()) return true;
        }
        return false;
    }

    // The keys the menu table marks as controller keys, with any further
    // modifiers held.
    static bool IsControllerKey(const QKeyEvent* key) {
        for (const MenuItems::Item& item : MenuItems::kItems) {
            const Qt::KeyboardModifiers held = item.key.keyboardModifiers();
            if (item.Has(MenuItems::kController) && item.key.key() == key->key() && (key->modifiers() & held) == held)
                return true;
        }
        return false;
    }

    frmMain* main_;
};
}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    const bool first = !g_instance;
    if (first) g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setProperty("Tag", QStringLiteral("1001"));
    setWindowTitle(QStringLiteral("Quarvel"));

    TimeOut.setTimerType(Qt::PreciseTimer);
    TimeOut.setInterval(3000);
    TimeDelay.setTimerType(Qt::PreciseTimer);

    connect(&Comm, &platform::CommControl::OnComm, this, &frmMain::Comm_OnComm);
    connect(&TimeOut, &QTimer::timeout, this, &frmMain::TimeOut_Timer);
    connect(&TimeDelay, &QTimer::timeout, this, &frmMain::TimeDelay_Timer);

    img = new ImageList;
    mdi = new QMdiArea;
    mdi->setObjectName(QStringLiteral("mdi"));
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setBackground(palette().brush(QPalette::Dark));

    BuildMenus();
    BuildToolbars();
    BuildBottomPane();
    BuildStatusBar();

    commandLock_ = new CommandLock(this);
    for (QMenu* menu : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        for (QAction* item : menu->actions())
            if (!item->isSeparator() && !item->menu()) item->installEventFilter(commandLock_);
    // Installed on each editor when its window becomes active, so that it
    // comes before the document window's own key handler.
    connect(mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (auto* doc = qobject_cast<frmDoc*>(window)) doc->rt->installEventFilter(commandLock_);
    });

    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("MDIClient"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mdi, 1);
    layout->addWidget(picBottom);
    setCentralWidget(central);

    fDock = new DockPanels(this);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    Command1 = new QPushButton(central);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->hide();
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);

    setAcceptDrops(true);
    resize(1024, 700);

    if (first) {
        // The program's main window hosts the document windows, the lower
        // folders' services and the compiler control the pipeline uses.
        frmDoc::SetHost(this);
        modApp::SetMainHost(this);
        modMain::SetBasic(&basic);
        vxIO::SetLinkControls({&Comm, &TimeOut, &TimeDelay});
        // A byte that waits for the quiet line after a broken frame can hold
        // a command for seconds: the pointer shows that the program waits.
        g_quietWaitNotice = std::make_unique<vxIO::QuietWaitNotice>([](bool waiting) {
            if (waiting)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        });
    }

    MDIForm_Initialize();
}

frmMain::~frmMain() {
    if (g_instance == this) {
        frmDoc::SetHost(nullptr);
        modApp::SetMainHost(nullptr);
        modMain::SetBasic(nullptr);
        vxIO::SetLinkControls({});
        g_quietWaitNotice.reset();
        g_instance = nullptr;
    }
    delete img;
}

frmMain* frmMain::existing() { return g_instance; }

frmMain& frmMain::instance() {
    if (!g_instance) {
        QPointer<frmMain> w = new frmMain;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [w] { delete w.data(); });
    }
    return *g_instance;
}

namespace {

// The shortcut that the menu table gives the item `name` (element `index`
// of the item array `name`), if any (editor/MenuItems.h).
void TableKey(QAction* a, const char* name, int index = -1) {
    if (const MenuItems::Item* item = MenuItems::Find(name, index); item && item->HasKey()) a->setShortcut(item->key);
}

// A menu item whose caption holds its string number until localisation,
// with the table's shortcut.
QAction* Item(QMenu* menu, const char* name, int caption, bool checkable = false, bool checked = false) {
    QAction* a = menu->addAction(caption > 0 ? QString::number(caption) : QString());
    a->setObjectName(QString::fromLatin1(name));
    TableKey(a, name);
    if (checkable) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
    return a;
}

QMenu* SubMenu(QWidget* parent, QMenu* owner, QMenuBar* bar, const char* name, int caption) {
    auto* m = new QMenu(QString::number(caption), parent);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    if (owner) owner->addMenu(m);
    if (bar) bar->addMenu(m);
    return m;
}

}  // namespace

void frmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    // A checkable item's check mark is switched by its handler alone, so
    // that a click behaves as in the original (the handler inverts it).
    auto on = [this](QAction* a, void (frmMain::*handler)()) {
        connect(a, &QAction::triggered, this, [this, a, handler] {
            if (a->isCheckable()) a->setChecked(!a->isChecked());
            (this->*handler)();
        });
    };

    mnuFile = SubMenu(this, nullptr, bar, "mnuFile", 1002);
    on(new_ = Item(mnuFile, "new", 1011), &frmMain::new_Click);
    on(open = Item(mnuFile, "open", 1012), &frmMain::open_Click);
    on(close_ = Item(mnuFile, "close", 1013), &frmMain::close_Click);
    mnuFile->addSeparator();
    on(save = Item(mnuFile, "save", 1014), &frmMain::save_Click);
    on(saveas = Item(mnuFile, "saveas", 1015), &frmMain::saveas_Click);
    on(saveall = Item(mnuFile, "saveall", 1016), &frmMain::saveall_Click);
    mnuFile->addSeparator();
    on(prints = Item(mnuFile, "prints", 1017), &frmMain::Prints_Click);
    on(printsetup = Item(mnuFile, "printsetup", 1018), &frmMain::printsetup_Click);
    mnuFile->addSeparator();
    mnuRecent = SubMenu(this, mnuFile, nullptr, "mnuRecent", 1019);
    for (int k = 0; k < 6; ++k) {
        QAction* a = mnuRecent->addAction(QString());
        a->setObjectName(QStringLiteral("mnuRec"));
        a->setProperty("Index", k);
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, k] { mnuRec_Click(k); });
        mnuRec[k] = a;
    }
    on(mnuRecent_Open = Item(mnuFile, "mnuRecent_Open", 8023, true, true), &frmMain::mnuRecent_Open_Click);
    mnuFile->addSeparator();
    on(exit = Item(mnuFile, "exit", 1020), &frmMain::exit_Click);

    edit = SubMenu(this, nullptr, bar, "edit", 1003);
    on(undo = Item(edit, "undo", 1021), &frmMain::undo_Click);
    on(redo = Item(edit, "redo", 1022), &frmMain::redo_Click);
    edit->addSeparator();
    on(cut = Item(edit, "cut", 1023), &frmMain::cut_Click);
    on(copy = Item(edit, "copy", 1024), &frmMain::copy_Click);
    on(paste = Item(edit, "paste", 1025), &frmMain::paste_Click);
    on(delete_ = Item(edit, "delete", 1026), &frmMain::delete_Click);
    edit->addSeparator();
    on(mnuComment = Item(edit, "mnuComment", 1027), &frmMain::mnuComment_Click);
    on(mnuUncomment = Item(edit, "mnuUncomment", 1028), &frmMain::mnuUncomment_Click);
    edit->addSeparator();
    on(selectall = Item(edit, "selectall", 1029), &frmMain::selectall_Click);
    on(selectline = Item(edit, "selectline", 1030), &frmMain::selectline_Click);
    edit->addSeparator();
    on(mnuEdit_Align = Item(edit, "mnuEdit_Align", 1092), &frmMain::mnuEdit_Align_Click);
    on(mnuEdit_Note = Item(edit, "mnuEdit_Note", 8024), &frmMain::mnuEdit_Note_Click);

    mnuSearch = SubMenu(this, nullptr, bar, "mnuSearch", 1004);
    on(find = Item(mnuSearch, "find", 1031), &frmMain::find_Click);
    on(findnext = Item(mnuSearch, "findnext", 1032), &frmMain::findnext_Click);
    on(findprev = Item(mnuSearch, "findprev", 1033), &frmMain::findprev_Click);
    on(mnuReplace = Item(mnuSearch, "mnuReplace", 1034), &frmMain::mnuReplace_Click);
    on(goto_ = Item(mnuSearch, "goto", 1035), &frmMain::goto_Click);

    mnuView = SubMenu(this, nullptr, bar, "mnuView", 1005);
    on(toolbar = Item(mnuView, "toolbar", 1036, true, true), &frmMain::toolbar_Click);
    on(statusbar2 = Item(mnuView, "statusbar2", 1037, true, true), &frmMain::statusbar2_Click);
    on(quicknav = Item(mnuView, "quicknav", 1038, true, true), &frmMain::quicknav_Click);
    mnuView->addSeparator();
    on(mnuTip = Item(mnuView, "mnuTip", 1039, true, true), &frmMain::mnuTip_Click);
    on(hlline = Item(mnuView, "hlline", 1040, true, true), &frmMain::hlline_Click);
    on(whitespace = Item(mnuView, "whitespace", 1041, true, false), &frmMain::whitespace_Click);
    on(mnuAllFileList = Item(mnuView, "mnuAllFileList", 1042, true, false), &frmMain::mnuAllFileList_Click);

    mnuBuild = SubMenu(this, nullptr, bar, "mnuBuild", 1006);
    on(mnuMake = Item(mnuBuild, "mnuMake", 1049), &frmMain::mnuMake_Click);
    on(mnuDown = Item(mnuBuild, "mnuDown", 1050), &frmMain::mnuDown_Click);
    on(mnuAllRun = Item(mnuBuild, "mnuAllRun", 1051), &frmMain::mnuAllRun_Click);
    mnuBuild->addSeparator();
    on(mnuDebug = Item(mnuBuild, "mnuDebug", 1053), &frmMain::mnuDebug_Click);

    mnuController = SubMenu(this, nullptr, bar, "mnuController", 1007);
    on(mnuConInfo = Item(mnuController, "mnuConInfo", 1054), &frmMain::mnuConInfo_Click);
    mnuController->addSeparator();
    on(mnuMotorControl = Item(mnuController, "mnuMotorControl", 1055), &frmMain::mnuMotorControl_Click);
    on(mnuMotorControlKESTRA = Item(mnuController, "mnuMotorControlKESTRA", 1083),
       &frmMain::mnuMotorControlKESTRA_Click);
    on(mnuZero = Item(mnuController, "mnuZero", 1052), &frmMain::mnuZero_Click);
    on(mnuZero_all = Item(mnuController, "mnuZero_all", 8025), &frmMain::mnuZero_all_Click);
    mnuController->addSeparator();
    on(mnuCurrentLineControl = Item(mnuController, "mnuCurrentLineControl", 1056),
       &frmMain::mnuCurrentLineControl_Click);
    on(mnuCurrentGroupControl = Item(mnuController, "mnuCurrentGroupControl", 1091),
       &frmMain::mnuCurrentGroupControl_Click);
    on(mnuCurrentCapture = Item(mnuController, "mnuCurrentCapture", 1093), &frmMain::mnuCurrentCapture_Click);
    mnuController->addSeparator();
    on(mnuMotor_all_OFF = Item(mnuController, "mnuMotor_all_OFF", 8026), &frmMain::mnuMotor_all_OFF_Click);
    on(mnuMotor_sel_ON = Item(mnuController, "mnuMotor_sel_ON", 8027), &frmMain::mnuMotor_sel_ON_Click);
    on(mnuMotor_sel_IN = Item(mnuController, "mnuMotor_sel_IN", 8028), &frmMain::mnuMotor_sel_IN_Click);
    mnuController->addSeparator();
    on(mnuMemClear = Item(mnuController, "mnuMemClear", 1057), &frmMain::mnuMemClear_Click);
    on(mnuConRun = Item(mnuController, "mnuConRun", 1058), &frmMain::mnuConRun_Click);
    on(mnuConStop = Item(mnuController, "mnuConStop", 1059), &frmMain::mnuConStop_Click);
    on(mnuConReset = Item(mnuController, "mnuConReset", 1060), &frmMain::mnuConReset_Click);
    mnuVX21update = Item(mnuController, "mnuVX21update", 1081);

    mnuSet = SubMenu(this, nullptr, bar, "mnuSet", 1008);
    on(editor = Item(mnuSet, "editor", 1043), &frmMain::editor_Click);
    on(mnuPort = Item(mnuSet, "mnuPort", 1044), &frmMain::mnuPort_Click);
    mnuDevice = SubMenu(this, mnuSet, nullptr, "mnuDevice", 1045);
    on(mnuVX32 = Item(mnuDevice, "mnuVX32", 1087, true, false), &frmMain::mnuVX32_Click);
    mnuDevice->menuAction()->setVisible(false);
    mnuAI = Item(mnuSet, "mnuAI", 1048);
    mnuAI->setVisible(false);

    mnuSpecial = SubMenu(this, nullptr, bar, "mnuSpecial", 1069);
    on(mnuViewObj = Item(mnuSpecial, "mnuViewObj", 1070), &frmMain::mnuViewObj_Click);
    on(mnuViewLineObj = Item(mnuSpecial, "mnuViewLineObj", 1071), &frmMain::mnuViewLineObj_Click);
    mnuSpecial->menuAction()->setVisible(false);

    mnuQuarstage = SubMenu(this, nullptr, bar, "mnuQuarstage", 1094);
    on(mnuStdioMaker = Item(mnuQuarstage, "mnuStdioMaker", 1095), &frmMain::mnuStdioMaker_Click);
    mnuLab = mnuQuarstage->addAction(QStringLiteral("Lab"));
    mnuLab->setObjectName(QStringLiteral("mnuLab"));
    connect(mnuLab, &QAction::triggered, this, &frmMain::mnuLab_Click);
    mnuQuarstage->menuAction()->setVisible(false);

    // Start-up hides this menu, and a hidden menu counts as disabled: neither
    // Qt nor the command lock runs its items by their keys.  The items belong
    // to the window and are its actions as well as the menu's, so that their
    // keys still click them.
    mnuAddOn = SubMenu(this, nullptr, bar, "mnuAddOn", 1100);
    for (int i = 0; i < 10; ++i) {
        auto* a = new QAction(this);
        mnuAddOn->addAction(a);
        addAction(a);
        a->setObjectName(QStringLiteral("mnuAddOnProgram"));
        a->setProperty("Index", i);
        a->setProperty("Tag", QString());
        TableKey(a, "mnuAddOnProgram", i);
        connect(a, &QAction::triggered, this, [this, i] { mnuAddOnProgram_Click(i); });
        mnuAddOnProgram[i] = a;
    }

    mnuWindow = SubMenu(this, nullptr, bar, "mnuWindow", 1009);
    on(tilehor = Item(mnuWindow, "tilehor", 1061), &frmMain::tilehor_Click);
    on(tilever = Item(mnuWindow, "tilever", 1062), &frmMain::tilever_Click);
    on(cascade = Item(mnuWindow, "cascade", 1063), &frmMain::cascade_Click);
    mnuWindow->addSeparator();
    on(closeall = Item(mnuWindow, "closeall", 1065), &frmMain::closeall_Click);
    mnuWindow->addSeparator();
    // The open document windows are listed after this item.
    wnlist = Item(mnuWindow, "wnlist", 1066);
    connect(mnuWindow, &QMenu::aboutToShow, this, &frmMain::FillWindowList);

    mnuHelp = SubMenu(this, nullptr, bar, "mnuHelp", 1010);
    on(genhelp = Item(mnuHelp, "genhelp", 1067), &frmMain::genhelp_Click);
    mnuHelp->addSeparator();
    on(about = Item(mnuHelp, "about", 1068), &frmMain::about_Click);

    // The tab strip's pop-up menu: a menu of the window, not in the menu bar.
    tabmenu = new QMenu(QStringLiteral("1072"), this);
    tabmenu->setObjectName(QStringLiteral("tabmenu"));
    tabmenu->menuAction()->setObjectName(QStringLiteral("tabmenu"));
    on(close2 = Item(tabmenu, "close2", 1073), &frmMain::close_Click);
    on(save2 = Item(tabmenu, "save2", 1074), &frmMain::save_Click);
    on(saveas2 = Item(tabmenu, "saveas2", 1075), &frmMain::saveas_Click);
    on(print2 = Item(tabmenu, "print2", 1076), &frmMain::print2_Click);
}

// ---- Toolbars ---------------------------------------------------------------------

namespace {

// The handler a toolbar key's click runs.  The keys, their order, tool tips
// and pictures are the toolbars' table (editor/ToolbarKeys.h); each key of a
// toolbar has exactly one handler here, which the build checks.
struct ButtonHandler {
    const char* key;
    void (frmMain::*handler)();
};

// The file toolbar tBar.
constexpr ButtonHandler kFileHandlers[] = {
    {"new", &frmMain::new_Click},
    {"open", &frmMain::open_Click},
    {"close", &frmMain::close_Click},
    {"save", &frmMain::save_Click},
    {"saveall", &frmMain::saveall_Click},
    {"saveas", &frmMain::saveas_Click},
    {"print", &frmMain::print2_Click},
    {"tilehor", &frmMain::ArrangeTileHorizontal},
    {"tilever", &frmMain::ArrangeTileVertical},
    {"cascade", &frmMain::ArrangeCascade},
    {"help", &frmMain::about_Click},
    {"Note", &frmMain::mnuEdit_Note_Click},
};

// The edit toolbar tbar2.
constexpr ButtonHandler kEditHandlers[] = {
    {"undo", &frmMain::UndoAndUpdateButtons},
    {"redo", &frmMain::RedoAndUpdateButtons},
    {"cut", &frmMain::cut_Click},
    {"copy", &frmMain::copy_Click},
    {"paste", &frmMain::paste_Click},
    {"delete", &frmMain::delete_Click},
    {"find", &frmMain::find_Click},
    {"findnext", &frmMain::findnext_Click},
    {"findprev", &frmMain::findprev_Click},
    {"tabl", &frmMain::IndentSelection},
    {"tabr", &frmMain::UnindentSelection},
    {"cblock", &frmMain::mnuComment_Click},
    {"ublock", &frmMain::mnuUncomment_Click},
    {"tbmark", &frmMain::ToggleBookmark},
    {"nbmark", &frmMain::NextBookmark},
    {"pbmark", &frmMain::PreviousBookmark},
    {"cbmark", &frmMain::ClearBookmarks},
};

// The controller toolbar tBar3: the keys run the Compile and Controller menu
// handlers and the servo quick commands (mainwindow/frmMainController.cpp).
constexpr ButtonHandler kControllerHandlers[] = {
    {"compile", &frmMain::mnuMake_Click},
    {"download", &frmMain::mnuDown_Click},
    {"runall", &frmMain::mnuAllRun_Click},
    {"coninfo", &frmMain::mnuConInfo_Click},
    {"motor", &frmMain::mnuMotorControl_Click},
    {"linecontrol", &frmMain::mnuCurrentLineControl_Click},
    {"memclear", &frmMain::mnuMemClear_Click},
    {"reset", &frmMain::mnuConReset_Click},
    {"run", &frmMain::mnuConRun_Click},
    {"stop", &frmMain::mnuConStop_Click},
    {"kestra", &frmMain::mnuMotorControlKESTRA_Click},
    {"motor_off", &frmMain::Motor_all_off},
    {"motor_on", &frmMain::Motor_sel_on},
    {"motor_in", &frmMain::Motor_sel_in},
};

constexpr bool SameKey(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// Whether every key of the toolbar has exactly one handler and every
// handler a key of the toolbar.
template <size_t N>
constexpr bool OneHandlerPerKey(const ToolbarKeys::Toolbar& toolbar, const ButtonHandler (&handlers)[N]) {
    size_t keys = 0;
    for (const ToolbarKeys::Key& k : toolbar) {
        if (!k.key) continue;
        ++keys;
        size_t found = 0;
        for (const ButtonHandler& h : handlers) found += SameKey(k.key, h.key) ? 1 : 0;
        if (found != 1) return false;
    }
    return keys == N;
}

static_assert(OneHandlerPerKey(ToolbarKeys::kFileToolbar, kFileHandlers));
static_assert(OneHandlerPerKey(ToolbarKeys::kEditToolbar, kEditHandlers));
static_assert(OneHandlerPerKey(ToolbarKeys::kControllerToolbar, kControllerHandlers));

// Runs the handler of the clicked button's key (compared exactly, case
// included); a key the table does not hold does nothing.
template <size_t N>
void RunButton(frmMain& w, const ButtonHandler (&table)[N], QAction* button) {
    if (!button) return;
    const QString key = button->property("Key").toString();
    for (const ButtonHandler& b : table) {
        if (key == QLatin1String(b.key)) {
            (w.*b.handler)();
            return;
        }
    }
}

}  // namespace

void frmMain::BuildToolbars() {
    auto build = [this](const ToolbarKeys::Toolbar& toolbar, void (frmMain::*click)(QAction*)) {
        auto* bar = new QToolBar(QString::fromLatin1(toolbar.name), this);
        bar->setObjectName(QString::fromLatin1(toolbar.name));
        bar->setIconSize(QSize(20, 20));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->setFloatable(false);
        for (const ToolbarKeys::Key& k : toolbar) {
            if (!k.key) {
                bar->addSeparator();
                continue;
            }
            QAction* a = bar->addAction(QString());
            a->setProperty("Key", QString::fromLatin1(k.key));
            a->setProperty("Tag", QString());
            a->setToolTip(QString::number(k.tip));
            SetButtonImage(a, k.image);
        }
        connect(bar, &QToolBar::actionTriggered, this, [this, click](QAction* a) {
            if (a && !a->isSeparator()) (this->*click)(a);
        });
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };

    tBar = build(ToolbarKeys::kFileToolbar, &frmMain::tBar_ButtonClick);
    tbar2 = build(ToolbarKeys::kEditToolbar, &frmMain::tbar2_ButtonClick);
    // The controller toolbar starts the cool bar's second row.
    addToolBarBreak(Qt::TopToolBarArea);
    tBar3 = build(ToolbarKeys::kControllerToolbar, &frmMain::tBar3_ButtonClick);
}

void frmMain::tBar_ButtonClick(QAction* Button) { RunButton(*this, kFileHandlers, Button); }

void frmMain::tbar2_ButtonClick(QAction* Button) { RunButton(*this, kEditHandlers, Button); }

// Every controller key first shows the port in status panel 2, even when its
// command then fails.
void frmMain::tBar3_ButtonClick(QAction* Button) {
    SetPortPanel();
    RunButton(*this, kControllerHandlers, Button);
}

void frmMain::BuildBottomPane() {
    picBottom = new QWidget;
    picBottom->setObjectName(QStringLiteral("picBottom"));
    picBottom->setProperty("vbType", QStringLiteral("PictureBox"));
    TB = new DocTabStrip(picBottom);
    // The design-time tab; start-up removes it.
    TB->addTab(QStringLiteral("Tab1"));
    picBottom->setFixedHeight(TB->sizeHint().height() + 2);
    picBottom->installEventFilter(this);
    connect(TB, &DocTabStrip::MouseDown, this, &frmMain::TB_MouseDown);
    connect(TB, &DocTabStrip::MouseUp, this, &frmMain::TB_MouseUp);
}

void frmMain::BuildStatusBar() {
    stBar = new QStatusBar(this);
    stBar->setObjectName(QStringLiteral("stBar"));
    stBar->setSizeGripEnabled(true);
    const int widths[4] = {0, kPanel2Width, kPanel3Width, kPanel4Width};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(stBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(4, 0, 4, 0);
        if (i == 1) {
            // Panel 2 (the port, the caret's position) keeps its width, and
            // grows for a text that needs more: a position in a long
            // document shows whole.
            panel->setMinimumWidth(platform::TwipsToPixels(widths[i]));
            panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        } else if (i > 1) {
            panel->setFixedWidth(platform::TwipsToPixels(widths[i]));
        } else {
            // Panel 1 takes the width the frame leaves (MDIForm_Resize); its
            // text never widens the window.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            panel->setMinimumWidth(0);
        }
        panel->installEventFilter(this);
        stBar->addWidget(panel, i == 0 ? 1 : 0);
    }
    setStatusBar(stBar);
}

QLabel* frmMain::Panel(int index) const {
    if (!stBar || index < 1 || index > 4) return nullptr;
    return stBar->findChild<QLabel*>(QStringLiteral("Panel%1").arg(index), Qt::FindDirectChildrenOnly);
}

void frmMain::SetStatusText(int panel, const QString& text) {
    if (QLabel* label = Panel(panel)) label->setText(text);
}

QAction* frmMain::Button(QToolBar* bar, const QString& key) {
    if (!bar) return nullptr;
    for (QAction* a : bar->actions())
        if (!a->isSeparator() && a->property("Key").toString() == key) return a;
    return nullptr;
}

QAction* frmMain::SeparatorBefore(QToolBar* bar, const QString& key) {
    QAction* button = Button(bar, key);
    if (!button) return nullptr;
    const QList<QAction*> actions = bar->actions();
    const qsizetype at = actions.indexOf(button);
    if (at < 1 || !actions.at(at - 1)->isSeparator()) return nullptr;
    return actions.at(at - 1);
}

void frmMain::SetButtonImage(QAction* button, int index) {
    if (!button || !img) return;
    button->setProperty("Image", index);
    button->setIcon(img->Item(index));
}

bool frmMain::MotionLocked() const { return mnuController && !mnuController->menuAction()->isEnabled(); }

// Empties the Assist Window's label list and selects its first tab, when
// the Assist Window exists.
void frmMain::ClearAssistLabels() {
    if (frmNav* nav = frmNav::Existing()) nav->ClearLabels();
}
