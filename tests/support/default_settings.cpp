#include "support/default_settings.h"

namespace kelmora::test {

KM_Class DefaultGallerySettings() {
  KM_Class s;
  s.ThumbPagesName = "page";
  s.ImagePagesName = "image";
  s.WebSiteExtension = ".htm";
  s.QualityImages = s.QualityThumbnails = 90;
  s.MaxWidthImage = 800;
  s.MaxHeightImage = 600;
  s.MaxSizeThumbnails = 160;
  s.FilterIndex = 5;
  s.UseExif = s.AutoBrowserStart = true;
  s.BackgroundColor = 0xFFFFFF;  // white
  s.LinkColor = 0xFF0000;        // blue, red being the lowest byte
  s.VisitedLinkColor = 0x800080;
  s.RowsCount = s.ColsCount = 4;
  return s;
}

}  // namespace kelmora::test
