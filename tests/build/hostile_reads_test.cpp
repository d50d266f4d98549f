// Include files and command-set files against entries a hostile user leaves
// in their place: a named pipe, a link to /dev/zero, a folder, a file over
// the size limit.  An include of such an entry is a missing include (one
// message, no compile); a command set of such an entry is a missing command
// set (the compiler's set stays); nothing blocks and every entry stays as it
// was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

#include "HostileFiles.h"
#include "compiler/QUARVELv2.h"
#include "ScriptedDialogs.h"
#include "build/CommandSet.h"
#include "build/CompilePipeline.h"
#include "documents/Files.h"
#include "documents/modApp.h"
#include "documents/modMain.h"

namespace {

class HostileReads : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(dir_.isValid());
        savedCwd_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        modApp::SetAppPath(dir_.path());
        basic_ = std::make_unique<qvv2::QUARVELv2>();
        basic_->CommandUseAll();
    }
    void TearDown() override {
        QDir::setCurrent(savedCwd_);
        modApp::SetAppPath(QString());
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    int enabledCount() const {
        int n = 0;
        for (int16_t c = 0; c < qvv2::QUARVELv2::kCommandCount; ++c) n += basic_->CommandEnabled(c) != 0;
        return n;
    }

    QTemporaryDir dir_;
    QString savedCwd_;
    std::unique_ptr<qvv2::QUARVELv2> basic_;
};

TEST_F(HostileReads, AnIncludeOfNoReadableFileIsAMissingIncludeAndNothingCompiles) {
    for (const hostile::Kind kind : hostile::All()) {
        SCOPED_TRACE(hostile::Name(kind));
        const QString name = QStringLiteral("lib") + QString::number(static_cast<int>(kind)) + QStringLiteral(".bas");
        hostile::Make(kind, path(name), modApp::kDocumentSizeLimit);
        hostile::Watchdog watchdog;

        const QStringList lines = {"DIM A AS BYTE", "'$INCLUDE \"" + name + "\"", "A = 1"};
        modMain::CompileContext ctx;
        ctx.basic = basic_.get();
        ctx.fileName = path(QStringLiteral("main.bas"));
        ctx.text = [&lines] { return lines.join(QStringLiteral("\r\n")); };
        ctx.lineCount = [&lines] { return static_cast<int>(lines.size()); };
        ctx.lineText = [&lines](int i) { return i >= 0 && i < lines.size() ? lines.at(i) : QString(); };
        int objectFiles = 0;
        ctx.writeObjectFile = [&objectFiles] { ++objectFiles; };
        basic_->SourceText = u"untouched";
        modMain::CompiledOK = true;

        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        modMain::CompileDocument(ctx);
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].prompt, QStringLiteral("Include file is not exist !\r\n") +
                                               QStringLiteral("사용법 : '$INCLUDE(또는 '$포함파일) \"파일명\""));
        EXPECT_TRUE(modMain::IncludeError);
        EXPECT_FALSE(modMain::CompiledOK);
        EXPECT_EQ(basic_->SourceText, u"untouched");
        EXPECT_EQ(objectFiles, 0);
        hostile::ExpectUnchanged(kind, path(name), modApp::kDocumentSizeLimit);
    }
}

TEST_F(HostileReads, ACommandSetOfNoReadableFileIsAMissingCommandSet) {
    for (const hostile::Kind kind : hostile::All()) {
        SCOPED_TRACE(hostile::Name(kind));
        const QString file = path(QStringLiteral("vx21e.cmd"));
        hostile::Make(kind, file, modApp::kListSizeLimit);
        hostile::Watchdog watchdog;
        basic_->CommandUseAll();
        ScriptedMsgBox none;  // silent: no box may show
        EXPECT_FALSE(modMain::LoadCommandSetFile(file, *basic_));
        modMain::LoadCommandSet(QStringLiteral("vx21e.cmd"), *basic_);
        EXPECT_EQ(enabledCount(), qvv2::QUARVELv2::kCommandCount);  // CommandUnuseAll never ran
        hostile::ExpectUnchanged(kind, file, modApp::kListSizeLimit);
        if (kind == hostile::Kind::Folder)
            ASSERT_TRUE(QDir(file).removeRecursively());
        else
            ASSERT_TRUE(QFile::remove(file));
    }
    // A file of exactly the limit is still read.
    QFile f(path(QStringLiteral("vx21e.cmd")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray bytes = "DIM\r\n";
    bytes += QByteArray(modApp::kListSizeLimit - bytes.size(), ' ');
    ASSERT_EQ(f.write(bytes), bytes.size());
    f.close();
    EXPECT_TRUE(modMain::LoadCommandSetFile(f.fileName(), *basic_));
    EXPECT_EQ(enabledCount(), 1);
}

}  // namespace
