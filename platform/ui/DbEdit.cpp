// DbEdit: a line edit that follows the current row of a data source and writes one field.

#include "DbControls.h"

#include "Application.h"

#include "platform/core/Exception.h"
#include "platform/table/Table.h"

#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace {

// QLineEdit's own limit, used for fields without a size.
constexpr int kUnlimitedLength = 32767;

// Keys that change the text of a line edit. Keys that only move the cursor or the focus
// (arrows, Home, Tab, Return) must never put the row into edit.
bool changesText(const QKeyEvent* event)
{
    static const QKeySequence::StandardKey editingKeys[] = {
        QKeySequence::Paste,
        QKeySequence::Cut,
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::Delete,
        QKeySequence::Backspace,
        QKeySequence::DeleteEndOfWord,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteCompleteLine,
    };
    for (QKeySequence::StandardKey k : editingKeys)
        if (event->matches(k))
            return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    // Text input as QLineEdit takes it: Ctrl and Ctrl+Shift chords type nothing (AltGr does).
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers();
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse || c.isHighSurrogate();
}

} // namespace

DbEdit::DbEdit(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    // Any change not made by a reload is pending text, also one a window makes by setText
    // (Save names an unnamed event that way); it reaches the field on "update data".
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_loading)
            m_modified = true;
    });
    // Paste from the context menu and other routes that bypass the key handler end up here.
    connect(this, &QLineEdit::textEdited, this, [this] { textEditedByUser(); });
}

void DbEdit::updateData()
{
    if (!m_modified)
        return;
    Field* f = field();
    if (!f)
        return;
    try {
        f->setAsString(text());
    } catch (const Exception&) {
        // The field kept its old value; the typed text stays for the user to correct.
        setFocus(Qt::OtherFocusReason);
        selectAll();
        throw;
    }
    m_modified = false;
}

void DbEdit::reload()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    const Field* f = field();
    setReadOnly(!f);
    const int max = f && f->dataType() == FieldType::String && f->size() > 0 ? f->size() : kUnlimitedLength;
    if (maxLength() != max)
        setMaxLength(max);
    m_modified = false;
    showFieldText();
    setModified(false);
}

void DbEdit::showFieldText()
{
    if (m_modified)
        return;
    const QScopedValueRollback<bool> loading(m_loading, true);
    const Field* f = field();
    const QString shown = !f ? QString() : hasFocus() ? f->editText() : f->displayText();
    // Setting the same text again would lose the cursor and the selection the key acts on.
    if (text() != shown)
        setText(shown);
}

bool DbEdit::beginEdit()
{
    if (!field())
        return false;
    try {
        return dataSource()->edit();
    } catch (const std::exception& e) {
        Application::showException(e);
        return false;
    }
}

void DbEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_modified) {
        reload();
        selectAll();
        event->accept();
        return;
    }
    // The row enters edit before the key acts: that reload puts the field's text in the box,
    // and the key then changes that text.
    if (!isReadOnly() && !editing() && changesText(event) && !beginEdit()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DbEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const bool changes = !event->commitString().isEmpty() || event->replacementLength() > 0;
    if (!isReadOnly() && !editing() && changes && !beginEdit()) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DbEdit::dropEvent(QDropEvent* event)
{
    if (!isReadOnly() && !editing() && !beginEdit()) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void DbEdit::textEditedByUser()
{
    if (m_loading)
        return;
    if (!editing()) {
        // A change that came by a route the handlers above do not see: enter edit now and
        // keep what the user did, or undo it when the row cannot be edited.
        const QString typed = text();
        const int cursor = cursorPosition();
        if (!beginEdit()) {
            reload();
            return;
        }
        if (text() != typed) {
            const QScopedValueRollback<bool> loading(m_loading, true);
            setText(typed);
            setCursorPosition(cursor);
        }
    }
    m_modified = true;
}

void DbEdit::focusInEvent(QFocusEvent* event)
{
    // The edit text first, so that a tab into the box selects what is then shown.
    showFieldText();
    QLineEdit::focusInEvent(event);
}

void DbEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    showFieldText();
}
