#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gallery/image_metadata_reader.h"
#include "gallery/km_list_element.h"
#include "settings/km_class.h"

namespace kelmora {

// The catalogue of one gallery: its images in gallery order, and everything derived from
// that order (the page set). It reads the settings record at the moment of each operation
// and never changes it.
// Whether writing the pages replaces a page file whose bytes would stay the same.
enum class PageWriting {
  kReplaceAll,
  kKeepUnchanged,  // such a page keeps its file and its modification time
};

class KM_List {
 public:
  // With a metadata reader that finds nothing, so images sort by file date.
  explicit KM_List(const KM_Class& settings);
  // The reader is not owned and must outlive the catalogue.
  KM_List(const KM_Class& settings, ImageMetadataReader& meta_reader);
  ~KM_List();
  KM_List(const KM_List&) = delete;
  KM_List& operator=(const KM_List&) = delete;

  const KM_Class& Settings;

  // Removes every entry, the last first.
  void ClearList();

  // Replaces the content with one entry per image file of InputPath (listed by name,
  // hidden files left out) and returns their number. Reads each file's metadata for its
  // sort date and comment.
  int ScanInputFolder();

  // Orders the entries by SortingMethodIndex: 0 date ascending, 1 date descending (by
  // SortDate with UseExif, else by FileDate), 2 name ascending, 3 name descending (byte-wise
  // on FileName); entries with equal keys keep their order; other values change nothing.
  void SortList();

  int Count() const { return static_cast<int>(entries_.size()); }
  // The entry at a position 0 ... Count() - 1; raises EKelmora for any other position.
  KM_ListElement& Entry(int position);
  const KM_ListElement& Entry(int position) const;
  // Appends an entry built elsewhere.
  KM_ListElement& AddEntry(KM_ListElement entry);

  // Expands a page template into page (emptied first) for page current_page of
  // total_pages, whose pages are named page_name + number + WebSiteExtension. The current
  // entry is the one at position current_page - 1.
  void ProcessTemplate(const std::vector<std::string>& template_lines,
                       std::vector<std::string>& page, int total_pages, int current_page,
                       const std::string& page_name) const;

  // Writes every thumbnail page and one image page per entry into OutputPath, replacing
  // files of the same names. Raises EFileError naming the page that cannot be written
  // (pages written before stay), and EKelmora when RowsCount or ColsCount is below 1.
  void CreateWebPages() const;
  void CreateWebPages(PageWriting writing) const;

 private:
  std::unique_ptr<ImageMetadataReader> own_reader_;
  ImageMetadataReader& meta_reader_;
  std::vector<std::unique_ptr<KM_ListElement>> entries_;
};

}  // namespace kelmora
