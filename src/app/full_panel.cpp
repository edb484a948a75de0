#include "app/full_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "app/aid_colours.h"
#include "app/byte_delegate.h"
#include "app/field_binding.h"
#include "engine/simulator.h"
#include "machine/hex_text.h"

namespace korvanta::app {

namespace {

QFont monospace()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QString hex2(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}


constexpr const char* kLineNames[5] = {"TRAP", "RST 7.5", "RST 6.5", "RST 5.5", "INTR"};
constexpr cpu::Interrupt kLines[5] = {cpu::Interrupt::Trap, cpu::Interrupt::Rst75, cpu::Interrupt::Rst65,
                                      cpu::Interrupt::Rst55, cpu::Interrupt::Intr};
constexpr const char* kLineTips[5] = {
    "Raise TRAP: not maskable, taken even with interrupts disabled; goes to 0024",
    "Raise RST 7.5: latched until taken; goes to 003C when enabled and not masked",
    "Raise RST 6.5: goes to 0034 when enabled and not masked",
    "Raise RST 5.5: goes to 002C when enabled and not masked",
    "Raise INTR: answered with the RST chosen below when interrupts are enabled"};

}  // namespace

// ---- InputPortModel ---------------------------------------------------------

InputPortModel::InputPortModel(FullState& full, QObject* parent) : QAbstractTableModel(parent), full_(full)
{
    changedId_ = full_.inputPortChanged.connect([this](int port) {
        Q_EMIT dataChanged(index(port, PortColumn), index(port, ValueColumn),
                           {Qt::DisplayRole, Qt::EditRole, Qt::FontRole, Qt::AccessibleTextRole, kIsSetRole});
    });
}

InputPortModel::~InputPortModel()
{
    full_.inputPortChanged.disconnect(changedId_);
}

int InputPortModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 256;
}

int InputPortModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant InputPortModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= 256) return {};
    const int port = index.row();
    const int value = full_.inputPorts()[std::size_t(port)];
    switch (role) {
        case Qt::DisplayRole:
            return index.column() == PortColumn ? hex2(port) : hex2(value);
        case Qt::EditRole:
            return index.column() == ValueColumn ? QVariant(hex2(value)) : QVariant();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::FontRole: {
            QFont font = monospace();
            font.setBold(value != 0);
            return font;
        }
        case Qt::AccessibleTextRole:
            return index.column() == PortColumn
                       ? QStringLiteral("Port %1").arg(hex2(port))
                       : QStringLiteral("Port %1 reads %2").arg(hex2(port), hex2(value));
        case kIsSetRole:
            return value != 0;
        default:
            return {};
    }
}

QVariant InputPortModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section == PortColumn) return QStringLiteral("Port");
    if (section == ValueColumn) return QStringLiteral("Value");
    return {};
}

Qt::ItemFlags InputPortModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ValueColumn) f |= Qt::ItemIsEditable;
    return f;
}

bool InputPortModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != ValueColumn) return false;
    QString text;
    for (QChar qc : value.toString()) {
        if (qc.unicode() >= 128) return false;
        const std::optional<char> c = CpuFields::KeyFilter(text.toStdString(), char(qc.unicode()));
        if (!c || *c == '\b') return false;
        text += QLatin1Char(*c);
    }
    if (text.trimmed().isEmpty()) text = QStringLiteral("00");
    if (text.size() < 2) text.prepend(QLatin1Char('0'));
    const long byte = text.size() == 2 ? HexTextValue(text.toStdString()) : -1;
    if (byte < 0) return false;
    full_.setInputPort(index.row(), std::uint8_t(byte));
    return true;
}

// ---- OutputLogModel ---------------------------------------------------------

OutputLogModel::OutputLogModel(FullState& full, QObject* parent)
    : QAbstractTableModel(parent), full_(full), shown_(full.outputs())
{
    changedId_ = full_.outputsChanged.connect([this] { follow(); });
}

OutputLogModel::~OutputLogModel()
{
    full_.outputsChanged.disconnect(changedId_);
}

