// Input of tools/file-names-check --sample (never compiled): the lines that
// end in the marker comment are uses of Qt's file classes or calls of the
// system's file functions, every other line only names one in a comment or
// a string, uses a function that works on a path's text alone, or calls a
// function that merely shares a system call's name.
#include <QDir>
#include <QFile>
#include <sys/stat.h>
// A macro's body is code; its name and parameters are not.
#define LOOK(name, st) \
    ::stat(name, st)  // found
#define open(name) Open(name)
#if defined(stat) || defined(unlink)
#endif

// QFile::remove(path) in a comment is no use, and nor is ::unlink(name).
/* Nor in a block comment: QFileInfo(path).isFile()
   QDir::currentPath() ::stat(name, &st) */
void Sample(const QString& path) {
    const char* text = "QFile f(path); QDir::setCurrent(path); ::open(name, 0)";
    const QString raw = QStringLiteral(R"x(QFileInfo::exists("a") fopen("a", "r"))x");
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

// Calls of the system's file functions, global, plain or from std.
int Calls(const char* name, std::vector<int>& v) {
    struct stat st {};
    if (::stat(name, &st) != 0) return -1;  // found
    const int fd = open(name, O_RDONLY);  // found
    (void) :: unlink(name);  // found
    FILE* f = std::fopen(name, "r");  // found
    std::remove(name);  // found
    if (!access(name, R_OK) && rename(name,  // found
                                      "b")) return 1;
    DIR* d = opendir(name);  // found
    while (readdir(d)) {  // found
    }
    namespace fs = std::filesystem;  // found
    std::ifstream in(name);  // found
    if (mkdir(name, 0755)) throw realpath(name, nullptr);  // found
    return getcwd(nullptr, 0) ? chdir(name) : ::fstat(fd, &st);  // found
}

// Functions that share a name with a system call.
struct Entry {
    int stat() const;
    int Twice() const { return stat() * 2; }
    bool Open(QIODevice& file, QIODevice* port, std::vector<int>& v);
};
static FILE* fopen(const char* name);
std::vector<int> unlink(int n);

bool Entry::Open(QIODevice& file, QIODevice* port, std::vector<int>& v) {
    v.erase(std::remove(v.begin(), v.end(), 0), v.end());
    v.erase(std::remove(v.begin(), v.end(), std::max(1, 2)), v.end());
    const bool opened = file.open(QIODevice::ReadOnly) && port->open(QIODevice::ReadWrite);
    port->QIODevice::open(QIODevice::ReadOnly);
    return fopen("x") != nullptr && platform::RemoveFile(path) && stat() == 0 && unlink(3).empty();
}

struct Store {
    bool rmdir(int n);
};
// A member defined here, and called inside itself.
bool Store::rmdir(int n) { return n > 0 && rmdir(n - 1); }

// The global scope, whatever keyword stands before it.
int Global(const char* p, struct stat& st, bool last) {
    if (!p) return ::unlink(p);  // found
    switch (*p) {
    case 'o': return ::open(p, 0);  // found
    case 'r': throw ::rmdir(p);  // found
    }
    if (last) return 0; else return ::stat(p, &st);  // found
}

// A parameter or a variable named like a system call is no function of the
// file's, and exempts no call of that name; a member of the file's own
// exempts only the calls that its parameters take.
struct Port {
    bool stat() const;
    int open(int mode);
};
bool Port::stat() const { return stat() && open(1) > 0; }
int Port::open(int mode) { return mode; }
bool Allowed(int access, const char* open) {
    const bool unlink = access > 0 && open != nullptr;
    std::vector<int> rename{1, 2};
    return unlink && !rename.empty();
}
bool Readable(const char* p, QIODevice& x, Port* port) {
    struct stat st {};
    if (x.open(QIODevice::ReadOnly) && port->open(2) && stat(p, &st) == 0) return true;  // found
    if (x.isOpen() && access(p, 4) == 0) return true;  // found
    return access(p, 4) == 0;  // found
}

// A call after an operator, not a declaration.
bool Compared(const char* p, int limit, std::vector<int>& v) {
    return limit > open(p, 0) || limit * open(p, 0) < 1 || v.size() < 2 && unlink(p) > 0;  // found
}
template <typename T>
std::vector<T> rmdir(int depth, const std::map<T, int>& rounds);
bool Removed(Port<int> port) { return Port<int>::stat(1) && rmdir<int>(2, {}).empty(); }

// The C++ library's file doors, however their names are reached.
using namespace std;
bool Exists(const char* p) {
    return filesystem::exists(p);  // found
}
namespace s = std;
FILE* Aliased(const char* p) {
    wifstream in(p);  // found
    return s::fopen(p, "r");  // found
}
bool Mine(const Entry& entry) { return entry.filesystem == 0; }
