#include "gallery/km_list.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "common/day_number.h"
#include "common/errors.h"
#include "gallery/file_names.h"
#include "gallery/image_names.h"
#include "platform/folder_listing.h"

namespace kelmora {
namespace {

using EntryList = std::vector<std::unique_ptr<KM_ListElement>>;

// Puts the entries in the order in which an adjacent-exchange sort leaves them that swaps a
// pair only when the right one must strictly come before the left one. That order is the
// stable sort by the same relation, which needs far fewer comparisons.
template <typename Before>
void SortEntries(EntryList& entries, Before before) {
  const auto before_entry = [&](const std::unique_ptr<KM_ListElement>& a,
                                const std::unique_ptr<KM_ListElement>& b) {
    return before(*a, *b);
  };
  std::stable_sort(entries.begin(), entries.end(), before_entry);
}

// A date that is not a number compares false with everything, which is no strict weak order
// for std::stable_sort; the exchange sort is run literally then.
template <typename Before>
void ExchangeSort(EntryList& entries, Before before) {
  for (size_t pass = 1; pass < entries.size(); ++pass) {
    bool exchanged = false;
    for (size_t i = 0; i + 1 < entries.size(); ++i) {
      if (before(*entries[i + 1], *entries[i])) {
        std::swap(entries[i], entries[i + 1]);
        exchanged = true;
      }
    }
    if (!exchanged) break;
  }
}

template <typename Key>
void SortByDate(EntryList& entries, Key key, bool ascending) {
  const auto before = [&](const KM_ListElement& a, const KM_ListElement& b) {
    return ascending ? key(a) < key(b) : key(a) > key(b);
  };
  const bool has_nan = std::any_of(entries.begin(), entries.end(),
                                   [&](const auto& entry) { return std::isnan(key(*entry)); });
  if (has_nan) {
    ExchangeSort(entries, before);
  } else {
    SortEntries(entries, before);
  }
}

}  // namespace

KM_List::KM_List(const KM_Class& settings)
    : Settings(settings),
      own_reader_(std::make_unique<NoMetadataReader>()),
      meta_reader_(*own_reader_) {}

KM_List::KM_List(const KM_Class& settings, ImageMetadataReader& meta_reader)
    : Settings(settings), meta_reader_(meta_reader) {}

KM_List::~KM_List() {
  ClearList();
}

void KM_List::ClearList() {
  while (!entries_.empty()) entries_.pop_back();
}

const KM_ListElement& KM_List::Entry(int position) const {
  if (position < 0 || position >= Count()) {
    throw EKelmora("No catalogue entry at position " + std::to_string(position));
  }
  return *entries_[static_cast<size_t>(position)];
}

KM_ListElement& KM_List::Entry(int position) {
  return const_cast<KM_ListElement&>(std::as_const(*this).Entry(position));
}

KM_ListElement& KM_List::AddEntry(KM_ListElement entry) {
  entries_.push_back(std::make_unique<KM_ListElement>(std::move(entry)));
  return *entries_.back();
}

int KM_List::ScanInputFolder() {
  ClearList();
  // The separator is added even when InputPath ends in one; a doubled one does no harm.
  const std::string folder = Settings.InputPath + "/";
  for (const FolderFile& file : ListFolderFiles(folder)) {
    const std::optional<PictureKind> kind = ImageKindOf(file.Name);
    if (!kind) continue;  // not a name IsImageFile accepts
    KM_ListElement entry;
    entry.FileName = file.Name;
    std::string base = WithoutLastExtension(file.Name);
    if (Settings.ConvertFileNames) ConvertFileName(base);
    SetOutputNames(entry, base);
    entry.FullPath = folder + file.Name;
    entry.ImageKind = *kind;
    entry.FileDate = FileTimeToDayNumber(file.modified_time);
    entry.SortDate = entry.FileDate;
    try {
      if (meta_reader_.ReadImageFile(entry.FullPath) && meta_reader_.ExifPresent()) {
        // No fall-back to the file date: an EXIF block without a date sorts as day 0.
        const double capture_date = meta_reader_.CaptureDateTime();
        std::string comment = meta_reader_.CommentPresent() ? meta_reader_.CommentText() : "";
        CaptureDetails details = meta_reader_.Details();
        details.capture_date = capture_date;
        details.orientation = UsableOrientation(details.orientation);
        entry.SortDate = capture_date;
        entry.ExifComment = std::move(comment);
        entry.details = std::move(details);
      }
    } catch (const EKelmora&) {
      // Unreadable metadata never stops a scan: the entry is changed only after every
      // question was answered, so it keeps its file date and no comment.
    }
    AddEntry(std::move(entry));
  }
  return Count();
}

void KM_List::SortList() {
  if (entries_.size() < 2) return;
  const bool use_exif = Settings.UseExif;
  const auto date = [use_exif](const KM_ListElement& e) {
    return use_exif ? e.SortDate : e.FileDate;
  };
  switch (Settings.SortingMethodIndex) {
    case SortMethod::kDateAscending:
      SortByDate(entries_, date, true);
      break;
    case SortMethod::kDateDescending:
      SortByDate(entries_, date, false);
      break;
    // std::string compares bytes as unsigned values, a prefix first.
    case SortMethod::kNameAscending:
      SortEntries(entries_, [](const KM_ListElement& a, const KM_ListElement& b) {
        return a.FileName < b.FileName;
      });
      break;
    case SortMethod::kNameDescending:
      SortEntries(entries_, [](const KM_ListElement& a, const KM_ListElement& b) {
        return a.FileName > b.FileName;
      });
      break;
    default:  // a number no order has
      break;
  }
}

}  // namespace kelmora