void OutputLogModel::follow()
{
    const std::vector<cpu::PortWrite>& now = full_.outputs();
    if (now.size() < shown_.size()) {  // a new run, or a step back
        beginResetModel();
        shown_ = now;
        markedFrom_ = std::min<int>(markedFrom_, int(shown_.size()));
        endResetModel();
        return;
    }
    // A run only ever adds entries; should an earlier one differ all the
    // same, only the entries from it on are announced.
    std::size_t first = 0, end = shown_.size();
    while (first < end && shown_[first] == now[first]) ++first;
    while (end > first && shown_[end - 1] == now[end - 1]) --end;
    if (first < end) {
        std::copy(now.begin() + std::ptrdiff_t(first), now.begin() + std::ptrdiff_t(end),
                  shown_.begin() + std::ptrdiff_t(first));
        Q_EMIT dataChanged(index(int(first), 0), index(int(end) - 1, ColumnCount - 1));
    }
    if (now.size() > shown_.size()) {
        beginInsertRows({}, int(shown_.size()), int(now.size()) - 1);
        shown_.insert(shown_.end(), now.begin() + std::ptrdiff_t(shown_.size()), now.end());
        endInsertRows();
    }
}

int OutputLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int OutputLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OutputLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(shown_.size())) return {};
    const cpu::PortWrite& out = shown_[std::size_t(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case NumberColumn:
                    return index.row() + 1;
                case PortColumn:
                    return hex2(out.port);
                case ValueColumn:
                    return hex2(out.value);
                default:
                    return {};
            }
        case Qt::TextAlignmentRole:
            return int(index.column() == NumberColumn ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
        case Qt::FontRole:
            return monospace();
        case Qt::AccessibleTextRole:
            return QStringLiteral("OUT %1: port %2, value %3")
                .arg(index.row() + 1)
                .arg(hex2(out.port), hex2(out.value));
        case Qt::BackgroundRole:
            if (index.row() >= markedFrom_ && markedPorts_.contains(out.port))
                return changedBackground(QApplication::palette());
            return {};
        default:
            return {};
    }
}

QVariant OutputLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
        case NumberColumn:
            return QStringLiteral("#");
        case PortColumn:
            return QStringLiteral("Port");
        case ValueColumn:
            return QStringLiteral("Value");
        default:
            return {};
    }
}

void OutputLogModel::setMarked(int first, std::set<int> ports)
{
    const int size = int(shown_.size());
    const bool hadMarks = !markedPorts_.empty() && markedFrom_ < size;
    const int oldFrom = markedFrom_;
    markedFrom_ = std::clamp(first, 0, size);
    markedPorts_ = std::move(ports);
    const bool hasMarks = !markedPorts_.empty() && markedFrom_ < size;
    if (!hadMarks && !hasMarks) return;
    const int from = hadMarks && hasMarks ? std::min(oldFrom, markedFrom_) : hadMarks ? oldFrom : markedFrom_;
    Q_EMIT dataChanged(index(from, 0), index(size - 1, ColumnCount - 1), {Qt::BackgroundRole});
}

// ---- FullPanel --------------------------------------------------------------

FullPanel::FullPanel(Simulator& sim, QWidget* parent) : QWidget(parent), sim_(sim), full_(sim.machine.full)
{
    setObjectName(QStringLiteral("FullPanel"));
    setAccessibleName(QStringLiteral("Full 8085 machine"));

    modeLine_ = new QLabel;
    modeLine_->setObjectName(QStringLiteral("fullModeLine"));
    modeLine_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modeLine_);
    layout->addWidget(buildTimeGroup());
    layout->addWidget(buildInterruptGroup());
    layout->addWidget(buildConsoleGroup(), 1);
    auto* ports = new QHBoxLayout;
    ports->addWidget(buildInputGroup(), 1);
    ports->addWidget(buildOutputGroup(), 1);
    layout->addLayout(ports, 3);

    // Tab goes through the controls in reading order; the read-only values
    // take the focus by click only.
    QWidget* order[] = {raise_[0], raise_[1], raise_[2], raise_[3],   raise_[4], vector_,
                        bdos_,     console_,  onlySet_,  clearPorts_, inputs_,   outputs_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    running_ = sim_.machine.run.running;
    connectCore();
    showMode();
    showTime();
    showInterrupts();
    showConsole();
    interruptBase_ = full_.interrupts.get();
    outputBase_ = int(full_.outputs().size());
}

