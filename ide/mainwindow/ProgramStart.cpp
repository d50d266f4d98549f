#include "mainwindow/ProgramStart.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "documents/StringTable.h"
#include "documents/modApp.h"
#include "mainwindow/ImageList.h"
#include "mainwindow/frmMain.h"
#include "platform/FileNames.h"
#include "platform/UiLanguage.h"

namespace ProgramStart {

void ApplyProgramHome() {
    const QString home = qEnvironmentVariable(kHomeVariable);
    if (!home.isEmpty()) modApp::SetAppPath(home);
}

QString CommandLineOf(const QStringList& arguments) { return arguments.mid(1).join(u' '); }

QStringList ArgumentsOf(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; argv && i < argc && argv[i]; ++i) arguments << platform::DecodeFileName(QByteArray(argv[i]));
    return arguments;
}

bool InstallQtTranslations(QApplication& app) {
    QString name;
    switch (platform::CurrentUiLanguage()) {
    case platform::UiLanguage::Korean:
        name = QStringLiteral("qtbase_ko");
        break;
    case platform::UiLanguage::Japanese:
        name = QStringLiteral("qtbase_ja");
        break;
    case platform::UiLanguage::Chinese:
        name = QStringLiteral("qtbase_zh_CN");
        break;
    case platform::UiLanguage::English:
        return false;
    }
    auto* translator = new QTranslator(&app);
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

void NameTheApplication() {
    bool ok = false;
    const QString name = LoadResString(1001, &ok);
    QApplication::setApplicationName(ok && !name.isEmpty() ? name : QStringLiteral("Quarvel"));
}

frmMain* Start(QApplication& app, const QStringList& arguments) {
    ApplyProgramHome();
    platform::ApplyUiCodePage();
    NameTheApplication();
    InstallQtTranslations(app);
    QApplication::setWindowIcon(ImageList().Item(61));

    auto* main = new frmMain;
    main->CommandLine = CommandLineOf(arguments);
    main->MDIForm_Load();
    main->show();
    return main;
}

}  // namespace ProgramStart
