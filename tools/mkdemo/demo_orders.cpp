// Demo writers of the order families: one per conversion step (5a, 5b, 6a, 6b, 8a to 8d, 10,
// 13a, 13b, 15a to 15e, 16a to 16e). Each creates the step's legacy file through the legacy
// table class and fills it with about ctx.records records, formatted through the legacy layout
// and then touched up byte by byte where an edge value cannot be formatted: lower-case letters
// in upper-case fields, flags holding "y", a space or NUL. Among the records: texts as wide as
// their fields, notes, dates of -1 and before 1970, negative numbers, headers numbered below 0
// and 0 (a historical 0 beside a stored 1), 0301 stamps that are blank or in the years 50 and
// 51, order lines numbered -1 beside a stored line 0 of the same order, and open 0202 lines of
// order 0 followed by lines of later orders. Unique keys stay unique after upper-casing.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "recfile/table_ops.h"
#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"
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

constexpr int32_t kNow = 1700000000;  // November 2023: demo dates scatter around it

// A time: mostly around now, sometimes -1 or before 1970.
int32_t Time(std::mt19937& rng) {
  switch (Pick(rng, 8)) {
    case 0:
      return -1;
    case 1:
      return -Pick(rng, 100000000) - 2;
    default:
      return kNow + Pick(rng, 200000000) - 100000000;
  }
}

int Fail(demo::Context& ctx, CBtrieveDB& table, const char* what, int status) {
  ctx.error = table.GetFileName() + ": " + what + " failed with status " + std::to_string(status);
  return status;
}

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

// Creates the table's own file and inserts `count` records made by `make(i, record)`, which
// returns the record's patch (or an empty one).
template <class Table, class R, class Make>
int WriteTable(demo::Context& ctx, const recfile::Layout<R>& layout, int count, const Make& make) {
  Table table;
  const CString name = table.GetFileName();
  int status = table.CreateFile(name.c_str());
  if (status != 0) {
    return Fail(ctx, table, "create", status);
  }
  for (int i = 0; i < count; ++i) {
    R record;
    const Patch patch = make(i, record);
    status = InsertPatched(table, layout, record, patch);
    if (status != 0) {
      return Fail(ctx, table, "insert", status);
    }
  }
  return 0;
}

// ---- Order lines (5a, 5b, 6a, 6b) ----

// Line i of the file: about four lines an order, orders counting from 0. The first order after
// order 0 holds a line numbered -1 beside its stored line 0.
void LineKey(int i, int32_t& order, int32_t& line) {
  order = i / 4;
  line = i % 4;
  if (order == 1 && line == 3) {
    line = -1;
  }
}

template <class R>
Patch FillLine(std::mt19937& rng, int i, R& line) {
  LineKey(i, line.OrderNumber, line.LineNumber);
  line.ItemId = Serial('I', Pick(rng, 5000), 12) + Word(rng, 3);
  line.Description = i % 5 == 0 ? "Romaine hearts, 3 ct. case 24x" : "Item " + Word(rng, 25);
  line.UnitName = Word(rng, 3);
  line.Number1 = Pick(rng, 100);
  line.Number2 = -Pick(rng, 100);
  line.Number3 = Pick(rng, 1000);
  line.Number4 = Pick(rng, 10);
  line.Amount1 = Amount(rng);
  line.Amount2 = Amount(rng);
  line.Amount3 = Amount(rng);
  line.Amount4 = Amount(rng);
  line.Code4 = Word(rng, 4);
  line.Note = i % 3 == 0 ? std::string(60, 'n') : "note " + Lower(Word(rng, 20));
  line.Number5 = Pick(rng, 7);
  line.Mark = static_cast<char>('A' + Pick(rng, 26));
  line.Code2 = Word(rng, 2);
  line.Number6 = -Pick(rng, 5);
  line.YesNo1 = Pick(rng, 2) == 0;
  if constexpr (!std::is_same_v<R, COrderItem0202>) {
    line.Amount5 = Amount(rng);
    line.AltCode4 = Word(rng, 4);
  }
  const bool lower = i % 2 == 0;
  const uint8_t flag2 = FlagByte(rng), flag3 = FlagByte(rng);
  return [lower, flag2, flag3](uint8_t* raw) {
    if (lower) {
      LowerField(raw, 8, 15);
      LowerField(raw, 53, 3);
      LowerField(raw, 157, 1);
      LowerField(raw, 160, 2);
    }
    raw[158] = flag2;
    raw[159] = flag3;
  };
}

