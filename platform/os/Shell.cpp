#include "Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

Shell::~Shell() = default;

namespace {
Shell* g_override = nullptr;

// Viewers tried, in this order, when the desktop names no PDF application.
const char* const knownPdfViewers[] = {"evince", "okular", "atril", "qpdfview", "zathura", "mupdf", "xpdf"};

QString resolvedPath(const QString& path, const QString& directory)
{
    if (QFileInfo(path).isAbsolute() || directory.isEmpty())
        return QFileInfo(path).absoluteFilePath();
    return QFileInfo(QDir(directory), path).absoluteFilePath();
}
} // namespace

Shell& shell()
{
    if (g_override)
        return *g_override;
    static LinuxShell linuxShell;
    return linuxShell;
}

void setShell(Shell* instance)
{
    g_override = instance;
}

QString LinuxShell::findProgram(const QString& name) const
{
    if (name.isEmpty())
        return {};
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty() && name != name.toLower())
        path = QStandardPaths::findExecutable(name.toLower()); // Windows names ignore letter case
    return path;
}

bool LinuxShell::isPdfReaderName(const QString& fileName)
{
    QString name = fileName;
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name.compare(QLatin1String("Acrord32"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("Acrobat"), Qt::CaseInsensitive) == 0;
}

QStringList LinuxShell::splitParameters(const QString& parameters, const QString& directory)
{
    if (parameters.trimmed().isEmpty())
        return {};
    // A file path with blanks in it (a PDF in "My documents") must stay one argument.
    if (QFileInfo::exists(resolvedPath(parameters, directory)))
        return {parameters};
    return QProcess::splitCommand(parameters);
}

int LinuxShell::execute(const QString& fileName, const QString& parameters, const QString& directory,
                        int /*showCommand*/)
{
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return ShellResult::PathNotFound;
    if (fileName.trimmed().isEmpty())
        return ShellResult::FileNotFound;
    const QStringList arguments = splitParameters(parameters, directory);

    if (fileName.contains(QLatin1Char('/'))) {
        const QString path = resolvedPath(fileName, directory);
        const QFileInfo info(path);
        if (!info.exists())
            return ShellResult::FileNotFound;
        if (info.isFile() && info.isExecutable())
            return startDetached(path, arguments, directory);
        return openDocument(path, directory);
    }
    const QString program = findProgram(fileName);
    if (!program.isEmpty())
        return startDetached(program, arguments, directory);
    if (isPdfReaderName(fileName))
        return startPdfViewer(arguments, directory);
    return ShellResult::FileNotFound;
}

int LinuxShell::startDetached(const QString& program, const QStringList& arguments, const QString& directory)
{
    return QProcess::startDetached(program, arguments, directory) ? int(ShellResult::Started)
                                                                  : int(ShellResult::OutOfResources);
}

int LinuxShell::startPdfViewer(const QStringList& arguments, const QString& directory)
{
    // The application the desktop has registered for PDF files, through xdg-open; it needs the
    // file itself as its one argument.
    const QString query = findProgram(QStringLiteral("xdg-mime"));
    const QString opener = findProgram(QStringLiteral("xdg-open"));
    if (!query.isEmpty() && !opener.isEmpty() && arguments.size() == 1 &&
        QFileInfo::exists(resolvedPath(arguments.first(), directory))) {
        QProcess process;
        process.start(
            query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/pdf")});
        if (process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0 && !process.readAllStandardOutput().trimmed().isEmpty())
            return startDetached(opener, arguments, directory);
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(1000);
        }
    }
    for (const char* viewer : knownPdfViewers) {
        const QString program = findProgram(QString::fromLatin1(viewer));
        if (!program.isEmpty())
            return startDetached(program, arguments, directory);
    }
    return ShellResult::FileNotFound;
}

int LinuxShell::openDocument(const QString& path, const QString& directory)
{
    const QString opener = findProgram(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return ShellResult::NoAssociation;
    return startDetached(opener, {path}, directory);
}

int FakeShell::execute(const QString& fileName, const QString& parameters, const QString& directory,
                       int showCommand)
{
    m_calls.append({fileName, parameters, directory, showCommand});
    return m_results.value(fileName.toLower(), m_defaultResult);
}
