// Texts of the codec's result codes.
#include "jpeg_codec.h"

static const char *const ErrorTexts[] = {
    "ROI Success",
    "Interrupt Success",
    "Success",
    "Exception detected",
    "Invalid Encoder",
    "Unsupported subsampling",
    "Unsupported bytes per pixel",
    "Memory error",
    "Bad Huffman table",
    "Bad Quantization table",
    "Invalid JPEG_PROPERTIES",
    "Error close file",
    "Invalid file name",
    "Error EOF",
    "Not supported",
    "Not JPEG",
    "Error COMP",
    "Error SOF",
    "Error DNL",
    "No Huffman table",
    "No Quantization table",
    "No frame",
    "Multiply frame",
    "Data error",
    "No image",
    "File error",
    "Internal error",
    "Bad RST marker",
    "Thumbnail too small",
    "Thumbnail has wrong color",
    "Output buffer too small",
    "Unsupported frame was found",
    "Error access to jpeg_comment buffer",
};

const char *JpgErrorText(int code)
{
    if (code == JPG_ERR_RESERVED)
        return "Reserved";
    int index = JPG_ROI_SUCCESS - code;
    if (index < 0 || index >= (int)(sizeof ErrorTexts / sizeof ErrorTexts[0]))
        return "Unknown error code";
    return ErrorTexts[index];
}
