#include "gallery/output_names.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "gallery/image_names.h"

namespace kelmora {
namespace {

constexpr std::string_view kNormalPrefix = "n_";
constexpr std::string_view kOutputExtension = ".jpg";
// Every output name is a two-letter prefix, the base and ".jpg".
constexpr size_t kMaxBaseBytes = kMaxFileNameBytes - 2 - kOutputExtension.size();
constexpr size_t kHashDigits = 8;

// FNV-1a: stable on every system and in every build, so names do not change between runs.
uint32_t NameHash(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

bool IsUtf8Continuation(char c) {
  return (static_cast<uint8_t>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string FittedBaseName(const std::string& base) {
  if (base.size() <= kMaxBaseBytes) return base;
  size_t keep = kMaxBaseBytes - 1 - kHashDigits;
  // Never split a UTF-8 sequence: the name stays readable text.
  while (keep > 0 && IsUtf8Continuation(base[keep])) --keep;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string fitted = base.substr(0, keep) + "-";
  const uint32_t hash = NameHash(base);
  for (int shift = 28; shift >= 0; shift -= 4) fitted.push_back(kDigits[(hash >> shift) & 0xF]);
  return fitted;
}

std::string OutputBaseName(const KM_ListElement& entry) {
  std::string_view name = entry.NormalName;
  if (name.substr(0, kNormalPrefix.size()) == kNormalPrefix)
    name.remove_prefix(kNormalPrefix.size());
  if (name.size() >= kOutputExtension.size() &&
      name.substr(name.size() - kOutputExtension.size()) == kOutputExtension) {
    name.remove_suffix(kOutputExtension.size());
  }
  return std::string(name);
}

std::vector<OutputNameChange> AssignDistinctOutputNames(KM_List& list) {
  const int count = list.Count();
  std::vector<std::string> bases(static_cast<size_t>(count));
  // Every name an entry would take first: a numbered name must not take one of them.
  std::unordered_set<std::string> first_choices;
  for (int i = 0; i < count; ++i) {
    bases[static_cast<size_t>(i)] = OutputBaseName(list.Entry(i));
    first_choices.insert(FittedBaseName(bases[static_cast<size_t>(i)]));
  }
  std::unordered_map<std::string, std::string> owner;  // base name taken -> its picture
  std::vector<OutputNameChange> changes;
  for (int i = 0; i < count; ++i) {
    KM_ListElement& entry = list.Entry(i);
    const std::string& base = bases[static_cast<size_t>(i)];
    std::string fitted = FittedBaseName(base);
    std::string shared_with;
    if (const auto taken = owner.find(fitted); taken != owner.end()) {
      shared_with = taken->second;
      for (int64_t number = 2;; ++number) {
        fitted = FittedBaseName(base + "-" + std::to_string(number));
        if (!first_choices.count(fitted) && !owner.count(fitted)) break;
      }
    }
    owner.emplace(fitted, entry.FileName);
    if (fitted == base) continue;
    SetOutputNames(entry, fitted);
    changes.push_back({entry.FileName, shared_with, entry.NormalName});
  }
  return changes;
}

}  // namespace kelmora
