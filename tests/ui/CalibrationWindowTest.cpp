// The velocity calibration window on the main window's spectrum: apply, save, the round trip
// through Load header, refusals, poor fits and the remembered line table.
#include "UiTestSupport.h"

#include "exp/ExpHeader.h"
#include "platform/FileIo.h"
#include "ui/windows/CalibrationWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gmock/gmock.h>

#include <cstdlib>

namespace trv::test {
namespace {

using ::testing::HasSubstr;

class CalibrationWindowUi : public UiTest {
  protected:
    QString CopySample(const char* name)
    {
        return WriteSpm(name, ReadWholeFile(std::string(TRV_SOURCE_DIR "/samples/") + name));
    }
    // The four fields a calibration fills, as they read now.
    std::vector<std::string> CalibrationFields()
    {
        const ExpHeader h = Form().CurrentHeader();
        return {h.Channels, h.CalibrationConstant.Text(), h.FoldingChannel.Text(),
                h.ZeroSpeedChannel.Text()};
    }
    CalibrationWindow& Window()
    {
        Form().PrepareCalibrationWindow();
        return *Form().calibrationWindow();
    }
};

// Apply sets the fields exactly as Load header sets them from the saved file, under each mode's
// masks; the values are the sample's sweep.
TEST_F(CalibrationWindowUi, ApplySaveRefusalsPoorFitsAndTheRememberedTable)
{
    Start();
    OpenViaDialog(CopySample("ha1001-fe-foil.spm"));
    for (const int item : {0, 1, 2}) {
        SCOPED_TRACE(item);
        // The first mode keeps all 1024 channels, the others add them up to 512.
        const double channels = item == 0 ? 1024 : 512;
        ChooseSaveAsMode(item);
        CalibrationWindow& w = Window();
        ASSERT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
        w.applyButton()->click();
        const std::vector<std::string> applied = CalibrationFields();
        EXPECT_EQ(std::atof(applied[0].c_str()), channels);
        EXPECT_NEAR(std::atof(applied[1].c_str()), 23.4 / (channels / 2), 6e-5);
        // Within a few of the fit's uncertainties; the core's tests hold the accuracy.
        EXPECT_NEAR(std::atof(applied[2].c_str()), channels, 0.15);
        EXPECT_NEAR(std::atof(applied[3].c_str()), channels / 4 - 0.5, 0.1);

        platform_.QueueSave(Work("ref.cal"));
        w.saveCalButton()->click();
        EXPECT_EQ(platform_.saveRequests.back().proposedName, "ha1001-fe-foil.cal");

        Form().ApplyCalibrationValues({"0", "1.1111", "111.1111", "111.11"});
        Form().LoadHeaderFile(Work("ref.cal"));
        EXPECT_EQ(CalibrationFields(), applied);
    }
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));

    // A spectrum that cannot be calibrated says why and leaves the header alone. A good
    // reference chosen there is fitted in the main window's mode.
    OpenViaDialog(CopySample("ha1002-doublet.spm"));
    std::vector<std::string> before = CalibrationFields();
    CalibrationWindow& w = Window();
    EXPECT_THAT(Str(w.Refusal()), HasSubstr("found 2 dips; the reference table has 6"));
    EXPECT_FALSE(w.applyButton()->isEnabled());
    EXPECT_FALSE(w.saveCalButton()->isEnabled());
    w.OnApply();
    EXPECT_EQ(CalibrationFields(), before);

    platform_.QueueOpen(CopySample("ha1001-fe-foil.spm"));
    w.browseButton()->click();
    ASSERT_TRUE(w.Fit().has_value());
    EXPECT_EQ(w.Fit()->result.channels, 512);

    // An entry that is no number is named beside the table, without a box, and nothing can be
    // applied; a fit that describes the spectrum poorly asks before Apply uses it. The line
    // table and the channels to leave out are remembered.
    w.linesTable()->item(1, 0)->setText("abc");
    EXPECT_TRUE(platform_.errors.isEmpty()) << "no box for a typing error";
    EXPECT_FALSE(w.applyButton()->isEnabled());
    EXPECT_EQ(Str(w.entryErrorLabel()->text()),
              "Line 2: 'abc' is not a valid floating point value");
    EXPECT_TRUE(w.entryErrorLabel()->isVisibleTo(&w));

    // The third line 0.1 mm/s off the iron pattern: the fit converges, but poorly.
    w.linesTable()->item(1, 0)->setText("-3.0835");
    w.linesTable()->item(2, 0)->setText("-0.7385");
    w.fitButton()->click();
    ASSERT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
    EXPECT_THAT(Str(w.notesLabel()->text()), HasSubstr("Poor fit: "));
    before = CalibrationFields();
    platform_.QueueQuestion(false);
    w.applyButton()->click();
    EXPECT_EQ(CalibrationFields(), before) << "No keeps the header";
    EXPECT_THAT(Str(platform_.questions.join('|')), HasSubstr("describes the spectrum poorly"));
    platform_.QueueQuestion(true);
    w.applyButton()->click();
    EXPECT_NE(CalibrationFields(), before);
    w.excludeEdit()->setText("3-5");
    Q_EMIT w.excludeEdit()->textEdited(w.excludeEdit()->text());
    const std::vector<double> lines = w.ReferenceLines();
    Stop();

    Start();
    EXPECT_EQ(Window().ReferenceLines(), lines);
    EXPECT_EQ(Window().excludeEdit()->text(), "3-5");
}

} // namespace
} // namespace trv::test
