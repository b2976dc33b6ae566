#include "serving/load_save_module_web_object.h"

#include "core/app_info.h"
#include "core/file_io.h"
#include "core/logging.h"
#include "core/resources.h"
#include "http/static_directory.h"
#include "http/url.h"

#include <glib.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace atelier {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "Webview Communication/Web Objects/LoadSaveModuleWebObject";
constexpr const char* kNoFolder = "No write access to folder";

bool itemExists(const fs::path& file) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(file, ec));
}

}  // namespace

std::optional<fs::path> LoadSaveModuleWebObject::defaultProjectsFolder() {
  const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
  if (!pictures) return std::nullopt;
  return fs::path(pictures) / Resources::infoString("CFBundleName").value_or("");
}

LoadSaveModuleWebObject::LoadSaveModuleWebObject(std::optional<fs::path> projectsFolder)
    : projectsFolder_(std::move(projectsFolder)) {}

std::optional<fs::path> LoadSaveModuleWebObject::inside(const std::string& relative) const {
  if (!projectsFolder_ || hasParentReference(relative)) return std::nullopt;
  auto file = *projectsFolder_ / fs::path(relative).relative_path();
  // Symbolic links are followed as far as the path exists; the result must stay inside.
  std::error_code ec;
  auto resolved = fs::weakly_canonical(file, ec);
  auto root = fs::weakly_canonical(*projectsFolder_, ec);
  if (ec || !isInside(resolved, root)) return std::nullopt;
  return file;
}

void LoadSaveModuleWebObject::handleRequest(const std::string& targetURL, const std::string& method,
                                            const std::optional<std::string>& body,
                                            const std::shared_ptr<ResponseHandler>& responseHandler) {
  auto answer = [&](Answer result) {
    auto response = HttpResponse::data(std::move(result.body), "application/octet-stream");
    response.setStatusCode(result.status);
    responseHandler->complete(std::move(response));
  };
  auto url = URL::parse(targetURL);
  auto path = url ? url->decodedPath() : std::nullopt;
  if (!path) return answer({400, "Bad Request"});
  auto parameters = queryParameters(url->query.value_or(""));
  if (!parameters) {
    logError(kSource, "handleRequest", "A query names a parameter twice: " + targetURL);
    return answer({400, "Bad Request"});
  }

  static const std::set<std::string> kMethods = {"HEAD", "GET", "POST", "DELETE"};
  if (!kMethods.contains(method)) return answer({404, "Not implemented"});
  if (!projectsFolder_) {
    return answer(method == "HEAD" || method == "GET" ? Answer{404, *path} : Answer{500, kNoFolder});
  }
  auto file = inside(*path);
  if (!file) {
    logError(kSource, "handleRequest", "Refused a path outside the projects folder: " + *path);
    return answer({403, *path});
  }

  if (method == "HEAD") return answer(head(*file, *path));
  if (method == "GET") {
    bool listing = targetURL.ends_with('/');
    return answer(listing ? listDirectory(*file, *path, *parameters) : read(*file, *path));
  }
  if (method == "POST") {
    return answer(parameters->contains("rename") ? moveFile(*file, *path, *parameters)
                                                 : saveFile(*file, *path, *parameters, body));
  }
  answer(deleteFile(*file, *path));
}

LoadSaveModuleWebObject::Answer LoadSaveModuleWebObject::head(const fs::path& file, const std::string& path) const {
  return itemExists(file) ? Answer{200, ""} : Answer{404, path};
}

LoadSaveModuleWebObject::Answer LoadSaveModuleWebObject::read(const fs::path& file, const std::string& path) const {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return {404, path};
  auto data = readFileContents(file);
  if (!data) return {404, path};
  return {200, std::move(*data)};
}

LoadSaveModuleWebObject::Answer LoadSaveModuleWebObject::listDirectory(const fs::path& folder, const std::string& path,
                                                                       const Parameters& params) const {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return {404, path};
  nlohmann::json files = nlohmann::json::array();
  fs::directory_iterator entries(folder, ec);
  if (ec) {
    logError(kSource, "listDirectory(at:with:completion:)", "LSM Error listing contents: " + ec.message());
    return {500, ec.message()};
  }
  auto ext = params.find("ext");
  for (const auto& entry : entries) {
    auto name = entry.path().filename().string();
    std::error_code typeError;
    if (name.starts_with('.') || !entry.is_regular_file(typeError) || typeError) continue;
    if (ext != params.end() && entry.path().extension().string() != "." + ext->second) continue;
    files.push_back(name);
  }
  return {200, nlohmann::json{{"files", files}}.dump()};
}

LoadSaveModuleWebObject::Answer LoadSaveModuleWebObject::saveFile(const fs::path& file, const std::string& path,
                                                                  const Parameters& params,
                                                                  const std::optional<std::string>& body) const {
  if (!body) return {500, "Body empty"};
  auto overwrite = params.find("overwrite");
  bool mayReplace = overwrite != params.end() && overwrite->second == "true";
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (!ec && itemExists(file) && !mayReplace) return {422, path};
  if (!ec) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(body->data(), static_cast<std::streamsize>(body->size()));
    out.close();
    if (!out) ec = std::error_code(errno ? errno : EIO, std::generic_category());
  }
  if (ec) {
    logError(kSource, "saveFile(at:withParams:body:completion:)", "LSM Error saving file: " + ec.message());
    if (ec == std::errc::permission_denied || ec == std::errc::read_only_file_system) return {405, path};
    return {500, ec.message()};
  }
  return {200, path};
}

LoadSaveModuleWebObject::Answer LoadSaveModuleWebObject::moveFile(const fs::path& file, const std::string& path,
                                                                  const Parameters& params) const {
  if (!itemExists(file)) return {404, path};
  const auto& rename = params.at("rename");
  auto target = inside(rename);
  if (!target) {
    logError(kSource, "moveFile(at:withParams:completion:)", "Refused a path outside the projects folder: " + rename);
    return {403, path};
  }
  std::error_code ec;
  // Never over an existing file.
  if (itemExists(*target)) ec = std::make_error_code(std::errc::file_exists);
  if (!ec) fs::create_directories(target->parent_path(), ec);
  if (!ec) fs::rename(file, *target, ec);
  if (ec) {
    logError(kSource, "moveFile(at:withParams:completion:)", "LSM Error moving file: " + ec.message());
    return {500, path};
  }
  return {200, path};
}

LoadSaveModuleWebObject::Answer LoadSaveModuleWebObject::deleteFile(const fs::path& file, const std::string& path) const {
  if (itemExists(file)) {
    std::error_code ec;
    fs::remove_all(file, ec);
    if (ec) return {500, ec.message()};
  }
  return {200, path};
}

}  // namespace atelier
