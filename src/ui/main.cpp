#include "platform/AppError.h"
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
#include <cstring>
#include <string>
#include <string_view>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

// Whether something listens on the local socket at path; abstract sockets start with '@'.
bool Listens(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    socklen_t length = sizeof address.sun_family + static_cast<socklen_t>(path.size());
    if (path[0] == '@') address.sun_path[0] = '\0';
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return ok;
}

// Whether the X server that DISPLAY names answers. Only local displays (":N", ":N.S",
// "unix:N") are tried; a display on another host is left for Qt to reach.
bool XDisplayAnswers(std::string_view display)
{
    if (display.starts_with("unix:")) display.remove_prefix(4);
    if (!display.starts_with(':')) return true;
    const std::string number(display.substr(1, display.find('.') - 1));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return true;
    return Listens("@/tmp/.X11-unix/X" + number) || Listens("/tmp/.X11-unix/X" + number);
}

// Whether the Wayland compositor that WAYLAND_DISPLAY names answers.
bool WaylandAnswers(const std::string& display)
{
    if (display.starts_with('/')) return Listens(display);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && Listens(std::string(runtime) + "/" + display);
}

// Without a display Qt aborts with a page about plugins; one line that says what to do serves
// better, and is checked before QApplication exists because that is where Qt aborts. A display
// that is named but does not answer (no server there) counts as none. Empty when there is one.
std::string WhyNoDisplay(int argc, char* argv[])
{
    if (IsSet("QT_QPA_PLATFORM")) return {};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-platform" || arg == "--platform") return {};
    }
    const bool x = IsSet("DISPLAY");
    const bool wayland = IsSet("WAYLAND_DISPLAY");
    if (!x && !wayland) return "DISPLAY/WAYLAND_DISPLAY unset";
    if (x && XDisplayAnswers(std::getenv("DISPLAY"))) return {};
    if (wayland && WaylandAnswers(std::getenv("WAYLAND_DISPLAY"))) return {};
    std::string named;
    if (x) named = std::string("DISPLAY=") + std::getenv("DISPLAY");
    if (wayland)
        named += (named.empty() ? "" : ", ") + std::string("WAYLAND_DISPLAY=") +
                 std::getenv("WAYLAND_DISPLAY");
    return named + " does not answer";
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
    if (const std::string why = WhyNoDisplay(argc, argv); !why.empty()) {
        std::fprintf(stderr,
                     "trevandel: no display (%s): run it in a desktop session, or set "
                     "QT_QPA_PLATFORM=vnc and reach the window through a VNC viewer on port "
                     "5900\n",
                     trv::EscapeControlBytes(why).c_str());
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
