#include "editor/frmNav.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileIconProvider>
#include <QFrame>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QTabBar>
#include <QTreeWidget>

#include <algorithm>
#include <limits>

#include "documents/Documents.h"
#include "documents/LocalizeForm.h"
#include "documents/RecentFiles.h"
#include "documents/StringTable.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "editor/DockPanels.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "platform/FileNames.h"
#include "platform/Twips.h"

namespace {

frmNav* g_nav = nullptr;

const QString kPanel = QStringLiteral("frmNav");
constexpr int kKeyRole = Qt::UserRole;  // File1: full path; Label1: key (name)

// Layout distances of the window, twips.
constexpr int kEdge = 30;           // margin around the tab strip
constexpr int kDockedTop = 350;     // room for the docking control's caption
constexpr int kMinFileList = 1500;  // the file list keeps at least this much
constexpr int kSplitMargin = 800;   // the grip stays this far from the page's ends

int Px(int twips) { return platform::TwipsToPixels(twips); }

int16_t ToInt16(double value) {
    return static_cast<int16_t>(std::clamp<double>(value, 0, std::numeric_limits<int16_t>::max()));
}

// A program or motion-script file name: at least four characters, the last
// four ".BAS" or ".QSF" in any letter case.
bool IsProgramName(const QString& name) {
    if (name.size() < 4) return false;
    const QString tail = name.right(4).toUpper();
    return tail == QLatin1String(".BAS") || tail == QLatin1String(".QSF");
}

}  // namespace

frmNav::frmNav(QWidget* parent) : QWidget(parent) {
    g_nav = this;
    setObjectName(QStringLiteral("frmNav"));
    setProperty("Tag", QStringLiteral("3111"));
    setWindowTitle(QStringLiteral("Assist Window"));
    setMinimumSize(120, 200);

    Tbs = new QTabBar(this);
    Tbs->setObjectName(QStringLiteral("Tbs"));
    Tbs->setProperty("vbType", QStringLiteral("TabStrip"));
    Tbs->setExpanding(false);
    Tbs->setDrawBase(true);
    Tbs->addTab(QStringLiteral("Files"));
    Tbs->setTabData(0, QStringLiteral("3112"));
    Tbs->addTab(QStringLiteral("Labels"));
    Tbs->setTabData(1, QStringLiteral("3113"));
    Tbs->setProperty("Keys", QStringList{QStringLiteral("file"), QStringLiteral("label")});
    connect(Tbs, &QTabBar::currentChanged, this, [this](int) { Tbs_Click(); });

    Picture4 = new QWidget(this);
    Picture4->setObjectName(QStringLiteral("Picture4"));
    Picture4->setProperty("vbType", QStringLiteral("PictureBox"));
    Picture4->installEventFilter(this);
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setProperty("vbType", QStringLiteral("PictureBox"));
    Picture1->hide();

    Drive1 = new QComboBox(Picture4);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->addItem(QIcon::fromTheme(QStringLiteral("drive-harddisk")), QDir::rootPath(), QDir::rootPath());
    const QString home = platform::HomeFolder();
    if (home != QDir::rootPath())
        Drive1->addItem(QIcon::fromTheme(QStringLiteral("user-home")), home, home);
    connect(Drive1, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { SetDir1Path(Drive1->itemData(index).toString()); });

    Dir1 = new QTreeWidget(Picture4);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setHeaderHidden(true);
    Dir1->setRootIsDecorated(false);
    Dir1->setIndentation(10);
    Dir1->setItemsExpandable(false);
    // A folder opens with a double click or Enter, as in a folder list.
    connect(Dir1, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { SetDir1Path(item->data(0, kKeyRole).toString()); });

    imgSize = new QFrame(Picture4);
    imgSize->setObjectName(QStringLiteral("imgSize"));
    imgSize->setCursor(Qt::SplitVCursor);
    imgSize->setFixedHeight(5);
    imgSize->installEventFilter(this);
    picSize = new QFrame(Picture4);
    picSize->setObjectName(QStringLiteral("picSize"));
    picSize->setFrameShape(QFrame::Box);
    picSize->setStyleSheet(QStringLiteral("background: palette(dark);"));
    picSize->hide();

    File1 = new QTreeWidget(Picture4);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setProperty("vbType", QStringLiteral("ListView"));
    File1->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Size"), QStringLiteral("Date")});
    File1->setRootIsDecorated(false);
    File1->setUniformRowHeights(true);
    File1->setIconSize(QSize(16, 16));
    File1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(File1, &QTreeWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });

    Label1 = new QTreeWidget(Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setProperty("vbType", QStringLiteral("ListView"));
    Label1->setHeaderLabels({QStringLiteral("Label"), QStringLiteral("Line")});
    Label1->setRootIsDecorated(false);
    Label1->setUniformRowHeights(true);
    Label1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(Label1, &QTreeWidget::itemDoubleClicked, this, [this] { Label1_DblClick(); });

    // A Save As under a new name shows up in the list at once.
    QPointer<frmNav> self = this;
    modApp::SetAssistFileListRefresher([self] {
        if (self) self->RefreshFileList();
    });

    Form_Load();
}

