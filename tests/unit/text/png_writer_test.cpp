#include "support/test_environment.h"
#include "text/tz_streaming_png_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <sys/resource.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>

namespace atelier::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

struct Decoded {
  uint32_t width = 0, height = 0;
  int colorType = -1;
  std::vector<std::vector<uint8_t>> rows;
};

// An independent decoder: libpng, which also checks every CRC and the stream.
std::optional<Decoded> decode(const fs::path& file) {
  FILE* in = std::fopen(file.c_str(), "rb");
  if (!in) return std::nullopt;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Decoded decoded;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(in);
    return std::nullopt;
  }
  png_init_io(png, in);
  png_read_info(png, info);
  decoded.width = png_get_image_width(png, info);
  decoded.height = png_get_image_height(png, info);
  decoded.colorType = png_get_color_type(png, info);
  decoded.rows.assign(decoded.height, std::vector<uint8_t>(png_get_rowbytes(png, info)));
  for (auto& row : decoded.rows) png_read_row(png, row.data(), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(in);
  return decoded;
}

struct Chunk {
  std::string type;
  std::string data;
  bool crcValid;
};

std::vector<Chunk> chunks(const fs::path& file, std::string* raw = nullptr) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  if (raw) *raw = bytes;
  std::vector<Chunk> result;
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
           (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
  };
  for (size_t at = 8; at + 12 <= bytes.size();) {
    uint32_t length = be32(at);
    std::string type = bytes.substr(at + 4, 4);
    std::string data = bytes.substr(at + 8, length);
    uLong crc = ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + at + 4), length + 4);
    result.push_back({type, data, crc == be32(at + 8 + length)});
    at += 12 + length;
  }
  return result;
}

// BGRA premultiplied bands of a fixed picture, as the text renderer hands them over.
class Picture {
 public:
  Picture(int width, int height) : width_(width), pixels_(static_cast<size_t>(width) * height * 4) {}
  void set(int x, int y, std::array<uint8_t, 4> bgra) {
    std::copy(bgra.begin(), bgra.end(), pixels_.begin() + (static_cast<size_t>(y) * width_ + x) * 4);
  }
  void fillRandomPremultiplied(unsigned seed) {
    std::mt19937 random(seed);
    for (size_t i = 0; i < pixels_.size(); i += 4) {
      uint8_t a = static_cast<uint8_t>(random() % 256);
      for (int c = 0; c < 3; ++c) pixels_[i + c] = a == 0 ? 0 : static_cast<uint8_t>(random() % (a + 1));
      pixels_[i + 3] = a;
    }
  }
  TzStreamingPNGWriter::RenderingBlock block(std::vector<SliceRect>* asked = nullptr) {
    return [this, asked](const SliceRect& rect) -> std::optional<PixelSlice> {
      if (asked) asked->push_back(rect);
      return PixelSlice{pixels_.data() + static_cast<size_t>(rect.y) * width_ * 4, static_cast<int>(rect.width),
                        static_cast<int>(rect.height), width_ * 4, 4};
    };
  }
  const uint8_t* at(int x, int y) const { return pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 4; }

 private:
  int width_;
  std::vector<uint8_t> pixels_;
};

