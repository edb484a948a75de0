#include "machine/recording_host.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace korvanta {

const char* iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return "critical";
    case MsgIcon::Information: return "information";
    case MsgIcon::Question: return "question";
    case MsgIcon::None: break;
    }
    return "none";
}

MsgAnswer RecordingHost::messageBox(const MessageRequest& request)
{
    if (silent_ && request.buttons != MsgButtons::Ok && silent_->first == request.text) {
        MsgAnswer answer = silent_->second;
        silent_.reset();
        return answer;
    }
    messages_.push_back({request.title, request.text, iconName(request.icon)});
    noticed(messages_.back());
    return request.buttons == MsgButtons::Ok ? MsgAnswer::Ok : request.defaultButton;
}

void RecordingHost::answerNextQuestionSilently(std::string text, MsgAnswer answer)
{
    silent_ = std::make_pair(std::move(text), answer);
}

std::string RecordingHost::dateTimeText()
{
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    if (std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local) == 0) return {};
    return buffer;
}

std::string RecordingHost::currentDirectory()
{
    std::error_code ec;
    auto path = std::filesystem::current_path(ec);
    return ec ? std::string() : path.string();
}

bool RecordingHost::changeDirectory(const std::string& path)
{
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::current_path(path, ec);
    return !ec;
}

}  // namespace korvanta
