#pragma once

#include "gallery/km_list.h"
#include "settings/km_class.h"
#include "shell/run_host.h"

namespace kelmora {

// The checks a creation run makes after the scan and before it writes its first file. Each
// check that fails has told the host why and returns false; the run then ends.

// ThumbPagesName, ImagePagesName and WebSiteExtension may hold no folder separator ("/" or
// "\"), no ".." and no control character, and the two page names must differ.
bool CheckPageNames(const KM_Class& settings, RunHost& host);

// Gives every picture output names of its own (AssignDistinctOutputNames) and tells the
// host, in one warning, which pictures were renamed and why.
void MakeOutputNamesDistinct(KM_List& list, RunHost& host);

// No two files of the gallery (pages and pictures) may have the same name.
bool CheckOutputsDistinct(const KM_Class& settings, const KM_List& list, RunHost& host);

// When the output folder is the input folder: says once that earlier outputs are inputs of
// this run, and fails when a file the run writes (pages, the pictures of positions 0 to
// last, and with copies_additional the files of AdditionalPath) would replace an input
// picture.
bool CheckSourcesKept(const KM_Class& settings, const KM_List& list, int last,
                      bool copies_additional, RunHost& host);

}  // namespace kelmora
