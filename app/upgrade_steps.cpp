// The step table of the upgrade run. Read it beside the list of layouts per release: v is the
// profile's database version (major * 256 + minor: 513 is 2.01), b its build.
#include "app/upgrade_steps.h"

#include <set>
#include <string>
#include <type_traits>

#include "app/step_procedure.h"
#include "platform/files/files.h"
#include "tables/catalog/category.h"
#include "tables/catalog/guide_item.h"
#include "tables/catalog/inventory_item.h"
#include "tables/catalog/item.h"
#include "tables/catalog/item_unit.h"
#include "tables/catalog/menu_hdr.h"
#include "tables/catalog/special.h"
#include "tables/customers/ar.h"
#include "tables/customers/customer.h"
#include "tables/customers/dev_cost.h"
#include "tables/customers/manual_price.h"
#include "tables/customers/price_contract.h"
#include "tables/customers/price_seq.h"
#include "tables/customers/whs_markup.h"
#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"

namespace upgrade {
namespace {

constexpr int kNoBit = -1;
// Statuses of a first read that mean "no record": the end of the file, and no record found.
constexpr int kEnd = btr::kEndOfFile;
constexpr int kNone = btr::kKeyNotFound;

// ---- The classes of each step: legacy table, current table, their record classes. ----

// Order guide items are rebuilt in the one layout; the record is copied by its own operation.
struct GuideItems : Plain<CGuideItemDB, CGuideItemDB, CGuideItem, CGuideItem> {
  static void Convert(const CGuideItem& from, CGuideItem& to) { to.Copy(from); }
};
// Price contracts are read on key 1; one that is not in force today (4) is kept all the same.
template <class L, class Old>
struct PriceContracts : OnKey<L, CPriceContractDB, Old, CPriceContract, 1> {
  static constexpr ReadRules kRules{.status4IsRecord = true};
};
using PriceContracts0200 = PriceContracts<CPriceContract0200DB, CPriceContract0200>;
using PriceContracts0202 = PriceContracts<CPriceContract0202DB, CPriceContract0202>;
using WhsMarkup0200 = OnKey<CWhsMarkup0200DB, CWhsMarkupDB, CWhsMarkup0200, CWhsMarkup, 2>;
// Specials are rebuilt in the one layout; the readers drop passed specials themselves.
struct Specials : Plain<CSpecialDB, CSpecialDB, CSpecial, CSpecial> {
  static int First(CSpecialDB& legacy, CSpecial& record) { return legacy.ReadFirst(record, 0); }
  static int Next(CSpecialDB& legacy, CSpecial& record) {
    return legacy.ReadNext(record, 0, false);
  }
};
using PriceSeq0201 = OnKey<CPriceSeq0201DB, CPriceSeqDB, CPriceSeq0201, CPriceSeq, 0>;
using ManualPrice0202 = Plain<CManualPrice0202DB, CManualPriceDB, CManualPrice0202, CManualPrice>;
using ManualPrice0203 = Plain<CManualPrice0203DB, CManualPriceDB, CManualPrice0203, CManualPrice>;
// Order lines and historical order headers that carry no number of their own (line -1, order 0)
// get the first free one; numbers stored in the legacy file count as taken too.
template <class L, class N, class Old, class New>
struct Numbered : Plain<L, N, Old, New> {
  static int Prepare(L& legacy, N& current) {
    return current.AvoidNumbersIn(legacy.CurrentFileName());
  }
  static bool Renumbers(const New& record) {
    if constexpr (std::is_same_v<New, COrderItem>) {
      return record.LineNumber == -1;
    } else {
      return record.OrderNumber == 0;
    }
  }
};
using OrderLines0202 = Numbered<COrderItem0202DB, COrderItemDB, COrderItem0202, COrderItem>;
using OrderLines0304 = Numbered<COrderItem0304DB, COrderItemDB, COrderItem0304, COrderItem>;
using HistLines0202 = Numbered<CHistOrderItem0202DB, CHistOrderItemDB, COrderItem0202, COrderItem>;
using HistLines0304 = Numbered<CHistOrderItem0304DB, CHistOrderItemDB, COrderItem0304, COrderItem>;
// Velocity records of 0304 and 0401 that cannot be read whole (22) are left out and counted.
template <class L, class Old>
struct VelocitySkipping : Plain<L, CVelocityDB, Old, CVelocity> {
  static constexpr ReadRules kRules{.skipStatus22 = true};
};
using Velocity0201 = Plain<CVelocity0201DB, CVelocityDB, CVelocity0201, CVelocity>;
using Velocity0208 = Plain<CVelocity0208DB, CVelocityDB, CVelocity0208, CVelocity>;
using Velocity0304 = VelocitySkipping<CVelocity0304DB, CVelocity0304>;
using Velocity0401 = VelocitySkipping<CVelocity0401DB, CVelocity0401>;
// Every modem profile gets the next free code as it is inserted.
template <class L, class Old>
struct Modems : Plain<L, CModemProfileDB, Old, CModemProfile> {
  static bool Renumbers(const CModemProfile&) { return true; }
};
using Modem0208 = Modems<CModemProfile0208DB, CModemProfile0208>;
using Modem0300 = Modems<CModemProfile0300DB, CModemProfile0300>;
// Headers are read from the first one on key 0, so that negative order numbers are converted.
using Orders0301 = Plain<COrder0301DB, COrderDB, COrder0301, COrder>;
using Orders0304 = Plain<COrder0304DB, COrderDB, COrder0304, COrder>;
using Orders0306 = Plain<COrder0306DB, COrderDB, COrder0306, COrder>;
using Orders0308 = Plain<COrder0308DB, COrderDB, COrder0308, COrder>;
using Orders0401 = Plain<COrder0401DB, COrderDB, COrder0401, COrder>;
using HistOrders0301 = Numbered<CHistOrder0301DB, CHistOrderDB, COrder0301, COrder>;
using HistOrders0304 = Numbered<CHistOrder0304DB, CHistOrderDB, COrder0304, COrder>;
using HistOrders0306 = Numbered<CHistOrder0306DB, CHistOrderDB, COrder0306, COrder>;
using HistOrders0308 = Numbered<CHistOrder0308DB, CHistOrderDB, COrder0308, COrder>;
using HistOrders0401 = Numbered<CHistOrder0401DB, CHistOrderDB, COrder0401, COrder>;
using Terms0204 = Plain<CTerms0204DB, CTermsDB, CTerms0204, CTerms>;
using Ar0204 = Plain<CAr0204DB, CArDB, CAr0204, CAr>;
using InventoryItems = Plain<CInventoryItemDB, CInventoryItemDB, CInventoryItem, CInventoryItem>;
using Item0208 = Plain<CItem0208DB, CItemDB, CItem0208, CItem>;
using Item0308 = Plain<CItem0308DB, CItemDB, CItem0308, CItem>;
using Item03094 = Plain<CItem03094DB, CItemDB, CItem03094, CItem>;
using Item0400 = Plain<CItem0400DB, CItemDB, CItem0400, CItem>;
using ItemUnit0301 = Plain<CItemUnit0301DB, CItemUnitDB, CItemUnit0301, CItemUnit>;
using ItemUnit0308 = Plain<CItemUnit0308DB, CItemUnitDB, CItemUnit0308, CItemUnit>;
using ItemUnit03094 = Plain<CItemUnit03094DB, CItemUnitDB, CItemUnit03094, CItemUnit>;
using ItemUnit0400 = Plain<CItemUnit0400DB, CItemUnitDB, CItemUnit0400, CItemUnit>;
using Customer0302 = OnKey<CCustomer0302DB, CCustomerDB, CCustomer0302, CCustomer, 0>;
using Customer0308 = OnKey<CCustomer0308DB, CCustomerDB, CCustomer0308, CCustomer, 0>;
using Category0308 = Plain<CCategory0308DB, CCategoryDB, CCategory0308, CCategory>;
using DevCost0402 = Plain<CDevCost0402DB, CDevCostDB, CDevCost0402, CDevCost>;
using MenuHdr0403 = Plain<CMenuHdr0403DB, CMenuHdrDB, CMenuHdr0403, CMenuHdr>;

// The order guide step handles "GDEITEM.DB" and then, with the same tables, "LGDEITM.DB",
// which is counted and reported like any other file when it exists.
constexpr const char* kLocalGuideFile = "LGDEITM.DB";

StepResult RunGuideItems(RunHost& host, const Step& step) {
  CGuideItemDB legacy;
  CGuideItemDB current;
  host.BeginTable(legacy.GetDisplayName());
  host.FileStarted();
  StepResult result = ConvertFile<GuideItems>(host, step, legacy, current, step.file);
  if (result.outcome == Outcome::Cancelled || host.CancelRequested()) {
    return {Outcome::Cancelled, 0, result.displayName, {}};
  }
  if (files::Exists(kLocalGuideFile)) {
    host.FileStarted();
  }
  const StepResult local = ConvertFile<GuideItems>(host, step, legacy, current, kLocalGuideFile);
  if (result.outcome != Outcome::Failed &&
      (local.outcome == Outcome::Failed || local.outcome == Outcome::Cancelled)) {
    result = local;
  }
  return result;
}

int32_t CountGuideItems(const Step& step, int32_t* files) {
  int32_t records = CountStep<GuideItems>(step, files);
  CGuideItemDB local;
  if (local.Open(kLocalGuideFile) == 0) {
    ++*files;
    records += CountRecords(local);
  }
  return records;
}

std::vector<FileCheck> CheckGuideItems(const Step& step, bool readRecords) {
  std::vector<FileCheck> checks = CheckStep<GuideItems>(step, readRecords);
  if (files::Exists(kLocalGuideFile)) {
    checks.push_back(CheckFile<GuideItems>(step, kLocalGuideFile, readRecords));
  }
  return checks;
}

#define STEP(T) RunStep<T>, CountStep<T>, CheckStep<T>

// clang-format off
const std::vector<Step> kSteps = {
  // id    group file            condition                                                    empty          bit     procedure
  {"1",   "1",  "GDEITEM.DB",   [](int v, int) { return v < 513; },                          {kEnd},        29,     RunGuideItems, CountGuideItems, CheckGuideItems},
  {"2a",  "2",  "PCONT.DB",     [](int v, int) { return v < 513; },                          {kEnd},        22,     STEP(PriceContracts0200)},
  {"2b",  "2",  "PCONT.DB",     [](int v, int) { return v < 515; },                          {kEnd},        22,     STEP(PriceContracts0202)},
  {"3",   "3",  "WHSMRKUP.DB",  [](int v, int) { return v < 513; },                          {kEnd, kNone}, 36,     STEP(WhsMarkup0200)},
  {"4",   "4",  "SPECIAL.DB",   [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {kEnd, kNone}, 12,     STEP(Specials)},
  {"5a",  "5",  "ORDRITEM.DB",  [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {kEnd, kNone}, kNoBit, STEP(OrderLines0202)},
  {"5b",  "5",  "ORDRITEM.DB",  [](int v, int) { return v < 773; },                          {kEnd, kNone}, kNoBit, STEP(OrderLines0304)},
  {"6a",  "6",  "HORDRITM.DB",  [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {kEnd, kNone}, 8,      STEP(HistLines0202)},
  {"6b",  "6",  "HORDRITM.DB",  [](int v, int) { return v < 773; },                          {kEnd, kNone}, 8,      STEP(HistLines0304)},
  {"7",   "7",  "PRICESEQ.DB",  [](int v, int) { return v < 514; },                          {kEnd, kNone}, 39,     STEP(PriceSeq0201)},
  {"8a",  "8",  "VELOCITY.DB",  [](int v, int) { return v < 514; },                          {kEnd, kNone}, 9,      STEP(Velocity0201)},
  {"8b",  "8",  "VELOCITY.DB",  [](int v, int b) { return v < 521 || (v == 521 && b < 2); }, {kEnd, kNone}, 9,      STEP(Velocity0208)},
  {"8c",  "8",  "VELOCITY.DB",  [](int v, int) { return v < 773; },                          {kEnd, kNone}, 9,      STEP(Velocity0304)},
  {"8d",  "8",  "Velocity.DB",  [](int v, int) { return v < 1026; },                         {kEnd, kNone}, 9,      STEP(Velocity0401)},
  {"9a",  "9",  "MNPRICE.DB",   [](int v, int) { return v < 515; },                          {kEnd, kNone}, kNoBit, STEP(ManualPrice0202)},
  {"9b",  "9",  "MNPRICE.DB",   [](int v, int) { return v < 516; },                          {kEnd, kNone}, kNoBit, STEP(ManualPrice0203)},
  {"10",  "10", "TERMS.DB",     [](int v, int) { return v < 517; },                          {kEnd, kNone}, 14,     STEP(Terms0204)},
  {"11",  "11", "AR.DB",        [](int v, int) { return v < 517; },                          {kEnd, kNone}, kNoBit, STEP(Ar0204)},
  {"12",  "12", "INVITEM.DB",   [](int v, int b) { return v < 520 || (v == 520 && b < 3); }, {kEnd, kNone}, kNoBit, STEP(InventoryItems)},
  {"13a", "13", "MODEM.DB",     [](int v, int) { return v < 521; },                          {kEnd},        kNoBit, STEP(Modem0208)},
  {"13b", "13", "MODEM.DB",     [](int v, int) { return v < 769; },                          {kEnd},        kNoBit, STEP(Modem0300)},
  {"14a", "14", "ITEM.DB",      [](int v, int b) { return v < 521 || (v == 521 && b < 2); }, {kEnd, kNone}, 4,      STEP(Item0208)},
  {"14b", "14", "ITEM.DB",      [](int v, int) { return v < 777; },                          {kEnd, kNone}, 4,      STEP(Item0308)},
  {"14c", "14", "ITEM.DB",      [](int v, int b) { return v == 777 && b < 5; },              {kEnd, kNone}, 4,      STEP(Item03094)},
  {"14d", "14", "ITEM.DB",      [](int v, int) { return v < 1025; },                         {kEnd, kNone}, 4,      STEP(Item0400)},
  {"15a", "15", "ORDER.DB",     [](int v, int) { return v < 770; },                          {kEnd, kNone}, kNoBit, STEP(Orders0301)},
  {"15b", "15", "ORDER.DB",     [](int v, int) { return v < 773; },                          {kEnd, kNone}, kNoBit, STEP(Orders0304)},
  {"15c", "15", "ORDER.DB",     [](int v, int) { return v < 775; },                          {kEnd, kNone}, kNoBit, STEP(Orders0306)},
  {"15d", "15", "ORDER.DB",     [](int v, int) { return v < 777; },                          {kEnd, kNone}, kNoBit, STEP(Orders0308)},
  {"15e", "15", "ORDER.DB",     [](int v, int b) { return v < 1025 || (v == 1025 && b < 4); }, {kEnd, kNone}, kNoBit, STEP(Orders0401)},
  {"16a", "16", "HORDER.DB",    [](int v, int) { return v < 770; },                          {kEnd, kNone}, 7,      STEP(HistOrders0301)},
  {"16b", "16", "HORDER.DB",    [](int v, int) { return v < 773; },                          {kEnd, kNone}, 7,      STEP(HistOrders0304)},
  {"16c", "16", "HORDER.DB",    [](int v, int) { return v < 775; },                          {kEnd, kNone}, 7,      STEP(HistOrders0306)},
  {"16d", "16", "HORDER.DB",    [](int v, int) { return v < 777; },                          {kEnd, kNone}, 7,      STEP(HistOrders0308)},
  {"16e", "16", "HORDER.DB",    [](int v, int b) { return v < 1025 || (v == 1025 && b < 4); }, {kEnd, kNone}, 7,      STEP(HistOrders0401)},
  {"17a", "17", "ItemUnit.DB",  [](int v, int) { return v < 770; },                          {kEnd, kNone}, 6,      STEP(ItemUnit0301)},
  {"17b", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 777; },                          {kEnd, kNone}, 6,      STEP(ItemUnit0308)},
  {"17c", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 1024; },                         {kEnd, kNone}, 6,      STEP(ItemUnit03094)},
  {"17d", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 1025; },                         {kEnd, kNone}, 6,      STEP(ItemUnit0400)},
  {"18a", "18", "CUST.DB",      [](int v, int) { return v < 771; },                          {kEnd, kNone}, 3,      STEP(Customer0302)},
  {"18b", "18", "CUST.DB",      [](int v, int) { return v < 777; },                          {kEnd, kNone}, 3,      STEP(Customer0308)},
  {"19",  "19", "CATEGORY.DB",  [](int v, int b) { return v < 777 || (v == 777 && b < 4); }, {kEnd, kNone}, 2,      STEP(Category0308)},
  {"20",  "20", "DevCost.DB",   [](int v, int) { return v < 1027; },                         {kEnd, kNone}, 46,     STEP(DevCost0402)},
  {"21",  "21", "MenuHdr.DB",   [](int v, int) { return v < 1028; },                         {kEnd, kNone}, kNoBit, STEP(MenuHdr0403)},
};
// clang-format on

}  // namespace

const std::vector<Step>& Steps() {
  return kSteps;
}

std::vector<const Step*> SelectSteps(int version, int build) {
  std::vector<const Step*> chosen;
  std::set<std::string> groupsDone;
  for (const Step& step : kSteps) {
    if (groupsDone.count(step.group) == 0 && step.applies(version, build)) {
      chosen.push_back(&step);
      groupsDone.insert(step.group);
    }
  }
  return chosen;
}

void CountWork(int version, int build, int32_t* files, int32_t* records) {
  for (const Step* step : SelectSteps(version, build)) {
    *records += step->count(*step, files);
  }
}

}  // namespace upgrade
