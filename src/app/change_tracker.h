#pragma once

// What the last step, or the last run, changed: registers, flag bits, SP,
// PC, memory rows, output ports, T-states. A picture of the machine is taken
// when a run starts and each time it waits for a Step; the next wait, or the
// end of the run, is compared with it. Comparing pictures rather than
// counting change notifications names exactly what differs: a value changed
// and changed back is no change.

#include <QObject>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cpu/cpu8085.h"

namespace korvanta {
class Simulator;
class TextField;
}

namespace korvanta::app {

class ChangeTracker : public QObject {
    Q_OBJECT
public:
    explicit ChangeTracker(Simulator& sim, QObject* parent = nullptr);
    ~ChangeTracker() override;

    const std::set<const TextField*>& changedFields() const { return fields_; }
    const std::set<int>& changedRows() const { return rows_; }  // MemoryIndex
    const std::set<int>& changedPorts() const { return ports_; }
    bool tStatesChanged() const { return tStates_; }
    bool interruptsChanged() const { return interrupts_; }

    // Forgets the highlights (a new project, a reset).
    void clear();

Q_SIGNALS:
    void changed();

private:
    struct Picture {
        std::vector<std::string> fields;
        std::vector<std::string> rows;
        std::size_t outputs = 0;
        std::uint64_t tStates = 0;
        std::uint8_t interrupts[3] = {};
    };
    Picture take() const;
    void compare();
    std::vector<TextField*> watchedFields() const;

    Simulator& sim_;
    Picture picture_;
    bool have_ = false;
    std::set<const TextField*> fields_;
    std::set<int> rows_;
    std::set<int> ports_;
    bool tStates_ = false;
    bool interrupts_ = false;
    std::vector<int> ids_;
};

}  // namespace korvanta::app
