#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/artwork.h"
#include "app/code_list.h"
#include "app/learning_aids.h"
#include "app/program_transfer.h"
#include "app/dialogs.h"
#include "app/field_binding.h"
#include "app/memory_model.h"
#include "engine/simulator.h"
#include "reference/instruction_reference.h"

namespace korvanta::app {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

QString withLineFeeds(const std::string& text)
{
    return qs(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QFont monospace()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

// Runs fn while the window mirrors the core, so that the widgets' own change
// signals are not taken for the user's actions.
template <class Fn>
void mirroring(bool& flag, Fn&& fn)
{
    const bool was = flag;
    flag = true;
    fn();
    flag = was;
}

const char* kHomeText = R"(<h1>Welcome to Ombrix Korvanta</h1>
<p>Korvanta is a simulated Intel 8085 microprocessor for people meeting a processor for the
first time. You write a program in 8085 assembly language, Korvanta assembles it into a
4&nbsp;KB block of simulated memory, and then runs it at full speed or one instruction at a
time while you watch the registers, the flags, the stack pointer, the program counter and
every memory byte change.</p>
<h3>Getting started</h3>
<ol>
<li>Open the <b>Code Entry</b> tab and type one instruction per line, for example
<tt>MVI A,05</tt>, then press Enter or <b>Add</b>. Letters are turned into capitals for you.</li>
<li>Finish the program with <tt>HLT</tt> (Korvanta can add it for you: see <b>Options</b>).</li>
<li>Press <b>Run</b> (F5) to assemble and run, or <b>Step Forward</b> (F10) to go one
instruction at a time; <b>Stop</b> (Shift+F5) ends a run.</li>
<li>Watch the result on the <b>CPU and Memory State</b> tab. Click a flag bit to flip it, type
into a register, or double-click a memory row to change a byte.</li>
</ol>
<p>Tags name a line for jumps and calls: <tt>LOOP: DCR B</tt> and later <tt>JNZ LOOP</tt>.
A line <tt>!!ORG 0200</tt> places the code that follows at address 0200, and any other line
starting with <tt>!!</tt> is a comment.</p>
<p>Pick an instruction in the <b>Code Reference</b> list to see what it does and how it is
written.</p>)";

const char* kAboutText = R"(<h1>About Ombrix Korvanta</h1>
<p><b>Korvanta</b>, an Intel 8085 simulator for learners, by Ombrix Technology.</p>
<p>Korvanta keeps the whole machine state as text, the way you would write it on paper: every
byte is two hexadecimal digits and every address four. Arithmetic is worked out one binary
digit at a time, and the flags are read off that work, so what you see on screen is exactly
what the simulated processor holds.</p>
<p>The simulated memory is one 4&nbsp;KB window of the 8085's 64&nbsp;KB address space; choose
which one with the selector above the memory list. Data transfer, arithmetic, 16-bit, rotate,
carry, jump, call, return and stack instructions are carried out. The logical instructions,
DAA, EI, DI, RIM, SIM, IN, OUT and RST are assembled into their correct bytes but skipped when
the program runs, with a line in the program log.</p>
<p>Projects are saved as <tt>.QSM</tt> files and can be exported to plain text or printed.</p>
<p>Korvanta is free software written in C++ with Qt.</p>)";

QLabel* richPage(const char* html)
{
    auto* label = new QLabel(QString::fromUtf8(html));
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    label->setMargin(16);
    return label;
}

}  // namespace

SimulatorWindow::SimulatorWindow(Host& host, QWidget* parent)
    : QMainWindow(parent), sim_(std::make_unique<Simulator>(host))
{
    setObjectName(QStringLiteral("Simulator"));
    setWindowTitle(qs(sim_->machine.view.windowTitle.get()));
    setWindowIcon(QIcon(QPixmap::fromImage(drawApplicationIcon(64))));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("TabStrip1"));
    const struct {
        QWidget* page;
        const char* caption;
        const char* tip;
    } pages[] = {
        {buildHomePage(), "Korvanta Home", "Korvanta Home Screen"},
        {buildCodeEntryPage(), "Code Entry", "Edit and write ASM code"},
        {buildStatePage(), "CPU and Memory State", "View and Edit the simulated CPU state"},
        {buildAboutPage(), "About Korvanta", "Learn more about Ombrix Technology"},
    };
    for (int i = 0; i < 4; ++i) {
        pages[i].page->setObjectName(QStringLiteral("Frame1_%1").arg(i));
        tabs_->addTab(pages[i].page, QString::fromLatin1(pages[i].caption));
        tabs_->setTabToolTip(i, QString::fromLatin1(pages[i].tip));
    }
    setCentralWidget(tabs_);
    buildToolbar();

    connectCore();
    buildAids();
    buildPanels();
    // The dialogs come after the panels: docking moves the pages behind the
    // docks among the window's children, and a search by name finds the
    // window's own fields before the dialogs' ones of the same name.
    editDialog_ = new EditMemoryDialog(sim_->machine.memoryCommands, this);
    showMemDialog_ = new ShowMemDialog(sim_->machine.memoryCommands, this);
    saveDialog_ = new SaveProgramDialog(sim_->documents, this);
    buildMenus();
    nameForAssistiveTools();
    resize(1100, 780);
}

