#pragma once

// A main window started in a fresh temporary AppDir (the current folder) with scripted dialogs
// and a fake shell, as the scenario tests of the main window need it.

#include "app/Start.h"
#include "platform/os/HelpRouter.h"
#include "platform/os/Shell.h"
#include "platform/table/Table.h"
#include "platform/ui/Application.h"
#include "platform/ui/ScriptedDialogs.h"
#include "storage/Service.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class StartFixture
{
public:
    StartFixture()
    {
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        AppDir.clear();
        ProjectsDir.clear();
        ProjectDir.clear();
        ProjectFile.clear();
        CountryCode.clear();
        Application::setTitle(QStringLiteral("Ferngrove"));
        setShell(&shell);
        if (!dmService)
            dmService = new TdmService(QCoreApplication::instance());
    }
    ~StartFixture()
    {
        window.reset();
        setShell(nullptr);
        QDir::setCurrent(m_oldCwd);
    }
    StartFixture(const StartFixture&) = delete;
    StartFixture& operator=(const StartFixture&) = delete;

    QString appDir() const { return m_dir.path(); }
    QString projects() const { return m_dir.filePath(QStringLiteral("Projects")); }
    QString projectPath(const QString& name) const { return projects() + QLatin1Char('/') + name; }
    bool makeProjectsFolder() const { return QDir(m_dir.path()).mkdir(QStringLiteral("Projects")); }

    // Creates and shows the main window (its creation handler runs now).
    TfmStart* start()
    {
        window = std::make_unique<TfmStart>();
        window->show();
        return window.get();
    }

    static bool writeFile(const QString& path, const QByteArray& content = QByteArrayLiteral("x"))
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
    }
    static bool writeBitmap(const QString& path, QSize size)
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        return picture.save(path, "BMP");
    }
    static bool projectFilesExist(const QString& folder, const QString& base)
    {
        const QDir d(folder);
        return d.exists(base + QStringLiteral(".dat")) && d.exists(base + QStringLiteral(".idx"))
               && d.exists(base + QStringLiteral(".blb"));
    }
    // Rows of the project table in folder; opens and closes it.
    static int rowCount(const QString& folder, const QString& fileName)
    {
        Table table;
        table.setDatabaseName(folder);
        table.setTableName(fileName);
        table.open();
        const int n = table.recordCount();
        table.close();
        return n;
    }
    static void addEvent(const QString& folder, const QString& fileName, const QString& event)
    {
        Table table;
        table.setDatabaseName(folder);
        table.setTableName(fileName);
        table.open();
        table.append();
        table.fieldByName(QStringLiteral("Event")).setAsString(event);
        table.post();
        table.close();
    }

    ScriptedDialogs dialogs;
    FakeShell shell;
    std::unique_ptr<TfmStart> window;

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
};
