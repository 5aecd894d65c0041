// IPTC datasets of a Photoshop APP13 block, and the record list's operations.
#include "metadata/iptc_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metadata/img_data.h"
#include "support/param_names.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using Bytes = std::string;

Bytes Dataset(uint8_t record, uint8_t number, const Bytes& value) {
  return Bytes{'\x1C', char(record), char(number), char(value.size() >> 8), char(value.size())} +
         value;
}

// APP13 Data: length field, signature, an image-resource block holding the datasets.
Bytes App13Data(const Bytes& datasets, bool signature = true) {
  Bytes body = signature ? Bytes("Photoshop 3.0\0", 14) : Bytes(14, 'x');
  body += Bytes("8BIM\x04\x04\0\0", 8) + char(datasets.size() >> 24) + char(datasets.size() >> 16) +
          char(datasets.size() >> 8) + char(datasets.size()) + datasets;
  const size_t size = body.size() + 2;
  return Bytes{char(size >> 8), char(size)} + body;
}

struct Expected {
  const char* name;
  const char* value;
};

struct ParseCase {
  const char* title;
  Bytes data;
  std::vector<Expected> records;
};

class ParseIptcTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseIptcTest, KeepsKnownDatasets) {
  TIPTCdata iptc;
  iptc.ParseIptc(GetParam().data);
  ASSERT_EQ(iptc.IptcCount(), int32_t(GetParam().records.size())) << GetParam().title;
  for (size_t i = 0; i < GetParam().records.size(); ++i) {
    EXPECT_EQ(iptc.IptcRecord(int32_t(i)).Name, GetParam().records[i].name) << GetParam().title;
    EXPECT_EQ(iptc.IptcRecord(int32_t(i)).Data, GetParam().records[i].value) << GetParam().title;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Datasets, ParseIptcTest,
    testing::Values(ParseCase{"repeated keywords join",
                              App13Data(Dataset(2, 25, "a") + Dataset(2, 120, "cap") +
                                        Dataset(2, 25, "b") + Dataset(2, 25, "c")),
                              {{"Keywords", "a,b,c"}, {"ImageCaption", "cap"}}},
                    ParseCase{"supplemental categories join",
                              App13Data(Dataset(2, 20, "x") + Dataset(2, 20, "y")),
                              {{"SuppCategory", "x,y"}}},
                    ParseCase{"repeated object names stay apart",
                              App13Data(Dataset(2, 5, "one") + Dataset(2, 5, "two")),
                              {{"ObjectName", "one"}, {"ObjectName", "two"}}},
                    ParseCase{"record version is never kept",
                              App13Data(Dataset(2, 0, Bytes("\0\4", 2)) + Dataset(2, 90, "Oslo")),
                              {{"City", "Oslo"}}},
                    ParseCase{"record 8 dataset 10 is Subfile",
                              App13Data(Dataset(2, 10, "5") + Dataset(8, 10, "sub")),
                              {{"Urgency", "5"}, {"Subfile", "sub"}}},
                    ParseCase{"unknown datasets and records are skipped",
                              App13Data(Dataset(2, 99, "?") + Dataset(2, 116, "(c)") +
                                        Dataset(3, 5, "no") + Dataset(2, 80, "me")),
                              {{"Copyright", "(c)"}, {"ByLine", "me"}}},
                    ParseCase{"without the signature the search starts early",
                              App13Data(Dataset(2, 90, "Rome"), false),
                              {{"City", "Rome"}}},
                    ParseCase{"no dataset marker", App13Data("no datasets here"), {}},
                    ParseCase{"value running past the end is cut",
                              App13Data(Dataset(2, 90, "Rome")).substr(0, 40) +
                                  Bytes("\x1C\x02\x5A\x01\0ab", 7),
                              {{"City", "Rome"}, {"City", "ab"}}},
                    ParseCase{"extended length form",
                              App13Data(Bytes("\x1C\x02\x78\x80\x02\x00\x03", 7) + "cap" +
                                        Dataset(2, 90, "Oslo")),
                              {{"ImageCaption", "cap"}, {"City", "Oslo"}}},
                    ParseCase{"empty data", "", {}}),
    [](const auto& item) { return test::TestNameOf(item.param.title); });

class IptcListTest : public testing::Test {
 protected:
  TIPTCdata iptc_;
};

TEST_F(IptcListTest, SetAddAndWriteByName) {
  EXPECT_EQ(iptc_.SetIptcValue("city", "Oslo"), 0);
  EXPECT_EQ(iptc_.IptcRecord(0).Name, "City");
  EXPECT_EQ(iptc_.IptcRecord(0).Tag, 90);
  EXPECT_EQ(iptc_.SetIptcValue("City", ""), 0);  // an empty value changes nothing
  EXPECT_EQ(iptc_.IptcValueOf("CITY", "-"), "Oslo");
  EXPECT_EQ(iptc_.AddIptcValue("City", "Bergen"), 0);
  EXPECT_EQ(iptc_.IptcValueOf("City", "-"), "Oslo,Bergen");
  EXPECT_EQ(iptc_.AddIptcValue("Keywords", "k1"), 1);
  // Writing replaces the repeatable datasets and joins the others.
  EXPECT_EQ(iptc_.WriteIptcValue("Keywords", "k2"), 1);
  EXPECT_EQ(iptc_.IptcValueOf("Keywords", ""), "k2");
  EXPECT_EQ(iptc_.WriteIptcValue("City", "Oslo"), 0);
  EXPECT_EQ(iptc_.IptcValueOf("City", ""), "Oslo,Bergen,Oslo");
  EXPECT_EQ(iptc_.WriteIptcValue("Subfile", "s"), 2);
  EXPECT_EQ(iptc_.IptcRecord(2).Record, 8);
}

TEST_F(IptcListTest, UnknownNamesAreRefused) {
  EXPECT_EQ(iptc_.SetIptcValue("Nope", "x"), -1);
  EXPECT_EQ(iptc_.AddIptcValue("Nope", "x"), -1);
  EXPECT_EQ(iptc_.WriteIptcValue("Nope", "x"), -1);
  EXPECT_EQ(iptc_.SetIptcValue("SKIP", "x"), -1);  // the record version row has tag 0
  EXPECT_EQ(iptc_.IptcCount(), 0);
  EXPECT_EQ(iptc_.IptcValueOf("Nope", "fallback"), "fallback");
}

TEST_F(IptcListTest, RemoveAndCount) {
  iptc_.SetIptcValue("City", "a");
  iptc_.SetIptcValue("State", "b");
  iptc_.SetIptcValue("Source", "c");
  iptc_.RemoveIptcTag("state");
  ASSERT_EQ(iptc_.IptcCount(), 2);
  EXPECT_EQ(iptc_.IptcRecord(1).Name, "Source");
  EXPECT_EQ(iptc_.FindIptcTag("State"), -1);
  iptc_.RemoveIptcTag("State");  // nothing to remove
  EXPECT_EQ(iptc_.IptcCount(), 2);
  iptc_.SetIptcCount(1);
  EXPECT_EQ(iptc_.IptcCount(), 1);
  EXPECT_TRUE(iptc_.HasIptc());
  iptc_.ClearIptc();
  EXPECT_FALSE(iptc_.HasIptc());
}

TEST(IptcDictionary, HasEveryRowOnce) {
  EXPECT_EQ(TIPTCdata::IptcDictionarySize(), 32);
  EXPECT_EQ(TIPTCdata::IptcDictionaryIndex("skip"), 0);
  EXPECT_EQ(TIPTCdata::IptcDictionaryRow(TIPTCdata::IptcDictionaryIndex("State")).Desc,
            "Province/State");
  for (int32_t i = 0; i < TIPTCdata::IptcDictionarySize(); ++i) {
    EXPECT_EQ(TIPTCdata::IptcDictionaryIndex(TIPTCdata::IptcDictionaryRow(i).Name), i);
  }
}

TEST(ReadIptcFile, ReadsTheApp13OfAFile) {
  test::TempDir dir;
  const Bytes app13 = App13Data(Dataset(2, 25, "sea") + Dataset(2, 25, "sun"));
  const Bytes jpeg = Bytes("\xFF\xD8\xFF\xED", 4) + app13 + Bytes("\xFF\xDA\0\x02", 4);
  const std::string path = dir / "i.jpg";
  test::WriteBytes(path, std::vector<uint8_t>(jpeg.begin(), jpeg.end()));
  TIPTCdata iptc;
  ASSERT_TRUE(iptc.ReadIptcFile(path));
  EXPECT_EQ(iptc.IptcValueOf("Keywords", ""), "sea,sun");
  // The reader a container holds reads a file without touching its container.
  TimgData container(DetailLevel::kAll);
  ASSERT_TRUE(container.ReadImageFile(path));
  ASSERT_NE(container.IptcInfo, nullptr);
  EXPECT_TRUE(container.IptcInfo->ReadIptcFile(path));
  EXPECT_EQ(container.IptcInfo->IptcValueOf("Keywords", ""), "sea,sun");
  EXPECT_EQ(container.SourcePath, path);
  EXPECT_FALSE(iptc.ReadIptcFile(dir / "missing.jpg"));
  EXPECT_EQ(iptc.IptcCount(), 0);
}

}  // namespace
}  // namespace kelmora
