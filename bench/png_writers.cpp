// Writes one 10,000 × 10,000 RGBA image of text-like content (mostly
// transparent, dense glyph-like strokes) with one writer per run:
//   bench_png atelier|libpng|vips OUTPUT [SIZE]
// The content is drawn in 20-row bands, as the text renderer hands them over.
#include "text/tz_streaming_png_writer.h"

#include <png.h>
#include <vips/vips.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace atelier;

namespace {

// Premultiplied BGRA of one band: lines of "glyphs" (stems, bars and a
// diagonal with soft edges) in dark blue, transparent elsewhere.
void drawBand(std::vector<uint8_t>& band, int width, int y0, int rows) {
  band.assign(static_cast<size_t>(width) * rows * 4, 0);
  for (int r = 0; r < rows; ++r) {
    int y = y0 + r;
    int lineRow = y % 120;
    if (lineRow < 20 || lineRow >= 100) continue;  // leading between lines
    uint8_t* row = band.data() + static_cast<size_t>(r) * width * 4;
    for (int x = 0; x < width; ++x) {
      int word = (x / 420 + y / 120) % 7;
      if (x % 420 > 360 + word * 5) continue;  // spaces between words
      int cell = x % 60;
      int glyph = (x / 60 + y / 120 * 3) % 5;
      int alpha = 0;
      if (cell >= 8 && cell < 16) alpha = 255;                                 // stem
      if (glyph % 2 == 0 && lineRow >= 55 && lineRow < 63 && cell < 44) alpha = 255;  // bar
      if (glyph == 3 && std::abs((cell - 16) - (lineRow - 20) / 3) < 4) alpha = 255;  // diagonal
      if (alpha == 0 && (cell == 7 || cell == 16)) alpha = 96;                 // anti-aliased edge
      if (alpha == 0) continue;
      uint8_t* p = row + static_cast<size_t>(x) * 4;
      p[0] = static_cast<uint8_t>(120 * alpha / 255);  // blue
      p[1] = static_cast<uint8_t>(40 * alpha / 255);   // green
      p[2] = static_cast<uint8_t>(20 * alpha / 255);   // red
      p[3] = static_cast<uint8_t>(alpha);
    }
  }
}

bool writeAtelier(const char* file, int size) {
  std::vector<uint8_t> band;
  return TzStreamingPNGWriter::writePNG(file, size, size, [&](const SliceRect& rect) -> std::optional<PixelSlice> {
    drawBand(band, size, static_cast<int>(rect.y), static_cast<int>(rect.height));
    return PixelSlice{band.data(), size, static_cast<int>(rect.height), size * 4, 4};
  });
}

// libpng at its default settings, fed row by row from the same bands
// (un-premultiplied to straight RGBA first, as PNG wants).
bool writeLibpng(const char* file, int size) {
  FILE* out = std::fopen(file, "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> band;
  std::vector<uint8_t> row(static_cast<size_t>(size) * 4);
  for (int y0 = 0; y0 < size; y0 += 20) {
    int rows = std::min(20, size - y0);
    drawBand(band, size, y0, rows);
    for (int r = 0; r < rows; ++r) {
      const uint8_t* source = band.data() + static_cast<size_t>(r) * size * 4;
      for (int x = 0; x < size; ++x) {
        const uint8_t* p = source + x * 4;
        uint8_t a = p[3];
        uint8_t* o = row.data() + x * 4;
        o[0] = a ? static_cast<uint8_t>((p[2] * 255 + a / 2) / a) : 0;
        o[1] = a ? static_cast<uint8_t>((p[1] * 255 + a / 2) / a) : 0;
        o[2] = a ? static_cast<uint8_t>((p[0] * 255 + a / 2) / a) : 0;
        o[3] = a;
      }
      png_write_row(png, row.data());
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

// libvips pngsave of the same pixels (straight RGBA, the whole image in memory).
bool writeVips(const char* file, int size) {
  if (VIPS_INIT("bench")) return false;
  std::vector<uint8_t> image(static_cast<size_t>(size) * size * 4);
  std::vector<uint8_t> band;
  for (int y0 = 0; y0 < size; y0 += 20) {
    int rows = std::min(20, size - y0);
    drawBand(band, size, y0, rows);
    for (size_t i = 0; i < band.size(); i += 4) {
      uint8_t* o = image.data() + static_cast<size_t>(y0) * size * 4 + i;
      uint8_t a = band[i + 3];
      o[0] = a ? static_cast<uint8_t>((band[i + 2] * 255 + a / 2) / a) : 0;
      o[1] = a ? static_cast<uint8_t>((band[i + 1] * 255 + a / 2) / a) : 0;
      o[2] = a ? static_cast<uint8_t>((band[i] * 255 + a / 2) / a) : 0;
      o[3] = a;
    }
  }
  VipsImage* vimage = vips_image_new_from_memory(image.data(), image.size(), size, size, 4, VIPS_FORMAT_UCHAR);
  bool saved = vimage && vips_pngsave(vimage, file, nullptr) == 0;
  if (vimage) g_object_unref(vimage);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s atelier|libpng|vips OUTPUT [SIZE]\n", argv[0]);
    return 2;
  }
  int size = argc > 3 ? std::atoi(argv[3]) : 10000;
  auto started = std::chrono::steady_clock::now();
  bool ok = std::strcmp(argv[1], "atelier") == 0  ? writeAtelier(argv[2], size)
            : std::strcmp(argv[1], "libpng") == 0 ? writeLibpng(argv[2], size)
            : std::strcmp(argv[1], "vips") == 0   ? writeVips(argv[2], size)
                                                  : false;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%s %.3f\n", argv[1], seconds);
  return ok ? 0 : 1;
}
