// Demo writers of the catalogue tables: one per conversion step (1, 4, 12, 14a-14d, 17a-17d,
// 19, 21). Each writes the step's legacy file through the legacy layout, then edits a few stored
// bytes the way old writers left them: lower-case letters in texts that readers upper-case,
// flag bytes "y", space and NUL, unused bytes that are not zero. Among the values are texts as
// wide as their field, notes with leading and trailing spaces, dates of -1 and negative numbers.
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <string>

#include "recfile/table_ops.h"
#include "tables/catalog/category.h"
#include "tables/catalog/guide_item.h"
#include "tables/catalog/inventory_item.h"
#include "tables/catalog/item.h"
#include "tables/catalog/item_unit.h"
#include "tables/catalog/menu_hdr.h"
#include "tables/catalog/special.h"
#include "tools/mkdemo/demo.h"

namespace demo {
namespace {

using Edit = std::function<void(uint8_t* record)>;

// Random values for one record.
class Dice {
 public:
  explicit Dice(std::mt19937& rng) : rng_(rng) {}
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  float Amount() { return static_cast<float>(Int(-99999, 999999)) / 100.0f; }
  double Double() { return static_cast<double>(Int(-999999, 9999999)) / 1000.0; }
  bool OneIn(int n) { return Int(0, n - 1) == 0; }
  std::string Word(size_t width) { return RandomWord(rng_, width, OneIn(4)); }
  // As wide as the field now and then, else shorter.
  std::string Text(size_t width) {
    std::string s = RandomWord(rng_, width, OneIn(3));
    if (OneIn(4)) {
      s.resize(width, 'W');
    }
    return s;
  }
  char Code() { return static_cast<char>('A' + Int(0, 25)); }
  // A time in recent years, one of -1 now and then.
  int64_t Date() { return OneIn(8) ? -1 : 946684800 + Int(0, 30 * 365) * int64_t{86400}; }
  std::string Note(size_t most) {
    if (OneIn(3)) {
      return "";
    }
    std::string note = OneIn(4) ? "  " : "";
    note += "Note " + RandomWord(rng_, most / 2, true);
    note += OneIn(2) ? "   " : "";
    return note.substr(0, most);
  }
  // A flag byte as old writers left it.
  uint8_t FlagByte() {
    static const uint8_t kBytes[] = {'Y', 'N', 'Y', 'N', 'y', ' ', 0};
    return kBytes[Int(0, 6)];
  }
  void Lower(uint8_t* field, size_t width) {
    if (!OneIn(3)) {
      return;
    }
    for (size_t i = 0; i < width; ++i) {
      if (field[i] >= 'A' && field[i] <= 'Z') {
        field[i] = static_cast<uint8_t>(field[i] - 'A' + 'a');
      }
    }
  }

