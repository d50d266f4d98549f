#include "build/CommandSet.h"

#include "compiler/QUARVELv2.h"
#include "documents/Files.h"
#include "documents/StringTable.h"
#include "documents/VbNumbers.h"
#include "documents/modApp.h"
#include "link/DownloadProgram.h"
#include "platform/FileNames.h"

namespace modMain {

namespace {

bool IsBlankOrTab(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString TrimRightBlanks(const QString& s) {
    qsizetype end = s.size();
    while (end > 0 && IsBlankOrTab(s.at(end - 1))) --end;
    return s.left(end);
}

// The fields of one line: each ends at a comma or the line end; leading
// blanks are skipped; a quoted field is taken up to its closing quote, and
// anything between that quote and the next comma is dropped.
void AppendLineFields(const QString& line, QStringList& fields) {
    qsizetype pos = 0;
    const qsizetype n = line.size();
    for (;;) {
        while (pos < n && IsBlankOrTab(line.at(pos))) ++pos;
        if (pos < n && line.at(pos) == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), pos + 1);
            if (close < 0) {
                fields.append(line.mid(pos + 1));
                return;
            }
            fields.append(line.mid(pos + 1, close - pos - 1));
            const qsizetype comma = line.indexOf(QLatin1Char(','), close + 1);
            if (comma < 0) return;
            pos = comma + 1;
            continue;
        }
        const qsizetype comma = line.indexOf(QLatin1Char(','), pos);
        if (comma < 0) {
            fields.append(TrimRightBlanks(line.mid(pos)));
            return;
        }
        fields.append(TrimRightBlanks(line.mid(pos, comma - pos)));
        pos = comma + 1;
    }
}

}  // namespace

QStringList ReadCommandSetFields(const QByteArray& bytes, const std::string& codePage) {
    QStringList fields;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes.at(end) != '\r' && bytes.at(end) != '\n') ++end;
        QString line;
        if (end > start && !modApp::DecodeFileText(bytes.mid(start, end - start), codePage, line)) break;
        AppendLineFields(line, fields);
        if (end < n && bytes.at(end) == '\r' && end + 1 < n && bytes.at(end + 1) == '\n') ++end;
        start = end + 1;
    }
    return fields;
}

bool LoadCommandSetFile(const QString& path, qvv2::QUARVELv2& basic) {
    if (!platform::IsFile(path)) return false;
    QByteArray bytes;
    // A file that cannot be read is treated like a missing one: the set the
    // compiler has stays in force instead of being cleared.
    if (!modApp::ReadFileBytes(path, modApp::kListSizeLimit, bytes).ok()) return false;
    basic.CommandUnuseAll();
    const QStringList fields = ReadCommandSetFields(bytes, modApp::FileCodePage());
    for (const QString& field : fields) {
        if (field.trimmed().isEmpty()) continue;
        basic.CommandUse(field.toStdU16String());
    }
    return true;
}

void LoadCommandSet(const QString& fileName, qvv2::QUARVELv2& basic) {
    LoadCommandSetFile(modApp::AddBackslash(modApp::AppPath()) + fileName, basic);
}

void LoadCommandSet(const QString& fileName) { LoadCommandSet(fileName, Basic()); }

QString CommandSetFileName() {
    const std::optional<double> language = vb::Val(LoadResString(1));
    return language && *language == 1 ? QStringLiteral("vx21.cmd") : QStringLiteral("vx21e.cmd");
}

int16_t HeaderSelector() { return 0; }

}  // namespace modMain