TEST(StreamingPNGWriter, PixelsForEveryColourType) {
  Picture picture(4, 45);
  // B, G, R, A in memory, colour premultiplied.
  picture.set(0, 0, {64, 64, 64, 128});   // → 128, 128, 128
  picture.set(1, 0, {0, 0, 0, 0});        // fully transparent
  picture.set(2, 0, {10, 20, 30, 40});    // → R 191, G 128, B 64
  picture.set(3, 0, {255, 0, 0, 255});    // opaque blue
  picture.set(3, 44, {1, 2, 3, 4});       // last row, last slice → R 191, G 128, B 64
  auto directory = freshDirectory("png");

  ASSERT_TRUE(TzStreamingPNGWriter::writePNG(directory / "rgba.png", 4, 45, picture.block()));
  auto rgba = decode(directory / "rgba.png");
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->colorType, 6);
  EXPECT_EQ(rgba->width, 4u);
  EXPECT_EQ(rgba->height, 45u);
  EXPECT_THAT(rgba->rows[0], ElementsAre(128, 128, 128, 128, 0, 0, 0, 0, 191, 128, 64, 40, 0, 0, 255, 255));
  EXPECT_THAT(std::vector<uint8_t>(rgba->rows[44].begin() + 12, rgba->rows[44].end()), ElementsAre(191, 128, 64, 4));

  ASSERT_TRUE(TzStreamingPNGWriter::writePNG(directory / "rgb.png", 4, 45, 2, picture.block()));
  auto rgb = decode(directory / "rgb.png");
  ASSERT_TRUE(rgb);
  EXPECT_EQ(rgb->colorType, 2);
  EXPECT_THAT(rgb->rows[0], ElementsAre(128, 128, 128, 0, 0, 0, 191, 128, 64, 0, 0, 255));

  ASSERT_TRUE(TzStreamingPNGWriter::writePNG(directory / "alpha.png", 4, 45, 0, picture.block()));
  auto alpha = decode(directory / "alpha.png");
  ASSERT_TRUE(alpha);
  EXPECT_EQ(alpha->colorType, 0);
  EXPECT_THAT(alpha->rows[0], ElementsAre(128, 0, 40, 255));
  EXPECT_THAT(alpha->rows[44], ElementsAre(0, 0, 0, 4));
}

TEST(StreamingPNGWriter, SplitFormWritesColourThenAlpha) {
  Picture picture(33, 50);
  picture.fillRandomPremultiplied(3);
  auto directory = freshDirectory("split");
  ASSERT_TRUE(TzStreamingPNGWriter::writeSplittedPNG(directory / "c.png", directory / "a.png", 33, 50, picture.block()));
  auto color = decode(directory / "c.png");
  auto alpha = decode(directory / "a.png");
  ASSERT_TRUE(color && alpha);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 33; ++x) {
      const uint8_t* source = picture.at(x, y);
      ASSERT_EQ(alpha->rows[y][x], source[3]);
      if (source[3] == 0) {
        ASSERT_EQ(color->rows[y][x * 3], 0);
      }
      if (source[3] == 255) {
        ASSERT_EQ(color->rows[y][x * 3], source[2]) << "opaque colour is unchanged";
      }
    }
  }

  // A colour pass that fails leaves the alpha file unwritten.
  int calls = 0;
  auto failing = [&](const SliceRect& rect) -> std::optional<PixelSlice> {
    if (++calls == 2) return std::nullopt;
    return picture.block()(rect);
  };
  EXPECT_FALSE(TzStreamingPNGWriter::writeSplittedPNG(directory / "c2.png", directory / "a2.png", 33, 50, failing));
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(fs::exists(directory / "a2.png"));
}

TEST(StreamingPNGWriter, SlicesOfTwentyRowsAndTheRoundingOfTheSize) {
  Picture picture(101, 45);
  auto directory = freshDirectory("slices");
  struct Case {
    double width, height;
    std::vector<std::pair<double, double>> slices;  // y, height
  };
  const std::vector<Case> cases = {
      {101, 45, {{0, 20}, {20, 20}, {40, 5}}},
      {101, 40, {{0, 20}, {20, 20}}},
      {100.5, 20.4, {{0, 20}}},
      {101, 0.4, {}},
  };
  for (const auto& c : cases) {
    std::vector<SliceRect> asked;
    auto file = directory / ("h" + std::to_string(c.height) + ".png");
    EXPECT_TRUE(TzStreamingPNGWriter::writePNG(file, c.width, c.height, picture.block(&asked)));
    ASSERT_EQ(asked.size(), c.slices.size()) << c.height;
    for (size_t i = 0; i < asked.size(); ++i) {
      EXPECT_EQ(asked[i].x, 0);
      EXPECT_EQ(asked[i].width, 101);
      EXPECT_EQ(asked[i].y, c.slices[i].first);
      EXPECT_EQ(asked[i].height, c.slices[i].second);
    }
    if (c.slices.empty()) {
      EXPECT_FALSE(fs::exists(file)) << "nothing to write, no file";
    } else {
      auto decoded = decode(file);
      ASSERT_TRUE(decoded);
      EXPECT_EQ(decoded->width, 101u);
      EXPECT_EQ(decoded->height, static_cast<uint32_t>(std::round(c.height)));
    }
  }
  EXPECT_FALSE(TzStreamingPNGWriter::writePNG(directory / "negative.png", 10, -3, picture.block()));
  EXPECT_FALSE(TzStreamingPNGWriter::writePNG(directory / "none.png", 10, 10, nullptr));
}

