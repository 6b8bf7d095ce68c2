#pragma once
// Runs the BIOS image under Unicorn, an ARM emulator independent of ours, in a memory map laid
// out like the console's. The harness plays the part of our emulator's CPU: it takes the SWI
// exception the way the emulator does (Supervisor mode, lr = next instruction, SPSR = caller's
// CPSR, I and F unchanged) and, when the interrupt model is on, raises IRQs through 0x18 with
// lr_irq = interrupted instruction + 4.

#include <unicorn/unicorn.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

extern "C" const std::uint8_t bios_image[0x4000];

namespace biostest {

inline constexpr std::uint32_t kBiosSize = 0x4000;
inline constexpr std::uint32_t kEwram = 0x02000000;
inline constexpr std::uint32_t kEwramSize = 0x40000;
inline constexpr std::uint32_t kIwram = 0x03000000;
inline constexpr std::uint32_t kIwramSize = 0x8000;
inline constexpr std::uint32_t kIo = 0x04000000;
inline constexpr std::uint32_t kIoSize = 0x1000;
inline constexpr std::uint32_t kPalette = 0x05000000;
inline constexpr std::uint32_t kPaletteSize = 0x400;
inline constexpr std::uint32_t kVram = 0x06000000;
inline constexpr std::uint32_t kVramSize = 0x18000;
inline constexpr std::uint32_t kOam = 0x07000000;
inline constexpr std::uint32_t kOamSize = 0x400;
inline constexpr std::uint32_t kRom = 0x08000000;
inline constexpr std::uint32_t kRomSize = 0x20000;

// System area at the top of IWRAM.
inline constexpr std::uint32_t kUserHandlerPointer = 0x03007FFC;
inline constexpr std::uint32_t kSoftResetFlag = 0x03007FFA;
inline constexpr std::uint32_t kCheckFlags = 0x03007FF8;
inline constexpr std::uint32_t kSpSys = 0x03007F00;
inline constexpr std::uint32_t kSpIrq = 0x03007FA0;
inline constexpr std::uint32_t kSpSvc = 0x03007FE0;

// I/O registers.
inline constexpr std::uint32_t kIe = kIo + 0x200;
inline constexpr std::uint32_t kIf = kIo + 0x202;
inline constexpr std::uint32_t kIme = kIo + 0x208;
inline constexpr std::uint32_t kHaltcnt = kIo + 0x301;

// Code the harness places in ROM: one SWI call site per number for each state, then a scratch
// site for arbitrary instructions. 0x08000000 holds `b .`, where resets land.
inline constexpr std::uint32_t kArmSites = kRom + 0x1000;   // + number * 8
inline constexpr std::uint32_t kThumbSites = kRom + 0x2000; // + number * 4
inline constexpr std::uint32_t kScratchSite = kRom + 0x3000;
inline constexpr std::uint32_t kIdleLoop = kRom + 0x3100;   // `b .` in ARM state

// test_routines.S, linked at kRoutines, and the data block its routines write.
inline constexpr std::uint32_t kRoutines = kRom + 0x10000;
inline constexpr std::uint32_t kIrqArm = kRoutines + 0x000;
inline constexpr std::uint32_t kIrqThumb = kRoutines + 0x100 + 1;
inline constexpr std::uint32_t kIrqAck = kRoutines + 0x200;
inline constexpr std::uint32_t kIrqAckNestedSwi = kRoutines + 0x300;
inline constexpr std::uint32_t kRoutineData = 0x03000F00;
inline constexpr std::uint32_t kDataCalls = kRoutineData + 0x00;
inline constexpr std::uint32_t kDataCpsr = kRoutineData + 0x04;
inline constexpr std::uint32_t kDataSp = kRoutineData + 0x08;
inline constexpr std::uint32_t kDataLr = kRoutineData + 0x0C;
inline constexpr std::uint32_t kDataLastIf = kRoutineData + 0x10;
inline constexpr std::uint32_t kDataNested = kRoutineData + 0x14; // r0, r1, r3 of a nested Div

enum Mode : std::uint32_t {
    kUser = 0x10,
    kFiq = 0x11,
    kIrq = 0x12,
    kSupervisor = 0x13,
    kAbort = 0x17,
    kUndefined = 0x1B,
    kSystem = 0x1F,
};
inline constexpr std::uint32_t kThumbBit = 0x20;
inline constexpr std::uint32_t kIrqMask = 0x80;

inline constexpr std::uint64_t kDefaultLimit = 20'000'000;

// r[13] and r[14] are those of the mode in cpsr; r[15] is the pc.
struct CpuState {
    std::array<std::uint32_t, 16> r{};
    std::uint32_t cpsr = kSystem;
};

struct RunResult {
    bool ok = false;
    std::string error;
    CpuState out;
};

struct MemWrite {
    std::uint32_t address;
    int size;
    std::uint64_t value;
};

class Machine {
public:
    // The CPU model is ARM926 (ARMv5) unless ORVANE_BIOS_TEST_CPU=armv4t selects the TI925T,
    // an ARMv4T core like the console's: there a return through LDM/LDR to Thumb code, or an
    // ARMv5-only instruction, fails as it would on the console.
    explicit Machine(const std::uint8_t* image = bios_image, uc_cpu_arm model = default_cpu_model());
    static uc_cpu_arm default_cpu_model();
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    void write(std::uint32_t address, const void* data, std::size_t size);
    void write(std::uint32_t address, const std::vector<std::uint8_t>& data);
    std::vector<std::uint8_t> read(std::uint32_t address, std::size_t size);
    void fill(std::uint32_t address, std::size_t size, std::uint8_t value);
    std::uint8_t read8(std::uint32_t address);
    std::uint16_t read16(std::uint32_t address);
    std::uint32_t read32(std::uint32_t address);
    void write8(std::uint32_t address, std::uint8_t value);
    void write16(std::uint32_t address, std::uint16_t value);
    void write32(std::uint32_t address, std::uint32_t value);

