// Set-up of the protocol tests: a host of its own for the serial control and
// the link's timers, wired to the link's event handlers as the main window
// wires its own, and the shared link fixture on it.
#pragma once

#include <QObject>
#include <QTimer>

#include "LinkTestOn.h"
#include "compiler/Text.h"
#include "platform/CommControl.h"

class LinkHost : public QObject {
public:
    LinkHost() {
        TimeOut.setTimerType(Qt::PreciseTimer);
        TimeOut.setInterval(3000);
        TimeDelay.setTimerType(Qt::PreciseTimer);
        connect(&Comm, &platform::CommControl::OnComm, this, [this] { vxIO::ReceiveEvent(Comm); });
        connect(&TimeOut, &QTimer::timeout, this, [this] { TimeOut_Timer(); });
        connect(&TimeDelay, &QTimer::timeout, this, [this] { TimeDelay_Timer(); });
        vxIO::SetLinkControls({&Comm, &TimeOut, &TimeDelay});
    }
    ~LinkHost() override { vxIO::SetLinkControls({}); }

    void TimeOut_Timer() { vxIO::TimeOutEvent(TimeOut); }
    void TimeDelay_Timer() { vxIO::DelayEvent(TimeDelay); }

    platform::CommControl Comm;
    QTimer TimeOut;
    QTimer TimeDelay;
};

using LinkTest = LinkTestOn<LinkHost>;
// The controller information and firmware version tests: program names
// decode in the code page CP1252.
class DownloadTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        qvv2::SetSystemCodePage("CP1252");
    }
};
