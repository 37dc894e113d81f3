// Look-ups in the installed resource table.
#include "platform/framework/resource_table.h"

namespace framework {

namespace {

const ResourceTable* installed = nullptr;

template <typename T>
const T* FindById(const std::vector<T>& items, int id) {
  for (const T& item : items) {
    if (item.id == id) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

const DialogTemplate* ResourceTable::FindDialog(int id) const {
  return FindById(dialogs, id);
}
const StringEntry* ResourceTable::FindString(int id) const {
  return FindById(strings, id);
}
const IconResource* ResourceTable::FindIcon(int id) const {
  return FindById(icons, id);
}

void SetResources(const ResourceTable* table) {
  installed = table;
}

const ResourceTable& Resources() {
  static const ResourceTable empty;
  return installed != nullptr ? *installed : empty;
}

}  // namespace framework
