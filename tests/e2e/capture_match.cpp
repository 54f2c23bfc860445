// Checks qorv-capture's pictures against frames rendered here by the show's
// own frame routine on a fresh headless context of the same size.
//   capture_match exact [--distinct] N=FILE...   RGB equal, pixel for pixel;
//                                                 --distinct: the frames named
//                                                 must differ from each other
//   capture_match near N=FILE                     a supersampled capture: close
//                                                 to the plain render, not equal
//   capture_match sheet FILE W H N...             thumbnails W x H of frames N
//                                                 in a contact sheet, in order
// Exit 0 when all hold; 1 with a line per fault otherwise.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/headless_show.h"
#include "contact_sheet.h"
#include "gl/egl_context.h"
#include "show/frame_clock.h"

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

bool load(Picture* picture, const char* path) {
    int channels = 0;
    uint8_t* data = stbi_load(path, &picture->width, &picture->height, &channels, 4);
    if (!data) return false;
    picture->rgba.assign(data, data + size_t(picture->width) * picture->height * 4);
    stbi_image_free(data);
    return true;
}

bool contextReady = false;

void render(Picture* out, int n, int width, int height) {
    if (!contextReady) {
        if (!headlessInit(width, height) || !headlessStartShow()) {
            std::fprintf(stderr, "capture_match: no headless context\n");
            std::exit(1);
        }
        contextReady = true;
    }
    frameCounter = n - 1.0;
    renderFrame();
    out->width = width;
    out->height = height;
    headlessReadPixels(&out->rgba);
}

// RGB pixels of a that differ from the w x h block of b at (bx, by).
int differing(const Picture& a, const Picture& b, int bx, int by) {
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const uint8_t* p = &a.rgba[(size_t(y) * a.width + x) * 4];
            const uint8_t* q = &b.rgba[(size_t(y + by) * b.width + x + bx) * 4];
            if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) ++count;
        }
    return count;
}

bool splitArg(int* n, std::string* path, const char* arg) {
    const char* eq = std::strchr(arg, '=');
    if (!eq) return false;
    *n = std::atoi(arg);
    *path = eq + 1;
    return *n >= 1;
}

int exact(int argc, char** argv) {
    bool distinct = false;
    std::vector<Picture> references;
    std::vector<int> numbers;
    int faults = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--distinct") == 0) {
            distinct = true;
            continue;
        }
        int n = 0;
        std::string path;
        Picture captured, reference;
        if (!splitArg(&n, &path, argv[i]) || !load(&captured, path.c_str())) {
            std::printf("cannot read %s\n", argv[i]);
            return 1;
        }
        render(&reference, n, captured.width, captured.height);
        const int diff = differing(reference, captured, 0, 0);
        if (diff) {
            std::printf("%s: %d pixels differ from frame %d\n", path.c_str(), diff, n);
            ++faults;
        }
        for (size_t p = 3; p < captured.rgba.size(); p += 4)
            if (captured.rgba[p] != 255) {
                std::printf("%s: not opaque\n", path.c_str());
                ++faults;
                break;
            }
        references.push_back(reference);
        numbers.push_back(n);
    }
    // Frames that look alike could not tell a capture of the wrong frame apart.
    if (distinct)
        for (size_t a = 0; a < references.size(); ++a)
            for (size_t b = a + 1; b < references.size(); ++b)
                if (differing(references[a], references[b], 0, 0) == 0) {
                    std::printf("frames %d and %d render alike\n", numbers[a], numbers[b]);
                    ++faults;
                }
    return faults ? 1 : 0;
}

int near(const char* arg) {
    int n = 0;
    std::string path;
    Picture captured, reference;
    if (!splitArg(&n, &path, arg) || !load(&captured, path.c_str())) {
        std::printf("cannot read %s\n", arg);
        return 1;
    }
    render(&reference, n, captured.width, captured.height);
    double total = 0.0;
    for (size_t i = 0; i < captured.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) total += std::abs(captured.rgba[i + c] - reference.rgba[i + c]);
    const double mean = total / (captured.rgba.size() / 4 * 3);
    const int diff = differing(reference, captured, 0, 0);
    std::printf("%s: mean difference %.3f, %d pixels differ\n", path.c_str(), mean, diff);
    // Averaging only softens edges: the picture stays the same picture.
    if (mean > 4.0 || diff == 0) return 1;
    return 0;
}

int sheet(int argc, char** argv) {
    Picture captured;
    if (argc < 4 || !load(&captured, argv[0])) {
        std::printf("cannot read sheet %s\n", argc ? argv[0] : "");
        return 1;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    SheetLayout layout;
    contactSheetLayout(&layout, argc - 3, width, height);
    if (captured.width != layout.width || captured.height != layout.height) {
        std::printf("sheet is %dx%d, wanted %dx%d\n", captured.width, captured.height, layout.width,
                    layout.height);
        return 1;
    }
    int faults = 0;
    for (int i = 0; i < argc - 3; ++i) {
        const int n = std::atoi(argv[3 + i]);
        Picture reference;
        render(&reference, n, width, height);
        // Cells start after a 4-pixel margin and are cellWidth x cellHeight.
        const int x = 4 + (i % layout.columns) * layout.cellWidth;
        const int y = 4 + (i / layout.columns) * layout.cellHeight;
        const int diff = differing(reference, captured, x, y);
        if (diff) {
            std::printf("thumbnail %d (frame %d): %d pixels differ\n", i, n, diff);
            ++faults;
        }
    }
    return faults ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "exact") == 0) return exact(argc - 2, argv + 2);
    if (argc == 3 && std::strcmp(argv[1], "near") == 0) return near(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "sheet") == 0) return sheet(argc - 2, argv + 2);
    std::fprintf(stderr, "usage: capture_match exact|near|sheet ...\n");
    return 2;
}
