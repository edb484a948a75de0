#include "documents/documents.h"

#include "assembler/breakpoints.h"
#include "assembler/program_source.h"
#include "documents/document_texts.h"
#include "documents/project_extension.h"
#include "documents/project_file.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

// The memory list is hidden while a load writes thousands of rows, and shown
// again however the load ends.
class MemoryViewHidden {
public:
    explicit MemoryViewHidden(Observable<bool>& visible) : visible_(visible), was_(visible.get())
    {
        visible_.set(false);
    }
    ~MemoryViewHidden() { visible_.set(was_); }
    MemoryViewHidden(const MemoryViewHidden&) = delete;
    MemoryViewHidden& operator=(const MemoryViewHidden&) = delete;

private:
    Observable<bool>& visible_;
    bool was_;
};

}  // namespace

std::string documents_detail::trimBlanks(const std::string& text)
{
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string documents_detail::withQsmSuffix(const std::string& fileName)
{
    if (fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ".QSM") == 0) return fileName;
    return fileName + ".QSM";
}

Documents::Documents(Machine& m, ProgramSource& source, Breakpoints& breakpoints)
    : m_(m), source_(source), breakpoints_(breakpoints)
{
}

Documents::Documents(Machine& m, ProgramSource& source)
    : m_(m), source_(source), ownBreakpoints_(std::make_unique<Breakpoints>(m, source)), breakpoints_(*ownBreakpoints_)
{
}

Documents::~Documents() = default;

ProjectExtension Documents::currentExtension() const
{
    ProjectExtension e;
    e.full = m_.options.Full8085.get() == 1;
    e.budget = m_.options.MaxInstructions.get();
    e.bdos = m_.full.bdos.get();
    if (e.full) {
        e.window = m_.window.windowDigit.get();
        // The classic record set has no start address: a program assembled at
        // 2000 in window 2 would open to start at 0000, outside its window.
        const std::string& start = m_.Text1.text();
        if (start.size() == 4 && start.find_first_not_of("0123456789ABCDEF") == std::string::npos) e.start = start;
        for (int port = 0; port < 256; ++port) {
            const int value = m_.full.inputPorts()[static_cast<std::size_t>(port)];
            if (value != 0) e.inputPorts.emplace_back(port, value);
        }
    }
    e.breakLines.assign(breakpoints_.lines().begin(), breakpoints_.lines().end());
    e.breakAddresses.assign(breakpoints_.addresses().begin(), breakpoints_.addresses().end());
    return e;
}

void Documents::applyExtension(const ProjectExtension& e)
{
    m_.options.Full8085.set(e.full ? 1 : 0);
    m_.options.MaxInstructions.set(e.budget);
    m_.full.bdos.set(e.bdos);
    m_.full.clearInputPorts();
    for (const auto& [port, value] : e.inputPorts) m_.full.setInputPort(port, static_cast<std::uint8_t>(value));
    breakpoints_.clear();
    for (int line : e.breakLines) {
        if (line < source_.lineCount()) breakpoints_.setLine(line, true);
    }
    for (std::uint16_t address : e.breakAddresses) breakpoints_.setAddress(address, true);
}

// ---- Project file -------------------------------------------------------

std::string Documents::ProjectFileBytes(bool withMemory)
{
    RecordWriter w;
    RecordChecksum sum;
    auto text = [&](std::string_view value) {
        w.text(value);
        sum.text(value);
    };
    auto integer = [&](int value) {
        w.integer(value);
        sum.integer(value);
    };
    text(kProjectId);
    integer(m_.options.Check1);
    integer(m_.options.Check2);
    integer(m_.options.Check3);
    integer(m_.options.Check4);
    CpuFields& c = m_.cpu;
    for (TextField* f : {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE, &c.RegisterH,
                         &c.RegisterL, &c.SP, &c.PC, &c.Text2})
        text(f->text());
    text(kStartMark);
    for (const std::string& line : source_.lines()) text(line);
    text(kEndMark);
    if (withMemory) {
        text(kMemoryMark);
        static const std::string kUnbuiltRow = "00";
        for (int n = 1; n <= MemoryWindow::kRows; ++n) {
            text(m_.window.hasRow(n) ? m_.window.data(n) : kUnbuiltRow);
            m_.host.yield();
        }
    }
    text(kLastRecord);
    const ProjectExtension extension = currentExtension();
    if (extension.needed()) {
        for (const std::string& record : ExtensionRecords(extension, sum.value())) w.text(record);
    }
    return w.bytes();
}

