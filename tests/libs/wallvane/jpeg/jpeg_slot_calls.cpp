#include "jpeg_slot_calls.h"

namespace {

SlotCalls *Counts = nullptr;

template <size_t Offset, typename F>
struct Counted;

template <size_t Offset, typename R, typename... A>
struct Counted<Offset, R (*)(A...)> {
    static R (*routine)(A...);
    static R Call(A... a)
    {
        if (Counts)
            Counts->calls[SlotNumber(Offset)]++;
        return routine(a...);
    }
};

template <size_t Offset, typename R, typename... A>
R (*Counted<Offset, R (*)(A...)>::routine)(A...) = nullptr;

template <size_t Offset, typename F>
void Wrap(F *slot)
{
    if (!*slot)
        return;
    Counted<Offset, F>::routine = *slot;
    *slot = &Counted<Offset, F>::Call;
}

#define WRAP(member) Wrap<offsetof(JpgDispatch, member)>(&d->member)

void WrapFixedSlots(JpgDispatch *d)
{
    WRAP(mmx_state_clear);
    WRAP(fdct_aan);
    WRAP(fdct_integer);
    WRAP(idct_aan_8x8);
    WRAP(idct_aan_4x4);
    WRAP(idct_aan_2x2);
    WRAP(idct_aan_1x1);
    WRAP(idct_integer_8x8);
    WRAP(idct_integer_4x4);
    WRAP(idct_integer_2x2);
    WRAP(idct_integer_1x1);
    WRAP(out_init);
    WRAP(out_write_bytes);
    WRAP(enc_in_gray);
    WRAP(enc_cc_rgb_ycc_h1v1);
    WRAP(enc_cc_rgb_ycc_h2v1);
    WRAP(enc_cc_rgb_ycc_h2v2);
    WRAP(enc_cc_bgr_ycc_h1v1);
    WRAP(enc_cc_bgr_ycc_h2v1);
    WRAP(enc_cc_bgr_ycc_h2v2);
    WRAP(enc_in_3ch_h1v1);
    WRAP(enc_in_3ch_h2v1);
    WRAP(enc_in_3ch_h2v2);
    WRAP(enc_in_ycbycr_422);
    WRAP(enc_cc_4ch_ycck_h1v1);
    WRAP(enc_cc_4ch_ycck_h2v1);
    WRAP(enc_cc_4ch_ycck_h2v2);
    WRAP(enc_in_4ch_h1v1);
    WRAP(dec_out_gray);
    WRAP(dec_cc_ycc_rgb_h1v1);
    WRAP(dec_cc_ycc_rgb_h2v1);
    WRAP(dec_cc_ycc_rgb_h2v2);
    WRAP(dec_cc_ycc_bgr_h1v1);
    WRAP(dec_cc_ycc_bgr_h2v1);
    WRAP(dec_cc_ycc_bgr_h2v2);
    WRAP(dec_cc_ycc_rgba_h1v1);
    WRAP(dec_cc_ycc_rgba_h2v1);
    WRAP(dec_cc_ycc_rgba_h2v2);
    WRAP(dec_out_3ch_h1v1);
    WRAP(dec_out_3ch_h2v1);
    WRAP(dec_out_3ch_h2v2);
    WRAP(dec_out_3ch_alpha_h1v1);
    WRAP(dec_out_ycbycr_422);
    WRAP(dec_cc_ycck_4ch_h1v1);
    WRAP(dec_cc_ycck_4ch_h2v1);
    WRAP(dec_cc_ycck_4ch_h2v2);
    WRAP(dec_out_4ch_h1v1);
    WRAP(huff_encode_block);
    WRAP(huff_decode_block);
    WRAP(huff_decode_dc_skip_ac);
    WRAP(quant_aan);
    WRAP(quant_integer);
    WRAP(dequant_aan);
    WRAP(dequant_integer);
    // The fill's copies of the fast pair, until a scan or a write sets them.
    d->run_quant = d->quant_aan;
    d->run_dequant = d->dequant_aan;
}

} // namespace

int SlotNumber(size_t offset)
{
    return (int)((offset - offsetof(JpgDispatch, mmx_state_clear)) / sizeof(void *)) + 1;
}

void CountSlotCalls(SlotCalls *calls)
{
    *calls = SlotCalls();
    Counts = calls;
    JpgSetFilledTableHookForTests(WrapFixedSlots);
}

void StopCountingSlotCalls(void)
{
    JpgSetFilledTableHookForTests(nullptr);
    Counts = nullptr;
}