SimulatorWindow::~SimulatorWindow()
{
    // The core goes before the widgets that show it: cut every road between
    // them first, so that no widget torn down later talks to a dead core.
    // The panels and the aids follow the core's signals: they go before it,
    // each with what it made itself.
    for (QDockWidget* d : docks_) delete d;
    docks_.clear();
    delete aids_;
    aids_ = nullptr;
    delete transfer_;
    transfer_ = nullptr;
    qDeleteAll(findChildren<FieldBinding*>());
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children) QObject::disconnect(child, nullptr, this, nullptr);
    delete editDialog_;
    delete showMemDialog_;
    delete saveDialog_;
    listView1_->setModel(nullptr);
    delete memoryModel_;
}

// ---- pages ------------------------------------------------------------------

QWidget* SimulatorWindow::buildHomePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(richPage(kHomeText));
    return page;
}

QWidget* SimulatorWindow::buildAboutPage()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(drawApplicationIcon(128)));
    picture->setAlignment(Qt::AlignTop);
    picture->setMargin(16);
    layout->addWidget(picture);
    layout->addWidget(richPage(kAboutText), 1);
    return page;
}

QWidget* SimulatorWindow::buildCodeEntryPage()
{
    Machine& m = sim_->machine;
    ProgramSource& source = sim_->source;
    auto* page = new QWidget;

    // Left: the program.
    enterCode_ = new QLineEdit;
    enterCode_->setPlaceholderText(QStringLiteral("Enter your ASM code here."));
    enterCode_->setFont(monospace());
    FieldHooks codeHooks;
    codeHooks.filter = [](char typed, bool* enter) { return ProgramSource::EnterCodeKeyFilter(typed, enter); };
    codeHooks.onEnter = [&source] { source.Command1_Click(); };
    new FieldBinding(enterCode_, source.EnterCode, codeHooks, this);

    command1_ = new QPushButton(QStringLiteral("Add"));
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_ = new QPushButton(QStringLiteral("Delete"));
    command2_->setObjectName(QStringLiteral("Command2"));
    connect(command1_, &QPushButton::clicked, this, [this] { sim_->source.Command1_Click(); });
    connect(command2_, &QPushButton::clicked, this, [this] { sim_->source.Command2_Click(); });

    list2_ = new CodeList;
    list2_->setObjectName(QStringLiteral("List2"));
    list2_->setFont(monospace());
    list2_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list2_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!syncing_ && row >= 0) sim_->source.List2_Click(row);
    });

    text1_ = new QLineEdit;
    FieldHooks startHooks;
    startHooks.filter = [](char typed, bool*) -> std::optional<char> { return ProgramSource::Text1KeyFilter(typed); };
    new FieldBinding(text1_, m.Text1, startHooks, this);
    text1_->setFont(monospace());
    text1_->setMaximumWidth(QFontMetrics(monospace()).horizontalAdvance(QStringLiteral("0000")) * 3);

    auto* entryRow = new QHBoxLayout;
    entryRow->addWidget(enterCode_, 1);
    entryRow->addWidget(command1_);
    entryRow->addWidget(command2_);
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(new QLabel(QStringLiteral("Start program at memory location:")));
    startRow->addWidget(text1_);
    startRow->addStretch(1);

    auto* codeFrame = new QGroupBox(QStringLiteral("Program"));
    codeFrame->setObjectName(QStringLiteral("Frame2"));
    auto* left = new QVBoxLayout(codeFrame);
    left->addLayout(entryRow);
    left->addWidget(list2_, 1);
    left->addLayout(startRow);

    // Right: the reference and the options.
    auto* reference = new QGroupBox(QStringLiteral("Code Reference"));
    reference->setObjectName(QStringLiteral("Frame3"));
    list1_ = new QListWidget;
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setFont(monospace());
    connect(list1_, &QListWidget::currentRowChanged, this, [this](int) {
        if (!syncing_) List1_Click();
    });
    text3_ = new QPlainTextEdit;
    text3_->setObjectName(QStringLiteral("Text3"));
    text3_->setReadOnly(true);
    auto* referenceLayout = new QGridLayout(reference);
    referenceLayout->addWidget(new QLabel(QStringLiteral("Choose a command to lookup")), 0, 0);
    referenceLayout->addWidget(list1_, 1, 0);
    referenceLayout->addWidget(text3_, 1, 1);
    referenceLayout->setColumnStretch(0, 1);
    referenceLayout->setColumnStretch(1, 3);

    auto* optionsFrame = new QGroupBox(QStringLiteral("Options"));
    optionsFrame->setObjectName(QStringLiteral("Frame4"));
    auto* optionsLayout = new QVBoxLayout(optionsFrame);
    const char* captions[5] = {nullptr, "Just compile (do not run)", "Jun run (do not compile)",
                               "Automatically add \"HLT\" if necessary", "Understand textual \"!!ORG\" commands"};
    for (int i : {4, 3, 2, 1}) {
        checks_[i] = new QCheckBox(QString::fromLatin1(captions[i]));
        checks_[i]->setObjectName(QStringLiteral("Check%1").arg(i));
        optionsLayout->addWidget(checks_[i]);
    }
    connect(checks_[1], &QCheckBox::clicked, this, [this](bool on) { sim_->machine.options.Check1_Click(on ? 1 : 0); });
    connect(checks_[2], &QCheckBox::clicked, this, [this](bool on) { sim_->machine.options.Check2_Click(on ? 1 : 0); });
    connect(checks_[3], &QCheckBox::clicked, this, [this](bool on) { sim_->machine.options.Check3.set(on ? 1 : 0); });
    connect(checks_[4], &QCheckBox::clicked, this, [this](bool on) { sim_->machine.options.Check4.set(on ? 1 : 0); });

    // Full 8085 mode and the budget, both modes' guard against endless loops.
    fullCheck_ = new QCheckBox(QStringLiteral("Full 8085 (carry out every instruction)"));
    fullCheck_->setObjectName(QStringLiteral("CheckFull8085"));
    fullCheck_->setToolTip(QStringLiteral("Run every instruction as the real 8085 does: logic, compares, DAA, "
                                          "a real stack, ports, interrupts and T-states"));
    optionsLayout->addWidget(fullCheck_);
    connect(fullCheck_, &QCheckBox::clicked, this, [this](bool on) { sim_->machine.options.Full8085.set(on ? 1 : 0); });
    budget_ = new QSpinBox;
    budget_->setObjectName(QStringLiteral("MaxInstructions"));
    budget_->setRange(1, kMaxInstructionBudget);
    budget_->setGroupSeparatorShown(true);
    budget_->setValue(m.options.MaxInstructions.get());
    auto* budgetLabel = new QLabel(QStringLiteral("Instruction budget:"));
    budgetLabel->setBuddy(budget_);
    auto* budgetRow = new QHBoxLayout;
    budgetRow->addWidget(budgetLabel);
    budgetRow->addWidget(budget_);
    budgetRow->addStretch(1);
    optionsLayout->addLayout(budgetRow);
    connect(budget_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!syncing_) sim_->machine.options.MaxInstructions.set(value);
    });

    auto* right = new QVBoxLayout;
    right->addWidget(reference, 1);
    right->addWidget(optionsFrame);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(codeFrame, 2);
    layout->addLayout(right, 3);
    return page;
}

