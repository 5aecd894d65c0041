#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "gallery/build_record.h"
#include "gallery/km_list.h"
#include "gallery/prepared_export.h"
#include "settings/km_class.h"

namespace kelmora {

// Keeps the output folder's record through one creation run: decides which outputs an
// update must make again, and writes the record before the pictures (outputs about to be
// made are marked unfinished, so that a run killed halfway leaves no output taken for up to
// date) and after them. The record lists the pages, then the outputs of every picture in
// catalogue order, then the files of earlier runs that this gallery no longer makes; so a
// gallery brought up to date by updates has the same record as one made afresh.
class RecordKeeper {
 public:
  // Reads the record of OutputPath. Pictures at positions 0 ... last are the ones the run
  // exports. With only_redo_changed, an output stays when the record names it with the
  // fingerprint of its source and settings and it still has its recorded size.
  RecordKeeper(const KM_Class& settings, const KM_List& list, int last, bool only_redo_changed);

  // The outputs the run must make for the picture at a position 0 ... last.
  OutputSelection Selection(int position) const;
  bool AnySelected() const;

  // Files the record names that this gallery does not make; none of them is an input.
  std::vector<std::string> Leftovers() const;
  // Deletes the leftovers (regular files and links only) and forgets them. Returns the names
  // that could not be deleted.
  std::vector<std::string> PruneLeftovers();

  // Writes the record with the outputs the run is about to make marked unfinished. Raises
  // EFileError when it cannot be written.
  void WriteBeforeExport();
  // The picture at `position` is about to be written (its files may change from here on),
  // and was written completely.
  void Attempted(int position);
  void Exported(int position);
  // Writes the final record; a record whose bytes are unchanged is left untouched. Raises
  // EFileError when it cannot be written.
  void WriteAfterExport();

 private:
  static constexpr size_t kRoles = 3;
  struct Planned {
    OutputSelection selection{false, false, false};
    std::array<Recipe, kRoles> recipes{};  // 0 where the source's stamp is unknown
    bool attempted = false;
    bool made = false;
  };

  std::vector<std::string> OutputNames(const KM_ListElement& entry) const;
  BuildRecord Compose(bool finished) const;

  const KM_Class& settings_;
  const KM_List& list_;
  const int last_;
  const std::string folder_;
  BuildRecord old_;
  std::vector<std::string> pages_;
  std::vector<Planned> planned_;
  std::vector<RecordedFile> leftovers_;
};

}  // namespace kelmora
