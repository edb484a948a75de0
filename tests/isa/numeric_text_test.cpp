#include <gtest/gtest.h>

#include "isa/numeric_text.h"

namespace korvanta {
namespace {

TEST(IsNumericTest, TellsDecimalNumbersFromTags)
{
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {
        {"2050", true},  {"0000", true},  {"1E00", true},  {"1D05", true},  {"1e+2", true},
        {" 123", true},  {"12  ", true},  {"-123", true},  {"+1.5", true},  {"1.", true},
        {".5", true},    {"20A0", false}, {"FF00", false}, {"LOOP", false}, {"200A", false},
        {"1E", false},   {"E5", false},   {"", false},     {"    ", false}, {".", false},
        {"-", false},    {"12 3", false}, {"1E0A", false}, {"--12", false}, {"1.2.", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNumeric(c.text), c.numeric) << '"' << c.text << '"';
}

}  // namespace
}  // namespace korvanta
