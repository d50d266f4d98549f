#include "FilesFuzzInput.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

#include "compiler/QUARVELv2.h"
#include "compiler/Text.h"
#include "build/CommandSet.h"
#include "build/CompilePipeline.h"
#include "documents/Files.h"
#include "documents/MotionScript.h"
#include "documents/RecentFiles.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "link/Firmware.h"
#include "motion/modUserRobot.h"
#include "platform/MsgBox.h"
#include "platform/Profile.h"
#include "platform/UiLanguage.h"

namespace filesfuzz {

const char* const kIncludeFileNames[5] = {"main.bas", "INC1.BAS", "inc2.bas", "lib/Inc3.bas", "lib/deep/inc4.bas"};

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A rule an input broke; collects the first one.
class Failures {
public:
    void Check(bool ok, const std::string& what) {
        if (!ok && first_.empty()) first_ = what;
    }
    std::string Take() { return std::move(first_); }

private:
    std::string first_;
};

// Everything one input changes in the process, put back when it ends: the
// current folder, the program folder, the locale, the code page and the
// message-box responder.  The case folder is emptied for every input.
class CaseScope {
public:
    explicit CaseScope(int languageIndex) {
        static QTemporaryDir* root = new QTemporaryDir();
        folder_ = QDir(root->path()).filePath(QStringLiteral("case"));
        QDir(folder_).removeRecursively();
        QDir().mkpath(folder_);
        savedCwd_ = QDir::currentPath();
        savedLocale_ = QLocale();
        savedCodePage_ = qvv2::SystemCodePage();
        static const QLocale::Language kLanguages[] = {QLocale::English, QLocale::Korean, QLocale::Japanese,
                                                       QLocale::Chinese};
        static const QLocale::Territory kTerritories[] = {QLocale::UnitedStates, QLocale::SouthKorea, QLocale::Japan,
                                                          QLocale::China};
        QLocale::setDefault(QLocale(kLanguages[languageIndex & 3], kTerritories[languageIndex & 3]));
        platform::ApplyUiCodePage();
        modApp::SetAppPath(folder_);
        savedResponder_ = platform::SetMsgBoxResponder(
            [](const platform::MsgBoxCall& call) { return platform::MsgBoxDefaultResult(call.style); });
    }
    ~CaseScope() {
        platform::SetMsgBoxResponder(std::move(savedResponder_));
        modApp::SetAppPath(QString());
        qvv2::SetSystemCodePage(savedCodePage_);
        QLocale::setDefault(savedLocale_);
        QDir::setCurrent(savedCwd_);
    }
    CaseScope(const CaseScope&) = delete;
    CaseScope& operator=(const CaseScope&) = delete;

    const QString& Folder() const { return folder_; }
    QString Path(const QString& name) const { return QDir(folder_).filePath(name); }

    bool Write(const QString& name, const QByteArray& bytes) const {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }

private:
    QString folder_;
    QString savedCwd_;
    QLocale savedLocale_;
    std::string savedCodePage_;
    platform::MsgBoxResponder savedResponder_;
};

bool PrintableAscii(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return true;
}

// ---- Settings file --------------------------------------------------------------

// The values of the main settings that survive a save and a load exactly.
struct SettingsSnapshot {
    int16_t windowState;
    bool toolbar, statusbar, recentOpen, tooltip, allFileList, quickNav;
    int16_t lptNum, commPort;
    int32_t commTimeout, tx0, txP, tx1, txTimeOut, rxTimeOut;
    int16_t conType, conId, portType, navTop, navWidth, dispMode;

