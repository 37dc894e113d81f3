// recutil's arguments: commands, file counts and options.
#include "tools/recutil/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace recutil {
namespace {

CommandLine Parse(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, &line, &error)) << error;
  return line;
}

std::string Error(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  EXPECT_FALSE(ParseCommandLine(args, &line, &error));
  return error;
}

TEST(CommandLineParse, TakesFilesAndOptionsInAnyOrder) {
  CommandLine save = Parse({"save", "--key", "1", "ITEM.DB", "-"});
  EXPECT_EQ(save.command, Command::kSave);
  EXPECT_EQ(save.files, (std::vector<std::string>{"ITEM.DB", "-"}));
  EXPECT_EQ(save.key, 1);
  EXPECT_EQ(Parse({"save", "ITEM.DB", "out", "--key=12"}).key, 12);
  EXPECT_EQ(Parse({"save", "ITEM.DB", "out"}).key, 0);

  CommandLine create = Parse({"create", "A.DB", "a.desc", "--replace"});
  EXPECT_EQ(create.command, Command::kCreate);
  EXPECT_TRUE(create.replace);
  EXPECT_FALSE(Parse({"create", "A.DB", "a.desc"}).replace);

  // After "--" a name that looks like an option is a file.
  EXPECT_EQ(Parse({"stat", "--", "--odd"}).files, std::vector<std::string>{"--odd"});
  EXPECT_EQ(Parse({"check", "X.DB"}).command, Command::kCheck);
}

TEST(CommandLineParse, HelpAnywhere) {
  EXPECT_EQ(Parse({"--help"}).command, Command::kHelp);
  EXPECT_EQ(Parse({"save", "-h"}).command, Command::kHelp);
  EXPECT_EQ(Parse({"load", "X.DB", "--help", "extra", "args"}).command, Command::kHelp);
}

TEST(CommandLineParse, RefusesMisuse) {
  EXPECT_EQ(Error({}), "no command given");
  EXPECT_EQ(Error({"dump", "X.DB"}), "unknown command dump");
  EXPECT_EQ(Error({"stat"}), "stat takes 1 file, not 0");
  EXPECT_EQ(Error({"load", "X.DB", "a", "b"}), "load takes 2 files, not 3");
  EXPECT_EQ(Error({"create", "X.DB", "d", "--key", "1"}), "unknown option --key for this command");
  EXPECT_EQ(Error({"save", "X.DB", "out", "--replace"}),
            "unknown option --replace for this command");
  EXPECT_EQ(Error({"save", "X.DB", "out", "--key"}), "--key needs a key number");
  EXPECT_EQ(Error({"save", "X.DB", "out", "--key", "128"}),
            "--key 128: not a key number from 0 to 127");
  EXPECT_EQ(Error({"save", "X.DB", "out", "--key=-1"}), "--key -1: not a key number from 0 to 127");
}

}  // namespace
}  // namespace recutil
