#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

class QWidget;

// The application object: title, the default error box for errors no handler catches, and
// help requests by context number. Title and help routing are process-wide, so they also
// work under a plain QApplication (tests of single widgets).
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    // The running Application, or nullptr when the process runs a plain QApplication.
    static Application* instance();

    // The title shown by plain messages and the default error box.
    static QString title();
    static void setTitle(const QString& title);

    // The application's own help file; help requests go to the help handler instead.
    static QString helpFile();
    static void setHelpFile(const QString& fileName);

    // Serves help requests; the main window registers its help router here. An empty
    // function removes it.
    static void setHelpHandler(std::function<void(int)> handler);
    // Asks the help handler for the topic; false when none is registered or context is 0.
    // The handler's errors propagate to the caller.
    static bool helpContext(int context);

    // The help context number of a window or control (0: none). F1 asks for the nearest
    // nonzero number from the focused widget up through its parents.
    static void setHelpContext(QWidget* widget, int context);
    static int helpContextOf(const QWidget* widget);

    // The text the default error box shows: a full stop is appended unless the text is empty
    // or already ends in '.' or a character that sorts before it ("Why?" -> "Why?.").
    static QString errorBoxText(const QString& message);
    // Shows an error in the default error box (stop icon, application title, OK).
    static void showException(const std::exception& error);
    static void showErrorText(const QString& message);

    // Runs fn; an error it raises is shown in the default error box and swallowed.
    // True when fn ran to its end. Handlers and creation routines run under this guard.
    static bool guard(const std::function<void()>& fn);

    // Delivers events; errors thrown by handlers reach the default error box and the
    // program goes on. F1 is turned into a help request for the widget's context.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Connects a signal to a handler that runs under Application::guard, so an error the handler
// throws is shown in the default error box and never crosses the toolkit's own frames.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, const QObject* context, Handler handler)
{
    return QObject::connect(sender, signal, context, [handler] { Application::guard(handler); });
}
