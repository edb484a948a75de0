#include "app/change_tracker.h"

#include "engine/simulator.h"

namespace korvanta::app {

ChangeTracker::ChangeTracker(Simulator& sim, QObject* parent) : QObject(parent), sim_(sim)
{
    RunEvents& events = sim_.machine.events;
    ids_.push_back(events.started.connect([this] {
        picture_ = take();
        have_ = true;
    }));
    ids_.push_back(events.paused.connect([this] {
        compare();
        picture_ = take();
    }));
    ids_.push_back(events.ended.connect([this] {
        compare();
        have_ = false;
    }));
}

ChangeTracker::~ChangeTracker()
{
    RunEvents& events = sim_.machine.events;
    events.started.disconnect(ids_[0]);
    events.paused.disconnect(ids_[1]);
    events.ended.disconnect(ids_[2]);
}

std::vector<TextField*> ChangeTracker::watchedFields() const
{
    CpuFields& c = sim_.machine.cpu;
    return {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE, &c.RegisterH,
            &c.RegisterL, &c.SP,        &c.PC,        &c.Text2,     &c.Text4,     &c.Text5,
            &c.Text6,     &c.Text7,     &c.Text8,     &c.Text9,     &c.Text10,    &c.Text11};
}

ChangeTracker::Picture ChangeTracker::take() const
{
    const Machine& m = sim_.machine;
    Picture p;
    for (TextField* f : watchedFields()) p.fields.push_back(f->text());
    p.rows.reserve(static_cast<std::size_t>(m.window.rowCount()));
    for (int n = 1; n <= m.window.rowCount(); ++n) p.rows.push_back(m.window.data(n));
    p.outputs = m.full.outputs().size();
    p.tStates = m.full.tStates.get();
    const InterruptView& irq = m.full.interrupts.get();
    p.interrupts[0] = irq.enabled;
    p.interrupts[1] = irq.masks;
    p.interrupts[2] = static_cast<std::uint8_t>(irq.pending | (irq.trap ? 8 : 0) | (irq.intr ? 16 : 0));
    return p;
}

void ChangeTracker::compare()
{
    if (!have_) return;
    const Picture now = take();
    fields_.clear();
    rows_.clear();
    ports_.clear();
    const std::vector<TextField*> all = watchedFields();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (now.fields[i] != picture_.fields[i]) fields_.insert(all[i]);
    }
    // A rebuilt window has other rows: nothing in it is a change of this step.
    if (now.rows.size() == picture_.rows.size()) {
        for (std::size_t i = 0; i < now.rows.size(); ++i) {
            if (now.rows[i] != picture_.rows[i]) rows_.insert(static_cast<int>(i) + 1);
        }
    }
    const auto& outputs = sim_.machine.full.outputs();
    for (std::size_t i = std::min(picture_.outputs, outputs.size()); i < outputs.size(); ++i) ports_.insert(outputs[i].port);
    tStates_ = now.tStates != picture_.tStates;
    interrupts_ = !std::equal(std::begin(now.interrupts), std::end(now.interrupts), std::begin(picture_.interrupts));
    Q_EMIT changed();
}

void ChangeTracker::clear()
{
    fields_.clear();
    rows_.clear();
    ports_.clear();
    tStates_ = interrupts_ = false;
    Q_EMIT changed();
}

}  // namespace korvanta::app
