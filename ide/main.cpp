// quarvel-ide: the development environment's program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quarvel-ide"));
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Quarvel"));
    w.resize(1024, 700);
    w.show();
    return app.exec();
}
