#include "arcade_test_host.h"

RecordingHost Host;

namespace {

void RecordSound(int waveId) { Host.sounds.push_back(waveId); }
void RecordRender() { Host.renders++; }
void RecordWait() {
    Host.waits++;
    Host.now += Host.stepPerWait;
}
uint32_t ReadClock() { return Host.now; }

} // namespace

std::vector<uint8_t> ProgramRom(const std::vector<uint8_t> &code) {
    std::vector<uint8_t> rom(code);
    rom.resize(ArcadeProgramRomSize, 0);
    return rom;
}

std::vector<uint8_t> PatternCharRom(uint32_t seed) {
    std::vector<uint8_t> rom(ArcadeCharRomSize);
    uint32_t x = seed * 2654435761u + 1;
    for (auto &b : rom) {
        x = x * 1103515245u + 12345u;
        b = (uint8_t)(x >> 16);
    }
    return rom;
}

int BuildTestMachine(const std::vector<uint8_t> &program, uint8_t lives, uint8_t bonus,
                     const std::vector<uint8_t> &charRom) {
    EndTestMachine();
    Host = RecordingHost();
    Arcade.host.startSound = RecordSound;
    Arcade.host.renderFrame = RecordRender;
    Arcade.host.waitForFrame = RecordWait;
    Arcade.host.tickCount = ReadClock;
    std::vector<uint8_t> rom = ProgramRom(program);
    ArcadeSetup setup = {0, 0, lives, bonus};
    return ArcadeCoreInit(rom.data(), rom.size(), charRom.data(), charRom.size(), setup);
}

void EndTestMachine() {
    ArcadeCoreEndRun();
    ArcadeCoreRelease();
}
