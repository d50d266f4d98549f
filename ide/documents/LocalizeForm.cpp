#include "documents/LocalizeForm.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <optional>

#include "documents/StringTable.h"
#include "documents/VbNumbers.h"

namespace {

const char* const kTag = "Tag";
const char* const kVbType = "vbType";

// Entry for a number held as text, converted strictly.
std::optional<QString> EntryStrict(const QString& number) {
    const std::optional<int16_t> n = vb::CIntStrict(number);
    if (!n) return std::nullopt;
    return FindResString(*n);
}

// Entry for the leading number of a text, when that number is above 0
// (or, with `fromOne`, at least 1).
std::optional<QString> EntryLeading(const QString& text, bool fromOne) {
    const std::optional<double> value = vb::Val(text);
    if (!value || !(fromOne ? *value >= 1.0 : *value > 0.0)) return std::nullopt;
    const std::optional<int16_t> n = vb::ToInteger(*value);
    if (!n) return std::nullopt;
    return FindResString(*n);
}

QString TagOf(const QObject* o) { return o->property(kTag).toString(); }

bool SetCaption(QObject* o, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(o)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(o)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(o)) {
        box->setTitle(text);
    } else if (auto* dock = qobject_cast<QDockWidget*>(o)) {
        dock->setWindowTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(o)) {
        action->setText(text);
    } else if (o->metaObject()->indexOfProperty("caption") >= 0) {
        return o->setProperty("caption", text);
    } else {
        return false;
    }
    return true;
}

bool IsContainerType(const QString& type) {
    return type == QLatin1String("Frame") || type == QLatin1String("PictureBox") || type.isEmpty();
}

// Controls whose children are parts of the control, not controls.
bool IsLeaf(const QWidget* w) {
    const QString type = w->property(kVbType).toString();
    if (!type.isEmpty()) return !IsContainerType(type);
    if (qobject_cast<const QAbstractScrollArea*>(w)) return !qobject_cast<const QScrollArea*>(w);
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QToolBar*>(w) || qobject_cast<const QStatusBar*>(w) ||
           qobject_cast<const QMenuBar*>(w) || qobject_cast<const QMenu*>(w);
}

void CollectControls(QWidget* parent, QWidgetList& out) {
    const QObjectList children = parent->children();
    for (QObject* child : children) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w) continue;
        if (qobject_cast<QMenu*>(w)) {
            out << w;  // a pop-up menu of the window
            continue;
        }
        if (w->isWindow()) continue;  // an owned window is a window of its own
        if (!w->objectName().startsWith(QLatin1String("qt_"))) out << w;
        if (!IsLeaf(w)) CollectControls(w, out);
    }
}

