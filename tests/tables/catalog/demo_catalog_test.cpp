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

using namespace cattest;

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
  template <class LegacyDB, class Legacy, class CurrentDB, class Current>
  void Check(const char* step, const char* name = nullptr) {
    SCOPED_TRACE(step);
    if (name == nullptr) {
      Write(step);
    }
    EXPECT_EQ((RunStep<LegacyDB, Legacy, CurrentDB, Current>(0, 0, {0}, name).converted.size()),
              static_cast<size_t>(kRecords));
  }

  std::mt19937 rng_{7};
  demo::Registry registry_;
};

TEST_F(CatalogDemo, EveryStepConvertsCompletely) {
  Check<CItem0208DB, CItem0208, CItemDB, CItem>("14a");
  Check<CItem0308DB, CItem0308, CItemDB, CItem>("14b");
  Check<CItem03094DB, CItem03094, CItemDB, CItem>("14c");
  Check<CItem0400DB, CItem0400, CItemDB, CItem>("14d");
  Check<CItemUnit0301DB, CItemUnit0301, CItemUnitDB, CItemUnit>("17a");
  Check<CItemUnit0308DB, CItemUnit0308, CItemUnitDB, CItemUnit>("17b");
  Check<CItemUnit03094DB, CItemUnit03094, CItemUnitDB, CItemUnit>("17c");
  Check<CItemUnit0400DB, CItemUnit0400, CItemUnitDB, CItemUnit>("17d");
  Check<CGuideItemDB, CGuideItem, CGuideItemDB, CGuideItem>("1");
  Check<CGuideItemDB, CGuideItem, CGuideItemDB, CGuideItem>("1", "LGDEITM.DB");  // also of step 1
  Check<CInventoryItemDB, CInventoryItem, CInventoryItemDB, CInventoryItem>("12");
  Check<CCategory0308DB, CCategory0308, CCategoryDB, CCategory>("19");
  Check<CMenuHdr0403DB, CMenuHdr0403, CMenuHdrDB, CMenuHdr>("21");
}

TEST_F(CatalogDemo, SpecialsKeepOnlyTheCurrentOnes) {
  Write("4", 60);
  EXPECT_EQ(cattest::ReadFile("SPECIAL.DB").size(), 60u);
  const size_t current = RunStep<CSpecialDB, CSpecial, CSpecialDB, CSpecial>(0).converted.size();
  EXPECT_GT(current, 0u);
  EXPECT_LT(current, 60u);  // passed ones and those dated -1 are dropped
}

}  // namespace
