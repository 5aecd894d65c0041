// The IPTC dataset parser on arbitrary APP13 data, then edits of the records it found.
#include <cstdint>
#include <string>
#include <string_view>

#include "metadata/iptc_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 70000) return 0;  // an APP13 segment holds at most 65535 bytes
  kelmora::TIPTCdata iptc;
  iptc.ParseIptc(std::string_view(reinterpret_cast<const char*>(data), size));
  // Each round edits and removes one record, so the list shrinks as it is walked.
  for (int32_t round = 0; round < 8 && iptc.IptcCount() > 0; ++round) {
    const std::string name = iptc.IptcRecord(round % iptc.IptcCount()).Name;
    iptc.WriteIptcValue(name, "x");
    static_cast<void>(iptc.IptcValueOf(name, ""));
    iptc.RemoveIptcTag(name);
  }
  return 0;
}
