#include "platform/registry/registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <set>

#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::HasSubstr;

const std::string kApp = "HKEY_CURRENT_USER\\Software\\Corvane\\Vendrix 32";

// The line that opens the application's key `below` ("" or "\\Profiles", ...).
std::string Key(const std::string& below) {
  return "[" + kApp + below + "]\r\n";
}

using rectest::ReadBytes;
using rectest::WriteBytes;

// UTF-16LE with BOM of an ASCII/Latin-1 text.
std::string Utf16(const std::string& latin1) {
  std::string out = "\xFF\xFE";
  for (unsigned char c : latin1) {
    out.push_back(static_cast<char>(c));
    out.push_back('\0');
  }
  return out;
}

using rectest::ScopedEnv;

class RegistryTest : public testing::Test {
 protected:
  void WriteFile(const std::string& bytes) {
    fs::create_directories(dir_);
    WriteBytes(path_, bytes);
  }

  rectest::ScratchPath scratch_;
  const std::string root_ = scratch_.path();
  const std::string dir_ = root_ + "/Corvane/Vendrix 32";
  const std::string path_ = dir_ + "/registry.reg";
};

TEST_F(RegistryTest, WritesRegedit4AndReadsItBack) {
  registry::Store store(path_);
  ASSERT_TRUE(store.Load());  // a missing file is an empty store
  EXPECT_EQ(store.GetInt("Profiles", "Created", 7), 7);
  ASSERT_TRUE(store.WriteInt("Profiles", "Created", 1)) << store.error();
  ASSERT_TRUE(store.WriteInt("Profiles\\ID0\\Generic", "DBVersion", 1036));
  ASSERT_TRUE(store.WriteInt("Profiles\\ID0\\Generic", "LastDatabase", -1));
  ASSERT_TRUE(store.WriteString("Profiles\\ID0\\Directories", "DatabaseDir", "C:\\VENDRIX"));

  const std::string expected =
      "REGEDIT4\r\n\r\n" + Key("") + "\r\n" + Key("\\Profiles") +
      "\"Created\"=dword:00000001\r\n\r\n" + Key("\\Profiles\\ID0") + "\r\n" +
      Key("\\Profiles\\ID0\\Generic") +
      "\"DBVersion\"=dword:0000040c\r\n\"LastDatabase\"=dword:ffffffff\r\n\r\n" +
      Key("\\Profiles\\ID0\\Directories") + "\"DatabaseDir\"=\"C:\\\\VENDRIX\"\r\n\r\n";
  EXPECT_EQ(ReadBytes(path_), expected);

  registry::Store again(path_);
  ASSERT_TRUE(again.Load()) << again.error();
  EXPECT_EQ(again.GetInt("Profiles", "Created", 0), 1);
  EXPECT_EQ(again.GetInt("Profiles\\ID0\\Generic", "LastDatabase", 0), -1);
  EXPECT_EQ(again.GetString("Profiles\\ID0\\Directories", "DatabaseDir", ""), "C:\\VENDRIX");
  EXPECT_TRUE(again.HasSection("Profiles\\ID0"));
  EXPECT_FALSE(again.HasSection("Profiles\\ID1"));
  // A value of the other type reads as the default.
  EXPECT_EQ(again.GetInt("Profiles\\ID0\\Directories", "DatabaseDir", 5), 5);
  EXPECT_EQ(again.GetString("Profiles", "Created", "none"), "none");
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  registry::Store store(path_);
  ASSERT_TRUE(store.WriteInt("Profiles\\ID0\\Generic", "UpdateLow2", 3));
  ASSERT_TRUE(store.WriteInt("profiles\\id0\\GENERIC", "Updatelow2", 4));
  EXPECT_EQ(store.GetInt("PROFILES\\Id0\\generic", "UPDATELOW2", 0), 4);
  EXPECT_TRUE(store.HasValue("Profiles\\ID0\\Generic", "updatelow2"));

  std::string text = ReadBytes(path_);
  EXPECT_THAT(text,
              HasSubstr("[" + kApp + "\\Profiles\\ID0\\Generic]\r\n\"UpdateLow2\"=dword:00000004"));
  EXPECT_EQ(text.find("Updatelow2"), std::string::npos);
  EXPECT_EQ(text.find("GENERIC"), std::string::npos);
}

