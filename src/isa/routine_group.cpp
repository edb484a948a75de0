#include "isa/routine_group.h"

#include "machine/machine.h"

namespace korvanta {

void RoutineGroup::Emit(std::string_view text)
{
    m_.memory.EnterintoMEMory(m_.LocationIndex, text);
    ++m_.LocationIndex;
}

void RoutineGroup::EmitOpcode(std::string_view bits, bool yieldAfterConversion)
{
    m_.conv.GetHex8(bits);
    if (yieldAfterConversion) m_.host.yield();
    Emit(m_.ConvertedValue);
}

std::string_view RoutineGroup::LastChars(std::size_t n) const
{
    std::string_view line = m_.SourceLine;
    return line.size() > n ? line.substr(line.size() - n) : line;
}

void RoutineGroup::Unsupported(int length, std::string_view firstLine, bool someday)
{
    m_.LocationIndex += length;
    m_.List3.add(std::string(firstLine));
    if (someday) m_.List3.add("This command will someday by supported");
}

bool RoutineGroup::FullMode() const
{
    return m_.options.Full8085.get() == 1;
}

}  // namespace korvanta
