#include "calibration/CalFileWriter.h"

#include "exp/ExpHeader.h"
#include "platform/AppError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

namespace trv {

namespace {

std::string Fixed(double x, int decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

// x with `decimals` places and at least `digits` digits before the point, or empty when it
// needs more digits than that or is negative.
std::string ForMask(double x, int digits, int decimals)
{
    if (!std::isfinite(x) || x < 0.0) return {};
    std::string text = Fixed(x, decimals);
    const auto point = static_cast<int>(text.find('.'));
    if (point > digits) return {};
    return std::string(static_cast<std::size_t>(digits - point), '0') + text;
}

int DigitsBeforePoint(const EditMask& mask)
{
    const auto point = mask.Text().find('.');
    return point == std::string::npos ? mask.Width() : static_cast<int>(point);
}

void Refuse(const std::string& field, const std::string& value, const std::string& mask)
{
    throw AppError("the " + field + " " + value + " does not fit its header field (" + mask + ")");
}

} // namespace

std::string SavedChannelsCaption(int channelCount, int saveAsMode)
{
    if (channelCount != 1024) return std::to_string(channelCount) + " Channels";
    return kSaveAsModeCaptions[static_cast<std::size_t>(std::clamp(saveAsMode, 0, 2))];
}

std::string CalibrationDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, n);
}

CalibrationSource CalibrationSourceOf(const SpmInfo& info, int saveAsMode,
                                      const LocaleFormats& locale)
{
    return {info.FileName,
            StampDisplayText(info.FirstStamp, locale) + " - " +
                StampDisplayText(info.SecondStamp, locale),
            CalibrationDateNow(), SavedChannelsCaption(info.ChannelCount, saveAsMode)};
}

CalibrationValues CalibrationFieldTexts(const VelocityCalibration& r, const EditMask& foldMask)
{
    CalibrationValues v;
    v.channels = std::to_string(r.channels);
    v.calibrationConstant = ForMask(r.cal, 1, 5);
    if (v.calibrationConstant.empty())
        Refuse("calibration constant", PlainDecimal(r.cal, 6), "0.00009");
    const int foldDigits = DigitsBeforePoint(foldMask);
    v.foldingChannel = ForMask(r.fold2x, foldDigits, 4);
    if (v.foldingChannel.empty())
        Refuse("doubled folding channel", PlainDecimal(r.fold2x, 8), foldMask.Text());
    v.zeroSpeedChannel = ForMask(r.zero, 3, 2);
    if (v.zeroSpeedChannel.empty()) Refuse("zero speed channel", PlainDecimal(r.zero, 6), "000.00");
    return v;
}

std::string FormatCalibrationFile(const VelocityCalibration& r, const EditMask& foldMask,
                                  const CalibrationSource& source,
                                  std::span<const double> referenceLines)
{
    const CalibrationValues v = CalibrationFieldTexts(r, foldMask);
    // Lines 1 to 5 are skipped by position when the file is loaded, so nothing in them may
    // end a line early: file names and stamps go in with their control bytes escaped.
    std::string lines;
    for (const double line : referenceLines) {
        if (!lines.empty()) lines += ' ';
        char buf[32];
        lines.append(buf, std::to_chars(buf, buf + sizeof buf, line).ptr); // shortest exact text
    }
    std::string out;
    out += "Velocity calibration fitted to a reference spectrum\r\n";
    out += "Reference: " + EscapeControlBytes(source.fileName) + ", " +
           EscapeControlBytes(source.stamps) + ", " + EscapeControlBytes(source.mode) + "\r\n";
    out += "Made: " + EscapeControlBytes(source.date) + "\r\n";
    out += "Lines (mm/s): " + lines + "\r\n";
    out += "Uncertainties: fold2x " + PlainDecimal(r.fold2xErr, 2) + ", zero " +
           PlainDecimal(r.zeroErr, 2) + ", cal " + PlainDecimal(r.calErr, 2) + "; vmax " +
           PlainDecimal(r.vmax, 6) + " mm/s; chi2/dof " + PlainDecimal(r.chi2dof, 4) + "\r\n";
    out += "channels=" + v.channels + "\r\n";
    out += "calibration constant=" + v.calibrationConstant + "\r\n";
    out += "folding channel=" + v.foldingChannel + "\r\n";
    out += "zero speed channel=" + v.zeroSpeedChannel + "\r\n";
    // The loader reads lines 6 to 9 only: what else the user should know about the fit
    // follows them, one note a line.
    for (const std::string& note : CalibrationNotes(r, referenceLines))
        out += "Note: " + note + "\r\n";
    return out;
}

} // namespace trv