FieldBinding* SimulatorWindow::bindRegister(QLineEdit* edit, TextField& field)
{
    FieldHooks hooks;
    hooks.filter = [&field](char typed, bool*) { return CpuFields::KeyFilter(field.text(), typed); };
    hooks.onFocusOut = [this, &field] { sim_->machine.cpu.RegisterLostFocus(field); };
    auto* binding = new FieldBinding(edit, field, hooks, this);
    edit->setFont(monospace());
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaximumWidth(QFontMetrics(monospace()).horizontalAdvance(QStringLiteral("0000")) * 2);
    return binding;
}

QWidget* SimulatorWindow::buildStatePage()
{
    Machine& m = sim_->machine;
    CpuFields& cpu = m.cpu;
    auto* page = new QWidget;
    const int digit = QFontMetrics(monospace()).horizontalAdvance(QLatin1Char('0'));

    // Memory.
    frame6_ = new QGroupBox(qs(m.view.memoryFrameCaption.get()));
    frame6_->setObjectName(QStringLiteral("Frame6"));
    toolbar2_ = new QToolBar;
    toolbar2_->setObjectName(QStringLiteral("Toolbar2"));
    toolbar2_->setIconSize(QSize(20, 20));
    QAction* reset = toolbar2_->addAction(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("Reset"));
    reset->setObjectName(QStringLiteral("Toolbar2_Button1"));
    reset->setToolTip(QStringLiteral("Reset the Memory"));
    QAction* scroll = toolbar2_->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("Scroll"));
    scroll->setObjectName(QStringLiteral("Toolbar2_Button2"));
    scroll->setToolTip(QStringLiteral("Scroll to a memory location"));
    connect(reset, &QAction::triggered, this, [this] { sim_->machine.memoryCommands.Toolbar2_ButtonClick(1); });
    connect(scroll, &QAction::triggered, this, [this] { sim_->machine.memoryCommands.Toolbar2_ButtonClick(2); });

    combo1_ = new QComboBox;
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setFont(monospace());
    connect(combo1_, &QComboBox::activated, this, [this](int index) {
        if (!syncing_) sim_->machine.memoryCommands.Combo1_Click(combo1_->itemText(index).toStdString());
    });

    memoryModel_ = new MemoryModel(m.window, this);
    listView1_ = new QTableView;
    listView1_->setObjectName(QStringLiteral("ListView1"));
    listView1_->setModel(memoryModel_);
    listView1_->setFont(monospace());
    listView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView1_->verticalHeader()->hide();
    // Rows of one height let the view place any row without measuring the
    // others: selecting and scrolling during a run stays cheap.
    listView1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView1_->verticalHeader()->setDefaultSectionSize(QFontMetrics(monospace()).height() + 4);
    listView1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listView1_->setMinimumWidth(digit * 16);
    listView1_->installEventFilter(this);
    // Qt repaints the list when the window is exposed or activated again, so
    // the hide-and-show that older toolkits needed for a redraw is left out.
    connect(listView1_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncing_ && current.isValid())
                    sim_->machine.view.selectedMemoryRow.set(MemoryModel::memoryIndexOf(current.row()));
            });
    connect(listView1_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid()) return;
        const int row = MemoryModel::memoryIndexOf(index.row());
        sim_->machine.view.selectedMemoryRow.set(row);
        if (auto state = sim_->machine.memoryCommands.ListView1_DblClick(row)) editDialog_->open(*state);
    });

    auto* memoryLayout = new QVBoxLayout(frame6_);
    memoryLayout->addWidget(toolbar2_);
    memoryLayout->addWidget(new QLabel(QStringLiteral("Show memory starting with the character:")));
    memoryLayout->addWidget(combo1_);
    memoryLayout->addWidget(listView1_, 1);

    // Program execution.
    auto* execution = new QGroupBox(QStringLiteral("Program Execution"));
    execution->setObjectName(QStringLiteral("Frame7"));
    list3_ = new QListWidget;
    list3_->setObjectName(QStringLiteral("List3"));
    list3_->setFont(monospace());
    text13_ = new QPlainTextEdit;
    text13_->setObjectName(QStringLiteral("Text13"));
    text13_->setReadOnly(true);
    text13_->setFont(monospace());
    execStatus_ = new QLineEdit;
    execStatus_->setReadOnly(true);
    new FieldBinding(execStatus_, m.ExecStatus, {}, this);
    execStatus_->setAlignment(Qt::AlignCenter);
    QFont statusFont = execStatus_->font();
    statusFont.setBold(true);
    execStatus_->setFont(statusFont);
    // The longest status and log line stay whole when panels beside the pages take room.
    execStatus_->setMinimumWidth(QFontMetrics(statusFont).horizontalAdvance(QStringLiteral("Instruction Limit Reached")) +
                                 2 * digit);
    list3_->setMinimumWidth(QFontMetrics(monospace()).horizontalAdvance(QStringLiteral("Start Program: Normal CPU/SET3")) +
                            2 * digit + list3_->verticalScrollBar()->sizeHint().width());
    auto* executionLayout = new QVBoxLayout(execution);
    executionLayout->addWidget(new QLabel(QStringLiteral("Program Log:")));
    executionLayout->addWidget(list3_, 1);
    executionLayout->addWidget(new QLabel(QStringLiteral("System Log:")));
    executionLayout->addWidget(text13_, 1);
    executionLayout->addWidget(execStatus_);

    // CPU state: flags, flag value, SP, PC.
    auto* cpuState = new QGroupBox(QStringLiteral("CPU State"));
    cpuState->setObjectName(QStringLiteral("Frame8"));
    auto* flagCaption = new QLabel(QStringLiteral(" S    Z   -   AC   -   P   -   CY "));
    flagCaption->setFont(monospace());
    auto* bits = new QHBoxLayout;
    bits->setSpacing(2);
    for (int bit = 7; bit >= 0; --bit) {
        TextField& field = cpu.flagBit(bit);
        auto* edit = new QLineEdit;
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setFont(monospace());
        edit->setAlignment(Qt::AlignCenter);
        edit->setFixedWidth(digit * 3);
        edit->setCursor(Qt::PointingHandCursor);
        FieldHooks hooks;
        hooks.onClick = [this, &field] { sim_->machine.cpu.FlagBitClick(field); };
        new FieldBinding(edit, field, hooks, this);
        edit->setToolTip(QStringLiteral("Click to toggle this flag bit"));
        bits->addWidget(edit);
    }
    bits->addStretch(1);

    auto* text2 = new QLineEdit;
    FieldHooks flagValueHooks;
    flagValueHooks.filter = [&cpu](char typed, bool*) { return CpuFields::KeyFilter(cpu.Text2.text(), typed); };
    flagValueHooks.onFocusOut = [this] { sim_->machine.cpu.Text2LostFocus(); };
    new FieldBinding(text2, cpu.Text2, flagValueHooks, this);
    auto* sp = new QLineEdit;
    FieldHooks spHooks;
    spHooks.filter = [&cpu](char typed, bool*) { return CpuFields::KeyFilter(cpu.SP.text(), typed); };
    new FieldBinding(sp, cpu.SP, spHooks, this);
    auto* pc = new QLineEdit;
    pc->setReadOnly(true);
    new FieldBinding(pc, cpu.PC, {}, this);
    for (QLineEdit* edit : {text2, sp, pc}) {
        edit->setFont(monospace());
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaximumWidth(digit * 8);
    }

    auto* cpuLayout = new QGridLayout(cpuState);
    cpuLayout->addWidget(flagCaption, 0, 0, 1, 2);
    cpuLayout->addLayout(bits, 1, 0, 1, 2);
    cpuLayout->addWidget(new QLabel(QStringLiteral("Flag Value")), 2, 0);
    cpuLayout->addWidget(text2, 2, 1);
    cpuLayout->addWidget(new QLabel(QStringLiteral("Stack Pointer (SP)")), 3, 0);
    cpuLayout->addWidget(sp, 3, 1);
    cpuLayout->addWidget(new QLabel(QStringLiteral("Program Counter (PC)")), 4, 0);
    cpuLayout->addWidget(pc, 4, 1);

    // Registers: A alone on top, then B C, D E, H L.
    auto* registers = new QGroupBox(QStringLiteral("Registers"));
    registers->setObjectName(QStringLiteral("Frame9"));
    auto* grid = new QGridLayout(registers);
    auto place = [&](const char* letter, TextField& field, int row, int pair) {
        auto* edit = new QLineEdit;
        bindRegister(edit, field);
        grid->addWidget(new QLabel(QString::fromLatin1(letter)), row, pair * 2, Qt::AlignRight);
        grid->addWidget(edit, row, pair * 2 + 1);
    };
    place("A", cpu.RegisterA, 0, 0);
    place("B", cpu.RegisterB, 1, 0);
    place("C", cpu.RegisterC, 1, 1);
    place("D", cpu.RegisterD, 2, 0);
    place("E", cpu.RegisterE, 2, 1);
    place("H", cpu.RegisterH, 3, 0);
    place("L", cpu.RegisterL, 3, 1);
    grid->setColumnStretch(4, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(cpuState);
    right->addWidget(registers);
    right->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(frame6_, 3);
    layout->addWidget(execution, 4);
    layout->addLayout(right, 3);
    return page;
}

