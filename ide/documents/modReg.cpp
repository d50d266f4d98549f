#include "documents/modReg.h"

#include <optional>

#include "documents/VbNumbers.h"
#include "documents/modApp.h"
#include "documents/modIni.h"
#include "documents/modMain.h"
#include "platform/FileNames.h"
#include "platform/Profile.h"

namespace modReg {
namespace {

// One settings file, read and written key by key.  The file is read once
// for all the keys and, when written, written once at the end.
class Settings {
public:
    Settings() : file_(SettingsFile()) {}

    QString Text(const char* section, const char* key, const QString& def) const {
        return modIni::ReadIni(QString::fromLatin1(section), QString::fromLatin1(key), def, file_);
    }

    std::optional<double> Number(const char* section, const char* key, const char* def) const {
        return vb::Val(Text(section, key, QString::fromLatin1(def)));
    }

    void Integer(const char* section, const char* key, const char* def, int16_t& target) const {
        if (const auto v = Number(section, key, def))
            if (const auto i = vb::ToInteger(*v)) target = *i;
    }

    void Long(const char* section, const char* key, const char* def, int32_t& target) const {
        if (const auto v = Number(section, key, def))
            if (const auto l = vb::ToLong(*v)) target = *l;
    }

    void Single(const char* section, const char* key, const char* def, float& target) const {
        if (const auto v = Number(section, key, def))
            if (const auto s = vb::ToSingle(*v)) target = *s;
    }

    void Boolean(const char* section, const char* key, const char* def, bool& target) const {
        if (const auto v = Number(section, key, def)) target = *v != 0;
    }

    // A 16-bit value that its target accepts only within [low, high].
    void IntegerIn(const char* section, const char* key, const char* def, int16_t low, int16_t high,
                   int16_t& target) const {
        int16_t value = target;
        Integer(section, key, def, value);
        if (value >= low && value <= high) target = value;
    }