    static SettingsSnapshot Take() {
        const auto& w = modReg::MainWindow;
        const auto& l = modReg::Link;
        return {w.WindowState,
                w.ToolbarVisible,
                w.StatusbarVisible,
                w.RecentOpen,
                w.Tooltip,
                w.AllFileList,
                w.QuickNav,
                l.LPTnum,
                l.CommPort,
                l.CommTimeout,
                l.Tx0,
                l.TxP,
                l.Tx1,
                l.TxTimeOut,
                l.RxTimeOut,
                modMain::ControllerType,
                modMain::ControllerID,
                modMain::PortType,
                modMain::NavSplitTop,
                modMain::NavWidth,
                modMain::Frm32DispMode};
    }
    bool operator==(const SettingsSnapshot& o) const {
        return windowState == o.windowState && toolbar == o.toolbar && statusbar == o.statusbar &&
               recentOpen == o.recentOpen && tooltip == o.tooltip && allFileList == o.allFileList &&
               quickNav == o.quickNav && lptNum == o.lptNum && commPort == o.commPort && commTimeout == o.commTimeout &&
               tx0 == o.tx0 && txP == o.txP && tx1 == o.tx1 && txTimeOut == o.txTimeOut && rxTimeOut == o.rxTimeOut &&
               conType == o.conType && conId == o.conId && portType == o.portType && navTop == o.navTop &&
               navWidth == o.navWidth && dispMode == o.dispMode;
    }
};

void ResetMainSettings() {
    modReg::MainWindow = modReg::MainWindowSettings{};
    modReg::Link = modReg::LinkSettings{};
    modMain::ControllerType = 0;
    modMain::ControllerID = 1;
    modMain::PortType = 0;
}

void CheckLoadedRanges(Failures& f) {
    const auto& w = modReg::MainWindow;
    const auto& l = modReg::Link;
    f.Check(w.WindowState >= 0 && w.WindowState <= 2, "settings: window state out of 0..2");
    f.Check(l.CommPort >= 1 && l.CommPort <= 16, "settings: serial port out of 1..16");
    f.Check(l.CommTimeout >= 1 && l.CommTimeout <= 65535, "settings: reply time-out out of 1..65535");
    f.Check(modMain::Frm32DispMode >= 0 && modMain::Frm32DispMode <= 1, "settings: display mode out of 0..1");
}

// Section and key names as the file spells them: "[name]" lines and the
// part before "=" of the other lines, as decoded in the file's code page.
std::vector<std::pair<QString, QString>> NamesInFile(const QByteArray& bytes) {
    std::vector<std::pair<QString, QString>> names;
    QString text;
    if (!modApp::DecodeFileText(bytes, qvv2::SystemCodePage(), text)) text = QString::fromLatin1(bytes);
    QString section;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && names.size() < 32) names.emplace_back(section, line.left(eq));
    }
    return names;
}

void RunSettings(const CaseScope& scope, uint8_t options, const QByteArray& bytes, Failures& f) {
    const QString ini = modReg::SettingsFile();
    if (!scope.Write(QStringLiteral("qvv2.ini"), bytes)) return;

    // Every key the file names, read with a buffer size the options pick.
    static const int kBufferSizes[] = {255, 1, 2, 8, 64, 1024, 0, 32767};
    const int bufferSize = kBufferSizes[options & 7];
    const QString missing = QStringLiteral("\x01missing");
    const auto names = NamesInFile(bytes);
    for (const auto& [section, key] : names) {
        const QString value = platform::GetPrivateProfileString(section, key, missing, ini, bufferSize);
        f.Check(value.size() <= std::max(bufferSize - 1, 0), "settings: read value longer than the buffer");
        platform::GetPrivateProfileString(key, section, QString(), ini);
    }
    const QString absent =
        platform::GetPrivateProfileString(QStringLiteral("\x02no section"), QStringLiteral("k"), missing, ini);
    f.Check(absent == missing, "settings: a missing section did not give the default");

    // The program's own loaders: every value in range, and a save followed by
    // a load gives back what was saved.
    ResetMainSettings();
    modReg::LoadMainSettings();
    modReg::LoadViewOptions();
    CheckLoadedRanges(f);
    QDir::setCurrent(scope.Folder());
    modReg::MainWindow.AssistFolder = scope.Folder();
    const SettingsSnapshot saved = SettingsSnapshot::Take();
    const bool whitespace = modApp::ShowWhitespace;
    const bool highlight = modApp::HighlightLine;
    modReg::SaveMainSettings();
    modReg::SaveViewOptions();
    ResetMainSettings();
    modReg::LoadMainSettings();
    modReg::LoadViewOptions();
    f.Check(SettingsSnapshot::Take() == saved, "settings: a saved value read back differently");
    f.Check(modApp::ShowWhitespace == whitespace && modApp::HighlightLine == highlight,
            "settings: a saved view option read back differently");

    // A written key reads back as written, for names the file already has.
    int n = 0;
    for (const auto& [section, key] : names) {
        if (n++ >= 4) break;
        if (!PrintableAscii(section) || !PrintableAscii(key) || section.trimmed().isEmpty() ||
            key.trimmed().isEmpty() || key.trimmed().startsWith(QLatin1Char('[')))
            continue;
        const QString value = QStringLiteral("fz%1").arg(n);
        if (!platform::WritePrivateProfileString(section, key, value, ini)) continue;
        f.Check(platform::GetPrivateProfileString(section, key, missing, ini) == value,
                "settings: a written key read back differently");
    }
}

