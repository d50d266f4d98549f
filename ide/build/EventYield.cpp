#include "build/EventYield.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace modMain {

void YieldToEvents() {
    if (!QCoreApplication::instance()) return;
    // The loops call this for every character or byte, each a fraction of
    // a microsecond: the clock is read on every 32nd call only.
    static unsigned calls = 0;
    if (calls++ % 32 != 0) return;
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 15) return;
    last.start();
    QCoreApplication::processEvents();
}

}  // namespace modMain
