#include "link/DownloadProgram.h"

#include <QFrame>
#include <QWidget>

#include "compiler/QUARVELv2.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "documents/modMain.h"
#include "link/frmRun.h"
#include "link/vxIO.h"
#include "platform/MsgBox.h"
#include "platform/Twips.h"

namespace modMain {

namespace {

qvv2::QUARVELv2* g_basic = nullptr;

void CloseSerial() {
    if (vxIO::Serial()) vxIO::CloseComm();
}

}  // namespace

qvv2::QUARVELv2& Basic() {
    if (g_basic) return *g_basic;
    static qvv2::QUARVELv2 standIn;
    return standIn;
}

void SetBasic(qvv2::QUARVELv2* control) { g_basic = control; }

bool DownloadProgram() {
    const vxIO::Exchange exchange;
    if (!exchange) return false;
    qvv2::QUARVELv2& basic = Basic();
    // A direct run's one-line image never goes over the robot's program.
    if (!CompiledOK || SnippetImage || basic.Bas_Error != 0 || basic.TotalBytes <= 16) {
        (void)platform::MsgBox(LoadResString(4004) + QStringLiteral("\r\n") + LoadResString(4005),
                               platform::vbCritical, LoadResString(4006), modApp::MainWindow());
        return false;
    }

    // From here on the controller's memory may change: the program counts as
    // downloaded again only when this transfer completes.
    Downloaded = false;

    if (vxIO::Serial()) {
        vxIO::OpenComm();
        if (vxIO::CommError != 0) {
            // The link says why; its box also closes the port.
            vxIO::ShowCommError(vxIO::CommError);
            CloseSerial();
            return false;
        }
    }

    const bool ok = TransferObjectCode(basic);
    CloseSerial();
    if (ok) Downloaded = true;
    return ok;
}

bool TransferObjectCode(const qvv2::QUARVELv2& basic) {
    // The download window's bars, when it is loaded; the track's width in
    // twips is the bars' full length.
    QWidget* downloadBar = nullptr;
    QWidget* verifyBar = nullptr;
    int32_t fullWidth = 0;
    if (frmRun* window = frmRun::Loaded()) {
        downloadBar = window->ShpDownloadState;
        verifyBar = window->ShpCodeVerifyState;
        if (window->ShpDownBack)
            fullWidth = static_cast<int32_t>(platform::PixelsToTwips(window->ShpDownBack->width()));
    }
    return vxIO::DownloadFast(basic.ObjCode, basic.TotalBytes, basic.TotalVars, fullWidth, downloadBar, verifyBar);
}

}  // namespace modMain