 private:
  std::mt19937& rng_;
};

// Formats `record`, applies `edit` to the stored bytes and inserts them; `length` 0 keeps the
// length the layout writes.
template <class R>
int InsertEdited(CBtrieveDB& table, const recfile::Layout<R>& layout, R& record, size_t length,
                 const Edit& edit) {
  uint8_t buffer[recfile::kMaxRecord];
  const size_t written = recfile::Format(layout, record, buffer);
  if (edit) {
    edit(buffer);
  }
  uint16_t dataLength = static_cast<uint16_t>(length != 0 ? length : written);
  uint8_t key[255] = {};
  return table.Insert(buffer, &dataLength, key, 0);
}

// Creates `fileName` through `table` and fills it with `count` records from `write`.
int WriteFile(Context& ctx, CBtrieveDB& table, const char* fileName, int count,
              const std::function<int(int index)>& write) {
  int status = table.CreateFile(fileName);
  for (int i = 0; status == 0 && i < count; ++i) {
    status = write(i);
  }
  table.Close();
  if (status != 0) {
    ctx.error = std::string("cannot write ") + fileName + ": status " + std::to_string(status);
  }
  return status;
}

// A unique item number: letters, then the index in digits (so no two indexes give one
// number); as wide as the field now and then.
std::string ItemNumber(Dice& dice, int index) {
  const std::string digits = std::to_string(index);
  const size_t room = digits.size() < 12 ? 12 - digits.size() : 0;
  const size_t letters =
      dice.OneIn(3) ? room : static_cast<size_t>(dice.Int(0, static_cast<int>(room)));
  std::string number;
  for (size_t i = 0; i < letters; ++i) {
    number.push_back(dice.Code());
  }
  return (number + digits).substr(0, 12);
}

// Five characters in base 36, unique for every index below 36 to the fifth.
std::string Base36(int index) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string code(5, '0');
  for (int i = 4; i >= 0 && index > 0; --i, index /= 36) {
    code[i] = kDigits[index % 36];
  }
  return code;
}

// ---- Items ----

// The fields every item layout has, filled from the dice.
template <class R>
void FillItem(Dice& dice, R& r, int index) {
  r.ItemNumber = ItemNumber(dice, index);
  r.Text12 = dice.Text(3);
  r.Text15 = dice.Text(5);
  r.Text20 = dice.Text(10);
  r.Text56 = dice.Text(2);
  r.Text58 = dice.Text(15);
  r.Text96 = dice.Text(30);
  r.Text152 = dice.Text(3);
  r.Text168 = dice.Text(3);
  r.Text180 = dice.Text(3);
  r.Text199 = dice.Text(12);
  r.Text211 = dice.Text(12);
  r.CodeList = {dice.Text(3), dice.Text(2), dice.OneIn(2) ? "" : dice.Text(3)};
  r.Text234 = dice.Text(6);
  r.Text240 = dice.Text(15);
  r.Text255 = dice.Text(2);
  r.Text276 = dice.Text(2);
  r.Number88 = dice.Int(-1000, 100000);
  r.Number48 = dice.Int(-1000, 100000);
  r.Number52 = dice.Int(-1000, 100000);
  r.Number76 = dice.Int(-1000, 100000);
  r.Number184 = dice.Int(-1000, 100000);
  r.Number188 = dice.Int(-1000, 100000);
  r.Code155 = dice.Code();
  r.Code198 = dice.Code();
  for (float* amount : {&r.Amount32, &r.Amount36, &r.Amount84, &r.Amount92, &r.Amount148,
                        &r.Amount164, &r.Amount156, &r.Amount160, &r.Amount176, &r.Amount192}) {
    *amount = dice.Amount();
  }
  r.AmountList = {dice.Amount(), dice.Amount(), dice.Amount()};
  r.Date272 = dice.Date();
}

// Stored-byte edits at the offsets of one item layout: flags, and upper-case texts that old
// writers left in lower case (never the item number, which must stay unique in upper case).
struct ItemOffsets {
  int flags[9];
  int text20, text152, text240;
};

Edit ItemEdit(Dice& dice, const ItemOffsets& at) {
  uint8_t flags[9];
  for (uint8_t& f : flags) {
    f = dice.FlagByte();
  }
  const bool lower = dice.OneIn(3);
  return [=](uint8_t* record) {
    for (int i = 0; i < 9; ++i) {
      record[at.flags[i]] = flags[i];
    }
    if (lower) {
      for (auto [offset, width] : {std::pair{at.text20, 10}, {at.text152, 3}, {at.text240, 15}}) {
        for (int k = 0; k < width; ++k) {
          uint8_t& b = record[offset + k];
          b = (b >= 'A' && b <= 'Z') ? static_cast<uint8_t>(b - 'A' + 'a') : b;
        }
      }
    }
  };
}

const ItemOffsets k0208Offsets{{40, 130, 163, 164, 188, 189, 215, 216, 84}, 20, 136, 232};
const ItemOffsets k0308Offsets{{40, 130, 155, 156, 180, 181, 207, 208, 84}, 20, 136, 224};
const ItemOffsets k03094Offsets{{40, 150, 175, 176, 200, 201, 227, 228, 84}, 20, 156, 244};
const ItemOffsets k0400Offsets{{40, 146, 171, 172, 196, 197, 223, 224, 80}, 20, 152, 240};

int WriteItems0208(Context& ctx) {
  Dice dice(*ctx.rng);
  CItem0208DB table;
  return WriteFile(ctx, table, "ITEM.DB", ctx.records, [&](int i) {
    CItem0208 r;
    FillItem(dice, r, i);
    r.Note = dice.OneIn(2) ? " note   " : dice.Text(8);
    r.LegacyText41 = dice.Text(9);
    r.LegacyCode85 = dice.Code();
    return InsertEdited(table, kItem0208Layout, r, 0, ItemEdit(dice, k0208Offsets));
  });
}

// Legacy variable-length items: the note's offset, its text and `tail` bytes are written.
template <class DB, class R>
int WriteVariableItems(Context& ctx, const recfile::Layout<R>& layout, const ItemOffsets& offsets,
                       size_t tail, const std::function<void(R&)>& more) {
  Dice dice(*ctx.rng);
  DB table;
  return WriteFile(ctx, table, "ITEM.DB", ctx.records, [&](int i) {
    R r;
    FillItem(dice, r, i);
    r.Note = dice.Note(dice.OneIn(10) ? 4096 : 200);
    more(r);
    const size_t length = layout.NoteField()->offset + r.Note.size() + tail;
    return InsertEdited(table, layout, r, length, ItemEdit(dice, offsets));
  });
}

int WriteItems0308(Context& ctx) {
  Dice dice(*ctx.rng);
  return WriteVariableItems<CItem0308DB, CItem0308>(ctx, kItem0308Layout, k0308Offsets, 2,
                                                    [&](CItem0308& r) {
                                                      r.LegacyText41 = dice.Text(9);
                                                      r.LegacyCode85 = dice.Code();
                                                    });
}

int WriteItems03094(Context& ctx) {
  Dice dice(*ctx.rng);
  return WriteVariableItems<CItem03094DB, CItem03094>(ctx, kItem03094Layout, k03094Offsets, 1,
                                                      [&](CItem03094& r) {
                                                        r.Text96 = dice.Text(50);
                                                        r.Text278 = dice.Text(50);
                                                        r.Text328 = dice.Text(15);
                                                        r.LegacyText41 = dice.Text(9);
                                                        r.LegacyCode85 = dice.Code();
                                                      });
}

int WriteItems0400(Context& ctx) {
  Dice dice(*ctx.rng);
  return WriteVariableItems<CItem0400DB, CItem0400>(ctx, kItem0400Layout, k0400Offsets, 1,
                                                    [&](CItem0400& r) {
                                                      r.Text96 = dice.Text(50);
                                                      r.Text278 = dice.Text(50);
                                                      r.Text328 = dice.Text(15);
                                                      r.Text41 = dice.Text(4);
                                                      r.LegacyCode81 = dice.Code();
                                                    });
}

// ---- Item units ----

const char* const kUnits[] = {"CS", "EA", "LB", "BX", "DZ", "PK"};

// Unit records of items 0, 1, 2, ...: one to four units each, unique by item and unit.
template <class R>
void FillItemUnit(Dice& dice, R& r, int index, std::string& item, int& unit) {
  if (item.empty() || unit >= 4 || dice.OneIn(3)) {
    item = ItemNumber(dice, index);
    unit = 0;
  }
  r.ItemNumber = item;
  r.UnitCode = kUnits[unit++];
  r.Code12 = dice.Code();
  r.Text16 = dice.Text(10);
  r.Text36 = dice.Text(8);
  r.Text48 = dice.Text(8);
  r.Text68 = dice.Text(30);
  r.Text98 = dice.Text(13);
  r.Text216 = dice.Text(8);
  r.textList.assign(10, "");
  for (std::string& t : r.textList) {
    t = dice.OneIn(2) ? dice.Text(8) : "";
  }
  r.Flag111 = dice.OneIn(2);
  r.Flag120 = dice.OneIn(2);
  r.Flag131 = dice.OneIn(2);
  r.Code284 = dice.Code();
  r.Number56 = dice.Int(-50, 5000);
  for (float* amount : {&r.Amount28, &r.Amount32, &r.Amount44, &r.Amount276, &r.Amount268,
                        &r.Amount272, &r.Amount60, &r.Amount64, &r.Amount112, &r.Amount116,
                        &r.Amount124, &r.Amount288, &r.Amount292}) {
    *amount = dice.Amount();
  }
  r.AmountList.assign(11, 0.0f);
  for (float& amount : r.AmountList) {
    amount = dice.Amount();
  }
}

// Flags as old writers left them, Text98 in lower case now and then, and the unused bytes 128
// to 135 not zero.
Edit ItemUnitEdit(Dice& dice, bool is0301) {
  const uint8_t f111 = dice.FlagByte();
  const uint8_t f131 = dice.FlagByte();
  const bool junk = dice.OneIn(4);
  const bool lower = dice.OneIn(3);
  return [=](uint8_t* record) {
    record[111] = f111;
    record[131] = f131;
    for (int k = 98; lower && k < 98 + 13; ++k) {
      record[k] =
          (record[k] >= 'A' && record[k] <= 'Z') ? static_cast<uint8_t>(record[k] + 32) : record[k];
    }
    if (junk && !is0301) {
      std::memset(record + 128, 0x20, 3);
      std::memset(record + 132, 0x7F, 4);
    }
  };
}

template <class DB, class R>
int WriteItemUnits(Context& ctx, const char* fileName, const recfile::Layout<R>& layout,
                   const std::function<void(Dice&, R&)>& more) {
  Dice dice(*ctx.rng);
  DB table;
  std::string item;
  int unit = 0;
  return WriteFile(ctx, table, fileName, ctx.records, [&](int i) {
    R r;
    FillItemUnit(dice, r, i, item, unit);
    more(dice, r);
    return InsertEdited(table, layout, r, 0, ItemUnitEdit(dice, layout.length == 292));
  });
}

int WriteItemUnits0301(Context& ctx) {
  return WriteItemUnits<CItemUnit0301DB, CItemUnit0301>(ctx, "ItemUnit.DB", kItemUnit0301Layout,
                                                        [](Dice& dice, CItemUnit0301& r) {
                                                          r.LegacyFlag128 = dice.OneIn(2);
                                                          r.LegacyFlag129 = dice.OneIn(2);
                                                          r.LegacyFlag130 = dice.OneIn(2);
                                                          r.LegacyAmount132 = dice.Amount();
                                                        });
}

int WriteItemUnits0308(Context& ctx) {
  return WriteItemUnits<CItemUnit0308DB, CItemUnit0308>(
      ctx, "ITEMUNIT.DB", kItemUnit0308Layout,
      [](Dice& dice, CItemUnit0308& r) { r.Amount280 = dice.Amount(); });
}

template <class R>
void Fill03094Unit(Dice& dice, R& r) {
  r.Amount280 = dice.Amount();
  r.Amount296 = dice.Amount();
  r.Amount300 = dice.Amount();
  r.Amount304 = dice.Amount();
  r.Text308 = dice.Text(8);
}

int WriteItemUnits03094(Context& ctx) {
  return WriteItemUnits<CItemUnit03094DB, CItemUnit03094>(
      ctx, "ITEMUNIT.DB", kItemUnit03094Layout,
      [](Dice& dice, CItemUnit03094& r) { Fill03094Unit(dice, r); });
}

int WriteItemUnits0400(Context& ctx) {
  return WriteItemUnits<CItemUnit0400DB, CItemUnit0400>(
      ctx, "ITEMUNIT.DB", kItemUnit0400Layout, [](Dice& dice, CItemUnit0400& r) {
        Fill03094Unit(dice, r);
        r.Text316 = dice.Word(20);  // lower case now and then: readers upper-case it
      });
}

// ---- Categories, order guide items, specials, inventory items, menu headers ----

int WriteCategories(Context& ctx) {
  Dice dice(*ctx.rng);
  CCategory0308DB table;
  return WriteFile(ctx, table, "CATEGORY.DB", ctx.records, [&](int i) {
    CCategory0308 r;
    r.CategoryCode = Base36(i);
    r.Text5 = dice.Text(3);
    r.Text8 = dice.Text(30);
    r.Text38 = dice.Text(2);
    r.Number40 = dice.Int(-10, 1000);
    const bool lower = dice.OneIn(3);
    return InsertEdited(table, kCategory0308Layout, r, 0, [&](uint8_t* record) {
      if (lower) {
        dice.Lower(record + 5, 3);
        dice.Lower(record + 38, 2);
      }
    });
  });
}

int WriteGuideFile(Context& ctx, const char* fileName) {
  Dice dice(*ctx.rng);
  CGuideItemDB table;
  return WriteFile(ctx, table, fileName, ctx.records, [&](int i) {
    CGuideItem r;
    r.GuideCode = "G" + std::to_string(i % 7);
    r.Number6 = dice.Int(-20, 300);  // negative and above 255: ordered as integers
    r.Number10 = i;                  // unique with the guide code
    r.Text14 = ItemNumber(dice, i);
    r.Text26 = kUnits[dice.Int(0, 5)];
    r.Date29 = dice.Date();
    return InsertEdited(table, kGuideItemLayout, r, 0,
                        [&](uint8_t* record) { dice.Lower(record + 26, 3); });
  });
}

int WriteGuideItems(Context& ctx) {
  const int status = WriteGuideFile(ctx, "GDEITEM.DB");
  return status != 0 ? status : WriteGuideFile(ctx, "LGDEITM.DB");
}

// Specials dated in the past, -1, and in the coming months: the rebuilt file keeps the current.
int WriteSpecials(Context& ctx) {
  Dice dice(*ctx.rng);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  CSpecialDB table;
  return WriteFile(ctx, table, "SPECIAL.DB", ctx.records, [&](int i) {
    CSpecial r;
    r.Text0 = dice.Text(6);
    r.Text6 = ItemNumber(dice, i);
    r.Text18 = kUnits[dice.Int(0, 5)];
    const int pick = dice.Int(0, 5);
    r.Date24 = pick == 0   ? -1
               : pick == 1 ? now - dice.Int(1, 400) * 86400
                           : now + dice.Int(1, 200) * 86400;
    r.Flag28 = dice.Int(-1, 1);
    r.Flag29 = dice.Int(-1, 1);
    r.Flag48 = dice.Int(-1, 1);
    r.Amount32 = dice.Amount();
    r.Amount36 = dice.Amount();
    r.Amount40 = dice.Amount();
    r.Amount44 = dice.Amount();
    // Lower-case texts are kept as they stand by readers; only writers upper-case them.
    return InsertEdited(table, kSpecialLayout, r, 0,
                        [&](uint8_t* record) { dice.Lower(record + 18, 3); });
  });
}

int WriteInventoryItems(Context& ctx) {
  Dice dice(*ctx.rng);
  CInventoryItemDB table;
  return WriteFile(ctx, table, "INVITEM.DB", ctx.records, [&](int i) {
    CInventoryItem r;
    r.Text0 = dice.Text(dice.Int(1, 6));
    r.Text6 = ItemNumber(dice, i);
    r.Text18 = kUnits[dice.Int(0, 5)];
    r.Number21 = dice.Int(0, 9999999);
    r.Number28 = dice.Int(-100000, 100000);
    r.Number40 = dice.Int(-100000, 100000);
    r.Number48 = dice.Int(-100000, 100000);
    r.Amount44 = dice.Amount();
    r.Amount52 = dice.Amount();
    r.Date56 = dice.Date();
    const bool junk = dice.OneIn(3);
    return InsertEdited(table, kInventoryItemLayout, r, 0, [&](uint8_t* record) {
      dice.Lower(record, 6);
      if (junk) {
        std::memset(record + 32, 0x5A, 8);  // never read; the rebuild writes zero
      }
    });
  });
}

int WriteMenuHeaders(Context& ctx) {
  Dice dice(*ctx.rng);
  CMenuHdr0403DB table;
  return WriteFile(ctx, table, "MenuHdr.DB", ctx.records, [&](int i) {
    CMenuHdr0403 r;
    r.Code0 = dice.OneIn(4) ? 'g' : 'G';
    r.Text1 = dice.Text(8);
    r.Text9 = "MENU" + std::to_string(i);  // unique
    r.Text23 = dice.Text(14);
    r.Text37 = dice.Text(30);
    r.Note = dice.Note(dice.OneIn(10) ? 4096 : 300);
    r.Amount88 = dice.Double();
    r.Amount96 = dice.Double();
    r.Amount104 = dice.Double();
    r.Amount112 = dice.Double();
    r.Date120 = dice.Date();
    return InsertEdited(table, kMenuHdr0403Layout, r, 0, [&](uint8_t* record) {
      dice.Lower(record + 1, 8);
      dice.Lower(record + 23, 14);
    });
  });
}

}  // namespace

void RegisterCatalogDemos(Registry& registry) {
  registry["1"] = WriteGuideItems;
  registry["4"] = WriteSpecials;
  registry["12"] = WriteInventoryItems;
  registry["14a"] = WriteItems0208;
  registry["14b"] = WriteItems0308;
  registry["14c"] = WriteItems03094;
  registry["14d"] = WriteItems0400;
  registry["17a"] = WriteItemUnits0301;
  registry["17b"] = WriteItemUnits0308;
  registry["17c"] = WriteItemUnits03094;
  registry["17d"] = WriteItemUnits0400;
  registry["19"] = WriteCategories;
  registry["21"] = WriteMenuHeaders;
}

}  // namespace demo
