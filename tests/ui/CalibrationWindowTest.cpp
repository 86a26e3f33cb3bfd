// The velocity calibration window on the main window's spectrum: apply, save, the round trip
// through Load header, refusals, and the remembered line table.
#include "UiTestSupport.h"

#include "calibration/VelocityFit.h"
#include "exp/ExpHeader.h"
#include "platform/FileIo.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/windows/CalibrationWindow.h"

#include <QApplication>
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

// The results are shown with their uncertainties; Apply sets the fields exactly as Load header
// sets them from the saved file, under each mode's masks; the values are the sample's sweep.
TEST_F(CalibrationWindowUi, ApplyEqualsLoadingTheSavedFileInEveryMode)
{
    Start();
    OpenViaDialog(CopySample("ha1001-fe-foil.spm"));
    struct Mode {
        int item;
        const char* channels;
        double fold2x, zero, cal;
    } modes[] = {{0, "1024", 1024.0, 255.5, 23.4 / 512},
                 {1, "512", 512.0, 127.5, 23.4 / 256},
                 {2, "512", 512.0, 127.5, 23.4 / 256}};
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.item);
        ChooseSaveAsMode(m.item);
        CalibrationWindow& w = Window();
        ASSERT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
        EXPECT_TRUE(w.applyButton()->isEnabled());
        EXPECT_EQ(Str(w.sourceLabel()->text()), "ha1001-fe-foil.spm");
        for (QLabel* label : {w.foldLabel(), w.zeroLabel(), w.calLabel()})
            EXPECT_THAT(Str(label->text()), HasSubstr("\u00b1")) << "shown with its uncertainty";
        w.applyButton()->click();
        const std::vector<std::string> applied = CalibrationFields();
        EXPECT_EQ(applied[0], m.channels);
        EXPECT_NEAR(std::atof(applied[1].c_str()), m.cal, 6e-5);
        // Within a few of the fit's uncertainties; the core's tests hold the accuracy.
        EXPECT_NEAR(std::atof(applied[2].c_str()), m.fold2x, 0.15);
        EXPECT_NEAR(std::atof(applied[3].c_str()), m.zero, 0.1);

        platform_.QueueSave(Work("ref.cal"));
        w.saveCalButton()->click();
        EXPECT_THAT(platform_.errors, ::testing::IsEmpty());
        EXPECT_EQ(platform_.saveRequests.back().proposedName, "ha1001-fe-foil.cal");

        Form().ApplyCalibrationValues({"0", "1.1111", "111.1111", "111.11"});
        Form().LoadHeaderFile(Work("ref.cal"));
        EXPECT_EQ(CalibrationFields(), applied);
    }
    platform_.Verify();
}

// A spectrum that cannot be calibrated says why and leaves the header alone.
TEST_F(CalibrationWindowUi, RefusalsChangeNothing)
{
    Start();
    OpenViaDialog(CopySample("ha1002-doublet.spm"));
    const std::vector<std::string> before = CalibrationFields();
    CalibrationWindow& w = Window();
    EXPECT_FALSE(w.Fit().has_value());
    EXPECT_THAT(Str(w.Refusal()), HasSubstr("found 2 dips; the reference table has 6"));
    EXPECT_TRUE(w.statusLabel()->isVisibleTo(&w));
    EXPECT_FALSE(w.applyButton()->isEnabled());
    EXPECT_FALSE(w.saveCalButton()->isEnabled());
    w.OnApply();
    EXPECT_EQ(CalibrationFields(), before);

    // A reference file that is not a spectrum leaves the last state standing.
    WriteBytes(Work("bad.spm"), "x");
    platform_.QueueOpen(Work("bad.spm"));
    w.browseButton()->click();
    EXPECT_EQ(platform_.errors.size(), 1);
    EXPECT_EQ(Str(w.sourceLabel()->text()), "ha1002-doublet.spm");

    // Choosing a good reference there calibrates it, with the main window's mode.
    platform_.QueueOpen(CopySample("ha1001-fe-foil.spm"));
    w.browseButton()->click();
    EXPECT_TRUE(w.Fit().has_value());
    EXPECT_EQ(w.Fit()->result.channels, 512);
    platform_.Verify();
}

