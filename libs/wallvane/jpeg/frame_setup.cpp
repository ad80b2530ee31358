// What a frame asks of the output stage: MCU geometry and whether colour
// conversion and upsampling are needed for the caller's bitmap.
#include "jpeg_decoder.h"

// The colour the stream itself names, where it names one.
static int StreamColour(const JPEG_PROPERTIES *props)
{
    if (props->frameNeeded)
        return props->jpgColour;
    if (props->componentCount == 1)
        return JPG_COLOUR_GRAY;
    if (props->adobeSeen && props->componentCount == 3)
        return props->adobeTransform ? JPG_COLOUR_YCBCR : JPG_COLOUR_RGB;
    if (props->adobeSeen && props->componentCount == 4)
        return props->adobeTransform ? JPG_COLOUR_YCBCRA : JPG_COLOUR_RGBA;
    return props->jpgColour;
}

int JpgSetupFrame(JPEG_PROPERTIES *props)
{
    int jpg = StreamColour(props), dib = props->dibColour;
    props->streamColour = jpg;
    bool plainJpeg = jpg == JPG_COLOUR_RGB || jpg == JPG_COLOUR_GRAY || jpg == JPG_COLOUR_RGBA ||
                     jpg == JPG_COLOUR_OTHER;
    props->colourConversionNeeded = plainJpeg || dib == JPG_COLOUR_YCBCR || dib == JPG_COLOUR_GRAY ? 0 : 1;

    int count = props->componentCount;
    if (count < 1 || count > JPG_MAX_COMPONENTS)
        return JPG_ERR_COMP;
    props->upsamplingNeeded = 0;
    props->hMax = props->vMax = 0;
    for (int c = 0; c < count; c++) {
        const JpgFrameComponent &component = props->components[c];
        if (component.h > props->hMax)
            props->hMax = component.h;
        if (component.v > props->vMax)
            props->vMax = component.v;
        if ((component.h != 1 || component.v != 1) && dib != JPG_COLOUR_YCBCR)
            props->upsamplingNeeded = 1;
    }
    if (props->hMax < 1 || props->vMax < 1)
        return JPG_ERR_COMP;

    props->mcuWidth = props->nonInterleaved ? 8 : 8 * props->hMax;
    props->mcuHeight = props->nonInterleaved ? 8 : 8 * props->vMax;
    props->mcusAcross = (props->jpgWidth + props->mcuWidth - 1) / props->mcuWidth;
    props->mcusDown = (props->jpgHeight + props->mcuHeight - 1) / props->mcuHeight;
    props->outputKind = 0;

    int offset = 0;
    for (int c = 0; c < count; c++) {
        props->componentBlockOffset[c] = offset;
        offset += props->components[c].h * props->components[c].v;
    }

    if (count == 3 && jpg == JPG_COLOUR_YCBCR && dib == JPG_COLOUR_YCBCR) {
        const JpgFrameComponent *c = props->components;
        if (c[0].h != 2 || c[0].v != 1 || c[1].h != 1 || c[1].v != 1 || c[2].h != 1 || c[2].v != 1)
            return JPG_ERR_INVALID_PROPERTIES;
    }
    JpgSelectMcuOutput(props);
    return 0;
}