FullPanel::~FullPanel()
{
    for (auto& disconnect : disconnects_) disconnect();
    inputs_->setModel(nullptr);
    outputs_->setModel(nullptr);
}

QLineEdit* FullPanel::valueField(const QString& name, const QString& accessibleName, int characters)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setAccessibleName(accessibleName);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setFont(monospace());
    edit->setAlignment(Qt::AlignCenter);
    const QFontMetrics metrics(edit->font());
    edit->setMinimumWidth(metrics.horizontalAdvance(QString(characters + 2, QLatin1Char('0'))));
    edit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return edit;
}

QWidget* FullPanel::buildTimeGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Run"));
    group->setObjectName(QStringLiteral("fullTimeGroup"));
    timeGroup_ = group;
    executed_ = valueField(QStringLiteral("fullExecuted"), QStringLiteral("Instructions executed"), 8);
    tStates_ = valueField(QStringLiteral("fullTStates"), QStringLiteral("T-states"), 8);
    time_ = valueField(QStringLiteral("fullTime"), QStringLiteral("Time at 3.072 MHz"), 12);
    auto* grid = new QGridLayout(group);
    const struct {
        const char* caption;
        QLineEdit* field;
    } rows[] = {{"Instructions executed", executed_}, {"T-states", tStates_}, {"Time at 3.072 MHz", time_}};
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(QString::fromLatin1(r.caption));
        label->setObjectName(r.field->objectName() + QStringLiteral("Label"));
        label->setBuddy(r.field);
        grid->addWidget(label, row, 0);
        grid->addWidget(r.field, row, 1);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* FullPanel::buildInterruptGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Interrupts"));
    group->setObjectName(QStringLiteral("fullInterruptGroup"));
    interruptGroup_ = group;
    auto* grid = new QGridLayout(group);
    const char* names[5] = {"Trap", "Rst75", "Rst65", "Rst55", "Intr"};
    auto* raiseCaption = new QLabel(QStringLiteral("Raise"));
    auto* maskCaption = new QLabel(QStringLiteral("Masked"));
    auto* pendingCaption = new QLabel(QStringLiteral("Pending"));
    grid->addWidget(raiseCaption, 0, 0);
    grid->addWidget(maskCaption, 1, 0);
    grid->addWidget(pendingCaption, 2, 0);
    for (int i = 0; i < 5; ++i) {
        const QString line = QString::fromLatin1(kLineNames[i]);
        raise_[i] = new QPushButton(line);
        raise_[i]->setObjectName(QStringLiteral("raise") + QLatin1String(names[i]));
        raise_[i]->setAccessibleName(QStringLiteral("Raise ") + line);
        raise_[i]->setToolTip(QString::fromLatin1(kLineTips[i]));
        const cpu::Interrupt which = kLines[i];
        connect(raise_[i], &QPushButton::clicked, this, [this, which] {
            const auto vector = std::uint8_t(which == cpu::Interrupt::Intr ? vector_->value() : 0);
            sim_.runControl.RaiseInterrupt(which, vector);
        });
        grid->addWidget(raise_[i], 0, i + 1);
        pending_[i] = valueField(QStringLiteral("pending") + QLatin1String(names[i]),
                                 line + QStringLiteral(" pending"), 3);
        grid->addWidget(pending_[i], 2, i + 1);
        if (i >= 1 && i <= 3) {  // TRAP cannot be masked, INTR has only the enable
            masks_[i - 1] = valueField(QStringLiteral("mask") + QLatin1String(names[i]),
                                       line + QStringLiteral(" masked"), 3);
            grid->addWidget(masks_[i - 1], 1, i + 1);
        }
    }
    maskCaption->setBuddy(masks_[0]);
    pendingCaption->setBuddy(pending_[0]);

    enabled_ = valueField(QStringLiteral("interruptsEnabled"), QStringLiteral("Interrupts enabled"), 3);
    auto* enabledLabel = new QLabel(QStringLiteral("Interrupts enabled (IE)"));
    enabledLabel->setBuddy(enabled_);
    vector_ = new QSpinBox;
    vector_->setObjectName(QStringLiteral("intrVector"));
    vector_->setAccessibleName(QStringLiteral("INTR vector: the RST the device answers with"));
    vector_->setRange(0, 7);
    vector_->setPrefix(QStringLiteral("RST "));
    vector_->setToolTip(QStringLiteral("INTR is answered with RST n, which goes to n times 8"));
    auto* vectorLabel = new QLabel(QStringLiteral("INTR answers with"));
    vectorLabel->setBuddy(vector_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(enabledLabel);
    bottom->addWidget(enabled_);
    bottom->addSpacing(QFontMetrics(font()).horizontalAdvance(QStringLiteral("00")));
    bottom->addWidget(vectorLabel);
    bottom->addWidget(vector_);
    bottom->addStretch(1);
    grid->addLayout(bottom, 3, 0, 1, 6);
    grid->setColumnStretch(6, 1);
    return group;
}

