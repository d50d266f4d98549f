// Readable gtest output for Qt value types.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l) *os << " \"" << s.toStdString() << '"';
    *os << " }";
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << '"';
    for (char c : b) {
        if (c == '\r') *os << "\\r";
        else if (c == '\n') *os << "\\n\"\n\"";
        else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            *os << "\\x" << std::hex << (static_cast<unsigned>(c) & 0xFF) << std::dec;
        else *os << c;
    }
    *os << '"';
}
