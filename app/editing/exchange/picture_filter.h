// app/editing/exchange/picture_filter.h
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
enum PictureForm { PICTURE_WMF, PICTURE_EMF, PICTURE_DIB, PICTURE_DDB, PICTURE_PNG, PICTURE_JPEG, PICTURE_OTHER };
struct PictureInfo {          // the \pict group's own words, as read (0 when absent)
    int form;                 // PictureForm from \wmetafileN, \emfblip, \dibitmapN, \wbitmapN, \pngblip, \jpegblip
    int32_t mapMode;          // N of \wmetafileN
    int32_t picw, pich, picwgoal, pichgoal, picscalex, picscaley;
    int32_t bitsPixel, planes, widthBytes; // \wbmbitspixelN \wbmplanesN \wbmwidthbytesN
};
struct PictureOut {           // what the writer writes: always an enhanced metafile
    std::vector<uint8_t> emf; // whole EMF the control can write back (\emfblip)
    int32_t picw, pich, picwgoal, pichgoal;
};
// 0: out holds a checked enhanced metafile to write as {\pict\emfblip ...};
// -1: the picture is dropped (the text around it stays).
int FilterPicture(const PictureInfo &info, const uint8_t *data, size_t size, PictureOut *out);
