// Parses arbitrary bytes as an INI file, reads every key, rewrites one value and
// checks that the rewrite keeps the other lines and reads back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/IniFiles.h"
#include "fuzz/FuzzInput.h"

namespace {

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TIniText ini;
  ini.Parse(text);

  // Parsing its own text gives the same lines.
  TIniText again;
  again.Parse(ini.Text());
  Check(again.Lines() == ini.Lines());

  std::string value;
  for (const auto& section : ini.Sections())
    for (const auto& key : ini.Keys(section)) Check(ini.Find(section, key, value));

  // Write a value derived from the input into the first section (or a new one).
  auto sections = ini.Sections();
  std::string section = sections.empty() ? std::string("New") : sections.front();
  std::string key = "Fuzz";
  std::string newValue = text.substr(0, 16);
  size_t before = ini.Lines().size();
  ini.Write(section, key, newValue);
  size_t after = ini.Lines().size();
  Check(after <= before + 3);
  std::string read;
  Check(ini.Find(section, key, read));
  std::string expected = newValue;
  for (char& c : expected)
    if (c == '\r' || c == '\n') c = ' ';
  Check(read == Trim(expected));

  ini.DeleteKey(section, key);
  ini.EraseSection(section);
  for (const auto& s : ini.Sections()) Check(!SameText(Trim(s), Trim(section)));
  return 0;
}