void Documents::returnToStartDirectory()
{
    if (!m_.document.StartDirectory.empty()) m_.host.changeDirectory(m_.document.StartDirectory);
}

void Documents::showSavingError(const SysError& error)
{
    m_.Message(savingErrorText(error), MsgIcon::None);
}

bool Documents::saveProjectFile(const std::string& fileName, bool withMemory)
{
    const std::string name = withQsmSuffix(fileName);
    try {
        // The whole file is built before anything touches the disk, so a text
        // that does not fit its record costs nothing.
        store_->replaceFile(name, ProjectFileBytes(withMemory));
    } catch (const SysError& error) {
        returnToStartDirectory();
        showSavingError(error);
        return false;
    }
    m_.document.ProjectFileName = name;
    m_.document.ProjectNamed = kTrue;
    m_.document.DocumentSaved = kTrue;
    projectSaved.emit(name);
    returnToStartDirectory();
    return true;
}

bool Documents::SaveProjectTo(const std::string& fileName, bool withMemory)
{
    if (trimBlanks(fileName).empty()) {
        showSavingError(sys::BadFileName());
        return false;
    }
    return saveProjectFile(fileName, withMemory);
}

void Documents::loadProject(const std::string& fileName)
{
    RecordReader r(fileName);
    std::string id;
    try {
        id = r.text(1);
    } catch (const SysError&) {
        throw sys::NotAProject();  // empty or foreign: not one of ours
    }
    if (id != kProjectId) throw sys::NotAProject();
    m_.document.DocumentSaved = kFalse;
    RecordChecksum sum;
    sum.text(id);

    int checks[4];
    for (int i = 0; i < 4; ++i) {
        checks[i] = r.integer(2 + i);
        if (checks[i] != 0 && checks[i] != 1) throw sys::InvalidPropertyValue();
        sum.integer(checks[i]);
    }
    // Through the clicks, so that the two run options still exclude each other.
    m_.options.Check1_Click(checks[0]);
    m_.options.Check2_Click(checks[1]);
    m_.options.Check3.set(checks[2]);
    m_.options.Check4.set(checks[3]);

    // Through setText, so that each field's change handling runs: the flag
    // bits follow the flag value.
    CpuFields& c = m_.cpu;
    int n = 6;
    for (TextField* f : {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE, &c.RegisterH,
                         &c.RegisterL, &c.SP, &c.PC, &c.Text2}) {
        std::string text = r.text(n++);
        sum.text(text);
        f->setText(text);
    }
    // Record 16 is never read for what it says; a damaged one only means
    // that no extension can match.
    try {
        sum.text(r.text(16));
    } catch (const SysError&) {
        sum.integer(-1);
    }

    source_.Clear();
    n = 17;
    for (;;) {
        std::string line = r.text(n++);
        sum.text(line);
        if (line == kEndMark) break;
        source_.AppendLine(std::move(line));
    }

    // The extension after the final record tells the mode, and in Full 8085
    // mode the memory window the memory section belongs in.
    const bool withMemory = r.exists(n) && r.text(n) == kMemoryMark;
    std::optional<ProjectExtension> extension;
    try {
        RecordChecksum whole = sum;
        const int last = withMemory ? n + MemoryWindow::kRows + 1 : n;
        for (int k = n; k <= last; ++k) whole.text(r.text(k));
        extension = ReadExtension(r, last + 1, whole.value());
    } catch (const SysError&) {
        // A file that ends early has no extension; the load below says what is missing.
    }
    applyExtension(extension.value_or(ProjectExtension{}));
    if (extension && !extension->window.empty() && extension->window != m_.window.windowDigit.get()) {
        m_.window.windowDigit.set(extension->window);
        m_.memory.SetupTheMemoryWindow(extension->window);
    }
    if (extension && !extension->start.empty()) m_.Text1.setText(extension->start);

    // A file may end right after the program; all it holds has been read then.
    if (!withMemory) return;
    MemoryViewHidden hidden(m_.view.memoryViewVisible);
    for (int row = 1; row <= MemoryWindow::kRows; ++row) {
        std::string data = r.text(n + row);
        m_.memory.EnterintoMEMory(row, data);
        m_.host.yield();
    }
}

