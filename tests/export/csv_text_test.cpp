#include "export/csv_text.h"

#include <gtest/gtest.h>

namespace gvde {
namespace {

using Json = nlohmann::ordered_json;

TEST(CsvTextTest, FieldsWithCommasQuotesOrLineBreaksAreQuoted) {
  EXPECT_EQ(CsvRow({"plain", "a,b", "say \"hi\"", "two\nlines", "cr\r", ""}),
            "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\",\r\n");
  EXPECT_EQ(CsvRow({"x"}), "x\r\n");
}

TEST(CsvTextTest, ValuesAsFields) {
  EXPECT_EQ(CsvField(Json(nullptr)), "");
  EXPECT_EQ(CsvField(Json("Gold")), "Gold");
  EXPECT_EQ(CsvField(Json(-12)), "-12");
  EXPECT_EQ(CsvField(Json(true)), "true");
  EXPECT_EQ(CsvField(Json::array({1, 2, 3})), "1; 2; 3");
  EXPECT_EQ(CsvField(Json::array()), "");
  // Effect entries by their text; the picture entry has none.
  const Json effects = Json::array({{{"code", 44}, {"text", nullptr}}, {{"code", 1}, {"text", "+5% to hit"}},
                                    {{"code", 2}, {"text", "Armor: 3"}}});
  EXPECT_EQ(CsvField(effects), "+5% to hit; Armor: 3");
}

}  // namespace
}  // namespace gvde
