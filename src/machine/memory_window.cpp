#include "machine/memory_window.h"

#include "machine/hex_text.h"

namespace korvanta {

int MemoryWindow::rowOfAddress(std::string_view address) const
{
    if (address.size() != 4 || rows_.empty()) return 0;
    int offset = 0;
    for (std::size_t i = 1; i < 4; ++i) {
        int v = HexDigitValue(address[i]);  // lower case never matches: keys are upper case
        if (v < 0) return 0;
        offset = offset * 16 + v;
    }
    int n = offset + 1;
    if (!hasRow(n)) return 0;
    return rows_[static_cast<std::size_t>(n - 1)].address == address ? n : 0;
}

void MemoryWindow::removeAllRows()
{
    rows_.clear();
    rowsRemoved.emit();
}

void MemoryWindow::appendRow(std::string address, std::string data)
{
    if (rows_.capacity() < kRows) rows_.reserve(kRows);
    rows_.push_back({std::move(address), std::move(data)});
    rowAppended.emit(rowCount());
}

void MemoryWindow::replaceRow(int n, std::string_view data)
{
    if (!hasRow(n)) return;
    std::string& slot = rows_[static_cast<std::size_t>(n - 1)].data;
    slot.assign(data.data(), data.size());
    rowReplaced.emit(n);
}

}  // namespace korvanta