// ---- Recent-files list ----------------------------------------------------------

void RunRecentList(const CaseScope& scope, const QByteArray& bytes, Failures& f) {
    const std::string codePage = modApp::FileCodePage();
    const modApp::RecentFileList parsed = modApp::ParseRecentFileBytes(bytes, codePage);
    f.Check(parsed[0].isEmpty(), "recent list: element 0 used");
    bool plain = true;
    for (size_t k = 1; k < parsed.size(); ++k) {
        f.Check(parsed[k].size() <= bytes.size(), "recent list: entry longer than the file");
        plain = plain && PrintableAscii(parsed[k]);
    }
    if (plain) {
        const QByteArray again = modApp::RecentFileBytes(parsed, codePage);
        f.Check(modApp::ParseRecentFileBytes(again, codePage) == parsed,
                "recent list: a written list read back differently");
    }

    if (!scope.Write(QStringLiteral("recent.rct"), bytes)) return;
    modApp::RecentFiles = modApp::RecentFileList{};
    modApp::LoadRecentFiles();
    f.Check(modApp::RecentFiles == parsed, "recent list: the file and its bytes read differently");
    for (int item = -1; item <= 6; ++item) modApp::RecentMenuPath(item);
    modApp::RecentFiles = modApp::RecentFileList{};
}

// ---- Motion-script files --------------------------------------------------------

void RunMotionScript(const CaseScope& scope, const QByteArray& bytes, Failures& f) {
    const std::string codePage = modApp::FileCodePage();
    QString text = QStringLiteral("\x01unchanged");
    const bool ok = modApp::ScriptTextFromBytes(bytes, codePage, text);
    if (!ok) f.Check(text == QStringLiteral("\x01unchanged"), "motion script: a failed read changed the text");
    if (ok) {
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text.at(i) == QLatin1Char('\r'))
                f.Check(i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'),
                        "motion script: a carriage return without a line feed");
        // Plain text goes back to the same bytes behind a new header.
        const QByteArray body = bytes.mid(modApp::kScriptHeaderSize);
        bool ascii = true;
        for (const char c : body) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii && bytes.size() >= modApp::kScriptHeaderSize) {
            QByteArray written;
            f.Check(modApp::ScriptFileBytes(text, codePage, written), "motion script: read text cannot be written");
            f.Check(written == modApp::ScriptFileHeader() + body, "motion script: read and written bytes differ");
        }
    }

    if (!scope.Write(QStringLiteral("motion.qsf"), bytes)) return;
    QString fromFile = QStringLiteral("\x01unchanged");
    const modApp::FileError err = modApp::ReadScriptFileChecked(scope.Path(QStringLiteral("motion.qsf")), fromFile);
    f.Check(err.ok() == ok, "motion script: the file and its bytes read differently");
    if (ok && err.ok()) f.Check(fromFile == text, "motion script: the file and its bytes gave different text");
}

// ---- Robot files ----------------------------------------------------------------

// A robot file in the form the reader documents, from a motor table.
QByteArray RobotFileBytes(const std::array<modUserRobot::MotorProperty, modUserRobot::kSlots>& table) {
    QByteArray out = "[PICTURE]\r\nRobot=robot.png\r\nZero=zero.png\r\n";
    for (int n = 0; n < modUserRobot::kSlots; ++n) {
        const modUserRobot::MotorProperty& m = table[static_cast<size_t>(n)];
        out += QStringLiteral("[MOTOR%1_PROPERTY]\r\n").arg(n).toLatin1();
        const std::pair<const char*, int16_t> fields[] = {{"MotorNo", m.MotorNo},     {"MotorGroup", m.MotorGroup},
                                                          {"MotorLeft", m.MotorLeft}, {"MotorTop", m.MotorTop},
                                                          {"MotorUse", m.MotorUse},   {"MotorOpp", m.MotorOpp},
                                                          {"ZeroLeft", m.ZeroLeft},   {"ZeroTop", m.ZeroTop}};
        for (const auto& [key, value] : fields) out += QByteArray(key) + '=' + QByteArray::number(value) + "\r\n";
    }
    return out;
}

