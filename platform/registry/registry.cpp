// The settings store: see registry.h. The whole file is read and rewritten on every write; the
// product's settings are a few hundred values, so this costs less than the fsyncs it needs.
#include "platform/registry/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/registry/regfile.h"
#include "platform/sysio/sysio.h"

namespace registry {
namespace {

using sysio::BaseName;
using sysio::DirName;
using sysio::Fd;
using sysio::HomeDirectory;

using regfile::Key;
using regfile::Value;

std::vector<std::string> SplitSection(const std::string& section) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= section.size()) {
    size_t sep = section.find('\\', start);
    if (sep == std::string::npos) {
      sep = section.size();
    }
    if (sep > start) {
      parts.push_back(section.substr(start, sep - start));
    }
    start = sep + 1;
  }
  return parts;
}

// The whole content of a file: 0, or the errno (ENOENT for a missing file).
int ReadWholeFile(const std::string& path, std::string* bytes) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    return errno;
  }
  char buf[65536];
  while (true) {
    ssize_t n = sysio::Read(fd.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return errno;
    }
    if (n == 0) {
      return 0;
    }
    bytes->append(buf, static_cast<size_t>(n));
  }
}

int SyncPath(const std::string& path) {
  return sysio::SyncPath(path);
}

// Creates a directory and its missing parents; every created directory is made durable in its
// parent, so that a file written into it survives a crash.
int MakeDirectories(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) {
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  }
  if (errno != ENOENT) {
    return errno;
  }
  std::string parent = DirName(dir);
  if (parent != dir) {
    if (int err = MakeDirectories(parent)) {
      return err;
    }
  }
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    return errno;
  }
  return SyncPath(parent);
}

int WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = sysio::Write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Replaces the file at `path` by `bytes`, atomically and durably. *renamed tells whether the new
// content took the old one's place (a failure of the final directory sync leaves it there).
int ReplaceFile(const std::string& path, const std::string& bytes, bool* renamed) {
  *renamed = false;
  const std::string tmp = path + ".tmp";
  mode_t mode = 0600;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  }
  Fd fd(open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (fd.get() < 0) {
    return errno;
  }
  int err = fchmod(fd.get(), mode) == 0 ? 0 : errno;
  if (err == 0) {
    err = WriteAll(fd.get(), bytes);
  }
  if (err == 0 && sysio::Fsync(fd.get()) != 0) {
    err = errno;
  }
  int close_err = fd.Close();
  if (err == 0) {
    err = close_err;
  }
  if (err == 0 && sysio::Rename(tmp.c_str(), path.c_str()) != 0) {
    err = errno;
  }
  if (err != 0) {
    sysio::Unlink(tmp.c_str());
    return err;
  }
  *renamed = true;
  return SyncPath(DirName(path));
}

std::string Describe(const std::string& path, const std::string& what, int err) {
  return path + ": " + what + ": " + std::strerror(err);
}

