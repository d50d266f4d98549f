#include "platform/Profile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "compiler/Text.h"
#include "platform/FileNames.h"
#include "platform/SafeFile.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString TrimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

// Byte range [begin, end) of s without blanks at both ends.  Blanks are
// single bytes in every code page the files use (no trail byte is a blank).
void TrimRange(const std::string& s, size_t& begin, size_t& end) {
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
}

QString Decode(const char* bytes, size_t size) {
    if (size == 0) return QString();
    return QString::fromStdU16String(qvv2::FromAnsi(std::string(bytes, size), std::string()));
}

std::string Encode(const QString& text) { return qvv2::ToAnsi(text.toStdU16String(), std::string()); }

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool HasLineBreak(const QString& s) { return s.contains(u'\r') || s.contains(u'\n'); }

// A name longer than this many bytes is decoded only when a wanted name is
// long enough to match it: a single line of many megabytes then costs one
// scan, not one decoding per key asked for.
constexpr size_t kEagerNameBytes = 4096;
// A character takes at most this many bytes in a file's code page.
constexpr size_t kMaxBytesPerChar = 4;

// One line of a file: its bytes without the line end, the line end, and what
// the line is (a section header, a setting or a blank line) with the byte
// ranges of its name and value.
struct Line {
    std::string text;
    std::string eol;  // "\r\n", "\n" or "" (last line without a line end)
    bool isSection = false;
    bool isBlank = true;
    size_t nameBegin = 0, nameEnd = 0;    // section name or key, trimmed
    size_t valueBegin = 0, valueEnd = 0;  // trimmed, quotes removed
    QString name;                         // decoded name, when short enough
    bool nameDecoded = false;
};

void ParseLine(Line& line) {
    const std::string& text = line.text;
    line.isSection = false;
    line.isBlank = true;
    line.nameBegin = line.nameEnd = line.valueBegin = line.valueEnd = 0;
    line.name.clear();
    line.nameDecoded = false;
    size_t b = 0, e = text.size();
    TrimRange(text, b, e);
    if (b == e) return;
    line.isBlank = false;
    if (text[b] == '[') {
        size_t close = text.find(']', b + 1);
        if (close == std::string::npos || close > e) close = e;
        size_t nb = b + 1, ne = close;
        TrimRange(text, nb, ne);
        line.isSection = true;
        line.nameBegin = nb;
        line.nameEnd = ne;
    } else {
        const size_t eq = text.find('=', b);
        size_t kb = b, ke = (eq == std::string::npos || eq > e) ? e : eq;
        TrimRange(text, kb, ke);
        line.nameBegin = kb;
        line.nameEnd = ke;
        if (eq != std::string::npos && eq < e) {
            size_t vb = eq + 1, ve = e;
            TrimRange(text, vb, ve);
            // A value wholly enclosed in quotes comes back without them.  No
            // trail byte of a double-byte character is a quote.
            if (ve - vb >= 2 && (text[vb] == '"' || text[vb] == '\'') && text[ve - 1] == text[vb]) {
                ++vb;
                --ve;
            }
            line.valueBegin = vb;
            line.valueEnd = ve;
        }
    }
    if (line.nameEnd - line.nameBegin <= kEagerNameBytes) {
        line.name = Decode(text.data() + line.nameBegin, line.nameEnd - line.nameBegin);
        line.nameDecoded = true;
    }
}

bool NameIs(const Line& line, const QString& want) {
    const size_t bytes = line.nameEnd - line.nameBegin;
    if (line.nameDecoded) return SameName(line.name, want);
    // Too long to be the wanted name unless the wanted name is long too.
    if (bytes > static_cast<size_t>(want.size()) * kMaxBytesPerChar) return false;
    return SameName(Decode(line.text.data() + line.nameBegin, bytes), want);
}

// The first `limit` characters of a line's value.  Only as many bytes are
// decoded as those characters can take.
QString ValueOf(const Line& line, qsizetype limit) {
    size_t size = line.valueEnd - line.valueBegin;
    const size_t enough = static_cast<size_t>(limit) * kMaxBytesPerChar + 8;
    if (size > enough) size = enough;
    QString value = Decode(line.text.data() + line.valueBegin, size);
    if (value.size() > limit) value.truncate(limit);
    return value;
}

