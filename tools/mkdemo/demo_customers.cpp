// Demo writers of the customer and pricing families: one per conversion step (2a, 2b, 3, 7, 9a,
// 9b, 11, 18a, 18b, 20). Each creates the step's legacy file through the legacy table class and
// fills it with ctx.records records, formatted through the legacy layout and then touched up
// byte by byte where an edge value cannot be formatted: lower-case letters in upper-text
// fields, flags holding "y", a space or NUL, phones and zips with spaces in them. Key values
// that must be unique stay unique after upper-casing, so every file converts whole.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "recfile/table_ops.h"
#include "tables/customers/ar.h"
#include "tables/customers/customer.h"
#include "tables/customers/dev_cost.h"
#include "tables/customers/manual_price.h"
#include "tables/customers/price_contract.h"
#include "tables/customers/price_seq.h"
#include "tables/customers/whs_markup.h"
#include "tools/mkdemo/demo.h"

namespace {

using demo::Amount;
using demo::FlagByte;
using demo::Lower;
using demo::LowerField;
using demo::Pick;
using demo::Serial;
using demo::Word;
using Patch = std::function<void(uint8_t* raw)>;

// A time: mostly around now, sometimes never given (-1) or before 1970.
int32_t Time(std::mt19937& rng, int32_t around) {
  switch (Pick(rng, 8)) {
    case 0:
      return -1;
    case 1:
      return -Pick(rng, 100000000) - 2;
    default:
      return around + Pick(rng, 200000000) - 100000000;
  }
}

int Fail(demo::Context& ctx, CBtrieveDB& table, const char* what, int status) {
  ctx.error = table.GetFileName() + ": " + what + " failed with status " + std::to_string(status);
  return status;
}

// Formats `record` through `layout`, lets `patch` touch up the raw bytes and inserts them.
template <class R>
int InsertPatched(CBtrieveDB& table, const recfile::Layout<R>& layout, R& record,
                  const Patch& patch) {
  uint8_t raw[recfile::kMaxRecord];
  uint16_t length = static_cast<uint16_t>(recfile::Format(layout, record, raw));
  if (patch) {
    patch(raw);
  }
  uint8_t key[255] = {};
  return table.Insert(raw, &length, key, 0);
}

// Creates the table's own file and inserts ctx.records records made by `make`.
// `make(i, record)` fills record i and returns its patch (or an empty one).
template <class Table, class R, class Make>
int WriteTable(demo::Context& ctx, const recfile::Layout<R>& layout, const Make& make) {
  Table table;
  const CString name = table.GetFileName();
  int status = table.CreateFile(name.c_str());
  if (status != 0) {
    return Fail(ctx, table, "create", status);
  }
  for (int i = 0; i < ctx.records; ++i) {
    R record;
    const Patch patch = make(i, record);
    status = InsertPatched(table, layout, record, patch);
    if (status != 0) {
      return Fail(ctx, table, "insert", status);
    }
  }
  return 0;
}

constexpr int32_t kNow = 1700000000;  // November 2023: demo dates scatter around it

// ---- Customers (18a, 18b) ----

template <class R>
void FillCustomer(std::mt19937& rng, int i, R& c) {
  c.Prefix = Word(rng, 2);
  c.CustomerNumber = Serial('C', i, 6);
  c.Name = i % 7 == 0 ? "Northwest Restaurant Suppl" : "Customer " + Word(rng, 12);
  c.IndexCode1 = Word(rng, 4);
  c.IndexCode2 = Word(rng, 8);
  c.Address = {std::to_string(100 + Pick(rng, 9000)) + " Main Street", Word(rng, 25), ""};
  c.City = i % 5 == 0 ? "Spring Valley C" : "Springfield";
  c.State = "IL";
  c.Zip = i % 3 == 0 ? "62701-4312" : "62701";
  c.Text146 = Word(rng, 20);
  c.Phone = {"(217) 555-" + std::to_string(1000 + Pick(rng, 9000)), ""};
  c.PhoneName = {"Orders", i % 2 == 0 ? "Accounts payable dept." : "Chef"};
  c.Phone3 = "800 555 0199";
  c.Text236 = Word(rng, 6);
  c.Text242 = Word(rng, 3);
  c.Byte245 = static_cast<uint8_t>(rng());
  c.Long248 = static_cast<int32_t>(rng());
  c.Float252 = Amount(rng);
  c.Text256 = Word(rng, 2);
  c.Text258 = Word(rng, 10);
  c.Text268 = Word(rng, 8);
  c.Long280 = -Pick(rng, 1000);
  c.Byte284 = static_cast<uint8_t>(rng());
  c.Text285 = Word(rng, 8);
  c.Float296 = Amount(rng);
  c.Float316 = -1.5f;
  c.Text323 = Word(rng, 4);
  c.Text328 = Word(rng, 3);
  c.Char331 = 'A' + Pick(rng, 26);
  c.Long332 = Pick(rng, 100000);
  c.Char336 = 'B';
  c.Long340 = -Pick(rng, 100000);
  c.Char344 = 'c';
  c.Text345 = Word(rng, 8);
  c.Char353 = 'D';
  c.Text354 = Word(rng, 14);
  c.Float368 = Amount(rng);
  c.Float372 = Amount(rng);
  c.Char377 = 'E';
  c.Char378 = 'F';
  c.Text381 = Word(rng, 8);
  c.Float392 = Amount(rng);
  c.Text398 = Word(rng, 8);
  c.Text407 = Word(rng, 8);
  c.Text415 = Word(rng, 3);
  c.Char418 = 'G';
  c.Char419 = 'H';
  c.Text420 = Word(rng, 8);
  c.Float428 = Amount(rng);
  c.Char432 = 'I';
  c.Text434 = Word(rng, 8);
  c.Text442 = Word(rng, 8);
  c.Char451 = 'J';
  c.Text454 = Word(rng, 4);
  c.Text474 = Word(rng, 4);
  c.Float480 = Amount(rng);
  c.Float484 = Amount(rng);
  c.Float488 = Amount(rng);
  c.Float492 = Amount(rng);
}

// Flags at these offsets (the same in both legacy layouts) get odd bytes now and then.
constexpr size_t kCustomerFlags[] = {276, 320, 376, 379, 380, 389, 396,
                                     397, 406, 433, 450, 452, 453, 478};

template <class R>
Patch CustomerPatch(std::mt19937& rng, int i, size_t movedFlags, size_t char331) {
  std::vector<std::pair<size_t, uint8_t>> bytes;
  for (size_t at : kCustomerFlags) {
    bytes.emplace_back(at, FlagByte(rng));
  }
  bytes.emplace_back(movedFlags, FlagByte(rng));
  const bool lower = i % 4 == 1;
  const bool spacedPhone = i % 6 == 2;
  return [=](uint8_t* raw) {
    for (const auto& [at, b] : bytes) {
      raw[at] = b;
    }
    if (lower) {  // lower case in the number, the index codes and a char
      LowerField(raw, 2, 6);
      LowerField(raw, 33, 12);
      LowerField(raw, char331, 1);
    }
    if (spacedPhone) {
      std::memcpy(raw + 166, "555 123 45", 10);
      std::memcpy(raw + 137, "12345    ", 9);
    }
  };
}

int WriteCustomers0302(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CCustomer0302DB>(ctx, kCustomer0302Layout, [&](int i, CCustomer0302& c) {
    FillCustomer(rng, i, c);
    return CustomerPatch<CCustomer0302>(rng, i, 321, 330);
  });
}

int WriteCustomers0308(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CCustomer0308DB>(ctx, kCustomer0308Layout, [&](int i, CCustomer0308& c) {
    FillCustomer(rng, i, c);
    c.Flag321 = i % 2 == 0;
    return CustomerPatch<CCustomer0308>(rng, i, 321, 331);
  });
}

// ---- Price contracts (2a, 2b) ----

template <class R>
void FillContract(std::mt19937& rng, int i, R& p) {
  p.CustomerNumber = Serial('C', Pick(rng, 50), 6);
  p.Text29 = Word(rng, 4);
  p.ItemNumber = Serial('I', i, 12);
  p.Text45 = i % 3 == 0 ? "CS" : "EA";
  p.EndDate = Time(rng, kNow);
  p.StartDate = Time(rng, kNow - 50000000);
  p.Flag56 = Pick(rng, 2) == 0;
  p.Float60 = Amount(rng);
  p.Float64 = Amount(rng);
  p.Float68 = Amount(rng);
  p.Float72 = Amount(rng);
  p.Float76 = Amount(rng);
  p.Char80 = 'A' + Pick(rng, 26);
  p.Char81 = i % 5 == 0 ? '\0' : 'B';
  p.Text82 = Word(rng, 2);
}

int WriteContracts0200(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CPriceContract0200DB>(ctx, kPriceContract0200Layout,
                                          [&](int i, CPriceContract0200& p) -> Patch {
                                            FillContract(rng, i, p);
                                            p.ContractId = Serial('K', i, 6);
                                            const uint8_t flag41 = FlagByte(rng);
                                            const bool lower = i % 4 == 1;
                                            return [=](uint8_t* raw) {
                                              raw[41] = flag41;  // "Y" alone makes Char57 "C"
                                              if (lower) {
                                                LowerField(raw, 0, 31);
                                                LowerField(raw, 64, 4);
                                              }
                                            };
                                          });
}

int WriteContracts0202(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CPriceContract0202DB>(
      ctx, kPriceContract0202Layout, [&](int i, CPriceContract0202& p) -> Patch {
        FillContract(rng, i, p);
        p.ContractId = i % 3 == 0 ? Serial('K', i, 15) : Serial('K', i, 8);
        p.Text21 = Word(rng, 8);
        p.Char57 = Pick(rng, 2) == 0 ? 'C' : 'I';
        const uint8_t flag56 = FlagByte(rng);
        const bool lower = i % 4 == 1;
        return [=](uint8_t* raw) {
          raw[56] = flag56;
          if (lower) {
            LowerField(raw, 0, 48);
            LowerField(raw, 57, 1);
            LowerField(raw, 80, 4);
          }
        };
      });
}

// ---- Warehouse markups (3) ----

int WriteMarkups0200(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CWhsMarkup0200DB>(
      ctx, kWhsMarkup0200Layout, [&](int i, CWhsMarkup0200& m) -> Patch {
        m.Text0 = Word(rng, 4);
        m.Text4 = Serial('W', i, 8);  // keeps key 3 unique whatever the flags become
        m.Text12 = Word(rng, 6);
        m.Text18 = Word(rng, 2);
        m.Text20 = Word(rng, 3);
        m.Text23 = Word(rng, 5);
        m.Float32 = Amount(rng);
        m.Float36 = Amount(rng);
        m.Date40 = Time(rng, kNow);
        m.Byte45 = 'A' + Pick(rng, 26);
        m.Byte46 = i % 3 == 0 ? ' ' : 'Z';
        m.Text47 = Word(rng, 4);
        for (int k = 0; k < 10; ++k) {
          m.Codes52[k] = 'A' + Pick(rng, 26);
          m.Values64[k] = Amount(rng);
          m.Values104[k] = Amount(rng);
        }
        const uint8_t flags[4] = {FlagByte(rng), FlagByte(rng), FlagByte(rng), FlagByte(rng)};
        const bool lower = i % 4 == 1;
        return [=](uint8_t* raw) {
          raw[28] = flags[0];
          raw[29] = flags[1];
          raw[30] = flags[2];
          raw[50] = flags[3];
          if (lower) {
            LowerField(raw, 0, 28);
            LowerField(raw, 44, 2);
            LowerField(raw, 46, 4);
            LowerField(raw, 51, 10);
          }
        };
      });
}

// ---- Price sequences (7) ----

int WriteSequences0201(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CPriceSeq0201DB>(
      ctx, kPriceSeq0201Layout, [&](int i, CPriceSeq0201& s) -> Patch {
        static const char* const kCodes[] = {"LIST", "CONT", "MANL", "DEVC"};
        s.Text0 = kCodes[i % 4];
        s.CustomerNumber = Serial('C', i / 4, 6);  // code and customer: unique together
        s.Text10 = i % 2 == 0 ? "Contract price, then list" : Lower(Word(rng, 30));
        for (int k = 0; k < 8; ++k) {
          s.Sequence[k] = Pick(rng, 3) == 0 ? -1 : Pick(rng, 10);
        }
        const bool lower = i % 4 == 1;
        return [=](uint8_t* raw) {
          if (lower) {
            LowerField(raw, 0, 10);
          }
        };
      });
}

// ---- Manual prices (9a, 9b) ----

int WriteManualPrices0202(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CManualPrice0202DB>(
      ctx, kManualPrice0202Layout, [&](int i, CManualPrice0202& m) -> Patch {
        m.CustomerNumber = Serial('C', Pick(rng, 50), 6);
        m.ItemNumber = Serial('I', i, 12);
        m.Text30 = "EA";
        m.Long68 = -Pick(rng, 100);
        static const float kEdges[] = {10000.0f, -10000.0f, 9999.99f, -9999.99f};
        m.Price = i % 9 < 4 ? kEdges[i % 9] : Amount(rng);
        m.Float36 = Amount(rng);
        m.Text80 = Word(rng, 4);
        m.Flag44 = Pick(rng, 2) == 0;
        const bool nan = i % 9 == 4;
        const bool lower = i % 4 == 1;
        return [=](uint8_t* raw) {
          if (nan) {
            std::memcpy(raw + 32, "\x00\x00\xC0\x7F", 4);  // a price that is not a number
          }
          if (lower) {
            LowerField(raw, 0, 21);
            LowerField(raw, 40, 4);
          }
        };
      });
}

int WriteManualPrices0203(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CManualPrice0203DB>(
      ctx, kManualPrice0203Layout, [&](int i, CManualPrice0203& m) -> Patch {
        m.CustomerNumber = Serial('C', Pick(rng, 50), 6);
        m.ItemNumber = Serial('I', i, 12);
        m.Text30 = "CS";
        m.Text33 = i % 3 == 0 ? "PRICE AGREED BY PHONE WITH THE CHEF" : Word(rng, 35);
        m.Long68 = Pick(rng, 1000) - 500;
        m.Byte72 = static_cast<uint8_t>('A' + Pick(rng, 26));
        m.Price = i % 7 == 0 ? 123456.0f : Amount(rng);
        m.Text80 = Word(rng, 4);
        m.Byte84 = i % 2 == 0 ? ' ' : 'X';
        m.Flag85 = Pick(rng, 2) == 0;
        const uint8_t flag85 = FlagByte(rng);
        const bool lower = i % 4 == 1;
        return [=](uint8_t* raw) {
          raw[73] = flag85;
          if (lower) {
            LowerField(raw, 0, 56);
            LowerField(raw, 68, 4);
          }
        };
      });
}

// ---- Accounts receivable (11) ----

int WriteAr0204(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CAr0204DB>(ctx, kAr0204Layout, [&](int i, CAr0204& a) -> Patch {
    a.CustomerNumber = Serial('C', Pick(rng, 50), 6);  // several open items per customer
    if (i % 5 == 1) {
      a.CustomerNumber = Lower(a.CustomerNumber);
    }
    a.Date8 = Time(rng, kNow);
    a.Text16 = i % 3 == 0 ? "Invoice for November" : Lower(Word(rng, 20));
    a.Text36 = Serial('V', i, 8);
    a.Text44 = Word(rng, 8);
    a.Text52 = Word(rng, 2);
    a.Float56 = Amount(rng);
    a.Float60 = Amount(rng);
    a.Flag64 = Pick(rng, 2) == 0;
    const uint8_t flag64 = FlagByte(rng);
    const bool lower = i % 4 == 1;
    return [=](uint8_t* raw) {
      raw[60] = flag64;
      if (lower) {
        LowerField(raw, 32, 18);
      }
    };
  });
}

// ---- Deviated costs (20) ----

int WriteDevCosts0402(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CDevCost0402DB>(ctx, kDevCost0402Layout, [&](int i, CDevCost0402& d) -> Patch {
    d.CustomerNumber = Serial('C', Pick(rng, 50), 6);
    d.ItemNumber = Serial('I', i, 12);
    d.Text18 = i % 2 == 0 ? "EA" : "CS";
    d.Float28 = Amount(rng);
    d.Float32 = Amount(rng);
    d.Float36 = Amount(rng);
    const bool lower = i % 4 == 1;
    return [=](uint8_t* raw) {
      if (lower) {
        LowerField(raw, 0, 21);
      }
    };
  });
}

}  // namespace

namespace demo {

void RegisterCustomerDemos(Registry& registry) {
  registry["2a"] = WriteContracts0200;
  registry["2b"] = WriteContracts0202;
  registry["3"] = WriteMarkups0200;
  registry["7"] = WriteSequences0201;
  registry["9a"] = WriteManualPrices0202;
  registry["9b"] = WriteManualPrices0203;
  registry["11"] = WriteAr0204;
  registry["18a"] = WriteCustomers0302;
  registry["18b"] = WriteCustomers0308;
  registry["20"] = WriteDevCosts0402;
}

}  // namespace demo
