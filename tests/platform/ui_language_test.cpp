// The user-interface language from the locale, with its table id and code page.
#include <QLocale>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "compiler/Text.h"
#include "platform/UiLanguage.h"

using platform::UiLanguage;

namespace {

TEST(UiLanguage, FromLocale) {
    struct Case {
        const char* locale;
        UiLanguage language;
        int id;
        const char* codePage;
    } cases[] = {
        {"en_US", UiLanguage::English, 1033, "CP1252"},  {"ko_KR", UiLanguage::Korean, 1042, "CP949"},
        {"ja_JP", UiLanguage::Japanese, 1041, "CP932"},  {"zh_CN", UiLanguage::Chinese, 2052, "CP936"},
        {"zh_SG", UiLanguage::Chinese, 2052, "CP936"},   {"zh_TW", UiLanguage::English, 1033, "CP1252"},
        {"fr_FR", UiLanguage::English, 1033, "CP1252"},  {"C", UiLanguage::English, 1033, "CP1252"},
    };
    for (const Case& c : cases) {
        const UiLanguage language = platform::UiLanguageOf(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(language, c.language) << c.locale;
        EXPECT_EQ(platform::LanguageId(language), c.id) << c.locale;
        EXPECT_EQ(platform::AnsiCodePage(language), c.codePage) << c.locale;
    }
}

TEST(UiLanguage, FollowsTheDefaultLocaleAndSetsTheCodePage) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    EXPECT_EQ(platform::CurrentUiLanguage(), UiLanguage::Korean);
    platform::ApplyUiCodePage();
    EXPECT_EQ(qvv2::SystemCodePage(), "CP949");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(platform::CurrentUiLanguage(), UiLanguage::English);
    QLocale::setDefault(saved);
    qvv2::SetSystemCodePage("");
}

}  // namespace
