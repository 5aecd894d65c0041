#include "localisation/language_file_output.h"

#include "common/errors.h"
#include "localisation/line_break_marker.h"
#include "platform/file_system.h"

namespace kelmora {

std::string FormCaptionKey(std::string_view form) {
  return std::string(form) + ".Caption";
}

std::string TextPropKey(std::string_view form, std::string_view component, std::string_view prop) {
  std::string key;
  key.reserve(form.size() + component.size() + prop.size() + 2);
  return key.append(form).append(".").append(component).append(".").append(prop);
}

std::string ListItemKey(std::string_view form, std::string_view component, std::string_view list,
                        size_t index) {
  return TextPropKey(form, component, list) + "[" + std::to_string(index) + "]";
}

std::string WindowTextToValue(std::string_view text) {
  std::string value;
  value.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      value += kLineBreakMarker;
    } else {
      value += text[i];
    }
  }
  return value;
}

std::string WindowTextFromValue(std::string_view value) {
  return ExpandLineBreakMarkers(value, "\n");
}

IniFile LoadLanguageFileForUpdate(const std::string& path) {
  return IniFile::Load(path);
}

void SaveLanguageFile(const IniFile& file, const std::string& path) {
  if (!WriteFileAtomically(path, file.Serialise())) {
    throw EFileError("Cannot write file", path, "the language file could not be replaced");
  }
}

}  // namespace kelmora
