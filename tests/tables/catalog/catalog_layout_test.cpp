// Every catalogue layout declaration, and the file specification blocks of every table written
// out byte for byte from their key tables.
#include <gtest/gtest.h>

#include "tables/catalog/category.h"
#include "tables/catalog/guide_item.h"
#include "tables/catalog/inventory_item.h"
#include "tables/catalog/item.h"
#include "tables/catalog/item_unit.h"
#include "tables/catalog/menu_hdr.h"
#include "tables/catalog/special.h"
#include "tests/tables/catalog/catalog_test_util.h"

namespace {

template <class... R>
std::vector<std::string> Problems(const recfile::Layout<R>&... layouts) {
  return {recfile::CheckLayout(layouts)...};
}

TEST(CatalogLayouts, EveryDeclarationIsSound) {
  const std::vector<std::string> problems =
      Problems(kItemLayout, kItem0400Layout, kItem03094Layout, kItem0308Layout, kItem0208Layout,
               kItemUnitLayout, kItemUnit0400Layout, kItemUnit03094Layout, kItemUnit0308Layout,
               kItemUnit0301Layout, kCategoryLayout, kCategory0308Layout, kGuideItemLayout,
               kInventoryItemLayout, kMenuHdrLayout, kMenuHdr0403Layout, kSpecialLayout);
  for (size_t i = 0; i < problems.size(); ++i) {
    EXPECT_EQ(problems[i], "") << "layout " << i;
  }
}

TEST(CatalogFileSpecs, BlocksMatchTheKeyTables) {
  using cattest::SpecBlock;
  const std::vector<cattest::SegmentRow> item = {{1, 12, 0},     {16, 5, 0x13}, {1, 12, 0x03},
                                                 {21, 10, 0x03}, {13, 8, 0x13}, {1, 12, 0x03}};
  const std::vector<cattest::SegmentRow> unit = {
      {1, 13, 0x03}, {1, 12, 0x01}, {1, 12, 0x10}, {14, 3, 0}};
  const std::vector<cattest::SegmentRow> menu = {{1, 9, 0x03}, {10, 14, 0}};
  const std::pair<recfile::FileSpec, cattest::Bytes> cases[] = {
      {ItemFileSpec(387, true), SpecBlock(387, true, 4, item)},
      {ItemFileSpec(343, true), SpecBlock(343, true, 4, item)},
      {ItemFileSpec(347, true), SpecBlock(347, true, 4, item)},
      {ItemFileSpec(263, true), SpecBlock(263, true, 4, item)},
      {ItemFileSpec(272, false), SpecBlock(272, false, 4, item)},
      {ItemUnitFileSpec(356), SpecBlock(356, false, 3, unit)},
      {ItemUnitFileSpec(292), SpecBlock(292, false, 3, unit)},
      {CategoryFileSpec(48), SpecBlock(48, false, 1, {{1, 5, 0}})},
      {CategoryFileSpec(44), SpecBlock(44, false, 1, {{1, 5, 0}})},
      // Guide keys 1 and 3 are integers (extended type 1).
      {GuideItemFileSpec(),
       SpecBlock(33, false, 2,
                 {{1, 6, 0x13, 0}, {7, 4, 0x103, 1}, {1, 6, 0x10, 0}, {11, 4, 0x100, 1}})},
      {InventoryItemFileSpec(),
       SpecBlock(60, false, 4,
                 {{1, 21, 0x03}, {1, 6, 0x13}, {22, 7, 0x03}, {7, 12, 0x03}, {1, 6, 0x03}})},
      {MenuHdrFileSpec(127), SpecBlock(127, true, 2, menu)},
      {MenuHdrFileSpec(111), SpecBlock(111, true, 2, menu)},
      {SpecialFileSpec(), SpecBlock(52, false, 2, {{1, 21, 0}, {7, 15, 0x01}})},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(recfile::BuildSpecBlock(cases[i].first), cases[i].second) << "case " << i;
  }
}

}  // namespace
