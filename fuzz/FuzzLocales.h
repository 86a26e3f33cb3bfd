#pragma once

#include "platform/LocaleFormats.h"

#include <cstdint>

// The locales the stamp decoders are tried in, picked by one input byte: English (0), German
// words and separators (1), no day-half words and 'h' between hours and minutes (2), words
// that are prefixes or extensions of the English ones and a decimal separator that is the
// time separator (3).
inline trv::LocaleFormats FuzzLocale(std::uint8_t pick)
{
    trv::LocaleFormats l = trv::LocaleFormats::Fixed();
    switch (pick % 4) {
    case 1:
        l.timeSeparator = '.';
        l.decimalSeparator = ',';
        l.amWord = "vorm.";
        l.pmWord = "nachm.";
        l.longTimeFormat = "h.mm.ss AP";
        l.shortDateFormat = "d-M-yy";
        break;
    case 2:
        l.timeSeparator = 'h';
        l.amWord = "";
        l.pmWord = "";
        l.shortDateFormat = "dddd d MMMM yyyy";
        break;
    case 3:
        l.amWord = "A";
        l.pmWord = "PMX";
        l.decimalSeparator = ':';
        l.longTimeFormat = "hh:mm:ss.zzz ap";
        break;
    default:
        break;
    }
    return l;
}
