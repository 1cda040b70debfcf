#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Result codes of Shell::execute, as the Windows shell numbers them: above 32 means started.
namespace ShellResult {
enum : int
{
    OutOfResources = 0, // the program was found but could not be started
    FileNotFound = 2,
    PathNotFound = 3,   // the working folder does not exist
    NoAssociation = 31, // a document that no installed program opens
    Started = 42,
};
} // namespace ShellResult

// Show states a caller may pass (the window state of the started program).
namespace ShowCommand {
enum : int
{
    Hide = 0,
    ShowNormal = 1,
    ShowMinimized = 2,
    ShowMaximized = 3
};
}

// Starts another program, or opens a document with its program, the way the desktop does.
class Shell
{
public:
    virtual ~Shell();
    // Starts fileName (a program name looked up on the search path, or a path) with the
    // parameters in the folder directory (empty: the current one). Above 32: started.
    virtual int execute(const QString& fileName, const QString& parameters, const QString& directory,
                        int showCommand) = 0;
    // The path of a program of that name on the search path; empty when there is none.
    virtual QString findProgram(const QString& name) const = 0;
};

// The instance in force; by default the Linux one.
Shell& shell();
// Puts another instance in force (not owned); nullptr goes back to the default.
void setShell(Shell* instance);

// Starts programs detached, found on PATH. A parameter text that names an existing file is
// passed as one argument, anything else is split like a Windows command line (blanks separate,
// double quotes group). The PDF reader names
// "Acrord32" and "Acrobat" reach the desktop's PDF viewer when no program of that name exists.
// The show state is not used: the desktop decides how a new window appears.
class LinuxShell : public Shell
{
public:
    int execute(const QString& fileName, const QString& parameters, const QString& directory,
                int showCommand) override;
    QString findProgram(const QString& name) const override;

    // The arguments a parameter text becomes, relative files being looked up in directory.
    static QStringList splitParameters(const QString& parameters, const QString& directory);
    // True for the names under which the program asks for the PDF reader (letter case ignored).
    static bool isPdfReaderName(const QString& fileName);

private:
    int startDetached(const QString& program, const QStringList& arguments, const QString& directory);
    int startPdfViewer(const QStringList& arguments, const QString& directory);
    int openDocument(const QString& path, const QString& directory);
};

// Records every call and answers from a table, for tests.
class FakeShell : public Shell
{
public:
    struct Call
    {
        QString fileName;
        QString parameters;
        QString directory;
        int showCommand = 0;
    };

    // The result for a file name (letter case ignored); others get defaultResult.
    void setResult(const QString& fileName, int result) { m_results.insert(fileName.toLower(), result); }
    void setDefaultResult(int result) { m_defaultResult = result; }
    // Makes findProgram answer path for name.
    void addProgram(const QString& name, const QString& path) { m_programs.insert(name, path); }

    int execute(const QString& fileName, const QString& parameters, const QString& directory,
                int showCommand) override;
    QString findProgram(const QString& name) const override { return m_programs.value(name); }

    const QVector<Call>& calls() const { return m_calls; }

private:
    QMap<QString, int> m_results;
    QMap<QString, QString> m_programs;
    QVector<Call> m_calls;
    int m_defaultResult = ShellResult::FileNotFound;
};
