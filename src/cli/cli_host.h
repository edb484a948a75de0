#pragma once

// The Host of the command-line tool: message boxes go to stderr as
// "TITLE: TEXT" and are kept for the report; questions take their default
// button; there is no event loop to yield to and no file dialog to show.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "machine/host.h"

namespace korvanta::cli {

struct RecordedMessage {
    std::string title;
    std::string text;
    std::string icon;  // "none", "critical", "information" or "question"
};

const char* iconName(MsgIcon icon);

class CliHost : public Host {
public:
    explicit CliHost(std::ostream& err) : err_(err) {}

    MsgAnswer messageBox(const MessageRequest& request) override;

    void yield() override {}
    void waitForEvents() override {}

    // Nothing here ever needs a dialog: the tool calls the dialog-free
    // document functions. Should one be asked for anyway, it is cancelled.
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    Printer* printDialog() override { return nullptr; }

    std::string dateTimeText() override;
    std::string currentDirectory() override;
    bool changeDirectory(const std::string& path) override;

    // The next question whose text is exactly `text` gets `answer` without
    // being printed or recorded: an option stands for the user's own answer.
    void answerNextQuestionSilently(std::string text, MsgAnswer answer);

    const std::vector<RecordedMessage>& messages() const { return messages_; }

private:
    std::ostream& err_;
    std::vector<RecordedMessage> messages_;
    std::optional<std::pair<std::string, MsgAnswer>> silent_;
};

}  // namespace korvanta::cli
