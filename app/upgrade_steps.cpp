// The step table of the upgrade run. Read it beside the list of layouts per release: v is the
// profile's database version (major * 256 + minor: 513 is 2.01), b its build.
#include "app/upgrade_steps.h"

#include <set>
#include <string>

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
#include "tables/orders/terms.h"

namespace upgrade {
namespace {

// A table of no particular layout, for files whose family has no classes here: it can open and
// count a file by name.
class CAnyFileDB : public CBtrieveDB {
 public:
  explicit CAnyFileDB(const char* name) : m_Name(name) {}
  ~CAnyFileDB() { Close(); }
  CString GetFileName() override { return m_Name; }
  int CreateFile(const char*) override { return btr::kInvalidOperation; }
  int ImportLine(const CString&, int32_t) override { return 0; }

 private:
  CString m_Name;
};

// A step whose table family is not built: nothing to do when its file is missing; a file that
// exists cannot be converted, so the step fails and the profile is never stamped current.
StepResult Unavailable(RunHost& host, const Step& step) {
  CAnyFileDB legacy(step.file);
  host.BeginTable(step.file);
  host.FileStarted();
  const int status = legacy.Open(step.file);
  legacy.Close();
  if (status == btr::kFileNotFound) {
    return {Outcome::Missing, status, step.file};
  }
  return {Outcome::Failed, btr::kInvalidOperation, step.file};
}

int32_t CountAny(const Step& step, int32_t* files) {
  CAnyFileDB table(step.file);
  ++*files;
  return CountRecords(table);
}

constexpr int kNoBit = -1;

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
    return {Outcome::Cancelled, 0, result.displayName};
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

#define UNAVAILABLE Unavailable, CountAny
#define STEP(T) RunStep<T>, CountStep<T>

// clang-format off
const std::vector<Step> kSteps = {
  // id    group file            condition                                              empty   bit     procedure
  {"1",   "1",  "GDEITEM.DB",   [](int v, int) { return v < 513; },                     {9},    29,     RunGuideItems, CountGuideItems},
  {"2a",  "2",  "PCONT.DB",     [](int v, int) { return v < 513; },                     {9},    22,     STEP(PriceContracts0200)},
  {"2b",  "2",  "PCONT.DB",     [](int v, int) { return v < 515; },                     {9},    22,     STEP(PriceContracts0202)},
  {"3",   "3",  "WHSMRKUP.DB",  [](int v, int) { return v < 513; },                     {9, 4}, 36,     STEP(WhsMarkup0200)},
  {"4",   "4",  "SPECIAL.DB",   [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {9, 4}, 12, STEP(Specials)},
  {"5a",  "5",  "ORDRITEM.DB",  [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {9, 4}, kNoBit, UNAVAILABLE},
  {"5b",  "5",  "ORDRITEM.DB",  [](int v, int) { return v < 773; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"6a",  "6",  "HORDRITM.DB",  [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {9, 4}, 8,  UNAVAILABLE},
  {"6b",  "6",  "HORDRITM.DB",  [](int v, int) { return v < 773; },                     {9, 4}, 8,      UNAVAILABLE},
  {"7",   "7",  "PRICESEQ.DB",  [](int v, int) { return v < 514; },                     {9, 4}, 39,     STEP(PriceSeq0201)},
  {"8a",  "8",  "VELOCITY.DB",  [](int v, int) { return v < 514; },                     {9, 4}, 9,      UNAVAILABLE},
  {"8b",  "8",  "VELOCITY.DB",  [](int v, int b) { return v < 521 || (v == 521 && b < 2); }, {9, 4}, 9,  UNAVAILABLE},
  {"8c",  "8",  "VELOCITY.DB",  [](int v, int) { return v < 773; },                     {9, 4}, 9,      UNAVAILABLE},
  {"8d",  "8",  "Velocity.DB",  [](int v, int) { return v < 1026; },                    {9, 4}, 9,      UNAVAILABLE},
  {"9a",  "9",  "MNPRICE.DB",   [](int v, int) { return v < 515; },                     {9, 4}, kNoBit, STEP(ManualPrice0202)},
  {"9b",  "9",  "MNPRICE.DB",   [](int v, int) { return v < 516; },                     {9, 4}, kNoBit, STEP(ManualPrice0203)},
  {"10",  "10", "TERMS.DB",     [](int v, int) { return v < 517; },                     {9, 4}, 14,     STEP(Terms0204)},
  {"11",  "11", "AR.DB",        [](int v, int) { return v < 517; },                     {9, 4}, kNoBit, STEP(Ar0204)},
  {"12",  "12", "INVITEM.DB",   [](int v, int b) { return v < 520 || (v == 520 && b < 3); }, {9, 4}, kNoBit, STEP(InventoryItems)},
  {"13a", "13", "MODEM.DB",     [](int v, int) { return v < 521; },                     {9},    kNoBit, UNAVAILABLE},
  {"13b", "13", "MODEM.DB",     [](int v, int) { return v < 769; },                     {9},    kNoBit, UNAVAILABLE},
  {"14a", "14", "ITEM.DB",      [](int v, int b) { return v < 521 || (v == 521 && b < 2); }, {9, 4}, 4,  STEP(Item0208)},
  {"14b", "14", "ITEM.DB",      [](int v, int) { return v < 777; },                     {9, 4}, 4,      STEP(Item0308)},
  {"14c", "14", "ITEM.DB",      [](int v, int b) { return v == 777 && b < 5; },         {9, 4}, 4,      STEP(Item03094)},
  {"14d", "14", "ITEM.DB",      [](int v, int) { return v < 1025; },                    {9, 4}, 4,      STEP(Item0400)},
  {"15a", "15", "ORDER.DB",     [](int v, int) { return v < 770; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"15b", "15", "ORDER.DB",     [](int v, int) { return v < 773; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"15c", "15", "ORDER.DB",     [](int v, int) { return v < 775; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"15d", "15", "ORDER.DB",     [](int v, int) { return v < 777; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"15e", "15", "ORDER.DB",     [](int v, int b) { return v < 1025 || (v == 1025 && b < 4); }, {9, 4}, kNoBit, UNAVAILABLE},
  {"16a", "16", "HORDER.DB",    [](int v, int) { return v < 770; },                     {9, 4}, 7,      UNAVAILABLE},
  {"16b", "16", "HORDER.DB",    [](int v, int) { return v < 773; },                     {9, 4}, 7,      UNAVAILABLE},
  {"16c", "16", "HORDER.DB",    [](int v, int) { return v < 775; },                     {9, 4}, 7,      UNAVAILABLE},
  {"16d", "16", "HORDER.DB",    [](int v, int) { return v < 777; },                     {9, 4}, 7,      UNAVAILABLE},
  {"16e", "16", "HORDER.DB",    [](int v, int b) { return v < 1025 || (v == 1025 && b < 4); }, {9, 4}, 7, UNAVAILABLE},
  {"17a", "17", "ItemUnit.DB",  [](int v, int) { return v < 770; },                     {9, 4}, 6,      STEP(ItemUnit0301)},
  {"17b", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 777; },                     {9, 4}, 6,      STEP(ItemUnit0308)},
  {"17c", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 1024; },                    {9, 4}, 6,      STEP(ItemUnit03094)},
  {"17d", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 1025; },                    {9, 4}, 6,      STEP(ItemUnit0400)},
  {"18a", "18", "CUST.DB",      [](int v, int) { return v < 771; },                     {9, 4}, 3,      STEP(Customer0302)},
  {"18b", "18", "CUST.DB",      [](int v, int) { return v < 777; },                     {9, 4}, 3,      STEP(Customer0308)},
  {"19",  "19", "CATEGORY.DB",  [](int v, int b) { return v < 777 || (v == 777 && b < 4); }, {9, 4}, 2,  STEP(Category0308)},
  {"20",  "20", "DevCost.DB",   [](int v, int) { return v < 1027; },                    {9, 4}, 46,     STEP(DevCost0402)},
  {"21",  "21", "MenuHdr.DB",   [](int v, int) { return v < 1028; },                    {9, 4}, kNoBit, STEP(MenuHdr0403)},
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
