// Every catalogue table: its layout declarations, the specification block its CreateFile hands to
// Create, byte for byte from the key tables, and the statuses its reads and inserts answer.
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

using namespace cattest;

TEST(CatalogLayouts, EveryDeclarationIsSound) {
  rectest::ExpectSoundLayouts(
      kItemLayout, kItem0400Layout, kItem03094Layout, kItem0308Layout, kItem0208Layout,
      kItemUnitLayout, kItemUnit0400Layout, kItemUnit03094Layout, kItemUnit0308Layout,
      kItemUnit0301Layout, kCategoryLayout, kCategory0308Layout, kGuideItemLayout,
      kInventoryItemLayout, kMenuHdrLayout, kMenuHdr0403Layout, kSpecialLayout);
}

TEST(CatalogFileSpecs, BlocksMatchTheKeyTables) {
  const std::vector<Seg> item = {{1, 12, 0},     {16, 5, 0x13}, {1, 12, 0x03},
                                 {21, 10, 0x03}, {13, 8, 0x13}, {1, 12, 0x03}};
  const std::vector<Seg> unit = {{1, 13, 0x03}, {1, 12, 0x01}, {1, 12, 0x10}, {14, 3, 0}};
  const std::vector<Seg> menu = {{1, 9, 0x03}, {10, 14, 0}};
  const std::pair<Bytes, Bytes> cases[] = {
      {CapturedBlock<CItemDB>(), SpecBlock(387, true, 4, item)},
      {CapturedBlock<CItem0400DB>(), SpecBlock(343, true, 4, item)},
      {CapturedBlock<CItem03094DB>(), SpecBlock(347, true, 4, item)},
      {CapturedBlock<CItem0308DB>(), SpecBlock(263, true, 4, item)},
      {CapturedBlock<CItem0208DB>(), SpecBlock(272, false, 4, item)},
      {CapturedBlock<CItemUnitDB>(), SpecBlock(356, false, 3, unit)},
      {CapturedBlock<CItemUnit0301DB>(), SpecBlock(292, false, 3, unit)},
      {CapturedBlock<CCategoryDB>(), SpecBlock(48, false, 1, {{1, 5, 0}})},
      {CapturedBlock<CCategory0308DB>(), SpecBlock(44, false, 1, {{1, 5, 0}})},
      // Guide keys 1 and 3 are integers (extended type 1).
      {CapturedBlock<CGuideItemDB>(),
       SpecBlock(33, false, 2,
                 {{1, 6, 0x13, 0}, {7, 4, 0x103, 1}, {1, 6, 0x10, 0}, {11, 4, 0x100, 1}})},
      {CapturedBlock<CInventoryItemDB>(),
       SpecBlock(60, false, 4,
                 {{1, 21, 0x03}, {1, 6, 0x13}, {22, 7, 0x03}, {7, 12, 0x03}, {1, 6, 0x03}})},
      {CapturedBlock<CMenuHdrDB>(), SpecBlock(127, true, 2, menu)},
      {CapturedBlock<CMenuHdr0403DB>(), SpecBlock(111, true, 2, menu)},
      {CapturedBlock<CSpecialDB>(), SpecBlock(52, false, 2, {{1, 21, 0}, {7, 15, 0x01}})},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
  }
}

TEST(CatalogTables, AnswerTheCommonStatuses) {
  rectest::ExpectReaderStatuses<CItemDB>(kItemLayout);
  rectest::ExpectReaderStatuses<CItem0400DB>(kItem0400Layout);
  rectest::ExpectReaderStatuses<CItem03094DB>(kItem03094Layout);
  rectest::ExpectReaderStatuses<CItem0308DB>(kItem0308Layout);
  rectest::ExpectReaderStatuses<CItem0208DB>(kItem0208Layout);
  rectest::ExpectReaderStatuses<CItemUnitDB>(kItemUnitLayout);
  rectest::ExpectReaderStatuses<CItemUnit0400DB>(kItemUnit0400Layout);
  rectest::ExpectReaderStatuses<CItemUnit03094DB>(kItemUnit03094Layout);
  rectest::ExpectReaderStatuses<CItemUnit0308DB>(kItemUnit0308Layout);
  rectest::ExpectReaderStatuses<CItemUnit0301DB>(kItemUnit0301Layout);
  rectest::ExpectReaderStatuses<CCategoryDB>(kCategoryLayout);
  rectest::ExpectReaderStatuses<CCategory0308DB>(kCategory0308Layout);
  rectest::ExpectReaderStatuses<CGuideItemDB>(kGuideItemLayout);
  rectest::ExpectReaderStatuses<CInventoryItemDB>(kInventoryItemLayout);
  rectest::ExpectReaderStatuses<CMenuHdrDB>(kMenuHdrLayout);
  rectest::ExpectReaderStatuses<CMenuHdr0403DB>(kMenuHdr0403Layout);
  rectest::ExpectReaderStatuses<CSpecialDB>(kSpecialLayout);
}

}  // namespace
