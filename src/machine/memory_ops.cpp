#include "machine/memory_ops.h"

#include "machine/machine.h"

namespace korvanta {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
const std::string kNoData;
}  // namespace

void MemoryOps::SetupTheMemoryWindow(const std::string& digit)
{
    m_.view.resetMemoryEnabled.set(false);
    m_.window.removeAllRows();
    m_.view.memoryFrameCaption.set("Displaying Memory...Please Wait");
    m_.host.yield();
    std::string address = digit + "000";
    for (int d2 = 0; d2 < 16; ++d2) {
        for (int d3 = 0; d3 < 16; ++d3) {
            for (int d4 = 0; d4 < 16; ++d4) {
                address.resize(digit.size());
                address += kHexDigits[d2];
                address += kHexDigits[d3];
                address += kHexDigits[d4];
                m_.window.appendRow(address, "00");
            }
            m_.host.yield();
        }
        m_.host.yield();
    }
    m_.view.scrollMemoryTo.emit(1);
    m_.view.memoryFrameCaption.set("System Memory");
    m_.view.resetMemoryEnabled.set(true);
}

void MemoryOps::ReportOutOfRange()
{
    m_.Message(kOutOfRangeMessage);
    m_.ErrorFlag = kTrue;
}

void MemoryOps::ConvertMEMtoINDEX(std::string_view address)
{
    m_.ErrorFlag = kFalse;
    if (address.substr(0, 1) != m_.window.windowDigit.get() || address.size() != 4) {
        ReportOutOfRange();
        m_.ConvertedValue.clear();
        return;
    }
    if (address.substr(1) == "000") {
        m_.ConvertedValue.assign(1, '1');  // assign(1, ...) sidesteps a false -Wrestrict in GCC 12
        return;
    }
    m_.host.yield();
    m_.host.yield();
    if (int n = m_.window.rowOfAddress(address)) {
        m_.host.yield();
        m_.ConvertedValue = std::to_string(n);
        return;
    }
    m_.ErrorFlag = kTrue;  // only after a range change answered No: silently not found
}

void MemoryOps::GotoFOURdigitINDEX(int n)
{
    std::string text = std::to_string(n);
    if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
    m_.ConvertedValue = text;
}

void MemoryOps::EnterintoMEMory(int index, std::string_view data)
{
    if (!m_.window.hasRow(index)) {
        ++writesOutside_;
        m_.ErrorFlag = kTrue;
        return;
    }
    m_.window.replaceRow(index, data);
}

const std::string& MemoryOps::ReadMemory(int n)
{
    if (!m_.window.hasRow(n)) {
        m_.ErrorFlag = kTrue;
        return kNoData;
    }
    return m_.window.data(n);
}

void MemoryOps::DetermineProgramStart()
{
    const std::string s = m_.Text1.text();
    auto fail = [&] {
        m_.Message("Starting the program at memory location \"" + s +
                   "\" is impossible.  Ensure the entered value is a valid memory location, and that the "
                   "memory location resides within the currently displayed memory in the Memory Display "
                   "window.");
        m_.ErrorFlag = kTrue;
    };
    if (s.substr(0, 1) != m_.window.windowDigit.get() || s.size() != 4) {
        fail();
        return;
    }
    if (s.substr(1) == "000") {
        m_.LocationIndex = 1;
        return;
    }
    m_.host.yield();
    m_.host.yield();
    if (int n = m_.window.rowOfAddress(s)) {
        m_.host.yield();
        m_.LocationIndex = n;
        return;
    }
    fail();
}

}  // namespace korvanta
