#include "settings/km_class.h"

#include <optional>
#include <string>
#include <type_traits>

#include "common/errors.h"
#include "platform/file_system.h"
#include "settings/ini_file.h"
#include "settings/settings_keys.h"

namespace kelmora {
namespace {

std::string LineKey(size_t index) {
  return "Line" + std::to_string(index);
}

// Template lines are read by position, never by the names found: a section holding Line0
// and Line2 gives two lines, the second one empty.
std::vector<std::string> ReadTemplate(const IniFile& ini, std::string_view section) {
  const size_t count = ini.CountKeys(section);
  std::vector<std::string> lines;
  lines.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const std::string value = ini.ReadString(section, LineKey(i), "");
    lines.push_back(value.empty() ? value : value.substr(1));
  }
  return lines;
}

void WriteTemplate(IniFile& ini, std::string_view section, const std::vector<std::string>& lines) {
  // The old template goes first, however many lines it had and whatever they were called by
  // position; keys of other names in the section stay.
  const size_t old_count = ini.CountKeys(section);
  for (size_t i = 0; i < old_count; ++i) ini.DeleteKey(section, LineKey(i));
  for (size_t i = 0; i < lines.size(); ++i) {
    ini.WriteString(section, LineKey(i), std::string(kTemplateLinePrefix) + lines[i]);
  }
}

}  // namespace

void KM_Class::LoadFromIni(const IniFile& ini) {
  for (const SettingsKey& entry : kSettingsKeys) {
    if (entry.lock && this->*entry.lock) continue;
    std::visit(
        [&](auto member) {
          auto& field = this->*member;
          using Field = std::remove_reference_t<decltype(field)>;
          if constexpr (std::is_same_v<Field, std::string>) {
            field = ini.ReadString(entry.section, entry.key, entry.default_text);
          } else if constexpr (std::is_same_v<Field, int32_t>) {
            field = ini.ReadInteger(entry.section, entry.key, entry.default_number);
          } else if constexpr (std::is_enum_v<Field>) {  // stored as its number, whatever it is
            field =
                static_cast<Field>(ini.ReadInteger(entry.section, entry.key, entry.default_number));
          } else if constexpr (std::is_same_v<Field, bool>) {
            field = ini.ReadBool(entry.section, entry.key, entry.default_number != 0);
          } else {
            field = ReadTemplate(ini, entry.section);
          }
        },
        entry.field);
  }
}

void KM_Class::SaveToIni(IniFile& ini) const {
  for (const SettingsKey& entry : kSettingsKeys) {
    std::visit(
        [&](auto member) {
          const auto& field = this->*member;
          using Field = std::remove_cvref_t<decltype(field)>;
          if constexpr (std::is_same_v<Field, std::string>) {
            ini.WriteString(entry.section, entry.key, field);
          } else if constexpr (std::is_same_v<Field, int32_t>) {
            ini.WriteInteger(entry.section, entry.key, field);
          } else if constexpr (std::is_enum_v<Field>) {
            ini.WriteInteger(entry.section, entry.key, static_cast<int32_t>(field));
          } else if constexpr (std::is_same_v<Field, bool>) {
            ini.WriteBool(entry.section, entry.key, field);
          } else {
            WriteTemplate(ini, entry.section, field);
          }
        },
        entry.field);
  }
}

bool KM_Class::LoadFromFile(const std::string& file_name) {
  LoadFromFileChecked(file_name);
  return true;
}

SettingsFileStatus KM_Class::LoadFromFileChecked(const std::string& file_name) {
  SettingsFileStatus status;
  IniFile ini;
  try {
    std::optional<std::string> text = ReadProfileFile(file_name);
    if (text) {
      ini = IniFile::Parse(*text);
    } else {
      status.state = SettingsFileState::kMissing;
    }
  } catch (const EFileError& error) {
    // An unreadable file loads like a missing one: loading itself never fails.
    status = {SettingsFileState::kUnreadable, error.Reason()};
  } catch (const EKelmora& error) {
    status = {SettingsFileState::kUnreadable, error.what()};
  }
  LoadFromIni(ini);
  return status;
}

bool KM_Class::SaveToFile(const std::string& file_name) const {
  IniFile ini;
  try {
    ini = IniFile::Load(file_name);
  } catch (const EKelmora&) {
    // Writing without the old content would drop the file's foreign sections and keys.
    return false;
  }
  SaveToIni(ini);
  return WriteFileAtomically(file_name, ini.Serialise());
}

}  // namespace kelmora