QWidget* FullPanel::buildConsoleGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Console"));
    group->setObjectName(QStringLiteral("fullConsoleGroup"));
    consoleGroup_ = group;
    bdos_ = new QCheckBox(QStringLiteral("CP/M console calls (BDOS)"));
    bdos_->setObjectName(QStringLiteral("bdosCheck"));
    bdos_->setAccessibleName(QStringLiteral("CP/M console calls (BDOS)"));
    bdos_->setToolTip(
        QStringLiteral("CALL 0005 prints (C=2: the character in E, C=9: the text at DE up to $); "
                       "a jump to 0000 ends the run"));
    connect(bdos_, &QCheckBox::clicked, this, [this](bool on) { full_.bdos.set(on); });
    console_ = new QPlainTextEdit;
    console_->setObjectName(QStringLiteral("consoleText"));
    console_->setAccessibleName(QStringLiteral("Console output"));
    console_->setReadOnly(true);
    console_->setFont(monospace());
    console_->setTabChangesFocus(true);
    const QFontMetrics metrics(console_->font());
    console_->setMinimumHeight(metrics.lineSpacing() * 3);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(bdos_);
    layout->addWidget(console_, 1);
    return group;
}

QWidget* FullPanel::buildInputGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Input ports"));
    group->setObjectName(QStringLiteral("fullInputGroup"));
    inputGroup_ = group;
    inputModel_ = new InputPortModel(full_, this);
    inputFilter_ = new QSortFilterProxyModel(this);
    inputFilter_->setSourceModel(inputModel_);
    inputFilter_->setFilterRole(InputPortModel::kIsSetRole);
    inputFilter_->setFilterKeyColumn(InputPortModel::PortColumn);
    inputFilter_->setDynamicSortFilter(true);

    onlySet_ = new QCheckBox(QStringLiteral("Show only ports that are set"));
    onlySet_->setObjectName(QStringLiteral("onlySetPorts"));
    onlySet_->setAccessibleName(QStringLiteral("Show only ports that are set"));
    connect(onlySet_, &QCheckBox::toggled, this,
            [this](bool on) { inputFilter_->setFilterFixedString(on ? QStringLiteral("true") : QString()); });
    clearPorts_ = new QPushButton(QStringLiteral("All to 00"));
    clearPorts_->setObjectName(QStringLiteral("clearInputPorts"));
    clearPorts_->setAccessibleName(QStringLiteral("Set every input port to 00"));
    connect(clearPorts_, &QPushButton::clicked, this, [this] { full_.clearInputPorts(); });

    inputs_ = new QTableView;
    inputs_->setObjectName(QStringLiteral("inputPorts"));
    inputs_->setAccessibleName(QStringLiteral("Input ports: type two hexadecimal digits into a value"));
    inputs_->setModel(inputFilter_);
    inputs_->setItemDelegateForColumn(InputPortModel::ValueColumn, new ByteDelegate(
        QStringLiteral("portValueEditor"), QStringLiteral("Input port value"),
        [](QLineEdit* edit, char typed, bool*) { return CpuFields::KeyFilter(edit->text().toStdString(), typed); },
        inputs_));
    inputs_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    inputs_->setSelectionMode(QAbstractItemView::SingleSelection);
    inputs_->setTabKeyNavigation(false);
    inputs_->verticalHeader()->hide();
    inputs_->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(monospace());
    inputs_->verticalHeader()->setDefaultSectionSize(metrics.height() +
                                                     metrics.horizontalAdvance(QLatin1Char('0')) / 2);
    inputs_->setColumnWidth(InputPortModel::PortColumn, metrics.horizontalAdvance(QStringLiteral("Port00")));

    auto* top = new QHBoxLayout;
    top->addWidget(onlySet_, 1);
    top->addWidget(clearPorts_);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(top);
    layout->addWidget(inputs_, 1);
    return group;
}

