// compile_dump: a test utility.  Compiles one UTF-8 file and prints the
// compiler's results as one JSON object, for golden tests.
//
//   compile_dump [--lang N] [--con-id N] [--con-type N] [--filename NAME]
//                [--clock YYYY-MM-DDTHH:MM:SS] FILE
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "compiler/QUARVELv2.h"
#include "compiler/Text.h"

namespace {

std::string Json(const std::u16string& s) {
    const std::string u = qvv2::ToUtf8(s);
    std::string out = "\"";
    for (unsigned char c : u) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

int Usage() {
    std::cerr << "usage: compile_dump [--lang N] [--con-id N] [--con-type N] [--filename NAME] "
                 "[--clock YYYY-MM-DDTHH:MM:SS] FILE\n";
    return 2;
}

// The ANSI code page that goes with a user-interface language number.
const char* CodePageOf(int lang) {
    switch (lang) {
        case 1: return "CP949";
        case 2: return "CP932";
        case 3: return "CP936";
        default: return "CP1252";
    }
}

}  // namespace

int main(int argc, char** argv) {
    qvv2::QUARVELv2 c;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--lang" || a == "--con-id" || a == "--con-type" || a == "--filename" || a == "--clock") {
            const char* v = value();
            if (!v) return Usage();
            if (a == "--lang") {
                c.cmdLang = static_cast<int16_t>(std::atoi(v));
            } else if (a == "--con-id") {
                c.Con_ID = static_cast<uint8_t>(std::atoi(v));
            } else if (a == "--con-type") {
                c.Con_Type = static_cast<int16_t>(std::atoi(v));
            } else if (a == "--filename") {
                c.Filename = qvv2::FromUtf8(v);
            } else {
                qvv2::ClockTime t;
                if (std::sscanf(v, "%d-%d-%dT%d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                                &t.second) != 6)
                    return Usage();
                c.Clock = [t] { return t; };
            }
        } else if (!a.empty() && a[0] == '-') {
            return Usage();
        } else if (file.empty()) {
            file = a;
        } else {
            return Usage();
        }
    }
    if (file.empty()) return Usage();
    c.CodePage = CodePageOf(c.cmdLang);

    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "compile_dump: cannot read " << file << "\n";
        return 1;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    std::u16string text = qvv2::FromUtf8(ss.str());

    c.Compile(text);

    std::string hex;
    static const char* digits = "0123456789abcdef";
    for (int32_t i = 1; i <= c.TotalBytes && i < static_cast<int32_t>(c.ObjCode.size()); ++i) {
        hex += digits[c.ObjCode[i] >> 4];
        hex += digits[c.ObjCode[i] & 15];
    }
    std::string out = "{\"Bas_Error\": " + std::to_string(c.Bas_Error) +
                      ", \"Bas_Error_Line\": " + std::to_string(c.Bas_Error_Line) +
                      ", \"Bas_Error_Msg\": " + Json(c.Bas_Error_Msg) +
                      ", \"TotalBytes\": " + std::to_string(c.TotalBytes) + ", \"ObjCode\": \"" + hex +
                      "\", \"Vars\": [";
    for (int i = 1; i <= c.TotalVars; ++i) {
        if (i > 1) out += ", ";
        const auto at = [&](const auto& v) { return i < static_cast<int>(v.size()) ? v[i] : typename std::decay_t<decltype(v)>::value_type(); };
        out += "[" + Json(at(c.VarNAME)) + ", " + std::to_string(at(c.VarPOS)) + ", " +
               std::to_string(at(c.VarTYPE)) + "]";
    }
    out += "], \"Lines\": [";
    for (int32_t i = 1; i <= c.TotalLines; ++i) {
        if (i > 1) out += ", ";
        const int32_t pos = i < static_cast<int32_t>(c.LineObjPos.size()) ? c.LineObjPos[i] : 0;
        out += "[" + std::to_string(i) + ", " + std::to_string(pos) + "]";
    }
    out += "]}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
