#include "platform/UiLanguage.h"

#include "compiler/Text.h"

namespace platform {

UiLanguage UiLanguageOf(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Korean:
        return UiLanguage::Korean;
    case QLocale::Japanese:
        return UiLanguage::Japanese;
    case QLocale::Chinese:
        // Only the simplified script has a table; traditional Chinese falls
        // back to English like every other language.
        return locale.script() == QLocale::TraditionalHanScript ? UiLanguage::English : UiLanguage::Chinese;
    default:
        return UiLanguage::English;
    }
}

UiLanguage CurrentUiLanguage() { return UiLanguageOf(QLocale()); }

int LanguageId(UiLanguage language) {
    switch (language) {
    case UiLanguage::Korean:
        return 1042;
    case UiLanguage::Japanese:
        return 1041;
    case UiLanguage::Chinese:
        return 2052;
    case UiLanguage::English:
        break;
    }
    return 1033;
}

std::string AnsiCodePage(UiLanguage language) {
    switch (language) {
    case UiLanguage::Korean:
        return "CP949";
    case UiLanguage::Japanese:
        return "CP932";
    case UiLanguage::Chinese:
        return "CP936";
    case UiLanguage::English:
        break;
    }
    return "CP1252";
}

QString Localized(const LocalizedText& text) {
    switch (CurrentUiLanguage()) {
    case UiLanguage::Korean: return QString::fromUtf8(text.korean);
    case UiLanguage::Japanese: return QString::fromUtf8(text.japanese);
    case UiLanguage::Chinese: return QString::fromUtf8(text.chinese);
    default: return QString::fromUtf8(text.english);
    }
}

void ApplyUiCodePage() { qvv2::SetSystemCodePage(AnsiCodePage(CurrentUiLanguage())); }

}  // namespace platform
