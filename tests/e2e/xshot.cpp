// qorv-xshot: looks at the X screen for end-to-end tests.
//   qorv-xshot pixel X Y            prints "R G B" of the root window's pixel
//   qorv-xshot png FILE             writes the whole screen as PNG
//   qorv-xshot differing R G B TOL  prints how many pixels differ from the
//                                   colour by more than TOL in any channel
//   qorv-xshot lit                  prints how many pixels show a lit scene
//                                   object: neither black, nor the near-black
//                                   backdrop, nor the background (51, 26, 0)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/png_write.h"

namespace {

struct ScreenImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

bool grab(ScreenImage* out) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image =
        XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return false;
    out->width = attributes.width;
    out->height = attributes.height;
    out->rgba.resize(size_t(out->width) * out->height * 4);
    for (int y = 0; y < out->height; ++y) {
        for (int x = 0; x < out->width; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            uint8_t* d = &out->rgba[(size_t(y) * out->width + x) * 4];
            d[0] = uint8_t((p & image->red_mask) >> __builtin_ctzl(image->red_mask));
            d[1] = uint8_t((p & image->green_mask) >> __builtin_ctzl(image->green_mask));
            d[2] = uint8_t((p & image->blue_mask) >> __builtin_ctzl(image->blue_mask));
            d[3] = 255;
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: qorv-xshot pixel X Y | png FILE | differing R G B TOL | lit\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    ScreenImage screen;
    if (!grab(&screen)) {
        std::fprintf(stderr, "qorv-xshot: cannot read the X screen\n");
        return 1;
    }
    if (std::strcmp(argv[1], "pixel") == 0 && argc == 4) {
        int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
        if (x < 0 || y < 0 || x >= screen.width || y >= screen.height) return usage();
        const uint8_t* p = &screen.rgba[(size_t(y) * screen.width + x) * 4];
        std::printf("%d %d %d\n", p[0], p[1], p[2]);
        return 0;
    }
    if (std::strcmp(argv[1], "png") == 0 && argc == 3)
        return writePng(argv[2], screen.width, screen.height, screen.rgba.data()) ? 0 : 1;
    if (std::strcmp(argv[1], "differing") == 0 && argc == 6) {
        int want[3] = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
        int tolerance = std::atoi(argv[5]);
        long count = 0;
        for (size_t i = 0; i < screen.rgba.size(); i += 4)
            for (int c = 0; c < 3; ++c)
                if (std::abs(screen.rgba[i + c] - want[c]) > tolerance) {
                    ++count;
                    break;
                }
        std::printf("%ld\n", count);
        return 0;
    }
    if (std::strcmp(argv[1], "lit") == 0 && argc == 2) {
        long count = 0;
        for (size_t i = 0; i < screen.rgba.size(); i += 4) {
            const uint8_t* p = &screen.rgba[i];
            bool background = std::abs(p[0] - 51) <= 3 && std::abs(p[1] - 26) <= 3 && p[2] <= 3;
            if (!background && std::max({p[0], p[1], p[2]}) > 12) ++count;
        }
        std::printf("%ld\n", count);
        return 0;
    }
    return usage();
}