void SimulatorWindow::buildToolbar()
{
    toolbar1_ = addToolBar(QStringLiteral("Main"));
    toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar1_->setMovable(false);
    toolbar1_->setIconSize(QSize(24, 24));
    QStyle* s = style();
    const struct {
        int index;
        QIcon icon;
        const char* text;
        const char* tip;
        QKeySequence keys;
    } entries[] = {
        {1, QIcon::fromTheme(QStringLiteral("document-new"), s->standardIcon(QStyle::SP_FileIcon)), "New",
         "Create a new file", QKeySequence(QKeySequence::New)},
        {2, QIcon::fromTheme(QStringLiteral("document-open"), s->standardIcon(QStyle::SP_DialogOpenButton)), "Open",
         "Open an existing file", QKeySequence(QKeySequence::Open)},
        {3, QIcon::fromTheme(QStringLiteral("document-save"), s->standardIcon(QStyle::SP_DialogSaveButton)), "Save",
         "Save the current program", QKeySequence(QKeySequence::Save)},
        {5, themedIcon(QStringLiteral("edit-cut")), "Cut", "Cut", {}},
        {6, themedIcon(QStringLiteral("edit-copy")), "Copy", "Copy", {}},
        {7, themedIcon(QStringLiteral("edit-paste")), "Paste", "Paste", {}},
        {9, themedIcon(QStringLiteral("document-print")), "Print", "Print the current program",
         QKeySequence(QKeySequence::Print)},
        {11, s->standardIcon(QStyle::SP_MediaPlay), "Run", "Run the current program", QKeySequence(Qt::Key_F5)},
        {12, s->standardIcon(QStyle::SP_MediaSeekForward), "Step", "Step Forward", QKeySequence(Qt::Key_F10)},
        {13, s->standardIcon(QStyle::SP_MediaStop), "Stop", "Stop the current program",
         QKeySequence(Qt::SHIFT | Qt::Key_F5)},
    };
    int next = 1;
    for (const auto& e : entries) {
        for (; next < e.index; ++next) {
            buttons_[next] = toolbar1_->addSeparator();
            buttons_[next]->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(next));
        }
        QAction* action = toolbar1_->addAction(e.icon, QString::fromLatin1(e.text));
        action->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(e.index));
        QString tip = QString::fromLatin1(e.tip);
        action->setToolTip(tip);
        if (!e.keys.isEmpty()) {
            action->setShortcut(e.keys);
            action->setStatusTip(tip + QStringLiteral(" (") + e.keys.toString(QKeySequence::NativeText) +
                                 QStringLiteral(")"));
        }
        const int index = e.index;
        connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        buttons_[index] = action;
        next = index + 1;
    }
}

