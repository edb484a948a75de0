#pragma once

// The procedures on the memory window: building it, turning addresses into
// row numbers, storing bytes and finding the program's start row.

#include <string>
#include <string_view>

namespace korvanta {

class Machine;

inline constexpr const char* kOutOfRangeMessage =
    "The memory location entered is out of range.  Remember that all entered memory locations must be "
    "within the range displayed in the memory window.  This is a fatal error.";

class MemoryOps {
public:
    explicit MemoryOps(Machine& m) : m_(m) {}

    void SetupTheMemoryWindow(const std::string& digit);
    void ConvertMEMtoINDEX(std::string_view address);
    void GotoFOURdigitINDEX(int n);
    // Rows outside 1..4096 do not exist: such a write leaves the window alone,
    // sets ErrorFlag without a message and is counted in writesOutside().
    void EnterintoMEMory(int index, std::string_view data);
    void DetermineProgramStart();

    // The data text of row n. A row that does not exist reads as the empty
    // text and sets ErrorFlag without a message.
    const std::string& ReadMemory(int n);

    // Shows the out-of-range message and sets ErrorFlag, as ConvertMEMtoINDEX
    // does for an address outside the window.
    void ReportOutOfRange();

    int writesOutside() const { return writesOutside_; }
    void resetWritesOutside() { writesOutside_ = 0; }

private:
    Machine& m_;
    int writesOutside_ = 0;
};

}  // namespace korvanta
