#pragma once

// The Host of the command-line tool: a recording host that also prints
// every message box to stderr as "TITLE: TEXT".

#include <ostream>

#include "machine/recording_host.h"

namespace korvanta::cli {

using korvanta::RecordedMessage;

class CliHost : public RecordingHost {
public:
    explicit CliHost(std::ostream& err) : err_(err) {}

protected:
    void noticed(const RecordedMessage& message) override
    {
        err_ << message.title << ": " << message.text << '\n';
        err_.flush();
    }

private:
    std::ostream& err_;
};

}  // namespace korvanta::cli
