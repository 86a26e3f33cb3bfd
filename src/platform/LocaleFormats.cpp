#include "platform/LocaleFormats.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace trv {

namespace {

// The program works in 8-bit texts; a locale text that Latin-1 can't hold is left out
// rather than shown as question marks.
std::optional<std::string> ToLatin1(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF) return std::nullopt;
    return text.toLatin1().toStdString();
}

// Drops the time-zone letters (stamps carry no zone) and the blanks they leave behind.
std::string WithoutZone(const std::string& format)
{
    std::string out;
    bool quoted = false;
    for (char c : format) {
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == 't') continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(out.begin());
    std::string collapsed;
    for (char c : out)
        if (!(c == ' ' && !collapsed.empty() && collapsed.back() == ' ')) collapsed += c;
    return collapsed;
}

// The first character of the time format that is neither a format letter, a quote nor a blank.
char SeparatorOf(const std::string& timeFormat, char fallback)
{
    bool quoted = false;
    for (char c : timeFormat) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted) continue;
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && c != ' ') return c;
    }
    return fallback;
}

} // namespace

LocaleFormats LocaleFormats::System()
{
    const QLocale locale = QLocale::system();
    LocaleFormats formats;
    if (auto date = ToLatin1(locale.dateFormat(QLocale::ShortFormat)); date && !date->empty())
        formats.shortDateFormat = *date;
    if (auto time = ToLatin1(locale.timeFormat(QLocale::LongFormat))) {
        const std::string format = WithoutZone(*time);
        if (!format.empty()) formats.longTimeFormat = format;
    }
    formats.timeSeparator = SeparatorOf(formats.longTimeFormat, formats.timeSeparator);
    if (auto point = ToLatin1(locale.decimalPoint()); point && !point->empty())
        formats.decimalSeparator = point->front();
    if (auto am = ToLatin1(locale.amText())) formats.amWord = *am;
    if (auto pm = ToLatin1(locale.pmText())) formats.pmWord = *pm;
    return formats;
}

} // namespace trv
