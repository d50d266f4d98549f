// A program text for the editor benchmarks: what a long robot program looks
// like, in blocks of 20 lines: a label, MOVE lines of a six-servo group,
// FOR/NEXT loops, delays, GOTO and GOSUB, English and Korean comments.  The
// lines average about 50 characters, so 100,000 lines are about 5 MB in the
// Korean code page.  Line ends are CR LF; labels are numbered so that each
// is unique.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdio>
#include <string>

#include "documents/Files.h"

// `lines` lines made of `block` over and over, CR LF between them; "%1" in a
// line stands for the number of the block it is in, so labels stay unique.
template <size_t N>
QString RepeatBlock(const char* const (&block)[N], int lines) {
    QStringList out;
    out.reserve(lines);
    for (int i = 0; i < lines; ++i) {
        QString line = QString::fromUtf8(block[static_cast<size_t>(i) % N]);
        out << line.replace(QLatin1String("%1"), QString::number(i / static_cast<int>(N)));
    }
    return out.join(QStringLiteral("\r\n"));
}

inline QString BenchProgram(int lines) {
    static const char* const kBlock[] = {
        "STEP%1:  ' walk cycle %1",
        "    MOVE G6A, 100,  76, 145,  93, 100, 100   ' left leg stands straight",
        "    MOVE G6D, 100,  76, 145,  93, 100, 100   ' 오른쪽 다리를 곧게 편다",
        "    ' 오른발을 앞으로 내딛는다 (%1번째 걸음)",
        "    FOR I = 1 TO 10",
        "        MOVE G6B, 100,  30,  80, 100, 100, 100   ' swing the left arm forward",
        "        DELAY 50   ' wait for the servos to reach the target",
        "    NEXT I",
        "    SPEED 8   ' slower for the turn (속도를 줄인다)",
        "    MOVE G6C, 100,  30,  80, 100, 100, 100   ' 오른팔을 흔든다 (right arm)",
        "    IF A > 10 THEN GOTO STEP%1   ' again while the sensor reads more than 10",
        "    ' turn left a little before the next step",
        "    FOR J = 0 TO 3: OUT 52, J: NEXT J   ' blink the four eye lamps once",
        "    GOSUB STAND%1",
        "    MOVE G6A,  85,  71, 152,  91, 112,  60   ' lean on the left foot before the turn",
        "    WAIT   ' until every servo has stopped",
        "STAND%1:",
        "    ' 기본 자세로 돌아온다",
        "    MOVE G6A, 100,  76, 145,  93, 100, 100   ' 차렷 자세 (stand at attention)",
        "    RETURN",
    };
    return RepeatBlock(kBlock, lines) + QStringLiteral("\r\n");
}

// Writes `text` to `path` in code page 949, as the program stores a file in
// the Korean interface language; its size in bytes, or -1.
inline qsizetype WriteProgramFile(const QString& text, const std::string& path) {
    QByteArray bytes;
    if (!modApp::EncodeFileText(text, "CP949", bytes, nullptr)) return -1;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return -1;
    const bool ok = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f) ==
                    static_cast<size_t>(bytes.size());
    return std::fclose(f) == 0 && ok ? bytes.size() : -1;
}