frmNav::~frmNav() {
    Form_Unload();
    if (g_nav == this) {
        g_nav = nullptr;
        modApp::SetAssistFileListRefresher({});
    }
}

frmNav* frmNav::Existing() { return g_nav; }

void frmNav::AttachToDock(DockPanels& dock, QAction* quicknav) {
    QPointer<QAction> item = quicknav;
    DockPanels* docks = &dock;
    connect(&dock, &DockPanels::PanelDocked, this, [this, docks](const QString& name) {
        if (name != kPanel) return;
        modMain::NavDocked = true;
        imgSize->move(imgSize->x(), Px(modMain::NavSplitTop));
        docks->SetPanelWidth(kPanel, modMain::NavWidth);
        Form_Resize();
    });
    connect(&dock, &DockPanels::PanelFloated, this, [this](const QString& name) {
        if (name != kPanel) return;
        modMain::NavDocked = false;
        Form_Resize();
    });
    connect(&dock, &DockPanels::PanelShown, this, [item](const QString& name) {
        if (name == kPanel && item) item->setChecked(true);
    });
    connect(&dock, &DockPanels::PanelHidden, this, [item](const QString& name) {
        if (name == kPanel && item) item->setChecked(false);
    });
    // A width that still gives the same pixels keeps its stored twips.
    connect(&dock, &DockPanels::AreaResized, this, [](int twips) {
        modMain::NavWidth = ToInt16(platform::KeptTwips(modMain::NavWidth, platform::TwipsToPixels(twips)));
    });
}

// ---- Load and layout ------------------------------------------------------------

void frmNav::Form_Load() {
    if (loaded_) return;
    loaded_ = true;
    modMain::LocalizeForm(this);

    QFont font = Tbs->font();
    const QString family = LoadResString(20);
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSize(8);
    Tbs->setFont(font);
    font.setPointSize(9);
    for (QWidget* w : {static_cast<QWidget*>(Drive1), static_cast<QWidget*>(Dir1), static_cast<QWidget*>(File1)})
        w->setFont(font);

    SetDir1Path(platform::CurrentFolder());

    File1->setColumnWidth(0, Px(modMain::NavFileWidth));
    File1->setColumnWidth(1, Px(modMain::NavSizeWidth));
    File1->setColumnWidth(2, Px(modMain::NavDateWidth));
    Label1->setColumnWidth(0, Px(modMain::NavLabelWidth));
    Label1->setColumnWidth(1, Px(modMain::NavLineWidth));
    imgSize->move(0, Px(modMain::NavSplitTop));
    Form_Resize();
}

