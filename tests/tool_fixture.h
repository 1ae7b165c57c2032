// Runs the vexacfg binary in a scratch folder and captures what it printed.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/test_support.h"

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

class Tool : public ::testing::Test {
 protected:
  // Runs vexacfg with the arguments (already quoted for the shell), optionally
  // fed `input`, after the shell commands of `setup`.
  Outcome Run(const std::string& arguments, const std::string& input = "", const std::string& setup = "") {
    WriteTextFile(dir.Path("stdin"), input);
    const std::string command = setup + VEXACFG_PATH + " " + arguments + " <" + dir.Path("stdin") + " >" +
                                dir.Path("stdout") + " 2>" + dir.Path("stderr");
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), ReadTextFile(dir.Path("stdout")), ReadTextFile(dir.Path("stderr"))};
  }
  std::string Quoted(const std::string& name) { return "'" + dir.Path(name) + "'"; }
  // A new version 5 file with the rows added to Colors (COLOR|BAG each).
  std::string ColorsFile(const std::string& name, const std::vector<std::string>& rows) {
    EXPECT_EQ(Run("create " + Quoted(name)).exitCode, 0);
    std::string statements;
    for (const std::string& row : rows) statements += " \"update Colors set * = " + row + "\"";
    if (!rows.empty()) {
      EXPECT_EQ(Run("query " + Quoted(name) + statements + " --save").exitCode, 0);
    }
    return Quoted(name);
  }

  ScratchDir dir;
};
