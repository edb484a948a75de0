#pragma once

// Projects on disk and on paper: the .QSM project file and the document
// commands, the save dialog's logic, the text exports and printing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "documents/file_store.h"
#include "machine/host.h"
#include "machine/signal.h"
#include "machine/text_field.h"

namespace korvanta {

class Breakpoints;
class Machine;
class ProgramSource;
struct ProjectExtension;

// The save dialog SaveProgram as a model the window shows.
struct SaveDialogState {
    Observable<bool> open{false};
    Observable<int> Option1{1};  // "Save the program to the current location."
    Observable<int> Option2{0};  // "Save the program to a new location."
    Observable<int> Option3{0};  // "Export the program and CPU states to a text file."
    Observable<int> Option4{0};  // "Export the program to a text file."
    Observable<bool> Option1Enabled{true};
    Observable<int> Check1{0};   // "Save memory states with program"
    Observable<std::string> Label3{"Save Program"};  // heading; "Saving...Please Wait" while busy
    Observable<bool> controlsEnabled{true};           // Frame1, Frame2, Frame3, Command1, Command2
};

class Documents {
public:
    Documents(Machine& m, ProgramSource& source, Breakpoints& breakpoints);
    // With breakpoints of its own, for a program that does not show any.
    Documents(Machine& m, ProgramSource& source);
    ~Documents();

    // Project file and document lifecycle.
    void SaveCurrent();
    void SaveToNewLocation();
    void OpenDocument();
    void NewDocument();
    // As New, then fill puts a program in (an import, a dropped file): the
    // same question about the current project first, the same reset after.
    void ReplaceProject(std::function<void()> fill);
    // The main window's close request: true when the program may end now.
    bool Form_QueryUnload();

    // Without dialogs (the command-line tool, tests). Return success; failures
    // show the same messages as the commands.
    bool SaveProjectTo(const std::string& fileName, bool withMemory);
    bool OpenProjectFrom(const std::string& fileName);

    // The save dialog.
    SaveDialogState saveDialog;
    void ShowSaveDialog();  // Toolbar1 button 3: disables the main window
    void SaveDialog_Form_Load();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void SaveDialog_Ok();      // Command2_Click
    void SaveDialog_Cancel();  // Command1_Click

    // Text exports (ask for a file name first) and their dialog-free forms.
    void ExportProgramOnly();
    void ExportProgramAndStates();
    bool ExportProgramOnlyTo(const std::string& fileName) { return exportTo(fileName, false); }
    bool ExportProgramAndStatesTo(const std::string& fileName) { return exportTo(fileName, true); }

    void PrintDocument();

    // Raised when the program must end (after the exit save, or No to the exit question).
    Signal<> quitRequested;
    // Raised with the file's name after every open and save that succeeded, for
    // those that keep track of projects (the recent-files list, the recovery copy).
    Signal<std::string> projectOpened;
    Signal<std::string> projectSaved;

    // Where saves and exports write their files: the disk unless told otherwise.
    void setFileStore(FileStore& store) { store_ = &store; }

    // The file contents the commands write, built from the current state.
    // Throws SysError when a text does not fit its record.
    std::string ProjectFileBytes(bool withMemory);
    std::vector<std::string> ProgramOnlyLines();
    std::vector<std::string> ProgramAndStatesLines();

private:
    bool saveProjectFile(const std::string& fileName, bool withMemory);
    bool writeTextFile(const std::string& fileName, const std::vector<std::string>& lines);
    void loadProject(const std::string& fileName);
    bool exportTo(const std::string& fileName, bool withStates);
    void exportWithDialog(bool withStates);
    void beginSaving();
    void closeSaveDialog(bool projectSaved);
    void ResetProject();
    void showSavingError(const SysError& error);
    void returnToStartDirectory();

    // What the project holds beyond the classic records, and putting it back.
    ProjectExtension currentExtension() const;
    void applyExtension(const ProjectExtension& extension);

    Machine& m_;
    ProgramSource& source_;
    std::unique_ptr<Breakpoints> ownBreakpoints_;
    Breakpoints& breakpoints_;
    DiskFileStore disk_;
    FileStore* store_ = &disk_;
    bool resetAfterSave_ = false;  // New answered Yes: reset once the project is saved
    std::function<void()> fillAfterReset_;  // what ReplaceProject puts in after that reset
};

}  // namespace korvanta
