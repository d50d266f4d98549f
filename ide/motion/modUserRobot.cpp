#include "motion/modUserRobot.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <optional>

#include "documents/Documents.h"
#include "documents/VbNumbers.h"
#include "documents/modApp.h"
#include "documents/modIni.h"
#include "link/vxIO_Windows.h"
#include "platform/FileNames.h"
#include "platform/SafeFile.h"
#include "platform/Twips.h"

namespace modUserRobot {
namespace {

// The window of that name among the top-level windows, as a picture form.
RobotPictureForm* FindForm(const QString& formName) {
    if (!QApplication::instance()) return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == formName)
            if (auto* form = dynamic_cast<RobotPictureForm*>(w)) return form;
    return nullptr;
}

QWidget* AsWidget(RobotPictureForm* form) { return dynamic_cast<QWidget*>(form); }

// A field's value from the robot file: the leading number rounded to a 16-bit
// integer; empty when it does not fit (the field then keeps its value).
std::optional<int16_t> FieldValue(const QString& text) {
    const std::optional<double> v = vb::Val(text);
    if (!v) return std::nullopt;
    return vb::ToInteger(*v);
}

}  // namespace

void SetDefaultMotorTable() {
    for (int i = 0; i < kSlots; ++i) {
        MotorProperty& m = MotorTable[static_cast<size_t>(i)];
        m.MotorNo = static_cast<int16_t>(i);
        m.MotorGroup = static_cast<int16_t>(i / 6);
        m.MotorLeft = i < 12 ? 8 : 88;
        m.MotorTop = static_cast<int16_t>(8 + 28 * (i % 12));
        m.MotorUse = 0;
        m.MotorOpp = static_cast<int16_t>(i);
        m.ZeroLeft = i < 12 ? 12 : 72;
        m.ZeroTop = static_cast<int16_t>(12 + 16 * (i % 12));
    }
}

QString RobotFolder() { return modApp::DataFolder(QStringLiteral("user")); }

QImage ReadPicture(const QString& path) {
    QByteArray bytes;
    if (platform::ReadRegularFile(path, kMaxPictureBytes, bytes) != 0 || bytes.isEmpty()) return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header's size decides before any pixel is decoded, so a small file
    // that claims a huge picture costs nothing.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) return {};
    QImage image;
    if (!reader.read(&image)) return {};
    return image;
}

void ShowPicture(QLabel& picture, const QImage& image) {
    if (image.isNull()) return;
    const QPixmap pixmap = QPixmap::fromImage(image);
    picture.setPixmap(pixmap);
    picture.resize(pixmap.size());
    picture.update();
}

bool LoadRobotFile(const QString& fileName, const QString& formName) {
    const QString folder = RobotFolder();
    const QString path = folder + fileName;
    // A bare name only: a path would leave the robot folder.
    if (fileName.isEmpty() || fileName.contains(u'/') || !modApp::FileExists(path)) return false;

    SetDefaultMotorTable();

    // One read of the file for all its keys.
    platform::ProfileBatch batch;
    const QString robotPicture =
        modIni::ReadIni(QStringLiteral("PICTURE"), QStringLiteral("Robot"), QStringLiteral("nopicture"), path);
    const QString zeroPicture =
        modIni::ReadIni(QStringLiteral("PICTURE"), QStringLiteral("Zero"), QStringLiteral("nopicture"), path);

    for (int n = 0; n < kSlots; ++n) {
        MotorProperty& m = MotorTable[static_cast<size_t>(n)];
        const QString section = QStringLiteral("MOTOR%1_PROPERTY").arg(n);
        const auto read = [&](const char* key, int16_t& field) {
            const QString text = modIni::ReadIni(section, QString::fromLatin1(key), QString::number(field), path);
            if (const std::optional<int16_t> v = FieldValue(text)) field = *v;
        };
        read("MotorNo", m.MotorNo);
        read("MotorGroup", m.MotorGroup);
        read("MotorLeft", m.MotorLeft);
        read("MotorTop", m.MotorTop);
        const QString use = modIni::ReadIni(section, QStringLiteral("MotorUse"), QStringLiteral("0"), path);
        if (const std::optional<double> v = vb::Val(use)) m.MotorUse = *v != 0 ? -1 : 0;
        read("MotorOpp", m.MotorOpp);
        read("ZeroLeft", m.ZeroLeft);
        read("ZeroTop", m.ZeroTop);
    }
    batch.Finish();

    QString pictureName;
    if (formName == kMoveForm) pictureName = robotPicture;
    if (formName == kZeroForm) pictureName = zeroPicture;
    if (!pictureName.isEmpty() && !pictureName.contains(u'/')) {
        const QString picturePath = folder + pictureName;
        if (modApp::FileExists(picturePath))
            if (RobotPictureForm* form = FindForm(formName))
                if (QLabel* picture = form->RobotPicture()) ShowPicture(*picture, ReadPicture(picturePath));
    }
    return true;
}

