// The MCU walk that the sequential, progressive and region decoders share:
// scan geometry, the stop request and the loop over MCUs with the delays of
// smoothed output.
#pragma once
#include "jpeg_decoder.h"

inline int JpgCeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// Blocks of a component across and down, as coded in a scan of that
// component alone.
inline int JpgComponentBlocksAcross(const JPEG_PROPERTIES *props, int h)
{
    return JpgCeilDiv(props->frameWidth * h, 8 * props->hMax);
}

inline int JpgComponentBlocksDown(const JPEG_PROPERTIES *props, int v)
{
    return JpgCeilDiv(props->frameHeight * v, 8 * props->vMax);
}

inline bool JpgHookTakesCoefficients(const JPEG_PROPERTIES *props)
{
    return props->rawBlockHook && props->rawBlockHook->flag == 0;
}

// MCUs across and down of a sequential scan: a scan of one component has
// MCUs of one block over that component's own grid.
void JpgSequentialGeometry(const JPEG_PROPERTIES *props, const JpgScan *scan, int *across, int *down);
// One MCU of a sequential scan into the MCU buffer (or the raw-block hook).
int JpgDecodeSequentialMcu(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int column, int row);

// Saves where a stopped scan goes on and tells the caller how far it got.
int JpgStopAfter(JPEG_PROPERTIES *props, JpgScan *scan, int column, int row, int across, int down);
// A stop waits until the delayed output has written something.
bool JpgMayStop(const JPEG_PROPERTIES *props, int column, int row);

// Where the input stands: a decoder that leaves all of it as it was, with
// a marker pending, took no bit and stored no coefficient, and every MCU
// after it up to the marker's restart point goes the same way.
struct JpgInputMark {
    uint32_t consumed;
    int bitsHeld, eobRun;
    explicit JpgInputMark(const JpgBitInput *input)
        : consumed(input->consumed), bitsHeld(input->bitsHeld), eobRun(input->eobRun)
    {
    }
    bool Stalled(const JpgBitInput *input) const
    {
        return input->pendingMarker && !input->exhausted && input->consumed == consumed &&
               input->bitsHeld == bitsHeld && input->eobRun == eobRun;
    }
};

// The MCU, counted in raster order, whose restart check takes up the
// marker again for a decoding stopped at MCU `mcu`: the MCUs from `mcu` up
// to it take nothing (the scan's MCU count without such a point).
inline long long JpgResumingMcu(const JpgScan *scan, int across, int down, long long mcu)
{
    long long interval = scan->restartInterval, total = (long long)across * down;
    if (interval == 0)
        return total;
    long long point = (mcu / interval + 1) * interval - 1;
    return point >= total - 1 ? total : point;
}

// The end of the rows from `row` on that lie wholly before the restart
// point at which a stopped decoding takes up its marker again (the scan's
// end without one).
inline int JpgFlatRowsEnd(const JpgScan *scan, int across, int down, int row)
{
    long long point = JpgResumingMcu(scan, across, down, (long long)row * across);
    return point >= (long long)across * down ? down : (int)(point / across);
}

// The MCUs of a scan in raster order, from where a stopped read left off,
// each decoded, checked for a restart and output; with smoothed output the
// delayed column and row follow, where only the output runs. Once a marker
// stops the decoding, the MCUs up to its restart point are not decoded:
// flat gives each what decoding it would, an MCU without coefficients, so
// that the read of a frame far larger than its data costs no more than its
// output. Nor are their rows output MCU by MCU once the output has come to
// rows of such MCUs only (with the vertical smoothing's row delay, rows
// whose neighbours are such rows too): repeat(reference, first, end) gives
// output rows first..end-1 the pixels of output row reference and says
// whether it could; the row buffers of the smoothing then hold flat rows
// alike whichever rows they stand for.
template <typename DecodeMcu, typename FlatMcu, typename OutputMcu, typename RepeatRows>
int JpgRunMcus(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int across, int down, DecodeMcu decode,
               FlatMcu flat, OutputMcu output, RepeatRows repeat)
{
    bool stalled = false;
    int flatRows = 0; // rows walked whole since the decoding stopped, flat from their first MCU
    int delay = props->rowDelay;
    for (int row = scan->nextRow; row < down + delay; row++) {
        int start = row == scan->nextRow ? scan->nextColumn : 0;
        if (stalled && start == 0 && row < down && flatRows > 2 * delay && !props->stopRequest) {
            int end = JpgFlatRowsEnd(scan, across, down, row);
            if (end > row && repeat(row - 1 - delay, row - delay, end - delay)) {
                row = end;
                if (row >= down + delay)
                    break;
            }
        }
        bool flatRow = stalled && start == 0 && row < down;
        for (int column = start; column < across + props->columnDelay; column++) {
            if (column < across && row < down) {
                if (stalled) {
                    flat(column, row);
                } else {
                    JpgInputMark mark(input);
                    int result = decode(column, row);
                    if (result < 0)
                        return result;
                    if (input->exhausted)
                        return JPG_ERR_EOF;
                    stalled = mark.Stalled(input);
                }
                if (JpgCheckRestart(input, scan, across, down, column, row) < 0)
                    return JPG_ERR_BAD_RST;
                stalled = stalled && input->pendingMarker;
            }
            int result = output(column, row);
            if (result < 0)
                return result;
            if (JpgMayStop(props, column, row))
                return JpgStopAfter(props, scan, column, row, across, down);
        }
        flatRows = flatRow && stalled ? flatRows + 1 : 0;
    }
    scan->nextColumn = scan->nextRow = 0;
    return 0;
}
