// The machine around the Z80 core: its life, the memory map, the ports, the
// sound latches, the high-score restore and the frame hook. The six functions
// the core calls live together here so that linking the machine's run brings
// them all in.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "arcade_core.h"
#include "z80_machine.h"

ArcadeMachine Arcade;
ArcadeProcessKeeps ArcadeKept;

namespace {

inline bool InRange(uint16_t address, uint16_t first, uint16_t last) {
    return address >= first && address <= last;
}

// The dialog's thread changes the input byte with key presses while the
// game reads and writes it: one byte, relaxed, never torn.
inline uint8_t LoadInputByte(const uint8_t *memory) {
    return __atomic_load_n(&memory[ArcadeInputPort], __ATOMIC_RELAXED);
}

void StartSound(int waveId) {
    if (Arcade.host.startSound)
        Arcade.host.startSound(waveId);
}

uint32_t TickCount() {
    return Arcade.host.tickCount ? Arcade.host.tickCount() : 0;
}

bool FireHeld(const uint8_t *memory) {
    return (LoadInputByte(memory) & ArcadeInputFire) == 0;
}

void WriteSoundLatchA(uint8_t *memory, uint16_t address, uint8_t value) {
    if (memory[address] == value)
        return;
    memory[address] = value;
    if (value == 0x8F)
        StartSound(ArcadeSoundA8F);
    else if (FireHeld(memory) && (value == 0x4F || (value >= 0x66 && value <= 0x6A)))
        StartSound(ArcadeSoundAFire);
    else if (value == 0x0C)
        StartSound(ArcadeSoundA0C);
    else if (value == 0x50)
        StartSound(ArcadeSoundA50);
}

void WriteSoundLatchB(uint8_t *memory, uint16_t address, uint8_t value) {
    if (memory[address] == value)
        return;
    memory[address] = value;
    if (value == 0x0C)
        StartSound(ArcadeSoundB0C);
    else if (value == 0x02)
        StartSound(ArcadeSoundB02);
}

void UpdateFrameRate(int frameSkip) {
    uint32_t now = TickCount();
    FormatArcadeFrameRate(ArcadeKept.frameRateText, sizeof ArcadeKept.frameRateText,
                          now - ArcadeKept.frameRateReference.at, frameSkip);
    ArcadeKept.frameRateReference.at = now;
}

} // namespace

uint8_t ArcadeReadMem(uint16_t address) {
    uint8_t *memory = Arcade.memory;
    if (address < ArcadeInputPort || address >= ArcadeIoEnd)
        return memory[address];
    if (InRange(address, ArcadeDipPort, ArcadeDipPortLast)) {
        uint8_t value = (uint8_t)(Arcade.lives + Arcade.bonus * 4);
        if (Arcade.verticalBlank) {
            value |= ArcadeVerticalBlankBit;
            Arcade.verticalBlank = 0;
        }
        return value;
    }
    if (InRange(address, ArcadeInputPort, ArcadeInputPortLast)) {
        uint8_t value = LoadInputByte(memory);
        if (ArcadeKept.videoRegisterValue == ArcadeVideoStateForcing1 ||
            ArcadeKept.videoRegisterValue == ArcadeVideoStateForcing2)
            value |= ArcadeInputForcedBit;
        return value;
    }
    return memory[address];
}

