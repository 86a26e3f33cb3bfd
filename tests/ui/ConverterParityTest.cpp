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

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <map>
#include <string>
#include <vector>

namespace trv::test {
namespace {

constexpr const char* kFoil = "ha1001-fe-foil.spm";     // PCA2, 1024 channels
constexpr const char* kDoublet = "ha1002-doublet.spm";  // PCA2, 512 channels
constexpr const char* kSteel = "hb2001-steel-pca3.spm"; // PCA3
constexpr const char* kCal = "velocity-512.cal";

struct ParityCase {
    const char* sample;
    std::vector<std::string> options; // everything but --ascii, --plot and --output-dir
    const char* axis = "velocity";    // the ASCII table's x axis
    int width = 320;
    int height = 240;
};

void PrintTo(const ParityCase& c, std::ostream* os)
{
    *os << c.sample;
    for (const std::string& o : c.options)
        *os << ' ' << o;
    *os << " --ascii " << c.axis << " --plot " << c.width << 'x' << c.height;
}

const ParityCase kCases[] = {
    {kFoil, {}},
    {kDoublet, {}, "channel"},
    {kSteel, {}},
    // The folding channel and the margins that follow it.
    {kFoil, {"--fold-channel", "515"}},
    {kFoil, {"--fold-channel", "490"}, "channel"},
    {kFoil, {"--fold-channel", "600"}},
    {kFoil, {"--fold-channel", "0"}},
    {kFoil, {"--fold-channel", "1023"}},
    {kFoil, {"--fold-channel", "5000", "--scale", "2000"}},
    {kFoil, {"--mean-width", "0", "--fold-channel", "-7"}},
    {kDoublet, {"--fold-channel", "250"}},
    {kDoublet, {"--fold-channel", "300"}},
    {kFoil, {"--fold-channel", "515", "--fold-channel", "515"}},
    {kFoil, {"--fold-channel", "530", "--fold-channel", "505"}},
    // Scale, folding, error lines and mean.
    {kFoil, {"--scale", "300"}},
    {kFoil, {"--scale", "1000"}, "channel"},
    {kFoil, {"--no-fold"}},
    {kDoublet, {"--no-fold"}},
    {kFoil, {"--no-fold", "--no-fold"}},
    {kFoil, {"--no-fold", "--scale", "250"}},
    {kFoil, {"--mean-width", "5"}},
    {kFoil, {"--mean-width", "1", "--mean-width", "20"}},
    {kFoil, {"--no-error-lines"}},
    {kFoil, {"--no-mean"}},
    {kDoublet, {"--no-error-lines", "--no-mean", "--mean-width", "7"}},
    // Save-as modes, the calibration file and the header fields.
    {kFoil, {"--mode", "1024"}},
    {kFoil, {"--mode", "1024"}, "channel"},
    {kFoil, {"--mode", "add"}},
    {kFoil, {"--mode", "mean"}},
    {kSteel, {"--mode", "mean"}, "channel"},
    {kFoil, {"--cal", kCal}},
    {kFoil, {"--mode", "1024", "--cal", kCal}},
    {kFoil, {"--serial", "HB2002", "--description", "Iron foil, room temperature"}},
    {kFoil, {"--zero-speed", "255.50", "--calibration", "0.04567"}},
    {kDoublet, {"--bfield", "5.5T", "--temperature", "295 K"}},
    {kFoil, {"--no-guess"}},
    {kFoil, {"--no-guess", "--serial", "HC0042", "--zero-speed", "300.25"}, "channel"},
    {kFoil, {"--description", "first", "--description", "second"}},
    // Combinations.
    {kSteel, {"--mode", "mean", "--fold-channel", "500", "--no-error-lines"}},
    {kFoil,
     {"--mode", "mean", "--cal", kCal, "--serial", "HA7777", "--fold-channel", "530", "--scale",
      "400", "--mean-width", "3", "--no-mean"}},
    {kFoil,
     {"--no-fold", "--fold-channel", "520", "--calibration", "0.01234", "--no-error-lines"},
     "velocity",
     640,
     480},
    {kDoublet,
     {"--fold-channel", "270", "--mode", "add", "--zero-speed", "128.75"},
     "velocity",
     200,
     150},
};

// The options the converter takes as steps, in their order.
struct Plan {
    bool noGuess = false;
    int mode = -1;
    QString cal;
    std::vector<std::pair<std::string, std::string>> fields;  // option, value
    std::vector<std::pair<std::string, std::string>> graphic; // option, value
};

Plan MakePlan(const std::vector<std::string>& options)
{
    static const std::map<std::string, int> kModes = {{"1024", 0}, {"add", 1}, {"mean", 2}};
    Plan plan;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& o = options[i];
        if (o == "--no-guess") {
            plan.noGuess = true;
        }
        else if (o == "--no-fold" || o == "--no-error-lines" || o == "--no-mean") {
            plan.graphic.emplace_back(o, "");
        }
        else if (o == "--fold-channel" || o == "--scale" || o == "--mean-width") {
            plan.graphic.emplace_back(o, options.at(++i));
        }
        else if (o == "--mode") {
            plan.mode = kModes.at(options.at(++i));
        }
        else if (o == "--cal") {
            plan.cal = QString::fromStdString(options.at(++i));
        }
        else {
            plan.fields.emplace_back(o, options.at(++i));
        }
    }
    return plan;
}

class ConverterParity : public UiTest, public ::testing::WithParamInterface<ParityCase> {
  protected:
    QString Sample(const char* name) const { return QString(TRV_SOURCE_DIR "/samples/") + name; }

