#pragma once

// The editor of one byte in a table (an input port, a hex view cell): two
// characters, monospace and centred, its keys going through the same filter
// as the field or dialog that edits such a byte elsewhere in the window.

#include <QString>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>

class QLineEdit;

namespace korvanta::app {

class ByteDelegate : public QStyledItemDelegate {
public:
    // The character to insert for a typed one, given the editor it goes into.
    using Filter = std::function<std::optional<char>(QLineEdit* edit, char typed, bool* enter)>;

    ByteDelegate(QString objectName, QString accessibleName, Filter filter, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

private:
    QString objectName_;
    QString accessibleName_;
    Filter filter_;
};

}  // namespace korvanta::app
