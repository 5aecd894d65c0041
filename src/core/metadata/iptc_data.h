#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/tag_entry.h"

namespace kelmora {

// The IPTC records of a Photoshop resource block (APP13), as TTagEntry records whose Name
// is the dictionary name and Data the value text.
class TIPTCdata {
 public:
  TIPTCdata() = default;

  // Index of the first record named name (ignoring case), or -1.
  int32_t FindIptcTag(std::string_view name) const;
  void RemoveIptcTag(std::string_view name);
  // Replaces a record's value (unless value is empty) or appends the dictionary row;
  // -1 when the dictionary has no such name.
  int32_t SetIptcValue(std::string_view name, const std::string& value);
  // Like SetIptcValue, but joins a value to an existing record with ",".
  int32_t AddIptcValue(std::string_view name, const std::string& value);
  // Set for the repeatable datasets (SuppCategory, Keywords), Add for the others.
  int32_t WriteIptcValue(std::string_view name, const std::string& value);
  std::string IptcValueOf(std::string_view name, const std::string& fallback) const;
  // Reads the metadata of the image file at path and parses its first APP13 segment; true
  // when records were found.
  bool ReadIptcFile(const std::string& path);

  int32_t IptcCount() const { return static_cast<int32_t>(records_.size()); }
  // Shortens the list to count records (a larger count is ignored).
  void SetIptcCount(int32_t count);
  const TTagEntry& IptcRecord(int32_t index) const {
    return records_.at(static_cast<size_t>(index));
  }
  void ClearIptc() { records_.clear(); }
  // Appends a record unless its Tag is 0; returns its index, or -1 when not kept.
  int32_t AddIptcRecord(const TTagEntry& record);
  bool HasIptc() const { return !records_.empty(); }
  // Reads the datasets of an APP13 segment's Data.
  void ParseIptc(std::string_view data);

  // Row of the dictionary named name (ignoring case), or -1.
  static int32_t IptcDictionaryIndex(std::string_view name);
  static TTagEntry IptcDictionaryRow(int32_t index);
  static int32_t IptcDictionarySize();

 private:
  std::vector<TTagEntry> records_;
};

}  // namespace kelmora
