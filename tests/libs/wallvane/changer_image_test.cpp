// The changer's own load sequence (header read, a bitmap sized from it, the
// image read, the reordering of rows) on streams that go on with a second
// picture and on real photographs. Natively it runs under the sanitizers,
// which catch any row read past the decoded bitmap.
#include <gtest/gtest.h>

#include <stdio.h>
#ifdef ZT_PHOTO_FOLDER
#include <dirent.h>
#endif

#include <cstring>
#include <string>
#include <vector>

#include "changer_image.h"
#include "jpeg_codec.h"
#include "jpeg_second_picture.h"

namespace {

// The size a header read reports, as the changer's bitmap is sized.
bool HeaderSize(const std::string &path, int *width, int *height)
{
    JPEG_IMAGE_PROPS r;
    if (JpgLibInit(&r) != 0)
        return false;
    r.jpgFileName = path.c_str();
    bool ok = JpgLibRead(&r, JPG_READ_HEADER_FILE) == 0;
    *width = r.jpgWidth;
    *height = r.jpgHeight;
    JpgLibFree(&r);
    return ok;
}

ChangerSettings Settings(bool fit, bool sharpen)
{
    ChangerSettings s;
    SetDefaultChangerSettings(&s);
    s.bilinear = fit;
    s.sharpen = sharpen;
    return s;
}

TEST(ChangerImage, PictureFollowedByASecondOneIsNotLoaded)
{
    std::vector<SecondPictureFile> family = SecondPictureFamily();
    ASSERT_EQ(30u, family.size());
    for (const SecondPictureFile &f : family) {
        SCOPED_TRACE(f.name);
        std::string path = TempPath("changer.jpg");
        ASSERT_TRUE(WriteWholeFile(path, f.jpeg));
        int width, height;
        ASSERT_TRUE(HeaderSize(path, &width, &height));
        EXPECT_EQ(f.width, width);
        EXPECT_EQ(f.height, height);
        ChangerImage *image = LoadJpegImage(path.c_str());
        if (image) {
            // Were it loaded, it would have to be the first picture alone.
            ADD_FAILURE() << "loaded";
            EXPECT_EQ(width, image->width);
            EXPECT_EQ(height, image->height);
            ChangerSettings settings = Settings(true, true);
            EXPECT_EQ(0, PrepareWallpaperImage(image, &settings, 320, 200));
            ReleaseChangerImage(image);
        }
        remove(path.c_str());
    }
}

#ifdef ZT_PHOTO_FOLDER
std::vector<std::string> Photographs()
{
    std::vector<std::string> paths;
    if (DIR *dir = opendir(ZT_PHOTO_FOLDER)) {
        while (dirent *entry = readdir(dir)) {
            size_t n = strlen(entry->d_name);
            if (n > 4 && strcmp(entry->d_name + n - 4, ".jpg") == 0)
                paths.push_back(std::string(ZT_PHOTO_FOLDER) + "/" + entry->d_name);
        }
        closedir(dir);
    }
    return paths;
}

// Each photograph's rows come out bottom-up and whole; fitted and sharpened
// it fills the desktop's width or height.
TEST(ChangerImage, PhotographsLoadAndTurnIntoWallpapers)
{
    std::vector<std::string> photos = Photographs();
    ASSERT_GE(photos.size(), 10u) << "./dev installs the photographs of " ZT_PHOTO_FOLDER;
    for (const std::string &path : photos) {
        SCOPED_TRACE(path);
        int width, height;
        ASSERT_TRUE(HeaderSize(path, &width, &height));
        ChangerImage *image = LoadJpegImage(path.c_str());
        ASSERT_NE(nullptr, image);
        ASSERT_EQ(width, image->width);
        ASSERT_EQ(height, image->height);
        ASSERT_EQ(3, image->channels);
        size_t rowBytes = (size_t)width * 3 + image->padBytes;
        ASSERT_EQ(0u, rowBytes % 4);
        std::vector<unsigned char> topDown(image->pixels, image->pixels + rowBytes * height);
        ChangerSettings plain = Settings(false, false);
        ASSERT_EQ(0, PrepareWallpaperImage(image, &plain, 320, 200));
        for (int y : {0, height / 2, height - 1})
            EXPECT_EQ(0, memcmp(&topDown[rowBytes * y], image->pixels + rowBytes * (height - 1 - y), width * 3))
                << "row " << y;
        // Once more through the whole preparation: the rows go back to the
        // decoded order before they are fitted and sharpened.
        ChangerSettings wallpaper = Settings(true, true);
        wallpaper.sharpenMore = 1;
        ASSERT_EQ(0, PrepareWallpaperImage(image, &wallpaper, 320, 200));
        EXPECT_TRUE(image->width == 320 || image->height == 200) << image->width << "x" << image->height;
        EXPECT_LE(image->width, 320);
        EXPECT_LE(image->height, 200);
        ReleaseChangerImage(image);
    }
}
#endif

} // namespace
