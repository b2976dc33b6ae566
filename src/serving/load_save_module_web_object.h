#pragma once

#include "serving/custom_url_handler.h"

#include <filesystem>
#include <map>
#include <optional>

namespace atelier {

// "container.projects": the page lists, reads, tests, saves, renames and
// deletes its project files in the projects folder (the pictures folder
// joined with the application's name). Nothing outside it is ever touched.
class LoadSaveModuleWebObject : public CustomURLWebObject {
 public:
  explicit LoadSaveModuleWebObject(std::optional<std::filesystem::path> projectsFolder = defaultProjectsFolder());
  static std::optional<std::filesystem::path> defaultProjectsFolder();

  void handleRequest(const std::string& targetURL, const std::string& method, const std::optional<std::string>& body,
                     const std::shared_ptr<ResponseHandler>& responseHandler) override;

 private:
  using Parameters = std::map<std::string, std::string>;
  struct Answer {
    unsigned status;
    std::string body;
  };
  Answer head(const std::filesystem::path& file, const std::string& path) const;
  Answer read(const std::filesystem::path& file, const std::string& path) const;
  Answer listDirectory(const std::filesystem::path& folder, const std::string& path, const Parameters& params) const;
  Answer saveFile(const std::filesystem::path& file, const std::string& path, const Parameters& params,
                  const std::optional<std::string>& body) const;
  Answer moveFile(const std::filesystem::path& file, const std::string& path, const Parameters& params) const;
  Answer deleteFile(const std::filesystem::path& file, const std::string& path) const;
  // The folder joined with the path, or nothing when that would leave the folder.
  std::optional<std::filesystem::path> inside(const std::string& relative) const;

  std::optional<std::filesystem::path> projectsFolder_;
};

}  // namespace atelier