TEST_F(RegistryTest, EscapesBackslashesAndQuotesAndKeepsLineBreaks) {
  registry::Store store(path_);
  const std::string odd = "C:\\A \"B\"\\";
  ASSERT_TRUE(store.WriteString("S", "Na\"me\\", odd));
  ASSERT_TRUE(store.WriteString("S", "Lines", "one\r\ntwo\n"));
  ASSERT_TRUE(store.WriteString("S", "Empty", ""));
  std::string text = ReadBytes(path_);
  EXPECT_THAT(text, HasSubstr("\"Na\\\"me\\\\\"=\"C:\\\\A \\\"B\\\"\\\\\"\r\n"));
  // A text with a line break goes out as a hex(1) string so that the file stays line-based.
  EXPECT_THAT(text, HasSubstr("\"Lines\"=hex(1):6f,6e,65,0d,0a,74,77,6f,0a,00\r\n"));

  registry::Store again(path_);
  ASSERT_TRUE(again.Load()) << again.error();
  EXPECT_EQ(again.GetString("S", "Na\"me\\", "x"), odd);
  EXPECT_EQ(again.GetString("S", "Lines", "x"), "one\r\ntwo\n");
  EXPECT_EQ(again.GetString("S", "Empty", "x"), "");
}

TEST_F(RegistryTest, ReadsVersion5Utf16AndUtf8WithBom) {
  const std::string body =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "; exported by hand\r\n" +
      Key("\\Generic") +
      "\"Company\"=\"Caf\xE9\"\r\n"
      "\"Build\"=dword:00000004\r\n"
      "\"Hex4\"=hex(4):05,00,00,00\r\n"
      "\"Path\"=hex(2):43,00,3a,00,\\\r\n"
      "  5c,00,00,00\r\n"
      "\"Sz\"=hex(1):41,00,42,00,00,00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "@=\"kept\"\r\n";
  WriteFile(Utf16(body));
  registry::Store store(path_);
  ASSERT_TRUE(store.Load()) << store.error();
  EXPECT_EQ(store.GetString("Generic", "Company", ""), "Caf\xC3\xA9");
  EXPECT_EQ(store.GetInt("Generic", "Build", 0), 4);
  EXPECT_EQ(store.GetInt("Generic", "Hex4", 0), 5);
  EXPECT_EQ(store.GetString("Generic", "Sz", ""), "AB");
  EXPECT_FALSE(store.HasValue("Generic", "Path"));  // expandable strings are kept, not read

  // A write rewrites the file as REGEDIT4 in UTF-8 and keeps what it does not understand.
  ASSERT_TRUE(store.WriteInt("Generic", "DBVersion", 1028)) << store.error();
  std::string text = ReadBytes(path_);
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u);
  EXPECT_THAT(text, HasSubstr("\"Path\"=hex(2):43,3a,5c,00\r\n"));
  EXPECT_THAT(text, HasSubstr("[HKEY_CURRENT_USER\\Software\\Other]\r\n@=\"kept\"\r\n"));
  EXPECT_THAT(text, HasSubstr("\"Company\"=\"Caf\xC3\xA9\""));

  WriteFile("\xEF\xBB\xBFREGEDIT4\n\n[" + kApp + "\\Generic]\n\"Build\"=dword:5\n");
  ASSERT_TRUE(store.Load()) << store.error();
  EXPECT_EQ(store.GetInt("Generic", "Build", 0), 5);
  EXPECT_FALSE(store.HasValue("Generic", "Company"));
}

