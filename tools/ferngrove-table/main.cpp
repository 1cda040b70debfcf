#include "TableCli.h"

#include "platform/os/LocaleInfo.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    initFormatSettingsFromLocale(); // filter expressions read dates in the user's short date format
    QFile out, err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly))
        return 1;
    return runTableCli(app.arguments().mid(1), out, err);
}
