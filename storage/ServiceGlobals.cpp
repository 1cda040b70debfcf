#include "Service.h"

QString AppDir;
QString ProjectsDir;
QString ProjectDir;
QString ProjectFile;
QString CountryCode;
QString OutputMode;

TdmService* dmService = nullptr;
