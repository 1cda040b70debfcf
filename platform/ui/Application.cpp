#include "Application.h"

#include "Dialogs.h"

#include "platform/core/Exception.h"

#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace {

QString g_title;
QString g_helpFile;
std::function<void(int)> g_helpHandler;

// The dynamic property that holds a widget's help context number.
constexpr const char* kHelpContextProperty = "helpContext";

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

Application::~Application() = default;

Application* Application::instance()
{
    return qobject_cast<Application*>(QCoreApplication::instance());
}

QString Application::title()
{
    return g_title;
}

void Application::setTitle(const QString& title)
{
    // Not the toolkit's display name: that would be appended to every window's caption.
    g_title = title;
}

QString Application::helpFile()
{
    return g_helpFile;
}

void Application::setHelpFile(const QString& fileName)
{
    g_helpFile = fileName;
}

void Application::setHelpHandler(std::function<void(int)> handler)
{
    g_helpHandler = std::move(handler);
}

bool Application::helpContext(int context)
{
    if (context == 0 || !g_helpHandler)
        return false;
    // A copy, so a handler that replaces itself does not destroy the running function.
    const std::function<void(int)> handler = g_helpHandler;
    handler(context);
    return true;
}

void Application::setHelpContext(QWidget* widget, int context)
{
    widget->setProperty(kHelpContextProperty, context);
}

int Application::helpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const int context = w->property(kHelpContextProperty).toInt();
        if (context != 0)
            return context;
    }
    return 0;
}

QString Application::errorBoxText(const QString& message)
{
    // Only a text whose last character sorts after '.' gets one; "Why?" becomes "Why?.",
    // while "Wow!", "x," and a text ending in a line break stay as they are.
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void Application::showException(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        showErrorText(own->message());
    else
        showErrorText(QString::fromUtf8(error.what()));
}

void Application::showErrorText(const QString& message)
{
    Dialogs::instance().defaultErrorBox(errorBoxText(message));
}

bool Application::guard(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showErrorText(QStringLiteral("An unexpected error occurred"));
    }
    return false;
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        if (event->type() == QEvent::KeyPress && receiver->isWidgetType()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
                const int context = helpContextOf(static_cast<QWidget*>(receiver));
                if (context != 0) {
                    helpContext(context);
                    return true;
                }
            }
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showErrorText(QStringLiteral("An unexpected error occurred"));
    }
    return false;
}
