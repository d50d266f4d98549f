// Text functions with the semantics the program's files and directives rely
// on.
#pragma once

#include <QString>

namespace vb {

// Removes blanks (character 32 only; tabs stay) from both ends.
inline QString Trim(const QString& s) {
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first) == QLatin1Char(' ')) ++first;
    while (last > first && s.at(last - 1) == QLatin1Char(' ')) --last;
    return s.mid(first, last - first);
}

}  // namespace vb
