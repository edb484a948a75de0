#include "importer/tag_names.h"

namespace korvanta::importer {

namespace {

bool isUpperLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'F');
}

// Digits first: LOO1 reads as "the other LOOP" better than LOOG does.
constexpr std::string_view kOneSuffix = "123456789GHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kBase36 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

bool IsGoodTag(std::string_view tag)
{
    if (tag.size() != 4 || !isUpperLetter(tag[0])) return false;
    bool allHex = true;
    for (char c : tag) {
        if (!isUpperLetter(c) && !isDigit(c)) return false;
        if (!isHexDigit(c)) allHex = false;
    }
    return !allHex;
}

bool TagNamer::take(const std::string& candidate)
{
    if (!IsGoodTag(candidate) || taken_.count(candidate) != 0) return false;
    taken_.insert(candidate);
    return true;
}

bool TagNamer::Claim(const std::string& upperLabel)
{
    return take(upperLabel);
}

std::string TagNamer::Assign(const std::string& upperLabel)
{
    std::string clean;
    for (char c : upperLabel) {
        if (isUpperLetter(c) || isDigit(c)) clean += c;
        if (clean.size() == 4) break;
    }
    if (clean.empty() || isDigit(clean[0])) clean.insert(0, 1, 'L');
    std::string base = clean.substr(0, 4);
    while (base.size() < 4) base += 'X';

    // Each shortened name remembers how far its variants have been used, so
    // a thousand LOOPs cost a thousand tries, not half a million.
    int& n = next_[base];
    while (true) {
        std::string candidate;
        if (n == 0) {
            candidate = base;
        } else if (n <= static_cast<int>(kOneSuffix.size())) {
            candidate = base.substr(0, 3) + kOneSuffix[static_cast<std::size_t>(n - 1)];
        } else if (n <= static_cast<int>(kOneSuffix.size()) + 90) {
            candidate = base.substr(0, 2) + std::to_string(n - static_cast<int>(kOneSuffix.size()) + 9);
        } else {
            break;
        }
        ++n;
        if (take(candidate)) return candidate;
    }
    // Every readable variant is taken: Q and three base-36 digits, which can
    // never be all hex. Only a flood of labels gets past those.
    while (fallback_ < 36 * 36 * 36) {
        const int k = fallback_++;
        std::string candidate = "Q";
        candidate += kBase36[static_cast<std::size_t>(k / 1296 % 36)];
        candidate += kBase36[static_cast<std::size_t>(k / 36 % 36)];
        candidate += kBase36[static_cast<std::size_t>(k % 36)];
        if (take(candidate)) return candidate;
    }
    return {};
}

}  // namespace korvanta::importer
