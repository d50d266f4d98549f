// Number conversions with the rules the settings file and the localisation
// rely on: the leading-number scan, rounding to the nearest whole number with
// halves going to the even neighbour, range checks that report instead of
// wrapping, and the way the program writes numbers (a leading blank when not
// negative).
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace vb {

// Leading-number scan: leading blanks skipped, then an optional sign, digits,
// an optional decimal point and fraction and an optional exponent; the scan
// stops at the first character that does not fit, and a text without a
// leading number gives 0.  Empty when the number is too large for a double.
std::optional<double> Val(const QString& text);

// Nearest whole number (halves to the even neighbour) when it fits the
// target; empty when it does not (or for NaN).
std::optional<int16_t> ToInteger(double value);
std::optional<int32_t> ToLong(double value);
// Single precision; empty beyond its range.
std::optional<float> ToSingle(double value);

// Strict conversion of a whole text to a 16-bit integer: blanks around it
// allowed, a decimal number with optional fraction and exponent taken to the
// nearest whole number; empty, non-numeric and out-of-range texts fail.
std::optional<int16_t> CIntStrict(const QString& text);

// A number as the program writes it: one leading blank when zero or
// positive, a minus sign when negative; singles in their shortest decimal
// form (" 1980", "-1", " 1980.5", " .25").
QString Str(int64_t value);
QString Str(float value);

}  // namespace vb