    void Write(const char* section, const char* key, const QString& value) const {
        modIni::WriteIni(QString::fromLatin1(section), QString::fromLatin1(key), value, file_);
    }
    void WriteNumber(const char* section, const char* key, int64_t value) const {
        Write(section, key, vb::Str(value));
    }
    void WriteSingle(const char* section, const char* key, float value) const {
        Write(section, key, vb::Str(value));
    }
    void WriteBool(const char* section, const char* key, bool value) const {
        Write(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
    }

private:
    QString file_;
    modIni::Batch batch_;
};

}  // namespace

QString WorkFolder() { return MainWindow.AssistFolder.isEmpty() ? platform::CurrentFolder() : MainWindow.AssistFolder; }

QString SettingsFile() { return modApp::AddBackslash(modApp::AppPath()) + QStringLiteral("qvv2.ini"); }

void LoadMainSettings() {
    const Settings ini;
    MainWindowSettings& w = MainWindow;

    ini.Single("Window", "left", "1980", w.Left);
    ini.Single("Window", "top", "1980", w.Top);
    ini.Single("Window", "width", "10080", w.Width);
    ini.Single("Window", "height", "5640", w.Height);
    ini.IntegerIn("Window", "windowstate", "0", 0, 2, w.WindowState);
    ini.Boolean("Window", "toolbar", "1", w.ToolbarVisible);
    ini.Boolean("Window", "statusbar", "1", w.StatusbarVisible);

    ini.Boolean("View", "mnuRecent_Open", "0", w.RecentOpen);

    // The key is asked for with two trailing blanks; name matching ignores them.
    const QString jobDir = ini.Text("Path", "JobDIR  ", modApp::AppPath());
    if (!jobDir.isEmpty() && platform::IsFolder(jobDir)) platform::SetCurrentFolder(jobDir);
    w.AssistFolder = platform::CurrentFolder();

    LinkSettings& link = Link;
    ini.Integer("Port", "LPTnum", "888", link.LPTnum);
    if (link.LPTnum < INT16_MAX) link.LPTnumNext = static_cast<int16_t>(link.LPTnum + 1);
    ini.IntegerIn("Port", "COMMport", "1", 1, 16, link.CommPort);
    {
        // A time-out of 0 would stop the timer and leave every reply wait
        // without an end; the timer takes 1 to 65535 milliseconds.
        int32_t timeout = link.CommTimeout;
        ini.Long("Port", "COMMtimeout", "3000", timeout);
        if (timeout >= 1 && timeout <= 65535) link.CommTimeout = timeout;
    }
    ini.Long("Port", "Tx_0", "60000", link.Tx0);
    ini.Long("Port", "Tx_P", "20000", link.TxP);
    ini.Long("Port", "Tx_1", "15000", link.Tx1);
    ini.Long("Port", "Tx_TimeOut", "150000", link.TxTimeOut);
    ini.Long("Port", "Rx_TimeOut", "150000", link.RxTimeOut);

    ini.Integer("Controller", "ConType", "0", modMain::ControllerType);
    ini.Integer("Controller", "ConID", "1", modMain::ControllerID);
    ini.Integer("Controller", "Interface", "0", modMain::PortType);

    ini.Boolean("View", "Tooltip", "1", w.Tooltip);
    ini.Boolean("View", "AllfileList", "0", w.AllFileList);

    ini.Integer("FrmNav", "Vert", "2000", modMain::NavSplitTop);
    ini.Integer("FrmNav", "Width", "2000", modMain::NavWidth);
    ini.Integer("FrmNav", "FileWidth", "1000", modMain::NavFileWidth);
    ini.Integer("FrmNav", "SizeWidth", "1000", modMain::NavSizeWidth);
    ini.Integer("FrmNav", "DateWidth", "1000", modMain::NavDateWidth);
    ini.Integer("FrmNav", "LabelWidth", "1000", modMain::NavLabelWidth);
    ini.Integer("FrmNav", "LineWidth", "1000", modMain::NavLineWidth);
    ini.Boolean("FrmNav", "View", "1", modMain::NavVisible);
    w.QuickNav = modMain::NavVisible;  // start-up ticks quicknav from it

    ini.Integer("Frm32", "DispMode", "0", modMain::Frm32DispMode);
    if (modMain::Frm32DispMode < 0) modMain::Frm32DispMode = 0;
    if (modMain::Frm32DispMode > 1) modMain::Frm32DispMode = 1;

    ini.Single("MotorWindow", "Left", "0", modMain::MotorWindowLeft);
    ini.Single("MotorWindow", "Top", "0", modMain::MotorWindowTop);

    ini.Boolean("Kestra", "Insert_G24", "1", modMain::InsertG24);
}

void SaveMainSettings() {
    const Settings ini;
    const MainWindowSettings& w = MainWindow;

    ini.WriteNumber("Window", "windowstate", w.WindowState);
    ini.WriteSingle("Window", "left", w.Left);
    ini.WriteSingle("Window", "top", w.Top);
    ini.WriteSingle("Window", "width", w.Width);
    ini.WriteSingle("Window", "height", w.Height);
    ini.WriteBool("Window", "toolbar", w.ToolbarVisible);
    ini.WriteBool("Window", "statusbar", w.StatusbarVisible);

    // A folder the file would give back as another one (a name its code
    // page cannot hold, or one the reader would cut or trim) is not stored:
    // the folder stored before stays.
    const QString jobDir = WorkFolder();
    if (platform::ProfileKeepsValue(jobDir)) ini.Write("Path", "JobDIR", jobDir);

    const LinkSettings& link = Link;
    ini.WriteNumber("Port", "LPTnum", link.LPTnum);
    ini.WriteNumber("Port", "COMMport", link.CommPort);
    ini.WriteNumber("Port", "COMMtimeout", link.CommTimeout);
    ini.WriteNumber("Port", "Tx_0", link.Tx0);
    ini.WriteNumber("Port", "Tx_P", link.TxP);
    ini.WriteNumber("Port", "Tx_1", link.Tx1);
    ini.WriteNumber("Port", "Tx_TimeOut", link.TxTimeOut);
    ini.WriteNumber("Port", "Rx_TimeOut", link.RxTimeOut);

    ini.WriteNumber("Controller", "ConType", modMain::ControllerType);
    ini.WriteNumber("Controller", "ConID", modMain::ControllerID);
    ini.WriteNumber("Controller", "Interface", modMain::PortType);

    ini.WriteBool("View", "Tooltip", w.Tooltip);
    ini.WriteBool("View", "AllfileList", w.AllFileList);
    ini.WriteBool("View", "mnuRecent_Open", w.RecentOpen);

    ini.WriteNumber("FrmNav", "Width", modMain::NavWidth);
    ini.WriteNumber("FrmNav", "Vert", modMain::NavSplitTop);
    ini.WriteNumber("FrmNav", "FileWidth", modMain::NavFileWidth);
    ini.WriteNumber("FrmNav", "SizeWidth", modMain::NavSizeWidth);
    ini.WriteNumber("FrmNav", "DateWidth", modMain::NavDateWidth);
    ini.WriteNumber("FrmNav", "LabelWidth", modMain::NavLabelWidth);
    ini.WriteNumber("FrmNav", "LineWidth", modMain::NavLineWidth);
    ini.WriteBool("FrmNav", "View", w.QuickNav);

    ini.WriteNumber("Frm32", "DispMode", modMain::Frm32DispMode);
    ini.WriteSingle("MotorWindow", "Left", modMain::MotorWindowLeft);
    ini.WriteSingle("MotorWindow", "Top", modMain::MotorWindowTop);
    ini.WriteBool("Function", "SpeechRecog", modMain::SpeechRecog);
    ini.WriteBool("Kestra", "Insert_G24", modMain::InsertG24);
}

void LoadViewOptions() {
    const Settings ini;
    ini.Boolean("Options", "whitespace", "0", modApp::ShowWhitespace);
    ini.Boolean("Options", "hlline", "1", modApp::HighlightLine);
}

void SaveViewOptions() {
    const Settings ini;
    ini.WriteBool("Options", "whitespace", modApp::ShowWhitespace);
    ini.WriteBool("Options", "hlline", modApp::HighlightLine);
}

}  // namespace modReg