std::vector<Line> SplitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    const char* data = bytes.constData();
    const size_t total = static_cast<size_t>(bytes.size());
    size_t start = 0;
    while (start < total) {
        const void* found = std::memchr(data + start, '\n', total - start);
        Line line;
        if (!found) {
            line.text.assign(data + start, total - start);
            lines.push_back(std::move(line));
            break;
        }
        const size_t lf = static_cast<size_t>(static_cast<const char*>(found) - data);
        size_t end = lf;
        line.eol = "\n";
        if (end > start && data[end - 1] == '\r') {
            --end;
            line.eol = "\r\n";
        }
        line.text.assign(data + start, end - start);
        lines.push_back(std::move(line));
        start = lf + 1;
    }
    return lines;
}

// What identifies one version of a file on disk: its status, seen through
// links (identity, size and both time stamps).
using Stamp = EntryStatus;

Stamp StampOf(const QString& path) { return StatusOf(path); }

// The wall-clock second of a stamp's last change of the content.
time_t ModifiedSecond(const Stamp& s) {
    constexpr int64_t kNsPerSecond = 1000000000;
    const int64_t ns = s.modifiedNs;
    return static_cast<time_t>(ns / kNsPerSecond - (ns % kNsPerSecond < 0 ? 1 : 0));
}

// A file changed within this many seconds of being read may change again
// without its stamp showing it (time stamps are only so fine); outside a
// batch such a file is read again rather than trusted.
constexpr time_t kRacySeconds = 2;

// One profile file as last read (and, inside a batch, as changed since).
struct CachedFile {
    Stamp stamp;
    time_t readAt = 0;     // wall-clock second of the read
    std::string codePage;  // code page the names were decoded in
    int readError = 0;     // 0: usable (read, or missing); else why not
    std::vector<Line> lines;
    bool dirty = false;  // changed in memory, not yet written
};

struct ProfileState {
    std::map<QString, CachedFile> files;
    int batchDepth = 0;
    int batchError = 0;
    QString batchErrorFile;
};

ProfileState& State() {
    static ProfileState state;
    return state;
}

QString CacheKey(const QString& file) { return AbsolutePath(file); }

void NoteBatchError(const QString& file, int err) {
    ProfileState& s = State();
    if (s.batchDepth > 0 && s.batchError == 0) {
        s.batchError = err;
        s.batchErrorFile = file;
    }
}

// The file at `path` (a cache key), read when it is not cached or changed
// on disk since.  A file that is not an ordinary file, or larger than the
// limit, or unreadable, reads as empty and is marked unusable.
CachedFile& Load(const QString& path) {
    ProfileState& s = State();
    CachedFile& f = s.files[path];
    if (f.dirty) return f;  // the batch's pending content is the file's content
    const Stamp now = StampOf(path);
    const std::string codePage = qvv2::SystemCodePage();
    const bool racy = now.Exists() && ModifiedSecond(now) + kRacySeconds >= f.readAt;
    const bool fresh = f.readAt != 0 && f.stamp == now && (s.batchDepth > 0 || !racy);
    if (fresh) {
        if (f.codePage != codePage) {
            for (Line& line : f.lines) ParseLine(line);
            f.codePage = codePage;
        }
        return f;
    }
    f = CachedFile();
    f.stamp = now;
    f.readAt = std::time(nullptr);
    f.codePage = codePage;
    QByteArray bytes;
    const int err = ReadRegularFile(path, kMaxProfileBytes, bytes);
    if (err == 0) {
        f.lines = SplitLines(bytes);
        for (Line& line : f.lines) ParseLine(line);
    } else if (err != ENOENT) {
        f.readError = (err == EFBIG || err == EISDIR) ? ENODEV : err;
    }
    return f;
}

// Writes a changed file; on failure the cached copy is dropped, so the next
// read sees the file as it is on disk.
int Flush(const QString& path) {
    ProfileState& s = State();
    const auto it = s.files.find(path);
    if (it == s.files.end() || !it->second.dirty) return 0;
    CachedFile& f = it->second;
    size_t total = 0;
    for (const Line& line : f.lines) total += line.text.size() + line.eol.size();
    QByteArray out;
    out.reserve(static_cast<qsizetype>(total));
    for (const Line& line : f.lines) {
        out.append(line.text.data(), static_cast<qsizetype>(line.text.size()));
        out.append(line.eol.data(), static_cast<qsizetype>(line.eol.size()));
    }
    const int err = ReplaceFile(path, out);
    if (err != 0) {
        s.files.erase(it);
        return err;
    }
    f.dirty = false;
    f.stamp = StampOf(path);
    f.readAt = std::time(nullptr);
    return 0;
}

}  // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& file, int bufferSize) {
    const qsizetype limit = bufferSize > 0 ? bufferSize - 1 : 0;
    QString result = defaultValue;
    const QString wantSection = TrimBlanks(section);
    const QString wantKey = TrimBlanks(key);
    if (!wantKey.isEmpty() && !file.isEmpty()) {
        const CachedFile& f = Load(CacheKey(file));
        bool inSection = false;
        for (const Line& line : f.lines) {
            if (line.isBlank) continue;
            if (line.isSection) {
                if (inSection) break;  // only the first matching section counts
                inSection = NameIs(line, wantSection);
                continue;
            }
            if (inSection && NameIs(line, wantKey)) {
                result = ValueOf(line, limit);
                break;
            }
        }
    }
    if (result.size() > limit) result.truncate(limit);
    return result;
}

