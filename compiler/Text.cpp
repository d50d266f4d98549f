#include "Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace qvv2 {

std::u16string UCase(const std::u16string& s) {
    std::u16string r(s);
    for (auto& c : r) {
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            c = static_cast<char16_t>(c - 0x20);
    }
    return r;
}

std::u16string Trim(const std::u16string& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.substr(b, e - b);
}

std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    const size_t n = s.size();
    auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && cont(i + 1)) {
            cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
            len = 2;
            if (cp < 0x80) cp = 0xFFFD;
        } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string ToUtf8(const std::u16string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string NumberText(int64_t value) {
    const std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

namespace {

// Runs iconv over the input; an input sequence it cannot convert is replaced
// by `replacement` (encoded in the target) and skipped by `skip(pos)` units.
template <typename SkipFn>
std::string Convert(const char* from, const char* to, const char* in, size_t inLen,
                    const std::string& replacement, SkipFn skip) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Unknown code page: keep ASCII, replace the rest.
        return out;
    }
    out.reserve(inLen * 2 + 8);
    char buf[4096];
    char* src = const_cast<char*>(in);
    size_t left = inLen;
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof(buf);
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: replace one unit and go on.
            out += replacement;
            size_t n = skip(src, left);
            src += n;
            left -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* dst = buf;
    size_t room = sizeof(buf);
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    iconv_close(cd);
    return out;
}

std::mutex g_cpMutex;
std::string g_codePage;

}  // namespace

std::string ToAnsi(const std::u16string& s, const std::string& codePage) {
    if (s.empty()) return {};
    const std::string cp = codePage.empty() ? SystemCodePage() : codePage;
    const char* in = reinterpret_cast<const char*>(s.data());
    std::string r = Convert("UTF-16LE", cp.c_str(), in, s.size() * 2, "?", [](const char* p, size_t left) -> size_t {
        if (left < 2) return left;
        const auto lo = static_cast<unsigned char>(p[0]), hi = static_cast<unsigned char>(p[1]);
        const char16_t u = static_cast<char16_t>(lo | (hi << 8));
        if (u >= 0xD800 && u <= 0xDBFF && left >= 4) return 4;
        return 2;
    });
    if (r.empty()) {
        // iconv could not be opened: fall back to ASCII with '?'.
        for (char16_t c : s) r.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return r;
}

std::u16string FromAnsi(const std::string& bytes, const std::string& codePage) {
    if (bytes.empty()) return {};
    const std::string cp = codePage.empty() ? SystemCodePage() : codePage;
    std::string r = Convert(cp.c_str(), "UTF-16LE", bytes.data(), bytes.size(), std::string("?\0", 2),
                            [](const char*, size_t left) -> size_t { return left ? 1 : 0; });
    std::u16string out;
    if (r.empty()) {
        for (unsigned char c : bytes) out.push_back(c < 0x80 ? c : u'?');
        return out;
    }
    out.resize(r.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(r[2 * i]) |
                                       (static_cast<unsigned char>(r[2 * i + 1]) << 8));
    return out;
}

std::string SystemCodePage() {
    std::lock_guard<std::mutex> lock(g_cpMutex);
    if (!g_codePage.empty()) return g_codePage;
    std::string loc;
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            loc = v;
            break;
        }
    }
    if (loc.rfind("ko", 0) == 0) return "CP949";
    if (loc.rfind("ja", 0) == 0) return "CP932";
    if (loc.rfind("zh", 0) == 0) return "CP936";
    return "CP1252";
}

void SetSystemCodePage(const std::string& codePage) {
    std::lock_guard<std::mutex> lock(g_cpMutex);
    g_codePage = codePage;
}

}  // namespace qvv2
