#include "wallpaper_change.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui_seams.h"

// At most this much of "cur_bmp.txt" names the last picture.
static const size_t CURRENT_NAME_BYTES = 1024;

// Every name is joined to the folder: the changer runs on its own thread in
// the notes program's process, whose current folder is the notes' own.
int FindNextImageFile(const char *directory, char *outPath, int outSize)
{
    std::string folder = directory ? directory : "";
    if (folder.empty())
        return -1;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    std::string currentFile = folder + CHANGER_CURRENT_FILE;

    char lastName[CURRENT_NAME_BYTES + 1] = {};
    if (FILE *file = std::fopen(currentFile.c_str(), "rb")) {
        size_t n = std::fread(lastName, 1, CURRENT_NAME_BYTES, file);
        lastName[n] = 0;
        std::fclose(file);
    }

    // The pattern also finds "x.jpgx" and short-name matches: keep real ".jpg" names only.
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.jpg").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE && GetFileAttributesA(directory) == INVALID_FILE_ATTRIBUTES)
        return -1;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                HasJpegExtension(found.cFileName))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::vector<const char *> list;
    for (const std::string &name : names)
        list.push_back(name.c_str());
    int chosen = ChooseNextImage(list.data(), (int)list.size(), lastName);
    if (chosen < 0)
        return -1;
    int n = std::snprintf(outPath, (size_t)outSize, "%s\\%s", directory, list[chosen]);
    if (n <= 0 || n >= outSize)
        return -1;
    if (FILE *file = std::fopen(currentFile.c_str(), "w")) {
        std::fputs(list[chosen], file);
        std::fclose(file);
    }
    return 0;
}

HGLOBAL PackBitmapAsDib(HBITMAP bitmap, DWORD compression)
{
    if (compression == BI_BITFIELDS)
        return nullptr;
    BITMAP info;
    if (!GetObjectA(bitmap, sizeof info, &info))
        return nullptr;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = (WORD)(info.bmPlanes * info.bmBitsPixel);
    header.biCompression = compression;
    DWORD colours = header.biBitCount <= 8 ? (1u << header.biBitCount) : 0;
    DWORD headBytes = sizeof header + colours * sizeof(RGBQUAD);

    HDC dc = GetDC(nullptr);
    HPALETTE oldPalette = SelectPalette(dc, (HPALETTE)GetStockObject(DEFAULT_PALETTE), FALSE);
    RealizePalette(dc);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, headBytes);
    bool ok = false;
    if (block) {
        BITMAPINFOHEADER *packed = (BITMAPINFOHEADER *)GlobalLock(block);
        *packed = header;
        GetDIBits(dc, bitmap, 0, (UINT)header.biHeight, nullptr, (BITMAPINFO *)packed,
                  DIB_RGB_COLORS);
        header = *packed;
        GlobalUnlock(block);
        if (header.biSizeImage == 0) {
            header.biSizeImage =
                ((header.biBitCount * (DWORD)header.biWidth + 31) & ~31u) / 8 * header.biHeight;
            if (compression != BI_RGB)
                header.biSizeImage = header.biSizeImage * 3 / 2;
        }
        HGLOBAL grown = GlobalReAlloc(block, headBytes + header.biSizeImage, GMEM_MOVEABLE);
        if (grown) {
            block = grown;
            packed = (BITMAPINFOHEADER *)GlobalLock(block);
            *packed = header;
            ok = GetDIBits(dc, bitmap, 0, (UINT)header.biHeight, (BYTE *)packed + headBytes,
                           (BITMAPINFO *)packed, DIB_RGB_COLORS) != 0;
            GlobalUnlock(block);
        }
        if (!ok) {
            GlobalFree(block);
            block = nullptr;
        }
    }
    SelectPalette(dc, oldPalette, FALSE);
    ReleaseDC(nullptr, dc);
    return block;
}

