#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// Every message box, question and file dialog of the program goes through the Dialogs in
// force, so tests can answer them from a script and see what was asked.

enum class DialogKind
{
    Message,      // plain message: the text, the application title, OK
    Confirmation, // question icon, title "Confirm", Yes and No
    Error,        // error icon, title "Error", OK
    DefaultError, // the default error box: stop icon, the application title, OK
    OpenFile,
    SaveFile,
};

enum class DialogIcon
{
    None,
    Question,
    Error,
    Stop,
};

// One request as the program makes it; also what the scripted dialogs record.
struct DialogRequest
{
    DialogKind kind = DialogKind::Message;
    QString text;
    QString caption;
    DialogIcon icon = DialogIcon::None;
    // File dialogs: filter in "description|pattern|description|pattern" form, the folder the
    // dialog starts in, the name it shows, the extension added to a name typed without one.
    QString filter;
    QString initialDir;
    QString fileName;
    QString defaultExt;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // The dialogs in force: the real ones unless a test installed others.
    static Dialogs& instance();
    // Installs dialogs (not owned); nullptr goes back to the real ones.
    static void setInstance(Dialogs* dialogs);

    void showMessage(const QString& text);
    // True only for Yes; closing the box counts as No.
    bool confirm(const QString& text);
    void errorBox(const QString& text);
    // Shows text as given (Application::errorBoxText has already added the full stop).
    void defaultErrorBox(const QString& text);

    // The chosen path, or nothing when cancelled. A name typed without an extension gets
    // defaultExt; a relative name is taken in initialDir.
    std::optional<QString> openFile(const QString& filter, const QString& initialDir, const QString& fileName,
                                    const QString& defaultExt = QString());
    std::optional<QString> saveFile(const QString& filter, const QString& initialDir, const QString& fileName,
                                    const QString& defaultExt = QString());

    // "Databases|*.dat" -> "Databases (*.dat)"; pairs joined by ";;", patterns "a;b" -> "a b".
    static QString toQtFilter(const QString& filter);
    // The path a dialog hands back for what the user typed: relative names are taken in
    // folder, and defaultExt is added when the file name has no extension.
    static QString resolveTypedName(const QString& typed, const QString& folder, const QString& defaultExt);

protected:
    // Message boxes: true for OK or Yes.
    virtual bool runMessageBox(const DialogRequest& request) = 0;
    // File dialogs: the chosen path or nothing.
    virtual std::optional<QString> runFileDialog(const DialogRequest& request) = 0;
};

// Message boxes and non-native file dialogs of the toolkit, modal over the active window.
class RealDialogs : public Dialogs
{
protected:
    bool runMessageBox(const DialogRequest& request) override;
    std::optional<QString> runFileDialog(const DialogRequest& request) override;
};

// The file dialog components of a window: they keep their settings and the last chosen path
// between showings, and show their dialog through Dialogs.
class FileDialogComponent : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    QString initialDir() const { return m_initialDir; }
    void setInitialDir(const QString& dir) { m_initialDir = dir; }
    // Shown as the dialog's initial name; after a confirmed showing, the chosen full path.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    QString defaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& ext) { m_defaultExt = ext; }

    // Shows the dialog; true when the user confirmed (fileName then holds the path).
    virtual bool execute() = 0;

protected:
    QString m_filter, m_initialDir, m_fileName, m_defaultExt;
};

// A file-open dialog; a typed name of a file that does not exist is accepted.
class OpenDialog : public FileDialogComponent
{
    Q_OBJECT
public:
    using FileDialogComponent::FileDialogComponent;
    bool execute() override;
};

// A file-save dialog; no prompt before replacing an existing file.
class SaveDialog : public FileDialogComponent
{
    Q_OBJECT
public:
    using FileDialogComponent::FileDialogComponent;
    bool execute() override;
};
