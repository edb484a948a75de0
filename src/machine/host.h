#pragma once

// The one road from the core to the platform. The Qt program implements it with
// real dialogs and an event loop; tests and the command-line tool implement it
// with scripted fakes. The core never talks to a window system directly.

#include <optional>
#include <string>

namespace korvanta {

enum class MsgIcon { None, Critical, Information, Question };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    std::string text;
    std::string title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultButton = MsgAnswer::Ok;
};

struct FileDialogRequest {
    std::string title;
    std::string filter;            // e.g. "*.QSM"
    std::string defaultExtension;  // e.g. "QSM" (without the dot)
    std::string initialName;       // e.g. "Untitled1.QSM"
};

// A platform failure as the user sees it: a description and a number.
struct SysError {
    std::string description;
    int number = 0;
};

// A printer that receives the printout line by line. Any method may throw
// SysError when the printing system fails.
class Printer {
public:
    virtual ~Printer() = default;
    virtual void setFont(const std::string& face, int pointSize, bool bold) = 0;
    virtual void printLine(const std::string& text) = 0;  // may contain CR LF breaks
    virtual void newPage() = 0;
    virtual void endDocument() = 0;    // hands the document to the printer
    virtual void abortDocument() = 0;  // discards a partial document
};

class Host {
public:
    virtual ~Host() = default;

    // A modal message box; returns the button pressed.
    virtual MsgAnswer messageBox(const MessageRequest& request) = 0;

    // Let the event loop run once (repaint, take Stop and Step).
    virtual void yield() = 0;
    // Called repeatedly while a stepping run waits for the next Step. A GUI
    // may block here until an event arrives instead of spinning.
    virtual void waitForEvents() { yield(); }

    // File dialogs: the chosen name, or nothing when cancelled.
    virtual std::optional<std::string> openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogRequest& request) = 0;

    // The print dialog. Returns a printer set up for the chosen number of copies,
    // or nullptr when the user cancelled. Throws SysError when no printer exists.
    virtual Printer* printDialog() = 0;

    // The current date and time in the system's general format.
    virtual std::string dateTimeText() = 0;

    virtual std::string currentDirectory() = 0;
    virtual bool changeDirectory(const std::string& path) = 0;
};

}  // namespace korvanta
