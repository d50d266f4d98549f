// Entries a hostile user can leave where the program reads a file: a named
// pipe, a link to an endless device, a folder, and an ordinary file just over
// a size limit.  Each can be checked afterwards to be exactly as it was made,
// and a watchdog turns a read that blocks for ever into a failed test.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace hostile {

enum class Kind {
    Fifo,         // mkfifo: opening it for reading would wait for a writer
    EndlessLink,  // a symbolic link to /dev/zero: reading it never ends
    Folder,       // a folder with the file's name
    OverLimit,    // an ordinary text file one byte over the limit
};

inline const char* Name(Kind kind) {
    switch (kind) {
        case Kind::Fifo: return "fifo";
        case Kind::EndlessLink: return "link to /dev/zero";
        case Kind::Folder: return "folder";
        case Kind::OverLimit: return "over the size limit";
    }
    return "?";
}

inline std::vector<Kind> All() { return {Kind::Fifo, Kind::EndlessLink, Kind::Folder, Kind::OverLimit}; }

// `size` bytes of program text: comment lines with CR LF.
inline QByteArray TextOfSize(qsizetype size) {
    const QByteArray line = "' a comment line of a long program\r\n";
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() + line.size() <= size) bytes += line;
    bytes += QByteArray(size - bytes.size(), 'x');
    return bytes;
}

// Makes an entry of `kind` at `path` (`limit`: the size limit an OverLimit
// file exceeds by one byte).
inline void Make(Kind kind, const QString& path, qsizetype limit = 0) {
    const QByteArray native = QFile::encodeName(path);
    switch (kind) {
        case Kind::Fifo: ASSERT_EQ(::mkfifo(native.constData(), 0644), 0) << path.toStdString(); break;
        case Kind::EndlessLink: ASSERT_EQ(::symlink("/dev/zero", native.constData()), 0) << path.toStdString(); break;
        case Kind::Folder: ASSERT_EQ(::mkdir(native.constData(), 0755), 0) << path.toStdString(); break;
        case Kind::OverLimit: {
            ASSERT_GT(limit, 0);
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
            const QByteArray bytes = TextOfSize(limit + 1);
            ASSERT_EQ(f.write(bytes), bytes.size());
            break;
        }
    }
}

// The entry at `path` is still exactly what Make made: the same kind, the
// link pointing at /dev/zero, the folder empty, the file's bytes unchanged.
inline void ExpectUnchanged(Kind kind, const QString& path, qsizetype limit = 0) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    ASSERT_EQ(::lstat(native.constData(), &st), 0) << path.toStdString() << " is gone";
    switch (kind) {
        case Kind::Fifo: EXPECT_TRUE(S_ISFIFO(st.st_mode)); break;
        case Kind::EndlessLink: {
            ASSERT_TRUE(S_ISLNK(st.st_mode));
            char target[64] = {};
            const ssize_t length = ::readlink(native.constData(), target, sizeof target - 1);
            ASSERT_GT(length, 0);
            EXPECT_EQ(std::string(target, static_cast<size_t>(length)), "/dev/zero");
            break;
        }
        case Kind::Folder:
            ASSERT_TRUE(S_ISDIR(st.st_mode));
            EXPECT_TRUE(QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
                << "something was created inside";
            break;
        case Kind::OverLimit: {
            ASSERT_TRUE(S_ISREG(st.st_mode));
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_TRUE(f.readAll() == TextOfSize(limit + 1)) << "the file's bytes changed";
            break;
        }
    }
}

// Fails the test (by ending the process) when the scope takes longer than
// `seconds`: a read that blocks on a pipe or never ends on a device would
// otherwise hang the test run.
class Watchdog {
public:
    explicit Watchdog(unsigned seconds = 20) {
        previous_ = std::signal(SIGALRM, [](int) {
            static const char kMessage[] = "\nwatchdog: a file read blocked or never ended\n";
            (void)!::write(2, kMessage, sizeof kMessage - 1);
            ::_exit(3);
        });
        ::alarm(seconds);
    }
    ~Watchdog() {
        ::alarm(0);
        std::signal(SIGALRM, previous_);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    void (*previous_)(int) = nullptr;
};

// A file in `folder` whose name is `name` as raw bytes (which need not be
// valid UTF-8), holding `content`; removed by its bytes when it goes, since
// Qt's own clean-up of the folder cannot see such a name.
class RawNamedFile {
public:
    RawNamedFile(const QString& folder, const QByteArray& name, const QByteArray& content)
        : RawNamedFile(QFile::encodeName(folder), name, content) {}
    // In a folder given by its bytes.
    RawNamedFile(const QByteArray& folder, const QByteArray& name, const QByteArray& content)
        : path_(folder + "/" + name) {
        const int fd = ::open(path_.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0) return;
        ok_ = ::write(fd, content.constData(), static_cast<size_t>(content.size())) == content.size();
        ::close(fd);
    }
    ~RawNamedFile() { ::unlink(path_.constData()); }
    RawNamedFile(const RawNamedFile&) = delete;
    RawNamedFile& operator=(const RawNamedFile&) = delete;

    bool Ok() const { return ok_; }
    const QByteArray& Path() const { return path_; }

private:
    QByteArray path_;
    bool ok_ = false;
};

// A folder in `parent` whose name is `name` as raw bytes, removed by its
// bytes when it goes (empty by then: its RawNamedFiles go first).
class RawNamedFolder {
public:
    RawNamedFolder(const QString& parent, const QByteArray& name) : RawNamedFolder(QFile::encodeName(parent), name) {}
    RawNamedFolder(const QByteArray& parent, const QByteArray& name) : path_(parent + "/" + name) {
        ok_ = ::mkdir(path_.constData(), 0755) == 0;
    }
    ~RawNamedFolder() {
        if (ok_) ::rmdir(path_.constData());
    }
    RawNamedFolder(const RawNamedFolder&) = delete;
    RawNamedFolder& operator=(const RawNamedFolder&) = delete;

    bool Ok() const { return ok_; }
    const QByteArray& Path() const { return path_; }

private:
    QByteArray path_;
    bool ok_ = false;
};

}  // namespace hostile
