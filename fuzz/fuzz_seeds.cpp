// Writes the seed corpus of every fuzz target into the folder given, one
// sub-folder per target: the version templates, a small configuration with
// rows, archives of them, statements of every kind and where clauses.
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "schema/version_template.h"

namespace fs = std::filesystem;

namespace {
const char* const kSmallConfig =
    "Root VersionFivePointZero\r\n"
    "{\r\n"
    "   Table Parts\r\n"
    "   {\r\n"
    "      TableDefinition Name|Group|Count|Width\r\n"
    "      TableType String|String|Int|Float\r\n"
    "      TableContents \r\n"
    "      {\r\n"
    "         r1 Wing|a b|3|10.5\r\n"
    "         r2 \r\n"
    "      }\r\n"
    "   }\r\n"
    "   Table Empty\r\n"
    "   {\r\n"
    "      TableDefinition A\r\n"
    "      TableType String\r\n"
    "      TableContents\r\n"
    "   }\r\n"
    "}\r\n";

const char* const kStatements[] = {
    "update EventMarkerLog set * = Flight|Loads|pilot|12:00:01|first|",
    "update EventMarkerLog set * = Flight|Trim|crew|12:00:02|second| suggestedRowId 7-x@host-1",
    "update EventMarkerLog set Comment = 'changed', User = crew where Group = 'Flight' && SubGroup = 'Trim'",
    "updat2 EventMarkerLog set Comment = 'kept' where 0",
    "updat3 EventMarkerLog set * = A|B|C|D|E| where System.RowNumber = 7-x@host-1",
    "select * from EventMarkerLog",
    "select top 2 distinct Group, User from EventMarkerLog where (Time >= '12:00:02' || User = 'pil*') && Group != 'x' order by Time",
    "select System.RowNumber,System.RowState,System.ErrorState,$Comment from EventMarkerLog where System.RowState = Edited",
    "select System.TableDefinition from ParameterDefaults",
    "select Parameter from ParameterDefaults where Width > 2.5 && Color = 'Re?' order by Width",
    "sort table EventMarkerLog on Group,User",
    "update EventMarkerLog set * = Pilot|pilot|PILOT|12:00:03|same key in three columns|",
    "update EventMarkerLog set Group = 'crew' where User = 'pilot'",
    "sort table EventMarkerLog on Group,SubGroup,User,Comment",
    "select Comment from EventMarkerLog where Group = 'Flight' && User = 'crew'",
    "update EventMarkerLog set Time = '13:00' where Group = 'Flight' && User = 'pilot'",
    "delete * from EventMarkerLog where User = 'crew'",
    "delete from EventMarkerLog",
    "commit",
    "create table Extra (Name String, Count Int, Ratio Float, Mask DWord, Choice list(a,b) )",
    "update Extra set * = one|1|0.5|4294967295|a|",
    "select Name from Extra where Count < 2 && Ratio <= 0.5 && Mask = 4294967295",
    "sort table Extra on Name",
    "drop table Extra",
    "select FullFileName from zBall where zBallFileName = 'chart.txt'",
};

// Definition, types, clause, then rows.
const char* const kEquations[] = {
    "Name|Group|Count|Width\nString|String|Int|Float\nName = 'Wing' && (Count > 2 || Width <= 9.5)\nWing|a|3|10.5\nwing|b|1|2\n",
    "A|B|C\nInt|DWord|String\n((A != -1) || B >= 4294967295) && C = 'x*?'\n-1|4294967295|xyz\n7|0|x1\n",
    "Name|Value\nString|list(a,b)\nName < 'm' || Value = b\nalpha|b\nzulu|a\n|\n",
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes of an archive laid out as the system writes it.
std::string ArchiveBytes(const fs::path& scratch, const std::string& text, bool compressed) {
  int error = 0;
  zip_t* archive = zip_open(scratch.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return {};
  for (const char* folder : {"VEXA", "VEXA/COM/", "VEXA/MISC/", "VEXA/USER/"}) zip_dir_add(archive, folder, 0);
  zip_source_t* member = zip_source_buffer(archive, text.data(), text.size(), 0);
  const zip_int64_t index = zip_file_add(archive, "VEXA/pfConfig", member, ZIP_FL_OVERWRITE);
  if (!compressed) zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
  zip_set_archive_comment(archive, "VEXA Config File", 16);
  zip_close(archive);
  std::string bytes = ReadFile(scratch);
  fs::remove(scratch);
  return bytes;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* target : {"fuzz_load_text", "fuzz_load_zip", "fuzz_statement", "fuzz_equation"})
    fs::create_directories(root / target);

  std::vector<std::string> texts{kSmallConfig};
  for (int version : {3, 4, 5}) texts.push_back(VersionTemplate(version));
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string name = "seed" + std::to_string(i);
    WriteFile(root / "fuzz_load_text" / name, texts[i]);
    WriteFile(root / "fuzz_load_zip" / (name + "-member"), "\x01" + texts[i]);
    // The member's headers claim just over 1 GiB, and just under it: far more than it holds.
    for (const char* claim : {"\x01\x00\x00\x40", "\xff\xff\xff\x3f"})
      WriteFile(root / "fuzz_load_zip" / (name + "-claim" + (claim[0] == 1 ? "-over" : "-under")),
                std::string("\x02") + std::string(claim, 4) + texts[i]);
    for (bool compressed : {false, true})
      WriteFile(root / "fuzz_load_zip" / (name + (compressed ? "-deflated" : "-stored")),
                std::string(1, '\0') + ArchiveBytes(root / "scratch.zip", texts[i], compressed));
  }

  std::string all;
  for (size_t i = 0; i < std::size(kStatements); ++i) {
    WriteFile(root / "fuzz_statement" / ("seed" + std::to_string(i)), kStatements[i]);
    all += std::string(kStatements[i]) + "\n";
  }
  WriteFile(root / "fuzz_statement" / "all", all);

  for (size_t i = 0; i < std::size(kEquations); ++i)
    WriteFile(root / "fuzz_equation" / ("seed" + std::to_string(i)), kEquations[i]);
  return 0;
}
