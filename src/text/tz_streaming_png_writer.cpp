#include "text/tz_streaming_png_writer.h"

#include "core/logging.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace atelier {
namespace {

constexpr const char* kSource = "TextRendering/TzStreamingPNGWriter";

void putBigEndian(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value >> 24);
  out[1] = static_cast<uint8_t>(value >> 16);
  out[2] = static_cast<uint8_t>(value >> 8);
  out[3] = static_cast<uint8_t>(value);
}

// Colour byte c of a pixel with alpha a, un-premultiplied: c × (255 / a) in
// double precision, to single precision, rounded half away from zero by
// adding 0.49999997 and truncating, low 8 bits kept.
uint8_t unpremultiply(uint8_t c, uint8_t a) {
  float product = static_cast<float>(c * (255.0 / a));
  float rounded = product + std::copysign(0.49999997f, product);
  return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int64_t>(rounded)) & 0xFF);
}

// Every (alpha, colour) pair worked out once: the rows then need only lookups.
const std::array<std::array<uint8_t, 256>, 256>& unpremultiplyTable() {
  static const auto table = [] {
    std::array<std::array<uint8_t, 256>, 256> values{};
    for (int a = 0; a < 256; ++a) {
      for (int c = 0; c < 256; ++c) {
        values[a][c] = a == 0 ? static_cast<uint8_t>(c) : unpremultiply(static_cast<uint8_t>(c), static_cast<uint8_t>(a));
      }
    }
    return values;
  }();
  return table;
}

const std::array<uint32_t, 256>& crcTable() {
  static const auto table = [] {
    std::array<uint32_t, 256> values{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      values[n] = c;
    }
    return values;
  }();
  return table;
}

uint32_t updateCrc(uint32_t crc, const uint8_t* data, size_t length) {
  const auto& table = crcTable();
  for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

}  // namespace

struct TzStreamingPNGWriter::Stream {
  z_stream z{};
  bool live = false;
  std::vector<uint8_t> compressedData;  // empty between IDAT chunks
  uint64_t currentOut = 0;

  uint64_t pending() const { return z.total_out - currentOut; }
  ~Stream() {
    if (live) deflateEnd(&z);
  }
};

uint32_t TzStreamingPNGWriter::crc32ForData(const uint8_t* data, size_t length) {
  return updateCrc(0xFFFFFFFFu, data, length) ^ 0xFFFFFFFFu;
}

TzStreamingPNGWriter::TzStreamingPNGWriter(std::filesystem::path destinationPath, unsigned colorType, uint32_t width,
                                           uint32_t height)
    : destinationPath_(std::move(destinationPath)), colorType_(colorType), width_(width), height_(height),
      stream_(std::make_unique<Stream>()) {}

TzStreamingPNGWriter::~TzStreamingPNGWriter() {
  // Started but never committed: what is on disk is not a usable image.
  if (fileDescriptor_ >= 0) fail();
}

void TzStreamingPNGWriter::fail() {
  failed_ = true;
  if (fileDescriptor_ >= 0) {
    ::close(fileDescriptor_);
    fileDescriptor_ = -1;
  }
  // Only a regular file we made ourselves is removed, never a device or such.
  if (createdFile_) {
    ::unlink(destinationPath_.c_str());
    createdFile_ = false;
  }
}

