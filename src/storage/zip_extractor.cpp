#include "storage/zip_extractor.h"

#include "core/logging.h"
#include "http/static_directory.h"

#include <minizip/unzip.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <vector>

namespace atelier {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "File Transfer/ZipExtractor";

bool isSymbolicLink(const unz_file_info64& info) {
  // Unix attributes live in the high half of the external attributes.
  uint32_t mode = static_cast<uint32_t>(info.external_fa >> 16);
  return (info.version >> 8) == 3 && S_ISLNK(mode);
}

}  // namespace

std::expected<void, std::string> ZipExtractor::unzipFile(const fs::path& archive, const fs::path& destination,
                                                         const Progress& progress) const {
  std::unique_ptr<void, decltype(&unzClose)> zip(unzOpen64(archive.c_str()), &unzClose);
  if (!zip) return std::unexpected("Not a readable ZIP archive: " + archive.string());
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(zip.get(), &global) != UNZ_OK) return std::unexpected("Unreadable ZIP directory");
  std::error_code ec;
  fs::create_directories(destination, ec);
  if (ec) return std::unexpected("Cannot create " + destination.string() + ": " + ec.message());

  std::vector<char> buffer(64 * 1024);
  uint64_t done = 0;
  for (int result = unzGoToFirstFile(zip.get()); result == UNZ_OK; result = unzGoToNextFile(zip.get())) {
    unz_file_info64 info{};
    char name[4096];
    if (unzGetCurrentFileInfo64(zip.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
      return std::unexpected("Unreadable ZIP entry");
    }
    ++done;
    if (progress && global.number_entry > 0) progress(static_cast<double>(done) / static_cast<double>(global.number_entry));
    std::string entry(name);
    if (entry.empty() || entry.front() == '/' || entry.find('\\') != std::string::npos || hasParentReference(entry) ||
        isSymbolicLink(info)) {
      logError(kSource, "unzipFile(at:to:progress:completion:)", "Skipped an unsafe archive entry: " + entry);
      continue;
    }
    auto target = destination / entry;
    if (entry.back() == '/') {
      fs::create_directories(target, ec);
    } else {
      fs::create_directories(target.parent_path(), ec);
      if (unzOpenCurrentFile(zip.get()) != UNZ_OK) return std::unexpected("Cannot open the entry " + entry);
      std::ofstream out(target, std::ios::binary | std::ios::trunc);
      int read;
      while ((read = unzReadCurrentFile(zip.get(), buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
        out.write(buffer.data(), read);
      }
      int closed = unzCloseCurrentFile(zip.get());  // also checks the CRC
      if (read < 0 || closed != UNZ_OK || !out) return std::unexpected("Damaged archive entry " + entry);
    }
  }
  return {};
}

}  // namespace atelier