    // The converter on the sample, writing into out/.
    void RunConverter(const ParityCase& c, const QString& input, const QString& out)
    {
        QStringList args;
        for (const std::string& o : c.options)
            args << (o == kCal ? Sample(kCal) : QString::fromStdString(o));
        args << "--ascii" << c.axis << "--plot" << QString("%1x%2").arg(c.width).arg(c.height)
             << "--output-dir" << out << input;
        QProcess converter;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C.UTF-8"); // the window's fixed formats: '.' as decimal point
        converter.setProcessEnvironment(env);
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

    // A number in range is typed; past an end of the range the user clicks the arrow until
    // it stops there, as the converter takes such a number.
    void SetNumber(QLineEdit* field, UpDown* arrows, const std::string& value)
    {
        const long wanted = std::stol(value);
        if (wanted >= arrows->Min() && wanted <= arrows->Max()) return TypeInto(field, value);
        const bool up = wanted > arrows->Max();
        auto* arrow = arrows->findChild<QToolButton*>(up ? "up" : "down");
        ASSERT_NE(arrow, nullptr);
        for (int clicks = 0; clicks < 5000; ++clicks) {
            const int before = arrows->Position();
            arrow->click();
            if (arrows->Position() == before) break;
        }
        EXPECT_EQ(arrows->Position(), up ? arrows->Max() : arrows->Min());
    }

    void UntickIfTicked(QCheckBox* box)
    {
        if (box->isChecked()) box->click();
    }

    // The same steps by hand in a fresh window; its files go into win/.
    void RunWindow(const ParityCase& c, const Plan& plan, const QString& input, const QString& out)
    {
        MainWindow& f = Start();
        f.resize(1500, 1300);
        f.previewImage()->setFixedSize(c.width, c.height); // the preview as large as --plot asks
        ShowActive();
        platform_.messages.clear();

        if (plan.noGuess) f.guessExpDataBox()->click();
        OpenViaDialog(input);
        if (plan.mode >= 0) ChooseSaveAsMode(plan.mode);
        if (!plan.cal.isEmpty()) {
            platform_.QueueOpen(Sample(kCal));
            f.loadHeaderAction()->trigger();
        }
        const std::map<std::string, QLineEdit*> fields = {
            {"--serial", f.serialEdit()},        {"--description", f.descriptionEdit()},
            {"--bfield", f.bFieldEdit()},        {"--temperature", f.temperatureEdit()},
            {"--zero-speed", f.zeroSpeedEdit()}, {"--calibration", f.calibrationEdit()}};
        for (const auto& [option, value] : plan.fields)
            TypeInto(fields.at(option), value);
        for (const auto& [option, value] : plan.graphic) {
            if (option == "--fold-channel") SetNumber(f.plotFoldEdit(), f.plotFoldSpin(), value);
            if (option == "--scale") SetNumber(f.scaleEdit(), f.scaleSpin(), value);
            if (option == "--mean-width") SetNumber(f.meanWidthEdit(), f.meanWidthSpin(), value);
            if (option == "--no-fold") UntickIfTicked(f.foldedBox());
            if (option == "--no-error-lines") UntickIfTicked(f.errorLinesBox());
            if (option == "--no-mean") UntickIfTicked(f.drawMeanBox());
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
    ASSERT_TRUE(QFile::copy(Sample(c.sample), input));

    RunConverter(c, input, Work("cli"));
    RunWindow(c, MakePlan(c.options), input, Work("win"));

    const QString name = QFileInfo(input).completeBaseName();
    for (const char* ext : {".exp", ".txt", ".bmp"}) {
        const std::string converted = ReadBytes(Work("cli/") + name + ext);
        const std::string saved = ReadBytes(Work("win/") + name + ext);
        EXPECT_FALSE(converted.starts_with("<missing")) << converted;
        EXPECT_TRUE(converted == saved) << "the " << ext << " files differ";
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, ConverterParity, ::testing::ValuesIn(kCases));

} // namespace
} // namespace trv::test
