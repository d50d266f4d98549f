#include "documents/StringTable.h"

#include "platform/SafeFile.h"

// The tables are a Qt resource of the program's core; registering it here
// also pulls it in where the core is linked as a static library.
static void InitStringTableResource() { Q_INIT_RESOURCE(strings); }

namespace {

QString Unescape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == u'r') out += u'\r';
        else if (next == u'n') out += u'\n';
        else if (next == u't') out += u'\t';
        else if (next == u'\\') out += u'\\';
        else {
            out += c;
            out += next;
        }
    }
    return out;
}

const char* ResourceName(platform::UiLanguage language) {
    switch (language) {
    case platform::UiLanguage::Korean:
        return ":/strings/ko.txt";
    case platform::UiLanguage::Japanese:
        return ":/strings/ja.txt";
    case platform::UiLanguage::Chinese:
        return ":/strings/zh.txt";
    case platform::UiLanguage::English:
        break;
    }
    return ":/strings/en.txt";
}

StringTableMap LoadTable(platform::UiLanguage language) {
    InitStringTableResource();
    const QByteArray bytes = platform::ReadResource(QString::fromLatin1(ResourceName(language)));
    if (bytes.isEmpty()) return {};
    return ParseStringTable(bytes);
}

}  // namespace

StringTableMap ParseStringTable(const QByteArray& utf8) {
    StringTableMap table;
    const QString all = QString::fromUtf8(utf8);
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0) continue;
        bool ok = false;
        const int number = line.left(tab).toInt(&ok);
        if (!ok || number < 1 || number > 32767) continue;
        table.emplace(number, Unescape(line.mid(tab + 1)));
    }
    return table;
}

const StringTableMap& StringTableOf(platform::UiLanguage language) {
    static std::map<platform::UiLanguage, StringTableMap> tables;
    auto it = tables.find(language);
    if (it == tables.end()) it = tables.emplace(language, LoadTable(language)).first;
    return it->second;
}

std::optional<QString> FindResString(int number) {
    const StringTableMap& table = StringTableOf(platform::CurrentUiLanguage());
    const auto it = table.find(number);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

QString LoadResString(int number, bool* ok) {
    const std::optional<QString> text = FindResString(number);
    if (ok) *ok = text.has_value();
    return text.value_or(QString());
}
