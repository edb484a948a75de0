#pragma once

// Ties a QLineEdit to a text field of the core. Typed keys go through the
// field's key filter, edits and focus changes are forwarded to the core, and
// the core's changes come back into the widget without echoing.

#include <QObject>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <optional>

class QLineEdit;

class QKeyEvent;

namespace korvanta {
class TextField;
}

namespace korvanta::app {

struct FieldHooks {
    // The character to insert for a typed one, or nothing to swallow it.
    // Setting *enter reports the Enter key (which is never inserted).
    std::function<std::optional<char>(char typed, bool* enter)> filter;
    std::function<void()> onEnter;
    std::function<void()> onFocusOut;
    std::function<void()> onClick;
};

// Applies hooks.filter to one key press on edit. Returns true when the event
// was consumed (swallowed, or replaced by an inserted character).
bool filterKeyPress(QLineEdit* edit, QKeyEvent* key, const FieldHooks& hooks);

// Only the key filter, for entry fields that are not part of the core's state.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    KeyFilter(QLineEdit* edit, FieldHooks hooks);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FieldHooks hooks_;
};

class FieldBinding : public QObject {
    Q_OBJECT
public:
    FieldBinding(QLineEdit* edit, TextField& field, FieldHooks hooks, QObject* parent);
    ~FieldBinding() override;

    QLineEdit* edit() const { return edit_; }
    TextField& field() const { return field_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCoreText();

    QPointer<QLineEdit> edit_;
    TextField& field_;
    FieldHooks hooks_;
    int changedId_ = 0;
};

}  // namespace korvanta::app
