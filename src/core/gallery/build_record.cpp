#include "gallery/build_record.h"

#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/errors.h"
#include "gallery/file_names.h"
#include "platform/file_system.h"

namespace kelmora {
namespace {

constexpr std::string_view kHeader = "kelmora output record 1";
// Raised whenever the pictures an export makes from the same source and settings change
// (a different resampler or encoder), so that an update makes them again.
constexpr std::string_view kExportVersion = "export 1";
// A record larger than this is no record this program wrote.
constexpr size_t kMaxRecordBytes = size_t{256} << 20;

class Fingerprint {
 public:
  Fingerprint& Add(std::string_view text) {
    for (const char c : text) Byte(static_cast<uint8_t>(c));
    Byte(0);  // ends the field, so that "ab","c" and "a","bc" differ
    return *this;
  }
  Fingerprint& Add(int64_t value) { return Add(std::to_string(value)); }
  Recipe Value() const { return hash_ == 0 ? 1 : hash_; }

 private:
  void Byte(uint8_t b) {
    hash_ ^= b;
    hash_ *= 0x100000001b3ULL;
  }
  uint64_t hash_ = 0xcbf29ce484222325ULL;
};

std::string Hex(uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value, int base) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

std::optional<RecordedFile> ParseLine(std::string_view line) {
  const std::vector<std::string_view> fields = SplitTabs(line);
  RecordedFile file;
  if (fields.size() == 2 && fields[0] == "page") {
    file.page = true;
  } else if (fields.size() == 4 && fields[0] == "file") {
    if (!ParseNumber(fields[2], file.size, 10) || !ParseNumber(fields[3], file.recipe, 16)) {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  if (!IsRecordableName(fields[1])) return std::nullopt;
  file.name = std::string(fields[1]);
  return file;
}

}  // namespace

std::optional<SourceStamp> ReadSourceStamp(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  SourceStamp stamp;
  std::error_code error;
  stamp.path = std::filesystem::weakly_canonical(path, error).string();
  if (error) return std::nullopt;
  stamp.size = static_cast<uint64_t>(status.st_size);
  stamp.modified_ns = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                      static_cast<int64_t>(status.st_mtim.tv_nsec);
  return stamp;
}

Recipe OutputRecipe(const KM_Class& settings, const KM_ListElement& entry, const SourceStamp& stamp,
                    OutputRole role) {
  Fingerprint print;
  print.Add(kExportVersion)
      .Add(stamp.path)
      .Add(static_cast<int64_t>(stamp.size))
      .Add(stamp.modified_ns)
      .Add(static_cast<int64_t>(entry.ImageKind));
  // Every setting that changes the bytes of that output, and no other. Turning pictures
  // upright changes every re-encoded output; leaving out the GPS position changes the
  // copies, which only the full-size and the resized image can be.
  print.Add(settings.AutoRotate ? 1 : 0);
  switch (role) {
    case OutputRole::kBig:
      print.Add("big").Add(settings.QualityImages).Add(settings.StripLocation ? 1 : 0);
      break;
    case OutputRole::kThumb:
      print.Add("thumb").Add(settings.MaxSizeThumbnails).Add(settings.QualityThumbnails);
      break;
    case OutputRole::kNormal:
      print.Add("normal")
          .Add(settings.MaxWidthImage)
          .Add(settings.MaxHeightImage)
          .Add(settings.QualityImages)
          .Add(settings.FilterIndex)
          .Add(settings.StripLocation ? 1 : 0);
      break;
  }
  return print.Value();
}

bool IsRecordableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string BuildRecord::Text() const {
  std::string text(kHeader);
  text += '\n';
  for (const RecordedFile& file : files) {
    if (file.page) {
      text += "page\t" + file.name + "\n";
    } else {
      text +=
          "file\t" + file.name + "\t" + std::to_string(file.size) + "\t" + Hex(file.recipe) + "\n";
    }
  }
  return text;
}

BuildRecord BuildRecord::FromText(std::string_view text) {
  BuildRecord record;
  size_t start = 0;
  bool header = true;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (header) {
      if (line != kHeader) return record;
      header = false;
      continue;
    }
    if (std::optional<RecordedFile> file = ParseLine(line)) record.files.push_back(*file);
  }
  return record;
}

const RecordedFile* BuildRecord::Find(const std::string& name) const {
  if (indexed_ != files.size()) {
    index_.clear();
    for (size_t i = 0; i < files.size(); ++i) index_.emplace(files[i].name, i);
    indexed_ = files.size();
  }
  const auto found = index_.find(name);
  return found == index_.end() ? nullptr : &files[found->second];
}

BuildRecord ReadBuildRecord(const std::string& output_folder) {
  const std::string path = PathWithDelimiter(output_folder) + std::string(kBuildRecordName);
  try {
    const std::vector<uint8_t> bytes = ReadFileHead(path, kMaxRecordBytes + 1);
    if (bytes.size() > kMaxRecordBytes) return {};
    return BuildRecord::FromText(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const EKelmora&) {
    return {};  // no record yet, or one that cannot be read: every output is made again
  }
}

void WriteBuildRecord(const std::string& output_folder, const BuildRecord& record) {
  const std::string path = PathWithDelimiter(output_folder) + std::string(kBuildRecordName);
  const std::string text = record.Text();
  try {
    const std::vector<uint8_t> old = ReadFileHead(path, text.size() + 1);
    if (old.size() == text.size() && std::equal(old.begin(), old.end(), text.begin())) return;
  } catch (const EKelmora&) {
    // None yet, or unreadable: written anew.
  }
  WriteFileBytes(path, text.data(), text.size());
}

}  // namespace kelmora