QWidget* FullPanel::buildOutputGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Output log (OUT)"));
    group->setObjectName(QStringLiteral("fullOutputGroup"));
    outputGroup_ = group;
    outputModel_ = new OutputLogModel(full_, this);
    outputs_ = new QTableView;
    outputs_->setObjectName(QStringLiteral("outputLog"));
    outputs_->setAccessibleName(QStringLiteral("Output log: every OUT in order"));
    outputs_->setModel(outputModel_);
    outputs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outputs_->setSelectionMode(QAbstractItemView::SingleSelection);
    outputs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    outputs_->setTabKeyNavigation(false);
    outputs_->verticalHeader()->hide();
    outputs_->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(monospace());
    outputs_->verticalHeader()->setDefaultSectionSize(metrics.height() +
                                                      metrics.horizontalAdvance(QLatin1Char('0')) / 2);
    outputs_->setColumnWidth(OutputLogModel::NumberColumn,
                             metrics.horizontalAdvance(QStringLiteral("000000")));
    outputs_->setColumnWidth(OutputLogModel::PortColumn, metrics.horizontalAdvance(QStringLiteral("Port00")));
    connect(outputModel_, &QAbstractItemModel::rowsInserted, outputs_,
            [this] { outputs_->scrollToBottom(); });
    connect(outputModel_, &QAbstractItemModel::modelReset, outputs_, [this] { outputs_->scrollToBottom(); });
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(outputs_, 1);
    return group;
}

void FullPanel::connectCore()
{
    Machine& m = sim_.machine;
    auto keep = [this](auto& signal, int id) {
        disconnects_.push_back([&signal, id] { signal.disconnect(id); });
    };
    keep(m.options.Full8085.changed, m.options.Full8085.changed.connect([this] { showMode(); }));
    keep(full_.tStates.changed, full_.tStates.changed.connect([this] { showTime(); }));
    keep(m.run.executed.changed, m.run.executed.changed.connect([this] { showTime(); }));
    keep(full_.interrupts.changed, full_.interrupts.changed.connect([this] { showInterrupts(); }));
    keep(full_.console.changed, full_.console.changed.connect([this] { showConsole(); }));
    keep(full_.bdos.changed, full_.bdos.changed.connect([this] { bdos_->setChecked(full_.bdos.get()); }));
    keep(m.events.started, m.events.started.connect([this] {
        // A run starts from reset: what it changes is measured from there.
        interruptBase_ = InterruptView{};
        outputBase_ = 0;
        setRunning(true);
    }));
    keep(m.events.paused, m.events.paused.connect([this] { setRunning(true); }));
    // Ended comes while the run is still winding up: the run is over all the same.
    keep(m.events.ended, m.events.ended.connect([this] { setRunning(false); }));
    bdos_->setChecked(full_.bdos.get());
}

QString FullPanel::durationText(std::uint64_t tStates)
{
    // One T-state lasts 1/3.072 µs; the unit moves up before the rounded
    // number would reach 1000.
    double value = double(tStates) / 3.072;
    const char* units[] = {"µs", "ms", "s"};
    int unit = 0;
    while (unit < 2 && value >= 999.9995) {
        value /= 1000.0;
        ++unit;
    }
    return QString::number(value, 'f', 3) + QLatin1Char(' ') + QString::fromUtf8(units[unit]);
}

