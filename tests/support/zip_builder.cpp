#include "support/zip_builder.h"

#include <minizip/zip.h>
#include <sys/stat.h>

namespace atelier::test {

bool writeZip(const std::filesystem::path& archive, const std::vector<std::pair<std::string, std::string>>& entries,
              bool symlinkLast) {
  zipFile zip = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& [name, content] = entries[i];
    zip_fileinfo info{};
    if (symlinkLast && i + 1 == entries.size()) info.external_fa = static_cast<uLong>(S_IFLNK | 0777) << 16;
    // Made on Unix (3), so the attributes above are read as Unix modes.
    if (zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                3 << 8, 0, 0) != ZIP_OK) {
      zipClose(zip, nullptr);
      return false;
    }
    if (!content.empty()) zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
    zipCloseFileInZip(zip);
  }
  return zipClose(zip, nullptr) == ZIP_OK;
}

}  // namespace atelier::test
