#pragma once

// Operand expressions of standard 8085 sources, evaluated the way Intel's
// ASM80 reads them: numbers in any radix, character constants, $, symbols,
// and the operators from HIGH/LOW down to OR/XOR in ASM80's order.
//
// Values are kept signed and wide so that -1 and 0FFFFH stay apart until the
// instruction that uses them decides whether they fit; the bit operators
// work on two's complement, so NOT 0 is -1 and fits a byte as FF.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvanta::importer {

// Parentheses and unary operators nest at most this deep; deeper input is
// refused rather than followed down the stack.
inline constexpr int kMaxExpressionDepth = 64;

enum class NameState {
    Known,      // has a value at this point of this pass
    NotYet,     // defined somewhere, but its value is not known yet (a forward reference)
    Undefined,  // defined nowhere in the source
};

struct NameValue {
    NameState state = NameState::Undefined;
    std::int64_t value = 0;
};

// Where an expression's names get their values.
class NameTable {
public:
    virtual ~NameTable() = default;
    virtual NameValue Look(const std::string& upperName) = 0;
};

struct ExpressionContext {
    int radix = 10;              // 10, or 16 when numbers without a suffix are hex
    std::int64_t location = 0;   // the value of $
    NameTable* names = nullptr;  // nullptr: every name is undefined
};

struct Evaluation {
    std::int64_t value = 0;
    bool known = true;        // false when some name had no value yet in this pass
    std::string error;        // non-empty: the expression cannot be evaluated at all
    std::string unknownName;  // the first name without a value (known == false)
    bool undefined = false;   // ... and that name is defined nowhere
    std::string singleName;   // the whole expression is this one name (upper case), else empty
    std::string hexFallback;  // radix 16: a name defined nowhere was read as this hex number

    bool ok() const { return error.empty() && known; }
};

Evaluation Evaluate(std::string_view text, const ExpressionContext& context);

// Reads a numeric literal that starts with a digit (the whole token, suffix
// included). Returns false with a reason when it is not a number or does not
// fit 16 bits.
bool ParseNumber(std::string_view token, int radix, std::int64_t& value, std::string& error);

// The characters a symbol may start with and contain.
bool IsNameStart(char c);
bool IsNameChar(char c);

// Register and operator words, which no symbol may be called.
bool IsRegisterName(std::string_view upper);
bool IsOperatorWord(std::string_view upper);

// The operands of a statement, split at commas that lie outside quotes and
// parentheses, each trimmed. An empty text gives no operands.
std::vector<std::string_view> SplitOperands(std::string_view text);

// A quoted string at the start of text ('...' or "...", the quote doubled
// inside): its characters and the length of the literal. False when text
// does not start with a quote or the quote is not closed.
bool ReadQuoted(std::string_view text, std::string& characters, std::size_t& length);

std::string Upper(std::string_view text);
std::string_view Trim(std::string_view text);

}  // namespace korvanta::importer
