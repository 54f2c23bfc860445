// PNG output through stb_image_write.
#include "gl/egl_context.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

bool writePng(const char* path, int width, int height, const uint8_t* rgba) {
    return stbi_write_png(path, width, height, 4, rgba, width * 4) != 0;
}
