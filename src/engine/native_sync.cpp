#include "engine/native_sync.h"

#include "cpu/cpu8085.h"
#include "machine/hex_text.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";


// The value of exactly `digits` upper-case hex digits, or -1.
int hexValue(const std::string& text, std::size_t digits)
{
    return text.size() == digits ? static_cast<int>(HexTextValue(text)) : -1;
}

std::string notAByte(const std::string& what, const std::string& text, const char* kind)
{
    return "Ombrix Korvanta CPU Error\r\n\r\n" + what + " holds \"" + text + "\", which is not " + kind +
           ".  Correct it and run the program again.  This is a fatal error.";
}

}  // namespace

std::string HexByteText(std::uint8_t value)
{
    return {kHex[value >> 4], kHex[value & 15]};
}

std::string HexAddressText(std::uint16_t value)
{
    return HexByteText(static_cast<std::uint8_t>(value >> 8)) + HexByteText(static_cast<std::uint8_t>(value & 0xFF));
}

NativeSync::NativeSync(Machine& m) : m_(m)
{
    CpuFields& c = m_.cpu;
    for (TextField* f : {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE, &c.RegisterH,
                         &c.RegisterL, &c.SP, &c.Text2})
        f->changed.connect([this] { noteChange(); });
    // A click on a flag bit reaches the flag value, which is watched above.
    m_.window.rowReplaced.connect([this](int) { noteChange(); });
    m_.window.rowsRemoved.connect([this] { noteChange(); });
    m_.full.inputPortChanged.connect([this](int) { noteChange(); });
}

int NativeSync::rowOf(const cpu::Cpu8085& cpu, std::uint16_t address) const
{
    if (!cpu.inWindow(address)) return 0;
    const int row = static_cast<std::uint16_t>(address - cpu.windowBase) + 1;
    return m_.window.hasRow(row) ? row : 0;
}

std::optional<std::string> NativeSync::load(cpu::Cpu8085& cpu)
{
    CpuFields& c = m_.cpu;
    const struct {
        TextField* field;
        std::uint8_t* target;
        const char* name;
    } registers[] = {{&c.RegisterA, &cpu.regs.a, "Register A"}, {&c.RegisterB, &cpu.regs.b, "Register B"},
                     {&c.RegisterC, &cpu.regs.c, "Register C"}, {&c.RegisterD, &cpu.regs.d, "Register D"},
                     {&c.RegisterE, &cpu.regs.e, "Register E"}, {&c.RegisterH, &cpu.regs.h, "Register H"},
                     {&c.RegisterL, &cpu.regs.l, "Register L"}, {&c.Text2, &cpu.regs.f, "The flag value"}};
    for (const auto& r : registers) {
        int value = hexValue(r.field->text(), 2);
        if (value < 0) return notAByte(r.name, r.field->text(), "a byte of two hexadecimal digits");
        *r.target = static_cast<std::uint8_t>(value);
    }
    int sp = hexValue(c.SP.text(), 4);
    if (sp < 0) return notAByte("The stack pointer", c.SP.text(), "an address of four hexadecimal digits");
    cpu.regs.sp = static_cast<std::uint16_t>(sp);

    int base = HexDigitValue(m_.window.windowDigit.get().empty() ? '0' : m_.window.windowDigit.get()[0]);
    // After a range change answered No the rows keep their old addresses:
    // the rows themselves say which block memory is.
    if (m_.window.hasRow(1)) base = HexDigitValue(m_.window.address(1)[0]);
    cpu.windowBase = static_cast<std::uint16_t>((base < 0 ? 0 : base) << 12);
    for (int row = 1; row <= cpu::kWindowBytes; ++row) {
        int value = m_.window.hasRow(row) ? hexValue(m_.window.data(row), 2) : 0;
        if (value < 0) {
            return notAByte("The memory at " + m_.window.address(row), m_.window.data(row),
                            "a byte of two hexadecimal digits");
        }
        cpu.memory[static_cast<std::size_t>(row - 1)] = static_cast<std::uint8_t>(value);
    }
    cpu.inputPorts = m_.full.inputPorts();
    cpu.takeWrittenRows();  // what was loaded is what the rows hold
    dirty_ = false;
    return std::nullopt;
}

void NativeSync::store(cpu::Cpu8085& cpu)
{
    storing_ = true;
    CpuFields& c = m_.cpu;
    c.RegisterA.setText(HexByteText(cpu.regs.a));
    c.RegisterB.setText(HexByteText(cpu.regs.b));
    c.RegisterC.setText(HexByteText(cpu.regs.c));
    c.RegisterD.setText(HexByteText(cpu.regs.d));
    c.RegisterE.setText(HexByteText(cpu.regs.e));
    c.RegisterH.setText(HexByteText(cpu.regs.h));
    c.RegisterL.setText(HexByteText(cpu.regs.l));
    c.Text2.setText(HexByteText(cpu.regs.f));
    c.SP.setText(HexAddressText(cpu.regs.sp));
    c.PC.setText(HexAddressText(cpu.regs.pc));
    for (int offset : cpu.takeWrittenRows()) {
        const int row = offset + 1;
        if (!m_.window.hasRow(row)) continue;
        std::string text = HexByteText(cpu.memory[static_cast<std::size_t>(offset)]);
        if (m_.window.data(row) != text) m_.memory.EnterintoMEMory(row, text);
    }
    FullState& full = m_.full;
    full.tStates.set(cpu.tStates);
    full.setOutputs(cpu.outputs);
    full.console.set(cpu.console);
    full.interrupts.set({cpu.irq.enabled, cpu.irq.masks, cpu.irq.pendingBits(), cpu.irq.trap, cpu.irq.intr});
    m_.run.executed.set(cpu.instructions);
    storing_ = false;
    dirty_ = false;
}

}  // namespace korvanta
