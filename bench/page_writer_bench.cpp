// Writing the page set of a large gallery: 20,000 images, 100-line templates.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gallery/km_list.h"

namespace kelmora {
namespace {

constexpr int kImages = 20000;
constexpr int kTemplateLines = 100;

// A template of 100 lines in the shape real ones have: mostly markup, with a macro on
// about every fourth line.
std::vector<std::string> MakeTemplate(const std::vector<std::string>& macro_lines) {
  std::vector<std::string> lines;
  size_t next_macro = 0;
  for (int i = 0; lines.size() < kTemplateLines; ++i) {
    if (i % 4 == 0 && next_macro < macro_lines.size()) {
      lines.push_back(macro_lines[next_macro++]);
    } else {
      lines.push_back("  <div class=\"block" + std::to_string(i) +
                      "\">Some static text of the page, line " + std::to_string(i) + "</div>");
    }
  }
  return lines;
}

KM_Class MakeSettings(const std::string& output) {
  KM_Class s;
  s.OutputPath = output;
  s.ThumbPagesName = "page";
  s.ImagePagesName = "image";
  s.WebSiteExtension = ".htm";
  s.ColsCount = s.RowsCount = 4;
  s.SubtitleIndex = SubtitleKind::kFileNameWithoutExtension;
  s.Title = "A gallery of twenty thousand pictures";
  s.BackgroundColor = 0xFFFFFF;
  s.LinkColor = 0xFF0000;
  const std::vector<std::string> common = {
      "<title>@title@ (page @cp@ of @tp@)</title>",
      "<body bgcolor=\"@bg_color@\" text=\"@text_color@\" link=\"@link_color@\" "
      "vlink=\"@vlink_color@\">",
      "@iof@<a href=\"@first@\">first</a>",
      "@iof@<a href=\"@prev@\">previous</a>",
      "@iol@<a href=\"@next@\">next</a>",
      "@iol@<a href=\"@last@\">last</a>",
      "@oof@<span>first page</span>",
      "@ool@<span>last page</span>",
      "@ignore@ a note for the author",
      "<h1>@title@</h1>",
  };
  std::vector<std::string> thumbs = common;
  thumbs.push_back("<table>@thumbtable@");
  thumbs.push_back("</table>");
  std::vector<std::string> images = common;
  for (const char* line :
       {"<img src=\"@image_smaller@\" alt=\"@image_org_ext@\">", "<p>@exifcomment@</p>",
        "<a href=\"@image_big@\">full size: @image_org@</a>", "<a href=\"@thumbs@\">index</a>"}) {
    images.push_back(line);
  }
  s.HTMLThumbnails = MakeTemplate(thumbs);
  s.HTMLImages = MakeTemplate(images);
  return s;
}

void AddImages(KM_List& list) {
  for (int i = 0; i < kImages; ++i) {
    KM_ListElement e;
    const std::string base = "DSC_" + std::to_string(10000 + i);
    e.FileName = base + ".JPG";
    e.BigName = "b_" + base + ".jpg";
    e.ThumbName = "t_" + base + ".jpg";
    e.NormalName = "n_" + base + ".jpg";
    e.ExifComment = i % 3 == 0 ? "Evening light over the harbour" : "";
    list.AddEntry(std::move(e));
  }
}

// Arg 0: every run writes into an empty folder, as the first run of a gallery does.
// Arg 1: every run replaces the pages of the run before.
void BenchCreateWebPages(benchmark::State& state) {
  const bool replace = state.range(0) == 1;
  // KELMORA_BENCH_DIR=/dev/shm separates the cost of the code from that of the disk.
  const char* base = std::getenv("KELMORA_BENCH_DIR");
  std::string pattern = std::string(base ? base : "/tmp") + "/kelmora-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    state.SkipWithError("cannot create the output folder");
    return;
  }
  const std::string output = pattern;
  KM_Class settings = MakeSettings(output);
  KM_List list(settings);
  AddImages(list);
  if (replace) list.CreateWebPages();
  int run = 0;
  for (auto _ : state) {
    if (!replace) {
      state.PauseTiming();
      settings.OutputPath = output + "/" + std::to_string(++run);
      std::filesystem::create_directory(settings.OutputPath);
      state.ResumeTiming();
    }
    list.CreateWebPages();
  }
  state.counters["pages"] = kImages + kImages / 16;
  std::filesystem::remove_all(output);
}
BENCHMARK(BenchCreateWebPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The expansion alone, without writing files.
void BenchProcessTemplateAllPages(benchmark::State& state) {
  const KM_Class settings = MakeSettings("");
  KM_List list(settings);
  AddImages(list);
  std::vector<std::string> page;
  for (auto _ : state) {
    for (int k = 1; k <= kImages / 16; ++k) {
      list.ProcessTemplate(settings.HTMLThumbnails, page, kImages / 16, k, "page");
    }
    for (int n = 1; n <= kImages; ++n) {
      list.ProcessTemplate(settings.HTMLImages, page, kImages, n, "image");
    }
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(BenchProcessTemplateAllPages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
