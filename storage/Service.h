#pragma once

#include <QObject>
#include <QString>

class Table;

// Process-wide values of the shell, all empty at start. AppDir, ProjectsDir and CountryCode
// are set when the main window is created; ProjectDir and ProjectFile by "Open project" and
// "New project"; OutputMode by the scheduling window's Print menu.
extern QString AppDir;
extern QString ProjectsDir;
extern QString ProjectDir;  // folder of the current project; empty: none chosen
extern QString ProjectFile; // the current project's data file name, with ".dat"
extern QString CountryCode;
extern QString OutputMode;  // "Paper" or "Pdf"

// Re-reads the fifteen regional format settings from the user's locale (through the
// LocaleInfo in force). Always true.
bool ReloadFormatSettings();
// Adapts a date format for calendars that count years in eras.
QString ConvertDateFormat(const QString& format);
// The user's two-letter country code ("US", "SE"); two zero characters when unknown.
QString GetCountryCode();
// The text before the last occurrence of Mark; Text whole when Mark (one character) is absent.
QString CutAtLastChar(const QString& text, const QString& mark);
// Starts a program through the platform shell. Above 32: started; 32 or less: failed.
int RunProgram(const QString& fileName, const QString& parameters, const QString& directory, int showCommand);

// The data module: lives once for the whole run, holds the table component used only to
// create project tables.
class TdmService : public QObject
{
    Q_OBJECT
public:
    explicit TdmService(QObject* parent = nullptr);
    ~TdmService() override;

    Table* dbBase;

    // Creates the empty project table FileName (with ".dat") in Folder. True, or the engine's
    // error is raised ("The table '%s' already exists", a missing or read-only folder).
    bool CreateProjectTable(const QString& folder, const QString& fileName);
};

extern TdmService* dmService;
