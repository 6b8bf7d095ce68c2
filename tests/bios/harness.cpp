#include "harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

extern "C" const std::uint8_t bios_test_routines[];
extern "C" const std::uint32_t bios_test_routines_size;

namespace biostest {

namespace {

void check(uc_err err, const char* what)
{
    if (err != UC_ERR_OK)
        throw std::runtime_error(std::string(what) + ": " + uc_strerror(err));
}

constexpr int kGeneralRegs[16] = {
    UC_ARM_REG_R0, UC_ARM_REG_R1, UC_ARM_REG_R2,  UC_ARM_REG_R3,  UC_ARM_REG_R4,  UC_ARM_REG_R5,
    UC_ARM_REG_R6, UC_ARM_REG_R7, UC_ARM_REG_R8,  UC_ARM_REG_R9,  UC_ARM_REG_R10, UC_ARM_REG_R11,
    UC_ARM_REG_R12, UC_ARM_REG_SP, UC_ARM_REG_LR, UC_ARM_REG_PC,
};

constexpr std::uint32_t kArmBranchSelf = 0xEAFFFFFE;
constexpr std::uint16_t kThumbBranchSelf = 0xE7FE;

std::string hex(std::uint64_t v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

} // namespace

Machine::Machine(const std::uint8_t* image, uc_cpu_arm model)
{
    check(uc_open(UC_ARCH_ARM, UC_MODE_ARM, &uc_), "uc_open");
    check(uc_ctl_set_cpu_model(uc_, model), "cpu model");
    map(0, kBiosSize, UC_PROT_READ | UC_PROT_EXEC);
    map(kEwram, kEwramSize, UC_PROT_ALL);
    map(kIwram, kIwramSize, UC_PROT_ALL);
    map(kIo, kIoSize, UC_PROT_READ | UC_PROT_WRITE);
    map(kPalette, 0x1000, UC_PROT_READ | UC_PROT_WRITE);
    map(kVram, kVramSize, UC_PROT_READ | UC_PROT_WRITE);
    map(kOam, 0x1000, UC_PROT_READ | UC_PROT_WRITE);
    map(kRom, kRomSize, UC_PROT_READ | UC_PROT_EXEC);
    write(0, image, kBiosSize);

    write32(kRom, kArmBranchSelf);
    write32(kIdleLoop, kArmBranchSelf);
    for (std::uint32_t n = 0; n < 256; n++) {
        write32(kArmSites + n * 8, 0xEF000000u | (n << 16));
        write32(kArmSites + n * 8 + 4, kArmBranchSelf);
        write16(kThumbSites + n * 4, static_cast<std::uint16_t>(0xDF00u | n));
        write16(kThumbSites + n * 4 + 2, kThumbBranchSelf);
    }
    write(kRoutines, bios_test_routines, bios_test_routines_size);

    // The register state the emulator's CPU reset leaves.
    set_banked(kSupervisor, UC_ARM_REG_SP, kSpSvc);
    set_banked(kIrq, UC_ARM_REG_SP, kSpIrq);
    set_banked(kFiq, UC_ARM_REG_SP, kSpIrq);
    set_reg(UC_ARM_REG_CPSR, kSystem);
    set_reg(UC_ARM_REG_SP, kSpSys);

    uc_hook hook;
    check(uc_hook_add(uc_, &hook, UC_HOOK_INTR, reinterpret_cast<void*>(&on_interrupt), this, 1, 0),
          "interrupt hook");
}

uc_cpu_arm Machine::default_cpu_model()
{
    const char* env = std::getenv("ORVANE_BIOS_TEST_CPU");
    if (env && std::string(env) == "armv4t")
        return UC_CPU_ARM_TI925T;
    if (env && *env && std::string(env) != "arm926")
        throw std::runtime_error("ORVANE_BIOS_TEST_CPU must be arm926 or armv4t");
    return UC_CPU_ARM_926;
}

Machine::~Machine()
{
    if (uc_)
        uc_close(uc_);
}

void Machine::map(std::uint32_t address, std::uint32_t size, std::uint32_t perms)
{
    check(uc_mem_map(uc_, address, size, perms), "uc_mem_map");
}

void Machine::write(std::uint32_t address, const void* data, std::size_t size)
{
    check(uc_mem_write(uc_, address, data, size), "uc_mem_write");
}

void Machine::write(std::uint32_t address, const std::vector<std::uint8_t>& data)
{
    if (!data.empty())
        write(address, data.data(), data.size());
}

std::vector<std::uint8_t> Machine::read(std::uint32_t address, std::size_t size)
{
    std::vector<std::uint8_t> out(size);
    if (size)
        check(uc_mem_read(uc_, address, out.data(), size), "uc_mem_read");
    return out;
}

void Machine::fill(std::uint32_t address, std::size_t size, std::uint8_t value)
{
    std::vector<std::uint8_t> bytes(size, value);
    write(address, bytes);
}

std::uint8_t Machine::read8(std::uint32_t address) { return read(address, 1)[0]; }

std::uint16_t Machine::read16(std::uint32_t address)
{
    auto b = read(address, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Machine::read32(std::uint32_t address)
{
    auto b = read(address, 4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void Machine::write8(std::uint32_t address, std::uint8_t value) { write(address, &value, 1); }

void Machine::write16(std::uint32_t address, std::uint16_t value)
{
    std::uint8_t b[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    write(address, b, 2);
}

void Machine::write32(std::uint32_t address, std::uint32_t value)
{
    std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                         static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    write(address, b, 4);
}

std::uint32_t Machine::reg(int id)
{
    std::uint32_t value = 0;
    check(uc_reg_read(uc_, id, &value), "uc_reg_read");
    return value;
}

void Machine::set_reg(int id, std::uint32_t value) { check(uc_reg_write(uc_, id, &value), "uc_reg_write"); }

std::uint32_t Machine::banked(Mode mode, int id)
{
    std::uint32_t cpsr = reg(UC_ARM_REG_CPSR);
    set_reg(UC_ARM_REG_CPSR, (cpsr & ~0x3Fu) | mode);
    std::uint32_t value = reg(id);
    set_reg(UC_ARM_REG_CPSR, cpsr);
    return value;
}

void Machine::set_banked(Mode mode, int id, std::uint32_t value)
{
    std::uint32_t cpsr = reg(UC_ARM_REG_CPSR);
    set_reg(UC_ARM_REG_CPSR, (cpsr & ~0x3Fu) | mode);
    set_reg(id, value);
    set_reg(UC_ARM_REG_CPSR, cpsr);
}

CpuState Machine::state()
{
    CpuState s;
    for (int i = 0; i < 16; i++)
        s.r[static_cast<std::size_t>(i)] = reg(kGeneralRegs[i]);
    s.cpsr = reg(UC_ARM_REG_CPSR);
    return s;
}

void Machine::set_state(const CpuState& s)
{
    set_reg(UC_ARM_REG_CPSR, s.cpsr);
    for (int i = 0; i < 15; i++)
        set_reg(kGeneralRegs[i], s.r[static_cast<std::size_t>(i)]);
    // Unicorn takes the instruction set from bit 0 of a pc write.
    set_reg(UC_ARM_REG_PC, s.r[15] | ((s.cpsr & kThumbBit) ? 1u : 0u));
}

RunResult Machine::swi(unsigned number, const CpuState& in, bool thumb, std::uint64_t limit)
{
    std::uint32_t site = thumb ? kThumbSites + number * 4 : kArmSites + number * 8;
    CpuState s = in;
    s.cpsr = (in.cpsr & ~kThumbBit) | (thumb ? kThumbBit : 0);
    s.r[15] = site;
    set_state(s);
    return check_return_state(run(site | (thumb ? 1u : 0u), site + (thumb ? 2u : 4u), limit), s.cpsr);
}

RunResult Machine::execute(std::uint32_t instruction, const CpuState& in, bool thumb, std::uint64_t limit)
{
    if (thumb) {
        write16(kScratchSite, static_cast<std::uint16_t>(instruction));
        write16(kScratchSite + 2, kThumbBranchSelf);
    } else {
        write32(kScratchSite, instruction);
        write32(kScratchSite + 4, kArmBranchSelf);
    }
    // Unicorn reads both bounds as 64-bit values, also on a 32-bit host.
    check(uc_ctl_remove_cache(uc_, std::uint64_t{kScratchSite},
                              std::uint64_t{kScratchSite} + 8),
          "remove cache");
    CpuState s = in;
    s.cpsr = (in.cpsr & ~kThumbBit) | (thumb ? kThumbBit : 0);
    s.r[15] = kScratchSite;
    set_state(s);
    return check_return_state(run(kScratchSite | (thumb ? 1u : 0u), kScratchSite + (thumb ? 2u : 4u), limit),
                              s.cpsr);
}

// Unicorn stops at the return address whatever the state; a return into the wrong instruction
// set or mode must still fail.
RunResult Machine::check_return_state(RunResult result, std::uint32_t caller_cpsr)
{
    if (result.ok && (result.out.cpsr & (kThumbBit | 0x1Fu)) != (caller_cpsr & (kThumbBit | 0x1Fu))) {
        result.ok = false;
        result.error = "returned with CPSR " + hex(result.out.cpsr) + ", called with " + hex(caller_cpsr);
    }
    return result;
}

RunResult Machine::run(std::uint32_t begin, std::uint32_t until, std::uint64_t limit)
{
    hung_ = false;
    exception_error_.clear();
    uc_err err = uc_emu_start(uc_, begin, until, 0, static_cast<std::size_t>(limit));
    RunResult result;
    result.out = state();
    std::uint32_t pc = result.out.r[15];
    if (err != UC_ERR_OK)
        result.error = std::string("emulation error: ") + uc_strerror(err) + " at pc " + hex(pc);
    else if (!exception_error_.empty())
        result.error = exception_error_;
    else if (hung_)
        result.error = "halted with no interrupt left to raise (pc " + hex(pc) + ")";
    else if (pc != until)
        result.error = "did not reach " + hex(until) + " within " + std::to_string(limit) +
                       " instructions (pc " + hex(pc) + ")";
    else
        result.ok = true;
    return result;
}

void Machine::enter_irq()
{
    std::uint32_t cpsr = reg(UC_ARM_REG_CPSR);
    std::uint32_t pc = reg(UC_ARM_REG_PC);
    set_reg(UC_ARM_REG_CPSR, 0xD2);
    set_reg(UC_ARM_REG_SPSR, cpsr);
    set_reg(UC_ARM_REG_LR, pc + 4);
    set_reg(UC_ARM_REG_PC, 0x18);
}

void Machine::on_interrupt(uc_engine*, std::uint32_t number, void* self_ptr)
{
    auto* self = static_cast<Machine*>(self_ptr);
    if (number != 2) { // anything but SWI is a fault in these tests
        self->exception_error_ = "CPU exception " + std::to_string(number) + " at pc " +
                                 hex(self->reg(UC_ARM_REG_PC));
        uc_emu_stop(self->uc_);
        return;
    }
    // Unicorn reports the SWI with pc already past it; enter the vector as our emulator does.
    std::uint32_t cpsr = self->reg(UC_ARM_REG_CPSR);
    std::uint32_t next = self->reg(UC_ARM_REG_PC);
    self->set_reg(UC_ARM_REG_CPSR, (cpsr & 0xC0u) | kSupervisor);
    self->set_reg(UC_ARM_REG_SPSR, cpsr);
    self->set_reg(UC_ARM_REG_LR, next);
    self->set_reg(UC_ARM_REG_PC, 0x08);
}

void Machine::enable_interrupt_model()
{
    if (interrupt_model_)
        return;
    interrupt_model_ = true;
    uc_hook hook;
    check(uc_hook_add(uc_, &hook, UC_HOOK_CODE, reinterpret_cast<void*>(&on_code), this, 1, 0), "code hook");
    check(uc_hook_add(uc_, &hook, UC_HOOK_MEM_WRITE, reinterpret_cast<void*>(&on_io_write), this, kIo + 0x200,
                      kIo + 0x301),
          "I/O hook");
}

void Machine::on_code(uc_engine*, std::uint64_t address, std::uint32_t, void* self_ptr)
{
    auto* self = static_cast<Machine*>(self_ptr);
    if (self->if_dirty_) {
        self->write16(kIf, self->pending_if_);
        self->if_dirty_ = false;
    }
    std::uint16_t ie = self->read16(kIe);
    std::uint16_t ime = self->read16(kIme);
    std::uint32_t cpsr = self->reg(UC_ARM_REG_CPSR);
    if ((ie & self->pending_if_) && (ime & 1) && !(cpsr & kIrqMask)) {
        self->irqs_taken++;
        self->set_reg(UC_ARM_REG_CPSR, 0xD2);
        self->set_reg(UC_ARM_REG_SPSR, cpsr);
        self->set_reg(UC_ARM_REG_LR, static_cast<std::uint32_t>(address) + 4);
        self->set_reg(UC_ARM_REG_PC, 0x18);
    }
}

bool Machine::on_io_write(uc_engine*, uc_mem_type, std::uint64_t address, int size, std::int64_t value,
                          void* self_ptr)
{
    auto* self = static_cast<Machine*>(self_ptr);
    for (int i = 0; i < size; i++) {
        std::uint64_t at = address + static_cast<std::uint64_t>(i);
        auto byte = static_cast<std::uint16_t>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
        if (at == kIf || at == kIf + 1) {
            // Writing 1 acknowledges; the store itself leaves the written value in memory, so
            // the pending state is written back before the next instruction.
            self->pending_if_ &= static_cast<std::uint16_t>(~(byte << (at == kIf ? 0 : 8)));
            self->if_dirty_ = true;
        } else if (at == kHaltcnt && byte < 0x80) {
            self->halts++;
            std::uint16_t ie = self->read16(kIe);
            if (!(ie & self->pending_if_)) {
                if (self->interrupt_script.empty()) {
                    self->hung_ = true;
                    uc_emu_stop(self->uc_);
                } else {
                    self->pending_if_ |= self->interrupt_script.front();
                    self->interrupt_script.pop_front();
                    self->if_dirty_ = true;
                }
            }
        }
    }
    return true;
}

void Machine::log_writes(std::uint32_t begin, std::uint32_t end)
{
    uc_hook hook;
    check(uc_hook_add(uc_, &hook, UC_HOOK_MEM_WRITE, reinterpret_cast<void*>(&on_write), this, begin, end - 1),
          "write hook");
}

bool Machine::on_write(uc_engine*, uc_mem_type, std::uint64_t address, int size, std::int64_t value,
                       void* self_ptr)
{
    auto* self = static_cast<Machine*>(self_ptr);
    self->writes.push_back({static_cast<std::uint32_t>(address), size, static_cast<std::uint64_t>(value)});
    return true;
}

void expect_preserved(const CpuState& in, const CpuState& out, const char* what)
{
    EXPECT_EQ(in.r[2], out.r[2]) << what << ": r2";
    for (std::size_t i = 4; i < 15; i++)
        EXPECT_EQ(in.r[i], out.r[i]) << what << ": r" << i;
    // The T bit is the call site's (set by Machine::swi, checked there).
    EXPECT_EQ(in.cpsr & ~kThumbBit, out.cpsr & ~kThumbBit) << what << ": CPSR";
}

std::uint64_t test_seed(std::uint64_t default_seed)
{
    std::uint64_t seed = default_seed;
    if (const char* env = std::getenv("ORVANE_BIOS_TEST_SEED"))
        seed = std::strtoull(env, nullptr, 0);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::printf("[   SEED   ] %s.%s: %llu (set ORVANE_BIOS_TEST_SEED to replay)\n",
                info ? info->test_suite_name() : "?", info ? info->name() : "?",
                static_cast<unsigned long long>(seed));
    return seed;
}

CpuState caller_state(std::uint32_t cpsr)
{
    CpuState s;
    for (std::size_t i = 0; i < 13; i++)
        s.r[i] = 0x1000u * static_cast<std::uint32_t>(i) + 0xA5u;
    s.r[13] = kSpSys;
    s.r[14] = 0x0800BEEF;
    s.cpsr = cpsr;
    return s;
}

} // namespace biostest
