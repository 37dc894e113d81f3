// The field codec: the one place that turns raw record bytes into record objects and back.
//
// A table family declares each record layout once, as a Layout: the record length and a list of
// fields, each with its offset, its width on disk, its encoding and the record-class member it
// fills. Parse() and Format() walk that list; no table class does offset arithmetic of its own.
//
//   const recfile::Layout<CTerms> kTermsLayout{40, {
//       {0, 2, Enc::Text, &CTerms::Code},
//       {2, 20, Enc::Text, &CTerms::Description},
//       {24, 4, Enc::Int32, &CTerms::Value1}, ...}};
//
// Numbers are little-endian at any offset. Bytes that no field covers (padding, reserved) are
// written as zero. A list field (three codes of three characters, ten floats) names a
// std::vector member and a count; each entry takes width / count bytes, entry 0 first.
//
// Encodings and the member type each one fills:
//   Text          std::string  up to the first NUL or the width; written NUL-filled, a value
//                              as long as the width or longer fills it without terminator
//   UpperText     std::string  as Text, upper-cased on reading and (in the record object
//                              itself) before writing
//   UpperOnRead   std::string  upper-cased on reading, written as Text
//   SpaceText     std::string  read as Text; written upper-cased (in the object) and filled
//                              with spaces instead of NULs
//   Zip           std::string  9 bytes, read as "%.5s-%.4s"; written without spaces and "-",
//                              space-filled to 9
//   Phone         std::string  10 bytes, read as "(%.3s) %.3s-%.4s"; written without spaces,
//                              "-", "(" and ")", space-filled to 10
//   Note          std::string  NUL-terminated text from the offset to the end of the record,
//                              at most kMaxNote characters; makes the layout variable-length
//   YesNo         bool         true exactly when the byte is 'Y'; written 'Y' / 'N'
//   YesNoLenient  bool         true when the byte upper-cased is 'Y'; written 'Y' / 'N'
//   Char          char         upper-cased on reading and writing
//   CharUpperOnRead char       upper-cased on reading, written unchanged
//   RawChar       char         unchanged both ways
//   Byte          uint8_t      unchanged
//   Int32         int32_t      unchanged
//   Float32       float        unchanged (bit for bit)
//   Double        double       unchanged (bit for bit)
//   Time32        int64_t      signed 32 bits sign-extended on reading; low 32 bits written
//   BtrDate       int64_t      4 bytes written from a time: day, month, 16-bit year of local
//                              time; zeros for the time -1 and where the time cannot be
//                              converted. Never read.
//   Custom        any          the field's own parse/format functions (one-off encodings)
//
// Upper-casing touches only the letters a to z.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <variant>
#include <vector>

namespace recfile {

enum class Enc : uint8_t {
  Text,
  UpperText,
  UpperOnRead,
  SpaceText,
  Zip,
  Phone,
  Note,
  YesNo,
  YesNoLenient,
  Char,
  CharUpperOnRead,
  RawChar,
  Byte,
  Int32,
  Float32,
  Double,
  Time32,
  BtrDate,
  Custom,
};

constexpr size_t kMaxNote = 4096;

// ---- Primitive encodings, shared by the codec and by the few tables with odd fields. ----

char UpperChar(char c);
void UpperInPlace(std::string& s);
std::string ReadText(const uint8_t* p, size_t width);
void WriteText(uint8_t* p, size_t width, const std::string& value, char fill = '\0');
std::string ReadZip(const uint8_t* p);
void WriteZip(uint8_t* p, const std::string& value);
std::string ReadPhone(const uint8_t* p);
void WritePhone(uint8_t* p, const std::string& value);
int32_t ReadInt32(const uint8_t* p);
void WriteInt32(uint8_t* p, int32_t v);
int16_t ReadInt16(const uint8_t* p);
void WriteInt16(uint8_t* p, int16_t v);
float ReadFloat32(const uint8_t* p);
void WriteFloat32(uint8_t* p, float v);
double ReadDouble(const uint8_t* p);
void WriteDouble(uint8_t* p, double v);
int64_t ReadTime32(const uint8_t* p);
void WriteTime32(uint8_t* p, int64_t t);
// The record manager's date of a time in local time: day, month, 16-bit year. All four bytes
// zero for the time -1, which stands for "no time" (the value a failed time computation
// gives), and when the platform cannot convert the time; any other time before 1970 is a date.
void WriteBtrDate(uint8_t* p, int64_t t);
// The 14-character local date-time stamp "YYYYMMDDhhmmss" of a time; empty when the time
// cannot be converted.
std::string DateTimeStamp(int64_t t);

template <class R>
struct CustomCodec {
  void (*parse)(const uint8_t* field, size_t width, R& record);
  void (*format)(R& record, uint8_t* field, size_t width);
};

template <class R>
using Member = std::variant<std::string R::*, bool R::*, char R::*, uint8_t R::*, int32_t R::*,
                            float R::*, double R::*, int64_t R::*, std::vector<std::string> R::*,
                            std::vector<char> R::*, std::vector<int32_t> R::*,
                            std::vector<float> R::*, std::vector<double> R::*, CustomCodec<R>>;

template <class R>
struct Field {
  uint16_t offset;
  uint16_t width;  // on disk; for a list the width of all entries together
  Enc enc;
  Member<R> member;
  uint16_t count = 1;  // entries of a list member
};

template <class R>
struct Layout {
  uint16_t length;  // fixed record length (the fixed part of a variable-length record)
  std::vector<Field<R>> fields;

