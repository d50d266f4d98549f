#include "documents/ObjectFile.h"

#include <limits>

#include "compiler/QUARVELv2.h"
#include "compiler/Text.h"
#include "documents/Files.h"
#include "documents/modAPI.h"
#include "documents/modMain.h"

namespace modApp {
namespace {

// Puts `text` into a fixed-size field in the code page: cut after the last
// whole character that fits (a double-byte character is never split), the
// rest blanks.  A character the code page lacks is stored as '?'.
template <size_t N>
void FillTextField(std::array<uint8_t, N>& field, const std::u16string& text, const std::string& codePage) {
    field.fill(' ');
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t len = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
        const std::string bytes = qvv2::ToAnsi(text.substr(i, len), codePage);
        if (used + bytes.size() > N) break;
        for (char b : bytes) field[used++] = static_cast<uint8_t>(b);
        i += len;
    }
}

void AppendInt16(QByteArray& out, int16_t value) {
    const auto u = static_cast<uint16_t>(value);
    out.append(static_cast<char>(u & 0xFF));
    out.append(static_cast<char>(u >> 8));
}

template <size_t N>
void AppendField(QByteArray& out, const std::array<uint8_t, N>& field) {
    out.append(reinterpret_cast<const char*>(field.data()), static_cast<qsizetype>(N));
}

}  // namespace

QString ObjectFileName(const QString& sourcePath) {
    const qsizetype slash = sourcePath.lastIndexOf(u'/');
    const qsizetype nameStart = slash + 1;
    // Letter case is ignored for the Latin letters of ".bas" only.
    auto lower = [](QChar c) { return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 0x20) : c; };
    for (qsizetype i = nameStart; i + 4 <= sourcePath.size(); ++i) {
        if (sourcePath[i] == u'.' && lower(sourcePath[i + 1]) == u'b' && lower(sourcePath[i + 2]) == u'a' &&
            lower(sourcePath[i + 3]) == u's')
            return sourcePath.left(i + 1) + QStringLiteral("obj");
    }
    return sourcePath + QStringLiteral(".obj");
}

bool ObjectFileBytes(const qvv2::QUARVELv2& basic, QByteArray& bytes) {
    // The counts are signed 16-bit fields: a longer program cannot be
    // described, and the tables must hold what the counts promise.
    if (basic.TotalBytes < 0 || basic.TotalBytes > std::numeric_limits<int16_t>::max()) return false;
    if (basic.TotalVars < 0) return false;
    const auto vars = static_cast<size_t>(basic.TotalVars);
    if (basic.ObjCode.size() <= static_cast<size_t>(basic.TotalBytes)) return false;
    if (basic.VarNAME.size() <= vars || basic.VarPOS.size() <= vars || basic.VarTYPE.size() <= vars) return false;

    const std::string codePage = FileCodePage();
    modMain::ObjectFileHeader& header = modMain::ObjHeader;
    FillTextField(header.Remark, basic.Remark, codePage);
    header.TotalVars = basic.TotalVars;
    header.TotalBytes = static_cast<int16_t>(basic.TotalBytes);

    QByteArray out;
    out.reserve(kObjectHeaderSize + kObjectVariableSize * basic.TotalVars + basic.TotalBytes);
    AppendField(out, header.Reserved);
    AppendField(out, header.Remark);
    AppendInt16(out, header.TotalVars);
    AppendInt16(out, header.TotalBytes);

    modMain::ObjectFileVariable& record = modMain::ObjVariable;
    for (size_t i = 1; i <= vars; ++i) {
        FillTextField(record.VarName, basic.VarNAME[i], codePage);
        record.VarPos = basic.VarPOS[i];
        record.VarType = basic.VarTYPE[i];
        AppendField(out, record.VarName);
        AppendInt16(out, record.VarPos);
        out.append(static_cast<char>(record.VarType));
    }
    out.append(reinterpret_cast<const char*>(basic.ObjCode.data()) + 1, basic.TotalBytes);
    bytes = out;
    return true;
}

bool WriteObjectFile(const qvv2::QUARVELv2& basic) {
    if (!modMain::CompiledOK) return false;
    const QString source = QString::fromStdU16String(basic.Filename);
    if (source.isEmpty()) return false;
    const QString name = ObjectFileName(source);
    QByteArray bytes;
    if (ObjectFileBytes(basic, bytes) && WriteFileSafely(name, bytes).ok()) return true;
    // Leave no object file of an older compile behind.
    modAPI::DeleteFileIfExists(name);
    return false;
}

}  // namespace modApp
