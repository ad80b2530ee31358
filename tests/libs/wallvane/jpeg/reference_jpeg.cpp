#include "reference_jpeg.h"

#include <math.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <jpeglib.h>

Picture SynthesisePicture(int width, int height, int channels, unsigned seed)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels.resize((size_t)width * height * channels);
    unsigned state = seed * 2654435761u + 1;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            for (int c = 0; c < channels; c++) {
                state = state * 1103515245u + 12345u;
                int value = (x * (3 + c) + y * (5 - c)) % 256;
                if (((x / 7) + (y / 5) + c) % 3 == 0)
                    value = 255 - value;
                value += (int)((state >> 16) % 41) - 20;
                picture.pixels[((size_t)y * width + x) * channels + c] =
                    (uint8_t)(value < 0 ? 0 : value > 255 ? 255 : value);
            }
    return picture;
}

Comparison ComparePixels(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    Comparison result;
    if (a.size() != b.size() || a.empty())
        return result;
    double sum = 0;
    for (size_t i = 0; i < a.size(); i++) {
        int d = abs((int)a[i] - (int)b[i]);
        sum += (double)d * d;
        result.maxDiff = d > result.maxDiff ? d : result.maxDiff;
    }
    double mse = sum / (double)a.size();
    result.psnr = mse == 0 ? 99.0 : 10.0 * log10(255.0 * 255.0 / mse);
    return result;
}

static Bytes RunTool(const std::string &command, const std::string &input)
{
    std::string output = TempPath("out.jpg");
    std::string line = command + " " + input + " > " + output + " 2>/dev/null";
    Bytes bytes;
    if (system(line.c_str()) == 0)
        bytes = ReadWholeFile(output);
    remove(output.c_str());
    return bytes;
}

Bytes EncodeWithCjpeg(const Picture &picture, const std::string &arguments)
{
    std::string input = TempPath(picture.channels == 1 ? "in.pgm" : "in.ppm");
    char header[64];
    snprintf(header, sizeof header, "P%d\n%d %d\n255\n", picture.channels == 1 ? 5 : 6, picture.width,
             picture.height);
    Bytes file(header, header + strlen(header));
    file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
    Bytes out;
    if (WriteWholeFile(input, file))
        out = RunTool(std::string(ZT_CJPEG) + " " + arguments, input);
    remove(input.c_str());
    return out;
}

Bytes TransformWithJpegtran(const Bytes &jpeg, const std::string &arguments)
{
    std::string input = TempPath("in.jpg");
    Bytes out;
    if (WriteWholeFile(input, jpeg))
        out = RunTool(std::string(ZT_JPEGTRAN) + " " + arguments, input);
    remove(input.c_str());
    return out;
}

Bytes TransformWithScript(const Bytes &jpeg, const std::string &script)
{
    std::string path = TempPath("scans.txt");
    if (!WriteWholeFile(path, Bytes(script.begin(), script.end())))
        return Bytes();
    Bytes out = TransformWithJpegtran(jpeg, "-scans " + path);
    remove(path.c_str());
    return out;
}

Bytes BeforeScan(const Bytes &jpeg, int n)
{
    int seen = 0;
    for (size_t i = 0; i + 1 < jpeg.size(); i++)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA && seen++ == n)
            return Concat({Bytes(jpeg.begin(), jpeg.begin() + i), Bytes{0xFF, 0xD9}});
    return Bytes();
}

Picture DecodeWithDjpeg(const Bytes &jpeg, const std::string &arguments)
{
    Picture picture;
    std::string input = TempPath("in.jpg");
    Bytes pnm;
    if (WriteWholeFile(input, jpeg))
        pnm = RunTool(std::string(ZT_DJPEG) + " -pnm " + arguments, input);
    remove(input.c_str());
    int type = 0, width = 0, height = 0, maxValue = 0, consumed = 0;
    std::string text(pnm.begin(), pnm.begin() + std::min<size_t>(pnm.size(), 64));
    if (sscanf(text.c_str(), "P%d %d %d %d%n", &type, &width, &height, &maxValue, &consumed) != 4)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.channels = type == 5 ? 1 : 3;
    size_t size = (size_t)width * height * picture.channels;
    size_t start = consumed + 1;
    if (pnm.size() >= start + size)
        picture.pixels.assign(pnm.begin() + start, pnm.begin() + start + size);
    return picture;
}

namespace {
struct ErrorExit {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void OnError(j_common_ptr info)
{
    longjmp(reinterpret_cast<ErrorExit *>(info->err)->jump, 1);
}

void Quiet(j_common_ptr, int)
{
}
} // namespace

ReferenceImage ReadReferenceCoefficients(const Bytes &jpeg)
{
    ReferenceImage image;
    jpeg_decompress_struct info;
    ErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnError;
    error.manager.emit_message = Quiet;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        image.ok = false;
        return image;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), (unsigned long)jpeg.size());
    jpeg_read_header(&info, TRUE);
    jvirt_barray_ptr *arrays = jpeg_read_coefficients(&info);
    image.width = (int)info.image_width;
    image.height = (int)info.image_height;
    image.components = info.num_components;
    for (int c = 0; c < info.num_components; c++) {
        jpeg_component_info *ci = &info.comp_info[c];
        ReferenceComponent component;
        component.blocksAcross = (int)ci->width_in_blocks;
        component.blocksDown = (int)ci->height_in_blocks;
        component.h = ci->h_samp_factor;
        component.v = ci->v_samp_factor;
        for (int row = 0; row < component.blocksDown; row++) {
            JBLOCKARRAY rows = info.mem->access_virt_barray((j_common_ptr)&info, arrays[c], row, 1, FALSE);
            for (int column = 0; column < component.blocksAcross; column++)
                component.coefficients.insert(component.coefficients.end(), rows[0][column],
                                              rows[0][column] + 64);
        }
        image.component.push_back(component);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    image.ok = true;
    return image;
}

Picture DecodeWithLibjpeg(const Bytes &jpeg)
{
    Picture picture;
    jpeg_decompress_struct info;
    ErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnError;
    error.manager.emit_message = Quiet;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return Picture();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), (unsigned long)jpeg.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    jpeg_start_decompress(&info);
    picture.width = (int)info.output_width;
    picture.height = (int)info.output_height;
    picture.channels = info.output_components;
    size_t row = (size_t)picture.width * picture.channels;
    picture.pixels.resize(row * picture.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW line = picture.pixels.data() + row * info.output_scanline;
        jpeg_read_scanlines(&info, &line, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return picture;
}