void ArcadeWriteMem(uint16_t address, uint8_t value) {
    if (address < ArcadeRomEnd)
        return;
    uint8_t *memory = Arcade.memory;
    if (InRange(address, ArcadeScrollRegister, ArcadeScrollRegisterLast)) {
        Arcade.scrollValue = value;
    } else if (InRange(address, ArcadeBackgroundRam, ArcadeBackgroundRamLast)) {
        Arcade.backgroundDirty = 1;
    } else if (InRange(address, ArcadeVideoRegister, ArcadeVideoRegisterLast)) {
        Arcade.characterBank = value & 1;
        ArcadeKept.videoRegisterValue = value & 0xFC;
    } else if (InRange(address, ArcadeSoundLatchA, ArcadeSoundLatchALast)) {
        WriteSoundLatchA(memory, address, value);
    } else if (InRange(address, ArcadeSoundLatchB, ArcadeSoundLatchBLast)) {
        WriteSoundLatchB(memory, address, value);
    } else if (InRange(address, ArcadeHiScoreArea, ArcadeHiScoreAreaLast)) {
        int position = address - ArcadeHiScoreArea;
        if (Arcade.hiScoreRestoreCount > 0) {
            // The game's start-up clears and sets up its table; the saved
            // bytes go in instead, so it ends its start-up with them.
            Arcade.hiScoreRestoreCount--;
            memory[address] = ArcadeKept.HiScoreTable[position];
            return;
        }
        Arcade.hiScoreStoredMask |= (uint16_t)(1u << position);
    } else if (address == ArcadeInputPort) {
        __atomic_store_n(&memory[address], value, __ATOMIC_RELAXED);
        return;
    }
    memory[address] = value;
}

uint8_t ArcadeInPort(uint16_t port) {
    return 0;
}

void ArcadeOutPort(uint16_t port, uint8_t value) {
}

void ArcadePatch(Z80Regs *regs) {
}

uint16_t ArcadeFrameHook(Z80Regs *regs) {
    if (!ArcadeKept.frameRateReference.taken) {
        ArcadeKept.frameRateReference.at = TickCount();
        ArcadeKept.frameRateReference.taken = true;
    }
    // Wraps rather than overflows after some years of running.
    Arcade.frameCounter = (int32_t)((uint32_t)Arcade.frameCounter + 1u);
    Arcade.verticalBlank = 1;

    int frameSkip = Arcade.frameSkip.load(std::memory_order_relaxed);
    if (Arcade.showFrameRate.load(std::memory_order_relaxed) &&
        Arcade.frameCounter % ArcadeFramesPerRateUpdate == 0)
        UpdateFrameRate(frameSkip);
    if (frameSkip <= 0 || Arcade.frameCounter % frameSkip == 0) {
        if (Arcade.host.renderFrame)
            Arcade.host.renderFrame();
    }
    if (!Arcade.fullThrottle.load(std::memory_order_relaxed) && Arcade.host.waitForFrame)
        Arcade.host.waitForFrame();

    if (Arcade.stopAfterFrames > 0 && --Arcade.stopAfterFrames == 0)
        return Z80VectorQuit;
    return Arcade.state.load() == ArcadeRunning ? Z80VectorNone : Z80VectorQuit;
}

int ArcadeCoreInit(const uint8_t *programRom, size_t programSize,
                   const uint8_t *charRom, size_t charSize, const ArcadeSetup &setup) {
    if (Arcade.state.load() != ArcadeNoMachine)
        return -1;
    if (!programRom || !charRom || programSize < ArcadeProgramRomSize || charSize < ArcadeCharRomSize)
        return -1;
    uint8_t *memory = (uint8_t *)calloc(ArcadeMemorySize, 1);
    if (!memory)
        return -1;

    memset(Arcade.backgroundShadow, 0, sizeof Arcade.backgroundShadow);
    // A cleared record would hold a mode 0 request for address 0, taken one
    // instruction after the game's first EI.
    Z80ClearRegisters(&Arcade.regs);
    Arcade.regs.hookPeriod = ArcadeHookPeriod;

    Arcade.stretch.store(setup.stretch);
    Arcade.showFrameRate.store(setup.showFrameRate);
    Arcade.fullThrottle.store(0);
    Arcade.lives = setup.lives & 3;
    Arcade.bonus = setup.bonus & 3;
    Arcade.verticalBlank = 0;
    Arcade.scrollValue = 0;
    Arcade.characterBank = 0;
    Arcade.backgroundDirty = 1;
    Arcade.frameCounter = 0;
    Arcade.stopAfterFrames = 0;
    Arcade.frameSkip.store(1);

    memcpy(memory, programRom, ArcadeProgramRomSize);
    memcpy(Arcade.charRom, charRom, ArcadeCharRomSize);
    memory[ArcadeInputPort] = ArcadeInputIdle;
    Arcade.hiScoreRestoreCount = ArcadeHiScoreRestoreWrites;
    Arcade.hiScoreStoredMask = 0;
    Arcade.memory = memory;
    Arcade.state.store(ArcadeReady);
    return 0;
}

