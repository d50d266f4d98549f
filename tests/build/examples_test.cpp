// The example programs of examples/: each is plain ASCII, so that every
// interface language's code page reads it alike, and each opens from the
// command line and compiles with F2's command in every interface language,
// with the controller the program sets up at start.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>

#include <algorithm>

#include "compiler/Text.h"
#include "documents/StringTable.h"
#include "tests/mainwindow/MainWindowFixture.h"

namespace {

const QString kExamples = QStringLiteral(QUARVEL_SOURCE_DIR "/examples");

QStringList Examples() { return QDir(kExamples).entryList({QStringLiteral("*.bas")}, QDir::Files, QDir::Name); }

class ExamplesTest : public MainWindowTest {};

}  // namespace

TEST_F(ExamplesTest, EveryExampleIsPlainAscii) {
    const QStringList examples = Examples();
    ASSERT_FALSE(examples.isEmpty()) << kExamples.toStdString();
    for (const QString& name : examples) {
        const QByteArray bytes = ReadAll(kExamples + u'/' + name);
        EXPECT_FALSE(bytes.isEmpty()) << name.toStdString();
        const auto wide = std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        EXPECT_EQ(wide, bytes.end()) << name.toStdString() << " has a byte over 127 at "
                                     << (wide - bytes.begin());
    }
}

TEST_F(ExamplesTest, EveryExampleCompilesInEveryLanguage) {
    const QLocale languages[] = {
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::Korean, QLocale::SouthKorea),
        QLocale(QLocale::Japanese, QLocale::Japan),
        QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China),
    };
    const QStringList examples = Examples();
    ASSERT_FALSE(examples.isEmpty()) << kExamples.toStdString();
    for (const QString& name : examples) {
        // A copy in the test's folder: the compile writes NAME.obj beside it.
        const QString path = HomeFile(name);
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(kExamples + u'/' + name, path));
        for (const QLocale& language : languages) {
            SCOPED_TRACE((name + u' ' + language.name()).toStdString());
            QLocale::setDefault(language);
            frmMain& w = Start(path);
            ASSERT_EQ(modApp::Docs(modApp::ActiveDoc)->FileName, path);
            w.mnuMake->trigger();
            EXPECT_EQ(w.basic.Bas_Error, 0) << "line " << w.basic.Bas_Error_Line << ": "
                                            << qvv2::ToUtf8(w.basic.Bas_Error_Msg);
            EXPECT_TRUE(modMain::CompiledOK);
            // More than the 16-byte header and the closing jump.
            EXPECT_GT(w.basic.TotalBytes, 40);
            EXPECT_EQ(w.Panel(1)->text(), LoadResString(3159) + QString::number(w.basic.TotalBytes) +
                                              LoadResString(3160) + QStringLiteral(" - ") + name);
            EXPECT_TRUE(Boxes().Calls().empty());
            modMain::CompiledOK = false;
        }
    }
}