bool ProfileKeepsValue(const QString& value, int bufferSize) {
    if (HasLineBreak(value)) return false;
    // The value as the writer stores it, read back by the reader's own rules.
    Line line;
    line.text = "k=" + Encode(value);
    ParseLine(line);
    return ValueOf(line, bufferSize > 0 ? bufferSize - 1 : 0) == value;
}

int WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& file) {
    const QString wantSection = TrimBlanks(section);
    const QString wantKey = TrimBlanks(key);
    if (wantSection.isEmpty() || wantKey.isEmpty() || file.isEmpty()) return EINVAL;
    if (HasLineBreak(wantSection) || HasLineBreak(wantKey) || HasLineBreak(value)) return EINVAL;
    if (wantSection.contains(u']') || wantKey.contains(u'=') || wantKey.startsWith(u'[')) return EINVAL;

    const QString path = CacheKey(file);
    CachedFile& f = Load(path);
    // A file that could not be read is never overwritten: what it holds is
    // unknown.  A read-only file is left as it is.
    int refused = f.readError;
    if (refused == 0 && !f.dirty && IsReadOnlyFile(path)) refused = EACCES;
    if (refused != 0) {
        NoteBatchError(path, refused);
        return refused;
    }

    std::vector<Line>& lines = f.lines;
    const std::string encodedValue = Encode(value);

    // Locate the first matching section, its last non-blank line and the key.
    long sectionLine = -1, lastContent = -1, keyLine = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.isSection) {
            if (sectionLine >= 0) break;
            if (NameIs(line, wantSection)) sectionLine = lastContent = static_cast<long>(i);
            continue;
        }
        if (sectionLine < 0 || line.isBlank) continue;
        lastContent = static_cast<long>(i);
        if (NameIs(line, wantKey)) {
            keyLine = static_cast<long>(i);
            break;
        }
    }

    auto newLine = [](std::string text) {
        Line line;
        line.text = std::move(text);
        line.eol = "\r\n";
        ParseLine(line);
        return line;
    };
    if (keyLine >= 0) {
        Line& line = lines[static_cast<size_t>(keyLine)];
        line.text = line.text.substr(line.nameBegin, line.nameEnd - line.nameBegin) + "=" + encodedValue;
        ParseLine(line);
    } else if (sectionLine >= 0) {
        Line& before = lines[static_cast<size_t>(lastContent)];
        if (before.eol.empty()) before.eol = "\r\n";
        lines.insert(lines.begin() + lastContent + 1, newLine(Encode(wantKey) + "=" + encodedValue));
    } else {
        if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = "\r\n";
        lines.push_back(newLine("[" + Encode(wantSection) + "]"));
        lines.push_back(newLine(Encode(wantKey) + "=" + encodedValue));
    }
    f.dirty = true;

    if (State().batchDepth > 0) return 0;  // written once when the batch ends
    return Flush(path);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value, const QString& file) {
    return WriteProfileString(section, key, value, file) == 0;
}

// ---- Batches ---------------------------------------------------------------

ProfileBatch::ProfileBatch() {
    ProfileState& s = State();
    if (s.batchDepth++ == 0) {
        s.batchError = 0;
        s.batchErrorFile.clear();
    }
}

ProfileBatch::~ProfileBatch() { Finish(); }

int ProfileBatch::Finish() {
    if (finished_) return 0;
    finished_ = true;
    ProfileState& s = State();
    if (--s.batchDepth > 0) return 0;
    std::vector<QString> dirty;
    for (const auto& [path, f] : s.files)
        if (f.dirty) dirty.push_back(path);
    for (const QString& path : dirty) {
        if (const int err = Flush(path); err != 0 && s.batchError == 0) {
            s.batchError = err;
            s.batchErrorFile = path;
        }
    }
    const int err = s.batchError;
    errorFile_ = s.batchErrorFile;
    s.batchError = 0;
    s.batchErrorFile.clear();
    return err;
}

}  // namespace platform
