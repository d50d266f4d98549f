#include "link/DownloadProgram.h"

#include <QFrame>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "compiler/QUARVELv2.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "documents/modMain.h"
#include "link/frmRun.h"
#include "link/vxIO_Windows.h"
#include "platform/MsgBox.h"
#include "platform/Twips.h"

namespace modMain {

namespace {

qvv2::QUARVELv2* g_basic = nullptr;

void CloseSerial() {
    if (vxIO::Serial()) vxIO::CloseComm();
}

// The program name as the controller stores it: the file name of the
// compiler's Filename in the code page of the program header.
std::string ProgramNameBytes() {
    const qvv2::QUARVELv2& basic = modMain::Basic();
    std::u16string name = basic.Filename;
    const size_t cut = name.find_last_of(u"\\/");
    if (cut != std::u16string::npos) name = name.substr(cut + 1);
    return qvv2::ToAnsi(name, basic.CodePage.empty() ? qvv2::SystemCodePage() : basic.CodePage);
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
    return vxIO::DownloadFastWithBars(basic.ObjCode, basic.TotalBytes, basic.TotalVars, fullWidth, downloadBar,
                                      verifyBar);
}

}  // namespace modMain

namespace vxIO {

void SetProgressWidth(QWidget* shape, int32_t fullWidth, int32_t done, int32_t total) {
    if (!shape || total <= 0) return;
    const double twips = std::floor(double(done) / double(total) * double(fullWidth));
    const int pixels = std::max(0, platform::TwipsToPixels(twips));
    shape->resize(pixels, shape->height());
}

bool DownloadFastWithBars(const std::vector<uint8_t>& image, int32_t n, int16_t variables, int32_t fullWidth,
                          QWidget* shapeA, QWidget* shapeB) {
    // Refused while another exchange waits: nothing is shown either.
    const Exchange exchange;
    if (!exchange) return false;
    const bool ok = DownloadFast(image, n, variables, modMain::ProgramNameBytes(), [&](int32_t done, int32_t total) {
        SetProgressWidth(shapeA, fullWidth, done, total);
        SetProgressWidth(shapeB, fullWidth, done, total);
    });
    if (CommError != 0) ShowCommError(CommError);
    return ok;
}

}  // namespace vxIO
