#include "build/TokenizeLine.h"

#include <limits>

#include "build/EventYield.h"
#include "documents/VbText.h"

namespace modMain {

void TokenizeLine(QString& line, QString& comment) {
    // The words are gathered locally and published at the end, so an event
    // handler that runs during a yield never sees a half-built list.
    // Room for the words of a common line at once, not one more at a time.
    std::vector<QString> tokens;
    tokens.reserve(16);
    tokens.emplace_back();
    QString pending;
    comment.clear();

    auto flush = [&]() {
        if (pending.isEmpty()) return;
        // A line cannot realistically hold more words than the count can
        // carry; any further word is dropped rather than wrapping the count.
        if (tokens.size() - 1 < static_cast<size_t>(std::numeric_limits<int16_t>::max()))
            tokens.push_back(pending);
        pending.clear();
    };

    // The walk goes by index; `line` is consumed as the walk ends: emptied,
    // or left with the blanks that ended it.
    qsizetype lastNonBlank = line.size() - 1;
    while (lastNonBlank >= 0 && line.at(lastNonBlank) == QLatin1Char(' ')) --lastNonBlank;
    for (qsizetype pos = 0;; ++pos) {
        YieldToEvents();
        if (pos >= line.size()) {
            flush();
            line.clear();
            break;
        }
        const QChar c = line.at(pos);
        if (c == QLatin1Char(',') || c == QLatin1Char('=') || c == QLatin1Char(' ') ||
            c == QLatin1Char('\t')) {
            flush();
        } else if (c == QLatin1Char(':')) {
            pending.append(c);
            flush();
        } else if (c == QLatin1Char('"')) {
            flush();
            pending = vb::Trim(line.mid(pos + 1));
            if (pending.endsWith(QLatin1Char('"'))) {
                pending.chop(1);
                pending = vb::Trim(pending);
            }
            flush();
            line.clear();
            break;
        } else if (c == QLatin1Char('\'')) {
            flush();
            comment = line.mid(pos);
            line.clear();
            break;
        } else {
            pending.append(c);
        }
        if (pos > lastNonBlank) {  // only blanks from here on
            line = line.mid(pos);
            break;
        }
    }

    Tokens = std::move(tokens);
    TokenCount = static_cast<int16_t>(Tokens.size() - 1);
}

}  // namespace modMain
