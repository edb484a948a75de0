#include "app/byte_delegate.h"

#include <QFontDatabase>
#include <QLineEdit>

#include "app/field_binding.h"

namespace korvanta::app {

ByteDelegate::ByteDelegate(QString objectName, QString accessibleName, Filter filter, QObject* parent)
    : QStyledItemDelegate(parent), objectName_(std::move(objectName)), accessibleName_(std::move(accessibleName)),
      filter_(std::move(filter))
{
}

QWidget* ByteDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName_);
    edit->setAccessibleName(accessibleName_);
    edit->setMaxLength(2);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit->setAlignment(Qt::AlignCenter);
    FieldHooks hooks;
    hooks.filter = [edit, filter = filter_](char typed, bool* enter) { return filter(edit, typed, enter); };
    new KeyFilter(edit, hooks);
    return edit;
}

void ByteDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* edit = static_cast<QLineEdit*>(editor);
    edit->setText(index.data(Qt::EditRole).toString());
    edit->selectAll();
}

}  // namespace korvanta::app
