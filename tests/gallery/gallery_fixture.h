#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/errors.h"
#include "gallery/km_list.h"
#include "settings/km_class.h"
#include "support/default_settings.h"

namespace kelmora::test {

// An entry named as a scan names it, without conversion.
inline KM_ListElement MakeEntry(const std::string& file_name, const std::string& comment = "") {
  KM_ListElement e;
  e.FileName = file_name;
  const std::string base = file_name.substr(0, file_name.rfind('.'));
  e.BigName = "b_" + base + ".jpg";
  e.ThumbName = "t_" + base + ".jpg";
  e.NormalName = "n_" + base + ".jpg";
  e.ExifComment = comment;
  return e;
}

// img1.jpg ... imgN.jpg
inline void AddImages(KM_List& list, int count) {
  for (int i = 1; i <= count; ++i) list.AddEntry(MakeEntry("img" + std::to_string(i) + ".jpg"));
}

struct FileMetadata {
  bool read = false, exif = false;
  double date = 0;
  bool comment_present = false;
  std::string comment;
  bool throws = false;
};

// Answers with the metadata scripted for each file name; files not scripted are unreadable.
class ScriptedReader : public ImageMetadataReader {
 public:
  std::map<std::string, FileMetadata> files;
  std::vector<std::string> paths_read;
  bool ReadImageFile(const std::string& path) override {
    paths_read.push_back(path);
    current_ = files[std::filesystem::path(path).filename().string()];
    if (current_.throws) throw EKelmora("damaged");
    return current_.read;
  }
  bool ExifPresent() const override { return current_.exif; }
  double CaptureDateTime() const override { return current_.date; }
  bool CommentPresent() const override { return current_.comment_present; }
  std::string CommentText() const override { return current_.comment; }

 private:
  FileMetadata current_;
};

// Sets a file's last-write time to a local time.
inline bool SetModifiedTime(const std::filesystem::path& path, int year, int month, int day,
                            int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  const std::time_t time = std::mktime(&local);
  const timespec times[2] = {{time, 0}, {time, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace kelmora::test