void FullPanel::showMode()
{
    const bool full = sim_.machine.options.Full8085.get() == 1;
    modeLine_->setText(full ? QStringLiteral("Full 8085 mode: IN, OUT and interrupts are carried out")
                            : QStringLiteral("Classic mode: IN, OUT and interrupts are skipped"));
    for (QWidget* w : {static_cast<QWidget*>(tStates_), static_cast<QWidget*>(time_), interruptGroup_,
                       consoleGroup_, inputGroup_, outputGroup_})
        w->setEnabled(full);
    for (const char* name : {"fullTStatesLabel", "fullTimeLabel"})
        if (auto* label = findChild<QLabel*>(QLatin1String(name))) label->setEnabled(full);
    setRunning(running_);
}

void FullPanel::setRunning(bool running)
{
    running_ = running;
    const bool on = running && sim_.machine.options.Full8085.get() == 1;
    for (QPushButton* button : raise_) button->setEnabled(on);
}

void FullPanel::showTime()
{
    const std::uint64_t t = full_.tStates.get();
    tStates_->setText(QString::number(t));
    time_->setText(durationText(t));
    executed_->setText(QString::number(sim_.machine.run.executed.get()));
}

void FullPanel::showInterrupts()
{
    const InterruptView& irq = full_.interrupts.get();
    auto yesNo = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
    enabled_->setText(irq.enabled ? QStringLiteral("on") : QStringLiteral("off"));
    for (int i = 0; i < 3; ++i) masks_[i]->setText(yesNo(irq.masks & (4 >> i)));
    pending_[0]->setText(yesNo(irq.trap));
    for (int i = 0; i < 3; ++i) pending_[i + 1]->setText(yesNo(irq.pending & (4 >> i)));
    pending_[4]->setText(yesNo(irq.intr));
}

void FullPanel::showConsole()
{
    const QString text = QString::fromStdString(full_.console.get());
    const QString shown = console_->toPlainText();
    if (text == shown) return;
    // A run only ever adds to the console: add the new part rather than
    // laying the whole text out again.
    if (!shown.isEmpty() && text.startsWith(shown)) {
        QTextCursor cursor(console_->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text.mid(shown.size()));
    } else {
        console_->setPlainText(text);
    }
    console_->verticalScrollBar()->setValue(console_->verticalScrollBar()->maximum());
}

void FullPanel::markChanges(const std::set<int>& ports, bool tStates, bool interrupts)
{
    tStatesMarked_ = tStates;

    const InterruptView& now = full_.interrupts.get();
    interruptMarked_.clear();
    if (interrupts) {
        const InterruptView& was = interruptBase_;
        if (now.enabled != was.enabled) interruptMarked_.insert(enabled_);
        for (int i = 0; i < 3; ++i) {
            const int bit = 4 >> i;
            if ((now.masks & bit) != (was.masks & bit)) interruptMarked_.insert(masks_[i]);
            if ((now.pending & bit) != (was.pending & bit)) interruptMarked_.insert(pending_[i + 1]);
        }
        if (now.trap != was.trap) interruptMarked_.insert(pending_[0]);
        if (now.intr != was.intr) interruptMarked_.insert(pending_[4]);
    }
    interruptBase_ = now;

    const int size = outputModel_->rowCount();
    outputModel_->setMarked(std::min(outputBase_, size), ports);
    outputBase_ = size;
    showHighlights();
}

void FullPanel::showHighlights()
{
    const QColor tint = changedBackground(palette());
    auto mark = [&](QLineEdit* field, bool on) {
        if (on) {
            QPalette p;  // only the base is set: everything else still follows the panel
            p.setColor(QPalette::Base, tint);
            field->setPalette(p);
        } else {
            field->setPalette(QPalette());
        }
    };
    mark(tStates_, tStatesMarked_);
    mark(time_, tStatesMarked_);
    mark(enabled_, interruptMarked_.contains(enabled_));
    for (QLineEdit* field : masks_) mark(field, interruptMarked_.contains(field));
    for (QLineEdit* field : pending_) mark(field, interruptMarked_.contains(field));
}

void FullPanel::changeEvent(QEvent* event)
{
    // The tint is worked out from the palette: a new palette needs a new tint.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        showHighlights();
    QWidget::changeEvent(event);
}

}  // namespace korvanta::app
