#include "Start.h"

#include "platform/os/LocaleInfo.h"
#include "platform/ui/Application.h"
#include "storage/Service.h"

int main(int argc, char** argv)
{
    Application app(argc, argv);
    Application::setTitle(QStringLiteral("Ferngrove"));
    Application::setHelpFile(QString()); // help requests go to the main window's help router
    initFormatSettingsFromLocale();
    dmService = new TdmService(&app);
    fmStart = new TfmStart;
    fmStart->setAttribute(Qt::WA_DeleteOnClose);
    fmStart->show();
    return app.exec();
}