bool SameTable(const std::array<modUserRobot::MotorProperty, modUserRobot::kSlots>& a,
               const std::array<modUserRobot::MotorProperty, modUserRobot::kSlots>& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        const auto& x = a[i];
        const auto& y = b[i];
        if (x.MotorNo != y.MotorNo || x.MotorGroup != y.MotorGroup || x.MotorLeft != y.MotorLeft ||
            x.MotorTop != y.MotorTop || x.MotorUse != y.MotorUse || x.MotorOpp != y.MotorOpp ||
            x.ZeroLeft != y.ZeroLeft || x.ZeroTop != y.ZeroTop)
            return false;
    }
    return true;
}

void RunRobotFile(const CaseScope& scope, uint8_t options, const QByteArray& bytes, Failures& f) {
    const QString file = (options & 1) ? modUserRobot::kUserRobotFile : modUserRobot::kBuiltInRobotFile;
    if (!scope.Write(QStringLiteral("user/") + file, bytes)) return;

    // The values: every slot's use flag is 0 or -1, and the table written
    // back in the file's own form reads back unchanged.
    modUserRobot::MotorTable.fill(modUserRobot::MotorProperty{});
    f.Check(modUserRobot::LoadRobotFile(file, QString()), "robot file: an ordinary file did not read");
    const auto read = modUserRobot::MotorTable;
    for (const modUserRobot::MotorProperty& m : read)
        f.Check(m.MotorUse == 0 || m.MotorUse == -1, "robot file: a use flag other than 0 and -1");
    if (!bytes.toUpper().contains("MOTOR")) {
        modUserRobot::SetDefaultMotorTable();
        f.Check(SameTable(read, modUserRobot::MotorTable), "robot file: no motor section but not the built-in table");
    }
    if (!scope.Write(QStringLiteral("user/written.dat"), RobotFileBytes(read))) return;
    f.Check(modUserRobot::LoadRobotFile(QStringLiteral("written.dat"), QString()) &&
                SameTable(read, modUserRobot::MotorTable),
            "robot file: a written table read back differently");
    // A name that leads out of the robot folder is never read.
    modUserRobot::MotorTable = read;
    f.Check(!modUserRobot::LoadRobotFile(QStringLiteral("../user/") + file, QString()) &&
                SameTable(read, modUserRobot::MotorTable),
            "robot file: a path out of the folder was read");

    // The same bytes as the settings file's robot choice and as a picture.
    if (options & 2) {
        if (!scope.Write(QStringLiteral("qvv2.ini"), bytes)) return;
        (void)modUserRobot::IsUserRobotSet();
        if (!scope.Write(QStringLiteral("user/robot.png"), bytes)) return;
        const QImage picture = modUserRobot::ReadPicture(scope.Path(QStringLiteral("user/robot.png")));
        f.Check(picture.isNull() || (picture.width() <= modUserRobot::kMaxPictureSide &&
                                     picture.height() <= modUserRobot::kMaxPictureSide),
                "robot file: a picture larger than the limit");
    }
    modUserRobot::MotorTable.fill(modUserRobot::MotorProperty{});
}

// ---- Command-set files ----------------------------------------------------------

qvv2::QUARVELv2& Compiler();

void RunCommandSet(const CaseScope& scope, const QByteArray& bytes, Failures& f) {
    const std::string codePage = modApp::FileCodePage();
    const QStringList fields = modMain::ReadCommandSetFields(bytes, codePage);
    qsizetype chars = 0;
    bool plain = true;
    for (const QString& field : fields) {
        chars += field.size();
        f.Check(!field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')),
                "command set: a field runs over a line end");
        plain = plain && !field.isEmpty() && PrintableAscii(field) && field == field.trimmed() &&
                !field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"'));
    }
    f.Check(chars <= bytes.size(), "command set: fields longer than the file");
    // Plain fields written one a line read back as they were.
    if (plain && !fields.isEmpty()) {
        const QByteArray again = fields.join(kCrLf).toLatin1() + kCrLf.toLatin1();
        f.Check(modMain::ReadCommandSetFields(again, codePage) == fields,
                "command set: written fields read back differently");
    }

    if (!scope.Write(QStringLiteral("vx21e.cmd"), bytes)) return;
    qvv2::QUARVELv2& basic = Compiler();
    f.Check(modMain::LoadCommandSetFile(scope.Path(QStringLiteral("vx21e.cmd")), basic),
            "command set: an ordinary file did not read");
    // A field's command is the one the set enables; the compile after it
    // enables every command again and still compiles.
    std::u16string program = u"MOVE G6A, 100, 100, 100, 100, 100, 100\r\nEND\r\n";
    basic.Compile(program);
    basic.CommandUseAll();
    f.Check(!modMain::LoadCommandSetFile(scope.Path(QStringLiteral("missing.cmd")), basic),
            "command set: a missing file read");
}