// Results, Apply and Save belong to the table that was fitted; entries that are no numbers are
// named beside the table; the table, however short, is remembered.
TEST_F(CalibrationWindowUi, LineTableEditsAndIsRemembered)
{
    Start();
    OpenViaDialog(CopySample("ha1001-fe-foil.spm"));
    CalibrationWindow& w = Window();
    ASSERT_TRUE(w.Fit().has_value());
    EXPECT_EQ(w.ReferenceLines(), DefaultReferenceLines());

    w.linesTable()->item(1, 0)->setText("abc");
    EXPECT_TRUE(platform_.errors.isEmpty()) << "no box for a typing error";
    EXPECT_FALSE(w.Fit().has_value());
    EXPECT_FALSE(w.applyButton()->isEnabled());
    EXPECT_FALSE(w.saveCalButton()->isEnabled());
    EXPECT_EQ(Str(w.entryErrorLabel()->text()),
              "Line 2: 'abc' is not a valid floating point value");
    EXPECT_TRUE(w.entryErrorLabel()->isVisibleTo(&w));
    w.fitButton()->click();
    EXPECT_FALSE(w.Fit().has_value());
    EXPECT_TRUE(platform_.errors.isEmpty());

    // Remove goes on downwards from the selected row; Add opens an editor on a new row.
    w.linesTable()->setCurrentCell(1, 0);
    w.removeLineButton()->click();
    w.removeLineButton()->click();
    EXPECT_EQ(w.ReferenceLines(), (std::vector<double>{-5.3285, 0.8385, 3.0835, 5.3285}));
    EXPECT_FALSE(w.entryErrorLabel()->isVisibleTo(&w));
    w.addLineButton()->click();
    ASSERT_EQ(w.linesTable()->rowCount(), 5);
    auto* editor = w.linesTable()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "no editor on the new row";
    editor->setText("-3.0835");
    // Fit takes the entry still being typed.
    w.fitButton()->click();
    EXPECT_EQ(w.ReferenceLines().back(), -3.0835);
    EXPECT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
    // Down to one line: too few to fit, but it is the user's table and comes back as it is.
    w.linesTable()->setCurrentCell(0, 0);
    for (int i = 0; i < 4; ++i)
        w.removeLineButton()->click();
    EXPECT_EQ(w.ReferenceLines(), (std::vector<double>{-3.0835}));
    Stop();

    Start();
    CalibrationWindow& again = Window();
    EXPECT_EQ(again.ReferenceLines(), (std::vector<double>{-3.0835}));
    EXPECT_FALSE(again.Fit().has_value()); // nothing opened in this run
    again.defaultLinesButton()->click();
    EXPECT_EQ(again.ReferenceLines(), DefaultReferenceLines());
}

// With nothing open, a reference file is fitted in the mode the main window would open it in
// (512 channels, added), so Apply and Save work; its name is shown with control bytes escaped.
TEST_F(CalibrationWindowUi, ReferenceFileWithNothingOpen)
{
    Start();
    CalibrationWindow& w = Window();
    EXPECT_FALSE(w.Fit().has_value());
    platform_.QueueOpen(CopySample("ha1001-fe-foil.spm"));
    w.browseButton()->click();
    ASSERT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
    EXPECT_EQ(w.Fit()->result.channels, 512);
    w.applyButton()->click();
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
    EXPECT_EQ(CalibrationFields()[0], "512");

    const QString odd = WriteSpm(
        "a\nb.spm", ReadWholeFile(std::string(TRV_SOURCE_DIR "/samples/ha1001-fe-foil.spm")));
    platform_.QueueOpen(odd);
    w.browseButton()->click();
    EXPECT_EQ(Str(w.sourceLabel()->text()), "a\\x0Ab.spm");
}

// Channels to leave out are named and remembered; a fit that describes the spectrum poorly
// is shown as such, and Apply and Save ask before they use it.
TEST_F(CalibrationWindowUi, LeftOutChannelsAndPoorFits)
{
    Start();
    OpenViaDialog(CopySample("ha1001-fe-foil.spm"));
    CalibrationWindow& w = Window();
    w.excludeEdit()->setText("0,511");
    Q_EMIT w.excludeEdit()->textEdited(w.excludeEdit()->text());
    EXPECT_FALSE(w.Fit().has_value()) << "a new choice waits for Fit";
    w.fitButton()->click();
    ASSERT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
    EXPECT_EQ(w.Fit()->result.excluded.size(), 2u);
    EXPECT_THAT(Str(w.notesLabel()->text()),
                HasSubstr("Channels left out of the fit: 0 (asked for), 511 (asked for)"));
    w.excludeEdit()->setText("0-");
    Q_EMIT w.excludeEdit()->textEdited(w.excludeEdit()->text());
    EXPECT_THAT(Str(w.entryErrorLabel()->text()), HasSubstr("Leave out channels: expected"));

    // The third line 0.1 mm/s off the iron pattern: the fit converges, but poorly.
    w.excludeEdit()->clear();
    Q_EMIT w.excludeEdit()->textEdited(QString());
    w.linesTable()->item(2, 0)->setText("-0.7385");
    w.fitButton()->click();
    ASSERT_TRUE(w.Fit().has_value()) << Str(w.Refusal());
    EXPECT_TRUE(w.Fit()->result.poorFit);
    EXPECT_THAT(Str(w.notesLabel()->text()), HasSubstr("Poor fit: "));
    const std::vector<std::string> before = CalibrationFields();
    platform_.QueueQuestion(false);
    w.applyButton()->click();
    EXPECT_EQ(CalibrationFields(), before) << "No keeps the header";
    ASSERT_EQ(platform_.questions.size(), 1);
    EXPECT_THAT(Str(platform_.questions[0]), HasSubstr("describes the spectrum poorly"));
    platform_.QueueQuestion(true);
    w.applyButton()->click();
    EXPECT_NE(CalibrationFields(), before);
    w.excludeEdit()->setText("3-5");
    Q_EMIT w.excludeEdit()->textEdited(w.excludeEdit()->text());
    Stop();

    Start();
    EXPECT_EQ(Window().excludeEdit()->text(), "3-5");
}

} // namespace
} // namespace trv::test
