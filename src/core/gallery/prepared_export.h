#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "gallery/km_list_element.h"
#include "imaging/bitmap.h"
#include "imaging/resample.h"
#include "settings/km_class.h"

namespace kelmora {

// Which of an entry's output files an export writes. A full export writes all of them; an
// update leaves out those that are already up to date.
struct OutputSelection {
  bool big = true;     // BigName, written only with CopyOrgSizedImages
  bool thumb = true;   // ThumbName
  bool normal = true;  // NormalName

  bool Any() const { return big || thumb || normal; }
  bool operator==(const OutputSelection&) const = default;
};

// One output file of an entry: bytes already encoded, or a byte copy of the source file.
struct PreparedFile {
  std::string name;  // the output file name, without folder
  std::vector<uint8_t> bytes;
  bool copy_of_source = false;
};

// An entry's export worked out in memory, ready to be written: its files in the order an
// export writes them, then the error that ended the export, if any. Nothing of it touches
// the output folder, so exports can be prepared on several threads at once and written in
// catalogue order.
struct PreparedExport {
  bool decoded = false;  // the source was decoded; width and height hold its size
  int32_t width = 0;
  int32_t height = 0;
  std::vector<PreparedFile> files;
  std::exception_ptr error;
};

// Working memory one thread keeps from one export to the next: the decoded source and the
// scaled pictures are filled again in place instead of taking fresh zeroed memory for each
// picture. Pictures beyond kKeptBytes give their memory back after the export.
struct ExportWorkspace {
  static constexpr size_t kKeptBytes = size_t{80} << 20;

  TBitmap source;
  TBitmap scaled;
  ResampleOptions resample;  // threads and kernel of the resampler
};

// Decodes the entry's source into the workspace (JPEG through libjpeg, BMP by the bitmap's
// loader, TIFF by the TIFF reader). Raises the codec's error.
void DecodeSourceInto(const KM_ListElement& entry, TBitmap& bitmap);

// Works out the selected outputs of one entry: decodes the source (not at all when nothing
// is selected), scales and encodes in memory. Errors are caught and kept in the result.
PreparedExport PrepareExport(const KM_Class& settings, const KM_ListElement& entry,
                             OutputSelection selection, ExportWorkspace& workspace);

// The same for a source already decoded into workspace.source.
PreparedExport PrepareDecodedExport(const KM_Class& settings, const KM_ListElement& entry,
                                    OutputSelection selection, ExportWorkspace& workspace);

// Writes a prepared export into OutputPath in its order, each file whole or not at all, sets
// the entry's Width and Height when the source was decoded, and raises the error that ended
// the export after the files written before it. A file that cannot be written or copied
// raises EFileError naming it.
void CommitExport(const KM_Class& settings, KM_ListElement& entry, const PreparedExport& prepared);

}  // namespace kelmora