int ArcadeCoreRun(void) {
    int expected = ArcadeReady;
    if (!Arcade.state.compare_exchange_strong(expected, ArcadeRunning))
        return -1;
    Z80RunUntilQuit(&Arcade.regs);
    return 0;
}

int ArcadeCoreRunFrames(int frames) {
    if (frames <= 0)
        return Arcade.state.load() == ArcadeReady ? 0 : -1;
    Arcade.stopAfterFrames = frames;
    int result = ArcadeCoreRun();
    Arcade.stopAfterFrames = 0;
    int expected = ArcadeRunning;
    Arcade.state.compare_exchange_strong(expected, ArcadeReady);
    return result;
}

int ArcadeCoreEndRun(void) {
    if (!Arcade.memory)
        return Arcade.state.exchange(ArcadeNoMachine);
    // Only bytes the game wrote itself: a machine stopped before the game
    // set up its table must not turn the saved scores into zeros.
    for (int i = 0; i < ArcadeHiScoreSize; i++) {
        if (Arcade.hiScoreStoredMask & (1u << i))
            ArcadeKept.HiScoreTable[i] = Arcade.memory[ArcadeHiScoreArea + i];
    }
    Arcade.hiScoreStoredMask = 0;
    return Arcade.state.exchange(ArcadeStopping);
}

void ArcadeCoreRelease(void) {
    if (Arcade.memory) {
        memset(Arcade.memory + ArcadeRomEnd, 0, ArcadeIoEnd - ArcadeRomEnd);
        free(Arcade.memory);
        Arcade.memory = nullptr;
    }
    Arcade.state.store(ArcadeNoMachine);
}

void ArcadeSetOptions(int stretch, int showFrameRate, int fullThrottle) {
    Arcade.stretch.store(stretch, std::memory_order_relaxed);
    Arcade.showFrameRate.store(showFrameRate, std::memory_order_relaxed);
    Arcade.fullThrottle.store(fullThrottle, std::memory_order_relaxed);
}

void ArcadeKey(int keyCode, uint8_t up) {
    uint8_t bit = 0;
    switch (keyCode) {
    case ArcadeKeyCoin: bit = ArcadeInputCoin; break;
    case ArcadeKeyStart1: bit = ArcadeInputStart1; break;
    case ArcadeKeyStart2: bit = ArcadeInputStart2; break;
    case ArcadeKeyFire: bit = ArcadeInputFire; break;
    case ArcadeKeyRight: bit = ArcadeInputRight; break;
    case ArcadeKeyLeft: bit = ArcadeInputLeft; break;
    case ArcadeKeyBarrier: bit = ArcadeInputBarrier; break;
    case ArcadeKeyFrameSkipUp: {
        int skip = Arcade.frameSkip.load();
        skip = skip > INT_MAX - up ? INT_MAX : skip + up;
        Arcade.frameSkip.store(skip);
        return;
    }
    case ArcadeKeyFrameSkipDown: {
        int skip = Arcade.frameSkip.load() - up;
        Arcade.frameSkip.store(skip < 1 ? 1 : skip);
        return;
    }
    default:
        return;
    }
    uint8_t *memory = Arcade.memory;
    if (!memory)
        return;
    if (up)
        __atomic_fetch_or(&memory[ArcadeInputPort], bit, __ATOMIC_RELAXED);
    else
        __atomic_fetch_and(&memory[ArcadeInputPort], (uint8_t)~bit, __ATOMIC_RELAXED);
}

void FormatArcadeFrameRate(char *out, size_t outSize, uint32_t elapsedMs, int frameSkip) {
    // Sixty frames inside one tick of the millisecond clock: count the tick
    // as one millisecond rather than divide by zero.
    if (elapsedMs == 0)
        elapsedMs = 1;
    long long framesPerSecond = 60000LL / elapsedMs;
    snprintf(out, outSize, ARCADE_FRAME_RATE_FORMAT, (int)framesPerSecond, frameSkip - 1);
}
