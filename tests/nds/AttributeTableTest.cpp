#include "nds/AttributeTable.h"

#include <gtest/gtest.h>

#include <set>

namespace welcomer {
namespace {

TEST(AttributeTableTest, NamesAndSyntaxesOfKnownRows) {
  struct Row {
    int ordinal;
    std::string name;
    int syntax;
  };
  const Row rows[] = {
      {0, "Account Balance", 22},
      {15, "Object Class", 3},
      {23, "Revision", 8},
      {29, "Full Name", 3},
      {44, "L", 3},
      {80, "Object Class", 20},
      {116, "Revision", 22},
      {138, "Unknown", 0},
      {142, "Volume", 1},
      {143, "", 8},
      {200, "", 8},
      {255, "", 8},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.ordinal);
    EXPECT_EQ(AttributeName(static_cast<uint8_t>(row.ordinal)), row.name);
    EXPECT_EQ(AttributeSyntax(static_cast<uint8_t>(row.ordinal)), row.syntax);
  }
}

TEST(AttributeTableTest, EveryNameIsUniqueButTheRepeats) {
  std::set<std::string> names;
  for (int ordinal = 0; ordinal < kAttributeCount; ++ordinal) {
    const std::string name = AttributeName(static_cast<uint8_t>(ordinal));
    EXPECT_FALSE(name.empty()) << ordinal;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(kAttributeCount - 2));
}

}  // namespace
}  // namespace welcomer