TEST_F(RegistryTest, AStringEndsAtItsFirstNulAndStaysSoWhenRewritten) {
  // A damaged line with NUL bytes inside the quotes, and a hex(1) string with a NUL inside.
  WriteFile(std::string("REGEDIT4\r\n\r\n[") + kApp + "\\Directories]\r\n" +
            "\"DatabaseDir\"=\"C:\\\\DB\0r\0a\0\"\r\n"s + "\"Sz\"=hex(1):41,42,00,43,00\r\n");
  registry::Store store(path_);
  ASSERT_TRUE(store.Load()) << store.error();
  EXPECT_EQ(store.GetString("Directories", "DatabaseDir", "x"), "C:\\DB");
  EXPECT_EQ(store.GetString("Directories", "Sz", "x"), "AB");

  ASSERT_TRUE(store.WriteInt("Generic", "Build", 4)) << store.error();
  EXPECT_THAT(ReadBytes(path_), HasSubstr("\"DatabaseDir\"=\"C:\\\\DB\"\r\n"));
  registry::Store again(path_);
  ASSERT_TRUE(again.Load()) << again.error();
  EXPECT_EQ(again.GetString("Directories", "DatabaseDir", "x"), "C:\\DB");
  EXPECT_EQ(again.GetString("Directories", "Sz", "x"), "AB");
}

TEST_F(RegistryTest, DeletionLinesRemoveKeysAndValues) {
  WriteFile("REGEDIT4\n\n[" + kApp + "\\A]\n\"x\"=dword:1\n\"y\"=dword:2\n[" + kApp +
            "\\B]\n\"z\"=dword:3\n[-" + kApp + "\\b]\n[" + kApp + "\\A]\n\"X\"=-\n");
  registry::Store store(path_);
  ASSERT_TRUE(store.Load()) << store.error();
  EXPECT_FALSE(store.HasValue("A", "x"));
  EXPECT_EQ(store.GetInt("A", "y", 0), 2);
  EXPECT_FALSE(store.HasSection("B"));
}

struct Malformed {
  std::string text;
  int line;
  std::string reason;
};

TEST_F(RegistryTest, MalformedFileIsReportedAndNeverOverwritten) {
  const std::string key = Key("\\Generic");
  const Malformed cases[] = {
      {"REGEDIT5\r\n", 1, "not a registry file"},
      {"REGEDIT4\r\n\r\n" + key + "\"A\"=dword:1\r\n\"B\"=\"C:\\VENDRIX\"\r\n", 5,
       "unknown escape"},
      {"REGEDIT4\r\n" + key + "\"A\"=dword:123456789\r\n", 3, "dword"},
      {"REGEDIT4\r\n\"A\"=\"x\"\r\n", 2, "value outside a key"},
      {"REGEDIT4\r\n" + key + "\"A\"=\"x\r\n", 3, "unterminated string"},
      {"REGEDIT4\r\n" + key + "\"A\"=\"x\" y\r\n", 3, "after the closing quote"},
      {"REGEDIT4\r\n" + key + "\"A\"=hex:00,\\\r\n", 3, "end of the file"},
      {"REGEDIT4\r\n" + key + "\"A\"=hex:0g\r\n", 3, "hex byte"},
      {"REGEDIT4\r\n" + key + "garbage\r\n", 3, "unexpected text"},
      {"REGEDIT4\r\n[" + kApp + "\\\\X]\r\n", 2, "empty key name"},
      {"REGEDIT4\r\n[" + kApp + "\r\n", 2, "closing"},
      {"REGEDIT4\r\n" + key + "\"A\"=qword:1\r\n", 3, "unknown value type"},
      {std::string("\xFE\xFF\x00R", 4), 1, "big-endian"},
      {Utf16("REGEDIT4\r\n") + std::string("\x00\xD8", 2), 2, "UTF-16"},
      {Utf16("REGEDIT4\r\n") + "x", 2, "UTF-16"},
  };
  for (const Malformed& c : cases) {
    SCOPED_TRACE(c.text);
    WriteFile(c.text);
    registry::Store store(path_);
    EXPECT_FALSE(store.Load());
    std::string prefix = path_ + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(store.error().rfind(prefix, 0), 0u) << store.error();
    EXPECT_THAT(store.error(), HasSubstr(c.reason));
    EXPECT_FALSE(store.WriteInt("Generic", "A", 2));
    EXPECT_FALSE(store.WriteString("Generic", "A", "y"));

    // A store that never loaded finds the fault when its write re-reads the file.
    registry::Store fresh(path_);
    EXPECT_FALSE(fresh.WriteInt("Generic", "A", 2));
    EXPECT_EQ(fresh.error().rfind(prefix, 0), 0u) << fresh.error();
    EXPECT_EQ(ReadBytes(path_), c.text);
  }
}