template <class Table, class R>
int WriteLines(demo::Context& ctx, const recfile::Layout<R>& layout) {
  return WriteTable<Table>(ctx, layout, ctx.records,
                           [&ctx](int i, R& line) { return FillLine(*ctx.rng, i, line); });
}

// ---- Velocity (8a to 8d) ----

template <class R>
Patch FillVelocity(std::mt19937& rng, int i, R& v, size_t code4A, size_t yesNo2) {
  v.CustomerNumber = Serial('C', i / 8, 6);
  v.ItemNumber = Serial('I', i, 12);  // customer and item stay unique (key 1)
  v.ItemSuffix = Word(rng, 3);
  v.Code5 = Word(rng, 5);
  v.Code3 = Word(rng, 3);
  v.Description = i % 4 == 0 ? "Chicken breast, boneless 40 lb" : "Item " + Word(rng, 20);
  v.Code4B = Word(rng, 4);
  v.Code4A = Word(rng, 4);
  v.Code9 = Word(rng, 9);
  v.Date1 = Time(rng);
  if constexpr (requires { v.Date2; }) {
    v.Date2 = Time(rng);
  }
  if constexpr (requires { v.Amount3; }) {
    v.Amount3 = Amount(rng);
    v.Amount4 = Amount(rng);
  }
  v.Number1 = -Pick(rng, 1000);
  v.Byte1 = static_cast<uint8_t>(rng());
  v.Amount1 = Amount(rng);
  v.Amount2 = Amount(rng);
  v.Amount5 = Amount(rng);
  v.PeriodValue1 = Pick(rng, 100);
  v.PeriodValue2 = -Pick(rng, 100);
  v.PeriodValue3 = Pick(rng, 100);
  v.PeriodValue4 = Pick(rng, 100);
  v.PeriodValue5 = Pick(rng, 100);
  v.PeriodValue6 = Pick(rng, 100);
  v.Number2 = Pick(rng, 100);
  v.Number3 = -Pick(rng, 100);
  const bool lower = i % 3 == 0;
  const uint8_t flag1 = FlagByte(rng), flag2 = FlagByte(rng);
  return [lower, flag1, flag2, code4A, yesNo2](uint8_t* raw) {
    if (lower) {
      LowerField(raw, 0, 29);
      LowerField(raw, code4A, 4);
      LowerField(raw, code4A + 5, 9);
    }
    raw[code4A + 4] = flag1;
    raw[yesNo2] = flag2;
  };
}

template <class Table, class R>
int WriteVelocity(demo::Context& ctx, const recfile::Layout<R>& layout, size_t code4A,
                  size_t yesNo2) {
  return WriteTable<Table>(ctx, layout, ctx.records, [&](int i, R& v) {
    return FillVelocity(*ctx.rng, i, v, code4A, yesNo2);
  });
}

// ---- Terms (10) ----

int WriteTerms0204(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  const int count = std::min(ctx.records, 36 * 36);
  return WriteTable<CTerms0204DB>(ctx, kTerms0204Layout, count, [&rng](int i, CTerms0204& t) {
    // One-character codes for the first 36, then two characters; some lower case.
    t.Code = i < 36 ? Serial('X', i, 2).substr(1) : Serial('0', i, 3).substr(1);
    t.Code = i % 5 == 0 ? Lower(t.Code) : t.Code;
    t.Description = i % 3 == 0 ? "Net 30, 2% 10 days!!" : "terms " + Lower(Word(rng, 14));
    return Patch();
  });
}

// ---- Modem profiles (13a, 13b) ----

template <class R>
void FillProfileTexts(std::mt19937& rng, int i, R& p) {
  p.ProfileCode = Serial('M', i, 6);
  p.Text35 = i % 2 == 0 ? "Main office modem, dial 9 first...." : "Modem " + Word(rng, 20);
  p.Text25 = Word(rng, 25);
  p.Text50A = "ATZ" + Word(rng, 40);
  p.Text50B = i % 3 == 0 ? std::string(50, 'B') : Word(rng, 30);
}