void frmNav::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmNav::Form_Resize() {
    const int w = width();
    const int h = height();
    // The tab strip's area: the docked window leaves room for the caption
    // of the docking control.
    const int top = modMain::NavDocked ? Px(kDockedTop) : Px(kEdge);
    const QRect area(Px(kEdge), top, std::max(0, w - 2 * Px(kEdge)), std::max(0, h - top - Px(kEdge)));
    const int tabHeight = std::min(Tbs->sizeHint().height(), area.height());
    Tbs->setGeometry(area.x(), area.y(), area.width(), tabHeight);
    // The pages cover the strip's client area, below the tabs.
    const QRect client(area.x(), area.y() + tabHeight, area.width(), area.height() - tabHeight);
    Picture4->setGeometry(client);
    Picture1->setGeometry(client);
    imgSize->move(imgSize->x(), Px(modMain::NavSplitTop));
    Resize();
}

void frmNav::Resize() {
    const int pw = Picture4->width();
    const int ph = Picture4->height();
    imgSize->setGeometry(0, imgSize->y(), pw, imgSize->height());
    picSize->setGeometry(imgSize->geometry());

    Drive1->setGeometry(0, Px(kEdge), pw, Drive1->sizeHint().height());
    const int dirTop = Drive1->geometry().bottom() + 1 + Px(kEdge);
    int dirHeight = imgSize->y() - dirTop;
    // At least kMinFileList stays for the file list.
    if (ph - Px(kMinFileList) < dirHeight) dirHeight = ph - Px(kMinFileList);
    Dir1->setGeometry(0, dirTop, pw, std::max(0, dirHeight));

    imgSize->setGeometry(0, Dir1->y() + Dir1->height(), pw, imgSize->height());
    const int fileTop = imgSize->y() + imgSize->height();
    File1->setGeometry(0, fileTop, pw, std::max(0, ph - fileTop));

    Label1->setGeometry(0, Px(kEdge), Picture1->width(), std::max(0, Picture1->height() - 2 * Px(kEdge)));
}

void frmNav::Tbs_Click() {
    const QStringList keys = Tbs->property("Keys").toStringList();
    const int index = Tbs->currentIndex();
    const QString key = index >= 0 && index < keys.size() ? keys.at(index) : QString();
    if (key == QLatin1String("file")) {
        Picture4->setVisible(true);
        Picture1->setVisible(false);
    } else if (key == QLatin1String("label")) {
        Picture1->setVisible(true);
        Picture4->setVisible(false);
    }
}

// ---- Splitter -------------------------------------------------------------------

void frmNav::imgSize_MouseDown() {
    picSize->setGeometry(imgSize->geometry());
    picSize->show();
    picSize->raise();
}

void frmNav::imgSize_MouseMove(Qt::MouseButtons buttons, int y) {
    if (buttons != Qt::LeftButton) return;
    const int ph = Picture4->height();
    int top = imgSize->y() + y;
    if (top < Px(kSplitMargin)) top = Px(kSplitMargin);
    if (top > ph - Px(kSplitMargin)) top = ph - Px(kSplitMargin);
    picSize->move(picSize->x(), top);
    imgSize->setGeometry(picSize->geometry());
}

void frmNav::imgSize_MouseUp() {
    picSize->hide();
    modMain::NavSplitTop = ToInt16(platform::KeptTwips(modMain::NavSplitTop, picSize->y()));
    imgSize->move(imgSize->x(), picSize->y());
    Resize();
}

