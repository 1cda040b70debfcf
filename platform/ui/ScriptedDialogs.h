#pragma once

// Dialogs for tests: answers come from a queue, every call is recorded, and a question or
// file dialog with no answer queued fails the running test. Header-only, as it needs QtTest.

#include "Dialogs.h"

#include <QQueue>
#include <QTest>
#include <variant>

class ScriptedDialogs : public Dialogs
{
public:
    // Installs itself as the dialogs in force for its lifetime.
    ScriptedDialogs() { Dialogs::setInstance(this); }
    // An answer left unused means the flow did not ask what the test expected.
    ~ScriptedDialogs() override
    {
        Dialogs::setInstance(nullptr);
        if (!m_answers.isEmpty() && !QTest::currentTestFailed())
            fail(QStringLiteral("%1 queued answer(s) were never asked for").arg(m_answers.size()));
    }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The answer to the next confirmation: Yes (true) or No.
    void answerConfirm(bool yes) { m_answers.enqueue(Confirm{yes}); }
    // The next file dialog: the user types this name (taken as a file dialog would).
    void answerFile(const QString& typed) { m_answers.enqueue(File{typed, false}); }
    // The next file dialog: the user accepts the name the dialog shows.
    void answerFileAsShown() { m_answers.enqueue(File{QString(), true}); }
    // The next file dialog: the user cancels.
    void answerCancel() { m_answers.enqueue(Cancel{}); }

    const QList<DialogRequest>& calls() const { return m_calls; }
    QList<DialogRequest> takeCalls() { return std::exchange(m_calls, {}); }
    int pendingAnswers() const { return int(m_answers.size()); }
    // Calls of one kind, in order.
    QList<DialogRequest> callsOf(DialogKind kind) const
    {
        QList<DialogRequest> out;
        for (const DialogRequest& r : m_calls)
            if (r.kind == kind)
                out << r;
        return out;
    }
    // The texts of the message boxes of one kind, in order.
    QStringList textsOf(DialogKind kind) const
    {
        QStringList out;
        for (const DialogRequest& r : callsOf(kind))
            out << r.text;
        return out;
    }

protected:
    bool runMessageBox(const DialogRequest& request) override
    {
        m_calls << request;
        if (request.kind != DialogKind::Confirmation)
            return true;
        if (m_answers.isEmpty() || !std::holds_alternative<Confirm>(m_answers.head())) {
            fail(QStringLiteral("confirmation \"%1\" asked, but no Yes/No answer is queued").arg(request.text));
            return false;
        }
        return std::get<Confirm>(m_answers.dequeue()).yes;
    }

    std::optional<QString> runFileDialog(const DialogRequest& request) override
    {
        m_calls << request;
        if (m_answers.isEmpty() || std::holds_alternative<Confirm>(m_answers.head())) {
            fail(QStringLiteral("file dialog \"%1\" shown, but no file answer is queued").arg(request.caption));
            return std::nullopt;
        }
        const Answer answer = m_answers.dequeue();
        if (std::holds_alternative<Cancel>(answer))
            return std::nullopt;
        const File& file = std::get<File>(answer);
        return resolveTypedName(file.asShown ? request.fileName : file.typed, request.initialDir, request.defaultExt);
    }

private:
    struct Confirm
    {
        bool yes;
    };
    struct File
    {
        QString typed;
        bool asShown;
    };
    struct Cancel
    {
    };
    using Answer = std::variant<Confirm, File, Cancel>;

    static void fail(const QString& message)
    {
        QTest::qFail(qPrintable(QStringLiteral("ScriptedDialogs: ") + message), __FILE__, __LINE__);
    }

    QQueue<Answer> m_answers;
    QList<DialogRequest> m_calls;
};
