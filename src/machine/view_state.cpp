#include "machine/view_state.h"

namespace korvanta {

const char* statusColourName(StatusColour colour)
{
    switch (colour) {
    case StatusColour::Yellow: return "yellow";
    case StatusColour::Green: return "green";
    case StatusColour::Red: return "red";
    case StatusColour::None: break;
    }
    return "";
}

}  // namespace korvanta
