// Readers of what the machine drew: a window's pixels and the picture band
// of the machine's own surface.
#include "arcade_pixels.h"

#include "arcade_platform.h"
#include "memory_bitmap.h"

std::vector<uint32_t> ReadPixels(HDC dc, int x, int y, int w, int h) {
    std::vector<uint32_t> pixels((size_t)w * h, 0);
    HDC memoryDc = CreateCompatibleDC(dc);
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(dc, w, h, &bits);
    if (memoryDc && bitmap) {
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, w, h, dc, x, y, SRCCOPY);
        GdiFlush();
        for (size_t i = 0; i < pixels.size(); i++)
            pixels[i] = ((const uint32_t *)bits)[i] & 0xFFFFFF;
        SelectObject(memoryDc, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memoryDc)
        DeleteDC(memoryDc);
    return pixels;
}

std::vector<uint32_t> ReadSurfacePicture() {
    std::vector<uint32_t> picture(208 * 256, 0xDEADBEEF);
    HDC surface = ArcadeSurfaceDc();
    if (!surface)
        return picture;
    HBITMAP bitmap = (HBITMAP)GetCurrentObject(surface, OBJ_BITMAP);
    std::vector<uint32_t> whole(832 * 256);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 832;
    info.bmiHeader.biHeight = -256;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    GdiFlush();
    if (GetDIBits(surface, bitmap, 0, 256, whole.data(), &info, DIB_RGB_COLORS) != 256)
        return picture;
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 208; x++)
            picture[y * 208 + x] = whole[y * 832 + x] & 0xFFFFFF;
    return picture;
}
