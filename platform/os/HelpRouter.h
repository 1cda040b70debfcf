#pragma once

#include <QString>
#include <QStringList>

// How the help file is written: WinHelp (the design value) or compiled HTML help.
enum class HelpType
{
    WinHelp,
    HtmlHelp
};

// Serves help requests by context number from one help file, through a help viewer that the
// Shell in force starts.
class HelpRouter
{
public:
    const QString& helpFile() const { return m_helpFile; }
    void setHelpFile(const QString& fileName) { m_helpFile = fileName; }
    HelpType helpType() const { return m_helpType; }
    void setHelpType(HelpType type) { m_helpType = type; }
    // The popup-topics file and whether context numbers are checked: kept, not used by the viewer.
    const QString& cshelpFile() const { return m_cshelpFile; }
    void setCshelpFile(const QString& fileName) { m_cshelpFile = fileName; }
    bool validateId() const { return m_validateId; }
    void setValidateId(bool validate) { m_validateId = validate; }

    // Opens the help file in the first help viewer found. Throws Exception when the file is
    // missing, no viewer is installed or the viewer cannot be started.
    void showHelp(int context) const;

    // The viewers tried, in order.
    static QStringList viewerNames();

private:
    QString m_helpFile;
    HelpType m_helpType = HelpType::WinHelp;
    QString m_cshelpFile;
    bool m_validateId = false;
};
