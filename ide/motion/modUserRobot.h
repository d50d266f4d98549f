// Module modUserRobot: the humanoid model's motor table and its robot files.
//
// The humanoid motor-control window (frmMoveKESTRA) and the humanoid
// zero-point window (frmZeroKESTRA) lay one control per servo slot over a
// picture of the robot.  Which of the 24 slots exist, where their controls
// sit on the picture, which limb each belongs to and which slot mirrors it on
// the other side of the body come from one table, MotorTable, which this
// module fills from a robot file.  Both windows read the table; neither
// writes it.
//
// Robot files are INI files in the folder "user/" under the program's folder
// (modApp::AppPath): "Vortan.dat", the layout of the built-in humanoid, and
// "userRobot.dat", a layout of the user's own.  They are read through the
// profile layer (platform/Profile.h), so a pipe, a device or a huge file in a
// robot file's place reads as an empty file.  The program writes neither.
//
//   [PICTURE]
//   Robot=picture file of the motor-control window, in the same folder
//   Zero=picture file of the zero-point window
//   [MOTOR0_PROPERTY] ... [MOTOR23_PROPERTY]
//   MotorNo=  MotorGroup=  MotorLeft=  MotorTop=  MotorUse=  MotorOpp=
//   ZeroLeft=  ZeroTop=
//
// A window takes part by deriving from RobotPictureForm and carrying its
// name ("frmMoveKESTRA" or "frmZeroKESTRA") as its objectName; the module
// finds it among the top-level windows by that name.  While loading, a
// window calls LoadRobotFile, then PlaceMotorControls, then
// ArrangeAroundPicture, each with its own name.
#pragma once

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>

#include "compiler/ControllerMap.h"

class QImage;
class QLabel;
class QWidget;

namespace modUserRobot {

// One servo slot.  Limbs (MotorGroup): 0 left leg, 1 left arm, 2 right arm,
// 3 right leg.  Offsets are pixels from the top left corner of the window's
// picture.  MotorUse is 0 for a slot not in use and -1 for a used one.
// MotorOpp is the mirror partner's slot; a slot without partner holds its
// own number.  Values come from the robot file as they are: a reader that
// indexes by MotorOpp or MotorGroup checks the range first (IsSlot).
struct MotorProperty {
    int16_t MotorNo = 0;
    int16_t MotorGroup = 0;
    int16_t MotorLeft = 0;
    int16_t MotorTop = 0;
    int16_t MotorUse = 0;
    int16_t MotorOpp = 0;
    int16_t ZeroLeft = 0;
    int16_t ZeroTop = 0;
};

inline constexpr int kSlots = qvv2::controller::kHumanoidServos;

// Limbs, as MotorGroup numbers them.
enum Limb : int16_t { LeftLeg = 0, LeftArm = 1, RightArm = 2, RightLeg = 3 };

// Slots 0 to 23; all zero until a robot file has been read.
inline std::array<MotorProperty, kSlots> MotorTable{};

// The two robot files and the two windows.
inline const QString kBuiltInRobotFile = QStringLiteral("Vortan.dat");
inline const QString kUserRobotFile = QStringLiteral("userRobot.dat");
inline const QString kMoveForm = QStringLiteral("frmMoveKESTRA");
inline const QString kZeroForm = QStringLiteral("frmZeroKESTRA");

// Whether n is a slot number (0..23).
inline bool IsSlot(int n) { return n >= 0 && n < kSlots; }

// The built-in layout for every slot: slot i is motor i of limb i / 6, not in
// use, its own partner; sliders in two columns (left 8 for slots 0-11, 88 for
// 12-23; top 8 + 28 * (i mod 12)), zero-point controls likewise (12 and 72;
// 12 + 16 * (i mod 12)).
void SetDefaultMotorTable();

// The folder of the robot files: "user/" in AppPath, or, when AppPath has
// no such folder, the "user/" folder beside the program, where the build
// puts the shipped robot.
QString RobotFolder();

// Reads the robot file `fileName` (a bare name in RobotFolder) into
// MotorTable.  False, with the table untouched, when no such file exists.
// Otherwise the table first takes the built-in layout; each key present
// replaces its field by the value's leading number rounded to the nearest
// whole number, halves to even.  A value too large for a 16-bit field keeps
// the built-in value; text that does not start with a number counts 0.
// MotorUse is 0 when the number is 0 or the key is missing, else -1.
// When `formName` names one of the two windows and the file's picture for
// it ("PICTURE"/"Robot" or "Zero") can be read as a picture, the window's
// picture shows it; otherwise the window keeps the picture it has.
bool LoadRobotFile(const QString& fileName, const QString& formName);

// Moves each slot control of the named window to the picture's top left
// corner plus the slot's offsets (MotorLeft/MotorTop for the motor-control
// window, ZeroLeft/ZeroTop for the zero-point window) and shows it only when
// the slot is in use.  Other names do nothing.  Hands control to the event
// queue before each slot; a window that closes meanwhile ends the placing.
void PlaceMotorControls(const QString& formName);

// Sizes the named window to its picture (and, for the zero-point window,
// puts its Close button into the picture's bottom right corner).  Other
// names do nothing.
void ArrangeAroundPicture(const QString& formName);

// The window's outer size in twips for a picture of the given size in
// pixels: 7545 x 7290 for the motor-control window up to a picture of
// 340 x 438, 8700 x 6930 for the zero-point window up to 564 x 422; each
// pixel more adds 15 twips.  An empty size for other names.
QSize OuterSizeTwips(const QString& formName, const QSize& picture);

// The client size in pixels of a window of that outer size: the outer size
// less the frame and title bar of a classic window, which the window system
// adds again around the client area.
QSize ClientSizeForOuter(const QSize& outerTwips);
inline constexpr int kFrameWidthPx = 8;
inline constexpr int kFrameHeightPx = 30;

// Whether the user's robot file is chosen: "USER_ROBOT_SET"/"Use" of the
// settings file qvv2.ini has a leading number other than 0.  False when the
// file or the key is missing.
bool IsUserRobotSet();

// Pictures are read through the safe reader and decoded only when the file
// is at most this large and the picture at most this many pixels each way;
// anything else leaves the window's picture as it is.
inline constexpr qsizetype kMaxPictureBytes = 16 * 1024 * 1024;
inline constexpr int kMaxPictureSide = 4096;

// Reads a picture file within those limits; a null image when the file is
// missing, not an ordinary file, too large, or no readable picture.
QImage ReadPicture(const QString& path);

// The built-in pictures the windows show until a robot file names others
// (compiled into the program).
inline const QString kBuiltInRobotPicture = QStringLiteral(":/robot/vortan_robot.png");
inline const QString kBuiltInZeroPicture = QStringLiteral(":/robot/vortan_zero.png");

// A window with a robot picture and one control per slot.
class RobotPictureForm {
public:
    virtual ~RobotPictureForm() = default;
    // The picture control (Image1).  It shows the picture at its own size.
    virtual QLabel* RobotPicture() = 0;
    // The control of slot i (servo(i) or ZeroUD(i)); nullptr when it has none.
    virtual QWidget* SlotControl(int slot) = 0;
    // The Close button that follows the picture's corner; nullptr when the
    // window has none that does.
    virtual QWidget* CloseButton() { return nullptr; }
};

// Shows `image` in the picture control and sizes the control to it.
void ShowPicture(QLabel& picture, const QImage& image);

}  // namespace modUserRobot