// Each write re-reads the file under the lock: no process loses another's writes, and a store
// that read the file before them sees them all once it writes.
TEST_F(RegistryTest, ConcurrentProcessesLoseNoWrite) {
  registry::Store store(path_);
  ASSERT_TRUE(store.Load());
  constexpr int kProcesses = 4;
  constexpr int kWrites = 8;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      registry::Store store(path_);
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) {
        ok = store.WriteInt("P" + std::to_string(p), "V" + std::to_string(i), i) && ok;
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ASSERT_TRUE(store.WriteInt("Parent", "V", 1)) << store.error();
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(store.GetInt("P" + std::to_string(p), "V" + std::to_string(i), -1), i);
    }
  }
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryFileAndKeepThePermissions) {
  registry::Store store(path_);
  ASSERT_TRUE(store.WriteInt("Generic", "Build", 4));
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  ASSERT_TRUE(store.WriteInt("Generic", "Build", 5));
  ASSERT_TRUE(store.WriteInt("Generic", "Build", 5));  // unchanged content: nothing rewritten
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
  EXPECT_EQ(fs::status(path_).permissions(), fs::perms(0640));
}

TEST_F(RegistryTest, UnreadableFileRefusesWrites) {
  fs::create_directories(path_);  // a directory where the file should be
  registry::Store store(path_);
  EXPECT_FALSE(store.Load());
  EXPECT_THAT(store.error(), HasSubstr("cannot read"));
  EXPECT_FALSE(store.WriteInt("Generic", "Build", 4));
  EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(RegistryTest, StorePathFollowsXdgConfigHomeAndCreatesTheDirectories) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", root_ + "/cfg");
    EXPECT_EQ(registry::StorePath("Corvane", "Vendrix 32"),
              root_ + "/cfg/Corvane/Vendrix 32/registry.reg");
    registry::Store store("Corvane", "Vendrix 32");
    ASSERT_TRUE(store.Load());
    ASSERT_TRUE(store.WriteInt("Profiles", "Created", 1)) << store.error();
    EXPECT_THAT(ReadBytes(root_ + "/cfg/Corvane/Vendrix 32/registry.reg"),
                HasSubstr(kApp + "\\Profiles]"));
  }
  ScopedEnv home("HOME", root_ + "/home");
  for (std::optional<std::string> xdg :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>("relative/cfg")}) {
    ScopedEnv env("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(registry::StorePath("M", "P"), root_ + "/home/.config/M/P/registry.reg");
  }
  // An explicit path and key name the application key.
  registry::Store store(root_ + "/settings.reg", "Maker", "Product");
  ASSERT_TRUE(store.WriteInt("", "Top", 1));
  EXPECT_THAT(ReadBytes(root_ + "/settings.reg"),
              HasSubstr("[HKEY_CURRENT_USER\\Software\\Maker\\Product]\r\n\"Top\"="));
}

}  // namespace