// ---- Boot-loader access code ----------------------------------------------------

template <size_t N>
QByteArray HexList(const std::array<uint8_t, N>& bytes) {
    QByteArray out;
    for (const uint8_t b : bytes) out += QByteArray::number(b, 16).rightJustified(2, '0') + ' ';
    return out;
}

bool SameCode(const Firmware::AccessCode& a, const Firmware::AccessCode& b) {
    return a.WakeUp == b.WakeUp && a.WakeUpReply == b.WakeUpReply && a.Prompt == b.Prompt && a.Start == b.Start &&
           a.Acknowledge == b.Acknowledge;
}

void RunAccessCode(const CaseScope& scope, uint8_t options, const QByteArray& bytes, Failures& f) {
    // The image beside it: options 0 and 1 a usable one, 2 none, 3 an empty
    // one.
    const int imageKind = options & 3;
    if (imageKind < 2 && !scope.Write(QStringLiteral("firmware/controller.fw"), QByteArray(imageKind ? 300 : 1, '\x5A')))
        return;
    if (imageKind == 3 && !scope.Write(QStringLiteral("firmware/controller.fw"), QByteArray())) return;
    if (!scope.Write(QStringLiteral("firmware/bootloader.ini"), bytes)) return;

    const Firmware::Package p = Firmware::LoadFrom(scope.Folder());
    f.Check(p.Usable() == (p.Trouble == Firmware::Problem::None), "access code: usable and trouble disagree");
    f.Check(Firmware::ProblemText(p).isEmpty() == p.Usable(), "access code: a problem without its text");
    if (imageKind == 2) f.Check(p.Trouble == Firmware::Problem::ImageMissing, "access code: a missing image found");
    if (imageKind == 3) f.Check(p.Trouble == Firmware::Problem::ImageUnusable, "access code: an empty image used");
    if (imageKind >= 2) return;
    f.Check(p.Usable() || p.Trouble == Firmware::Problem::CodeUnusable, "access code: a usable image refused");
    if (!p.Usable()) return;
    f.Check(p.Image.size() == (imageKind ? 300u : 1u), "access code: the image read differently");

    // The code written back as hexadecimal lists reads back unchanged.
    const QByteArray written = "[BootLoader]\r\nWakeUp=" + HexList(p.Code.WakeUp) +
                               "\r\nWakeUpReply=" + HexList(p.Code.WakeUpReply) + "\r\nPrompt=" +
                               HexList(std::array<uint8_t, 1>{p.Code.Prompt}) + "\r\nStart=" + HexList(p.Code.Start) +
                               "\r\nAcknowledge=" + HexList(p.Code.Acknowledge) + "\r\n";
    if (!scope.Write(QStringLiteral("firmware/bootloader.ini"), written)) return;
    const Firmware::Package again = Firmware::LoadFrom(scope.Folder());
    f.Check(again.Usable() && SameCode(again.Code, p.Code), "access code: a written code read back differently");
}

// The byte-list parser on the file's text: a list it takes has exactly the
// bytes asked for.
void RunByteList(const QByteArray& bytes, Failures& f) {
    const QString text = QString::fromLatin1(bytes);
    for (const size_t count : {size_t(1), size_t(5), size_t(7)}) {
        std::vector<uint8_t> out(3, 0xEE);
        if (Firmware::ParseBytes(text, count, out))
            f.Check(out.size() == count, "byte list: taken with another number of bytes");
        else
            f.Check(out.empty(), "byte list: a refused list left bytes");
    }
}

// ---- Include merge --------------------------------------------------------------

qvv2::QUARVELv2& Compiler() {
    static qvv2::QUARVELv2* basic = [] {
        auto* c = new qvv2::QUARVELv2();
        c->Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
        c->cmdLang = 0;
        return c;
    }();
    return *basic;
}

