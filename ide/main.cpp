// quarvel-ide: the development environment's program.  Optional argument: a
// program file to open as the first document (see frmMain).
#include <QApplication>

#include <memory>

#include "mainwindow/ProgramStart.h"
#include "mainwindow/frmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The QApplication has taken its own options out of argc and argv.
    std::unique_ptr<frmMain> window(ProgramStart::Start(app, ProgramStart::ArgumentsOf(argc, argv)));
    return app.exec();
}
