#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace atelier {

// One band of pixels handed to the writer: 4 bytes per pixel in the memory
// order blue, green, red, alpha with premultiplied colour (Cairo's ARGB32 on
// little-endian machines), or 1 byte per pixel of alpha alone. Not owned.
struct PixelSlice {
  const uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next
  int bytesPerPixel = 4;
};

// A band of the output image, in pixels, origin top-left, y downwards.
struct SliceRect {
  double x = 0, y = 0, width = 0, height = 0;
};

// Writes PNG files of any size slice by slice: each band the callback draws
// is turned into scanlines and fed through one deflate stream, and IDAT
// chunks go to the file as the compressed data accumulates. Memory stays at
// one slice, one row and a small compressed buffer, whatever the height.
class TzStreamingPNGWriter {
 public:
  // Draws the band asked for; nothing stops the image. The pixels must stay
  // valid until the next call or until the writer returns.
  using RenderingBlock = std::function<std::optional<PixelSlice>(const SliceRect&)>;

  static constexpr int kSliceHeight = 20;
  static constexpr size_t kBufferStep = 16384;
  static constexpr size_t kChunkThreshold = 32768;

  // Colour type 6 (RGBA), 2 (RGB) or 0 (the alpha channel as greyscale).
  // False when a slice is missing, or the file cannot be written.
  static bool writePNG(const std::filesystem::path& file, double width, double height, unsigned colorType,
                       const RenderingBlock& renderingBlock);
  static bool writePNG(const std::filesystem::path& file, double width, double height,
                       const RenderingBlock& renderingBlock);
  // The colour as an RGB file, then, only if that worked, the alpha as a
  // greyscale file; every slice is drawn twice.
  static bool writeSplittedPNG(const std::filesystem::path& colorFile, const std::filesystem::path& alphaFile,
                               double width, double height, const RenderingBlock& renderingBlock);

  static uint32_t crc32ForData(const uint8_t* data, size_t length);

  TzStreamingPNGWriter(std::filesystem::path destinationPath, unsigned colorType, uint32_t width, uint32_t height);
  ~TzStreamingPNGWriter();
  TzStreamingPNGWriter(const TzStreamingPNGWriter&) = delete;
  TzStreamingPNGWriter& operator=(const TzStreamingPNGWriter&) = delete;

  // Starts the file and the stream with the first slice. False once anything failed.
  bool addSlice(const PixelSlice& slice);
  // Finishes the file if it was started. False when finishing failed.
  bool commit();

 private:
  struct Stream;
  bool initFileHandles();
  bool writeChunk(const char type[4], const uint8_t* data, size_t length);
  bool writeBytes(const uint8_t* data, size_t length);
  bool compress(const uint8_t* input, size_t length, bool finish);
  bool writePendingAsIDAT();
  void fail();

  std::filesystem::path destinationPath_;
  int fileDescriptor_ = -1;
  bool createdFile_ = false;
  unsigned colorType_;
  uint32_t width_, height_;
  int64_t currentSliceNumber_ = 0;
  int32_t scanlineCount_ = 0;
  bool failed_ = false;
  std::vector<uint8_t> row_;
  std::unique_ptr<Stream> stream_;
};

}  // namespace atelier