int WriteModem0208(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CModemProfile0208DB>(ctx, kModemProfile0208Layout, ctx.records,
                                         [&rng](int i, CModemProfile0208& p) {
                                           FillProfileTexts(rng, i, p);
                                           p.SecretText = "plain " + Word(rng, 20);
                                           p.Value1 = Pick(rng, 100);
                                           p.Value2 = 9600 * (1 + Pick(rng, 4));
                                           p.Value3 = -Pick(rng, 10);
                                           p.Value4 = Pick(rng, 10);
                                           p.Flag1 = Pick(rng, 2) == 0;
                                           const uint8_t flag2 = FlagByte(rng);
                                           const bool lower = i % 2 == 0;
                                           return Patch([flag2, lower](uint8_t* raw) {
                                             raw[233] = flag2;
                                             if (lower) {
                                               LowerField(raw, 0, 6);
                                             }
                                           });
                                         });
}

int WriteModem0300(demo::Context& ctx) {
  std::mt19937& rng = *ctx.rng;
  return WriteTable<CModemProfile0300DB>(
      ctx, kModemProfile0300Layout, ctx.records, [&rng](int i, CModemProfile0300& p) {
        FillProfileTexts(rng, i, p);
        // Empty, full 25-character and ordinary secrets, mixed case.
        p.SecretText = i % 4 == 0 ? "" : i % 4 == 1 ? "Pass-word 25 characters!!" : Word(rng, 12);
        p.Value1 = 2400 * (1 + Pick(rng, 8));
        p.Value2 = 50000 + Pick(rng, 100);
        p.Flag1 = Pick(rng, 2);
        const uint8_t flag1 = FlagByte(rng);
        return Patch([flag1](uint8_t* raw) {
          raw[224] = flag1;
          raw[225] = 0xA5;  // padding in 0300
        });
      });
}

// ---- Order headers (15a to 15e, 16a to 16e) ----

// Header numbers: one below 0, then 0, 1, 2, ... so that a historical 0 meets a stored 1.
int32_t HeaderNumber(int i) {
  return i == 0 ? -5 : i - 1;
}

// A unique 14-digit date-time stamp per header, some before 2000.
std::string DateStamp(int i) {
  char buf[32];
  const int year = i % 3 == 0 ? 1998 : 2024;
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", year, 1 + i / 2419200 % 12,
                1 + i / 86400 % 28, i / 3600 % 24, i / 60 % 60, i % 60);
  return buf;
}

// The 0301 stamp MMDDYYhhmmss: one blank, some in the years 50 and 51, the rest unique.
std::string Stamp0301(int i) {
  if (i == 1) {
    return "";
  }
  char buf[32];
  const int yy = i == 2 ? 50 : i == 3 ? 51 : i % 2 == 0 ? 98 : 5;
  std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d%02d", 1 + i / 2419200 % 12,
                1 + i / 86400 % 28, yy, i / 3600 % 24, i / 60 % 60, i % 60);
  return buf;
}

template <class R>
void FillHeaderBody(std::mt19937& rng, int i, R& h) {
  h.OrderNumber = HeaderNumber(i);
  h.CustomerNumber = Serial('C', Pick(rng, 300), 6);
  h.Reference = Word(rng, 9);
  h.Flag1 = "ohx"[Pick(rng, 3)];
  h.Text1 = i % 4 == 0 ? std::string(42, 'T') : "Deliver to back door " + Word(rng, 10);
  h.Text2 = Word(rng, 25);
  h.OrderDate = Time(rng);
  h.Flag2 = Pick(rng, 2) == 0;
  h.SummaryCount = Pick(rng, 50);
  h.SummaryAmount1 = Amount(rng);
  h.SummaryAmount2 = Amount(rng);
  h.SummaryAmount3 = Amount(rng);
  h.SummaryAmount4 = -1.0;
  h.SummaryAmount5 = Amount(rng);
  h.Text3 = Word(rng, 25);
  h.AddressName = i % 5 == 0 ? "The Blue Plate Diner & Co." : "Cafe " + Word(rng, 10);
  h.AddressLine1 = std::to_string(100 + Pick(rng, 900)) + " Elm Street";
  h.AddressLine2 = Word(rng, 25);
  h.AddressLine3 = "";
  h.City = i % 2 == 0 ? "Spring Valley C" : "Peoria";
  h.State = i % 3 == 0 ? "il" : "IL";
  h.PostalCode = i % 3 == 0 ? "62701-4312" : "62701";
  h.AddressText = Word(rng, 15);
  h.AddressCode = Word(rng, 6);
  h.Phone1 = "(309) 555-" + std::to_string(1000 + Pick(rng, 9000));
  h.Phone2 = i % 4 == 0 ? "" : "309 555 01";
  h.Code2 = Word(rng, 2);
  h.Text20 = Word(rng, 20);
}

