#include "Dialogs.h"

#include "Application.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace {

Dialogs* g_installed = nullptr;

} // namespace

Dialogs& Dialogs::instance()
{
    static RealDialogs real;
    return g_installed ? *g_installed : real;
}

void Dialogs::setInstance(Dialogs* dialogs)
{
    g_installed = dialogs;
}

void Dialogs::showMessage(const QString& text)
{
    runMessageBox({DialogKind::Message, text, Application::title(), DialogIcon::None, {}, {}, {}, {}});
}

bool Dialogs::confirm(const QString& text)
{
    return runMessageBox(
        {DialogKind::Confirmation, text, QStringLiteral("Confirm"), DialogIcon::Question, {}, {}, {}, {}});
}

void Dialogs::errorBox(const QString& text)
{
    runMessageBox({DialogKind::Error, text, QStringLiteral("Error"), DialogIcon::Error, {}, {}, {}, {}});
}

void Dialogs::defaultErrorBox(const QString& text)
{
    runMessageBox({DialogKind::DefaultError, text, Application::title(), DialogIcon::Stop, {}, {}, {}, {}});
}

std::optional<QString> Dialogs::openFile(const QString& filter, const QString& initialDir, const QString& fileName,
                                         const QString& defaultExt)
{
    return runFileDialog(
        {DialogKind::OpenFile, {}, QStringLiteral("Open"), DialogIcon::None, filter, initialDir, fileName, defaultExt});
}

std::optional<QString> Dialogs::saveFile(const QString& filter, const QString& initialDir, const QString& fileName,
                                         const QString& defaultExt)
{
    return runFileDialog({DialogKind::SaveFile, {}, QStringLiteral("Save As"), DialogIcon::None, filter, initialDir,
                          fileName, defaultExt});
}

QString Dialogs::toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    // A description without a pattern still names something the user may pick.
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        entries << parts.last();
    return entries.join(QStringLiteral(";;"));
}

QString Dialogs::resolveTypedName(const QString& typed, const QString& folder, const QString& defaultExt)
{
    if (typed.isEmpty())
        return typed;
    QString path = QDir::isAbsolutePath(typed) ? typed : QDir(folder.isEmpty() ? QDir::currentPath() : folder).filePath(typed);
    // The extension is everything after a dot in the file name itself, never in a folder name.
    if (!defaultExt.isEmpty() && !QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += QLatin1Char('.') + defaultExt;
    return path;
}

bool RealDialogs::runMessageBox(const DialogRequest& request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    switch (request.icon) {
    case DialogIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case DialogIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case DialogIcon::Error:
    case DialogIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (request.kind == DialogKind::Confirmation) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No); // closing the box counts as No
        return box.exec() == QMessageBox::Yes;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return true;
}

std::optional<QString> RealDialogs::runFileDialog(const DialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.caption, request.initialDir, toQtFilter(request.filter));
    // The toolkit's own dialog looks and behaves the same under every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (request.kind == DialogKind::SaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    }
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return resolveTypedName(dialog.selectedFiles().constFirst(), dialog.directory().absolutePath(), request.defaultExt);
}

bool OpenDialog::execute()
{
    const std::optional<QString> chosen = Dialogs::instance().openFile(m_filter, m_initialDir, m_fileName, m_defaultExt);
    if (!chosen)
        return false;
    m_fileName = *chosen;
    return true;
}

bool SaveDialog::execute()
{
    const std::optional<QString> chosen = Dialogs::instance().saveFile(m_filter, m_initialDir, m_fileName, m_defaultExt);
    if (!chosen)
        return false;
    m_fileName = *chosen;
    return true;
}
