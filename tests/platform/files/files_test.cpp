#include "platform/files/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

using rectest::ReadBytes;

void Touch(const fs::path& path, const std::string& content = "x") {
  rectest::WriteBytes(path, content);
}

// Every entry name of a directory, sorted.
Names Listing(const fs::path& dir) {
  Names names;
  for (const auto& e : fs::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

using rectest::ScopedEnv;

// Each test runs in a fresh directory that is also the current directory, as the data
// directory is for the application.
class FilesTest : public rectest::InScratchDir {
 protected:
  const fs::path root_{scratch_path()};
};

TEST_F(FilesTest, NamesResolveWithoutRegardToCaseAndExactMatchWins) {
  Touch("ITEMUNIT.DB");
  fs::create_directory("savedb");
  Touch("savedb/pcont.db");
  Touch("Terms.db", "mixed");
  Touch("TERMS.DB", "upper");

  EXPECT_EQ(files::Resolve("ItemUnit.DB"), "ITEMUNIT.DB");
  EXPECT_TRUE(files::Exists("ItemUnit.DB"));
  EXPECT_EQ(files::Resolve("SAVEDB\\PCONT.DB"), "savedb/pcont.db");
  EXPECT_TRUE(files::Exists("SAVEDB\\PCONT.DB"));
  EXPECT_TRUE(files::IsDirectory("SaveDB"));
  EXPECT_FALSE(files::IsDirectory("SAVEDB\\PCONT.DB"));
  EXPECT_FALSE(files::Exists("SAVEDB\\ITEM.DB"));
  EXPECT_EQ(files::Resolve("SAVEDB\\NEW.DB"), "savedb/NEW.DB");  // a new file keeps its name
  EXPECT_EQ(files::Resolve("Terms.db"), "Terms.db");
  EXPECT_EQ(files::Resolve("TERMS.DB"), "TERMS.DB");
  EXPECT_EQ(files::Resolve("terms.DB"), "TERMS.DB");  // no exact match: the first in byte order

  // A drive letter stands for the root; every component of an absolute name is matched too.
  std::string windows = "C:" + root_.string();
  std::replace(windows.begin(), windows.end(), '/', '\\');
  std::transform(windows.begin(), windows.end(), windows.begin(), ::toupper);
  EXPECT_EQ(files::Resolve(windows + "\\SAVEDB\\PCONT.DB"), (root_ / "savedb/pcont.db").string());
}

TEST_F(FilesTest, FindFilesMatchesPatternsWithoutRegardToCase) {
  for (const char* name : {"b.DB", "A.db", "c.Db", "notes.txt", "noext", "a[1].db", "x.dbx"}) {
    Touch(name);
  }
  fs::create_directory("Dir.db");
  fs::create_directory("savedb");
  Touch("savedb/PCONT.DB");
  Touch("savedb/pcont.bak");

  const std::pair<std::string, Names> found[] = {
      {"*.db", {"A.db", "a[1].db", "b.DB", "c.Db", "Dir.db"}},
      {".\\?.DB", {"A.db", "b.DB", "c.Db"}},
      {"A[1].DB", {"a[1].db"}},  // brackets are ordinary characters
      {"*.*",
       {"A.db", "a[1].db", "b.DB", "c.Db", "Dir.db", "noext", "notes.txt", "savedb", "x.dbx"}},
      {"*t*", {"noext", "notes.txt"}},
      {"SAVEDB\\*.DB", {"PCONT.DB"}},
      {(root_ / "SaveDB").string() + "\\pcont.*", {"pcont.bak", "PCONT.DB"}},
      {"*.zip", {}},  // nothing found is a complete search; a directory that cannot be read is not
  };
  Names names;
  for (const auto& [pattern, expected] : found) {
    EXPECT_EQ(files::FindFiles(pattern, &names), 0) << pattern;
    EXPECT_EQ(names, expected) << pattern;
  }
  EXPECT_EQ(files::FindFiles("MISSING\\*.db", &names), ENOENT);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(files::FindFiles("notes.txt\\*.db", &names), ENOTDIR);
  if (geteuid() != 0) {
    fs::create_directory("locked");
    fs::permissions("locked", fs::perms::none);
    EXPECT_EQ(files::FindFiles("locked\\*.db", &names), EACCES);
    fs::permissions("locked", fs::perms::owner_all);
  }
}

TEST_F(FilesTest, RenameRefusesAnExistingTargetAndMovesFilesAndDirectories) {
  Touch("TERMS.DB", "old");
  Touch("TMP.DB", "new");
  Touch("b.db", "b");
  EXPECT_EQ(files::RenameFile("Tmp.db", "TERMS.DB"), EEXIST);
  EXPECT_EQ(files::RenameFile("TMP.DB", "terms.db"), EEXIST);  // same file on Windows
  EXPECT_EQ(files::RenameFile("b.db", "tmp.db"), EEXIST);
  EXPECT_EQ(files::RenameFile("NONE.DB", "OTHER.DB"), ENOENT);
  EXPECT_EQ(files::RenameFile("TMP.DB", "NODIR\\TMP.DB"), ENOENT);
  EXPECT_EQ(Listing("."), (Names{"TERMS.DB", "TMP.DB", "b.db"}));
  fs::remove("b.db");

  fs::create_directory("savedb");
  ASSERT_EQ(files::RenameFile("Terms.DB", "SAVEDB\\TERMS.DB"), 0);
  ASSERT_EQ(files::RenameFile("TMP.DB", "TERMS.DB"), 0);
  EXPECT_EQ(ReadBytes("savedb/TERMS.DB"), "old");  // the refusals above changed nothing
  EXPECT_EQ(ReadBytes("TERMS.DB"), "new");
  EXPECT_EQ(files::RenameFile("SAVEDB\\terms.db", "Terms.Db"), EEXIST);

  // Another letter case of the same name renames the file itself; the same name is no change.
  ASSERT_EQ(files::RenameFile("TERMS.DB", "Terms.db"), 0);
  ASSERT_EQ(files::RenameFile("Terms.db", "Terms.db"), 0);
  EXPECT_EQ(Listing("."), (Names{"Terms.db", "savedb"}));

  // A whole directory moves, and refuses a target that exists.
  fs::create_directories("old/CONFS/sub");
  Touch("old/CONFS/sub/a.cfg", "cfg");
  fs::create_directory("new");
  ASSERT_EQ(files::RenameFile("OLD\\confs", "NEW\\CONFS"), 0);
  EXPECT_EQ(ReadBytes("new/CONFS/sub/a.cfg"), "cfg");
  EXPECT_FALSE(fs::exists("old/CONFS"));
  fs::create_directory("old/CONFS");
  EXPECT_EQ(files::RenameFile("old\\CONFS", "new\\confs"), EEXIST);
}

TEST_F(FilesTest, MoveByCopyCopiesTheWholeTreeThenDeletesTheSource) {
  fs::create_directories("old/DBTEXT/deep");
  Touch("old/DBTEXT/a.txt", std::string(200000, 'a'));
  Touch("old/DBTEXT/deep/b.txt", "b");
  Touch("old/DBTEXT/empty.txt", "");
  fs::create_symlink("a.txt", "old/DBTEXT/link");
  ASSERT_EQ(chmod("old/DBTEXT/deep/b.txt", 0640), 0);
  fs::last_write_time("old/DBTEXT/deep/b.txt",
                      fs::file_time_type{} + std::chrono::hours(24 * 9000));
  const auto mtime = fs::last_write_time("old/DBTEXT/deep/b.txt");
  fs::create_directory("new");

  ASSERT_EQ(files::MoveByCopy("OLD\\DBText", "NEW\\DBTEXT"), 0);
  EXPECT_FALSE(fs::exists("old/DBTEXT"));
  EXPECT_EQ(ReadBytes("new/DBTEXT/a.txt"), std::string(200000, 'a'));
  EXPECT_EQ(ReadBytes("new/DBTEXT/deep/b.txt"), "b");
  EXPECT_EQ(ReadBytes("new/DBTEXT/empty.txt"), "");
  EXPECT_EQ(fs::read_symlink("new/DBTEXT/link"), "a.txt");
  EXPECT_EQ(fs::status("new/DBTEXT/deep/b.txt").permissions(), fs::perms(0640));
  EXPECT_EQ(fs::last_write_time("new/DBTEXT/deep/b.txt"), mtime);
  EXPECT_EQ(Listing("new"), (Names{"DBTEXT"}));  // no hidden copy left behind

  Touch("one.db", "1");
  Touch("two.db", "2");
  EXPECT_EQ(files::MoveByCopy("ONE.DB", "Two.Db"), EEXIST);
  ASSERT_EQ(files::MoveByCopy("ONE.DB", "NEW\\ONE.DB"), 0);
  EXPECT_EQ(ReadBytes("new/ONE.DB"), "1");
  EXPECT_FALSE(fs::exists("one.db"));
  EXPECT_EQ(files::MoveByCopy("one.db", "NEW\\X.DB"), ENOENT);
}

TEST_F(FilesTest, RenameAcrossFileSystemsCopies) {
  struct stat here, shm;
  if (stat(".", &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev ||
      access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second writable file system at /dev/shm";
  }
  std::string tmpl = "/dev/shm/files_test.XXXXXX";
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  fs::create_directories("BACKUP/x");
  Touch("BACKUP/x/f", "f");
  Touch("ITEM.DB", "item");
  EXPECT_EQ(files::RenameFile("backup", tmpl + "/BACKUP"), 0);
  EXPECT_EQ(files::RenameFile("item.db", tmpl + "/ITEM.DB"), 0);
  EXPECT_EQ(ReadBytes(tmpl + "/BACKUP/x/f"), "f");
  EXPECT_EQ(ReadBytes(tmpl + "/ITEM.DB"), "item");
  EXPECT_TRUE(Listing(".").empty());
  fs::remove_all(tmpl);
}

TEST_F(FilesTest, DirectoriesAndDeletion) {
  EXPECT_EQ(files::CreateDirectory("SAVEDB"), 0);
  EXPECT_EQ(files::CreateDirectory("savedb"), EEXIST);
  Touch("TMP.DB");
  EXPECT_EQ(files::CreateDirectory("tmp.db"), EEXIST);
  EXPECT_FALSE(files::IsDirectory("tmp.db"));
  EXPECT_EQ(files::CreateDirectory("A\\B"), ENOENT);  // one level only

  Touch("SAVEDB/X.DB");
  EXPECT_EQ(files::RemoveDirectory("SaveDb"), ENOTEMPTY);
  EXPECT_EQ(files::DeleteFile("savedb"), EISDIR);
  EXPECT_EQ(files::DeleteFile("savedb\\x.db"), 0);
  EXPECT_EQ(files::DeleteFile("savedb\\x.db"), ENOENT);
  EXPECT_EQ(files::RemoveDirectory("SaveDb"), 0);
  EXPECT_EQ(files::SyncFile("tmp.db"), 0);
  EXPECT_EQ(files::SyncDirectory("."), 0);
  EXPECT_EQ(files::SyncFile("none.db"), ENOENT);
  // Dropping a file's cached pages is advice: the name resolves as every other, and the file
  // reads back whole.
  fs::create_directory("SAVEDB2");
  Touch("SAVEDB2/TERMS.DB", std::string(70000, 'T'));
  EXPECT_EQ(files::DropCachedPages("savedb2\\terms.db"), 0);
  EXPECT_EQ(ReadBytes("SAVEDB2/TERMS.DB"), std::string(70000, 'T'));
  EXPECT_EQ(files::DropCachedPages("none.db"), ENOENT);

  fs::create_directory("Vendrix 32");
  ASSERT_EQ(files::SetCurrentDirectory(root_.string() + "\\VENDRIX 32"), 0);
  EXPECT_EQ(files::CurrentDirectory(), (root_ / "Vendrix 32").string());
  EXPECT_EQ(files::SetCurrentDirectory("missing"), ENOENT);
}

class DocumentsFolderTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    home_ = (root_ / "home").string();
    fs::create_directory(home_);
  }
  void UserDirs(const fs::path& config, const std::string& text) {
    fs::create_directories(config);
    Touch(config / "user-dirs.dirs", text);
  }
  std::string home_;
};

TEST_F(DocumentsFolderTest, ComesFromUserDirsOrDefaultsToHomeDocumentsOrIsEmpty) {
  ScopedEnv home("HOME", home_);
  ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(files::DocumentsFolder(), home_ + "/Documents");
  EXPECT_TRUE(fs::is_directory(home_ + "/Documents"));

  UserDirs(home_ + "/.config",
           "# written by xdg-user-dirs-update\n"
           "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
           "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(files::DocumentsFolder(), home_ + "/Dokumente");
  EXPECT_TRUE(fs::is_directory(home_ + "/Dokumente"));

  // XDG_CONFIG_HOME holds the file; absolute paths, escapes and the last line count.
  std::string cfg = (root_ / "cfg").string();
  ScopedEnv xdg_set("XDG_CONFIG_HOME", cfg);
  UserDirs(cfg,
           "XDG_DOCUMENTS_DIR=\"$HOME/first\"\n"
           "  XDG_DOCUMENTS_DIR=\"" +
               root_.string() + "/My \\\"Docs\\\"/\"\n");
  EXPECT_EQ(files::DocumentsFolder(), root_.string() + "/My \"Docs\"");

  for (const char* line :
       {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "XDG_DOCUMENTS_DIR=\"relative\"\n",
        "XDG_DOCUMENTS_DIR=$HOME/unquoted\n", "XDG_DOCUMENTS_DIR=\"$HOMEx\"\n"}) {
    UserDirs(cfg, line);
    EXPECT_EQ(files::DocumentsFolder(), home_ + "/Documents") << line;
  }
  UserDirs(cfg, "XDG_DOCUMENTS_DIR=\"${HOME}/Docs\"\n");
  EXPECT_EQ(files::DocumentsFolder(), home_ + "/Docs");

  // Empty when it cannot be created.
  Touch(root_ / "plainfile");
  ScopedEnv bad_home("HOME", (root_ / "plainfile" / "home").string());
  ScopedEnv no_xdg("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(files::DocumentsFolder(), "");
}

TEST(ProgramPathTest, NamesTheRunningProgramAndItsDirectory) {
  std::string path = files::ProgramPath();
  std::string dir = files::ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(path, dir + "/files_test");
  EXPECT_TRUE(fs::equivalent(path, "/proc/self/exe"));
  EXPECT_TRUE(files::Exists(dir + "\\FILES_TEST"));
}

}  // namespace
