#pragma once

// A scripted Host for tests: records every message box, answers questions from
// a queue (or with the default button), and runs a callback on every yield so
// that a test can press Stop or Step in the middle of a run.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/host.h"

namespace korvanta::testing {

struct RecordedPrint {
    enum Kind { Font, Line, Page, End, Abort } kind;
    std::string text;  // Line: the text; Font: "face size bold"
};

class RecordingPrinter : public Printer {
public:
    void setFont(const std::string& face, int size, bool bold) override
    {
        items.push_back({RecordedPrint::Font, face + " " + std::to_string(size) + (bold ? " bold" : "")});
    }
    void printLine(const std::string& text) override
    {
        if (failAfterLines >= 0 && lineCount() >= failAfterLines) throw SysError{"Printer is out of paper", 482};
        items.push_back({RecordedPrint::Line, text});
    }
    void newPage() override { items.push_back({RecordedPrint::Page, {}}); }
    void endDocument() override { items.push_back({RecordedPrint::End, {}}); }
    void abortDocument() override { items.push_back({RecordedPrint::Abort, {}}); }

    int lineCount() const
    {
        int n = 0;
        for (const auto& i : items) n += i.kind == RecordedPrint::Line;
        return n;
    }

    std::vector<RecordedPrint> items;
    int copies = 1;
    int failAfterLines = -1;  // throw on the line after this many
};

class FakeHost : public Host {
public:
    MsgAnswer messageBox(const MessageRequest& request) override
    {
        messages.push_back(request);
        if (onMessage) onMessage(request);
        if (request.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
        if (!answers.empty()) {
            MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return request.defaultButton;
    }

    void yield() override
    {
        ++yields;
        if (onYield) onYield();
    }

    void waitForEvents() override
    {
        ++waits;
        if (onWait) onWait();
        else yield();
    }

    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override
    {
        fileDialogs.push_back(request);
        return nextFileName();
    }
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override
    {
        fileDialogs.push_back(request);
        return nextFileName();
    }

    Printer* printDialog() override
    {
        ++printDialogs;
        if (printDialogError) throw *printDialogError;
        if (cancelPrint) return nullptr;
        return &printer;
    }

    std::string dateTimeText() override { return dateTime; }
    std::string currentDirectory() override { return directory; }
    bool changeDirectory(const std::string& path) override
    {
        directory = path;
        return true;
    }

    // Texts of all messages so far, in order.
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : messages) texts.push_back(m.text);
        return texts;
    }

    std::vector<MessageRequest> messages;
    std::deque<MsgAnswer> answers;
    std::deque<std::optional<std::string>> fileNames;  // nullopt: the dialog is cancelled
    std::vector<FileDialogRequest> fileDialogs;
    std::function<void()> onYield;
    std::function<void()> onWait;
    std::function<void(const MessageRequest&)> onMessage;
    long yields = 0;
    long waits = 0;
    RecordingPrinter printer;
    bool cancelPrint = false;
    std::optional<SysError> printDialogError;
    int printDialogs = 0;
    std::string dateTime = "06/12/2026 10:00:00";
    std::string directory = "/start";

private:
    std::optional<std::string> nextFileName()
    {
        if (fileNames.empty()) return std::nullopt;
        auto name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

}  // namespace korvanta::testing