bool TzStreamingPNGWriter::writeBytes(const uint8_t* data, size_t length) {
  while (length > 0) {
    ssize_t written = ::write(fileDescriptor_, data, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      logError(kSource, "writeBytes", "Could not write " + destinationPath_.string() + ": " + std::strerror(errno));
      return false;
    }
    data += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

bool TzStreamingPNGWriter::writeChunk(const char type[4], const uint8_t* data, size_t length) {
  uint8_t header[8];
  putBigEndian(header, static_cast<uint32_t>(length));
  std::memcpy(header + 4, type, 4);
  uint32_t crc = updateCrc(0xFFFFFFFFu, header + 4, 4);
  if (length > 0) crc = updateCrc(crc, data, length);
  uint8_t trailer[4];
  putBigEndian(trailer, crc ^ 0xFFFFFFFFu);
  return writeBytes(header, 8) && (length == 0 || writeBytes(data, length)) && writeBytes(trailer, 4);
}

bool TzStreamingPNGWriter::initFileHandles() {
  fileDescriptor_ = ::open(destinationPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fileDescriptor_ < 0) {
    logError(kSource, "initFileHandles", "Could not create " + destinationPath_.string() + ": " + std::strerror(errno));
    return false;
  }
  struct stat info {};
  createdFile_ = ::fstat(fileDescriptor_, &info) == 0 && S_ISREG(info.st_mode);

  static constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  uint8_t header[13] = {};
  putBigEndian(header, width_);
  putBigEndian(header + 4, height_);
  header[8] = 8;  // bit depth
  header[9] = static_cast<uint8_t>(colorType_);
  return writeBytes(kSignature, sizeof kSignature) && writeChunk("IHDR", header, sizeof header);
}

bool TzStreamingPNGWriter::writePendingAsIDAT() {
  auto& s = *stream_;
  bool written = writeChunk("IDAT", s.compressedData.data(), static_cast<size_t>(s.pending()));
  s.currentOut = s.z.total_out;
  s.compressedData.clear();
  s.compressedData.shrink_to_fit();
  return written;
}

bool TzStreamingPNGWriter::compress(const uint8_t* input, size_t length, bool finish) {
  auto& s = *stream_;
  if (s.compressedData.empty()) s.compressedData.resize(kBufferStep);
  s.z.next_in = const_cast<Bytef*>(input);
  s.z.avail_in = static_cast<uInt>(length);
  while (true) {
    auto pending = static_cast<size_t>(s.pending());
    if (pending == s.compressedData.size()) s.compressedData.resize(s.compressedData.size() + kBufferStep);
    s.z.next_out = s.compressedData.data() + pending;
    s.z.avail_out = static_cast<uInt>(s.compressedData.size() - pending);
    auto inBefore = s.z.avail_in;
    auto outBefore = s.z.total_out;
    int result = deflate(&s.z, finish ? Z_FINISH : Z_NO_FLUSH);
    if (finish && result == Z_STREAM_END) return true;
    if (!finish && s.z.avail_out != 0 && s.z.avail_in == 0) return true;
    // A stream that errs or stops moving would loop for ever: give up instead.
    if (result == Z_STREAM_ERROR || (s.z.avail_in == inBefore && s.z.total_out == outBefore)) {
      logError(kSource, "addSlice", "The deflate stream stopped, reason " + std::to_string(result));
      return false;
    }
  }
}

bool TzStreamingPNGWriter::addSlice(const PixelSlice& slice) {
  if (failed_) return false;
  if (!slice.data || slice.width != static_cast<int>(width_) || slice.height < 0 ||
      (slice.bytesPerPixel != 4 && !(slice.bytesPerPixel == 1 && colorType_ == 0)) ||
      slice.stride < slice.width * slice.bytesPerPixel) {
    logError(kSource, "addSlice", "A slice does not fit the image");
    fail();
    return false;
  }
  if (currentSliceNumber_ == 0) {
    if (!initFileHandles()) {
      fail();
      return false;
    }
    auto& z = stream_->z;
    z = z_stream{};
    int result = deflateInit_(&z, Z_DEFAULT_COMPRESSION, zlibVersion(), static_cast<int>(sizeof(z_stream)));
    if (result != Z_OK) {
      logError(kSource, "addSlice", "!!!! could not init deflate, reason " + std::to_string(result));
      fail();
      return false;
    }
    stream_->live = true;
    stream_->currentOut = 0;
  }

  const size_t outputBytes = colorType_ == 6 ? 4 : colorType_ == 2 ? 3 : 1;
  row_.assign(1 + static_cast<size_t>(slice.width) * outputBytes, 0);
  const auto& table = unpremultiplyTable();
  for (int y = 0; y < slice.height; ++y) {
    const uint8_t* source = slice.data + static_cast<size_t>(y) * static_cast<size_t>(slice.stride);
    uint8_t* out = row_.data() + 1;  // byte 0: filter type None
    if (colorType_ == 0) {
      const size_t alphaOffset = slice.bytesPerPixel == 4 ? 3 : 0;
      for (int x = 0; x < slice.width; ++x) out[x] = source[x * slice.bytesPerPixel + alphaOffset];
    } else {
      for (int x = 0; x < slice.width; ++x, source += 4, out += outputBytes) {
        const uint8_t a = source[3];
        const auto& scale = table[a];
        out[0] = scale[source[2]];
        out[1] = scale[source[1]];
        out[2] = scale[source[0]];
        if (outputBytes == 4) out[3] = a;
      }
    }
    if (!compress(row_.data(), row_.size(), false)) {
      fail();
      return false;
    }
    if (stream_->pending() >= kChunkThreshold && !writePendingAsIDAT()) {
      fail();
      return false;
    }
    ++scanlineCount_;
  }
  ++currentSliceNumber_;
  return true;
}

bool TzStreamingPNGWriter::commit() {
  if (failed_) return false;
  if (fileDescriptor_ < 0) return true;  // never started: nothing to finish
  bool finished = compress(nullptr, 0, true) && writePendingAsIDAT();
  deflateEnd(&stream_->z);
  stream_->live = false;
  finished = finished && writeChunk("IEND", nullptr, 0) && ::fsync(fileDescriptor_) == 0;
  if (!finished) {
    fail();
    return false;
  }
  finished = ::close(fileDescriptor_) == 0;
  fileDescriptor_ = -1;
  if (!finished) fail();
  return finished;
}

bool TzStreamingPNGWriter::writePNG(const std::filesystem::path& file, double width, double height, unsigned colorType,
                                    const RenderingBlock& renderingBlock) {
  if (!renderingBlock) return false;
  if (colorType != 0 && colorType != 2 && colorType != 6) return false;
  float roundedWidth = std::round(static_cast<float>(width));
  float roundedHeight = std::round(static_cast<float>(height));
  if (roundedWidth < 0 || roundedHeight < 0 || roundedWidth > 0x7FFFFFFF || roundedHeight > 0x7FFFFFFF) return false;

  TzStreamingPNGWriter writer(file, colorType, static_cast<uint32_t>(roundedWidth), static_cast<uint32_t>(roundedHeight));
  const auto slices = static_cast<int64_t>(std::ceil(roundedHeight / static_cast<float>(kSliceHeight)));
  for (int64_t i = 0; i < slices; ++i) {
    double y = static_cast<double>(kSliceHeight * i);
    double sliceHeight = i == slices - 1 ? roundedHeight - y : kSliceHeight;
    auto slice = renderingBlock(SliceRect{0, y, roundedWidth, sliceHeight});
    if (!slice) {
      writer.commit();
      return false;
    }
    if (!writer.addSlice(*slice)) return false;
  }
  return writer.commit();
}

bool TzStreamingPNGWriter::writePNG(const std::filesystem::path& file, double width, double height,
                                    const RenderingBlock& renderingBlock) {
  return writePNG(file, width, height, 6, renderingBlock);
}

bool TzStreamingPNGWriter::writeSplittedPNG(const std::filesystem::path& colorFile,
                                            const std::filesystem::path& alphaFile, double width, double height,
                                            const RenderingBlock& renderingBlock) {
  return writePNG(colorFile, width, height, 2, renderingBlock) &&
         writePNG(alphaFile, width, height, 0, renderingBlock);
}

}  // namespace atelier
