// The common file dialog: filter conversion, the cancel error and the
// chosen path, through the real dialog and through the responder.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "HostileFiles.h"
#include "ScriptedDialogs.h"
#include "platform/CommonDialog.h"
#include "platform/FileNames.h"

using namespace platform;

namespace {

const QString kFilter =
    QStringLiteral("QUARVEL Program (*.bas)|*.bas|QUARSCRIPT Program (*.qsf)|*.qsf|All Files(*.*)|*.*");

TEST(CommonDialog, ConvertsFiltersToQtNameFilters) {
    EXPECT_EQ(QtNameFilters(kFilter),
              QStringList({"QUARVEL Program (*.bas *.BAS)", "QUARSCRIPT Program (*.qsf *.QSF)", "All Files (*.*)"}));
    EXPECT_EQ(QtNameFilters("Text|*.txt;*.Log"), QStringList({"Text (*.txt *.TXT *.Log *.log *.LOG)"}));
    EXPECT_EQ(QtNameFilters(""), QStringList());
    EXPECT_EQ(QtNameFilters("odd|"), QStringList({"odd ()"}));
}

TEST(CommonDialog, CancelIsAnErrorOnlyWithCancelError) {
    ScriptedFileDialog dialogs;
    dialogs.Cancel().Cancel().Choose("/work/robots/walk.bas", 1);
    CommonDialog cd;
    cd.Filter = kFilter;
    cd.DialogTitle = "Save As...[Untitled1.bas]";
    cd.InitDir = "/work/robots";
    cd.FileName = "";
    cd.CancelError = true;
    EXPECT_EQ(cd.ShowSave(), cdlCancel);
    EXPECT_EQ(cd.FileName, "");
    cd.CancelError = false;
    EXPECT_EQ(cd.ShowSave(), 0);
    EXPECT_EQ(cd.FileName, "");
    cd.CancelError = true;
    EXPECT_EQ(cd.ShowOpen(), 0);
    EXPECT_EQ(cd.FileName, "/work/robots/walk.bas");

    ASSERT_EQ(dialogs.Calls().size(), 3u);
    EXPECT_TRUE(dialogs.Calls()[0].save);
    EXPECT_FALSE(dialogs.Calls()[2].save);
    EXPECT_EQ(dialogs.Calls()[0].title, "Save As...[Untitled1.bas]");
    EXPECT_EQ(dialogs.Calls()[0].initDir, "/work/robots");
    EXPECT_EQ(dialogs.Calls()[0].filter, kFilter);
}

TEST(CommonDialog, RealDialogReportsCancelAndChosenPath) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile(dir.filePath("walk.bas")).open(QIODevice::WriteOnly);

    CommonDialog cd;
    cd.CancelError = true;
    cd.Filter = kFilter;
    cd.InitDir = dir.path();
    cd.DialogTitle = "Open Program File";

    QString shownTitle, shownFolder;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownTitle = dialog->windowTitle();
        shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(cd.ShowOpen(), cdlCancel);
    EXPECT_EQ(shownTitle, "Open Program File");
    EXPECT_EQ(shownFolder, QDir(dir.path()).absolutePath());

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(dir.filePath("new.bas"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(cd.ShowSave(), 0);
    EXPECT_EQ(QFileInfo(cd.FileName).absoluteFilePath(), QFileInfo(dir.filePath("new.bas")).absoluteFilePath());
}

TEST(CommonDialog, RealDialogStartsAboveAFolderItCannotShow) {
    // Qt's dialog cannot show a folder whose name is not valid UTF-8; it
    // starts in the nearest folder above it instead of somewhere else.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFolder bad(dir.path(), "d_bad\xFF");
    ASSERT_TRUE(bad.Ok());
    const hostile::RawNamedFolder deeper(bad.Path(), "deeper");
    ASSERT_TRUE(deeper.Ok());

    CommonDialog cd;
    cd.InitDir = DecodeFileName(deeper.Path());
    QString shownFolder;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(cd.ShowOpen(), 0);
    EXPECT_EQ(shownFolder, QDir(dir.path()).absolutePath());
}

}  // namespace