void PlaceMotorControls(const QString& formName) {
    const bool move = formName == kMoveForm;
    if (!move && formName != kZeroForm) return;
    RobotPictureForm* form = FindForm(formName);
    if (!form || !form->RobotPicture()) return;
    QPointer<QWidget> window(AsWidget(form));
    for (int i = 0; i < kSlots; ++i) {
        // Through the link's pump, so a command started from an event here
        // is refused while the window's load holds the port.
        vxIO::Pump(QEventLoop::AllEvents);
        // The window may have been closed by an event handled just now.
        if (!window || window->objectName() != formName) return;
        QLabel* picture = form->RobotPicture();
        QWidget* control = form->SlotControl(i);
        if (!picture || !control) continue;
        const MotorProperty& m = MotorTable[static_cast<size_t>(i)];
        const int left = move ? m.MotorLeft : m.ZeroLeft;
        const int top = move ? m.MotorTop : m.ZeroTop;
        control->move(picture->x() + left, picture->y() + top);
        control->setVisible(m.MotorUse != 0);
        if (m.MotorUse != 0) control->raise();
    }
}

QSize OuterSizeTwips(const QString& formName, const QSize& picture) {
    const auto grow = [](int pixels, int threshold, int base) {
        return pixels <= threshold ? base : (pixels - threshold) * platform::kTwipsPerPixel + base;
    };
    if (formName == kMoveForm) return {grow(picture.width(), 340, 7545), grow(picture.height(), 438, 7290)};
    if (formName == kZeroForm) return {grow(picture.width(), 564, 8700), grow(picture.height(), 422, 6930)};
    return {};
}

QSize ClientSizeForOuter(const QSize& outerTwips) {
    return {platform::TwipsToPixels(outerTwips.width()) - kFrameWidthPx,
            platform::TwipsToPixels(outerTwips.height()) - kFrameHeightPx};
}

void ArrangeAroundPicture(const QString& formName) {
    if (formName != kMoveForm && formName != kZeroForm) return;
    RobotPictureForm* form = FindForm(formName);
    QWidget* window = AsWidget(form);
    if (!form || !window) return;
    QLabel* picture = form->RobotPicture();
    if (!picture) return;
    window->resize(ClientSizeForOuter(OuterSizeTwips(formName, picture->size())));
    if (formName == kZeroForm)
        if (QWidget* close = form->CloseButton()) close->move(picture->width() - 90, picture->height() - 32);
}

bool IsUserRobotSet() {
    const QString file = modApp::AddBackslash(modApp::AppPath()) + QStringLiteral("qvv2.ini");
    const QString use =
        modIni::ReadIni(QStringLiteral("USER_ROBOT_SET"), QStringLiteral("Use"), QStringLiteral("0"), file);
    const std::optional<double> v = vb::Val(use);
    return v && *v != 0;
}

}  // namespace modUserRobot
