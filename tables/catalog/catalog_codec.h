// Field encodings that only catalogue tables use, as custom codecs for recfile::Layout.
#pragma once

#include <string>

#include "recfile/field_codec.h"

namespace catalog {

// Text taken as it stands on reading but upper-cased (in the record object itself) before
// writing: several catalogue texts are kept upper case by their writers alone.
template <class R, std::string R::*M>
void ParseAsStored(const uint8_t* field, size_t width, R& record) {
  record.*M = recfile::ReadText(field, width);
}

template <class R, std::string R::*M>
void FormatUpper(R& record, uint8_t* field, size_t width) {
  recfile::UpperInPlace(record.*M);
  recfile::WriteText(field, width, record.*M);
}

template <class R, std::string R::*M>
constexpr recfile::CustomCodec<R> UpperOnWrite() {
  return {&ParseAsStored<R, M>, &FormatUpper<R, M>};
}

}  // namespace catalog
