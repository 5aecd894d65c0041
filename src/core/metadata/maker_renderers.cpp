#include "metadata/maker_renderers.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include "metadata/value_rendering.h"

namespace kelmora {

namespace {

constexpr const char* kLineBreak = "\r\n";

// One line of a Canon array listing: a plain field when table is empty, else a decoded one.
struct CanonItem {
  std::string_view label;
  int field;
  std::string_view table;
};

// clang-format off
constexpr std::array<CanonItem, 20> kCanonSettingsItems{{
    {"Macro mode", 1, "1:Macro,2:Normal"},
    {"Self Timer", 2, ""},
    {"Compression Rate", 3, "0:SuperFine,1:Fine,2:Normal,3:Basic,5:SuperFine"},
    {"Flash Mode", 4, "0:Not fired,1:Auto,2:On,3:Red-eye,4:Slow sync,5:Auto+red-eye,6:On+red eye,16:External flash"},
    {"Drive Mode", 5, "0:Single,1:Continuous"},
    {"Focus Mode", 7, "0:One-Shot,1:AI Servo,2:AI Focus,3:MF,4:Single,5:Continuous,6:MF"},
    {"Image Size", 10, "0:Large,1:Medium,2:Small,4:5MPixel,5:2 MPixel,6:1.5 MPixel"},
    {"Easy Shoot", 11, "0:Full Auto,1:Manual,2:Landscape,3:Fast Shutter,4:Slow Shutter,5:Night,6:B&W,7:Sepia,8:Portrait,9:Sports,10:Macro/Close-Up,11:Pan Focus"},
    {"Contrast", 13, "65535:Low,0:Normal,1:High"},
    {"Saturation", 14, "65535:Low,0:Normal,1:High"},
    {"Sharpness", 15, "65535:Low,0:Normal,1:High"},
    {"CCD ISO", 16, "0:Not used,15:auto,16:50,17:100,18:200,19:400"},
    {"Metering Mode", 17, "3:Evaluative,4:Partial,5:Center-weighted"},
    {"AF Point", 19, "12288:None (MF),12289:Auto-selected,12290:Right,12291:Center,12292:Left"},
    {"Exposure Mode", 20, "0:Easy shooting,1:Program,2:Tv-priority,3:Av-priority,4:Manual,5:A-DEP"},
    {"Long focal", 24, ""},
    {"Short focal", 25, ""},
    {"Focal Units", 26, ""},
    {"Flash Details", 29, ""},
    {"Focus Mode", 32, "0:Single,1:Continuous"},
}};

constexpr std::array<CanonItem, 6> kCanonShotInfoItems{{
    {"White balance", 7, "0:Auto,1:Sunny,2:Cloudy,3:Tungsten,4:Flourescent,5:Flash,6:Custom"},
    {"Sequence Number", 9, ""},
    {"OpticalZoom Step", 11, ""},
    {"AF point", 14, ""},
    {"Flash bias", 15, "65472:-2 EV,65484:-1.67 EV,65488:-1.50 EV,65492:-1.33 EV,65504:-1 EV,65516:-0.67 EV,65520:-0.50 EV,65524:-0.33 EV,0:0 EV,12:0.33 EV,16:0.50 EV,20:0.67 EV,32:1 EV,44:1.33 EV,48:1.50 EV,52:1.67 EV,64:2 EV"},
    {"Distance", 19, ""},
}};

// Custom function n (the high byte of a field) is row n - 1.
struct CanonCustomFunction {
  std::string_view label;
  std::string_view table;
};

constexpr std::array<CanonCustomFunction, 15> kCanonCustomFunctions{{
    {"Noise Reduction", "0: Off,1: On"},
    {"Shutter AE Lock Button", "0:AF/AE lock,1:AE lock/AF,2:AF/AF lock,3:AE+release/AE+AF"},
    {"Mirror Lockup", "0:Disable,1:Enable"},
    {"Exposure Level", "0:1/2 stop,1:1/3 stop"},
    {"AF Assist", "0:On (auto),1:Off"},
    {"AV Shutter Speed", "0:Automatic,1: 1/200 (fixed)"},
    {"AEB Sequence", "0:0, -, + / Enabled1: 0, -, + / Disabled,2: -, 0, + / Enabled,3: -, 0, + / Disabled"},
    {"Shutter Sync", "0:1st-curtain sync,1: 2nd-curtain sync"},
    {"Lens AF Button", "0:AF stop,1:Operate AF,2:Lock AE and start timer"},
    {"Fill Flash Reduction", "0:Enable,1:Disable"},
    {"Menu Return", "0:Top,1:Previous (volatile),2:Previous"},
    {"Set Button", "0:Not assigned,1:Change quality,2:Change ISO speed,3:Select parameters"},
    {"Sensor Cleaning", "0:Disable,1:Enable"},
    {"Superimposed Display", "0: On,1: Off"},
    {"Shutter Release w/o CF Card", "0:Enable,1:Disable"},
}};
// clang-format on

template <size_t N>
std::string ArrayListing(const std::string& text, const std::array<CanonItem, N>& items) {
  std::string result = text;
  for (size_t i = 0; i < N; ++i) {
    result += kLineBreak;
    result += items[i].label;
    result += " = ";
    result += items[i].table.empty() ? ListField(text, items[i].field)
                                     : DecodedField(text, items[i].field, items[i].table);
  }
  return result;
}

// The pieces of a list of rationals "a/b, c/d, ...", split the way GPS positions are.
std::array<double, 4> FourRatios(std::string_view text) {
  std::array<double, 4> values{};
  for (double& value : values) {
    const auto [head, rest] = SplitRationalList(text);
    value = RatioOfText(head);
    text = rest;
  }
  return values;
}

}  // namespace

std::string DecodedField(const std::string& text, int k, std::string_view table) {
  return DecodeValueTable(table, ListField(text, k + 1));
}

std::string NikonColorModeText(const std::string& text) {
  // The text of an ASCII maker value starts with a double quote.
  std::string mode = text.size() > 1 ? text.substr(1, 5) : std::string();
  if (mode == "MODE1") return "Mode1 (sRGB)";
  if (mode == "MODE2") return "Mode 2 (Adobe RGB)";
  if (mode == "MODE3") return "Mode 3 (sRGB): higher saturation";
  return mode;
}

std::string LensRangeText(const std::string& text) {
  std::array<double, 4> v = FourRatios(text);
  char buffer[256];
  int length = std::snprintf(buffer, sizeof buffer, "%0.1f-%0.1f(mm)  F%0.1f-F%0.1f", v[0], v[1],
                             v[2], v[3]);
  return length < 0 ? std::string()
                    : std::string(buffer, std::min<size_t>(length, sizeof buffer - 1));
}

std::string CanonSettingsText(const std::string& text) {
  return ArrayListing(text, kCanonSettingsItems);
}

std::string CanonShotInfoText(const std::string& text) {
  return ArrayListing(text, kCanonShotInfoItems);
}

std::string CanonCustomText(const std::string& text) {
  std::string result = text;
  std::string line;  // the last line added; a field that is no number repeats it
  const int commas = static_cast<int>(std::count(text.begin(), text.end(), ','));
  for (int k = 1; k <= commas; ++k) {
    std::optional<int32_t> value = ParseDecimalInt(ListField(text, k));
    if (!value) {
      result += kLineBreak + line;
      continue;
    }
    if (*value < 0 || *value > 4095 || *value / 256 == 0) continue;
    const CanonCustomFunction& function = kCanonCustomFunctions[*value / 256 - 1];
    line = std::string(function.label) + " = " +
           DecodeValueTable(function.table, std::to_string(*value % 256));
    result += kLineBreak + line;
  }
  return result;
}

}  // namespace kelmora
