// Why an operation failed, read from the traces it left and from the file it
// named, in words for the tool's one error line.
#pragma once
#include <string>
#include <vector>

#include "platform/hresult.h"

// The cause of a failed statement, for example "unknown 'From' table (T)";
// empty when nothing tells.
std::string StatementFailureCause(const std::string& statement, HRESULT hr, const std::vector<std::string>& traces);
// Why the file at `path` could not be loaded: "no such file", "a folder",
// "permission denied", an archive without its member, or a first line that is
// not a root line.
std::string LoadFailureCause(const std::string& path, const std::vector<std::string>& traces);
// True when the traces show that the file has no ParameterDefaultsState table.
bool LacksParameterDefaultsState(const std::vector<std::string>& traces);

// What failed: opening the file at `subject`, the statement `subject`, or something else.
enum class FailedStep { kOpen, kStatement, kOther };
// The text of an error line after its status: the message-log lines written by
// the failing call (`messages`, or `context` when there are none) and the cause,
// as in "Open: Unable to load VEXA configuration file: ( a.cfg ): no such file".
std::string FailureText(FailedStep step, const std::string& subject, HRESULT hr, std::string messages,
                        const std::vector<std::string>& traces, const std::string& context = "");
