// Storage benchmarks:
//   bench_storage make-archive ARCHIVE      5,000 small files (JSON and binary, ~40 MB)
//   bench_storage import ARCHIVE DIR        import into DIR/update.db, prints seconds
//   bench_storage reads DIR                 reads/s of a 4 KB compressed JSON through the
//                                           layered storage and of the same bytes from a file
#include "core/resources.h"
#include "storage/bundle_storages.h"
#include "storage/file_system_storage.h"
#include "storage/multi_level_file_storage.h"

#include <minizip/zip.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

using namespace atelier;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string jsonOf(int i, size_t size) {
  std::string text = "{\"id\": " + std::to_string(i) + ", \"items\": [";
  for (int n = 0; text.size() < size - 40; ++n) text += "{\"n\": " + std::to_string(n) + ", \"label\": \"item\"},";
  text += "{}]}";
  return text;
}

int makeArchive(const char* archive) {
  zipFile zip = zipOpen64(archive, APPEND_STATUS_CREATE);
  std::mt19937 random(42);
  for (int i = 0; i < 5000; ++i) {
    bool json = i % 2 == 0;
    std::string name = (json ? "data/" : "images/") + std::to_string(i / 100) + "/" + std::to_string(i) +
                       (json ? ".json" : ".bin");
    std::string content;
    if (json) {
      content = jsonOf(i, 4096);
    } else {
      content.resize(12 * 1024);
      for (auto& c : content) c = static_cast<char>(random());
    }
    zip_fileinfo info{};
    zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, json ? Z_DEFLATED : 0,
                          json ? Z_DEFAULT_COMPRESSION : 0, 0);
    zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
    zipCloseFileInZip(zip);
  }
  return zipClose(zip, nullptr) == ZIP_OK ? 0 : 1;
}

int import(const char* archive, const char* directory) {
  UpdatedBundleStorage storage{fs::path(directory)};
  auto started = Clock::now();
  bool ok = false;
  storage.createDB(archive, nullptr, "ovl-filemap.json", {}, "{}", [&](auto error) { ok = !error; });
  std::printf("%.3f\n", std::chrono::duration<double>(Clock::now() - started).count());
  return ok ? 0 : 1;
}

template <class F>
double perSecond(F&& read) {
  const int count = 20000;
  auto started = Clock::now();
  for (int i = 0; i < count; ++i) read();
  return count / std::chrono::duration<double>(Clock::now() - started).count();
}

int reads(const char* directory) {
  fs::path root(directory);
  fs::create_directories(root / "updated");
  auto updated = std::make_shared<UpdatedBundleStorage>(root / "updated");
  auto json = jsonOf(1, 4096);
  updated->createFile(json, "config/app.json", true);
  auto shippedDirectory = root / "shipped";
  fs::create_directories(shippedDirectory);
  { UpdatedBundleStorage maker(shippedDirectory); }
  fs::rename(shippedDirectory / "update.db", shippedDirectory / "bundle.db");
  MultiLevelFileStorage layers({std::make_shared<FileSystemStorage>(FileSystemStorage::AtDirectory{root / "p"}, true),
                                std::make_shared<FileSystemStorage>(FileSystemStorage::AtDirectory{root / "u"}, false),
                                updated, std::make_shared<ApplicationBundleStorage>(shippedDirectory / "bundle.db")});
  auto plain = root / "plain.json";
  std::ofstream(plain, std::ios::binary) << json;

  size_t bytes = 0;
  double layered = perSecond([&] {
    auto handler = std::make_shared<ResponseHandler>([&](std::optional<HttpResponse> response) {
      if (response) bytes += response->bytes().size();
    });
    layers.respondWithContent("config/app.json", handler, {});
  });
  double file = perSecond([&] {
    std::ifstream in(plain, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), {});
    bytes += data.size();
  });
  std::printf("reads of a 4 KB JSON (%zu bytes compressed in the database):\n", json.size());
  std::printf("  layered storage: %10.0f reads/s\n  plain file:      %10.0f reads/s\n  ratio: %.2f\n", layered, file,
              layered / file);
  return bytes > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Resources::setDirectory(ATELIER_RESOURCES);
  if (argc >= 3 && std::strcmp(argv[1], "make-archive") == 0) return makeArchive(argv[2]);
  if (argc >= 4 && std::strcmp(argv[1], "import") == 0) return import(argv[2], argv[3]);
  if (argc >= 3 && std::strcmp(argv[1], "reads") == 0) return reads(argv[2]);
  std::fprintf(stderr, "usage: %s make-archive ARCHIVE | import ARCHIVE DIR | reads DIR\n", argv[0]);
  return 2;
}
