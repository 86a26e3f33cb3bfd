#include "asciitable/AsciiExport.h"

#include "exp/ExpFile.h"
#include "platform/AppError.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace trv {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

[[noreturn]] void ThrowNotAFloat(std::string_view text)
{
    throw AppError(NotAFloatText(text));
}

// Appends v in the general format; the table builder calls this directly to avoid a temporary
// string per line.
void AppendGeneral(std::string& out, double v, char decimalSeparator)
{
    if (std::isnan(v)) {
        out += "NAN";
        return;
    }
    if (std::isinf(v)) {
        out += v < 0 ? "-INF" : "INF";
        return;
    }
    if (v == 0) { // also -0.0: a zero never carries a sign
        out += '0';
        return;
    }

    // Scientific with 14 digits after the point is exactly "round to 15 significant digits";
    // the exponent then already reflects a carry such as 9.99...95 -> 1E1.
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const char* p = buf;
    const char* end = res.ptr;
    if (*p == '-') {
        out += '-';
        ++p;
    }
    char digits[16];
    int digitCount = 0;
    for (; p != end && *p != 'e'; ++p) {
        if (IsDigit(*p)) digits[digitCount++] = *p;
    }
    while (digitCount > 1 && digits[digitCount - 1] == '0')
        --digitCount;
    int exponent = 0;
    std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, end, exponent);

    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out.append(digits, static_cast<std::size_t>(digitCount));
            return;
        }
        const int intDigits = exponent + 1;
        if (digitCount <= intDigits) {
            out.append(digits, static_cast<std::size_t>(digitCount));
            out.append(static_cast<std::size_t>(intDigits - digitCount), '0');
            return;
        }
        out.append(digits, static_cast<std::size_t>(intDigits));
        out += decimalSeparator;
        out.append(digits + intDigits, static_cast<std::size_t>(digitCount - intDigits));
        return;
    }

    out += digits[0];
    if (digitCount > 1) {
        out += decimalSeparator;
        out.append(digits + 1, static_cast<std::size_t>(digitCount - 1));
    }
    out += 'E';
    char expBuf[8];
    const auto expRes = std::to_chars(expBuf, expBuf + sizeof expBuf, exponent);
    out.append(expBuf, expRes.ptr);
}

} // namespace

double DotStrToFloat(std::string_view text)
{
    // Only spaces are blanks here: the header fields are masked edits that pad with spaces,
    // and a tab or other control character in a number field is a typing error.
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] == ' ')
        ++first;
    while (last > first && text[last - 1] == ' ')
        --last;
    const std::string_view s = text.substr(first, last - first);

    // Check the syntax ourselves: from_chars would also take "inf", "nan" and hex digits, and
    // refuses a leading '+'.
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;
    std::size_t intDigits = 0;     // without leading zeros
    std::size_t fracLeadZeros = 0; // zeros after the point before the first non-zero digit
    bool anyDigit = false;
    bool nonZeroSeen = false;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        anyDigit = true;
        if (s[i] != '0') nonZeroSeen = true;
        if (nonZeroSeen) ++intDigits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            anyDigit = true;
            if (s[i] != '0') nonZeroSeen = true;
            if (!nonZeroSeen) ++fracLeadZeros;
        }
    }
    if (!anyDigit) ThrowNotAFloat(text);
    long exponent = 0; // clamped: only its rough size matters, for the range check below
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool exponentNegative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            exponentNegative = s[i] == '-';
            ++i;
        }
        if (i == s.size() || !IsDigit(s[i])) ThrowNotAFloat(text);
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
        }
        if (exponentNegative) exponent = -exponent;
    }
    if (i != s.size()) ThrowNotAFloat(text);

    const char* numberBegin = s.data() + numberStart;
    const char* numberEnd = s.data() + s.size();
    double value = 0;
    const auto res = std::from_chars(numberBegin, numberEnd, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is not a number we can use.
        const long decimalExponent = intDigits > 0
                                         ? exponent + static_cast<long>(intDigits) - 1
                                         : exponent - static_cast<long>(fracLeadZeros) - 1;
        if (decimalExponent >= 0) ThrowNotAFloat(text);
        value = 0;
    }
    else if (res.ec != std::errc() || res.ptr != numberEnd) {
        ThrowNotAFloat(text);
    }
    return negative ? -value : value;
}

std::string FormatGeneral(double v, char decimalSeparator)
{
    std::string out;
    AppendGeneral(out, v, decimalSeparator);
    return out;
}

std::string BuildASCIITable(const std::vector<uint32_t>& counts, int channelCount, int saveAsMode,
                            int xAxis, std::string_view zeroSpeedText,
                            std::string_view calibrationText, char decimalSeparator)
{
    const bool velocity = xAxis == kXAxisVelocity;
    // Convert first: a bad header field must stop the export before anything is produced.
    double zeroSpeed = 0;
    double calibration = 0;
    if (velocity) {
        zeroSpeed = DotStrToFloat(zeroSpeedText);
        calibration = DotStrToFloat(calibrationText);
    }

    const std::vector<uint32_t> values = ReduceChannels(counts, channelCount, saveAsMode);
    std::string out;
    // x (velocity up to ~22 chars) + TAB + value (<= 10) + CR LF.
    out.reserve(values.size() * (velocity ? 36 : 20));
    char buf[16];
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (velocity) {
            const double v = (static_cast<double>(i) - zeroSpeed) * calibration;
            AppendGeneral(out, v, decimalSeparator);
        }
        else {
            const auto r = std::to_chars(buf, buf + sizeof buf, i);
            out.append(buf, r.ptr);
        }
        out += '\t';
        const auto r = std::to_chars(buf, buf + sizeof buf, values[i]);
        out.append(buf, r.ptr);
        out += "\r\n";
    }
    return out;
}

} // namespace trv
