#include "metadata/exif_report.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "common/day_number.h"
#include "metadata/img_data.h"

namespace kelmora {
namespace {

// Listings hold Windows line breaks between their lines; the report is read on a terminal,
// where the report's lines end with "\n" only and every other control character of a
// value is shown escaped, never sent raw.
std::string EscapedLines(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      result += '\n';
      ++i;
      continue;
    }
    result += EscapeControlCharacters(text.substr(i, 1));
  }
  return result;
}

// A listing whose every line begins with a line break, as a section of the report.
void AppendListing(std::string& out, const char* title, const std::string& listing) {
  std::string lines = EscapedLines(listing);
  if (!lines.empty() && lines.front() == '\n') lines.erase(0, 1);
  if (lines.empty()) return;
  out.append(title).append(":\n").append(lines).append("\n");
}

std::string ReportOf(TimgData& meta, bool result, std::string_view name) {
  std::string out;
  out.append("File: ").append(EscapeControlCharacters(name)).append("\n");
  out.append("Result: ").append(result ? "true" : "false").append("\n");
  out.append("Status: ").append(EscapeControlCharacters(meta.StatusText)).append("\n");

  // The date the catalogue would sort by: only a successful read with EXIF data has one.
  const double captured =
      result && meta.ExifPresent() && meta.ExifInfo ? meta.ExifInfo->CaptureDateTime() : 0;
  out.append("Capture date: ")
      .append(captured == 0 ? "none" : FormatDayNumberText(captured))
      .append("\n");
  out.append("Comment: ")
      .append(meta.CommentPresent() ? EscapeControlCharacters(meta.CommentText()) : "none")
      .append("\n");

  if (meta.ExifInfo) {
    const TImageInfo& info = *meta.ExifInfo;
    if (info.MakerNotePos != 0) {
      out.append("Maker note: ")
          .append(info.MakerNoteDecoded ? "decoded" : "not decoded")
          .append("\n");
    }
    AppendListing(out, "EXIF", info.InfoText);
    AppendListing(out, "Maker note entries", info.MakerNoteText);
    std::string tags;
    for (const TTagEntry& tag : info.TagList) {
      tags.append("\r\n")
          .append(EscapeControlCharacters(tag.Name))
          .append(" = ")
          .append(EscapeControlCharacters(tag.Data));
    }
    AppendListing(out, "Tags", tags);
  }
  if (meta.IptcSegRef != 0 && meta.IptcInfo) {
    meta.IptcInfo->ParseIptc(meta.SegmentData(meta.IptcSegRef));
    std::string records;
    for (int32_t i = 0; i < meta.IptcInfo->IptcCount(); ++i) {
      const TTagEntry& record = meta.IptcInfo->IptcRecord(i);
      records.append("\r\n")
          .append(EscapeControlCharacters(record.Name))
          .append(" = ")
          .append(EscapeControlCharacters(record.Data));
    }
    AppendListing(out, "IPTC", records);
  }
  return out;
}

}  // namespace

std::string EscapeControlCharacters(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      result += escaped;
    } else {
      result += c;
    }
  }
  return result;
}

std::string ExifReportText(const std::string& path) {
  TimgData meta(DetailLevel::kAll);
  const bool result = meta.ReadImageFile(path);
  return ReportOf(meta, result, path);
}

std::string ExifReportTextOfBytes(std::string_view file_name, std::span<const uint8_t> bytes) {
  TimgData meta(DetailLevel::kAll);
  const bool result = meta.ReadImageBytes(file_name, bytes);
  return ReportOf(meta, result, file_name);
}

}  // namespace kelmora
