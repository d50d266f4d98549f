// Clearing the controller's program memory.  The controller has no erase
// command: the program it holds is replaced by one that loops on itself.
#include <QWidget>

#include <string>

#include "compiler/QUARVELv2.h"
#include "documents/Documents.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "link/vxIO_Windows.h"
#include "platform/MsgBox.h"

namespace vxIO {

namespace {

void CloseSerial() {
    if (Serial()) CloseComm();
}

}  // namespace

void ClearMemory() {
    // One exchange from the question to the end of the transfer.
    const Exchange exchange;
    if (!exchange) return;
    const QString crlf = QStringLiteral("\r\n");
    if (platform::MsgBox(LoadResString(4001) + crlf + LoadResString(4002), platform::vbOKCancel | platform::vbQuestion,
                         LoadResString(4003), modApp::MainWindow()) != platform::vbOK)
        return;

    // The do-nothing program, compiled under the untitled name.  It replaces
    // the compiler's last result, so whatever was downloaded before no longer
    // matches what the compiler holds, and the controller is about to lose
    // it: the program no longer counts as downloaded.  Nor does the
    // compiler hold the document's image any more: a later download compiles
    // the document again instead of sending this loop.
    qvv2::QUARVELv2& basic = modMain::Basic();
    basic.Filename = LoadResString(21).toStdU16String();
    std::u16string text = u"STARTPROGRAM:\r\nGOTO STARTPROGRAM";
    basic.Compile(text);
    modMain::Downloaded = false;
    modMain::CompiledOK = false;
    modMain::SnippetImage = true;

    if (Serial()) OpenComm();
    bool ok = false;
    if (CommError != kErrOpen) {
        // A failed transfer shows its own error box, which also closes the
        // port and clears the error code: the outcome is the result.
        ok = modMain::TransferObjectCode(basic);
    }
    CloseSerial();
    if (ok)
        (void)platform::MsgBox(LoadResString(5002), platform::vbInformation, QStringLiteral("OK"),
                               modApp::MainWindow());
    modApp::FocusActiveEditor();
}

}  // namespace vxIO
