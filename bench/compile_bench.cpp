// Compile benchmark: a generated program whose image comes close to the
// 80,000-byte limit, compiled repeatedly.  Prints source lines per second and
// milliseconds per compile (median of the runs).
//
//   build/bin/compile_bench [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "compiler/QUARVELv2.h"

namespace {

// One block of ordinary statements; labels are numbered per block.
std::u16string Block(int n) {
    const std::string k = std::to_string(n);
    const std::string s =
        "L" + k + ":\r\n"
        "FOR I = 1 TO 100\r\n"
        "A = A + 1 * B\r\n"
        "IF A > 10 THEN\r\n"
        "MOVE G6A, 100, 110, 120, 130, 140, 150\r\n"
        "ELSEIF A = 3 THEN\r\n"
        "SPEED 5\r\n"
        "ELSE\r\n"
        "B = B - 1\r\n"
        "ENDIF\r\n"
        "NEXT I\r\n"
        "' a comment line\r\n"
        "GOSUB S" + k + "\r\n"
        "PRINT \"HELLO\"\r\n"
        "DELAY 100\r\n"
        "OUT 1, 1\r\n"
        "GOTO N" + k + "\r\n"
        "S" + k + ":\r\n"
        "PLAY \"CDEFGAB\"\r\n"
        "RETURN\r\n"
        "N" + k + ":\r\n";
    return std::u16string(s.begin(), s.end());
}

std::u16string Program(int blocks) {
    std::u16string text = u"DIM A AS BYTE\r\nDIM B AS BYTE\r\nDIM I AS INTEGER\r\n";
    for (int n = 1; n <= blocks; ++n) text += Block(n);
    text += u"END\r\n";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    qvv2::QUARVELv2 c;
    c.Filename = u"BENCH.bas";
    c.cmdLang = 0;

    // Size the program from one block's bytes so the image stays under the limit.
    std::u16string probe = Program(10);
    c.Compile(probe);
    if (c.Bas_Error != 0) {
        std::fprintf(stderr, "benchmark program does not compile: error %d at line %d\n", c.Bas_Error,
                     c.Bas_Error_Line);
        return 1;
    }
    const int perBlock = (c.TotalBytes - 19) / 10;
    const int blocks = (78000 - 32) / perBlock;
    std::u16string text = Program(blocks);

    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        std::u16string t = text;
        const auto start = std::chrono::steady_clock::now();
        c.Compile(t);
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    if (c.Bas_Error != 0) {
        std::fprintf(stderr, "error %d at line %d\n", c.Bas_Error, c.Bas_Error_Line);
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("image: %d bytes, %d source lines, %d runs\n", c.TotalBytes, c.TotalLines, runs);
    std::printf("median: %.2f ms per compile, %.0f source lines per second\n", median,
                c.TotalLines / (median / 1000.0));
    std::printf("fastest %.2f ms, slowest %.2f ms\n", ms.front(), ms.back());
    return 0;
}
