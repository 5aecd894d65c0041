#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

namespace kelmora {

// Every message the program composes at run time, by its key in the section "Misc" of a
// language file. A translation keeps the "%s" and "%d" of the default in the same order.
enum class MessageKey {
  InputPathDialogTitle,
  OutputPathDialogTitle,
  AdditionalPathDialogTitle,
  CommandLineHelp1,
  CommandLineHelp2,
  CommandLineHelp3,
  SaveSettingsError,
  WorkNotSavedYet,
  TextColor,
  LinkTextColor,
  VisitedLinkTextColor,
  Macro1Expl,
  Macro2Expl,
  Macro3Expl,
  Macro4Expl,
  Macro5Expl,
  Macro6Expl,
  Macro7Expl,
  Macro8Expl,
  Macro9Expl,
  Macro10Expl,
  Macro11Expl,
  Macro12Expl,
  Macro13Expl,
  Macro14Expl,
  Macro15Expl,
  MacroThumbs1Expl,
  MacroThumbs2Expl,
  MacroImages1Expl,
  MacroImages2Expl,
  MacroImages3Expl,
  MacroImages4Expl,
  MacroImages5Expl,
  MacroImages6Expl,
  MacroImages7Expl,
  MacroImages8Expl,
  MacroImages9Expl,
  OutputFolderNotExists,
  OutputFolderError,
  OutputFolderNotEmpty,
  CopyAdditionalError,
  InputFolderError,
  NothingToProcessError,
  TextImageXofY,
  SettingsFileMissing,
  ThumbnailGridError,
  ImageTooLarge,
  NotEnoughMemory,
  NotEnoughMemoryForImage,
  SettingsFileUnreadable,
  SettingsFileNotFound,
  TemplatesEmpty,
  FolderReadError,
  PageNameError,
  PageNamesEqualError,
  OutputNamesClashError,
  OutputIsInputError,
  SameFolderNotice,
  OutputNamesShared,
  OutputNameShortened,
  PruneError,
  CopyAdditionalIncomplete,
};

// Keys from this one on are the program's own additions, which language files made for
// the original set of keys lack: a language file without one of them gives its default
// text, where a missing original key gives the empty text.
inline constexpr MessageKey kFirstAddedMessage = MessageKey::SettingsFileMissing;

struct MessageText {
  MessageKey id;
  std::string_view key;
  std::string_view default_text;
};

// clang-format off
inline constexpr MessageText kMessages[] = {
  {MessageKey::InputPathDialogTitle,      "InputPathDialogTitle",      "Select Input Folder"},
  {MessageKey::OutputPathDialogTitle,     "OutputPathDialogTitle",     "Select Output Folder"},
  {MessageKey::AdditionalPathDialogTitle, "AdditionalPathDialogTitle", "Select Additional Elements Folder"},
  {MessageKey::CommandLineHelp1,          "CommandLineHelp1",          "1st param is full path of \".km2\" file to use"},
  {MessageKey::CommandLineHelp2,          "CommandLineHelp2",          "2nd param is path for input files"},
  {MessageKey::CommandLineHelp3,          "CommandLineHelp3",          "3rd param is path for output files"},
  {MessageKey::SaveSettingsError,         "SaveSettingsError",         "settings file could NOT be saved"},
  {MessageKey::WorkNotSavedYet,           "WorkNotSavedYet",           "Do you want to save changes?"},
  {MessageKey::TextColor,                 "TextColor",                 "Text color"},
  {MessageKey::LinkTextColor,             "LinkTextColor",             "normal Link"},
  {MessageKey::VisitedLinkTextColor,      "VisitedLinkTextColor",      "visited Link"},
  {MessageKey::Macro1Expl,                "Macro1Expl",                "current page number"},
  {MessageKey::Macro2Expl,                "Macro2Expl",                "total number of pages"},
  {MessageKey::Macro3Expl,                "Macro3Expl",                "filename of next page"},
  {MessageKey::Macro4Expl,                "Macro4Expl",                "filename of previous page"},
  {MessageKey::Macro5Expl,                "Macro5Expl",                "filename of first page"},
  {MessageKey::Macro6Expl,                "Macro6Expl",                "filename of last page"},
  {MessageKey::Macro7Expl,                "Macro7Expl",                "ignore line on first page"},
  {MessageKey::Macro8Expl,                "Macro8Expl",                "ignore line on last page"},
  {MessageKey::Macro9Expl,                "Macro9Expl",                "this line only on first page"},
  {MessageKey::Macro10Expl,               "Macro10Expl",               "this line only on last page"},
  {MessageKey::Macro11Expl,               "Macro11Expl",               "Always ignore line (good for remarks)"},
  {MessageKey::Macro12Expl,               "Macro12Expl",               "The selected background color as hex value (e.g. \"#1A66C5\")"},
  {MessageKey::Macro13Expl,               "Macro13Expl",               "The selected text color as hex value"},
  {MessageKey::Macro14Expl,               "Macro14Expl",               "The selected link color as hex value"},
  {MessageKey::Macro15Expl,               "Macro15Expl",               "The selected visited link color as hex value"},
  {MessageKey::MacroThumbs1Expl,          "MacroThumbs1Expl",          "the table with the thumbnails"},
  {MessageKey::MacroThumbs2Expl,          "MacroThumbs2Expl",          "a title for the thumbnailpages as defined in \"more layout options\""},
  {MessageKey::MacroImages1Expl,          "MacroImages1Expl",          "filename of corresponding thumbnailpage"},
  {MessageKey::MacroImages2Expl,          "MacroImages2Expl",          "filename of this image (probably scaled down)"},
  {MessageKey::MacroImages3Expl,          "MacroImages3Expl",          "filename of this image (original size) - see option (\"copy also images in original size\") "},
  {MessageKey::MacroImages4Expl,          "MacroImages4Expl",          "original imagefilename WITHOUT fileextension"},
  {MessageKey::MacroImages5Expl,          "MacroImages5Expl",          "original imagefilename WITH fileextension"},
  {MessageKey::MacroImages6Expl,          "MacroImages6Expl",          "the contents of the comment section of the images exifinformation"},
  {MessageKey::MacroImages7Expl,          "MacroImages7Expl",          "date and time the image was taken (YYYY-MM-DD HH:MM), empty when unknown"},
  {MessageKey::MacroImages8Expl,          "MacroImages8Expl",          "make and model of the camera"},
  {MessageKey::MacroImages9Expl,          "MacroImages9Expl",          "exposure time, f-number, ISO and focal length"},
  {MessageKey::OutputFolderNotExists,     "OutputFolderNotExists",     "Output folder \"%s\" does not exist. Do you want to create it now?"},
  {MessageKey::OutputFolderError,         "OutputFolderError",         "Failed to create output folder: \"%s\""},
  {MessageKey::OutputFolderNotEmpty,      "OutputFolderNotEmpty",      "Output folder \"%s\" is not empty. Do you want to go on and delete it?"},
  {MessageKey::CopyAdditionalError,       "CopyAdditionalError",       "Incorrect path for additional elements: \"%s\""},
  {MessageKey::InputFolderError,          "InputFolderError",          "Incorrect path for input: \"%s\""},
  {MessageKey::NothingToProcessError,     "NothingToProcessError",     "No Images could be found"},
  {MessageKey::TextImageXofY,             "TextImageXofY",             "Image %d of %d"},
  // A batch run whose first parameter names no settings file (an empty parameter).
  {MessageKey::SettingsFileMissing,       "SettingsFileMissing",       "Missing settings file: \"%s\" is not the full path of a \".km2\" file"},
  // A run with fewer than one row or column of thumbnails per page, which no page can lay out.
  {MessageKey::ThumbnailGridError,        "ThumbnailGridError",        "Thumbnail pages need at least 1 row and 1 column (rows: %d, columns: %d)"},
  // A picture whose header declares more pixels than any decoder accepts.
  {MessageKey::ImageTooLarge,             "ImageTooLarge",             "Image too large: %d x %d pixels (at most %d pixels can be read)"},
  // Memory ran out where no picture size is known.
  {MessageKey::NotEnoughMemory,           "NotEnoughMemory",           "Not enough memory"},
  {MessageKey::NotEnoughMemoryForImage,   "NotEnoughMemoryForImage",   "Not enough memory for an image of %d x %d pixels"},
  // A batch run's settings file that exists but cannot be read; the second %s is the reason.
  {MessageKey::SettingsFileUnreadable,    "SettingsFileUnreadable",    "Settings file \"%s\" cannot be read: %s"},
  {MessageKey::SettingsFileNotFound,      "SettingsFileNotFound",      "Settings file \"%s\" not found; using the defaults"},
  {MessageKey::TemplatesEmpty,            "TemplatesEmpty",            "Both page templates are empty: the pages will be empty"},
  // A folder that cannot be listed; the second %s is the system's reason.
  {MessageKey::FolderReadError,           "FolderReadError",           "Cannot read folder \"%s\": %s"},
  // A page name or the extension (%s the setting's name, then its value) that would lead out
  // of the output folder or make a name no file system should hold.
  {MessageKey::PageNameError,             "PageNameError",             "%s \"%s\" must not hold a folder separator, \"..\" or a control character"},
  {MessageKey::PageNamesEqualError,       "PageNamesEqualError",       "Thumbnail pages and image pages need different names (ThumbPagesName and ImagePagesName are both \"%s\")"},
  // Two files of one run (pages, or a page and a picture) with the same name.
  {MessageKey::OutputNamesClashError,     "OutputNamesClashError",     "Two files of this gallery would be written as \"%s\": choose other page names or another extension"},
  // An output file (%s) of an input picture or page set (%s) that is an input picture itself.
  {MessageKey::OutputIsInputError,        "OutputIsInputError",        "Nothing was written: the output \"%s\" of \"%s\" would replace an input picture of this run. Choose an output folder apart from the input folder"},
  {MessageKey::SameFolderNotice,          "SameFolderNotice",          "Input and output folder are the same (\"%s\"): pictures that earlier runs wrote there are input pictures of this run too"},
  // A picture (the second %s) whose output names equal those of an earlier one (the first).
  {MessageKey::OutputNamesShared,         "OutputNamesShared",         "\"%s\" and \"%s\" would have the same output files; the second is written as \"%s\""},
  {MessageKey::OutputNameShortened,       "OutputNameShortened",       "The output names of \"%s\" are too long for the file system; it is written as \"%s\""},
  // A file of an earlier run that --prune could not delete.
  {MessageKey::PruneError,                "PruneError",                "Could not delete \"%s\", which this gallery no longer uses"},
  // Some of the additional elements (the folder %s) could not be copied; the gallery is made.
  {MessageKey::CopyAdditionalIncomplete,  "CopyAdditionalIncomplete",  "Not every additional element of \"%s\" could be copied into the output folder"},
};
// clang-format on

// Lookup by key is plain indexing: the table lists the keys in the enumeration's order.
constexpr bool MessagesFollowKeyOrder() {
  for (size_t i = 0; i < std::size(kMessages); ++i) {
    if (static_cast<size_t>(kMessages[i].id) != i) return false;
  }
  return true;
}
static_assert(MessagesFollowKeyOrder(), "kMessages must list every MessageKey in order");
static_assert(std::size(kMessages) == static_cast<size_t>(MessageKey::CopyAdditionalIncomplete) + 1,
              "every MessageKey needs its row in kMessages");

constexpr const MessageText& MessageOf(MessageKey key) {
  return kMessages[static_cast<size_t>(key)];
}

}  // namespace kelmora
