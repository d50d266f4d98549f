// Link error codes, their texts and the error box.
#include <QApplication>

#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"
#include "platform/CommControl.h"
#include "platform/MsgBox.h"
#include "platform/UiLanguage.h"

namespace vxIO {

namespace {

// The line that names the device a failed open tried, or says that the port
// number reached none.  The program's own texts: the string table has no
// entries for them.
QString TriedDeviceLine() {
    static const platform::LocalizedText kDevice = {"Device: %1", "장치: %1", "デバイス: %1", "设备：%1"};
    static const platform::LocalizedText kNoDevice = {
        "No serial device was found for COM%1.", "COM%1에 연결된 시리얼 장치를 찾지 못했습니다.",
        "COM%1 に対応するシリアルデバイスが見つかりません。", "找不到与 COM%1 对应的串行设备。"};
    const platform::CommControl* comm = Link().Comm;
    if (!comm) return QString();
    const QString device = comm->DevicePath();
    if (!device.isEmpty()) return platform::Localized(kDevice).arg(device);
    return platform::Localized(kNoDevice).arg(comm->CommPort());
}

}  // namespace

int CommErrorTextId(int16_t code) {
    switch (code) {
    case -1: return 3002;
    case -2: return 3003;
    case -3: return 3004;
    case -4: return 3005;
    case -5: return 3006;
    case -6: return 3007;
    case -7: return 3008;
    case -10: return 3009;
    case -11: return 3005;
    case -12: return 3010;
    case -21: return 3011;
    case -22: return 3012;
    case -23: return 3013;
    case -24: return 3014;
    case -25: return 3014;
    default: return 3015;
    }
}

QString CommErrorMessage(int16_t code) {
    const QString crlf = QStringLiteral("\r\n");
    return LoadResString(3001) + QString::number(code) + crlf + LoadResString(CommErrorTextId(code)) +
           crlf + LoadResString(3016);
}

void ShowCommError(int16_t code) {
    // An exchange the user ended by a close: no box, the rest as for any
    // error.
    if (code == kErrAborted) {
        CloseComm();
        frmWait::Unload();
        return;
    }
    QString message = CommErrorMessage(code);
    // A port that would not open: say which device that was.
    if (code == -1) {
        const QString device = TriedDeviceLine();
        if (!device.isEmpty()) message += QStringLiteral("\r\n") + device;
    }
    (void)platform::MsgBox(message, platform::vbOKOnly | platform::vbInformation, LoadResString(3017),
                           modApp::MainWindow());
    // Closing the port clears the link's code (or leaves -2 without a
    // second box).
    CloseComm();
    frmWait::Unload();
}

}  // namespace vxIO
