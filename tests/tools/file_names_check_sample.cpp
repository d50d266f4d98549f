// Input of tools/file-names-check --sample (never compiled): the lines that
// end in the marker comment are uses of Qt's file classes, every other line
// only names one in a comment or a string, or uses a function that works on
// a path's text alone.
#include <QDir>
#include <QFile>

// QFile::remove(path) in a comment is no use.
/* Nor in a block comment: QFileInfo(path).isFile()
   QDir::currentPath() */
void Sample(const QString& path) {
    const char* text = "QFile f(path); QDir::setCurrent(path)";
    const QString raw = QStringLiteral(R"x(QFileInfo::exists("a"))x");
    const char quote = '"';
    const QString clean = QDir::cleanPath(path) + QDir::toNativeSeparators(path) + QDir::rootPath();
    const bool absolute = QDir::isAbsolutePath(path) || QDir :: isRelativePath(path);
    QFile::remove(path);  // found
    if (QFileInfo(path).isFile()) return;  // found
    const QString here = QDir::currentPath();  // found
    QDir folder(path);  // found
    const QString cleaned = QDir::cleanPath(QDir(path).absolutePath());  // found
    const char* s = "a \" quote"; QTemporaryDir scratch;  // found
    QFileDialog::getOpenFileName();  // found
}