void RunIncludeMerge(const CaseScope& scope, uint8_t options, const QByteArray& bytes, Failures& f) {
    const QList<QByteArray> parts = bytes.split('\xFF');
    for (qsizetype k = 0; k < parts.size() && k < 5; ++k)
        if (!scope.Write(QString::fromLatin1(kIncludeFileNames[k]), parts.at(k))) return;
    QDir::setCurrent(scope.Folder());

    // The document as the editor holds it after opening the main file.
    const QString mainPath = scope.Path(QString::fromLatin1(kIncludeFileNames[0]));
    QString documentText;
    if (!modApp::ReadProgramFile(mainPath, documentText).ok()) documentText = QString::fromLatin1(parts.at(0));
    const QStringList documentLines = modMain::SplitProgramLines(documentText);

    modMain::CompileContext ctx;
    ctx.basic = &Compiler();
    ctx.fileName = mainPath;
    ctx.text = [&] { return documentText; };
    ctx.lineCount = [&] { return static_cast<int>(documentLines.size()); };
    ctx.lineText = [&](int i) { return i >= 0 && i < documentLines.size() ? documentLines.at(i) : QString(); };
    int shownLine = -2;
    ctx.showErrorLine = [&](int line) { shownLine = line; };
    // Only files of this input are merged: a name that leads out of the case
    // folder counts as unreadable.
    const QString inside = QFileInfo(scope.Folder()).canonicalFilePath() + QLatin1Char('/');
    ctx.loadFile = [inside](const QString& path, QStringList& lines) {
        if (!QFileInfo(path).canonicalFilePath().startsWith(inside)) return false;
        return modMain::ReadIncludeFile(path, lines);
    };

    if (options & 1) {
        modMain::ControllerID = static_cast<int16_t>((options >> 1) & 3);
        modMain::CompileDocument(ctx);
        f.Check(shownLine == -2 || (shownLine >= 0 && shownLine < documentLines.size()),
                "include merge: an error shown at a line the document does not have");
        return;
    }

    QString text = documentText;
    const bool failed = modMain::ExpandIncludes(ctx, text);
    f.Check(failed == modMain::IncludeError, "include merge: result and error flag disagree");
    f.Check(!modMain::IncludeFiles.empty() && modMain::IncludeFiles.front().isEmpty(),
            "include merge: the main document is not file 0");
    for (const modMain::LineMapEntry& e : modMain::LineMap) {
        if (e.FileIndex < 0 || static_cast<size_t>(e.FileIndex) >= modMain::IncludeFiles.size()) {
            f.Check(false, "include merge: a line of a file that is not in the list");
            break;
        }
        if (e.FileIndex == 0)
            f.Check(e.Line >= 0 && e.Line < documentLines.size(), "include merge: a main line out of range");
    }
    if (!failed) {
        f.Check(text.isEmpty() || text.endsWith(kCrLf), "include merge: merged text does not end in CR LF");
        f.Check(modMain::SplitProgramLines(text).size() == static_cast<qsizetype>(modMain::LineMap.size()),
                "include merge: merged lines and line map differ in number");
        f.Check(modMain::LineMap.size() <= static_cast<size_t>(modMain::kMaxMergedLines) ||
                    modMain::IncludeFiles.size() == 1,
                "include merge: more merged lines than allowed");
    } else {
        f.Check(text == documentText, "include merge: a failed merge changed the text");
    }
}

}  // namespace

int ReaderOf(uint8_t selector) {
    const int reader = selector & 3;
    const int file = (selector >> 4) & 3;
    return reader == 1 && file != 0 ? 3 + file : reader;
}

std::string RunInput(const uint8_t* data, size_t size) {
    if (size == 0) return std::string();
    const uint8_t selector = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    CaseScope scope((selector >> 2) & 3);
    Failures f;
    const auto options = static_cast<uint8_t>(selector >> 4);
    switch (selector & 3) {
        case 0: RunSettings(scope, options, bytes, f); break;
        case 1:
            // Options 0: the recent list; 1-3: the other list-like readers,
            // with the options' upper bits as theirs.
            switch (options & 3) {
            case 0: RunRecentList(scope, bytes, f); break;
            case 1: RunRobotFile(scope, static_cast<uint8_t>(options >> 2), bytes, f); break;
            case 2: RunCommandSet(scope, bytes, f); break;
            default:
                RunAccessCode(scope, static_cast<uint8_t>(options >> 2), bytes, f);
                RunByteList(bytes, f);
                break;
            }
            break;
        case 2: RunMotionScript(scope, bytes, f); break;
        default: RunIncludeMerge(scope, options, bytes, f); break;
    }
    return f.Take();
}

}  // namespace filesfuzz
