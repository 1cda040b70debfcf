#include "HelpRouter.h"

#include "Shell.h"
#include "platform/core/Exception.h"

#include <QDir>
#include <QFileInfo>

QStringList HelpRouter::viewerNames()
{
    return {QStringLiteral("xchm"), QStringLiteral("kchmviewer"), QStringLiteral("uchmviewer"),
            QStringLiteral("chmsee")};
}

void HelpRouter::showHelp(int /*context*/) const
{
    // The Linux CHM viewers take no context numbers on their command lines, so every request
    // opens the file at its first page. The help type does not matter: the viewer reads the
    // file as it is.
    const QString shown = QDir::toNativeSeparators(m_helpFile);
    if (m_helpFile.isEmpty() || !QFileInfo(m_helpFile).isFile())
        throw Exception(QStringLiteral("The help file '%1' was not found.").arg(shown));
    QString viewer;
    for (const QString& name : viewerNames()) {
        viewer = shell().findProgram(name);
        if (!viewer.isEmpty())
            break;
    }
    if (viewer.isEmpty())
        throw Exception(
            QStringLiteral("No help viewer is installed to show '%1' (for example xchm or kchmviewer).")
                .arg(shown));
    const int result =
        shell().execute(viewer, QFileInfo(m_helpFile).absoluteFilePath(), QString(), ShowCommand::ShowNormal);
    if (result <= 32)
        throw Exception(
            QStringLiteral("The help viewer '%1' could not be started to show '%2'.").arg(viewer, shown));
}
