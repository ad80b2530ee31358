#include "midas_engine.h"

#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

struct MidasTune {
    xmp_context context;
    int started;            // xmp_start_player succeeded and is not ended yet
    MidasSongInfo info;
    MidasSongStatus status;
};

enum { DEFAULT_RATE = 44100 };

void MidasEngineReset(MidasEngine *engine)
{
    engine->rate = DEFAULT_RATE;
    engine->separation = MIDAS_MAX_SEPARATION / 2;
    engine->highQuality = 0;
    engine->playing = nullptr;
    engine->suspended = 0;
}

static void CopyName(char *out, const char *name)
{
    size_t n = name ? strnlen(name, MIDAS_SONG_NAME_BYTES - 1) : 0;
    if (n)
        memcpy(out, name, n);
    out[n] = 0;
}

MidasTune *MidasEngineLoad(const char *path)
{
    if (!path || !*path)
        return nullptr;
    MidasTune *tune = new (std::nothrow) MidasTune();
    if (!tune)
        return nullptr;
    tune->context = xmp_create_context();
    if (!tune->context) {
        delete tune;
        return nullptr;
    }
    if (xmp_load_module(tune->context, path) != 0) {
        xmp_free_context(tune->context);
        delete tune;
        return nullptr;
    }
    xmp_module_info module;
    xmp_get_module_info(tune->context, &module);
    CopyName(tune->info.songName, module.mod->name);
    tune->info.songLength = module.mod->len;
    tune->info.numPatterns = module.mod->pat;
    tune->info.numInstruments = module.mod->ins;
    tune->info.numChannels = module.mod->chn;
    return tune;
}

static void EndPlayer(MidasTune *tune)
{
    if (tune->started) {
        xmp_end_player(tune->context);
        tune->started = 0;
    }
}

void MidasEngineFree(MidasEngine *engine, MidasTune *tune)
{
    if (!tune)
        return;
    if (engine->playing == tune)
        engine->playing = nullptr;
    EndPlayer(tune);
    xmp_release_module(tune->context);
    xmp_free_context(tune->context);
    delete tune;
}

int MidasEnginePlay(MidasEngine *engine, MidasTune *tune)
{
    if (!tune)
        return -1;
    if (engine->playing && engine->playing != tune)
        EndPlayer(engine->playing);
    EndPlayer(tune);
    if (xmp_start_player(tune->context, engine->rate, 0) != 0)
        return -1;
    tune->started = 1;
    xmp_set_player(tune->context, XMP_PLAYER_MIX,
                   engine->separation * 100 / MIDAS_MAX_SEPARATION);
    xmp_set_player(tune->context, XMP_PLAYER_INTERP,
                   engine->highQuality ? XMP_INTERP_SPLINE : XMP_INTERP_LINEAR);
    memset(&tune->status, 0, sizeof tune->status);
    engine->playing = tune;
    engine->suspended = 0;
    return 0;
}

int MidasEngineStop(MidasEngine *engine, MidasTune *tune)
{
    if (!tune || engine->playing != tune)
        return -1;
    EndPlayer(tune);
    engine->playing = nullptr;
    return 0;
}

int MidasEngineInfo(const MidasTune *tune, MidasSongInfo *info)
{
    if (!tune || !info)
        return -1;
    *info = tune->info;
    return 0;
}

int MidasEngineStatus(const MidasTune *tune, MidasSongStatus *status)
{
    if (!tune || !status)
        return -1;
    *status = tune->status;
    return 0;
}

void MidasEngineRender(MidasEngine *engine, short *samples, int frames)
{
    int bytes = frames * 2 * (int)sizeof(short);
    MidasTune *tune = engine->playing;
    // The engine is asked to loop for ever (0): the song's end shows as a
    // growing loop count, which the caller reads to move on.
    if (!tune || engine->suspended || xmp_play_buffer(tune->context, samples, bytes, 0) != 0) {
        memset(samples, 0, bytes);
        return;
    }
    xmp_frame_info frame;
    xmp_get_frame_info(tune->context, &frame);
    tune->status.position = frame.pos;
    tune->status.pattern = frame.pattern;
    tune->status.row = frame.row;
    tune->status.songLoopCount = frame.loop_count;
}