TEST(StreamingPNGWriter, ChunkLayout) {
  auto directory = freshDirectory("chunks");
  Picture small(8, 8);
  ASSERT_TRUE(TzStreamingPNGWriter::writePNG(directory / "small.png", 8, 8, small.block()));
  std::string raw;
  auto smallChunks = chunks(directory / "small.png", &raw);
  std::vector<std::string> types;
  for (const auto& chunk : smallChunks) types.push_back(chunk.type);
  EXPECT_THAT(types, ElementsAre("IHDR", "IDAT", "IEND"));
  EXPECT_EQ(raw.substr(raw.size() - 12), std::string("\x00\x00\x00\x00IEND\xAE\x42\x60\x82", 12));
  EXPECT_EQ(raw.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  EXPECT_EQ(TzStreamingPNGWriter::crc32ForData(reinterpret_cast<const uint8_t*>("IEND"), 4), 0xAE426082u);

  Picture large(600, 700);
  large.fillRandomPremultiplied(11);  // barely compressible
  ASSERT_TRUE(TzStreamingPNGWriter::writePNG(directory / "large.png", 600, 700, large.block()));
  auto largeChunks = chunks(directory / "large.png");
  ASSERT_GT(largeChunks.size(), 4u);
  for (size_t i = 1; i + 2 < largeChunks.size(); ++i) {
    EXPECT_EQ(largeChunks[i].type, "IDAT");
    EXPECT_GE(largeChunks[i].data.size(), 32768u);
    EXPECT_LT(largeChunks[i].data.size(), 32768u + 16384u);
  }
  for (const auto& chunk : largeChunks) EXPECT_TRUE(chunk.crcValid) << chunk.type;
  EXPECT_TRUE(decode(directory / "large.png"));
}

TEST(StreamingPNGWriter, MissingSliceStopsTheImage) {
  auto directory = freshDirectory("stops");
  Picture picture(16, 60);
  EXPECT_FALSE(TzStreamingPNGWriter::writePNG(directory / "first.png", 16, 60,
                                              [](const SliceRect&) { return std::optional<PixelSlice>(); }));
  EXPECT_FALSE(fs::exists(directory / "first.png"));

  int calls = 0;
  auto laterFails = [&](const SliceRect& rect) -> std::optional<PixelSlice> {
    if (++calls == 3) return std::nullopt;
    return picture.block()(rect);
  };
  EXPECT_FALSE(TzStreamingPNGWriter::writePNG(directory / "later.png", 16, 60, laterFails));
  // What was compressed is finished as a proper chunk sequence.
  std::vector<std::string> types;
  for (const auto& chunk : chunks(directory / "later.png")) {
    types.push_back(chunk.type);
    EXPECT_TRUE(chunk.crcValid);
  }
  EXPECT_THAT(types, ElementsAre("IHDR", "IDAT", "IEND"));
}

// In a child process: the disk "fills up" after 2 KB. Exits 0 when the write
// was reported as failed and nothing was left behind.
void writeWithFullDisk(const fs::path& file) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{2048, 2048};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  Picture noisy(400, 400);
  noisy.fillRandomPremultiplied(5);
  bool written = TzStreamingPNGWriter::writePNG(file, 400, 400, noisy.block());
  std::exit(!written && !fs::exists(file) ? 0 : 1);
}

TEST(StreamingPNGWriter, UnwritableFilesAreReportedAndNotLeftBehind) {
  Picture picture(64, 64);
  LogCapture log;
  EXPECT_FALSE(TzStreamingPNGWriter::writePNG("/nonexistent-directory/x.png", 64, 64, picture.block()));
  EXPECT_FALSE(log.texts().empty());

  auto file = freshDirectory("full") / "big.png";
  EXPECT_EXIT(writeWithFullDisk(file), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace atelier::test