QAction* SimulatorWindow::toolbarButton(int index) const
{
    return index >= 1 && index <= 13 ? buttons_[index] : nullptr;
}

void SimulatorWindow::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1: sim_->documents.NewDocument(); break;
    case 2: sim_->documents.OpenDocument(); break;
    case 3: sim_->documents.ShowSaveDialog(); break;
    case 9: sim_->documents.PrintDocument(); break;
    case 11: sim_->runControl.StartExecution(); break;
    case 12: sim_->runControl.StepProgram(); break;
    case 13: sim_->runControl.HALTExecution(); break;
    default: break;  // Cut, Copy and Paste have never done anything here
    }
}

// ---- following the core -----------------------------------------------------

void SimulatorWindow::connectCore()
{
    Machine& m = sim_->machine;
    ViewState& view = m.view;
    ProgramSource& source = sim_->source;

    view.windowTitle.changed.connect([this, &view] { setWindowTitle(qs(view.windowTitle.get())); });
    view.memoryFrameCaption.changed.connect([this, &view] { frame6_->setTitle(qs(view.memoryFrameCaption.get())); });
    view.runEnabled.changed.connect([this, &view] { buttons_[11]->setEnabled(view.runEnabled.get()); });
    view.resetMemoryEnabled.changed.connect(
        [this, &view] { toolbar2_->actions().at(0)->setEnabled(view.resetMemoryEnabled.get()); });
    view.memoryViewVisible.changed.connect([this, &view] { listView1_->setVisible(view.memoryViewVisible.get()); });
    view.mainWindowEnabled.changed.connect([this, &view] { setMainWindowEnabled(view.mainWindowEnabled.get()); });
    view.selectedMemoryRow.changed.connect([this] { showSelectedMemoryRow(); });
    view.scrollMemoryTo.connect([this](int row) {
        if (row >= 1 && row <= memoryModel_->rowCount())
            listView1_->scrollTo(memoryModel_->index(MemoryModel::rowOf(row), 0));
    });
    view.focusRequested.connect([this](FocusTarget target) {
        switch (target) {
        case FocusTarget::EnterCode: enterCode_->setFocus(); break;
        case FocusTarget::SystemLog: text13_->setFocus(); break;
        case FocusTarget::MainWindow:
            activateWindow();
            raise();
            break;
        case FocusTarget::ScrollEntry: showMemDialog_->entry()->setFocus(); break;
        case FocusTarget::EditData: editDialog_->dataEntry()->setFocus(); break;
        case FocusTarget::SaveDialog: saveDialog_->activateWindow(); break;
        }
    });
    view.dialogRequested.connect([this](DialogKind kind) {
        if (kind == DialogKind::ShowMem) showMemDialog_->open();
        else if (kind == DialogKind::SaveProgram) saveDialog_->open();
        // The edit dialog opens from the double click, which holds its contents.
    });
    view.dialogClosed.connect([this](DialogKind kind) {
        if (kind == DialogKind::ShowMem) showMemDialog_->closeFromCore();
        else if (kind == DialogKind::EditMemory) editDialog_->closeFromCore();
        else saveDialog_->closeFromCore();
    });
    sim_->documents.saveDialog.open.changed.connect([this] {
        if (sim_->documents.saveDialog.open.get()) saveDialog_->open();
        else saveDialog_->closeFromCore();
    });
    sim_->documents.quitRequested.connect([this] { requestQuit(); });

    // Options.
    Options& options = m.options;
    Observable<int>* checks[5] = {nullptr, &options.Check1, &options.Check2, &options.Check3, &options.Check4};
    for (int i = 1; i <= 4; ++i) {
        checks_[i]->setChecked(checks[i]->get() != 0);
        checks[i]->changed.connect([this, i, o = checks[i]] { checks_[i]->setChecked(o->get() != 0); });
    }

    // Full 8085 mode and the budget.
    fullCheck_->setChecked(options.Full8085.get() == 1);
    options.Full8085.changed.connect([this] {
        fullCheck_->setChecked(sim_->machine.options.Full8085.get() == 1);
        showMode();
    });
    options.MaxInstructions.changed.connect([this] {
        mirroring(syncing_, [&] { budget_->setValue(sim_->machine.options.MaxInstructions.get()); });
    });

    // Range selector.
    m.window.windowDigit.changed.connect([this, &m] {
        mirroring(syncing_, [&] { combo1_->setCurrentIndex(combo1_->findText(qs(m.window.windowDigit.get()))); });
    });

    // Logs and status.
    m.List3.cleared.connect([this] { list3_->clear(); });
    m.List3.appended.connect([this, &m](int i) {
        list3_->addItem(qs(m.List3.lines()[std::size_t(i)]));
        list3_->scrollToBottom();
    });
    m.Text13.changed.connect([this] { showSystemLog(); });
    m.statusColour.changed.connect([this] { showStatusColour(); });

    // Code list.
    auto showSelection = [this, &source] {
        mirroring(syncing_, [&] {
            if (source.selected() < 0) {
                list2_->clearSelection();
                list2_->setCurrentRow(-1);
            } else {
                list2_->setCurrentRow(source.selected());
            }
        });
    };
    source.linesReset.connect([this, showSelection] {
        mirroring(syncing_, [&] { list2_->clear(); });
        showSelection();
    });
    source.lineInserted.connect([this, &source, showSelection](int i) {
        mirroring(syncing_, [&] { list2_->insertItem(i, qs(source.lines()[std::size_t(i)])); });
        showSelection();
    });
    source.lineRemoved.connect([this, showSelection](int i) {
        mirroring(syncing_, [&] { delete list2_->takeItem(i); });
        showSelection();
    });
    source.selectionChanged.connect(showSelection);
    // The assembler points at a failing line by selecting it.
    source.selectionChanged.connect([this, &source] {
        if (source.selected() >= 0) list2_->scrollToItem(list2_->item(source.selected()));
    });
}

