#include "metadata/exif_report.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

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

std::string FormatDayNumberText(double dayNumber) {
  // Before the epoch the fraction counts away from zero, as in the day-number convention.
  const double whole = std::trunc(dayNumber);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(dayNumber - whole) * 86400.0));
  auto days = static_cast<int64_t>(whole);
  if (seconds >= 86400) {  // a fraction that rounds up to midnight of the next day
    seconds -= 86400;
    days += dayNumber < 0 ? -1 : 1;
  }
  // Civil date from days since 1970-01-01 (the epoch 1899-12-30 is day -25569).
  const int64_t z = days - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  char text[128];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

std::string ExifReportText(const std::string& path) {
  TimgData meta(kDetailAll);
  const bool result = meta.ReadImageFile(path);
  std::string out;
  out.append("File: ").append(EscapeControlCharacters(path)).append("\n");
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
  if (meta.IptcSegRef != nullptr && meta.IptcInfo) {
    meta.IptcInfo->ParseIptc(meta.IptcSegRef->Data);
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

}  // namespace kelmora
