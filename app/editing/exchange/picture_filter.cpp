#include "picture_filter.h"

#include "bitmap_metafile.h"
#include "dib_check.h"
#include "emf_check.h"
#include "picture_format.h"
#include "wmf_convert.h"

namespace {

const int64_t TwipsPerInch = 1440, HundredthsMillimetrePerInch = 2540, TwipsPerPixel = 15;

int64_t Clamp(int64_t value, int64_t low, int64_t high)
{
    return value < low ? low : value > high ? high : value;
}

// The shown size in twips: the picture's goal, else what its own size says,
// scaled as the text asks.
int64_t ShownTwips(int32_t goal, int64_t fallback, int32_t scale)
{
    int64_t twips = goal > 0 ? goal : fallback;
    if (scale > 0 && scale <= PICTURE_SCALE_PERCENT_MAX)
        twips = twips * scale / 100;
    return Clamp(twips, 1, PICTURE_GOAL_TWIPS_MAX);
}

int64_t TwipsToFrame(int64_t twips)
{
    return Clamp(twips * HundredthsMillimetrePerInch / TwipsPerInch, 1, EMF_REFERENCE_UNITS);
}

void Shown(const PictureInfo &info, int64_t twipsWide, int64_t twipsHigh, PictureOut *out)
{
    out->picwgoal = (int32_t)ShownTwips(info.picwgoal, twipsWide, info.picscalex);
    out->pichgoal = (int32_t)ShownTwips(info.pichgoal, twipsHigh, info.picscaley);
    out->picw = (int32_t)TwipsToFrame(out->picwgoal);
    out->pich = (int32_t)TwipsToFrame(out->pichgoal);
}

int Bitmap(const PictureInfo &info, const uint8_t *dib, size_t size, PictureOut *out)
{
    DibLayout layout;
    if (CheckPackedDib(dib, size, &layout) != 0)
        return -1;
    int64_t rows = layout.height < 0 ? -(int64_t)layout.height : layout.height;
    // A pixel is shown at the screen's 96 to the inch unless the text says more.
    Shown(info, layout.width * TwipsPerPixel, rows * TwipsPerPixel, out);
    return DibToEmf(dib, size, out->picw, out->pich, &out->emf);
}

int Metafile(const PictureInfo &info, const uint8_t *data, size_t size, PictureOut *out)
{
    // A metafile's own size is in 0.01 mm.
    auto twips = [](int32_t hundredths) {
        return hundredths > 0 ? (int64_t)hundredths * TwipsPerInch / HundredthsMillimetrePerInch : 1440;
    };
    Shown(info, twips(info.picw), twips(info.pich), out);
    return ConvertWindowsMetafile(data, size, out->picw, out->pich, &out->emf);
}

int Enhanced(const PictureInfo &info, const uint8_t *data, size_t size, PictureOut *out)
{
    EmfPlace place;
    if (CheckEnhancedMetafile(data, size, &out->emf, &place) != 0)
        return -1;
    int64_t wide = (int64_t)place.frame.right - place.frame.left;
    int64_t high = (int64_t)place.frame.bottom - place.frame.top;
    Shown(info, wide * TwipsPerInch / HundredthsMillimetrePerInch,
          high * TwipsPerInch / HundredthsMillimetrePerInch, out);
    return 0;
}

} // namespace

int FilterPicture(const PictureInfo &info, const uint8_t *data, size_t size, PictureOut *out)
{
    if (!out)
        return -1;
    *out = PictureOut();
    if (!data || size == 0 || size > PICTURE_DATA_BYTES_MAX)
        return -1;
    int result = -1;
    switch (info.form) {
    case PICTURE_EMF:
        result = Enhanced(info, data, size, out);
        break;
    case PICTURE_WMF:
        result = Metafile(info, data, size, out);
        break;
    case PICTURE_DIB:
        result = Bitmap(info, data, size, out);
        break;
    case PICTURE_DDB: {
        std::vector<uint8_t> dib;
        if (DeviceBitmapToDib(data, size, info.picw, info.pich, info.bitsPixel, info.planes,
                              info.widthBytes, &dib) == 0)
            result = Bitmap(info, dib.data(), dib.size(), out);
        break;
    }
    default:
        // PNG and JPEG: the control drops them as it reads them anyway, and
        // each would be another decoder to trust.
        break;
    }
    if (result != 0)
        *out = PictureOut();
    return result;
}
