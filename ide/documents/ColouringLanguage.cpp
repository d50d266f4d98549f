#include "documents/ColouringLanguage.h"

#include "compiler/QUARVELv2.h"
#include "documents/StringTable.h"
#include "documents/VbNumbers.h"
#include "platform/CodeEditor.h"

namespace modApp {

QString EditorKeywordList(qvv2::QUARVELv2& basic) {
    QString list;
    const int16_t total = basic.TotalCommands;
    for (int16_t i = 0; i <= total && i >= 0; ++i) {
        int16_t number = i;
        basic.GetCommandString(number);
        // String 1 names the table's language; 1 is Korean.
        const auto language = vb::Val(LoadResString(1));
        list += QString::fromStdU16String(basic.EngCmd) + u'\n';
        if (language && *language == 1) list += QString::fromStdU16String(basic.KorCmd) + u'\n';
    }
    for (int i = 1; i <= 50; ++i) list += QStringLiteral("Quarvel_DumyCmd") + QString::number(i) + u'\n';
    return list;
}

void DefineEditorLanguage(qvv2::QUARVELv2& basic) {
    platform::EditorLanguage language;
    language.CaseSensitive = false;
    language.Keywords = EditorKeywordList(basic);
    language.Style = 0;
    language.Operators = QStringLiteral("+\n-\n*\n/\n=\n>\n<\n>=\n<=\n<>\n.\n\\");
    language.LineCommentOpeners = QStringLiteral("'\nREM");
    language.BlockCommentOpen = QStringLiteral("{");
    language.BlockCommentClose = QStringLiteral("}");
    language.BlockStartWords.clear();
    language.BlockEndWords.clear();
    language.StringDelimiters = QString(QChar(34));
    language.EscapeCharacter.clear();
    language.StatementTerminator.clear();
    platform::RegisterLanguage(kEditorLanguageName, language);
}

void DefineEditorLanguage() {
    qvv2::QUARVELv2 basic;
    DefineEditorLanguage(basic);
}

}  // namespace modApp