bool frmNav::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgSize) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) imgSize_MouseDown();
                return true;
            case QEvent::MouseMove: {
                auto* e = static_cast<QMouseEvent*>(event);
                imgSize_MouseMove(e->buttons(), static_cast<int>(e->position().y()));
                return true;
            }
            case QEvent::MouseButtonRelease:
                if (picSize->isVisible()) imgSize_MouseUp();
                return true;
            default: break;
        }
    } else if (watched == Picture4 && event->type() == QEvent::Resize) {
        Resize();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Folders and files ------------------------------------------------------------

void frmNav::SetDir1Path(const QString& path) {
    // By the path's own bytes: a folder whose name is not valid UTF-8 opens
    // as any other does.
    if (!platform::IsFolder(path)) return;
    dirPath_ = platform::AbsolutePath(path);
    // The file dialogs start here and the settings keep it (Path JobDIR).
    modReg::MainWindow.AssistFolder = dirPath_;
    FillDirList();
    RefreshFileList();
}

void frmNav::FillDirList() {
    Dir1->clear();
    // The chain of folders from the root down to the current one, each
    // nested in the one before, then the current folder's sub-folders.  The
    // chain is cut from the path's text, so a folder on the way whose name
    // is not valid UTF-8 is passed over by its bytes too.
    QStringList chain{QDir::rootPath()};
    QString folder;
    for (const QString& part : dirPath_.split(u'/', Qt::SkipEmptyParts)) {
        folder += u'/' + part;
        chain << folder;
    }
    const QIcon open =
        QIcon::fromTheme(QStringLiteral("folder-open"), QFileIconProvider().icon(QAbstractFileIconProvider::Folder));
    const QIcon closed =
        QIcon::fromTheme(QStringLiteral("folder"), QFileIconProvider().icon(QAbstractFileIconProvider::Folder));
    QTreeWidgetItem* parent = nullptr;
    for (const QString& link : chain) {
        const QString name = platform::DisplayFileName(link == QDir::rootPath() ? link : link.section(u'/', -1));
        auto* item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(Dir1, {name});
        item->setIcon(0, open);
        item->setData(0, kKeyRole, link);
        parent = item;
    }
    QTreeWidgetItem* current = parent;
    // Folders and links to folders only: a link to a device or another
    // special file is no folder.  By name, without regard to letter case.
    std::vector<platform::FolderEntry> subs = platform::ReadFolder(dirPath_);
    subs.erase(std::remove_if(subs.begin(), subs.end(), [](const platform::FolderEntry& e) { return !e.isFolder; }),
               subs.end());
    std::stable_sort(subs.begin(), subs.end(), [](const platform::FolderEntry& a, const platform::FolderEntry& b) {
        const int folded =
            platform::DisplayFileName(a.name).compare(platform::DisplayFileName(b.name), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.name < b.name;
    });
    for (const platform::FolderEntry& sub : subs) {
        auto* item = new QTreeWidgetItem(current, {platform::DisplayFileName(sub.name)});
        item->setIcon(0, closed);
        item->setData(0, kKeyRole, modApp::AddBackslash(dirPath_) + sub.name);
    }
    Dir1->expandAll();
    Dir1->setCurrentItem(current);
    Dir1->scrollToItem(current);
}

void frmNav::FillFile1WithFiles(QString path) {
    path = modApp::AddBackslash(path);
    const bool all = allFiles_ && allFiles_->isChecked();
    // Regular files only (links to regular files included), not hidden, in
    // the order the folder yields them, each by its own bytes.  Nothing here
    // opens a file: the size and the date come from the folder entry.
    const QLocale locale;
    for (const platform::FolderEntry& entry : platform::ReadFolder(path)) {
        if (!entry.isFile) continue;
        if (!all && !IsProgramName(entry.name)) continue;
        auto* item = new QTreeWidgetItem(File1);
        item->setText(0, platform::DisplayFileName(entry.name));
        item->setData(0, kKeyRole, path + entry.name);
        item->setText(1, QString::number(entry.size));
        item->setText(2, locale.toString(QDateTime::fromMSecsSinceEpoch(entry.modifiedMs), QLocale::ShortFormat));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
}

QIcon frmNav::FileIcon(const QString& path) const {
    // By the name only: matching the content would read the file.
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const QIcon fallback = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
}

void frmNav::GetAllIcons() {
    icons_.clear();
    icons_.reserve(static_cast<size_t>(File1->topLevelItemCount()));
    for (int i = 0; i < File1->topLevelItemCount(); ++i)
        icons_.push_back(FileIcon(File1->topLevelItem(i)->data(0, kKeyRole).toString()));
}

void frmNav::ShowIcons() {
    for (int i = 0; i < File1->topLevelItemCount() && i < static_cast<int>(icons_.size()); ++i)
        File1->topLevelItem(i)->setIcon(0, icons_[static_cast<size_t>(i)]);
}

void frmNav::ClearFileList() {
    File1->clear();
    icons_.clear();
}

void frmNav::RefreshFileList() {
    ClearFileList();
    FillFile1WithFiles(dirPath_);
    GetAllIcons();
    ShowIcons();
}

void frmNav::File1_DblClick() {
    QTreeWidgetItem* item = File1->currentItem();
    if (!item || item->text(0).isEmpty()) return;
    // The full path the list keeps, so a name with blanks at its ends, or
    // one that is not valid UTF-8, opens by its own bytes.
    const QString path = item->data(0, kKeyRole).toString();
    if (path.isEmpty()) return;
    const platform::EntryKind kind = platform::StatusOf(path).kind;
    if (kind == platform::EntryKind::Nothing || kind == platform::EntryKind::Folder) return;  // gone
    // Only a file that opened goes into the recent-files list (which leaves
    // out a name it could not give back as it is).
    if (modApp::OpenDocument(path)) modApp::AddRecentFile(path);
}

// ---- Labels ---------------------------------------------------------------------

void frmNav::AddLabel(const QString& name, int32_t line) { AddLabels({{name, line}}); }

void frmNav::AddLabels(const std::vector<ProgramAlign::Label>& labels) {
    // The items are made first and go into the list together: the list
    // then updates itself once, not once a label.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(labels.size()));
    for (const ProgramAlign::Label& label : labels) {
        auto* item = new QTreeWidgetItem(QStringList{label.Name, QString::number(label.Line)});
        // The key is unique: a second label of the same name stays without one.
        if (!labelKeys_.contains(label.Name)) {
            labelKeys_.insert(label.Name);
            item->setData(0, kKeyRole, label.Name);
        }
        items << item;
    }
    Label1->addTopLevelItems(items);
}

void frmNav::ClearLabelList() {
    Label1->clear();
    labelKeys_.clear();
}

void frmNav::ClearLabels() {
    ClearLabelList();
    Tbs->setCurrentIndex(0);
    Tbs_Click();
}

void frmNav::Label1_DblClick() {
    QTreeWidgetItem* item = Label1->currentItem();
    if (!item || item->text(0).isEmpty()) return;
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    if (!doc) return;
    bool ok = false;
    const int32_t n = item->text(1).trimmed().toInt(&ok);
    if (!ok || n < 1 || n > doc->rt->LineCount()) return;
    doc->rt->PutCaret(n - 1, 0);
    doc->rt->setFocus();
    doc->CurRange = doc->rt->Selection(true);
    doc->rt->SetHighlightedLine(doc->CurRange.EndLineNo);
}

// ---- Unload ---------------------------------------------------------------------

void frmNav::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // The object file beside each listed program: the program's path
    // without its last four characters, then ".obj".  Only a regular file
    // there is deleted; a link (wherever it points), a folder, a pipe or a
    // device of that name stays.  Other listed files (the all-files list)
    // name no object file, and a name ending in ".obj" is never a program,
    // so no listed program or other file is deleted.
    for (int i = 0; i < File1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = File1->topLevelItem(i);
        if (!IsProgramName(item->text(0))) continue;
        const QString key = item->data(0, kKeyRole).toString();
        const QString object = key.left(key.size() - 4) + QStringLiteral(".obj");
        if (platform::OwnStatusOf(object).kind == platform::EntryKind::File) platform::RemoveFile(object);
    }
}