    std::uint32_t reg(int id);
    void set_reg(int id, std::uint32_t value);
    // r13, r14 or SPSR (UC_ARM_REG_SP/LR/SPSR) of another mode; the current mode is kept.
    std::uint32_t banked(Mode mode, int id);
    void set_banked(Mode mode, int id, std::uint32_t value);
    CpuState state();
    void set_state(const CpuState& s);

    // Executes the SWI at the call site for `number` with the caller state `in` (its cpsr
    // gives the mode, flags and masks; the T bit is set or cleared per `thumb`) and runs until
    // the instruction after the SWI is reached.
    RunResult swi(unsigned number, const CpuState& in, bool thumb = false,
                  std::uint64_t limit = kDefaultLimit);
    // The same with an arbitrary instruction at the scratch site (32-bit ARM or 16-bit Thumb).
    RunResult execute(std::uint32_t instruction, const CpuState& in, bool thumb,
                      std::uint64_t limit = kDefaultLimit);
    // Runs from `begin` (bit 0 set: Thumb) in the current state until `until`.
    RunResult run(std::uint32_t begin, std::uint32_t until, std::uint64_t limit = kDefaultLimit);

    // Takes an IRQ exception now, as the CPU would before executing the instruction at pc.
    void enter_irq();

    // Interrupt model: every halt (HALTCNT write of a value below 0x80) that finds IE & IF
    // clear raises the next entry of `interrupt_script` in IF; an IRQ is taken before any
    // instruction while IE & IF & IME are set and CPSR.I is clear. Writes to IF acknowledge.
    // A halt with nothing left to raise stops the run as a hang.
    void enable_interrupt_model();
    std::deque<std::uint16_t> interrupt_script;
    int halts = 0;
    int irqs_taken = 0;

    // Records every write into [begin, end) in `writes`.
    void log_writes(std::uint32_t begin, std::uint32_t end);
    std::vector<MemWrite> writes;

    uc_engine* engine() { return uc_; }

private:
    static void on_interrupt(uc_engine* uc, std::uint32_t number, void* self);
    static void on_code(uc_engine* uc, std::uint64_t address, std::uint32_t size, void* self);
    static bool on_write(uc_engine* uc, uc_mem_type type, std::uint64_t address, int size,
                         std::int64_t value, void* self);
    static bool on_io_write(uc_engine* uc, uc_mem_type type, std::uint64_t address, int size,
                            std::int64_t value, void* self);
    void map(std::uint32_t address, std::uint32_t size, std::uint32_t perms);
    RunResult check_return_state(RunResult result, std::uint32_t caller_cpsr);

    uc_engine* uc_ = nullptr;
    bool interrupt_model_ = false;
    std::uint16_t pending_if_ = 0;
    bool if_dirty_ = false;
    bool hung_ = false;
    std::string exception_error_;
};

// Registers a caller expects back from any function: r2, r4-r14 and the CPSR (r0, r1 and r3
// carry results or garbage). The CPSR's T bit is compared by Machine::swi itself.
void expect_preserved(const CpuState& in, const CpuState& out, const char* what);

// Seed for a randomised test: ORVANE_BIOS_TEST_SEED if set, else a fixed value per test so runs
// are reproducible. Printed so that a failure can be replayed.
std::uint64_t test_seed(std::uint64_t default_seed);

// Caller state with recognisable register values, System mode, stack at kSpSys.
CpuState caller_state(std::uint32_t cpsr = kSystem);

} // namespace biostest
