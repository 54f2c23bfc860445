// A few frames against reference images kept in the repository, so that a
// change that alters the picture is noticed. On a mismatch the new frame and
// a difference image are written next to the test log. After an intended
// change of the picture, QORV_UPDATE_REFERENCES=1 rewrites the references.
#include "frame_support.h"

#include <cstdlib>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

namespace {

// llvmpipe on another machine may round an edge pixel differently; a changed
// picture moves far more than this.
const int kChannelTolerance = 24;
const double kAllowedDifferingShare = 0.005;

bool loadPng(const std::string& path, Image* out) {
    int w, h, channels;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!data) return false;
    out->width = w;
    out->height = h;
    out->rgba.assign(data, data + size_t(w) * h * 4);
    stbi_image_free(data);
    return true;
}

Image differenceImage(const Image& a, const Image& b) {
    Image d = a;
    for (size_t i = 0; i < d.rgba.size(); i += 4) {
        for (int c = 0; c < 3; ++c)
            d.rgba[i + c] = uint8_t(std::abs(a.rgba[i + c] - b.rgba[i + c]));
        d.rgba[i + 3] = 255;
    }
    return d;
}

void compareWithReference(double n) {
    Image frame = renderShowFrame(n);
    char name[64];
    std::snprintf(name, sizeof name, "frame-%04d.png", int(n));
    const std::string path = std::string(QORV_REFERENCE_DIR) + "/" + name;
    const char* update = std::getenv("QORV_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(writePng(path.c_str(), frame.width, frame.height, frame.rgba.data()));
        return;
    }
    Image reference;
    ASSERT_TRUE(loadPng(path, &reference)) << "missing reference " << path;
    ASSERT_EQ(reference.width, frame.width);
    ASSERT_EQ(reference.height, frame.height);
    int differing = differingPixels(frame, reference, kChannelTolerance);
    EXPECT_LE(differing, frame.width * frame.height * kAllowedDifferingShare)
        << "frame " << n << " differs from " << path << " in " << differing
        << " pixels; new frame: " << saveForInspection(frame, name)
        << ", difference: " << saveForInspection(differenceImage(frame, reference), "difference");
}

}  // namespace

TEST(ReferenceImages, CurtainsPartingAtFrame700) {
    requireShow();
    compareWithReference(700);
}

TEST(ReferenceImages, RingsAndBlobAtFrame1000) {
    requireShow();
    compareWithReference(1000);
}

TEST(ReferenceImages, GrownRingsAtFrame3000) {
    requireShow();
    compareWithReference(3000);
}

TEST(ReferenceImages, BlobAloneAtFrame5000) {
    requireShow();
    compareWithReference(5000);
}
