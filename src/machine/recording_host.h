#pragma once

// A Host without a screen, for the command-line tool and batch runs: every
// message box is kept (and handed to noticed()), questions take their
// default button unless one answer was arranged in advance, and there is no
// event loop to yield to nor a dialog to show.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "machine/host.h"

namespace korvanta {

struct RecordedMessage {
    std::string title;
    std::string text;
    std::string icon;  // "none", "critical", "information" or "question"
};

const char* iconName(MsgIcon icon);

class RecordingHost : public Host {
public:
    MsgAnswer messageBox(const MessageRequest& request) override;

    void yield() override {}
    void waitForEvents() override {}

    // A batch run calls the dialog-free document functions; should a dialog
    // be asked for anyway, it is cancelled.
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    Printer* printDialog() override { return nullptr; }

    std::string dateTimeText() override;
    std::string currentDirectory() override;
    bool changeDirectory(const std::string& path) override;

    // The next question whose text is exactly `text` gets `answer` without
    // being recorded: an option stands for the user's own answer.
    void answerNextQuestionSilently(std::string text, MsgAnswer answer);

    const std::vector<RecordedMessage>& messages() const { return messages_; }

protected:
    // Called for every message that is recorded.
    virtual void noticed(const RecordedMessage&) {}

private:
    std::vector<RecordedMessage> messages_;
    std::optional<std::pair<std::string, MsgAnswer>> silent_;
};

}  // namespace korvanta
