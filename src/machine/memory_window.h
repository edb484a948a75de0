#pragma once

// The 4096 rows of simulated memory. The window is both the store and what
// the memory list shows: each row keeps its address text, its key ("K" plus
// the address) and its data text. No byte is ever held as a number.

#include <string>
#include <string_view>
#include <vector>

#include "machine/signal.h"

namespace korvanta {

class MemoryWindow {
public:
    static constexpr int kRows = 4096;

    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool hasRow(int n) const { return n >= 1 && n <= rowCount(); }

    // Row texts for 1 <= n <= rowCount().
    const std::string& address(int n) const { return rows_[static_cast<std::size_t>(n - 1)].address; }
    const std::string& data(int n) const { return rows_[static_cast<std::size_t>(n - 1)].data; }
    std::string key(int n) const { return "K" + address(n); }

    // The row whose key is "K" followed by address, or 0 when there is none.
    // Equivalent to scanning the keys from row 1, without the scan: rows are
    // only ever appended in ascending address order by a rebuild.
    int rowOfAddress(std::string_view address) const;

    void removeAllRows();
    void appendRow(std::string address, std::string data);
    // Replace row n by a row with the same address and key and the new data.
    void replaceRow(int n, std::string_view data);

    // The range selector Combo1; its text is the WindowDigit.
    Observable<std::string> windowDigit{"0"};

    Signal<> rowsRemoved;
    Signal<int> rowAppended;  // row number
    Signal<int> rowReplaced;  // row number

private:
    struct Row {
        std::string address;
        std::string data;
    };
    std::vector<Row> rows_;
};

}  // namespace korvanta