  // The longest record Format() can write: the fixed part, or a note's offset plus its text,
  // terminator and the three bytes behind it.
  size_t MaxLength() const;
  // The field that holds the note, or null for a fixed-length layout.
  const Field<R>* NoteField() const;
};

namespace detail {

void ParseString(Enc enc, const uint8_t* p, size_t width, size_t available, std::string& out);
void FormatString(Enc enc, uint8_t* p, size_t width, std::string& value);
bool ParseBool(Enc enc, uint8_t b);
char ParseChar(Enc enc, uint8_t b);
uint8_t FormatChar(Enc enc, char c);
int64_t ParseTime(Enc enc, const uint8_t* p);
void FormatTime(Enc enc, uint8_t* p, int64_t t);

template <class T>
void ParseScalar(Enc enc, const uint8_t* p, size_t width, size_t available, T& out) {
  if constexpr (std::is_same_v<T, std::string>) {
    ParseString(enc, p, width, available, out);
  } else if constexpr (std::is_same_v<T, bool>) {
    out = ParseBool(enc, p[0]);
  } else if constexpr (std::is_same_v<T, char>) {
    out = ParseChar(enc, p[0]);
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    out = p[0];
  } else if constexpr (std::is_same_v<T, int32_t>) {
    out = ReadInt32(p);
  } else if constexpr (std::is_same_v<T, float>) {
    out = ReadFloat32(p);
  } else if constexpr (std::is_same_v<T, double>) {
    out = ReadDouble(p);
  } else if constexpr (std::is_same_v<T, int64_t>) {
    out = ParseTime(enc, p);
  }
}

template <class T>
void FormatScalar(Enc enc, uint8_t* p, size_t width, T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    FormatString(enc, p, width, value);
  } else if constexpr (std::is_same_v<T, bool>) {
    p[0] = value ? 'Y' : 'N';
  } else if constexpr (std::is_same_v<T, char>) {
    p[0] = FormatChar(enc, value);
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    p[0] = value;
  } else if constexpr (std::is_same_v<T, int32_t>) {
    WriteInt32(p, value);
  } else if constexpr (std::is_same_v<T, float>) {
    WriteFloat32(p, value);
  } else if constexpr (std::is_same_v<T, double>) {
    WriteDouble(p, value);
  } else if constexpr (std::is_same_v<T, int64_t>) {
    FormatTime(enc, p, value);
  }
}

template <class>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

// One field from its bytes at `p`; `available` bytes of the record lie from `p` on.
template <class R>
void ParseField(const Field<R>& f, const uint8_t* p, size_t available, R& record) {
  std::visit(
      [&](auto&& m) {
        using M = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<M, CustomCodec<R>>) {
          m.parse(p, f.width, record);
        } else {
          auto& value = record.*m;
          using T = std::decay_t<decltype(value)>;
          if constexpr (IsVector<T>::value) {
            const size_t each = f.width / f.count;
            value.resize(f.count);
            for (size_t i = 0; i < f.count; ++i) {
              ParseScalar(f.enc, p + i * each, each, each, value[i]);
            }
          } else {
            ParseScalar(f.enc, p, f.width, available, value);
          }
        }
      },
      f.member);
}