template <class R>
Patch FillHeader(std::mt19937& rng, int i, R& h) {
  FillHeaderBody(rng, i, h);
  if constexpr (std::is_same_v<R, COrder0301>) {
    h.OrderStamp = Stamp0301(i);
  } else {
    h.DateStamp = DateStamp(i);
    h.OrderStamp = "OS" + DateStamp(i).substr(2);  // carried over by nothing: DateStamp wins
    if constexpr (requires { h.Flag3; }) {
      h.Flag3 = 'Q';
    }
    if constexpr (requires { h.Flag4; }) {
      h.Flag4 = 'R';
    }
  }
  const bool lower = i % 2 == 1;
  return [lower](uint8_t* raw) {
    if (lower) {
      // The customer number of every layout: 0301 at 16, the others at 32.
      LowerField(raw, std::is_same_v<R, COrder0301> ? 16 : 32, 6);
    }
  };
}

template <class Table, class R>
int WriteHeaders(demo::Context& ctx, const recfile::Layout<R>& layout) {
  return WriteTable<Table>(ctx, layout, std::max(ctx.records, 5),
                           [&ctx](int i, R& h) { return FillHeader(*ctx.rng, i, h); });
}

}  // namespace

namespace demo {

void RegisterOrderDemos(Registry& registry) {
  registry["5a"] = [](Context& ctx) {
    return WriteLines<COrderItem0202DB>(ctx, kOrderItem0202Layout);
  };
  registry["5b"] = [](Context& ctx) {
    return WriteLines<COrderItem0304DB>(ctx, kOrderItem0304Layout);
  };
  registry["6a"] = [](Context& ctx) {
    return WriteLines<CHistOrderItem0202DB>(ctx, kOrderItem0202Layout);
  };
  registry["6b"] = [](Context& ctx) {
    return WriteLines<CHistOrderItem0304DB>(ctx, kOrderItem0304Layout);
  };
  registry["8a"] = [](Context& ctx) {
    return WriteVelocity<CVelocity0201DB>(ctx, kVelocity0201Layout, 76, 136);
  };
  registry["8b"] = [](Context& ctx) {
    return WriteVelocity<CVelocity0208DB>(ctx, kVelocity0208Layout, 80, 140);
  };
  registry["8c"] = [](Context& ctx) {
    return WriteVelocity<CVelocity0304DB>(ctx, kVelocity0304Layout, 80, 144);
  };
  registry["8d"] = [](Context& ctx) {
    return WriteVelocity<CVelocity0401DB>(ctx, kVelocity0401Layout, 88, 152);
  };
  registry["10"] = WriteTerms0204;
  registry["13a"] = WriteModem0208;
  registry["13b"] = WriteModem0300;
  registry["15a"] = [](Context& ctx) { return WriteHeaders<COrder0301DB>(ctx, kOrder0301Layout); };
  registry["15b"] = [](Context& ctx) { return WriteHeaders<COrder0304DB>(ctx, kOrder0304Layout); };
  registry["15c"] = [](Context& ctx) { return WriteHeaders<COrder0306DB>(ctx, kOrder0306Layout); };
  registry["15d"] = [](Context& ctx) { return WriteHeaders<COrder0308DB>(ctx, kOrder0308Layout); };
  registry["15e"] = [](Context& ctx) { return WriteHeaders<COrder0401DB>(ctx, kOrder0401Layout); };
  registry["16a"] = [](Context& ctx) {
    return WriteHeaders<CHistOrder0301DB>(ctx, kOrder0301Layout);
  };
  registry["16b"] = [](Context& ctx) {
    return WriteHeaders<CHistOrder0304DB>(ctx, kOrder0304Layout);
  };
  registry["16c"] = [](Context& ctx) {
    return WriteHeaders<CHistOrder0306DB>(ctx, kOrder0306Layout);
  };
  registry["16d"] = [](Context& ctx) {
    return WriteHeaders<CHistOrder0308DB>(ctx, kOrder0308Layout);
  };
  registry["16e"] = [](Context& ctx) {
    return WriteHeaders<CHistOrder0401DB>(ctx, kOrder0401Layout);
  };
}

}  // namespace demo