class Localizer {
public:
    void Window(QWidget* form) {
        if (const auto text = EntryStrict(TagOf(form))) form->setWindowTitle(*text);
        for (QWidget* w : FormControls(form)) {
            if (auto* menu = qobject_cast<QMenu*>(w)) MenuAction(menu->menuAction());
            else Control(w);
        }
    }

private:
    void Control(QWidget* w) {
        if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            for (QAction* a : bar->actions()) MenuAction(a);
            return;
        }
        const QString type = ControlTypeName(w);
        if (type == QLatin1String("Label")) {
            if (const auto text = EntryStrict(TagOf(w))) SetCaption(w, *text);
        } else if (type == QLatin1String("Menu")) {
            if (auto* menu = qobject_cast<QMenu*>(w)) MenuAction(menu->menuAction());
        } else if (type == QLatin1String("TabStrip")) {
            TabStrip(w);
        } else if (type == QLatin1String("Toolbar")) {
            for (QAction* a : w->actions()) {
                if (const auto text = EntryStrict(TagOf(a))) a->setText(*text);
                if (const auto tip = EntryStrict(a->toolTip())) a->setToolTip(*tip);
            }
        } else if (type == QLatin1String("ListView")) {
            ListView(w);
        } else if (type == QLatin1String("StatusBar")) {
            for (QLabel* panel : w->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (const auto text = EntryStrict(panel->text())) panel->setText(*text);
                if (const auto tip = EntryStrict(panel->toolTip())) panel->setToolTip(*tip);
            }
        } else {
            if (const auto text = EntryLeading(TagOf(w), false)) SetCaption(w, *text);
            if (const auto tip = EntryLeading(w->toolTip(), true)) w->setToolTip(*tip);
        }
    }

    void MenuAction(QAction* a) {
        if (!a || visited_.contains(a)) return;
        visited_.insert(a);
        if (!a->isSeparator())
            if (const auto text = EntryStrict(a->text())) a->setText(*text);
        if (QMenu* sub = a->menu())
            for (QAction* item : sub->actions()) MenuAction(item);
    }

    void TabStrip(QWidget* w) {
        QTabBar* bar = qobject_cast<QTabBar*>(w);
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) bar = tabs->tabBar();
        if (!bar) return;
        for (int i = 0; i < bar->count(); ++i) {
            if (const auto text = EntryStrict(bar->tabData(i).toString())) bar->setTabText(i, *text);
            if (const auto tip = EntryStrict(bar->tabToolTip(i))) bar->setTabToolTip(i, *tip);
        }
    }

    void ListView(QWidget* w) {
        auto* view = qobject_cast<QAbstractItemView*>(w);
        QAbstractItemModel* model = view ? view->model() : nullptr;
        if (!model) return;
        for (int c = 0; c < model->columnCount(); ++c) {
            const QString tag = model->headerData(c, Qt::Horizontal, Qt::UserRole).toString();
            if (const auto text = EntryStrict(tag)) model->setHeaderData(c, Qt::Horizontal, *text, Qt::DisplayRole);
        }
    }

    QSet<QAction*> visited_;
};

}  // namespace

QString ControlTypeName(const QObject* o) {
    if (!o) return QString();
    const QString type = o->property(kVbType).toString();
    if (!type.isEmpty()) return type;
    if (qobject_cast<const QMenu*>(o) || qobject_cast<const QAction*>(o)) return QStringLiteral("Menu");
    if (qobject_cast<const QLabel*>(o)) return QStringLiteral("Label");
    if (qobject_cast<const QTabWidget*>(o) || qobject_cast<const QTabBar*>(o)) return QStringLiteral("TabStrip");
    if (qobject_cast<const QToolBar*>(o)) return QStringLiteral("Toolbar");
    if (qobject_cast<const QStatusBar*>(o)) return QStringLiteral("StatusBar");
    if (qobject_cast<const QTreeWidget*>(o)) return QStringLiteral("ListView");
    if (qobject_cast<const QTreeView*>(o)) return QStringLiteral("TreeView");
    if (qobject_cast<const QListView*>(o)) return QStringLiteral("ListBox");
    if (qobject_cast<const QTableView*>(o)) return QStringLiteral("MSFlexGrid");
    if (qobject_cast<const QCheckBox*>(o)) return QStringLiteral("CheckBox");
    if (qobject_cast<const QRadioButton*>(o)) return QStringLiteral("OptionButton");
    if (qobject_cast<const QPushButton*>(o) || qobject_cast<const QToolButton*>(o))
        return QStringLiteral("CommandButton");
    if (qobject_cast<const QGroupBox*>(o)) return QStringLiteral("Frame");
    if (qobject_cast<const QLineEdit*>(o) || qobject_cast<const QTextEdit*>(o) ||
        qobject_cast<const QPlainTextEdit*>(o))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QComboBox*>(o)) return QStringLiteral("ComboBox");
    if (qobject_cast<const QProgressBar*>(o)) return QStringLiteral("ProgressBar");
    if (qobject_cast<const QAbstractSlider*>(o)) return QStringLiteral("Slider");
    if (o->inherits("platform::CodeEditor")) return QStringLiteral("CodeSense");
    if (o->metaObject() == &QFrame::staticMetaObject) return QStringLiteral("PictureBox");
    return QString();
}

QWidgetList FormControls(QWidget* form) {
    QWidgetList controls;
    if (form) CollectControls(form, controls);
    return controls;
}

namespace modMain {

void LocalizeForm(QWidget* form) {
    if (!form) return;
    Localizer().Window(form);
}

}  // namespace modMain
