// The editor side of the main window as a user meets it: Set Editor over the
// main window reaching open and new documents and the settings file, the
// caret-line highlight after a failed and a fixed compile, and the editor's
// dialogs in the interface language.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "documents/modIni.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"

namespace {

class EditorSettingsTest : public MainWindowTest {
protected:
    void TearDown() override {
        platform::CodeEditor::SetDialogResponder({});
        MainWindowTest::TearDown();
    }

    QString Ini(const char* section, const char* key) {
        return modIni::ReadIni(QString::fromLatin1(section), QString::fromLatin1(key), QStringLiteral("<none>"),
                               HomeFile(QStringLiteral("qvv2.ini")));
    }

    // Types text into an editor one character at a time.
    static void Type(QWidget* w, const QString& text) {
        for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
};

TEST_F(EditorSettingsTest, SetEditorOverTheMainWindowReachesOpenAndNewDocumentsAndTheFile) {
    frmMain& w = Start();
    frmDoc* first = modApp::Docs(1);
    ASSERT_NE(first, nullptr);
    w.new_Click();
    frmDoc* second = modApp::Docs(2);
    ASSERT_NE(second, nullptr);
    Type(second->rt, QStringLiteral("MOVE G6A, 100"));
    EXPECT_FALSE(w.whitespace->isChecked());

    QWidget* parent = nullptr;
    bool textShown = false;
    bool accept = false;
    platform::CodeEditor::SetDialogResponder([&](QDialog& d) {
        parent = d.parentWidget();
        // The active document keeps its text while the dialog is up.
        textShown = second->rt->isVisible() && second->rt->WholeText() == QStringLiteral("MOVE G6A, 100");
        d.findChild<QDoubleSpinBox*>(QStringLiteral("fontSize"))->setValue(14);
        d.findChild<QCheckBox*>(QStringLiteral("whitespace"))->setChecked(true);
        d.findChild<QCheckBox*>(QStringLiteral("lineNumbers"))->setChecked(false);
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    });

    // Cancel changes nothing.
    w.editor->trigger();
    EXPECT_EQ(parent, &w);
    EXPECT_DOUBLE_EQ(second->rt->EditorFont().pointSizeF(), 8);
    EXPECT_FALSE(second->rt->WhitespaceShown());
    EXPECT_EQ(Ini("Font", "size"), QStringLiteral("<none>"));

    accept = true;
    w.editor->trigger();
    EXPECT_EQ(parent, &w);
    EXPECT_TRUE(textShown);
    for (frmDoc* doc : {first, second}) {
        EXPECT_DOUBLE_EQ(doc->rt->EditorFont().pointSizeF(), 14);
        EXPECT_TRUE(doc->rt->WhitespaceShown());
        EXPECT_FALSE(doc->rt->LineNumbersShown());
    }
    EXPECT_EQ(second->rt->WholeText(), QStringLiteral("MOVE G6A, 100"));
    EXPECT_TRUE(w.whitespace->isChecked());
    EXPECT_TRUE(modApp::ShowWhitespace);
    EXPECT_EQ(Ini("Font", "size"), QStringLiteral("14"));
    EXPECT_EQ(Ini("Data", "numbering"), QStringLiteral("0"));
    EXPECT_EQ(Ini("Options", "whitespace"), QStringLiteral("1"));

    w.new_Click();
    frmDoc* third = modApp::Docs(3);
    ASSERT_NE(third, nullptr);
    EXPECT_DOUBLE_EQ(third->rt->EditorFont().pointSizeF(), 14);
    EXPECT_TRUE(third->rt->WhitespaceShown());
    EXPECT_FALSE(third->rt->LineNumbersShown());
}

TEST_F(EditorSettingsTest, ErrorLineMarkOfAFailedCompileGoesWithTheCaret) {
    Start();
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    platform::CodeEditor* rt = doc->rt;
    rt->SetWholeText(QStringLiteral("WAIT\r\nWAIT\r\nMOVE G6A, 100, 100, 100, 100, 100, 100, 100, 100\r\nEND"));
    rt->PutCaret(0, 0);
    Boxes().Answer(platform::vbOK);
    QTest::keyClick(rt, Qt::Key_F2);
    ASSERT_EQ(Boxes().Calls().size(), 1u);  // the compile error
    EXPECT_EQ(rt->Selection(true).EndLineNo, 2);
    EXPECT_EQ(rt->HighlightedLine(), 2);

    // The caret moves up: the highlight goes with it.
    QTest::keyClick(rt, Qt::Key_Up);
    EXPECT_EQ(rt->HighlightedLine(), 1);

    // The error fixed and compiled: no mark is left on the old error line.
    rt->PutCaret(2, 0);
    rt->SelectRange(2, 0, 2, static_cast<int32_t>(rt->LineText(2).size()));
    rt->ReplaceSelectedText(QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));
    QTest::keyClick(rt, Qt::Key_Home);
    QTest::keyClick(rt, Qt::Key_Down);
    QTest::keyClick(rt, Qt::Key_F2);
    EXPECT_EQ(Boxes().Calls().size(), 1u);  // no new box
    EXPECT_EQ(Main().basic.Bas_Error, 0);
    EXPECT_EQ(rt->HighlightedLine(), rt->Selection(true).EndLineNo);
    EXPECT_EQ(rt->HighlightedLine(), 3);
}

// With the caret-line highlight switched off, a failed compile still marks
// its error line, and the next caret move takes the mark away.
TEST_F(EditorSettingsTest, ErrorLineIsMarkedWithTheCaretLineHighlightOff) {
    Start();
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    const bool highlight = modApp::HighlightLine;
    modApp::HighlightLine = false;
    platform::CodeEditor* rt = doc->rt;
    rt->SetWholeText(QStringLiteral("WAIT\r\nMOVE G6A, 100, 100, 100, 100, 100, 100, 100, 100\r\nEND"));
    rt->PutCaret(0, 0);
    Boxes().Answer(platform::vbOK);
    QTest::keyClick(rt, Qt::Key_F2);
    EXPECT_EQ(rt->HighlightedLine(), 1);
    QTest::keyClick(rt, Qt::Key_Down);
    EXPECT_EQ(rt->HighlightedLine(), -1);
    modApp::HighlightLine = highlight;
}

TEST_F(EditorSettingsTest, PropertiesDialogSpeaksTheInterfaceLanguageAndListsTheDialectsColours) {
    struct Case {
        QLocale locale;
        const char* title;
        const char* keyword;
        const char* ok;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "Set Editor", "Keyword", "OK"},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "편집기 설정", "키워드", "확인"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        QLocale::setDefault(c.locale);
        frmMain& w = Start();
        QString title, ok;
        QStringList entries, tabs;
        platform::CodeEditor::SetDialogResponder([&](QDialog& d) {
            title = d.windowTitle();
            auto* list = d.findChild<QListWidget*>(QStringLiteral("colorList"));
            for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
            auto* pages = d.findChild<QTabWidget*>();
            for (int i = 0; i < pages->count(); ++i) tabs << pages->tabText(i);
            ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text();
            return int(QDialog::Rejected);
        });
        w.editor_Click();
        EXPECT_EQ(title, QString::fromUtf8(c.title));
        EXPECT_EQ(ok, QString::fromUtf8(c.ok));
        EXPECT_TRUE(entries.contains(QString::fromUtf8(c.keyword))) << entries.join(u',').toStdString();
        // The dialect has no tags and no block words; the editor draws no dividers.
        EXPECT_EQ(entries.size(), 19) << entries.join(u',').toStdString();
        for (const QString& e : entries) {
            EXPECT_FALSE(e.contains(QStringLiteral("Tag"), Qt::CaseInsensitive)) << e.toStdString();
            EXPECT_FALSE(e.contains(QStringLiteral("divider"), Qt::CaseInsensitive)) << e.toStdString();
        }
        if (c.locale.language() == QLocale::Korean) {
            for (const QString& t : tabs)
                EXPECT_FALSE(t.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << t.toStdString();
        }
    }
}

TEST_F(EditorSettingsTest, FindReplaceAndGotoDialogsTakeTheMenusNamesAndSitOverTheEditor) {
    struct Case {
        QLocale locale;
        const char* find;
        const char* replace;
        const char* gotoLine;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "Find", "Replace", "Goto Line"},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "찾기", "바꾸기", "줄 이동"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.find);
        QLocale::setDefault(c.locale);
        Start();
        frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
        ASSERT_NE(doc, nullptr);
        platform::CodeEditor* rt = doc->rt;
        rt->SetWholeText(QStringLiteral("MOVE a\r\nWAIT\r\nMOVE b"));
        rt->PutCaret(0, 0);
        QStringList titles;
        QList<QWidget*> parents;
        platform::CodeEditor::SetDialogResponder([&](QDialog& d) {
            titles << d.windowTitle();
            parents << d.parentWidget();
            return int(QDialog::Rejected);
        });
        rt->RunCommand(platform::cmdFind);
        rt->RunCommand(platform::cmdReplace);
        rt->RunCommand(platform::cmdGotoLine);
        EXPECT_EQ(titles, QStringList({QString::fromUtf8(c.find), QString::fromUtf8(c.replace),
                                       QString::fromUtf8(c.gotoLine)}));
        for (QWidget* p : parents) EXPECT_EQ(p, rt);
    }
}

}  // namespace
