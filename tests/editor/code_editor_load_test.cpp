// The code editor's own file load against entries a hostile user leaves in a
// file's place: a named pipe, a link to /dev/zero, a folder, a file over the
// 16 MiB the editor loads.  The load fails at once, the editor keeps its text
// and the entry stays as it was.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "platform/CodeEditor.h"
#include "platform/SafeFile.h"

namespace {

constexpr qsizetype kEditorLoadLimit = platform::kTextFileSizeLimit;

TEST(CodeEditorLoad, NoReadableFileLoadsNothingAndKeepsTheText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::CodeEditor e;
    e.SetWholeText(QStringLiteral("MAIN:\r\n\tGOTO MAIN\r\n"));
    e.MarkSaved();
    for (const hostile::Kind kind : hostile::All()) {
        SCOPED_TRACE(hostile::Name(kind));
        const QString path = dir.filePath(QStringLiteral("entry") + QString::number(static_cast<int>(kind)));
        hostile::Make(kind, path, kEditorLoadLimit);
        hostile::Watchdog watchdog;
        EXPECT_FALSE(e.LoadFromFile(path));
        EXPECT_EQ(e.WholeText(), QStringLiteral("MAIN:\r\n\tGOTO MAIN\r\n"));
        EXPECT_FALSE(e.Changed());
        hostile::ExpectUnchanged(kind, path, kEditorLoadLimit);
    }
}

}  // namespace
