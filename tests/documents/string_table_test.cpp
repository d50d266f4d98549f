// The string table: entry sets and counts per language, fixed entries,
// the referenced numbers, the look-up by user-interface language.
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <set>

#include "documents/StringTable.h"

using platform::UiLanguage;

namespace {

const UiLanguage kLanguages[] = {UiLanguage::English, UiLanguage::Korean, UiLanguage::Japanese,
                                 UiLanguage::Chinese};
const int kMarkers[] = {3000, 3050, 3070, 3090, 3110, 3120, 3140, 3150, 3170, 3200, 4500, 4520, 4600, 4620, 4700};

std::set<int> Numbers(const StringTableMap& table) {
    std::set<int> numbers;
    for (const auto& [n, text] : table) numbers.insert(n);
    return numbers;
}

QString Entry(UiLanguage language, int number) {
    const StringTableMap& table = StringTableOf(language);
    const auto it = table.find(number);
    return it == table.end() ? QStringLiteral("<missing>") : it->second;
}

// Sets the default locale for one scope.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

TEST(StringTable, EntrySetsAndCountsPerLanguage) {
    const std::set<int> english = Numbers(StringTableOf(UiLanguage::English));
    EXPECT_EQ(english.size(), 379u);
    EXPECT_EQ(Numbers(StringTableOf(UiLanguage::Japanese)), english);

    std::set<int> chinese = english;
    chinese.erase(3213);
    EXPECT_EQ(Numbers(StringTableOf(UiLanguage::Chinese)), chinese);
    EXPECT_EQ(chinese.size(), 378u);

    std::set<int> korean = english;
    for (int marker : kMarkers) {
        EXPECT_EQ(english.count(marker), 0u) << marker;
        korean.insert(marker);
    }
    EXPECT_EQ(Numbers(StringTableOf(UiLanguage::Korean)), korean);
    EXPECT_EQ(korean.size(), 394u);

    // A marker names the window whose block follows.
    const QRegularExpression markerText(QStringLiteral("^\\*\\* frm\\w+ String Table$"));
    for (int marker : kMarkers)
        EXPECT_TRUE(markerText.match(Entry(UiLanguage::Korean, marker)).hasMatch()) << marker;
    EXPECT_EQ(Entry(UiLanguage::Korean, 3000), "** frmMain String Table");

    for (UiLanguage language : kLanguages)
        for (const auto& [n, text] : StringTableOf(language)) {
            EXPECT_GE(n, 1);
            EXPECT_FALSE(text.isEmpty()) << n;
        }
}

TEST(StringTable, DataFilesHoldEachNumberOnceAndOnlyWellFormedLines) {
    for (const char* name : {":/strings/en.txt", ":/strings/ko.txt", ":/strings/ja.txt", ":/strings/zh.txt"}) {
        QFile f(QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray data = f.readAll();
        std::set<int> seen;
        int entries = 0;
        for (const QByteArray& line : data.split('\n')) {
            if (line.isEmpty() || line.startsWith('#')) continue;
            const int tab = static_cast<int>(line.indexOf('\t'));
            ASSERT_GT(tab, 0) << name << ": " << line.constData();
            bool ok = false;
            const int n = line.left(tab).toInt(&ok);
            ASSERT_TRUE(ok) << name << ": " << line.constData();
            EXPECT_TRUE(seen.insert(n).second) << name << " repeats " << n;
            EXPECT_FALSE(line.endsWith('\r')) << name << " " << n;
            ++entries;
        }
        EXPECT_EQ(static_cast<size_t>(entries), ParseStringTable(data).size()) << name;
    }
}

TEST(StringTable, FixedEntriesInEveryLanguage) {
    struct Case {
        int number;
        const char* en;
        const char* ko;
        const char* ja;
        const char* zh;
    } cases[] = {
        {1, "0", "1", "2", "3"},
        {2, "qvv2.chm", "qvv2k.chm", "qvv2j.chm", "qvv2c.chm"},
        {3, "updatee.info", "updatek.info", "updatej.info", "updatec.info"},
        {11, "OK", "확인", "OK", "确定"},
        {12, "Cancel", "취소", "キャンセル", "取消"},
        {13, "Close", "닫기", "閉じる", "关闭"},
        {20, "Courier New", "굴림", "ＭＳ Ｐゴシック", "Courier New"},
        {21, "Untitled", "제목없음", "無題", "无题"},
        {30, ">", "▼", ">", ">"},
        {31, "<", "▲", "<", "<"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Entry(UiLanguage::English, c.number), QString::fromUtf8(c.en)) << c.number;
        EXPECT_EQ(Entry(UiLanguage::Korean, c.number), QString::fromUtf8(c.ko)) << c.number;
        EXPECT_EQ(Entry(UiLanguage::Japanese, c.number), QString::fromUtf8(c.ja)) << c.number;
        EXPECT_EQ(Entry(UiLanguage::Chinese, c.number), QString::fromUtf8(c.zh)) << c.number;
    }
}

TEST(StringTable, TextsThatCodeJoinsOrReadsKeepTheirExactForm) {
    // Blanks at the ends and inside are part of the texts that code joins.
    EXPECT_EQ(Entry(UiLanguage::English, 1061), "Tile Horizontal ");
    EXPECT_EQ(Entry(UiLanguage::English, 3159), "[Total ");
    EXPECT_EQ(Entry(UiLanguage::English, 3160), " Bytes] is created.");
    EXPECT_EQ(Entry(UiLanguage::English, 3173), " (Total ");
    EXPECT_EQ(Entry(UiLanguage::English, 4002), "Can't  recovery cleared memory.");
    EXPECT_EQ(Entry(UiLanguage::English, 4013), " is not exist. Do you create ?");
    EXPECT_EQ(Entry(UiLanguage::English, 8026), "Motor All OFF    F10");
    EXPECT_EQ(Entry(UiLanguage::Korean, 4007), "코드 생성 에러 - ");
    EXPECT_EQ(Entry(UiLanguage::English, 3018),
              "QUARVEL Program (*.bas)|*.bas|QUARSCRIPT Program (*.qsf)|*.qsf|All Files(*.*)|*.*");

    for (UiLanguage language : kLanguages) {
        // The file-dialog filter keeps its patterns in every language.
        const QStringList filter = Entry(language, 3018).split(u'|');
        ASSERT_EQ(filter.size(), 6);
        EXPECT_EQ(filter[1], "*.bas");
        EXPECT_EQ(filter[3], "*.qsf");
        EXPECT_EQ(filter[5], "*.*");
        // MOVE headers are program text, the same in every language.
        EXPECT_EQ(Entry(language, 4508), "MOVE G8A,");
        EXPECT_EQ(Entry(language, 4511), "MOVE G8D,");
        // The motion window replaces the leading "32" of its title by "24".
        EXPECT_TRUE(Entry(language, 4501).startsWith(QStringLiteral("32 ")));
        // Entry 1 reads as the language's number.
        bool ok = false;
        Entry(language, 1).toInt(&ok);
        EXPECT_TRUE(ok);
    }
}

TEST(StringTable, EveryReferencedNumberExists) {
    QFile f(QStringLiteral(QUARVEL_TEST_DATA "/fixtures/referenced_strings.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    int checked = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().section(u'#', 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        bool ok = false;
        const int number = parts[0].toInt(&ok);
        ASSERT_TRUE(ok) << line.toStdString();
        const QString kind = parts.size() > 1 ? parts[1] : QString();
        if (kind == QLatin1String("absent")) {
            for (UiLanguage language : kLanguages) EXPECT_EQ(StringTableOf(language).count(number), 0u) << number;
        } else if (kind == QLatin1String("ko")) {
            EXPECT_EQ(StringTableOf(UiLanguage::Korean).count(number), 1u) << number;
        } else {
            EXPECT_EQ(StringTableOf(UiLanguage::English).count(number), 1u) << number;
        }
        ++checked;
    }
    EXPECT_GT(checked, 200);
}

TEST(StringTable, LookUpFollowsTheUserInterfaceLanguage) {
    {
        LocaleScope scope(QLocale(QLocale::Korean, QLocale::SouthKorea));
        EXPECT_EQ(LoadResString(21), "제목없음");
        EXPECT_EQ(LoadResString(1), "1");
    }
    {
        LocaleScope scope(QLocale(QLocale::French, QLocale::France));
        EXPECT_EQ(LoadResString(21), "Untitled");
        EXPECT_EQ(LoadResString(2), "qvv2.chm");
    }
    {
        LocaleScope scope(QLocale(QLocale::Chinese, QLocale::China));
        EXPECT_EQ(LoadResString(21), "无题");
        // A missing entry is an error for the caller, not the English text.
        bool ok = true;
        EXPECT_EQ(LoadResString(3213, &ok), "");
        EXPECT_FALSE(ok);
        EXPECT_FALSE(FindResString(3213).has_value());
    }
    {
        LocaleScope scope(QLocale(QLocale::Japanese, QLocale::Japan));
        EXPECT_EQ(LoadResString(3213), "待機");
        bool ok = true;
        LoadResString(4014, &ok);
        EXPECT_FALSE(ok);
        LoadResString(0, &ok);
        EXPECT_FALSE(ok);
        LoadResString(-5, &ok);
        EXPECT_FALSE(ok);
    }
}

TEST(StringTable, ParsesEscapesAndSkipsMalformedLines) {
    const StringTableMap table = ParseStringTable(
        "# comment\n"
        "10\tline one\\r\\nline two\\tend\\\\\n"
        "11\t  blanks kept  \r\n"
        "12\tback\\slash\n"
        "\n"
        "no tab here\n"
        "x1\tnot a number\n"
        "0\tzero is no entry\n"
        "40000\ttoo large\n"
        "13\tfirst\n"
        "13\tsecond\n");
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table.at(10), "line one\r\nline two\tend\\");
    EXPECT_EQ(table.at(11), "  blanks kept  ");
    EXPECT_EQ(table.at(12), "back\\slash");
    EXPECT_EQ(table.at(13), "first");
}

}  // namespace
