// The machine's six sounds, found and locked once at program start and
// played straight from the resources.
#include "arcade_machine.h"

#include <mmsystem.h>

#include "arcade_core.h"
#include "arcade_platform.h"

static const int SoundIds[ArcadeSoundCount] = {ArcadeSoundA50, ArcadeSoundA8F, ArcadeSoundB02,
                                               ArcadeSoundAFire, ArcadeSoundB0C, ArcadeSoundA0C};
static const void *sounds[ArcadeSoundCount];

static const void *LockWave(HINSTANCE instance, int id)
{
    DWORD size = 0;
    const uint8_t *data = LockArcadeResource(instance, id, ARCADE_SOUND_TYPE, &size);
    if (!data || CheckArcadeWave(data, size) != 0)
        return nullptr;
    return data;
}

int LoadArcadeSounds(HINSTANCE instance)
{
    int result = 0;
    for (int i = 0; i < ArcadeSoundCount; i++) {
        sounds[i] = LockWave(instance, SoundIds[i]);
        if (!sounds[i]) {
            OutputDebugStringA("Arcade sound missing or damaged\n");
            result = -1;
        }
    }
    return result;
}

void PlayArcadeSound(int waveId)
{
    for (int i = 0; i < ArcadeSoundCount; i++) {
        if (SoundIds[i] == waveId && sounds[i]) {
            PlaySoundA((LPCSTR)sounds[i], nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
            return;
        }
    }
}
