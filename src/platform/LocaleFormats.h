#pragma once

#include <string>

namespace trv {

// The user's date, time and number conventions, handed in so tests can fix them.
// Date and time formats use Qt's format letters (d dd M MM MMM yy yyyy, h hh H HH m mm s ss
// z zzz AP ap).
struct LocaleFormats {
    std::string shortDateFormat = "dd/MM/yyyy";
    std::string longTimeFormat = "HH:mm:ss";
    char timeSeparator = ':';
    char decimalSeparator = '.';
    std::string amWord = "AM";
    std::string pmWord = "PM";

    // Built from QLocale::system().
    static LocaleFormats System();
    // A fixed set for tests: dd/MM/yyyy, HH:mm:ss, ':', '.', "AM", "PM".
    static LocaleFormats Fixed() { return LocaleFormats{}; }
};

} // namespace trv
