#pragma once

// A text field of the main window whose text is part of the machine state.
// Like the toolkit's text box, assigning the text it already holds raises no
// change event; that is what lets the flag value and the flag bits settle.

#include <string>
#include <string_view>

#include "machine/signal.h"

namespace korvanta {

class TextField {
public:
    TextField(std::string name, std::string initial = {}, int maxLength = 0)
        : name_(std::move(name)), text_(std::move(initial)), maxLength_(maxLength)
    {
    }

    TextField(const TextField&) = delete;
    TextField& operator=(const TextField&) = delete;

    const std::string& name() const { return name_; }
    const std::string& text() const { return text_; }
    int maxLength() const { return maxLength_; }  // 0: no limit; limits typing only

    void setText(std::string_view text)
    {
        if (text_ == text) return;
        text_.assign(text.data(), text.size());
        changed.emit();
    }

    // Raised after every real change of the text, whoever made it.
    Signal<> changed;

private:
    std::string name_;
    std::string text_;
    int maxLength_;
};

}  // namespace korvanta
