#include "documents/MainHost.h"

namespace modApp {
namespace {
MainHost* g_host = nullptr;
}  // namespace

void SetMainHost(MainHost* host) { g_host = host; }

QWidget* MainWindow() { return g_host ? g_host->Window() : nullptr; }

void SetStatusText(int panel, const QString& text) {
    if (g_host) g_host->SetStatusText(panel, text);
}

void MotionUnlock() {
    if (g_host) g_host->MotionUnlock();
}

}  // namespace modApp
