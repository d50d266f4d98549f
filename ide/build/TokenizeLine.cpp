#include "build/TokenizeLine.h"
#include "documents/VbText.h"

#include <QCoreApplication>

#include <limits>

namespace modMain {

namespace {

void YieldToEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace

void TokenizeLine(QString& line, QString& comment) {
    // The words are gathered locally and published at the end, so an event
    // handler that runs during a yield never sees a half-built list.
    std::vector<QString> tokens{QString()};
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

    for (;;) {
        YieldToEvents();
        if (line.isEmpty()) {
            flush();
            break;
        }
        const QChar c = line.at(0);
        bool finished = false;
        if (c == QLatin1Char(',') || c == QLatin1Char('=') || c == QLatin1Char(' ') ||
            c == QLatin1Char('\t')) {
            flush();
        } else if (c == QLatin1Char(':')) {
            pending.append(c);
            flush();
        } else if (c == QLatin1Char('"')) {
            flush();
            pending = vb::Trim(line.mid(1));
            if (pending.endsWith(QLatin1Char('"'))) {
                pending.chop(1);
                pending = vb::Trim(pending);
            }
            flush();
            line.clear();
            finished = true;
        } else if (c == QLatin1Char('\'')) {
            flush();
            comment = line;
            line.clear();
            finished = true;
        } else {
            pending.append(c);
        }
        if (finished) continue;  // the empty line ends the walk at the top
        if (vb::Trim(line).isEmpty()) break;
        line.remove(0, 1);
    }

    Tokens = std::move(tokens);
    TokenCount = static_cast<int16_t>(Tokens.size() - 1);
}

}  // namespace modMain
