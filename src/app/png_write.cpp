// PNG output through stb_image_write. The file is written here rather than
// by stb's own writer, which ignores write errors: a full disk or a file-size
// limit must fail the write, not leave a cut picture that claims success.
#include "app/png_write.h"

#include <cstdio>
#include <cstdlib>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

bool writePng(const char* path, int width, int height, const uint8_t* rgba) {
    int length = 0;
    unsigned char* png = stbi_write_png_to_mem(rgba, width * 4, width, height, 4, &length);
    if (!png) return false;
    std::FILE* file = std::fopen(path, "wb");
    bool ok = file &&
              std::fwrite(png, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
    if (file && std::fclose(file) != 0) ok = false;
    std::free(png);
    return ok;
}
