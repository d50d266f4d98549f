#include "editor/frmNote.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QResizeEvent>

#include <cmath>

#include "documents/LocalizeForm.h"
#include "documents/VbNumbers.h"
#include "documents/modApp.h"
#include "documents/modGeneral.h"
#include "documents/modIni.h"
#include "platform/Profile.h"
#include "platform/Twips.h"

namespace {

const QString kSection = QStringLiteral("frmNote_Window");

QPointer<frmNote>& Instance() {
    static QPointer<frmNote> instance;
    return instance;
}

// A stored number: the leading number of the text, 0 when there is none.
double Stored(const QString& key, const char* defaultValue, const QString& file) {
    return vb::Val(modIni::ReadIni(kSection, key, QLatin1String(defaultValue), file)).value_or(0);
}

QString Written(double twips) { return vb::Str(static_cast<int64_t>(std::llround(twips))); }

}  // namespace

frmNote::frmNote() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("frmNote"));
    setProperty("Tag", QStringLiteral("8024"));
    setWindowTitle(QStringLiteral("Note"));
    setAttribute(Qt::WA_DeleteOnClose);
    txt_Note = new QPlainTextEdit(this);
    txt_Note->setObjectName(QStringLiteral("txt_Note"));
    Instance() = this;
    Form_Load();
}

frmNote::~frmNote() { Form_Unload(); }

frmNote* frmNote::Loaded() { return Instance().data(); }

void frmNote::ShowNote() {
    frmNote* note = Loaded();
    if (!note) note = new frmNote;
    note->show();
    note->raise();
    note->activateWindow();
}

void frmNote::Form_Load() {
    iniPath_ = modApp::AddBackslash(modApp::AppPath()) + QStringLiteral("qvv2.ini");
    modMain::LocalizeForm(this);
    modGeneral::MakeTopMost(this);
    txt_Note->move(1, 1);
    const platform::ProfileBatch batch;  // one read of the settings file
    left_ = Stored(QStringLiteral("left"), "1980", iniPath_);
    top_ = Stored(QStringLiteral("top"), "1980", iniPath_);
    width_ = Stored(QStringLiteral("width"), "4170", iniPath_);
    height_ = Stored(QStringLiteral("height"), "4890", iniPath_);
    move(platform::TwipsToPixels(left_), platform::TwipsToPixels(top_));
    resize(std::max(1, platform::TwipsToPixels(width_)), std::max(1, platform::TwipsToPixels(height_)));
    Form_Resize();
}

void frmNote::Form_Resize() { txt_Note->resize(std::max(0, width() - 10), std::max(0, height() - 10)); }

void frmNote::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // One write of the settings file for the four values; a value the user
    // did not change is written back as it was read.
    platform::ProfileBatch batch;
    modIni::WriteIni(kSection, QStringLiteral("left"), Written(platform::KeptTwips(left_, x())), iniPath_);
    modIni::WriteIni(kSection, QStringLiteral("top"), Written(platform::KeptTwips(top_, y())), iniPath_);
    modIni::WriteIni(kSection, QStringLiteral("width"), Written(platform::KeptTwips(width_, width())), iniPath_);
    modIni::WriteIni(kSection, QStringLiteral("height"), Written(platform::KeptTwips(height_, height())), iniPath_);
}

void frmNote::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmNote::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QWidget::closeEvent(event);
}
