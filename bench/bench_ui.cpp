// The main window's own costs: opening a spectrum with its data grid, and redrawing the preview
// at screen sizes. Runs on Qt's offscreen platform, so no display is needed.
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr const char* kSample1024 = TRV_SAMPLES_DIR "/ha1001-fe-foil.spm";

// Nobody answers: dialogs are cancelled, message boxes vanish.
class SilentPlatform : public trv::Platform {
  public:
    std::optional<trv::FileDialogResult> OpenFileDialog(const trv::FileDialogRequest&) override
    {
        return std::nullopt;
    }
    std::optional<trv::FileDialogResult> SaveFileDialog(const trv::FileDialogRequest&) override
    {
        return std::nullopt;
    }
    void MessageBox(const QString&) override {}
    void ErrorBox(const QString& text) override { lastError = text; }
    bool Question(const QString&) override { return false; }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    void ShellOpen(const QString&) override {}
    void PrintWidget(QWidget*) override {}
    void ProcessEvents() override {}

    QString lastError;
};

// A configuration folder of its own with the settings a returning user has, so the window
// starts as it does on every start after the first.
struct Environment {
    QTemporaryDir dir;
    SilentPlatform platform;

    Environment()
    {
        QDir(dir.path()).mkpath("config/trevandel");
        QFile settings(dir.path() + "/config/trevandel/settings.reg");
        if (settings.open(QIODevice::WriteOnly)) {
            settings.write("[\\SoftWare\\Brolleck\\]\n\"InitialDir\"=\"" +
                           QFile::encodeName(QDir::currentPath()) + "\"\n");
        }
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
    }

    std::unique_ptr<trv::MainWindow> NewWindow()
    {
        return std::make_unique<trv::MainWindow>(
            platform, std::make_unique<trv::SettingsStore>(trv::SettingsStore::DefaultPath()),
            trv::LocaleFormats::Fixed());
    }
};

Environment& Env()
{
    static Environment env;
    return env;
}

// The open as the user sees it after the dialog: read, parse, labels, guessed header and scale,
// the preview at the image's size and, with "Show data" ticked, the grid of 1025 rows. The
// window is shown at 1280x1024; with painted=1 the time includes handling the events the open
// leaves behind (layout and repaint of the window).
void BM_OpenSpectrum(benchmark::State& state)
{
    const bool showData = state.range(0) != 0;
    const bool painted = state.range(1) != 0;
    auto form = Env().NewWindow();
    form->resize(1280, 1024);
    form->show();
    QApplication::processEvents();
    form->showDataBox()->setChecked(showData);
    const QString path = QString::fromUtf8(kSample1024);
    for (auto _ : state) {
        form->OpenSpectrumFile(path);
        if (painted) QApplication::processEvents();
    }
    if (form->SpectrumName().isEmpty() || (showData && form->GridRowCount() != 1025))
        state.SkipWithError("the open did not load the 1024-channel sample with its grid");
    state.counters["grid_rows"] = form->GridRowCount();
    state.counters["image_w"] = form->previewImage()->width();
    state.counters["image_h"] = form->previewImage()->height();
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// One redraw of the preview through the main window until the picture is on the screen
// (PreparePlot, DrawPlot, and the repaint of the image control in the shown window) with the
// image control sized width x height.
void BM_RedrawPreview(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    auto form = Env().NewWindow();
    form->OpenSpectrumFile(QString::fromUtf8(kSample1024));
    form->previewImage()->setFixedSize(width, height); // the window grows to hold it
    form->show();
    QApplication::processEvents();
    if (form->previewImage()->width() != width || form->previewImage()->height() != height) {
        state.SkipWithError("the preview image did not take the asked size");
        return;
    }
    QWidget* shown = form->previewImage();
    QApplication::processEvents();
    if (shown->width() != width || shown->height() != height || !shown->isVisible()) {
        state.SkipWithError("the shown image did not take the asked size");
        return;
    }
    PaintCounter counter(shown);
    for (auto _ : state) {
        form->RedrawPreview();
        QApplication::processEvents(); // the repaint
    }
    if (form->previewImage()->Bitmap().width() != width ||
        form->previewImage()->Bitmap().height() != height)
        state.SkipWithError("the preview bitmap has another size");
    else if (counter.paints < state.iterations())
        state.SkipWithError("the preview was not repainted after every drawing");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

} // namespace

BENCHMARK(BM_OpenSpectrum)
    ->ArgNames({"show_data", "painted"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RedrawPreview)
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The offscreen platform says on every shown window that it cannot pass size hints on.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("propagateSizeHints"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

int main(int argc, char** argv)
{
    // The window needs a QApplication, but no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime; // Qt asks for a private runtime folder
        setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    }
    qInstallMessageHandler(QuietMessages);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trevandel-bench");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
