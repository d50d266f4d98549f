#include "platform/Profile.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>

#include <string>
#include <vector>

#include "Text.h"

namespace platform {
namespace {

// One line of a file: its bytes without the line end, and the line end.
struct RawLine {
    std::string text;
    std::string eol;  // "\r\n", "\n" or "" (last line without a line end)
};

std::vector<RawLine> SplitLines(const std::string& bytes) {
    std::vector<RawLine> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back({bytes.substr(start), ""});
            break;
        }
        size_t end = lf;
        std::string eol = "\n";
        if (end > start && bytes[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        lines.push_back({bytes.substr(start, end - start), eol});
        start = lf + 1;
    }
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString TrimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

// Byte range [begin, end) of s without blanks at both ends.
void TrimRange(const std::string& s, size_t& begin, size_t& end) {
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
}

QString Decode(const std::string& bytes) {
    return QString::fromStdU16String(qvv2::FromAnsi(bytes, std::string()));
}

std::string Encode(const QString& text) { return qvv2::ToAnsi(text.toStdU16String(), std::string()); }

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// What a line is: a section header (name set), a setting (key set) or
// neither (blank line).  keyBegin/keyEnd give the key's bytes in the line.
struct ParsedLine {
    bool isSection = false;
    bool isBlank = true;
    QString name;  // section name or key, trimmed
    QString value;
    size_t keyBegin = 0, keyEnd = 0;
};

ParsedLine Parse(const std::string& text) {
    ParsedLine p;
    size_t b = 0, e = text.size();
    TrimRange(text, b, e);
    if (b == e) return p;
    p.isBlank = false;
    if (text[b] == '[') {
        size_t close = text.find(']', b + 1);
        if (close == std::string::npos || close > e) close = e;
        size_t nb = b + 1, ne = close;
        TrimRange(text, nb, ne);
        p.isSection = true;
        p.name = Decode(text.substr(nb, ne - nb));
        return p;
    }
    const size_t eq = text.find('=', b);
    size_t kb = b, ke = (eq == std::string::npos || eq > e) ? e : eq;
    TrimRange(text, kb, ke);
    p.name = Decode(text.substr(kb, ke - kb));
    p.keyBegin = kb;
    p.keyEnd = ke;
    if (eq != std::string::npos && eq < e) {
        QString v = TrimBlanks(Decode(text.substr(eq + 1, e - eq - 1)));
        if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        p.value = v;
    }
    return p;
}

bool ReadBytes(const QString& file, std::string& bytes, bool& exists) {
    exists = QFileInfo::exists(file);
    bytes.clear();
    if (!exists) return true;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray data = f.readAll();
    bytes.assign(data.constData(), static_cast<size_t>(data.size()));
    return f.error() == QFileDevice::NoError;
}

// A file without any write permission bit is read-only for every user, as
// a file with the read-only attribute is: a privileged user, whom the
// permissions alone would let write it, leaves it alone too.
bool IsReadOnlyFile(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists()) return false;
    const QFileDevice::Permissions writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (info.permissions() & writeBits) == 0 || !info.isWritable();
}

bool HasLineBreak(const QString& s) { return s.contains(u'\r') || s.contains(u'\n'); }

}  // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& file, int bufferSize) {
    const qsizetype limit = bufferSize > 0 ? bufferSize - 1 : 0;
    QString result = defaultValue;
    const QString wantSection = TrimBlanks(section);
    const QString wantKey = TrimBlanks(key);
    std::string bytes;
    bool exists = false;
    if (!wantKey.isEmpty() && ReadBytes(file, bytes, exists) && exists) {
        bool inSection = false;
        for (const RawLine& line : SplitLines(bytes)) {
            const ParsedLine p = Parse(line.text);
            if (p.isBlank) continue;
            if (p.isSection) {
                if (inSection) break;  // only the first matching section counts
                inSection = SameName(p.name, wantSection);
                continue;
            }
            if (inSection && SameName(p.name, wantKey)) {
                result = p.value;
                break;
            }
        }
    }
    if (result.size() > limit) result.truncate(limit);
    return result;
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& file) {
    const QString wantSection = TrimBlanks(section);
    const QString wantKey = TrimBlanks(key);
    if (wantSection.isEmpty() || wantKey.isEmpty()) return false;
    if (HasLineBreak(wantSection) || HasLineBreak(wantKey) || HasLineBreak(value)) return false;
    if (wantSection.contains(u']') || wantKey.contains(u'=') || wantKey.startsWith(u'[')) return false;
    if (IsReadOnlyFile(file)) return false;

    std::string bytes;
    bool exists = false;
    if (!ReadBytes(file, bytes, exists)) return false;  // unreadable: never overwrite what we cannot see

    std::vector<RawLine> lines = SplitLines(bytes);
    const std::string encodedValue = Encode(value);

    // Locate the first matching section, its last non-blank line and the key.
    long sectionLine = -1, lastContent = -1, keyLine = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine p = Parse(lines[i].text);
        if (p.isSection) {
            if (sectionLine >= 0) break;
            if (SameName(p.name, wantSection)) sectionLine = lastContent = static_cast<long>(i);
            continue;
        }
        if (sectionLine < 0 || p.isBlank) continue;
        lastContent = static_cast<long>(i);
        if (keyLine < 0 && SameName(p.name, wantKey)) {
            keyLine = static_cast<long>(i);
            break;
        }
    }

    if (keyLine >= 0) {
        RawLine& line = lines[static_cast<size_t>(keyLine)];
        const ParsedLine p = Parse(line.text);
        line.text = line.text.substr(p.keyBegin, p.keyEnd - p.keyBegin) + "=" + encodedValue;
    } else {
        const RawLine newKey{Encode(wantKey) + "=" + encodedValue, "\r\n"};
        if (sectionLine >= 0) {
            RawLine& before = lines[static_cast<size_t>(lastContent)];
            if (before.eol.empty()) before.eol = "\r\n";
            lines.insert(lines.begin() + lastContent + 1, newKey);
        } else {
            if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = "\r\n";
            lines.push_back({"[" + Encode(wantSection) + "]", "\r\n"});
            lines.push_back(newKey);
        }
    }

    QByteArray out;
    for (const RawLine& line : lines) {
        out.append(line.text.data(), static_cast<qsizetype>(line.text.size()));
        out.append(line.eol.data(), static_cast<qsizetype>(line.eol.size()));
    }

    QSaveFile f(file);
    f.setDirectWriteFallback(true);  // a writable file in a folder we may not create files in
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

}  // namespace platform
