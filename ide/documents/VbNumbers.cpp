#include "documents/VbNumbers.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vb {
namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Converts an ASCII decimal number; out-of-range results are told apart by
// the number's magnitude: too small gives 0, too large gives nothing.
std::optional<double> ParseDecimal(const std::string& s, long magnitude) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    (void)ptr;
    if (ec == std::errc()) return value;
    if (ec == std::errc::result_out_of_range) {
        if (magnitude <= 0) return 0.0;
        return std::nullopt;
    }
    return 0.0;
}

}  // namespace

std::optional<double> Val(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    std::string s;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long intDigits = 0, leadingFractionZeros = 0;
    bool anyDigit = false, significant = false;
    while (i < n && IsDigit(text[i])) {
        if (text[i] != u'0') significant = true;
        if (significant) ++intDigits;
        s += static_cast<char>(text[i].unicode());
        anyDigit = true;
        ++i;
    }
    if (i < n && text[i] == u'.') {
        std::string fraction;
        qsizetype j = i + 1;
        bool fractionSignificant = false;
        while (j < n && IsDigit(text[j])) {
            if (text[j] != u'0') fractionSignificant = true;
            if (!fractionSignificant) ++leadingFractionZeros;
            fraction += static_cast<char>(text[j].unicode());
            ++j;
        }
        if (!fraction.empty() || anyDigit) {
            s += '.';
            s += fraction;
            anyDigit = anyDigit || !fraction.empty();
            i = j;
        }
    }
    if (!anyDigit) return 0.0;
    long exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exp = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-')) exp += static_cast<char>(text[j++].unicode());
        const qsizetype firstDigit = j;
        while (j < n && IsDigit(text[j])) exp += static_cast<char>(text[j++].unicode());
        if (j > firstDigit) {
            s += exp;
            const std::string digits = exp.substr(exp.size() - static_cast<size_t>(j - firstDigit));
            exponent = digits.size() > 6 ? 1000000 : std::stol(digits);
            if (exp.size() > 1 && exp[1] == '-') exponent = -exponent;
        }
    }
    const long magnitude = (intDigits > 0 ? intDigits : -leadingFractionZeros) + exponent;
    std::optional<double> value = ParseDecimal(s, magnitude);
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<int16_t> ToInteger(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<int16_t>(r);
}

std::optional<int32_t> ToLong(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(r);
}

std::optional<float> ToSingle(double value) {
    if (std::isnan(value)) return std::nullopt;
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) return std::nullopt;
    return static_cast<float>(value);
}

std::optional<int16_t> CIntStrict(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?[ \\t]*$"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    const std::optional<double> value = Val(text);
    if (!value) return std::nullopt;
    return ToInteger(*value);
}

QString Str(int64_t value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits : QStringLiteral(" ") + digits;
}

QString Str(float value) {
    if (std::isnan(value) || std::isinf(value)) return QStringLiteral(" 0");
    char buf[64];
    const float magnitude = std::fabs(value);
    const bool fixed = magnitude == 0.0f || (magnitude >= 1e-5f && magnitude < 1e7f);
    const auto result = std::to_chars(buf, buf + sizeof buf, value,
                                      fixed ? std::chars_format::fixed : std::chars_format::scientific);
    QString text = QString::fromLatin1(buf, static_cast<qsizetype>(result.ptr - buf));
    text.replace(u'e', u'E');
    // Written like the original files: no zero in front of the decimal point.
    if (text.startsWith(QStringLiteral("0."))) text.remove(0, 1);
    else if (text.startsWith(QStringLiteral("-0."))) text.remove(1, 1);
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    return text.startsWith(u'-') ? text : QStringLiteral(" ") + text;
}

}  // namespace vb
