#include "app/dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/field_binding.h"
#include "documents/documents.h"
#include "machine/memory_commands.h"

namespace korvanta::app {

namespace {

QLabel* makeHeading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    label->setFont(font);
    return label;
}

FieldHooks dialogEntryHooks(std::function<void()> onEnter)
{
    FieldHooks hooks;
    hooks.filter = [](char typed, bool* enter) { return MemoryCommands::DialogKeyFilter(typed, enter); };
    hooks.onEnter = std::move(onEnter);
    return hooks;
}

QHBoxLayout* okCancelRow(QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace

// ---- What the dialogs share --------------------------------------------------

CoreDialog::CoreDialog(QWidget* parent, const QString& name, const QString& title) : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(title);
}

void CoreDialog::createButtons(const QString& okName, const QString& cancelName)
{
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setObjectName(okName);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(cancelName);
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void CoreDialog::showInFront(QWidget* focus)
{
    show();
    raise();
    activateWindow();
    focus->setFocus();
}

void CoreDialog::reject()
{
    if (isVisible()) cancelInCore();
}

void CoreDialog::closeEvent(QCloseEvent* event)
{
    reject();
    event->accept();
}

// ---- EditMemory -------------------------------------------------------------

EditMemoryDialog::EditMemoryDialog(MemoryCommands& commands, QWidget* parent)
    : CoreDialog(parent, QStringLiteral("EditMemory"), QStringLiteral("Edit Memory")), commands_(commands)
{
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    address_ = new QLineEdit(this);
    address_->setObjectName(QStringLiteral("MemoryAddress"));
    address_->setReadOnly(true);
    address_->setFont(mono);
    data_ = new QLineEdit(this);
    data_->setObjectName(QStringLiteral("NewData"));
    data_->setMaxLength(2);
    data_->setFont(mono);
    new KeyFilter(data_, dialogEntryHooks([this] { pressOk(); }));
    itsKEY_ = new QLabel(this);
    itsKEY_->setObjectName(QStringLiteral("itsKEY"));
    itsKEY_->hide();
    createButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
    connect(ok_, &QPushButton::clicked, this, [this] { pressOk(); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Memory Address:"), address_);
    form->addRow(QStringLiteral("Change Data to:"), data_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("Edit Memory"), this));
    layout->addLayout(form);
    layout->addWidget(itsKEY_);
    layout->addLayout(okCancelRow(ok_, cancel_));
}

void EditMemoryDialog::open(const EditMemoryState& state)
{
    itsKEY_->setText(QString::number(state.itsKEY));
    address_->setText(QString::fromStdString(state.address));
    data_->setText(QString::fromStdString(state.data));
    showInFront(data_);
    data_->selectAll();
}

void EditMemoryDialog::pressOk()
{
    commands_.EditMemoryOk(itsKEY_->text().toInt(), data_->text().toStdString());
}

void EditMemoryDialog::cancelInCore()
{
    commands_.EditMemoryCancel();
}

// ---- ShowMem ----------------------------------------------------------------

ShowMemDialog::ShowMemDialog(MemoryCommands& commands, QWidget* parent)
    : CoreDialog(parent, QStringLiteral("ShowMem"), QStringLiteral("Show memory")), commands_(commands)
{
    entry_ = new QLineEdit(this);
    entry_->setObjectName(QStringLiteral("MemoryAddress"));
    entry_->setMaxLength(4);
    entry_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    new KeyFilter(entry_, dialogEntryHooks([this] { pressOk(); }));
    createButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
    connect(ok_, &QPushButton::clicked, this, [this] { pressOk(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("Show memory"), this));
    layout->addWidget(new QLabel(QStringLiteral("Display the memory address:"), this));
    layout->addWidget(entry_);
    layout->addLayout(okCancelRow(ok_, cancel_));
}

void ShowMemDialog::open()
{
    showInFront(entry_);
    entry_->selectAll();
}

void ShowMemDialog::pressOk()
{
    commands_.ShowMemOk(entry_->text().toStdString());
}

void ShowMemDialog::cancelInCore()
{
    commands_.ShowMemCancel();
}

// ---- SaveProgram ------------------------------------------------------------

SaveProgramDialog::SaveProgramDialog(Documents& documents, QWidget* parent)
    : CoreDialog(parent, QStringLiteral("SaveProgram"), QStringLiteral("Save Program")), documents_(documents)
{
    SaveDialogState& state = documents_.saveDialog;

    label3_ = makeHeading(QString::fromStdString(state.Label3.get()), this);
    label3_->setObjectName(QStringLiteral("Label3"));

    const char* captions[] = {"Save the program to the current location.", "Save the program to a new location.",
                              "Export the program and CPU states to a text file.",
                              "Export the program to a text file."};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), this);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        // Exclusivity spans both frames; the core keeps it, so Qt must not.
        option->setAutoExclusive(false);
        options_.push_back(option);
    }
    check1_ = new QCheckBox(QStringLiteral("Save memory states with program"), this);
    check1_->setObjectName(QStringLiteral("Check1"));

    frame1_ = new QGroupBox(QStringLiteral("Save"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    auto* f1 = new QVBoxLayout(frame1_);
    f1->addWidget(options_[0]);
    f1->addWidget(options_[1]);
    f1->addWidget(check1_);
    frame2_ = new QGroupBox(QStringLiteral("Export"), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    auto* f2 = new QVBoxLayout(frame2_);
    f2->addWidget(options_[2]);
    f2->addWidget(options_[3]);
    frame3_ = new QGroupBox(this);
    frame3_->setObjectName(QStringLiteral("Frame3"));
    auto* f3 = new QVBoxLayout(frame3_);
    f3->addWidget(frame1_);
    f3->addWidget(frame2_);

    createButtons(QStringLiteral("Command2"), QStringLiteral("Command1"));
    ok_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label3_);
    layout->addWidget(frame3_);
    layout->addLayout(okCancelRow(ok_, cancel_));

    for (int i = 0; i < 4; ++i) {
        connect(options_[std::size_t(i)], &QRadioButton::clicked, this, [this, i] {
            switch (i) {
            case 0: documents_.Option1_Click(); break;
            case 1: documents_.Option2_Click(); break;
            case 2: documents_.Option3_Click(); break;
            default: documents_.Option4_Click(); break;
            }
            showState();
        });
    }
    connect(check1_, &QCheckBox::clicked, this,
            [this](bool checked) { documents_.saveDialog.Check1.set(checked ? 1 : 0); });
    connect(ok_, &QPushButton::clicked, this, [this] { documents_.SaveDialog_Ok(); });

    auto follow = [this](auto& observable) {
        const int id = observable.changed.connect([this] { showState(); });
        disconnects_.push_back([&observable, id] { observable.changed.disconnect(id); });
    };
    follow(state.Option1);
    follow(state.Option2);
    follow(state.Option3);
    follow(state.Option4);
    follow(state.Option1Enabled);
    follow(state.Check1);
    follow(state.Label3);
    follow(state.controlsEnabled);
    showState();
}

SaveProgramDialog::~SaveProgramDialog()
{
    disconnectCore();
}

void SaveProgramDialog::disconnectCore()
{
    for (auto& d : disconnects_) d();
    disconnects_.clear();
}

void SaveProgramDialog::showState()
{
    const SaveDialogState& state = documents_.saveDialog;
    options_[0]->setChecked(state.Option1.get() != 0);
    options_[1]->setChecked(state.Option2.get() != 0);
    options_[2]->setChecked(state.Option3.get() != 0);
    options_[3]->setChecked(state.Option4.get() != 0);
    options_[0]->setEnabled(state.Option1Enabled.get());
    check1_->setChecked(state.Check1.get() != 0);
    label3_->setText(QString::fromStdString(state.Label3.get()));
    const bool enabled = state.controlsEnabled.get();
    for (QWidget* w : {static_cast<QWidget*>(frame1_), static_cast<QWidget*>(frame2_),
                       static_cast<QWidget*>(frame3_), static_cast<QWidget*>(ok_), static_cast<QWidget*>(cancel_)})
        w->setEnabled(enabled);
}

void SaveProgramDialog::open()
{
    showState();
    showInFront(ok_);
}

void SaveProgramDialog::cancelInCore()
{
    documents_.SaveDialog_Cancel();
}

}  // namespace korvanta::app