bool Documents::OpenProjectFrom(const std::string& fileName)
{
    try {
        loadProject(fileName);
    } catch (const SysError& error) {
        m_.Message(error.description, MsgIcon::Critical);
        return false;
    }
    projectOpened.emit(fileName);
    return true;
}

void Documents::OpenDocument()
{
    auto chosen = m_.host.openFileDialog({kDocumentTitle, "*.QSM", "QSM", "*.QSM"});
    if (!chosen || trimBlanks(*chosen).empty()) return;  // cancelled: nothing to say
    OpenProjectFrom(withQsmSuffix(*chosen));
}

// ---- New and exit ---------------------------------------------------------

void Documents::ResetProject()
{
    // The instruction reference list is left filled: it is only filled at start-up.
    source_.Clear();
    m_.List3.clear();
    m_.Text13.setText("");
    m_.options.Check1.set(0);
    m_.options.Check2.set(0);
    m_.options.Check3.set(1);
    m_.options.Check4.set(1);
    CpuFields& c = m_.cpu;
    for (TextField* f : {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE, &c.RegisterH,
                         &c.RegisterL})
        f->setText("00");
    c.PC.setText("0000");
    c.SP.setText("0BBB");
    c.Text2.setText("00");
    applyExtension(ProjectExtension{});
    m_.memory.SetupTheMemoryWindow("0");
}

void Documents::NewDocument()
{
    MsgAnswer answer = m_.host.messageBox({"Would you like to save the current project?", kDocumentTitle,
                                           MsgIcon::Question, MsgButtons::YesNoCancel, MsgAnswer::Cancel});
    if (answer == MsgAnswer::No) {
        ResetProject();
    } else if (answer == MsgAnswer::Yes) {
        resetAfterSave_ = true;
        ShowSaveDialog();
    }
}

void Documents::ReplaceProject(std::function<void()> fill)
{
    MsgAnswer answer = m_.host.messageBox({"Would you like to save the current project?", kDocumentTitle,
                                           MsgIcon::Question, MsgButtons::YesNoCancel, MsgAnswer::Cancel});
    if (answer == MsgAnswer::No) {
        ResetProject();
        if (fill) fill();
    } else if (answer == MsgAnswer::Yes) {
        resetAfterSave_ = true;
        fillAfterReset_ = std::move(fill);
        ShowSaveDialog();
    }
}

bool Documents::Form_QueryUnload()
{
    if (m_.document.DocumentSaved == kTrue) return true;
    MsgAnswer answer =
        m_.host.messageBox({"Would you like to save the current project before exiting?", kDocumentTitle,
                            MsgIcon::Question, MsgButtons::YesNoCancel, MsgAnswer::Cancel});
    if (answer == MsgAnswer::No) {
        quitRequested.emit();
        return true;
    }
    if (answer == MsgAnswer::Yes) {
        m_.document.ExitAfterSave = kTrue;
        ShowSaveDialog();
    }
    return false;
}

// ---- The save dialog -----------------------------------------------------

void Documents::ShowSaveDialog()
{
    if (saveDialog.open) {
        m_.view.focusRequested.emit(FocusTarget::SaveDialog);
        return;
    }
    // Every showing starts from the dialog's first state.
    saveDialog.Option1.set(1);
    saveDialog.Option2.set(0);
    saveDialog.Option3.set(0);
    saveDialog.Option4.set(0);
    saveDialog.Option1Enabled.set(true);
    saveDialog.Check1.set(0);
    saveDialog.Label3.set("Save Program");
    saveDialog.controlsEnabled.set(true);
    SaveDialog_Form_Load();
    m_.view.mainWindowEnabled.set(false);
    saveDialog.open.set(true);
    m_.view.dialogRequested.emit(DialogKind::SaveProgram);
    m_.view.focusRequested.emit(FocusTarget::SaveDialog);
}

