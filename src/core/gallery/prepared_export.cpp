#include "gallery/prepared_export.h"

#include <utility>

#include "common/errors.h"
#include "gallery/file_names.h"
#include "gallery/image_export.h"
#include "gallery/location_free_copy.h"
#include "imaging/filters.h"
#include "imaging/jpeg_image.h"
#include "imaging/orientation.h"
#include "imaging/tiff_file.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"

namespace kelmora {
namespace {

// Every caller of the resampler uses the same window, whatever the filter's own support.
constexpr float kSupport = 3.0f;

std::vector<uint8_t> ScaleAndEncode(ExportWorkspace& workspace, ImageSize size,
                                    FilterFunction filter, int quality) {
  ResampleBitmap(workspace.source, workspace.scaled, size.width, size.height, filter, kSupport,
                 nullptr, workspace.resample);
  return EncodeJpegBytes(workspace.scaled, quality);
}

// The outputs from the source decoded into the workspace.
void PrepareFiles(const KM_Class& settings, const KM_ListElement& entry, OutputSelection selection,
                  ExportWorkspace& workspace, PreparedExport& prepared) {
  // Sizes, bounds and every re-encoded output follow the upright picture; byte copies keep
  // the file's own orientation tag, which browsers apply.
  if (settings.AutoRotate) OrientUpright(workspace.source, entry.details.orientation);
  const TBitmap& source = workspace.source;
  prepared.decoded = true;
  prepared.width = source.Width();
  prepared.height = source.Height();
  if (prepared.width < 1 || prepared.height < 1) throw EKelmora("The picture has no pixels");
  const bool is_jpeg = entry.ImageKind == PictureKind::kJpeg;
  const int32_t width = prepared.width;
  const int32_t height = prepared.height;

  if (settings.CopyOrgSizedImages && selection.big) {
    if (is_jpeg) {
      prepared.files.push_back({entry.BigName, {}, true});
    } else {
      prepared.files.push_back(
          {entry.BigName, EncodeJpegBytes(source, settings.QualityImages), false});
    }
  }
  if (selection.thumb) {
    prepared.files.push_back(
        {entry.ThumbName,
         ScaleAndEncode(workspace, ThumbnailSize(width, height, settings.MaxSizeThumbnails),
                        Lanczos3Filter, settings.QualityThumbnails),
         false});
  }
  if (selection.normal) {
    if (width > settings.MaxWidthImage || height > settings.MaxHeightImage) {
      prepared.files.push_back(
          {entry.NormalName,
           ScaleAndEncode(
               workspace,
               ResizedImageSize(width, height, settings.MaxWidthImage, settings.MaxHeightImage),
               FilterByIndex(settings.FilterIndex), settings.QualityImages),
           false});
    } else if (is_jpeg) {
      prepared.files.push_back({entry.NormalName, {}, true});
    } else {
      prepared.files.push_back(
          {entry.NormalName, EncodeJpegBytes(workspace.source, settings.QualityImages), false});
    }
  }
}

}  // namespace

void DecodeSourceInto(const KM_ListElement& entry, TBitmap& bitmap) {
  switch (entry.ImageKind) {
    case PictureKind::kBmp:
      bitmap.LoadFromFile(entry.FullPath);
      break;
    case PictureKind::kTiff: {
      TTIFFFile tiff;
      tiff.LoadFromFile(entry.FullPath);
      bitmap = std::move(tiff.Bitmap());
      break;
    }
    default: {
      TJPEGImage jpeg;
      jpeg.LoadFromFile(entry.FullPath);
      jpeg.DecodeInto(bitmap);
      break;
    }
  }
}

PreparedExport PrepareExport(const KM_Class& settings, const KM_ListElement& entry,
                             OutputSelection selection, ExportWorkspace& workspace) {
  PreparedExport prepared;
  if (!selection.Any()) return prepared;
  try {
    DecodeSourceInto(entry, workspace.source);
    PrepareFiles(settings, entry, selection, workspace, prepared);
  } catch (...) {
    prepared.error = std::current_exception();
  }
  if (workspace.source.Capacity() > ExportWorkspace::kKeptBytes) workspace.source.Release();
  if (workspace.scaled.Capacity() > ExportWorkspace::kKeptBytes) workspace.scaled.Release();
  return prepared;
}

PreparedExport PrepareDecodedExport(const KM_Class& settings, const KM_ListElement& entry,
                                    OutputSelection selection, ExportWorkspace& workspace) {
  PreparedExport prepared;
  if (!selection.Any()) return prepared;
  try {
    PrepareFiles(settings, entry, selection, workspace, prepared);
  } catch (...) {
    prepared.error = std::current_exception();
  }
  return prepared;
}

void CommitExport(const KM_Class& settings, KM_ListElement& entry, const PreparedExport& prepared) {
  if (prepared.decoded) {
    entry.Width = prepared.width;
    entry.Height = prepared.height;
  }
  const std::string folder = PathWithDelimiter(settings.OutputPath);
  for (const PreparedFile& file : prepared.files) {
    const std::string path = folder + file.name;
    if (file.copy_of_source) {
      // A JPEG published as it is: byte for byte, or without its GPS position when the
      // settings ask for that.
      if (settings.StripLocation) {
        CopyWithoutLocation(entry.FullPath, path);
      } else {
        CopyFileReplacing(entry.FullPath, path);
      }
    } else {
      WriteFileBytes(path, file.bytes.data(), file.bytes.size());
    }
  }
  if (prepared.error) std::rethrow_exception(prepared.error);
}

}  // namespace kelmora
