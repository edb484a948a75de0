#include "app/field_binding.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "machine/text_field.h"

namespace korvanta::app {

bool filterKeyPress(QLineEdit* edit, QKeyEvent* key, const FieldHooks& hooks)
{
    if (!hooks.filter) return false;
    const QString text = key->text();
    // Keys without a character (arrows, Home, Delete) move and delete as usual.
    if (text.size() != 1) return false;
    const QChar qc = text.at(0);
    char typed = qc.unicode() < 128 ? char(qc.unicode()) : char(0x7F);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) typed = '\r';
    if (key->key() == Qt::Key_Backspace) typed = '\b';
    bool enter = false;
    std::optional<char> pass = hooks.filter(typed, &enter);
    if (enter) {
        if (hooks.onEnter) hooks.onEnter();
        return true;
    }
    if (!pass) return true;
    if (*pass == '\b' || *pass == typed) return false;  // the line edit types it as usual
    // The filter changed the character (upper case): insert the new one,
    // respecting the selection and the maximum length as a typed key would.
    edit->insert(QString(QChar(*pass)));
    return true;
}

KeyFilter::KeyFilter(QLineEdit* edit, FieldHooks hooks) : QObject(edit), hooks_(std::move(hooks))
{
    edit->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    return filterKeyPress(static_cast<QLineEdit*>(watched), static_cast<QKeyEvent*>(event), hooks_);
}

FieldBinding::FieldBinding(QLineEdit* edit, TextField& field, FieldHooks hooks, QObject* parent)
    : QObject(parent), edit_(edit), field_(field), hooks_(std::move(hooks))
{
    edit->setObjectName(QString::fromStdString(field.name()));
    if (field.maxLength() > 0) edit->setMaxLength(field.maxLength());
    edit->setText(QString::fromStdString(field.text()));
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { field_.setText(text.toStdString()); });
    changedId_ = field_.changed.connect([this] { showCoreText(); });
}

FieldBinding::~FieldBinding()
{
    field_.changed.disconnect(changedId_);
}

void FieldBinding::showCoreText()
{
    if (!edit_) return;
    const QString text = QString::fromStdString(field_.text());
    if (edit_->text() == text) return;
    // setText raises textChanged but not textEdited, so nothing flows back.
    const int cursor = edit_->cursorPosition();
    edit_->setText(text);
    if (edit_->hasFocus()) edit_->setCursorPosition(std::min<int>(cursor, int(text.size())));
}

bool FieldBinding::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_) return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const QString before = edit_->text();
        const bool consumed = filterKeyPress(edit_, static_cast<QKeyEvent*>(event), hooks_);
        // An inserted replacement may not raise textEdited: pass it on here.
        if (consumed && edit_ && edit_->text() != before) field_.setText(edit_->text().toStdString());
        return consumed;
    }
    case QEvent::FocusOut: {
        // Switching to another application is no leaving of the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (hooks_.onFocusOut && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            hooks_.onFocusOut();
        return false;
    }
    case QEvent::MouseButtonPress:
        if (hooks_.onClick && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            hooks_.onClick();
            return true;
        }
        return false;
    default: return false;
    }
}

}  // namespace korvanta::app
