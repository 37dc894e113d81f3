// The layout readers of the catalogue tables.
#include "tables/catalog/category.h"
#include "tables/catalog/guide_item.h"
#include "tables/catalog/inventory_item.h"
#include "tables/catalog/item.h"
#include "tables/catalog/item_unit.h"
#include "tables/catalog/menu_hdr.h"
#include "tables/catalog/special.h"
#include "tests/fuzz/layout_readers.h"

namespace fuzz {

std::span<const LayoutReader> CatalogReaders() {
  static constexpr LayoutReader kReaders[] = {
      Current<kItemLayout>,
      Legacy<kItem0400Layout, kItemLayout>,
      Legacy<kItem03094Layout, kItemLayout>,
      Legacy<kItem0308Layout, kItemLayout>,
      Legacy<kItem0208Layout, kItemLayout>,
      Current<kItemUnitLayout>,
      Legacy<kItemUnit0400Layout, kItemUnitLayout>,
      Legacy<kItemUnit03094Layout, kItemUnitLayout>,
      Legacy<kItemUnit0308Layout, kItemUnitLayout>,
      Legacy<kItemUnit0301Layout, kItemUnitLayout>,
      Current<kCategoryLayout>,
      Legacy<kCategory0308Layout, kCategoryLayout>,
      Current<kGuideItemLayout>,
      Current<kSpecialLayout>,
      Current<kInventoryItemLayout>,
      Current<kMenuHdrLayout>,
      Legacy<kMenuHdr0403Layout, kMenuHdrLayout>,
  };
  return kReaders;
}

}  // namespace fuzz
