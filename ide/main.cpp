// quarvel-ide: the development environment's program.  Optional argument: a
// program file to open as the first document (see frmMain).
#include <QApplication>

#include <memory>

#include "mainwindow/ProgramStart.h"
#include "mainwindow/frmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::unique_ptr<frmMain> window(ProgramStart::Start(app));
    return app.exec();
}
