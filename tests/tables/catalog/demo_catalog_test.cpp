// The catalogue demo writers: every step's file is written in its legacy layout and converts
// completely into the current one (no unreadable record, no duplicate key after upper-casing).
#include <gtest/gtest.h>

#include <random>

#include "tables/catalog/category.h"
#include "tables/catalog/guide_item.h"
#include "tables/catalog/inventory_item.h"
#include "tables/catalog/item.h"
#include "tables/catalog/item_unit.h"
#include "tables/catalog/menu_hdr.h"
#include "tables/catalog/special.h"
#include "tests/tables/catalog/catalog_test_util.h"
#include "tools/mkdemo/demo.h"

namespace {

constexpr int kRecords = 40;

class CatalogDemo : public rectest::InScratchDir {
 protected:
  void SetUp() override {
    InScratchDir::SetUp();
    demo::RegisterCatalogDemos(registry_);
  }
  void Write(const std::string& step, int records = kRecords) {
    demo::Context ctx{records, &rng_, ""};
    ASSERT_EQ(registry_.at(step)(ctx), 0) << ctx.error;
    EXPECT_EQ(ctx.error, "");
  }

  // Writes the demo file of `step` and upgrades it; every record must convert.
  template <class LegacyDB, class CurrentDB, class Old, class New>
  void Check(const char* step, const char* name) {
    Write(step);
    EXPECT_EQ((cattest::Upgrade<LegacyDB, CurrentDB, Old, New>(name)), kRecords) << step;
  }

  std::mt19937 rng_{7};
  demo::Registry registry_;
};

TEST_F(CatalogDemo, EveryStepConvertsCompletely) {
  Check<CItem0208DB, CItemDB, CItem0208, CItem>("14a", "ITEM.DB");
  Check<CItem0308DB, CItemDB, CItem0308, CItem>("14b", "ITEM.DB");
  Check<CItem03094DB, CItemDB, CItem03094, CItem>("14c", "ITEM.DB");
  Check<CItem0400DB, CItemDB, CItem0400, CItem>("14d", "ITEM.DB");
  Check<CItemUnit0301DB, CItemUnitDB, CItemUnit0301, CItemUnit>("17a", "ItemUnit.DB");
  Check<CItemUnit0308DB, CItemUnitDB, CItemUnit0308, CItemUnit>("17b", "ITEMUNIT.DB");
  Check<CItemUnit03094DB, CItemUnitDB, CItemUnit03094, CItemUnit>("17c", "ITEMUNIT.DB");
  Check<CItemUnit0400DB, CItemUnitDB, CItemUnit0400, CItemUnit>("17d", "ITEMUNIT.DB");
  Check<CGuideItemDB, CGuideItemDB, CGuideItem, CGuideItem>("1", "GDEITEM.DB");
  EXPECT_EQ((cattest::Upgrade<CGuideItemDB, CGuideItemDB, CGuideItem, CGuideItem>("LGDEITM.DB")),
            kRecords);
  Check<CInventoryItemDB, CInventoryItemDB, CInventoryItem, CInventoryItem>("12", "INVITEM.DB");
  Check<CCategory0308DB, CCategoryDB, CCategory0308, CCategory>("19", "CATEGORY.DB");
  Check<CMenuHdr0403DB, CMenuHdrDB, CMenuHdr0403, CMenuHdr>("21", "MenuHdr.DB");
}

TEST_F(CatalogDemo, SpecialsKeepOnlyTheCurrentOnes) {
  Write("4", 60);
  const int all = static_cast<int>(cattest::ReadFile("SPECIAL.DB").size());
  EXPECT_EQ(all, 60);
  const int current = cattest::Upgrade<CSpecialDB, CSpecialDB, CSpecial, CSpecial>("SPECIAL.DB");
  EXPECT_GT(current, 0);
  EXPECT_LT(current, all);  // passed ones and those dated -1 are dropped
}

}  // namespace
