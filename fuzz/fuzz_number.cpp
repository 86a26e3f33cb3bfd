// DotStrToFloat and the velocity number format, each against the C library's own reading. The
// first byte picks the check:
//   even: the bytes as a header field's text, compared with strtod;
//   odd:  the bytes as a double: its printed form reads back to the same double when the double
//         has at most 15 significant digits, and to its 15-digit rounding otherwise (refused when
//         that rounding passes the largest double).
#include "FuzzCheck.h"

#include "asciitable/AsciiExport.h"
#include "platform/AppError.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Plain decimal syntax: sign, digits with at most one '.', at least one digit, an optional
// exponent with digits. Within these characters the C library reads exactly that syntax (no
// "inf", "nan" or hex), so a text is plain when strtod takes all of it.
bool PlainDecimal(const std::string& s)
{
    char* end = nullptr;
    (void)std::strtod(s.c_str(), &end);
    return !s.empty() && s.find_first_not_of("+-.0123456789eE") == std::string::npos &&
           end == s.c_str() + s.size();
}

void CheckText(std::string_view text)
{
    const std::string trimmed = Trimmed(text);
    double value = 0;
    try {
        value = trv::DotStrToFloat(text);
    }
    catch (const trv::AppError& e) {
        // what() is a C string: a zero byte in the text ends the message there.
        FUZZ_CHECK(std::string(e.what()) == trv::NotAFloatText(text).c_str());
        // Refused: not plain decimal, or too large for a double.
        if (PlainDecimal(trimmed)) {
            errno = 0;
            const double c = std::strtod(trimmed.c_str(), nullptr);
            FUZZ_CHECK(std::isinf(c) || (errno == ERANGE && c != 0 && std::fabs(c) > 1));
        }
        return;
    }
    FUZZ_CHECK(PlainDecimal(trimmed));
    FUZZ_CHECK(std::isfinite(value));
    errno = 0;
    char* end = nullptr;
    const double c = std::strtod(trimmed.c_str(), &end);
    FUZZ_CHECK(end == trimmed.c_str() + trimmed.size());
    // The C library keeps subnormal results where the program reads zero; both are fine.
    if (std::fabs(c) < 2.2250738585072014e-308)
        FUZZ_CHECK(value == 0 || value == c);
    else
        FUZZ_CHECK(value == c);
}

void CheckDouble(double v, char separator)
{
    const std::string s = trv::FormatGeneral(v, separator);
    if (!std::isfinite(v)) return;
    FUZZ_CHECK(!s.empty() && s.size() <= 24);
    std::string dotted = s;
    for (char& ch : dotted)
        if (ch == separator) ch = '.';

    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    const double rounded = std::strtod(buf, nullptr);
    if (std::isinf(rounded)) {
        // Within half a unit of the 15th digit of the largest double: the printed text rounds
        // up past it ("1.79769313486232E308"), and reading it back is refused as too large.
        bool refused = false;
        try {
            (void)trv::DotStrToFloat(dotted);
        }
        catch (const trv::AppError&) {
            refused = true;
        }
        FUZZ_CHECK(refused);
        return;
    }
    const double back = trv::DotStrToFloat(dotted);
    // Rounding to 15 digits may carry into a value the format prints as zero only for zero.
    FUZZ_CHECK(back == rounded || (std::fabs(rounded) < 2.2250738585072014e-308 && back == 0));
    if (rounded == v && std::fabs(v) >= 2.2250738585072014e-308) FUZZ_CHECK(back == v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        CheckText(rest);
        return 0;
    }
    if (rest.size() < sizeof(double)) return 0;
    double v;
    std::memcpy(&v, rest.data(), sizeof v);
    CheckDouble(v, rest.size() > sizeof v && (rest[sizeof v] & 1) ? ',' : '.');
    return 0;
}