int WriteBmpFile(const char *path, HGLOBAL packed)
{
    if (!packed)
        return 0;
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)GlobalLock(packed);
    if (!header)
        return 0;
    DWORD colours = header->biBitCount <= 8 ? (1u << header->biBitCount) : 0;
    DWORD packedBytes = (DWORD)GlobalSize(packed);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfSize = (DWORD)sizeof file + packedBytes;
    file.bfOffBits = (DWORD)sizeof file + header->biSize + colours * sizeof(RGBQUAD);
    int result = 0;
    if (FILE *out = std::fopen(path, "wb")) {
        bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                       std::fwrite(header, 1, packedBytes, out) == packedBytes;
        result = std::fclose(out) == 0 && written ? 1 : 0;
    }
    GlobalUnlock(packed);
    return result;
}

int SaveDesktopBitmap(const ChangerImage *image, const char *path)
{
    if (!image || !image->pixels)
        return 0;
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    int dw = desktop.right, dh = desktop.bottom;
    HDC screen = GetDC(GetDesktopWindow());
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, dw, dh);
    int result = 0;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        DrawImageCentred(memory, image, dw, dh);
        SelectObject(memory, old);
        HGLOBAL packed = PackBitmapAsDib(bitmap, BI_RGB);
        result = WriteBmpFile(path, packed);
        if (packed)
            GlobalFree(packed);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(GetDesktopWindow(), screen);
    return result;
}

// The change proper; 0 once the picture is the wallpaper's.
static int ChangeTo(const ChangeRequest &request, char *path, size_t pathSize)
{
    if (FindNextImageFile(request.directory, path, (int)pathSize) != 0) {
        ZtMessageBox(nullptr,
                     "Unable to find JPEG (.jpg) files,\r\ncheck Image/Work Directory "
                     "setting.\r\n\r\nRight click with the mouse in system tray the\r\n"
                     "blue/green monitor icon to view/change settings.",
                     "No File(s) Found For Background Changer", MB_ICONERROR);
        return -1;
    }
    ChangerImage *image = LoadJpegImage(path);
    if (!image) {
        ZtMessageBox(nullptr, path, "Failed JPEG LOAD", MB_ICONWARNING);
        return -1;
    }
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    if (PrepareWallpaperImage(image, &request.settings, desktop.right, desktop.bottom) != 0) {
        ZtMessageBox(nullptr, "Failed Mem Alloc", "Failed JPEG LOAD", MB_ICONWARNING);
        ReleaseChangerImage(image);
        return -1;
    }
    char bitmapPath[CHANGER_PATH_BYTES + 16];
    std::snprintf(bitmapPath, sizeof bitmapPath, "%s\\%s", request.directory, CHANGER_BITMAP_FILE);
    SaveDesktopBitmap(image, bitmapPath);
    PublishCurrentImage(request.shared, image);
    if (!SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, bitmapPath,
                               SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE)) {
        ZtMessageBox(nullptr, path, "Unable to set new background ", MB_ICONERROR);
        return -1;
    }
    return 0;
}

void ChangeBackground(const ChangeRequest &request)
{
    // The desktop's settings must be there to take a wallpaper at all. The
    // current "Wallpaper" value is not needed: a user who never chose one
    // (as in every new profile) has it empty, and gets one all the same.
    HKEY key = nullptr;
    bool desktop = RegOpenKeyExA(ZtRegistryRoot(), "Control Panel\\Desktop", 0, KEY_READ, &key) ==
                   ERROR_SUCCESS;
    if (desktop)
        RegCloseKey(key);
    ReleaseChangerImage(TakeCurrentImage(request.shared));
    if (desktop) {
        char path[CHANGER_PATH_BYTES + MAX_PATH];
        ChangeTo(request, path, sizeof path);
    }
    request.shared->busy = false;
}

DWORD WINAPI ChangeBackgroundThread(LPVOID parameter)
{
    ChangeRequest *request = (ChangeRequest *)parameter;
    ChangeBackground(*request);
    ReleaseChangerShared(request->shared);
    delete request;
    return 0;
}