void Documents::SaveDialog_Form_Load()
{
    const DocumentState& d = m_.document;
    if (d.ProjectNamed == kFalse || (d.ProjectNamed == kTrue && d.DocumentSaved == kTrue)) {
        saveDialog.Option1Enabled.set(false);
        Option2_Click();
    }
}

namespace {

// Sets the chosen option and clears the other three, in the order given.
void selectOption(Observable<int>& chosen, Observable<int>& a, Observable<int>& b, Observable<int>& c)
{
    chosen.set(1);
    a.set(0);
    b.set(0);
    c.set(0);
}

}  // namespace

void Documents::Option1_Click()
{
    if (!saveDialog.Option1Enabled) return;
    selectOption(saveDialog.Option1, saveDialog.Option2, saveDialog.Option3, saveDialog.Option4);
}

void Documents::Option2_Click()
{
    selectOption(saveDialog.Option2, saveDialog.Option1, saveDialog.Option3, saveDialog.Option4);
}

void Documents::Option3_Click()
{
    selectOption(saveDialog.Option3, saveDialog.Option4, saveDialog.Option1, saveDialog.Option2);
}

void Documents::Option4_Click()
{
    selectOption(saveDialog.Option4, saveDialog.Option3, saveDialog.Option1, saveDialog.Option2);
}

void Documents::SaveDialog_Ok()
{
    if (!saveDialog.controlsEnabled) return;  // busy saving
    if (saveDialog.Option1 != 0) SaveCurrent();
    else if (saveDialog.Option2 != 0) SaveToNewLocation();
    else if (saveDialog.Option3 != 0) ExportProgramAndStates();
    else if (saveDialog.Option4 != 0) ExportProgramOnly();
}

void Documents::SaveDialog_Cancel()
{
    if (!saveDialog.controlsEnabled) return;
    closeSaveDialog(false);
}

void Documents::beginSaving()
{
    saveDialog.Label3.set("Saving...Please Wait");
    saveDialog.controlsEnabled.set(false);
}

void Documents::closeSaveDialog(bool projectSaved)
{
    saveDialog.Label3.set("Save Program");
    saveDialog.controlsEnabled.set(true);
    saveDialog.open.set(false);
    m_.view.mainWindowEnabled.set(true);
    m_.view.dialogClosed.emit(DialogKind::SaveProgram);
    m_.view.focusRequested.emit(FocusTarget::MainWindow);

    const bool reset = resetAfterSave_ && projectSaved;
    resetAfterSave_ = false;
    // Leaving is only safe once the project is on disk; otherwise the user
    // is back in the main window with everything as it was.
    if (m_.document.ExitAfterSave == kTrue) {
        if (projectSaved) {
            quitRequested.emit();
            return;
        }
        m_.document.ExitAfterSave = kFalse;
    }
    std::function<void()> fill = std::move(fillAfterReset_);
    fillAfterReset_ = nullptr;
    if (reset) {
        ResetProject();
        if (fill) fill();
    }
}

void Documents::SaveCurrent()
{
    const std::string fileName = m_.document.ProjectFileName;
    m_.host.yield();
    beginSaving();
    if (trimBlanks(fileName).empty()) {
        closeSaveDialog(false);
        return;
    }
    closeSaveDialog(saveProjectFile(fileName, saveDialog.Check1 == 1));
}

void Documents::SaveToNewLocation()
{
    auto chosen = m_.host.saveFileDialog({kDocumentTitle, "*.QSM", "QSM", "Untitled1.QSM"});
    if (!chosen || trimBlanks(*chosen).empty()) {
        closeSaveDialog(false);  // as Cancel: nothing written, nothing to report
        return;
    }
    m_.host.yield();
    beginSaving();
    closeSaveDialog(saveProjectFile(*chosen, saveDialog.Check1 == 1));
}

}  // namespace korvanta
