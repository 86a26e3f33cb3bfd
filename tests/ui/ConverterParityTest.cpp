// The converter against the window: each option sequence is run through the built
// trevandel-convert and done by hand in a fresh main window (open, choose, paste, click, save),
// and the EXP file, the ASCII table and the preview bitmap must be the same bytes. A rule
// changed on one side only shows up here.
#include "ModalScript.h"
#include "UiTestSupport.h"

#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/AsciiExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace trv::test {
namespace {

constexpr const char* kFoil = "ha1001-fe-foil.spm";     // PCA2, 1024 channels
constexpr const char* kDoublet = "ha1002-doublet.spm";  // PCA2, 512 channels
constexpr const char* kSteel = "hb2001-steel-pca3.spm"; // PCA3
struct ParityCase {
    const char* sample;
    // Everything but --ascii, --plot and --output-dir, in the order the converter takes its
    // steps: --no-guess, --mode, --cal, the header fields, then the plot's.
    std::vector<std::string> options;
    const char* axis = "velocity"; // the ASCII table's x axis
    int width = 320;
    int height = 240;
};

const std::string kCal = "--cal=" TRV_SOURCE_DIR "/samples/velocity-512.cal";

const ParityCase kCases[] = {
    {kFoil, {}},
    {kDoublet, {}, "channel"},
    {kSteel, {}},
    // The folding channel at the last channel, then the other controls.
    {kFoil, {"--fold-channel=1023"}},
    {kFoil, {"--scale=300"}, "channel"},
    {kFoil, {"--mean-width=5"}},
    {kFoil, {"--no-fold"}},
    {kDoublet, {"--no-error-lines", "--no-mean"}},
    // A save-as mode, the calibration file and the header fields, typed or not guessed.
    {kSteel, {"--mode=mean"}, "channel"},
    {kFoil, {kCal}},
    {kFoil,
     {"--serial=HB2002", "--description=Iron foil, room temperature", "--bfield=5.5T",
      "--temperature=295 K", "--zero-speed=255.50", "--calibration=0.04567"}},
    {kFoil, {"--no-guess", "--serial=HC0042", "--zero-speed=300.25"}, "channel"},
    // A combination, with a smaller plot.
    {kDoublet, {"--mode=add", "--zero-speed=128.75", "--fold-channel=270"}, "velocity", 200, 150},
};

class ConverterParity : public UiTest, public ::testing::WithParamInterface<ParityCase> {
  protected:
    // The converter on the sample, writing into out/ (in the C.UTF-8 locale the test program
    // runs in, as the window's fixed formats: '.' as the decimal point).
    void RunConverter(const ParityCase& c, const QString& input, const QString& out)
    {
        QStringList args;
        for (const std::string& o : c.options)
            args << QString::fromStdString(o);
        args << "--ascii" << c.axis << "--plot" << QString("%1x%2").arg(c.width).arg(c.height)
             << "--output-dir" << out << input;
        QProcess converter;
        converter.start(TRV_CONVERT_EXE, args);
        ASSERT_TRUE(converter.waitForFinished(60000)) << "the converter did not finish";
        ASSERT_EQ(converter.exitCode(), 0) << converter.readAllStandardError().toStdString();
    }

    // What the user does to put a text into a field: select what it holds and type it over,
    // key by key, the fixed characters of a masked field ("H" of a serial) included.
    void TypeInto(QLineEdit* field, const std::string& keys)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromStdString(keys));
    }

    // The same steps by hand in a fresh window; its files go into out/.
    void RunWindow(const ParityCase& c, const QString& input, const QString& out)
    {
        MainWindow& f = Start();
        f.resize(1500, 1300);
        f.previewImage()->setFixedSize(c.width, c.height); // the preview as large as --plot asks
        ShowActive();

        const std::map<std::string, QLineEdit*> fields = {
            {"--serial", f.serialEdit()},         {"--description", f.descriptionEdit()},
            {"--bfield", f.bFieldEdit()},         {"--temperature", f.temperatureEdit()},
            {"--zero-speed", f.zeroSpeedEdit()},  {"--calibration", f.calibrationEdit()},
            {"--fold-channel", f.plotFoldEdit()}, {"--scale", f.scaleEdit()},
            {"--mean-width", f.meanWidthEdit()}};
        const std::map<std::string, QCheckBox*> boxes = {{"--no-fold", f.foldedBox()},
                                                         {"--no-error-lines", f.errorLinesBox()},
                                                         {"--no-mean", f.drawMeanBox()}};
        const std::map<std::string, int> modes = {{"1024", 0}, {"add", 1}, {"mean", 2}};
        if (!c.options.empty() && c.options.front() == "--no-guess") f.guessExpDataBox()->click();
        OpenViaDialog(input);
        for (const std::string& o : c.options) {
            const std::string option = o.substr(0, o.find('='));
            const std::string value = o.substr(std::min(o.size(), option.size() + 1));
            if (option == "--mode") ChooseSaveAsMode(modes.at(value));
            if (option == "--cal") {
                platform_.QueueOpen(QString::fromStdString(value));
                f.loadHeaderAction()->trigger();
            }
            if (fields.count(option)) TypeInto(fields.at(option), value);
            if (boxes.count(option) && boxes.at(option)->isChecked()) boxes.at(option)->click();
        }
        // Preview off and on again draws what the controls hold now (the mean width waits).
        f.previewBox()->click();
        f.previewBox()->click();
        const QString base = out + "/" + QFileInfo(input).completeBaseName();
        platform_.QueueSave(base + ".exp");
        f.saveAsAction()->trigger();

        platform_.QueueSave(base + ".txt", 1);
        const int axis = std::string(c.axis) == "channel" ? 0 : 1;
        OnModal<AsciiExportDialog> options([&](AsciiExportDialog& d) {
            QTest::mouseClick(d.xAxisGroup()->Item(axis), Qt::LeftButton);
            // The channel mode the converter takes from the save-as mode; the window asks
            // for it here (a 512-channel spectrum has only its own channels).
            QTest::mouseClick(d.channelsGroup()->Item(f.SaveAsMode()), Qt::LeftButton);
            d.saveButton()->click();
        });
        f.saveAsciiAction()->trigger();
        ASSERT_TRUE(options.Ran()) << "the ASCII options never came up";

        platform_.QueueSave(base + ".bmp");
        f.saveBitmapAction()->trigger();
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
    }
};

TEST_P(ConverterParity, WritesTheSameFilesAsTheWindow)
{
    const ParityCase& c = GetParam();
    ASSERT_TRUE(QDir(Work()).mkpath("in") && QDir(Work()).mkpath("cli") &&
                QDir(Work()).mkpath("win"));
    // One absolute input path for both: the plot's labels show it.
    const QString input = Work("in/") + c.sample;
    ASSERT_TRUE(QFile::copy(QString(TRV_SOURCE_DIR "/samples/") + c.sample, input));

    RunConverter(c, input, Work("cli"));
    RunWindow(c, input, Work("win"));

    const QString name = QFileInfo(input).completeBaseName();
    for (const char* ext : {".exp", ".txt", ".bmp"}) {
        const std::string converted = ReadBytes(Work("cli/") + name + ext);
        EXPECT_FALSE(converted.starts_with("<missing")) << converted;
        EXPECT_TRUE(converted == ReadBytes(Work("win/") + name + ext))
            << "the " << ext << " files differ";
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, ConverterParity, ::testing::ValuesIn(kCases));

} // namespace
} // namespace trv::test
