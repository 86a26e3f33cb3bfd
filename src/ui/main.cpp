#include "platform/SettingsStore.h"
#include "ui/Icons.h"
#include "ui/QtPlatform.h"
#include "ui/windows/MainWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: trevandel [FILE.spm]\n"
    "Opens the Trevandel window; with FILE.spm, opens that spectrum as Files > Open spm would.\n"
    "Qt's own options (-platform NAME, ...) are accepted as well.\n";

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Without a display Qt aborts with a page about plugins; one line that says what to do serves
// better, and is checked before QApplication exists because that is where Qt aborts.
bool NoDisplay(int argc, char* argv[])
{
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-platform" || arg == "--platform") return false;
    }
    return true;
}

// The program's own arguments once Qt has taken its options out: an empty string when none is
// given, the one file otherwise; exits with status 2 on anything else.
QString FileArgument(QStringList args)
{
    args.removeFirst();
    QString file;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == "--") {
            options = false;
            continue;
        }
        if (options && arg.startsWith('-') && arg != "-") {
            std::fprintf(stderr, "trevandel: unknown option '%s'\n%s", qPrintable(arg), kUsage);
            std::exit(2);
        }
        if (!file.isEmpty()) {
            std::fprintf(stderr, "trevandel: only one file can be opened\n%s", kUsage);
            std::exit(2);
        }
        file = arg;
    }
    return file;
}

} // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("trevandel " TRV_VERSION);
            return 0;
        }
    }
    if (NoDisplay(argc, argv)) {
        std::fputs("trevandel: no display (DISPLAY/WAYLAND_DISPLAY unset): run it in a desktop "
                   "session, or set QT_QPA_PLATFORM=vnc and reach the window through a VNC viewer "
                   "on port 5900\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Trevandel");
    QApplication::setOrganizationName("Brolleck");
    QApplication::setWindowIcon(trv::ApplicationIcon());
    // Made absolute now: the window moves to the remembered folder as it starts.
    QString file = FileArgument(QApplication::arguments());
    if (!file.isEmpty()) file = QFileInfo(file).absoluteFilePath();

    trv::QtPlatform platform;
    trv::MainWindow form(platform,
                         std::make_unique<trv::SettingsStore>(trv::SettingsStore::DefaultPath()),
                         trv::LocaleFormats::System());
    form.showMaximized();
    if (!file.isEmpty()) {
        QTimer::singleShot(0, &form, [&form, file] { form.OpenGivenFile(file); });
    }
    return QApplication::exec();
}