void SimulatorWindow::Form_Load()
{
    TabStrip1_Click();
    mirroring(syncing_, [&] {
        combo1_->clear();
        for (const char* d : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"})
            combo1_->addItem(QString::fromLatin1(d));
        combo1_->setCurrentIndex(combo1_->findText(qs(sim_->machine.window.windowDigit.get())));
        list1_->clear();
        for (const std::string& key : ReferenceKeys()) list1_->addItem(qs(key));
    });
    sizeMemoryColumns();
    sim_->Form_Load();
}

void SimulatorWindow::TabStrip1_Click()
{
    // The tab widget shows exactly one page, the selected one.
    if (tabs_->currentIndex() < 0) tabs_->setCurrentIndex(0);
}

void SimulatorWindow::List1_Click()
{
    QListWidgetItem* item = list1_->currentItem();
    if (!item) return;
    if (auto help = ReferenceHelpText(item->text().toStdString())) text3_->setPlainText(withLineFeeds(*help));
}

void SimulatorWindow::showStatusColour()
{
    QPalette palette = execStatus_->style()->standardPalette();
    switch (sim_->machine.statusColour.get()) {
    case StatusColour::Yellow: palette.setColor(QPalette::Base, QColor(255, 255, 0)); break;
    case StatusColour::Green: palette.setColor(QPalette::Base, QColor(0, 192, 0)); break;
    case StatusColour::Red: palette.setColor(QPalette::Base, QColor(255, 0, 0)); break;
    case StatusColour::None: palette = QPalette(); break;
    }
    if (sim_->machine.statusColour.get() != StatusColour::None) palette.setColor(QPalette::Text, Qt::black);
    execStatus_->setPalette(palette);
}

void SimulatorWindow::showSystemLog()
{
    const QString text = withLineFeeds(sim_->machine.Text13.text());
    if (text13_->toPlainText() == text) return;
    text13_->setPlainText(text);
    text13_->verticalScrollBar()->setValue(text13_->verticalScrollBar()->maximum());
}

void SimulatorWindow::showSelectedMemoryRow()
{
    const int row = sim_->machine.view.selectedMemoryRow.get();
    mirroring(syncing_, [&] {
        QItemSelectionModel* selection = listView1_->selectionModel();
        if (row < 1 || row > memoryModel_->rowCount()) {
            selection->clear();
            return;
        }
        selection->setCurrentIndex(memoryModel_->index(MemoryModel::rowOf(row), 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
}

void SimulatorWindow::sizeMemoryColumns()
{
    const int width = listView1_->width();
    listView1_->setColumnWidth(0, width / 2);
    listView1_->setColumnWidth(1, width * 4 / 10);
}

void SimulatorWindow::setMainWindowEnabled(bool enabled)
{
    // The dialogs are separate windows; only the window's own content is locked.
    centralWidget()->setEnabled(enabled);
    toolbar1_->setEnabled(enabled);
    for (int i = 1; i <= 13; ++i)
        if (buttons_[i] && !buttons_[i]->isSeparator()) buttons_[i]->setShortcutContext(
                enabled ? Qt::WindowShortcut : Qt::WidgetShortcut);
}

bool SimulatorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == listView1_ && event->type() == QEvent::Resize) sizeMemoryColumns();
    return QMainWindow::eventFilter(watched, event);
}

void SimulatorWindow::requestQuit()
{
    allowClose_ = true;
    stopRunForExit();
    for (QDialog* dialog : {static_cast<QDialog*>(editDialog_), static_cast<QDialog*>(showMemDialog_),
                            static_cast<QDialog*>(saveDialog_)})
        dialog->hide();
    QTimer::singleShot(0, this, [this] { close(); });
}

void SimulatorWindow::stopRunForExit()
{
    if (!sim_->machine.run.running) return;
    sim_->runControl.HALTExecution();
    // A stepping run waits for a Step before it looks at Stop; without one it
    // would keep the program alive after its window has gone.
    sim_->machine.run.StepRequest = kTrue;
}

void SimulatorWindow::closeEvent(QCloseEvent* event)
{
    if (allowClose_ || sim_->documents.Form_QueryUnload()) {
        allowClose_ = true;
        stopRunForExit();
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace korvanta::app
