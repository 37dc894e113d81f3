// Window records, mnemonics and text wrapping.
#include "platform/framework/window.h"

#include <cctype>

namespace framework {

Window* Window::FindChild(int controlId) const {
  for (Window* child : children) {
    if (child->id == controlId) {
      return child;
    }
  }
  return nullptr;
}

std::string StripMnemonic(const std::string& label) {
  std::string shown;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) {
      ++i;
    }
    shown += label[i];
  }
  return shown;
}

char MnemonicOf(const std::string& label) {
  for (size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != '&') {
      continue;
    }
    if (label[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(label[i + 1])));
  }
  return 0;
}

namespace {

void WrapLine(const std::string& line, size_t width, std::vector<std::string>& out) {
  std::string rest = line;
  while (rest.size() > width) {
    size_t cut = rest.rfind(' ', width);
    if (cut == std::string::npos || cut == 0) {
      out.push_back(rest.substr(0, width));
      rest.erase(0, width);
      continue;
    }
    out.push_back(rest.substr(0, cut));
    rest.erase(0, cut + 1);
  }
  out.push_back(rest);
}

}  // namespace

std::vector<std::string> WrapText(const std::string& text, int width) {
  std::vector<std::string> lines;
  if (width <= 0) {
    return lines;
  }
  size_t start = 0;
  while (true) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    WrapLine(line, static_cast<size_t>(width), lines);
    if (end == std::string::npos) {
      break;
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace framework