// The empty value of a field the record read does not hold: texts and notes empty, numbers 0,
// flags false, every entry of a list so. A field of its own encoding reads as from zero bytes.
template <class R>
void ClearField(const Field<R>& f, R& record) {
  std::visit(
      [&](auto&& m) {
        using M = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<M, CustomCodec<R>>) {
          const std::vector<uint8_t> zeros(f.width);
          m.parse(zeros.data(), f.width, record);
        } else {
          auto& value = record.*m;
          using T = std::decay_t<decltype(value)>;
          if constexpr (IsVector<T>::value) {
            value.assign(f.count, typename T::value_type{});
          } else {
            value = T{};
          }
        }
      },
      f.member);
}

}  // namespace detail

// Fills `record` from `len` bytes of a raw record. Every field is set, so a record converts on
// its own even when the object held a longer one before: a field that does not lie whole
// within the `len` bytes takes its empty value (detail::ClearField); a note ends at its
// terminator or at the end of the data, and is empty when the data ends where it begins. A
// record-manager date is never read: it only feeds a key, and the record holds its time
// elsewhere.
template <class R>
void Parse(const Layout<R>& layout, const uint8_t* data, size_t len, R& record) {
  for (const Field<R>& f : layout.fields) {
    if (f.enc == Enc::BtrDate) {
      continue;
    }
    const bool held = f.enc == Enc::Note ? f.offset < len : f.offset + f.width <= len;
    if (held) {
      detail::ParseField(f, data + f.offset, len - f.offset, record);
    } else {
      detail::ClearField(f, record);
    }
  }
}

// Writes `record` into `out`, which holds at least layout.MaxLength() bytes, and returns the
// record length to store: the fixed length, or for a layout with a note the note's offset plus
// its text, terminator and three bytes more. Upper-casing encodings change the record object.
template <class R>
size_t Format(const Layout<R>& layout, R& record, uint8_t* out) {
  std::memset(out, 0, layout.MaxLength());
  size_t written = layout.length;
  for (const Field<R>& f : layout.fields) {
    uint8_t* p = out + f.offset;
    std::visit(
        [&](auto&& m) {
          using M = std::decay_t<decltype(m)>;
          if constexpr (std::is_same_v<M, CustomCodec<R>>) {
            m.format(record, p, f.width);
          } else {
            auto& value = record.*m;
            using T = std::decay_t<decltype(value)>;
            if constexpr (detail::IsVector<T>::value) {
              const size_t each = f.width / f.count;
              for (size_t i = 0; i < f.count && i < value.size(); ++i) {
                detail::FormatScalar(f.enc, p + i * each, each, value[i]);
              }
            } else {
              detail::FormatScalar(f.enc, p, f.width, value);
              if constexpr (std::is_same_v<T, std::string>) {
                if (f.enc == Enc::Note) {
                  written = f.offset + std::min(value.size(), kMaxNote) + 4;
                }
              }
            }
          }
        },
        f.member);
  }
  return written;
}

template <class R>
size_t Layout<R>::MaxLength() const {
  const Field<R>* note = NoteField();
  return note != nullptr ? std::max<size_t>(length, note->offset + kMaxNote + 4) : length;
}

template <class R>
const Field<R>* Layout<R>::NoteField() const {
  for (const Field<R>& f : fields) {
    if (f.enc == Enc::Note) {
      return &f;
    }
  }
  return nullptr;
}

// The field of `layout` that fills `member`; null when none does. A table that must touch one
// field of a raw record in place (a flag cleared without rewriting the rest, a key compared
// byte for byte) finds its offset and width here rather than holding an offset of its own.
template <class R, class T, class C>
const Field<R>* FieldOf(const Layout<R>& layout, T C::*member) {
  T R::*wanted = member;  // a member of a base class of R, as the layout holds it
  for (const Field<R>& f : layout.fields) {
    const auto* held = std::get_if<T R::*>(&f.member);
    if (held != nullptr && *held == wanted) {
      return &f;
    }
  }
  return nullptr;
}

// Checks a layout for declaration faults: a field outside the record, two fields that overlap,
// an encoding that does not fit its member type or width, a list whose width is not a multiple
// of its count. Returns an empty text when the layout is sound, else the first fault.
template <class R>
std::string CheckLayout(const Layout<R>& layout);

}  // namespace recfile

#include "recfile/field_codec_check.h"
