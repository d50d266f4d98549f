// Shared set-up of the download and firmware tests: the link fixture, a
// compiler control of the test's own as the program's `basic`, a program
// folder of the test's own (with or without a generated firmware package),
// and checks that the link is back at rest.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "LinkFixture.h"
#include "TestFirmware.h"
#include "compiler/QUARVELv2.h"
#include "documents/modApp.h"
#include "link/DownloadProgram.h"
#include "link/frmRun.h"
#include "protocol/modMainDelay.h"

class DownloadTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        ASSERT_TRUE(folder_.isValid());
        modApp::SetAppPath(folder_.path());
        // The program's own folder is the test's too: a firmware folder left
        // beside the test program is never taken as the fallback.
        modApp::SetProgramFolder(folder_.path());
        previousBasic_ = &modMain::Basic();
        modMain::SetBasic(&basic_);
        modMain::CompiledOK = false;
        // Clearing the controller's memory leaves its one-line image as the
        // compiler's, which the download refuses until the next compile.
        modMain::SnippetImage = false;
        modMain::Downloaded = false;
        // A memory clear or a direct run of an earlier test leaves its
        // snippet's image marked as the compiler's last result.
        modMain::SnippetImage = false;
        basic_.cmdLang = 0;
        basic_.CodePage = "CP1252";
        basic_.Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
        qvv2::SetSystemCodePage("CP1252");
    }

    void TearDown() override {
        modMain::SetBasic(previousBasic_);
        modApp::SetAppPath(QString());
        modApp::SetProgramFolder(QString());
        LinkTest::TearDown();
    }

    // Compiles the text as the named program; CompiledOK follows the result.
    void Compile(const std::u16string& text, const std::u16string& filename = u"walk.bas") {
        basic_.Filename = filename;
        std::u16string t = text;
        basic_.Compile(t);
        ASSERT_EQ(basic_.Bas_Error, 0) << qvv2::ToUtf8(basic_.Bas_Error_Msg);
        modMain::CompiledOK = true;
    }

    // A program of `moves` MOVE lines (each 7 bytes of code) in a loop.
    static std::u16string Program(int moves) {
        std::u16string text = u"DIM A AS BYTE\r\nLOOP1:\r\n";
        for (int i = 0; i < moves; ++i) {
            const std::u16string p = qvv2::NumberText(10 + (i * 17) % 180);
            text += u"MOVE " + p + u",100,110,120,130," + p + u"\r\n";
        }
        text += u"A = A + 1\r\nGOTO LOOP1\r\n";
        return text;
    }

    // Writes a firmware package into the program folder.
    void WriteFirmware(const std::vector<uint8_t>& image, const char* ini = TestBootCodeIni()) {
        ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("firmware")));
        QFile f(folder_.filePath(QStringLiteral("firmware/controller.fw")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
        f.close();
        if (ini) {
            QFile c(folder_.filePath(QStringLiteral("firmware/bootloader.ini")));
            ASSERT_TRUE(c.open(QIODevice::WriteOnly));
            c.write(ini);
        }
    }

    // The text of the index-th message box shown so far.
    QString Box(size_t index) const {
        return index < boxes_->Calls().size() ? boxes_->Calls()[index].prompt : QStringLiteral("<no box>");
    }
    QString BoxTitle(size_t index) const {
        return index < boxes_->Calls().size() ? boxes_->Calls()[index].title : QStringLiteral("<no box>");
    }

    QTemporaryDir folder_;
    qvv2::QUARVELv2 basic_;
    qvv2::QUARVELv2* previousBasic_ = nullptr;
};
