#include "machine/cpu_fields.h"

#include <cctype>
#include <cstdlib>

#include "machine/machine.h"

namespace korvanta {

namespace {

// The toolkit's numeric reading of a text: a leading number, or 0.
double numericValue(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    return end == begin ? 0.0 : value;
}

bool isHexUpperOrSeparator(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == ',' || c == ' ' || c == '\b';
}

// Keeps ConvertedValue intact across a field's change handling, so that a
// routine writing a flag can go on reading the result of its own conversion.
class KeepConvertedValue {
public:
    explicit KeepConvertedValue(std::string& cv) : cv_(cv), saved_(cv) {}
    ~KeepConvertedValue() { cv_ = saved_; }

private:
    std::string& cv_;
    std::string saved_;
};

}  // namespace

CpuFields::CpuFields(Machine& m) : m_(m)
{
    auto markChanged = [this] { m_.document.DocumentSaved = kFalse; };
    for (TextField* f : {&RegisterA, &RegisterB, &RegisterC, &RegisterD, &RegisterE, &RegisterH, &RegisterL, &SP})
        f->changed.connect(markChanged);

    Text2.changed.connect([this] {
        m_.document.DocumentSaved = kFalse;
        if (echoingBits_) return;  // the value was just made from eight valid bits: they already match
        KeepConvertedValue keep(m_.ConvertedValue);
        updateBitsFromFlagValue();
    });

    // Text8 and Text10 carry no change handling: a click on them updates the
    // flag value directly.
    for (TextField* f : {&Text4, &Text5, &Text6, &Text7, &Text9, &Text11}) {
        f->changed.connect([this] {
            if (settingBits_) return;
            KeepConvertedValue keep(m_.ConvertedValue);
            UpdateFlagValue();
        });
    }
}

TextField* CpuFields::registerField(char letter)
{
    switch (letter) {
    case 'A': return &RegisterA;
    case 'B': return &RegisterB;
    case 'C': return &RegisterC;
    case 'D': return &RegisterD;
    case 'E': return &RegisterE;
    case 'H': return &RegisterH;
    case 'L': return &RegisterL;
    default: return nullptr;
    }
}

TextField* CpuFields::registerField(std::string_view letter)
{
    return letter.size() == 1 ? registerField(letter[0]) : nullptr;
}

TextField& CpuFields::flagBit(int bit)
{
    TextField* bits[8] = {&Text11, &Text10, &Text9, &Text8, &Text7, &Text6, &Text5, &Text4};
    return *bits[bit & 7];
}

void CpuFields::GotoRegisterCodes(std::string_view letter)
{
    static constexpr struct {
        const char* letter;
        const char* code;
    } kCodes[] = {{"A", "111"}, {"B", "000"}, {"C", "001"}, {"D", "010"},
                  {"E", "011"}, {"H", "100"}, {"L", "101"}};
    for (const auto& entry : kCodes) {
        if (letter == entry.letter) {
            m_.ConvertedValue = entry.code;
            return;
        }
    }
}

void CpuFields::ReturnFromRegisterCodes(std::string_view code)
{
    static constexpr struct {
        const char* code;
        const char* letter;
    } kLetters[] = {{"111", "A"}, {"000", "B"}, {"001", "C"}, {"010", "D"},
                    {"011", "E"}, {"100", "H"}, {"101", "L"}, {"110", "M"}};
    for (const auto& entry : kLetters) {
        if (code == entry.code) {
            m_.ConvertedValue = entry.letter;
            return;
        }
    }
}

void CpuFields::UpdateFlagValue()
{
    std::string nibble = Text4.text() + Text5.text() + Text6.text() + Text7.text();
    m_.conv.ConvertToHex(nibble);
    std::string high = m_.ConvertedValue;
    nibble = Text8.text() + Text9.text() + Text10.text() + Text11.text();
    m_.conv.ConvertToHex(nibble);
    bool allBitsValid = true;
    for (int bit = 0; bit < 8; ++bit) {
        const std::string& t = flagBit(bit).text();
        if (t.size() != 1 || (t[0] != '0' && t[0] != '1')) allBitsValid = false;
    }
    echoingBits_ = allBitsValid;
    Text2.setText(high + m_.ConvertedValue);
    echoingBits_ = false;
}

void CpuFields::updateBitsFromFlagValue()
{
    const std::string value = Text2.text();
    if (value.size() != 2) return;
    // The bits are set from the value as written; they must not write a
    // half-updated value back into Text2 while we go.
    bool outer = settingBits_;
    settingBits_ = true;
    TextField* groups[2][4] = {{&Text4, &Text5, &Text6, &Text7}, {&Text8, &Text9, &Text10, &Text11}};
    for (int g = 0; g < 2; ++g) {
        m_.conv.ConvertToBinary(value.substr(static_cast<std::size_t>(g), 1));
        if (m_.ConvertedValue.empty()) break;
        const std::string nibble = m_.ConvertedValue;
        for (int i = 0; i < 4; ++i) groups[g][i]->setText(nibble.substr(static_cast<std::size_t>(i), 1));
    }
    settingBits_ = outer;
}

std::optional<char> CpuFields::KeyFilter(std::string_view /*fieldText*/, char typed)
{
    unsigned char code = static_cast<unsigned char>(typed);
    if (code > 122) return std::nullopt;
    char c = static_cast<char>(std::toupper(code));
    if (static_cast<unsigned char>(c) < 32 && c != '\b') return std::nullopt;
    if (!isHexUpperOrSeparator(c)) return std::nullopt;
    return c;
}

void CpuFields::TypeInto(TextField& field, std::string_view keys)
{
    for (char key : keys) {
        std::optional<char> c = KeyFilter(field.text(), key);
        if (!c) continue;
        std::string text = field.text();
        if (*c == '\b') {
            if (!text.empty()) text.pop_back();
        } else if (field.maxLength() == 0 || static_cast<int>(text.size()) < field.maxLength()) {
            text += *c;
        }
        field.setText(text);
    }
}

void CpuFields::RegisterLostFocus(TextField& registerField)
{
    std::string text = registerField.text();
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) text = "00";
    if (text.size() < 2) text.insert(0, "0");
    registerField.setText(text);
}

void CpuFields::Text2LostFocus()
{
    std::string upper = Text2.text();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Text2.setText(upper);
    updateBitsFromFlagValue();
}

void CpuFields::ToggleBit(TextField& bitField)
{
    bitField.setText(numericValue(bitField.text()) == 0.0 ? "1" : "0");
    if (&bitField == &Text4 || &bitField == &Text8 || &bitField == &Text10) UpdateFlagValue();
}

void CpuFields::FlagBitClick(TextField& bitField)
{
    ToggleBit(bitField);
    m_.view.focusRequested.emit(FocusTarget::SystemLog);
}

}  // namespace korvanta
