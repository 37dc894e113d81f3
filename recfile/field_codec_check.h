// Declaration checks of record layouts (included by field_codec.h).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace recfile {
namespace detail {

template <class T>
bool EncFits(Enc enc, size_t width) {
  if constexpr (std::is_same_v<T, std::string>) {
    switch (enc) {
      case Enc::Text:
      case Enc::UpperText:
      case Enc::UpperOnRead:
      case Enc::SpaceText:
      case Enc::Note:
        return true;
      case Enc::Zip:
        return width == 9;
      case Enc::Phone:
        return width == 10;
      default:
        return false;
    }
  } else if constexpr (std::is_same_v<T, bool>) {
    return (enc == Enc::YesNo || enc == Enc::YesNoLenient) && width == 1;
  } else if constexpr (std::is_same_v<T, char>) {
    return (enc == Enc::Char || enc == Enc::CharUpperOnRead || enc == Enc::RawChar) && width == 1;
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    return enc == Enc::Byte && width == 1;
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return enc == Enc::Int32 && width == 4;
  } else if constexpr (std::is_same_v<T, float>) {
    return enc == Enc::Float32 && width == 4;
  } else if constexpr (std::is_same_v<T, double>) {
    return enc == Enc::Double && width == 8;
  } else if constexpr (std::is_same_v<T, int64_t>) {
    return (enc == Enc::Time32 || enc == Enc::BtrDate) && width == 4;
  }
  return false;
}

template <class R>
std::string CheckField(const Field<R>& f) {
  return std::visit(
      [&](auto&& m) -> std::string {
        using M = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<M, CustomCodec<R>>) {
          return f.enc == Enc::Custom ? "" : "a custom field must use Enc::Custom";
        } else {
          using T = std::decay_t<decltype(std::declval<R&>().*m)>;
          if constexpr (IsVector<T>::value) {
            if (f.count < 1 || f.width % f.count != 0) {
              return "list width is not a multiple of its count";
            }
            return EncFits<typename T::value_type>(f.enc, f.width / f.count)
                       ? ""
                       : "encoding does not fit the list's entry type or width";
          } else {
            return EncFits<T>(f.enc, f.width) ? ""
                                              : "encoding does not fit the member type or width";
          }
        }
      },
      f.member);
}

}  // namespace detail

template <class R>
std::string CheckLayout(const Layout<R>& layout) {
  std::vector<std::pair<size_t, size_t>> spans;
  for (const Field<R>& f : layout.fields) {
    const std::string where = "field at offset " + std::to_string(f.offset) + ": ";
    if (std::string why = detail::CheckField(f); !why.empty()) {
      return where + why;
    }
    const size_t end = f.enc == Enc::Note ? f.offset + 1 : f.offset + f.width;
    // A note may begin right where the fixed part ends: its text and terminator lie beyond it.
    const size_t limit = f.enc == Enc::Note ? layout.length + 1 : layout.length;
    if (end > limit) {
      return where + "extends beyond the record length " + std::to_string(layout.length);
    }
    spans.emplace_back(f.offset, end);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first < spans[i - 1].second) {
      return "fields at offsets " + std::to_string(spans[i - 1].first) + " and " +
             std::to_string(spans[i].first) + " overlap";
    }
  }
  return {};
}

}  // namespace recfile
