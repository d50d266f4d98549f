// Helpers shared by the file tests: the user-interface language for a test,
// whole-file reads and writes, fixtures, and a private program folder.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "documents/modApp.h"

namespace files_test {

// Sets the user-interface language (and so the files' code page) for a scope.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale saved_;
};

inline QLocale Korean() { return QLocale(QLocale::Korean, QLocale::SouthKorea); }
inline QLocale English() { return QLocale(QLocale::English, QLocale::UnitedStates); }

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<no file>");
    return f.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QString FixturePath(const char* name) {
    return QStringLiteral(QUARVEL_TEST_DATA "/fixtures/") + QString::fromLatin1(name);
}

inline QByteArray Fixture(const char* name) {
    const QByteArray bytes = ReadAll(FixturePath(name));
    EXPECT_NE(bytes, QByteArray("<no file>")) << name;
    return bytes;
}

// Every name in a folder, hidden ones included (temporary files of a failed
// save would be hidden).
inline QStringList Listing(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// A fresh folder that serves as the program's folder and the current folder
// for one test.
class ProgramFolder {
public:
    ProgramFolder() {
        EXPECT_TRUE(dir_.isValid());
        path_ = QFileInfo(dir_.path()).canonicalFilePath();
        savedCwd_ = QDir::currentPath();
        QDir::setCurrent(path_);
        modApp::SetAppPath(path_);
    }
    ~ProgramFolder() {
        QDir::setCurrent(savedCwd_);
        modApp::SetAppPath(QString());
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const QString& path() const { return path_; }
    QString file(const QString& name) const { return path_ + u'/' + name; }

private:
    QTemporaryDir dir_;
    QString path_;
    QString savedCwd_;
};

// Lowers the file-size limit of the process for a scope, so that a write
// fails part way as it does on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

}  // namespace files_test
