#include "platform/SettingsStore.h"
#include "ui/Icons.h"
#include "ui/QtPlatform.h"
#include "ui/TForm1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trevandel");
    QApplication::setOrganizationName("Brolleck");
    QApplication::setWindowIcon(trv::ApplicationIcon());
    trv::QtPlatform platform;
    trv::TForm1 form(platform,
                     std::make_unique<trv::SettingsStore>(trv::SettingsStore::DefaultPath()),
                     trv::LocaleFormats::System());
    form.showMaximized();
    return QApplication::exec();
}
