#pragma once

#include "calibration/CalFileReader.h"
#include "calibration/VelocityFit.h"
#include "exp/MaskedField.h"
#include "platform/LocaleFormats.h"
#include "spectrum/Spm.h"

#include <span>
#include <string>

namespace trv {

// Where a calibration came from, for the descriptive lines of the file.
struct CalibrationSource {
    std::string fileName; // the reference spectrum
    std::string stamps;   // its two time stamps as shown
    std::string date;     // when the calibration was made
    std::string mode;     // the save-as mode's caption
};

// What the spectrum saved in a mode is called: the mode's caption, "512 Channels" for a
// spectrum of 512 channels (which every mode saves whole).
std::string SavedChannelsCaption(int channelCount, int saveAsMode);
// The local date and time now, as the file records when it was made.
std::string CalibrationDateNow();
// The source of a calibration made from a spectrum file.
CalibrationSource CalibrationSourceOf(const SpmInfo& info, int saveAsMode,
                                      const LocaleFormats& locale);

// The values of lines 6 to 9 formatted for the header fields' masks: the channel count, the
// calibration constant (0.00009), the doubled folding position with as many digits before the
// point as foldMask has (000.0000 or 0000.0000), the zero speed channel (000.00). Throws
// AppError naming the value when one does not fit its field.
CalibrationValues CalibrationFieldTexts(const VelocityCalibration& result,
                                        const EditMask& foldMask);

// A whole calibration file: five descriptive lines, then channels=, calibration constant=,
// folding channel= and zero speed channel=, then a "Note: " line for each of the result's
// notes (channels left out, lines used, warnings, a poor fit), CR LF line ends. Loading it
// with the calibration loader under foldMask gives exactly the fields CalibrationFieldTexts
// gives.
std::string FormatCalibrationFile(const VelocityCalibration& result, const EditMask& foldMask,
                                  const CalibrationSource& source,
                                  std::span<const double> referenceLines);

} // namespace trv
