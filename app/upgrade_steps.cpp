// The step table of the upgrade run. Read it beside the list of layouts per release: v is the
// profile's database version (major * 256 + minor: 513 is 2.01), b its build.
#include "app/upgrade_steps.h"

#include <set>
#include <string>

#include "app/step_procedure.h"
#include "tables/customers/ar.h"
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

using Terms0204 = Plain<CTerms0204DB, CTermsDB, CTerms0204, CTerms>;
using Ar0204 = Plain<CAr0204DB, CArDB, CAr0204, CAr>;

#define UNAVAILABLE Unavailable, CountAny
#define STEP(T) RunStep<T>, CountStep<T>

// clang-format off
const std::vector<Step> kSteps = {
  // id    group file            condition                                              empty   bit     procedure
  {"1",   "1",  "GDEITEM.DB",   [](int v, int) { return v < 513; },                     {9},    29,     UNAVAILABLE},
  {"2a",  "2",  "PCONT.DB",     [](int v, int) { return v < 513; },                     {9},    22,     UNAVAILABLE},
  {"2b",  "2",  "PCONT.DB",     [](int v, int) { return v < 515; },                     {9},    22,     UNAVAILABLE},
  {"3",   "3",  "WHSMRKUP.DB",  [](int v, int) { return v < 513; },                     {9, 4}, 36,     UNAVAILABLE},
  {"4",   "4",  "SPECIAL.DB",   [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {9, 4}, 12, UNAVAILABLE},
  {"5a",  "5",  "ORDRITEM.DB",  [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {9, 4}, kNoBit, UNAVAILABLE},
  {"5b",  "5",  "ORDRITEM.DB",  [](int v, int) { return v < 773; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"6a",  "6",  "HORDRITM.DB",  [](int v, int b) { return v < 515 || (v == 515 && b < 2); }, {9, 4}, 8,  UNAVAILABLE},
  {"6b",  "6",  "HORDRITM.DB",  [](int v, int) { return v < 773; },                     {9, 4}, 8,      UNAVAILABLE},
  {"7",   "7",  "PRICESEQ.DB",  [](int v, int) { return v < 514; },                     {9, 4}, 39,     UNAVAILABLE},
  {"8a",  "8",  "VELOCITY.DB",  [](int v, int) { return v < 514; },                     {9, 4}, 9,      UNAVAILABLE},
  {"8b",  "8",  "VELOCITY.DB",  [](int v, int b) { return v < 521 || (v == 521 && b < 2); }, {9, 4}, 9,  UNAVAILABLE},
  {"8c",  "8",  "VELOCITY.DB",  [](int v, int) { return v < 773; },                     {9, 4}, 9,      UNAVAILABLE},
  {"8d",  "8",  "Velocity.DB",  [](int v, int) { return v < 1026; },                    {9, 4}, 9,      UNAVAILABLE},
  {"9a",  "9",  "MNPRICE.DB",   [](int v, int) { return v < 515; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"9b",  "9",  "MNPRICE.DB",   [](int v, int) { return v < 516; },                     {9, 4}, kNoBit, UNAVAILABLE},
  {"10",  "10", "TERMS.DB",     [](int v, int) { return v < 517; },                     {9, 4}, 14,     STEP(Terms0204)},
  {"11",  "11", "AR.DB",        [](int v, int) { return v < 517; },                     {9, 4}, kNoBit, STEP(Ar0204)},
  {"12",  "12", "INVITEM.DB",   [](int v, int b) { return v < 520 || (v == 520 && b < 3); }, {9, 4}, kNoBit, UNAVAILABLE},
  {"13a", "13", "MODEM.DB",     [](int v, int) { return v < 521; },                     {9},    kNoBit, UNAVAILABLE},
  {"13b", "13", "MODEM.DB",     [](int v, int) { return v < 769; },                     {9},    kNoBit, UNAVAILABLE},
  {"14a", "14", "ITEM.DB",      [](int v, int b) { return v < 521 || (v == 521 && b < 2); }, {9, 4}, 4,  UNAVAILABLE},
  {"14b", "14", "ITEM.DB",      [](int v, int) { return v < 777; },                     {9, 4}, 4,      UNAVAILABLE},
  {"14c", "14", "ITEM.DB",      [](int v, int b) { return v == 777 && b < 5; },         {9, 4}, 4,      UNAVAILABLE},
  {"14d", "14", "ITEM.DB",      [](int v, int) { return v < 1025; },                    {9, 4}, 4,      UNAVAILABLE},
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
  {"17a", "17", "ItemUnit.DB",  [](int v, int) { return v < 770; },                     {9, 4}, 6,      UNAVAILABLE},
  {"17b", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 777; },                     {9, 4}, 6,      UNAVAILABLE},
  {"17c", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 1024; },                    {9, 4}, 6,      UNAVAILABLE},
  {"17d", "17", "ITEMUNIT.DB",  [](int v, int) { return v < 1025; },                    {9, 4}, 6,      UNAVAILABLE},
  {"18a", "18", "CUST.DB",      [](int v, int) { return v < 771; },                     {9, 4}, 3,      UNAVAILABLE},
  {"18b", "18", "CUST.DB",      [](int v, int) { return v < 777; },                     {9, 4}, 3,      UNAVAILABLE},
  {"19",  "19", "CATEGORY.DB",  [](int v, int b) { return v < 777 || (v == 777 && b < 4); }, {9, 4}, 2,  UNAVAILABLE},
  {"20",  "20", "DevCost.DB",   [](int v, int) { return v < 1027; },                    {9, 4}, 46,     UNAVAILABLE},
  {"21",  "21", "MenuHdr.DB",   [](int v, int) { return v < 1028; },                    {9, 4}, kNoBit, UNAVAILABLE},
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