// Reads and parses the file into *tree; false with *error set when that fails.
bool ReadTree(const std::string& path, std::string* bytes, Key* tree, std::string* error) {
  int err = ReadWholeFile(path, bytes);
  if (err == ENOENT) {
    bytes->clear();
    return true;
  }
  if (err != 0) {
    *error = Describe(path, "cannot read", err);
    return false;
  }
  int line = 0;
  std::string reason;
  if (!regfile::Parse(*bytes, tree, &line, &reason)) {
    *error = path + ":" + std::to_string(line) + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace

struct Store::Impl {
  std::vector<std::string> app_key;  // HKEY_CURRENT_USER, Software, maker, product
  Key root;
  bool broken = false;  // the file could not be read or parsed; writes refuse

  std::vector<std::string> KeyPath(const std::string& section) const {
    std::vector<std::string> parts = app_key;
    for (std::string& part : SplitSection(section)) {
      parts.push_back(std::move(part));
    }
    return parts;
  }

  const Key* FindSection(const std::string& section) const {
    const Key* key = &root;
    for (const std::string& part : KeyPath(section)) {
      key = key->FindKey(part);
      if (key == nullptr) {
        return nullptr;
      }
    }
    return key;
  }

  const Value* FindValue(const std::string& section, const std::string& name) const {
    const Key* key = FindSection(section);
    const Value* value = key == nullptr ? nullptr : key->FindValue(name);
    return value == nullptr || value->raw ? nullptr : value;
  }

  // The key of the section in `tree`, created with every key from the application key down
  // listed, as the registry editor would export them.
  Key& EnsureSection(Key* tree, const std::string& section) const {
    Key* key = tree;
    size_t depth = 0;
    for (const std::string& part : KeyPath(section)) {
      key = &key->EnsureKey(part);
      if (++depth >= app_key.size()) {
        key->listed = true;
      }
    }
    return *key;
  }
};

Store::Store(const std::string& maker, const std::string& product)
    : Store(StorePath(maker, product), maker, product) {}

Store::Store(const std::string& path)
    : Store(path, BaseName(DirName(DirName(path))), BaseName(DirName(path))) {}

Store::Store(const std::string& path, const std::string& maker, const std::string& product)
    : path_(path), impl_(std::make_unique<Impl>()) {
  impl_->app_key = {"HKEY_CURRENT_USER", "Software", maker, product};
}

Store::~Store() = default;

bool Store::Load() {
  std::string bytes;
  Key tree;
  if (!ReadTree(path_, &bytes, &tree, &error_)) {
    impl_->broken = true;
    return false;
  }
  impl_->root = std::move(tree);
  impl_->broken = false;
  error_.clear();
  return true;
}

int32_t Store::GetInt(const std::string& section, const std::string& name, int32_t def) const {
  const Value* value = impl_->FindValue(section, name);
  return value != nullptr && value->type == regfile::kDword ? static_cast<int32_t>(value->dword)
                                                            : def;
}

std::string Store::GetString(const std::string& section, const std::string& name,
                             const std::string& def) const {
  const Value* value = impl_->FindValue(section, name);
  return value != nullptr && value->type == regfile::kString ? value->data : def;
}

bool Store::HasValue(const std::string& section, const std::string& name) const {
  return impl_->FindValue(section, name) != nullptr;
}

bool Store::HasSection(const std::string& section) const {
  return impl_->FindSection(section) != nullptr;
}

bool Store::WriteInt(const std::string& section, const std::string& name, int32_t value) {
  return WriteValues({Setting::Int(section, name, value)});
}

bool Store::WriteString(const std::string& section, const std::string& name,
                        const std::string& value) {
  return WriteValues({Setting::Text(section, name, value)});
}

bool Store::WriteValues(const std::vector<Setting>& settings) {
  if (impl_->broken) {
    return false;  // error_ still names the fault of the file
  }
  const std::string dir = DirName(path_);
  if (int err = MakeDirectories(dir)) {
    error_ = Describe(dir, "cannot create the directory", err);
    return false;
  }
  const std::string lock_path = path_ + ".lock";
  Fd lock(open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.get() < 0) {
    error_ = Describe(lock_path, "cannot open", errno);
    return false;
  }
  while (flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      error_ = Describe(lock_path, "cannot lock", errno);
      return false;
    }
  }
  // Another process may have written since this store last read the file.
  std::string before;
  Key tree;
  if (!ReadTree(path_, &before, &tree, &error_)) {
    impl_->broken = true;
    return false;
  }
  for (const Setting& setting : settings) {
    Value value;
    value.name = setting.name;
    value.type = setting.is_int ? regfile::kDword : regfile::kString;
    value.dword = static_cast<uint32_t>(setting.number);
    value.data = setting.text;
    impl_->EnsureSection(&tree, setting.section).SetValue(value);
  }
  std::string after = regfile::Serialize(tree);
  bool renamed = false;
  int err = after == before ? 0 : ReplaceFile(path_, after, &renamed);
  if (err == 0 || renamed) {
    impl_->root = std::move(tree);
  }
  if (err != 0) {
    error_ = Describe(path_, "cannot write", err);
    return false;
  }
  error_.clear();
  return true;
}

std::string StorePath(const std::string& maker, const std::string& product) {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base =
      xdg != nullptr && xdg[0] == '/' ? std::string(xdg) : HomeDirectory() + "/.config";
  return base + "/" + maker + "/" + product + "/registry.reg";
}

}  // namespace registry
