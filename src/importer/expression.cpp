#include "importer/expression.h"

#include <array>

namespace korvanta::importer {

namespace {

// Intermediate values beyond this are certainly no 8085 operand; stopping
// there keeps every product inside 64 bits.
constexpr std::int64_t kLimit = 0xFFFFFFFFLL;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

int digitValue(char c)
{
    c = upper(c);
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

bool digitsIn(std::string_view digits, int base, std::int64_t& value)
{
    if (digits.empty()) return false;
    value = 0;
    for (char c : digits) {
        const int d = digitValue(c);
        if (d >= base) return false;
        value = value * base + d;
        if (value > 0xFFFFF) value = 0xFFFFF;  // enough to say "too large", never overflows
    }
    return true;
}

std::int64_t pattern(std::int64_t v)
{
    return v & 0xFFFF;
}

class Parser {
public:
    Parser(std::string_view text, const ExpressionContext& context, Evaluation& out)
        : s_(text), ctx_(context), out_(out)
    {
    }

    void run()
    {
        skip();
        if (i_ == s_.size()) {
            fail("a value is missing");
            return;
        }
        const std::size_t nameStart = i_;
        const std::int64_t v = orExpr();
        if (!out_.error.empty()) return;
        skip();
        if (i_ != s_.size()) {
            fail("unexpected '" + std::string(s_.substr(i_, 12)) + "' in the expression");
            return;
        }
        out_.value = v;
        // A lone name: the jump instructions want to know, to emit a tag.
        std::size_t j = nameStart;
        if (j < s_.size() && IsNameStart(s_[j])) {
            while (j < s_.size() && IsNameChar(s_[j])) ++j;
            std::size_t k = j;
            while (k < s_.size() && isBlank(s_[k])) ++k;
            if (k == s_.size()) {
                std::string name = Upper(s_.substr(nameStart, j - nameStart));
                if (!IsOperatorWord(name)) out_.singleName = std::move(name);
            }
        }
    }

private:
    void skip()
    {
        while (i_ < s_.size() && isBlank(s_[i_])) ++i_;
    }

    std::int64_t fail(std::string message)
    {
        if (out_.error.empty()) out_.error = std::move(message);
        i_ = s_.size();
        return 0;
    }

    std::int64_t checked(std::int64_t v)
    {
        if (v > kLimit || v < -kLimit) return fail("a value in the expression is far too large for 16 bits");
        return v;
    }

    // The word operator at the cursor, consumed when it is `word`.
    bool acceptWord(std::string_view word)
    {
        skip();
        std::size_t j = i_;
        while (j < s_.size() && IsNameChar(s_[j])) ++j;
        if (j - i_ != word.size()) return false;
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (upper(s_[i_ + k]) != word[k]) return false;
        }
        i_ = j;
        return true;
    }

    bool accept(std::string_view symbol)
    {
        skip();
        if (s_.substr(i_, symbol.size()) != symbol) return false;
        i_ += symbol.size();
        return true;
    }

    // One level deeper for parentheses and unary operators.
    bool enter()
    {
        if (++depth_ > kMaxExpressionDepth) {
            fail("the expression is nested too deeply (more than " + std::to_string(kMaxExpressionDepth) +
                 " levels)");
            return false;
        }
        return true;
    }

    std::int64_t orExpr()
    {
        std::int64_t v = andExpr();
        while (out_.error.empty()) {
            if (acceptWord("OR") || accept("|"))
                v |= andExpr();
            else if (acceptWord("XOR") || accept("^"))
                v ^= andExpr();
            else
                break;
        }
        return v;
    }

    std::int64_t andExpr()
    {
        std::int64_t v = notExpr();
        while (out_.error.empty() && (acceptWord("AND") || (peekSingle('&') && accept("&")))) v &= notExpr();
        return v;
    }

    bool peekSingle(char c)
    {
        skip();
        return i_ < s_.size() && s_[i_] == c && (i_ + 1 >= s_.size() || s_[i_ + 1] != c);
    }

    std::int64_t notExpr()
    {
        if (acceptWord("NOT")) {
            if (!enter()) return 0;
            const std::int64_t v = ~notExpr();
            --depth_;
            return v;
        }
        return relExpr();
    }

    std::int64_t relExpr()
    {
        std::int64_t v = addExpr();
        while (out_.error.empty()) {
            int op = 0;
            if (acceptWord("EQ"))
                op = 1;
            else if (acceptWord("NE"))
                op = 2;
            else if (acceptWord("LT"))
                op = 3;
            else if (acceptWord("LE"))
                op = 4;
            else if (acceptWord("GT"))
                op = 5;
            else if (acceptWord("GE"))
                op = 6;
            else
                break;
            const std::int64_t a = pattern(v), b = pattern(addExpr());
            const bool r = op == 1   ? a == b
                           : op == 2 ? a != b
                           : op == 3 ? a < b
                           : op == 4 ? a <= b
                           : op == 5 ? a > b
                                     : a >= b;
            v = r ? -1 : 0;  // ASM80's true is all ones
        }
        return v;
    }

    // ASM80 puts the unary sign at the level of + and -: -2*3 is -(2*3).
    std::int64_t addExpr()
    {
        std::int64_t v;
        if (accept("-")) {
            if (!enter()) return 0;
            v = checked(-mulExpr());
            --depth_;
        } else if (accept("+")) {
            v = mulExpr();
        } else {
            v = mulExpr();
        }
        while (out_.error.empty()) {
            if (accept("+"))
                v = checked(v + mulExpr());
            else if (accept("-"))
                v = checked(v - mulExpr());
            else
                break;
        }
        return v;
    }

    std::int64_t mulExpr()
    {
        std::int64_t v = unary();
        while (out_.error.empty()) {
            if (accept("*")) {
                const std::int64_t b = unary();
                if (v != 0 && (b > kLimit / (v < 0 ? -v : v) || b < -kLimit / (v < 0 ? -v : v))) {
                    return fail("a value in the expression is far too large for 16 bits");
                }
                v *= b;
            } else if (accept("/")) {
                const std::int64_t b = unary();
                if (b == 0) return known_ ? fail("division by zero") : 0;
                v /= b;
            } else if (acceptWord("MOD")) {
                const std::int64_t b = unary();
                if (b == 0) return known_ ? fail("MOD by zero") : 0;
                v %= b;
            } else if (acceptWord("SHL") || accept("<<")) {
                const std::int64_t b = unary();
                v = b < 0 || b >= 16 ? 0 : (pattern(v) << b) & 0xFFFF;
            } else if (acceptWord("SHR") || accept(">>")) {
                const std::int64_t b = unary();
                v = b < 0 || b >= 16 ? 0 : pattern(v) >> b;
            } else {
                break;
            }
        }
        return v;
    }

    std::int64_t unary()
    {
        skip();
        int op = 0;
        if (acceptWord("HIGH"))
            op = 1;
        else if (acceptWord("LOW"))
            op = 2;
        else if (accept("~"))
            op = 3;
        else if (accept("-"))
            op = 4;  // 2*-3: not ASM80, but what people write
        else if (accept("+"))
            op = 5;
        if (op == 0) return primary();
        if (!enter()) return 0;
        const std::int64_t v = unary();
        --depth_;
        switch (op) {
            case 1:
                return pattern(v) >> 8;
            case 2:
                return v & 0xFF;
            case 3:
                return ~v;
            case 4:
                return -v;
            default:
                return v;
        }
    }

    std::int64_t primary()
    {
        skip();
        if (i_ >= s_.size()) return fail("a value is missing at the end of the expression");
        const char c = s_[i_];
        if (c == '(') {
            ++i_;
            if (!enter()) return 0;
            const std::int64_t v = orExpr();
            --depth_;
            if (!accept(")")) return fail("a ')' is missing");
            return v;
        }
        if (c == '\'' || c == '"') return character();
        if (isDigit(c)) return number();
        if (c == '*') {  // where a value must start, '*' is the location, as in TASM
            ++i_;
            return ctx_.location;
        }
        if (c == '$') {
            // $ alone is the location; $ with hex digits is a hex number in some dialects.
            std::size_t j = i_ + 1;
            while (j < s_.size() && IsNameChar(s_[j])) ++j;
            if (j == i_ + 1) {
                ++i_;
                return ctx_.location;
            }
            std::int64_t v = 0;
            if (!digitsIn(s_.substr(i_ + 1, j - i_ - 1), 16, v)) {
                return fail("'" + std::string(s_.substr(i_, j - i_)) + "' is not a number");
            }
            if (v > 0xFFFF)
                return fail("the number '" + std::string(s_.substr(i_, j - i_)) + "' does not fit 16 bits");
            i_ = j;
            return v;
        }
        if (IsNameStart(c)) return name();
        return fail("unexpected '" + std::string(1, c) + "' in the expression");
    }

    std::int64_t number()
    {
        std::size_t j = i_;
        while (j < s_.size() && (isDigit(s_[j]) || isLetter(s_[j]))) ++j;
        std::int64_t v = 0;
        std::string error;
        if (!ParseNumber(s_.substr(i_, j - i_), ctx_.radix, v, error)) return fail(error);
        i_ = j;
        return v;
    }

    std::int64_t character()
    {
        std::string chars;
        std::size_t length = 0;
        if (!ReadQuoted(s_.substr(i_), chars, length)) return fail("a string is not closed");
        i_ += length;
        if (chars.empty()) return fail("an empty string has no value");
        if (chars.size() > 2)
            return fail("the string " + std::string(s_.substr(i_ - length, length)) +
                        " is too long for a value");
        const auto b0 = static_cast<unsigned char>(chars[0]);
        if (chars.size() == 1) return b0;
        return b0 * 256 + static_cast<unsigned char>(chars[1]);
    }

    std::int64_t name()
    {
        std::size_t j = i_;
        while (j < s_.size() && IsNameChar(s_[j])) ++j;
        const std::string upperName = Upper(s_.substr(i_, j - i_));
        i_ = j;
        if (IsOperatorWord(upperName)) return fail("the operator " + upperName + " has no value before it");
        if (IsRegisterName(upperName)) return fail("'" + upperName + "' is a register, not a value");
        const NameValue nv = ctx_.names ? ctx_.names->Look(upperName) : NameValue{};
        if (nv.state == NameState::Known) return nv.value;
        if (nv.state == NameState::Undefined && ctx_.radix == 16) {
            std::int64_t v = 0;
            if (digitsIn(upperName, 16, v) && v <= 0xFFFF) {
                if (out_.hexFallback.empty()) out_.hexFallback = upperName;
                return v;
            }
        }
        if (out_.known) {
            out_.known = false;
            out_.unknownName = upperName;
            out_.undefined = nv.state == NameState::Undefined;
        }
        known_ = false;
        return 0;
    }

    std::string_view s_;
    const ExpressionContext& ctx_;
    Evaluation& out_;
    std::size_t i_ = 0;
    int depth_ = 0;
    bool known_ = true;  // no unknown name so far: a zero divisor is then real
};

}  // namespace

bool IsNameStart(char c)
{
    return isLetter(c) || c == '_' || c == '?' || c == '@' || c == '.';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || isDigit(c) || c == '$';
}

bool IsRegisterName(std::string_view u)
{
    static constexpr std::array<std::string_view, 10> kNames = {"A", "B", "C", "D",  "E",
                                                                "H", "L", "M", "SP", "PSW"};
    for (auto n : kNames) {
        if (u == n) return true;
    }
    return false;
}

bool IsOperatorWord(std::string_view u)
{
    static constexpr std::array<std::string_view, 15> kWords = {
        "AND", "OR", "XOR", "NOT", "MOD", "SHL", "SHR", "HIGH", "LOW", "EQ", "NE", "LT", "LE", "GT", "GE"};
    for (auto w : kWords) {
        if (u == w) return true;
    }
    return false;
}

bool ParseNumber(std::string_view token, int radix, std::int64_t& value, std::string& error)
{
    const std::string quoted = "'" + std::string(token.substr(0, 40)) + (token.size() > 40 ? "...'" : "'");
    auto bad = [&] {
        error = quoted + " is not a number";
        return false;
    };
    if (token.empty() || !isDigit(token[0])) return bad();
    std::string_view digits = token;
    int base = radix;
    const char last = upper(token.back());
    if (token.size() > 2 && token[0] == '0' && upper(token[1]) == 'X') {
        digits = token.substr(2);
        base = 16;
    } else if (last == 'H') {
        digits = token.substr(0, token.size() - 1);
        base = 16;
    } else if (last == 'O' || last == 'Q') {
        digits = token.substr(0, token.size() - 1);
        base = 8;
    } else if (radix != 16 && last == 'B') {
        digits = token.substr(0, token.size() - 1);
        base = 2;
    } else if (radix != 16 && last == 'D') {
        digits = token.substr(0, token.size() - 1);
        base = 10;
    }
    if (!digitsIn(digits, base, value)) {
        if (base == 10 && radix == 10) {
            // 0FF without H, or FFH spelt with letters a decimal reader refuses.
            std::int64_t ignored = 0;
            if (digitsIn(digits, 16, ignored))
                error = quoted + " is not a decimal number (hex needs an H suffix)";
            else
                return bad();
            return false;
        }
        return bad();
    }
    if (value > 0xFFFF) {
        error = "the number " + quoted + " does not fit 16 bits";
        return false;
    }
    return true;
}

Evaluation Evaluate(std::string_view text, const ExpressionContext& context)
{
    Evaluation out;
    Parser(text, context, out).run();
    if (!out.error.empty()) out.known = true;  // an error outranks a missing value
    return out;
}

std::vector<std::string_view> SplitOperands(std::string_view text)
{
    std::vector<std::string_view> parts;
    text = Trim(text);
    if (text.empty()) return parts;
    std::size_t start = 0;
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;  // a doubled quote closes and reopens: same effect
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth > 0) --depth;
        } else if (c == ',' && depth == 0) {
            parts.push_back(Trim(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    parts.push_back(Trim(text.substr(start)));
    return parts;
}

bool ReadQuoted(std::string_view text, std::string& characters, std::size_t& length)
{
    characters.clear();
    if (text.empty() || (text[0] != '\'' && text[0] != '"')) return false;
    const char quote = text[0];
    std::size_t i = 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                characters += quote;
                i += 2;
                continue;
            }
            length = i + 1;
            return true;
        }
        characters += text[i++];
    }
    return false;
}

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = upper(c);
    return out;
}

std::string_view Trim(std::string_view text)
{
    std::size_t a = 0, b = text.size();
    while (a < b && isBlank(text[a])) ++a;
    while (b > a && isBlank(text[b - 1])) --b;
    return text.substr(a, b - a);
}

}  // namespace korvanta::importer
